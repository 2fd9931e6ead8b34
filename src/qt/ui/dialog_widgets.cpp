#include "qt/ui/dialog_widgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

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
    p_.Dispatch(ok_);
    return;
  }
  QWidget::keyPressEvent(e);
}

void Spin_Text::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  on_exit_();
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

}  // namespace tolvane
