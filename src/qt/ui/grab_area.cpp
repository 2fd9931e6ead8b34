#include "qt/ui/grab_area.h"

#include <QMouseEvent>

#include "qt/ui/view_helpers.h"

namespace tolvane {

Grab_Area::Grab_Area(QWidget* parent) : QWidget(parent) { setCursor(Qt::SizeAllCursor); }

void Grab_Area::mousePressEvent(QMouseEvent* e) {
  const auto b = Button_Of(e->button());
  if (b && On_Press) {
    const QPoint at = e->position().toPoint();
    On_Press(*b, Shift_Of(e->modifiers()), at.x(), at.y());
  }
}

void Grab_Area::mouseMoveEvent(QMouseEvent* e) {
  if (On_Move) {
    const QPoint at = e->position().toPoint();
    On_Move(Shift_Of(e->modifiers()), at.x(), at.y());
  }
}

void Grab_Area::mouseReleaseEvent(QMouseEvent* e) {
  const auto b = Button_Of(e->button());
  if (b && On_Release) {
    const QPoint at = e->position().toPoint();
    On_Release(*b, Shift_Of(e->modifiers()), at.x(), at.y());
  }
}

}  // namespace tolvane
