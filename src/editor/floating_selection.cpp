#include "editor/floating_selection.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tolvane {

namespace {

// At factors of 3 and up the division absorbs where the grab area starts
// inside its cell (1 or 2 pixels in); at 1 and 2 that offset would move the
// selection on a drag of zero pixels, so the part the factor cannot absorb
// is taken off.
int Grab_Excess(int grab_left, int cell, int scroll, int z, int origin) {
  const int offset = grab_left - origin - (cell - scroll) * z;
  return std::max(0, offset - (z - 1));
}

// Division rounding down. Where the grab point has gone left of (or above)
// the view's edge, truncation would put it in the cell to its right, so a
// selection partly off the view would jump when merely taken hold of.
int Floor_Div(int a, int b) { return a / b - (a % b != 0 && a < 0 ? 1 : 0); }

}  // namespace

Floating_Selection::Floating_Selection(Raster_Image& frame, const Zoom_View& view, Bevel& marker,
                                       Control& grab, const TForm& window)
    : frame_(frame), view_(view), marker_(marker), grab_(grab), window_(window) {}

bool Floating_Selection::Shown() const { return marker_.B.Left < window_.Client_Width(); }

void Floating_Selection::Drop() {
  // Hiding the overlays means parking them far to the right.
  marker_.B.Left = 10 * window_.Client_Width();
  grab_.B.Left = 10 * window_.Client_Width();
}

void Floating_Selection::Grab_Area_Inside_Marker() {
  const Bounds& m = marker_.B;
  grab_.B = {m.Left + 1, m.Top + 1, std::max(0, m.Width - 2), std::max(0, m.Height - 2)};
}

// The working frame while a selection floats: its background with the
// selection laid on top, clipped at the frame's edges.
void Floating_Selection::Compose() {
  BitBlt(frame_, 0, 0, background_);
  BitBlt(frame_, x1_, y1_, bitmap_);
}

void Floating_Selection::Copy_To_Scratch() {
  if (scratch_.Width() != bitmap_.Width() || scratch_.Height() != bitmap_.Height())
    scratch_.Set_Size(bitmap_.Width(), bitmap_.Height());
  BitBlt(scratch_, 0, 0, bitmap_);
}

// The band's corners are view cells counted from the frame's first shown
// pixel, which lies at the view's origin.
void Floating_Selection::Band_Press(int x, int y) {
  const int z = view_.Safe_Factor(), ox = view_.Origin_X(), oy = view_.Origin_Y();
  x1_ = x2_ = (x - ox) / z;
  y1_ = y2_ = (y - oy) / z;
  marker_.B = {x1_ * z + ox, y1_ * z + oy, 0, 0};
}

void Floating_Selection::Band_Move(int x, int y) {
  const int z = view_.Safe_Factor(), ox = view_.Origin_X(), oy = view_.Origin_Y();
  x2_ = (x - ox) / z;
  y2_ = (y - oy) / z;
  marker_.B = {std::min(x1_, x2_) * z + 1 + ox, std::min(y1_, y2_) * z + 1 + oy,
               std::abs(x1_ - x2_) * z + 1, std::abs(y1_ - y2_) * z + 1};
}

bool Floating_Selection::Lift() {
  dragging_ = false;
  const int h = view_.Scroll_X(), v = view_.Scroll_Y(), size = frame_.Width();
  x1_ += h;
  x2_ += h;
  y1_ += v;
  y2_ += v;
  if (x1_ > x2_) std::swap(x1_, x2_);
  if (y1_ > y2_) std::swap(y1_, y2_);
  // Only the frame's own pixels are lifted: a band dragged past the edge
  // would float a margin of white and stamp it over the art when moved.
  x1_ = std::clamp(x1_, 0, size);
  x2_ = std::clamp(x2_, 0, size);
  y1_ = std::clamp(y1_, 0, size);
  y2_ = std::clamp(y2_, 0, size);

  // A band without area in the frame selects nothing: a click, a drag along
  // one row or column of cells, or a band wholly outside the frame.
  if (x1_ == x2_ || y1_ == y2_) {
    Drop();
    return false;
  }
  // The marker outlines the selection as clipped; the grab area fills it.
  const int z = view_.Safe_Factor(), ox = view_.Origin_X(), oy = view_.Origin_Y();
  marker_.B = {(x1_ - h) * z + 1 + ox, (y1_ - v) * z + 1 + oy, (x2_ - x1_) * z + 1,
               (y2_ - y1_) * z + 1};
  Grab_Area_Inside_Marker();

  Raster_Image lifted;
  try {
    lifted = Raster_Image(x2_ - x1_, y2_ - y1_, 0xFFFFFF);
  } catch (...) {
    Drop();  // no selection rather than one without its images
    throw;
  }
  BitBlt(lifted, -x1_, -y1_, frame_);
  bitmap_ = std::move(lifted);
  frame_.FillRect({x1_, y1_, x2_, y2_});
  BitBlt(background_, 0, 0, frame_);
  BitBlt(frame_, x1_, y1_, bitmap_);
  scratch_.Set_Size(bitmap_.Width(), bitmap_.Height());
  return true;
}

void Floating_Selection::Grab(int x, int y) {
  dragging_ = true;
  grab_x_ = x;
  grab_y_ = y;
  const int z = view_.Safe_Factor();
  excess_x_ = Grab_Excess(grab_.B.Left, x1_, view_.Scroll_X(), z, view_.Origin_X());
  excess_y_ = Grab_Excess(grab_.B.Top, y1_, view_.Scroll_Y(), z, view_.Origin_Y());
}

bool Floating_Selection::Drag_To(int x, int y) {
  // A command that dropped the selection mid-drag (Undo by its shortcut)
  // ends the drag: its images no longer describe the working frame.
  if (!dragging_ || !Shown()) return false;
  const int z = view_.Safe_Factor();
  const int h = view_.Scroll_X(), v = view_.Scroll_Y();
  const int ox = view_.Origin_X(), oy = view_.Origin_Y();
  // The grab area's left plus x is the pointer in panel pixels, wherever the
  // area has been moved since the press. Whole cells only.
  const int kx = Floor_Div(grab_.B.Left + x - grab_x_ - excess_x_ - ox, z);
  const int ky = Floor_Div(grab_.B.Top + y - grab_y_ - excess_y_ - oy, z);
  const int w = x2_ - x1_, ht = y2_ - y1_;
  // The cell of the new left kx * z + 1 + h * z: for factors of 2 and up this
  // is that value div z, less 1 when negative.
  x1_ = kx + h;
  y1_ = ky + v;
  x2_ = x1_ + w;
  y2_ = y1_ + ht;
  grab_.B.Left = kx * z + 1 + ox;
  grab_.B.Top = ky * z + 1 + oy;
  Compose();
  marker_.B.Left = (x1_ - h) * z + ox;
  marker_.B.Top = (y1_ - v) * z + oy;
  return true;
}

void Floating_Selection::Let_Go() {
  dragging_ = false;
  grab_.B.Left = marker_.B.Left + 1;
  grab_.B.Top = marker_.B.Top + 1;
}

void Floating_Selection::Move_Overlay_By(int dx, int dy) {
  if (!Shown()) return;
  marker_.B.Left += dx;
  grab_.B.Left += dx;
  marker_.B.Top += dy;
  grab_.B.Top += dy;
}

void Floating_Selection::Float(Raster_Image picture, int x, int y, const Raster_Image& background) {
  const int z = view_.Safe_Factor(), w = picture.Width(), h = picture.Height();
  x1_ = x;
  y1_ = y;
  bitmap_ = std::move(picture);
  x2_ = x1_ + w;
  y2_ = y1_ + h;
  scratch_.Set_Size(w, h);
  marker_.B = {1 + view_.Origin_X(), 1 + view_.Origin_Y(), w * z + 1, h * z + 1};
  BitBlt(background_, 0, 0, background);
  BitBlt(frame_, x1_, y1_, bitmap_);
  Grab_Area_Inside_Marker();
  dragging_ = false;
}

void Floating_Selection::Take_Background(Raster_Image background) {
  background_ = std::move(background);
  background_.Touch();
}

void Floating_Selection::Reset(int size) {
  bitmap_ = Raster_Image();
  scratch_ = Raster_Image();
  background_.Set_Size(size, size);
  dragging_ = false;
  Drop();
}

}  // namespace tolvane
