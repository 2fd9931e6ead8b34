#pragma once
#include <QColor>
#include <QFont>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "platform/controls.h"
#include "qt/platform/qt_platform.h"

namespace tolvane {

// The forms keep their texts in UTF-8.
inline QString Q(const std::string& s) { return QString::fromStdString(s); }

// Places a widget at the control's bounds and follows its visible and
// enabled states and its hint.
void Place_Widget(QWidget& w, const Control& c);

// The colour a panel shows; Face_Colour is the desktop's window colour.
QColor Panel_Colour(Colour c, const QWidget& w);

// The program's font: a sans-serif face at 8 points.
QFont Program_Font();

std::optional<Mouse_Button> Button_Of(Qt::MouseButton b);
unsigned Shift_Of(Qt::KeyboardModifiers m);

// Runs a form's timer on a QTimer. Ticks go through the platform's Dispatch,
// so a tick arriving while a long operation pumps events is dropped.
class Timer_Driver {
 public:
  Timer_Driver(Qt_Platform& p, const Timer& t, std::function<void()> on_tick);
  void Sync();
  const QTimer& Qt_Timer() const { return timer_; }
  // Delivers one tick as the timer would; tests use it instead of waiting.
  void Tick() { tick_(); }

 private:
  const Timer& t_;
  std::function<void()> tick_;
  QTimer timer_;
};

}  // namespace tolvane
