#pragma once
#include <QWidget>
#include <functional>

#include "platform/controls.h"

namespace tolvane {

// An empty, see-through control that takes the mouse: the floating
// selection's grab area, shown with the four-way move cursor. Reports its
// events in its own coordinates; while a button is held they keep coming
// here, also after the area has moved.
class Grab_Area : public QWidget {
 public:
  explicit Grab_Area(QWidget* parent);

  std::function<void(Mouse_Button, unsigned, int, int)> On_Press, On_Release;
  std::function<void(unsigned, int, int)> On_Move;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
};

}  // namespace tolvane
