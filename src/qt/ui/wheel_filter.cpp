#include "qt/ui/wheel_filter.h"

#include <QWheelEvent>
#include <QWidget>

#include "qt/ui/view_helpers.h"

namespace tolvane {

Wheel_Filter::Wheel_Filter(QWidget* watched, std::function<void(unsigned, int, int)> on_wheel)
    : QObject(watched), on_wheel_(std::move(on_wheel)) {
  // On each child as well: a wheel event the program sends itself does not
  // pass from a child up to its parent.
  watched->installEventFilter(this);
  for (QWidget* child : watched->findChildren<QWidget*>()) child->installEventFilter(this);
}

bool Wheel_Filter::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::Wheel) return QObject::eventFilter(watched, e);
  auto* wheel = static_cast<QWheelEvent*>(e);
  const QPoint delta = wheel->angleDelta();
  // Some desktops turn Shift+wheel into a sideways turn; the form takes
  // either as scrolling sideways.
  on_wheel_(Shift_Of(wheel->modifiers()), delta.x(), delta.y());
  wheel->accept();
  return true;
}

}  // namespace tolvane
