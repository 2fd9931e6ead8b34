#include <algorithm>
#include <cstdlib>
#include <utility>

#include "mainwindow/tolvane.h"

namespace tolvane {

// Overlay positions are in Panel3 pixels; the zoom view sits at (1, 1) in it,
// so view cell c starts at c * factor + 1.

namespace {

int Factor(const TTolvane& t) { return std::max(1, t.Zoom_Factor); }

void Hide_Overlay(TTolvane& t) {
  t.Select_Marker.B.Left = 10 * t.Client_Width();
  t.Select_Image.B.Left = 10 * t.Client_Width();
}

// The grab area covers the marker's inside.
void Grab_Area_Inside_Marker(TTolvane& t) {
  const Bounds& m = t.Select_Marker.B;
  t.Select_Image.B = {m.Left + 1, m.Top + 1, std::max(0, m.Width - 2), std::max(0, m.Height - 2)};
}

// The working frame while a selection floats: its background with the
// selection laid on top, clipped at the frame's edges.
void Compose(TTolvane& t) {
  BitBlt(t.Working_Frame, 0, 0, t.Sel_Background);
  BitBlt(t.Working_Frame, t.Drag_X1, t.Drag_Y1, t.Sel_Bitmap);
}

// At factors of 3 and up the division absorbs where the grab area starts
// inside its cell (1 or 2 pixels in); at 1 and 2 that offset would move the
// selection on a drag of zero pixels, so the part the factor cannot absorb
// is taken off.
int Grab_Excess(int grab_left, int cell, int scroll, int z) {
  const int offset = grab_left - (cell - scroll) * z;
  return std::max(0, offset - (z - 1));
}

// Division rounding down. Where the grab point has gone left of (or above)
// the view's edge, truncation would put it in the cell to its right, so a
// selection partly off the view would jump when merely taken hold of.
int Floor_Div(int a, int b) { return a / b - (a % b != 0 && a < 0 ? 1 : 0); }

}  // namespace

void TTolvane::Select_Band_Press(int x, int y) {
  const int z = Factor(*this);
  Drag_X1 = Drag_X2 = x / z;
  Drag_Y1 = Drag_Y2 = y / z;
  Select_Marker.B = {Drag_X1 * z, Drag_Y1 * z, 0, 0};
}

void TTolvane::Select_Band_Move(int x, int y) {
  const int z = Factor(*this);
  Drag_X2 = x / z;
  Drag_Y2 = y / z;
  Select_Marker.B = {std::min(Drag_X1, Drag_X2) * z + 1, std::min(Drag_Y1, Drag_Y2) * z + 1,
                     std::abs(Drag_X1 - Drag_X2) * z + 1, std::abs(Drag_Y1 - Drag_Y2) * z + 1};
}

void TTolvane::Select_Band_Release() {
  Sel_Dragging = false;
  const int h = ZH.Position, v = ZV.Position;
  Drag_X1 += h;
  Drag_X2 += h;
  Drag_Y1 += v;
  Drag_Y2 += v;
  if (Drag_X1 > Drag_X2) std::swap(Drag_X1, Drag_X2);
  if (Drag_Y1 > Drag_Y2) std::swap(Drag_Y1, Drag_Y2);
  // Only the frame's own pixels are lifted: a band dragged past the edge
  // would float a margin of white and stamp it over the art when moved.
  Drag_X1 = std::clamp(Drag_X1, 0, Frame_Size);
  Drag_X2 = std::clamp(Drag_X2, 0, Frame_Size);
  Drag_Y1 = std::clamp(Drag_Y1, 0, Frame_Size);
  Drag_Y2 = std::clamp(Drag_Y2, 0, Frame_Size);

  // A band without area in the frame selects nothing: a click, a drag along
  // one row or column of cells, or a band wholly outside the frame.
  if (Drag_X1 == Drag_X2 || Drag_Y1 == Drag_Y2) {
    Hide_Overlay(*this);
    return;
  }
  // The marker outlines the selection as clipped; the grab area fills it.
  const int z = Factor(*this);
  Select_Marker.B = {(Drag_X1 - h) * z + 1, (Drag_Y1 - v) * z + 1, (Drag_X2 - Drag_X1) * z + 1,
                     (Drag_Y2 - Drag_Y1) * z + 1};
  Grab_Area_Inside_Marker(*this);

  Raster_Image lifted;
  try {
    lifted = Raster_Image(Drag_X2 - Drag_X1, Drag_Y2 - Drag_Y1, 0xFFFFFF);
  } catch (...) {
    Hide_Overlay(*this);  // no selection rather than one without its images
    throw;
  }
  BitBlt(lifted, -Drag_X1, -Drag_Y1, Working_Frame);
  Sel_Bitmap = std::move(lifted);
  Working_Frame.FillRect({Drag_X1, Drag_Y1, Drag_X2, Drag_Y2});
  BitBlt(Sel_Background, 0, 0, Working_Frame);
  BitBlt(Working_Frame, Drag_X1, Drag_Y1, Sel_Bitmap);
  Sel_Scratch.Set_Size(Sel_Bitmap.Width(), Sel_Bitmap.Height());
  Redraw_Zoom();
}

void TTolvane::Select_ImageMouseDown(Mouse_Button, unsigned, int x, int y) {
  if (!Selection_Shown()) return;
  // Taking hold of the selection counts as a change even without a move.
  Anim_Modified = true;
  Frame_Edited = true;
  Sel_Dragging = true;
  Grab_X = x;
  Grab_Y = y;
  const int z = Factor(*this);
  Grab_Excess_X = Grab_Excess(Select_Image.B.Left, Drag_X1, ZH.Position, z);
  Grab_Excess_Y = Grab_Excess(Select_Image.B.Top, Drag_Y1, ZV.Position, z);
}

void TTolvane::Select_ImageMouseMove(unsigned, int x, int y) {
  // A command that dropped the selection mid-drag (Undo by its shortcut)
  // ends the drag: its images no longer describe the working frame.
  if (!Sel_Dragging || !Selection_Shown()) return;
  Anim_Modified = true;
  Frame_Edited = true;
  const int z = Factor(*this);
  const int h = ZH.Position, v = ZV.Position;
  // The grab area's left plus x is the pointer in panel pixels, wherever the
  // area has been moved since the press. Whole cells only.
  const int kx = Floor_Div(Select_Image.B.Left + x - Grab_X - Grab_Excess_X, z);
  const int ky = Floor_Div(Select_Image.B.Top + y - Grab_Y - Grab_Excess_Y, z);
  const int w = Drag_X2 - Drag_X1, ht = Drag_Y2 - Drag_Y1;
  // The cell of the new left kx * z + 1 + h * z: for factors of 2 and up this
  // is that value div z, less 1 when negative.
  Drag_X1 = kx + h;
  Drag_Y1 = ky + v;
  Drag_X2 = Drag_X1 + w;
  Drag_Y2 = Drag_Y1 + ht;
  Select_Image.B.Left = kx * z + 1;
  Select_Image.B.Top = ky * z + 1;
  Compose(*this);
  Redraw_Zoom();
  Select_Marker.B.Left = (Drag_X1 - h) * z;
  Select_Marker.B.Top = (Drag_Y1 - v) * z;
}

void TTolvane::Select_ImageMouseUp(Mouse_Button, unsigned, int, int) {
  Sel_Dragging = false;
  Select_Image.B.Left = Select_Marker.B.Left + 1;
  Select_Image.B.Top = Select_Marker.B.Top + 1;
}

}  // namespace tolvane
