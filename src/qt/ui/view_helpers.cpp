#include "qt/ui/view_helpers.h"

#include "qt/platform/qt_image.h"

namespace tolvane {

void Place_Widget(QWidget& w, const Control& c) {
  const QRect r(c.B.Left, c.B.Top, c.B.Width, c.B.Height);
  if (w.geometry() != r) w.setGeometry(r);
  // Hidden on the form, or sized to nothing: a 0 x 0 widget would still
  // be laid out by Qt at its minimum size.
  const bool shown = c.Visible && c.B.Width > 0 && c.B.Height > 0;
  if (w.isVisibleTo(w.parentWidget()) != shown) w.setVisible(shown);
  if (w.isEnabledTo(w.parentWidget()) != c.Enabled) w.setEnabled(c.Enabled);
  if (w.toolTip() != Q(c.Hint)) w.setToolTip(Q(c.Hint));
}

QColor Panel_Colour(Colour c, const QWidget& w) {
  if (c == Face_Colour) return w.palette().color(QPalette::Window);
  return To_QColor(c);
}

QFont Program_Font() {
  QFont f("DejaVu Sans");
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(8);
  return f;
}

std::optional<Mouse_Button> Button_Of(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton:
      return Mouse_Button::Left;
    case Qt::RightButton:
      return Mouse_Button::Right;
    case Qt::MiddleButton:
      return Mouse_Button::Middle;
    default:
      return std::nullopt;
  }
}

unsigned Shift_Of(Qt::KeyboardModifiers m) {
  unsigned s = ss_None;
  if (m & Qt::ShiftModifier) s |= ss_Shift;
  if (m & Qt::AltModifier) s |= ss_Alt;
  if (m & Qt::ControlModifier) s |= ss_Ctrl;
  return s;
}

Timer_Driver::Timer_Driver(Qt_Platform& p, const Timer& t, std::function<void()> on_tick)
    : t_(t), tick_([&p, on_tick] { p.Dispatch(on_tick); }) {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { tick_(); });
}

void Timer_Driver::Sync() {
  const int interval = t_.Interval > 0 ? t_.Interval : 1;
  if (!t_.Enabled) {
    if (timer_.isActive()) timer_.stop();
  } else if (!timer_.isActive() || timer_.interval() != interval) {
    timer_.start(interval);
  }
}

}  // namespace tolvane
