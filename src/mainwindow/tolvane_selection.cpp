#include "mainwindow/tolvane.h"

namespace tolvane {

// The grab area's mouse events, x and y relative to it.

void TTolvane::Select_ImageMouseDown(Mouse_Button, unsigned, int x, int y) {
  if (!Selection.Shown()) return;
  // Taking hold of the selection counts as a change even without a move.
  Anim_Modified = true;
  Frame_Edited = true;
  // The drag is one step of the history, from the press to the release.
  Anim_History.Record_Pending(*this);
  Anim_History.Name_Edit("Move Selection");
  Selection.Grab(x, y);
}

void TTolvane::Select_ImageMouseMove(unsigned, int x, int y) {
  if (!Selection.Drag_To(x, y)) return;
  Anim_Modified = true;
  Frame_Edited = true;
  Redraw_Zoom();
}

void TTolvane::Select_ImageMouseUp(Mouse_Button, unsigned, int, int) {
  Selection.Let_Go();
  Show_Working_Thumb();
  Anim_History.Record_Edit(*this, "Move Selection");
}

}  // namespace tolvane
