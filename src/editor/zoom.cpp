#include <algorithm>
#include <string>

#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

constexpr Colour Backdrop = 0xC0C0C0;
constexpr int Max_Zoom = 10;

// Frames taller than 128 would give a factor of 0; everything here treats the
// factor as at least 1 so that nothing divides by zero.
int Safe_Factor(int z) { return std::max(1, z); }

}  // namespace

void TTolvane::Redraw_Zoom() {
  Raster_Image& view = Zoom.Picture;
  const long long z = Safe_Factor(Zoom_Factor);
  const long long h = ZH.Position, v = ZV.Position;
  const long long left = -h * z, top = -v * z;
  const long long right = Frame_Size * z - h * z, bottom = Frame_Size * z - v * z;

  // The backdrop only shows where the magnified frame does not reach; skip the
  // fill when the frame covers the whole view (the common case while drawing).
  view.Fill_Colour = Backdrop;
  const bool covers = left <= 0 && top <= 0 && right >= view.Width() && bottom >= view.Height();
  if (!covers) view.FillRect({0, 0, view.Width(), view.Height()});

  // Frames are square and the strip is capped at 2^28 pixels, so a frame edge
  // times the factor stays far inside the int range.
  StretchBlt(view, {int(left), int(top), int(right), int(bottom)}, Working_Frame);
  if (OnionSkin1.Checked || PixelGrid1.Checked) Draw_View_Aids();
}

void TTolvane::Update_Zoom_Range() {
  const int z = Safe_Factor(Zoom_Factor);
  const int view = Zoom.Picture.Width() > 0 ? Zoom.Picture.Width() : 128;
  const bool scrolls = (long long)Frame_Size * z > view;
  if (scrolls) {
    // At the maximum the last column lies fully inside the view.
    const int max = Frame_Size - view / z;
    ZH.Set_Max(max);
    ZV.Set_Max(max);
  } else {
    ZH.Set_Position(0);
    ZV.Set_Position(0);
  }
  ZH.Enabled = scrolls;
  ZV.Enabled = scrolls;
  Label5.Caption = std::to_string(Zoom_Factor) + ":1";
}

void TTolvane::Zoom_OutClick() {
  if (!Document_Open()) return;
  Commit_Frame();
  if (Zoom_Factor > 1) {
    --Zoom_Factor;
    // The selection overlay is placed in view pixels and would no longer match.
    if (Cur_Tool == Tool_Select) Tool1Click();
    Update_Zoom_Range();
  }
  Show_Frame();
}

void TTolvane::Zoom_InClick() {
  if (!Document_Open()) return;
  Commit_Frame();
  if (Zoom_Factor + 1 > Max_Zoom) {
    Zoom_Factor = Max_Zoom;
  } else {
    ++Zoom_Factor;
    if (Cur_Tool == Tool_Select) Tool1Click();
  }
  Update_Zoom_Range();
  Show_Frame();
}

namespace {

// Keeps a shown selection over the same frame pixels when the view scrolls
// along one axis: its overlays move by the scrolled frame pixels.
void Follow_Scroll(TTolvane& t, int position, int& last, int& marker, int& image) {
  t.Redraw_Zoom();
  if (t.Selection_Shown()) {
    const int shift = (position - last) * Safe_Factor(t.Zoom_Factor);
    marker -= shift;
    image -= shift;
  }
  last = position;
}

}  // namespace

void TTolvane::ZHChange() {
  Follow_Scroll(*this, ZH.Position, Last_ZH, Select_Marker.B.Left, Select_Image.B.Left);
}

void TTolvane::ZVChange() {
  Follow_Scroll(*this, ZV.Position, Last_ZV, Select_Marker.B.Top, Select_Image.B.Top);
}

}  // namespace tolvane
