#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include "qt/ui/main_view.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

namespace {

struct Node {
  Menu_Item* item;
  const char* name;
  void (TTolvane::*click)() = nullptr;  // none yet for commands of later work
  std::vector<Node> children = {};
};

}  // namespace

void Main_View::Build_Menus(QWidget* menu_bar) {
  TTolvane& f = f_;
  using T = TTolvane;
  const std::vector<Node> bar = {
      {&f.File1,
       "File1",
       nullptr,
       {{&f.Load1, "Load1", &T::Load1Click},
        {&f.Import1, "Import1", &T::Import1Click},
        {&f.ImportPCX1, "ImportPCX1", &T::ImportPCX1Click},
        {&f.Save1, "Save1", &T::Save1Click},
        {&f.SaveAs1, "SaveAs1", &T::SaveAs1Click},
        {&f.ExportGIF1, "ExportGIF1", &T::ExportGIF1Click},
        {&f.ExportSheet1, "ExportSheet1", &T::ExportSheet1Click},
        {&f.MergeFiles1, "MergeFiles1", &T::MergeFiles1Click},
        {&f.New1, "New1", &T::New1Click},
        {&f.N1, "N1"},
        {&f.About1,
         "About1",
         nullptr,
         {{&f.UserGuide1, "UserGuide1", &T::UserGuide1Click},
          {&f.About2, "About2", &T::About2Click},
          {&f.WhatsNew1, "WhatsNew1", &T::WhatsNew1Click}}},
        {&f.Exit1, "Exit1", &T::Exit1Click}}},
      {&f.Edit1,
       "Edit1",
       nullptr,
       {{&f.Copy2, "Copy2", &T::Copy2Click},
        {&f.Cut1, "Cut1", &T::Cut1Click},
        {&f.Paste2, "Paste2", &T::Paste2Click},
        {&f.N2, "N2"},
        {&f.FlipHorizontal1, "FlipHorizontal1", &T::FlipHorizontal1Click},
        {&f.FlipVertical1, "FlipVertical1", &T::FlipVertical1Click},
        {&f.NudgeLeft1, "NudgeLeft1", &T::Nudge1Click},
        {&f.NudgeRight1, "NudgeRight1", &T::Nudge2Click},
        {&f.NudgeUp1, "NudgeUp1", &T::Nudge3Click},
        {&f.NudgeDown1, "NudgeDown1", &T::Nudge4Click},
        {&f.N7, "N7"},
        {&f.Tools1,
         "Tools1",
         nullptr,
         {{&f.Pencil1, "Pencil1", &T::Tool1Click},
          {&f.FilledRectangle1, "FilledRectangle1", &T::Tool2Click},
          {&f.OutlineRectangle1, "OutlineRectangle1", &T::Tool3Click},
          {&f.Line1, "Line1", &T::Tool4Click},
          {&f.Fill1, "Fill1", &T::Tool5Click},
          {&f.Select1, "Select1", &T::Tool6Click},
          {&f.FilledEllipse1, "FilledEllipse1", &T::Tool7Click},
          {&f.Syringe1, "Syringe1", &T::Tool8Click}}},
        {&f.SwapColours1, "SwapColours1", &T::SwapColours1Click},
        {&f.TransparentColour1, "TransparentColour1", &T::TransparentColour1Click},
        {&f.N3, "N3"},
        {&f.Undo1, "Undo1", &T::Undo1Click},
        {&f.StepBackward1, "StepBackward1", &T::StepBackward1Click},
        {&f.StepForward1, "StepForward1", &T::StepForward1Click}}},
      {&f.Frame1,
       "Frame1",
       nullptr,
       {{&f.Clear1, "Clear1", &T::Clear1Click},
        {&f.Copy1, "Copy1", &T::Copy1Click},
        {&f.Paste1, "Paste1", &T::Paste1Click},
        {&f.N4, "N4"},
        {&f.CopyToClipboard1, "CopyToClipboard1", &T::CopyToClipboard1Click},
        {&f.PasteFromClipboard1, "PasteFromClipboard1", &T::PasteFromClipboard1Click},
        {&f.N5, "N5"},
        {&f.Add1, "Add1", &T::Add1Click},
        {&f.Delete1, "Delete1", &T::Delete1Click},
        {&f.Insert1, "Insert1", &T::Insert1Click},
        {&f.Resize1, "Resize1", &T::Resize1Click},
        {&f.N8, "N8"},
        {&f.FirstFrame1, "FirstFrame1", &T::SpeedButton2Click},
        {&f.PreviousFrame1, "PreviousFrame1", &T::Prev_FrameClick},
        {&f.NextFrame1, "NextFrame1", &T::Next_FrameClick},
        {&f.LastFrame1, "LastFrame1", &T::SpeedButton12Click},
        {&f.PlayStop1, "PlayStop1", &T::PlayStop1Click}}},
      {&f.Section1,
       "Section1",
       nullptr,
       {{&f.MarkFrameAsStartOfSection1, "MarkFrameAsStartOfSection1",
         &T::MarkFrameAsStartOfSection1Click},
        {&f.MarkFrameAsEndOfSection1, "MarkFrameAsEndOfSection1",
         &T::MarkFrameAsEndOfSection1Click},
        {&f.ResetMarks1, "ResetMarks1", &T::ResetMarks1Click}}},
      {&f.View1,
       "View1",
       nullptr,
       {{&f.OnionSkin1, "OnionSkin1", &T::OnionSkin1Click},
        {&f.PixelGrid1, "PixelGrid1", &T::PixelGrid1Click},
        {&f.ShowTransparency1, "ShowTransparency1", &T::ShowTransparency1Click},
        {&f.N6, "N6"},
        {&f.ZoomIn1, "ZoomIn1", &T::Zoom_InClick},
        {&f.ZoomOut1, "ZoomOut1", &T::Zoom_OutClick},
        {&f.Fit1, "Fit1", &T::Fit1Click}}},
      {&f.Effects1,
       "Effects1",
       nullptr,
       {{&f.Brightness1, "Brightness1"},
        {&f.Rotate1, "Rotate1"},
        {&f.Squash1, "Squash1"},
        {&f.Spin1, "Spin1"}}},
  };

  std::function<void(const Node&, QWidget*, std::vector<const Menu_Item*>)> add =
      [&](const Node& n, QWidget* parent, std::vector<const Menu_Item*> parents) {
        if (n.item->Caption == "-") {
          QAction* sep = static_cast<QMenu*>(parent)->addSeparator();
          sep->setObjectName(n.name);
          menus_.push_back({n.item, parents, sep, nullptr});
          return;
        }
        if (!n.children.empty()) {
          auto* menu = new QMenu(Q(n.item->Caption), parent);
          menu->setObjectName(n.name);
          menu->menuAction()->setObjectName(n.name);
          parent->addAction(menu->menuAction());
          menus_.push_back({n.item, parents, menu->menuAction(), menu});
          parents.push_back(n.item);
          for (const Node& child : n.children) add(child, menu, parents);
          return;
        }
        auto* action = new QAction(Q(n.item->Caption), parent);
        action->setObjectName(n.name);
        QList<QKeySequence> keys = {
            QKeySequence::fromString(Q(n.item->Shortcut), QKeySequence::PortableText)};
        if (!n.item->Alt_Shortcut.empty())
          keys << QKeySequence::fromString(Q(n.item->Alt_Shortcut), QKeySequence::PortableText);
        action->setShortcuts(keys);
        action->setCheckable(n.item->Check_Item);
        action->setAutoRepeat(n.item->Auto_Repeat);
        parent->addAction(action);
        if (n.click) {
          auto click = n.click;
          QObject::connect(action, &QAction::triggered, [this, click] {
            // No key acts behind a dialog, whatever the desktop lets through.
            if (QApplication::activeModalWidget()) return;
            Forward([this, click] { (f_.*click)(); });
          });
        }
        menus_.push_back({n.item, parents, action, nullptr});
      };
  for (const Node& top : bar) add(top, menu_bar, {});
  // The four effects share one command, told apart by the item chosen.
  for (const Menu_Item* item : {&f.Brightness1, &f.Rotate1, &f.Squash1, &f.Spin1})
    QObject::connect(Action(*item), &QAction::triggered,
                     [this, item] { Forward([this, item] { f_.Brightness1Click(*item); }); });
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
