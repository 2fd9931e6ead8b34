#include "qt/ui/dialog_widgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>

#include "qt/ui/view_helpers.h"

namespace tolvane {

Dialog_Window::Dialog_Window(Qt_Platform& p, std::function<void()> on_ok,
                             std::function<void()> on_escape, std::function<void()> on_close)
    : p_(p), ok_(std::move(on_ok)), escape_(std::move(on_escape)), close_(std::move(on_close)) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
}

void Dialog_Window::closeEvent(QCloseEvent* e) {
  e->ignore();  // Run_Modal hides the window once the form has closed
  p_.Dispatch(close_);
}

void Dialog_Window::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    p_.Dispatch(escape_);
    return;
  }
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (!Press_Focused_Button(*this)) p_.Dispatch(ok_);
    return;
  }
  QWidget::keyPressEvent(e);
}

void Dialog_Window::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  Focus_First(Tab_Order);
}

QCheckBox* Make_Check_Box(QWidget* parent, Qt_Platform& p, Check_Box& c, const char* name,
                          const bool& syncing, std::vector<std::function<void()>>& syncs) {
  auto* w = new QCheckBox(parent);
  w->setObjectName(name);
  QObject::connect(w, &QCheckBox::clicked, [&p, &c, &syncing](bool checked) {
    if (!syncing) p.Dispatch([&c, checked] { c.Set_Checked(checked); });
  });
  syncs.push_back([w, &c] {
    Place_Widget(*w, c);
    if (w->text() != Q(c.Caption)) w->setText(Q(c.Caption));
    if (w->isChecked() != c.Checked) {
      QSignalBlocker quiet(w);
      w->setChecked(c.Checked);
    }
  });
  return w;
}

Ok_Cancel Make_Ok_Cancel(QWidget* parent, Qt_Platform& p, const Button& ok, const Button& cancel,
                         std::function<void()> on_ok, std::function<void()> on_cancel) {
  Ok_Cancel b{new QPushButton(QIcon(":/glyphs/ok.png"), Q(ok.Caption), parent),
              new QPushButton(QIcon(":/glyphs/cancel.png"), Q(cancel.Caption), parent)};
  b.ok->setObjectName("Ok");
  b.ok->setDefault(true);
  QObject::connect(b.ok, &QPushButton::clicked, [&p, on_ok] { p.Dispatch(on_ok); });
  b.cancel->setObjectName("Cancel");
  QObject::connect(b.cancel, &QPushButton::clicked, [&p, on_cancel] { p.Dispatch(on_cancel); });
  return b;
}

void Set_Tab_Order(const std::vector<QWidget*>& order) {
  for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
  if (order.size() > 1) QWidget::setTabOrder(order.back(), order.front());
}

void Focus_First(const std::vector<QWidget*>& order) {
  for (QWidget* w : order)
    if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible()) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
}

bool Press_Focused_Button(QWidget& dialog) {
  auto* button = qobject_cast<QPushButton*>(dialog.focusWidget());
  if (!button || button->isDefault() || !button->isEnabled()) return false;
  button->click();
  return true;
}

void Spin_Text::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  on_exit_();
}

Spin_Field Make_Spin_Field(QWidget* parent, const QString& name, const Bounds& b,
                           std::function<void(const std::string&)> on_edit,
                           std::function<void(int)> on_step, std::function<void()> on_exit) {
  auto* box = new QWidget(parent);
  box->setObjectName(name);
  auto* text = new Spin_Text(box, std::move(on_exit));
  text->setObjectName(name + "_Text");
  QObject::connect(text, &QLineEdit::textEdited,
                   [on_edit](const QString& t) { on_edit(t.toStdString()); });
  auto arrow = [&](Qt::ArrowType type, const char* suffix, int step) {
    auto* button = new QToolButton(box);
    button->setObjectName(name + suffix);
    button->setArrowType(type);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    QObject::connect(button, &QToolButton::clicked, [on_step, step] { on_step(step); });
    return button;
  };
  QToolButton* up = arrow(Qt::UpArrow, "_Up", 1);
  QToolButton* down = arrow(Qt::DownArrow, "_Down", -1);
  const int arrows = 15, half = b.Height / 2;
  text->setGeometry(0, 0, b.Width - arrows, b.Height);
  up->setGeometry(b.Width - arrows, 0, arrows, half);
  down->setGeometry(b.Width - arrows, half, arrows, b.Height - half);
  return {box, text};
}

Click_Panel::Click_Panel(QWidget* parent, std::function<void()> on_click)
    : QFrame(parent), on_click_(std::move(on_click)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setAutoFillBackground(true);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void Click_Panel::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!e->isAutoRepeat()) on_click_();
      return;
    default:
      QFrame::keyPressEvent(e);
  }
}

void Click_Panel::paintEvent(QPaintEvent* e) {
  QFrame::paintEvent(e);
  if (!hasFocus()) return;
  // The focus mark inside the sunken border, over the colour.
  QStylePainter painter(this);
  QStyleOptionFocusRect mark;
  mark.initFrom(this);
  mark.rect = contentsRect().adjusted(1, 1, -1, -1);
  mark.backgroundColor = palette().color(QPalette::Window);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, mark);
}

void Click_Panel::Show_Colour(Colour c) {
  QPalette pal = palette();
  const QColor colour = Panel_Colour(c, *window());
  if (pal.color(QPalette::Window) == colour) return;
  pal.setColor(QPalette::Window, colour);
  setPalette(pal);
}

void Sync_Dialog_Frame(QWidget& w, const TForm& f) {
  if (w.windowTitle() != Q(f.Caption)) w.setWindowTitle(Q(f.Caption));
  const QSize client(f.Window.Width, f.Window.Height);
  if (w.size() != client) w.setFixedSize(client);
  if (!w.isVisible() && f.Visible) w.move(f.Window.Left, f.Window.Top);
}

void Click_Panel::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) on_click_();
}

Qt::Alignment Alignment_Of(Label::Align a) {
  switch (a) {
    case Label::Align::Center:
      return Qt::AlignHCenter | Qt::AlignTop;
    case Label::Align::Right:
      return Qt::AlignRight | Qt::AlignTop;
    case Label::Align::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignTop;
}

Radio_Box Make_Radio_Box(QWidget* parent, Radio_Group& g, const char* name, int top, int bottom,
                         std::function<void(int)> on_click) {
  Radio_Box result{&g, new QGroupBox(Q(g.Caption), parent), {}};
  result.box->setObjectName(name);
  const int columns = std::max(1, g.Columns);
  const int count = int(g.Items.size());
  const int rows = std::max(1, (count + columns - 1) / columns);
  const int inner_w = g.B.Width - 16, inner_h = g.B.Height - top - bottom;
  for (int i = 0; i < count; ++i) {
    auto* item = new QRadioButton(Q(g.Items[i]), result.box);
    item->setObjectName(QString("%1_%2").arg(name).arg(i));
    const int col = i / rows, row = i % rows;
    const int w = inner_w / columns, h = inner_h / rows;
    item->setGeometry(8 + col * w, top + row * h + (h - 17) / 2, w, 17);
    QObject::connect(item, &QRadioButton::clicked, [on_click, i] { on_click(i); });
    result.items.push_back(item);
  }
  return result;
}

void Radio_Box::Sync() const {
  // The items are exclusive, so that the group is one tab stop with arrow
  // keys inside; the form's Item_Index still decides which is checked.
  // Qt gives the tab stop to the checked item only once one of them has had
  // the focus; set it here so that the first Tab already treats the group as
  // one stop.
  const int index = group->Item_Index;
  const bool valid = index >= 0 && index < int(items.size());
  for (int i = 0; i < int(items.size()); ++i) {
    const bool stop = i == (valid ? index : 0);
    items[i]->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
  }
  if (valid) {
    QSignalBlocker quiet(items[index]);
    items[index]->setChecked(true);
    return;
  }
  for (QRadioButton* item : items) {
    QSignalBlocker quiet(item);
    item->setAutoExclusive(false);
    item->setChecked(false);
    item->setAutoExclusive(true);
  }
}

}  // namespace tolvane
