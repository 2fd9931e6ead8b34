#include <cstdlib>

#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

constexpr int Notch = 120;

}  // namespace

void TTolvane::ZoomMouseWheel(unsigned shift, int delta_x, int delta_y) {
  // A drag in progress keeps the view it started in: the band of the select
  // tool is placed in view pixels.
  if (Zoom_Drag || Sel_Dragging) return;
  // A tilt wheel reports sideways turns in delta_x; Shift turns the
  // ordinary wheel sideways.
  const bool sideways = (shift & ss_Shift) != 0 || (delta_y == 0 && delta_x != 0);
  const int delta = delta_y != 0 ? delta_y : delta_x;
  // Touchpads and free-spinning wheels send parts of a notch; they add up.
  Wheel_Rest += delta;
  const int notches = Wheel_Rest / Notch;
  Wheel_Rest -= notches * Notch;
  if (notches == 0) return;

  if (shift & ss_Ctrl) {
    for (int i = 0; i < std::abs(notches); ++i) {
      if (notches > 0)
        Zoom_InClick();
      else
        Zoom_OutClick();
    }
    return;
  }
  // Turning the wheel away from the user shows what lies above (or left).
  Scroll_Bar& bar = sideways ? ZH : ZV;
  if (!bar.Enabled) return;
  bar.Set_Position(bar.Position - notches * bar.Small_Change);
}

}  // namespace tolvane
