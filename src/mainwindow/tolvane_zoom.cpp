#include <cstdlib>

#include "mainwindow/tolvane.h"

namespace tolvane {

void TTolvane::Redraw_Zoom() {
  View.Redraw(*this, Aids.Onion_Skin, Aids.Pixel_Grid, Aids.Transparency);
  Show_Transparent_Colour();
  // Each command that changes the working frame ends with a redraw; a drag
  // updates the thumbnail at its release, playback not at all.
  if (Document_Open() && !Mouse.Dragging() && !Selection.Dragging() && !Player.Playing())
    Show_Working_Thumb();
}

void TTolvane::Update_Zoom_Range() {
  // A shown selection stays over its frame pixels when the centred frame moves.
  const int ox = View.Origin_X(), oy = View.Origin_Y();
  View.Update_Range(Frame_Size);
  if (View.Origin_X() == ox && View.Origin_Y() == oy) return;
  Selection.Move_Overlay_By(View.Origin_X() - ox, View.Origin_Y() - oy);
  Redraw_Zoom();
}

void TTolvane::Zoom_OutClick() {
  if (!Document_Open()) return;
  Commit_Frame();
  if (View.Zoom_Out()) {
    // The selection overlay is placed in view pixels and would no longer match.
    if (Cur_Tool == Tool_Select) Tool1Click();
    Update_Zoom_Range();
  }
  Show_Frame();
}

void TTolvane::Zoom_InClick() {
  if (!Document_Open()) return;
  Commit_Frame();
  if (View.Zoom_In(Frame_Size) && Cur_Tool == Tool_Select) Tool1Click();
  Update_Zoom_Range();
  Show_Frame();
}

// A shown selection stays over the same frame pixels when the view scrolls.
void TTolvane::ZHChange() {
  Redraw_Zoom();
  Selection.Move_Overlay_By(-View.Take_Scroll_X(), 0);
}

void TTolvane::ZVChange() {
  Redraw_Zoom();
  Selection.Move_Overlay_By(0, -View.Take_Scroll_Y());
}

void TTolvane::ZoomMouseWheel(unsigned shift, int delta_x, int delta_y) {
  // A drag in progress keeps the view it started in: the band of the select
  // tool is placed in view pixels.
  if (Mouse.Dragging() || Selection.Dragging()) return;
  // A tilt wheel reports sideways turns in delta_x; Shift turns the
  // ordinary wheel sideways.
  const bool sideways = (shift & ss_Shift) != 0 || (delta_y == 0 && delta_x != 0);
  const int notches = View.Wheel_Notches(delta_y != 0 ? delta_y : delta_x);
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
  Scroll_Bar& bar = sideways ? Controls.ZH : Controls.ZV;
  if (!bar.Enabled) return;
  bar.Set_Position(bar.Position - notches * bar.Small_Change);
}

void TTolvane::OnionSkin1Click() {
  Aids.Onion_Skin = !Aids.Onion_Skin;
  Redraw_Zoom();
}

void TTolvane::PixelGrid1Click() {
  Aids.Pixel_Grid = !Aids.Pixel_Grid;
  Redraw_Zoom();
}

}  // namespace tolvane
