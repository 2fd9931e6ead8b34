#include "editor/zoom_view.h"

#include <algorithm>
#include <string>

namespace tolvane {

namespace {

constexpr Colour Backdrop = 0xC0C0C0;
// Zoom In goes up to 10, and beyond as far as the whole frame fits.
constexpr int Max_Zoom = 10;
constexpr int Max_Fit = 32;
constexpr int Notch = 120;

}  // namespace

Zoom_View::Zoom_View(Image_Control& view, Scroll_Bar& h, Scroll_Bar& v, Label& factor_label)
    : view_(view), h_(h), v_(v), label_(factor_label) {}

void Zoom_View::Set_View_Size(int width, int height) {
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  view_.Picture.Set_Size(width_, height_);
}

void Zoom_View::Fit(int frame_size, int square) {
  factor_ = std::max(1, square / std::max(1, frame_size));
}

bool Zoom_View::Fit_Whole(int frame_size) {
  const int old = factor_;
  factor_ = std::clamp(std::min(width_, height_) / std::max(1, frame_size), 1, Max_Fit);
  return factor_ != old;
}

bool Zoom_View::Zoom_Out() {
  if (factor_ <= 1) return false;
  --factor_;
  return true;
}

bool Zoom_View::Zoom_In(int frame_size) {
  const int room = std::min(width_, height_) / std::max(1, frame_size);
  const int most = std::clamp(room, Max_Zoom, Max_Fit);
  if (factor_ + 1 > most) {
    factor_ = most;
    return false;
  }
  ++factor_;
  return true;
}

void Zoom_View::Redraw(const Editing_State& doc, bool onion_skin, bool pixel_grid) {
  Raster_Image& view = view_.Picture;
  const long long z = Safe_Factor();
  const long long h = h_.Position, v = v_.Position, fs = doc.Frame_Size;
  const long long left = origin_x_ - h * z, top = origin_y_ - v * z;
  const long long right = left + fs * z, bottom = top + fs * z;

  // The backdrop only shows where the magnified frame does not reach; skip the
  // fill when the frame covers the whole view (the common case while drawing).
  view.Fill_Colour = Backdrop;
  const bool covers = left <= 0 && top <= 0 && right >= view.Width() && bottom >= view.Height();
  if (!covers) view.FillRect({0, 0, view.Width(), view.Height()});

  // Frames are square and the strip is capped at 2^28 pixels, so a frame edge
  // times the factor stays far inside the int range.
  StretchBlt(view, {int(left), int(top), int(right), int(bottom)}, doc.Working_Frame);
  if (onion_skin || pixel_grid)
    Draw_View_Aids(view, doc, int(z), int(h), int(v), onion_skin, pixel_grid, origin_x_, origin_y_);
}

void Zoom_View::Update_Range(int frame_size) {
  const long long z = Safe_Factor();
  // At the maximum the last column (row) lies fully inside the view. A
  // frame that fits is centred.
  const auto range = [&](Scroll_Bar& bar, int view, int& origin) {
    const bool scrolls = frame_size * z > view;
    origin = scrolls ? 0 : int((view - frame_size * z) / 2);
    if (scrolls)
      bar.Set_Max(frame_size - view / int(z));
    else
      bar.Set_Position(0);
    bar.Enabled = scrolls;
  };
  range(h_, width_, origin_x_);
  range(v_, height_, origin_y_);
  label_.Caption = std::to_string(factor_) + ":1";
}

int Zoom_View::Take_Scroll_X() {
  const int shift = (h_.Position - last_h_) * Safe_Factor();
  last_h_ = h_.Position;
  return shift;
}

int Zoom_View::Take_Scroll_Y() {
  const int shift = (v_.Position - last_v_) * Safe_Factor();
  last_v_ = v_.Position;
  return shift;
}

int Zoom_View::Wheel_Notches(int delta) {
  // Touchpads and free-spinning wheels send parts of a notch; they add up.
  wheel_rest_ += delta;
  const int notches = wheel_rest_ / Notch;
  wheel_rest_ -= notches * Notch;
  return notches;
}

}  // namespace tolvane
