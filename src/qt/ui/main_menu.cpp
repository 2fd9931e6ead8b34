#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <set>

#include "mainwindow/commands.h"

#include "qt/ui/main_view.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

void Main_View::Build_Menus(QWidget* menu_bar) {
  // The rows come in menu order, each menu before its items.
  std::map<const Menu_Item*, QMenu*> menus;
  std::map<const Menu_Item*, std::vector<const Menu_Item*>> parents_of;
  std::set<const Menu_Item*> has_items;
  for (const Command& c : Commands())
    if (c.Menu) has_items.insert(&(f_.Controls.*c.Menu));
  for (const Command& c : Commands()) {
    const Menu_Item& item = f_.Controls.*c.Item;
    QMenu* menu = c.Menu ? menus.at(&(f_.Controls.*c.Menu)) : nullptr;
    std::vector<const Menu_Item*> parents;
    if (c.Menu) {
      parents = parents_of[&(f_.Controls.*c.Menu)];
      parents.push_back(&(f_.Controls.*c.Menu));
    }
    parents_of[&item] = parents;
    if (item.Caption == "-") {
      QAction* sep = menu->addSeparator();
      sep->setObjectName(c.Name);
      menus_.push_back({&item, parents, sep, nullptr});
      continue;
    }
    QWidget* parent = menu ? static_cast<QWidget*>(menu) : menu_bar;
    if (has_items.contains(&item)) {
      auto* sub = new QMenu(Q(item.Caption), parent);
      sub->setObjectName(c.Name);
      sub->menuAction()->setObjectName(c.Name);
      parent->addAction(sub->menuAction());
      menus[&item] = sub;
      menus_.push_back({&item, parents, sub->menuAction(), sub});
      continue;
    }
    auto* action = new QAction(Q(item.Caption), parent);
    action->setObjectName(c.Name);
    QList<QKeySequence> keys = {
        QKeySequence::fromString(Q(item.Shortcut), QKeySequence::PortableText)};
    if (!item.Alt_Shortcut.empty())
      keys << QKeySequence::fromString(Q(item.Alt_Shortcut), QKeySequence::PortableText);
    action->setShortcuts(keys);
    action->setCheckable(item.Check_Item);
    action->setAutoRepeat(item.Auto_Repeat);
    parent->addAction(action);
    if (c.Runs()) {
      QObject::connect(action, &QAction::triggered, [this, &c] {
        // No key acts behind a dialog, whatever the desktop lets through.
        if (QApplication::activeModalWidget()) return;
        Forward([this, &c] { Run(f_, c); });
      });
    }
    menus_.push_back({&item, parents, action, nullptr});
  }
}

void Main_View::Sync_Menus() {
  for (const Menu_Binding& m : menus_) {
    // A shortcut acts only while its item and every menu above it are
    // enabled; Qt would fire it from inside a disabled menu.
    bool enabled = m.item->Enabled;
    for (const Menu_Item* parent : m.parents) enabled = enabled && parent->Enabled;
    if (m.action->isEnabled() != enabled) m.action->setEnabled(enabled);
    if (m.action->isVisible() != m.item->Visible) m.action->setVisible(m.item->Visible);
    if (!m.action->isSeparator() && m.action->text() != Q(m.item->Caption))
      m.action->setText(Q(m.item->Caption));
    if (m.action->isCheckable() && m.action->isChecked() != m.item->Checked)
      m.action->setChecked(m.item->Checked);
  }
}

QAction* Main_View::Action(const Menu_Item& item) const {
  for (const Menu_Binding& m : menus_)
    if (m.item == &item) return m.action;
  return nullptr;
}

QMenu* Main_View::Menu(const Menu_Item& item) const {
  for (const Menu_Binding& m : menus_)
    if (m.item == &item) return m.menu;
  return nullptr;
}

}  // namespace tolvane
