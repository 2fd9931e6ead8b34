#pragma once
#include <cstdint>
#include <optional>

#include "document/editing_state.h"
#include "platform/controls.h"

namespace tolvane {

// The zoom view: the working frame magnified by a whole factor in a view of
// View_Width x View_Height pixels, scrolled by the two scroll bars (their
// positions are the first frame column and row shown). It drives the view's
// picture, the scroll bars and the factor label it is given.
class Zoom_View {
 public:
  Zoom_View(Image_Control& view, Scroll_Bar& h, Scroll_Bar& v, Label& factor_label);

  int Factor() const { return factor_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // A view of any size, in whole view pixels; the picture follows.
  void Set_View_Size(int width, int height);

  // The factor at which a frame of this size fills a square of `square`
  // view pixels (at least 1: larger frames show at 1:1 and scroll).
  void Fit(int frame_size, int square);
  // The largest factor from 1 to 32 at which the whole frame fits the view
  // (1 when it fits at none); true when the factor changed.
  bool Fit_Whole(int frame_size);
  // The zoom buttons. Zoom_Out lowers the factor unless it is 1; Zoom_In
  // raises it up to 10, or up to 32 as far as the whole frame still fits
  // the view (a factor above that comes down to it). Both return true when
  // they stepped by one.
  bool Zoom_Out();
  bool Zoom_In(int frame_size);

  // Where the frame's first shown pixel lies in the view: a frame smaller
  // than the view is centred in it (set by Update_Range).
  int Origin_X() const { return origin_x_; }
  int Origin_Y() const { return origin_y_; }
  // View pixel to frame pixel: (x - origin) div factor + scroll position,
  // the division truncating towards zero.
  int Frame_X(int x) const { return (x - origin_x_) / Safe_Factor() + h_.Position; }
  int Frame_Y(int y) const { return (y - origin_y_) / Safe_Factor() + v_.Position; }
  int Scroll_X() const { return h_.Position; }
  int Scroll_Y() const { return v_.Position; }
  // The factor as the arithmetic uses it, never 0.
  int Safe_Factor() const { return factor_ > 1 ? factor_ : 1; }

  // Repaints the view from the working frame, then the checked aids: the
  // onion skin (the frame before, 30 %) and the pixel grid.
  // With `transparency`, pixels of the document's transparent colour show as
  // a light checkerboard under the aids.
  void Redraw(const Editing_State& doc, bool onion_skin, bool pixel_grid,
              bool transparency = false);
  // Scroll bars, origin and factor label for the factor and frame size.
  void Update_Range(int frame_size);

  // After a scroll bar moved: how far the view moved, in view pixels, since
  // the last call for that bar.
  int Take_Scroll_X();
  int Take_Scroll_Y();
  int Last_X() const { return last_h_; }
  int Last_Y() const { return last_v_; }

  // A wheel turn in wheel units (120 a notch): the whole notches it makes
  // with what earlier turns left over.
  int Wheel_Notches(int delta);
  void Reset_Wheel() { wheel_rest_ = 0; }

 private:
  Image_Control& view_;
  Scroll_Bar& h_;
  Scroll_Bar& v_;
  Label& label_;
  int width_ = 128, height_ = 128;
  int factor_ = 4;
  int origin_x_ = 0, origin_y_ = 0;
  int last_h_ = 0, last_v_ = 0;
  int wheel_rest_ = 0;  // part of a notch left over by a fine-grained wheel
};

// The onion skin and the pixel grid over a view just redrawn with factor z
// at scroll position (h, v), the frame's first shown pixel at view (ox, oy).
void Draw_View_Aids(Raster_Image& view, const Editing_State& doc, int z, int h, int v,
                    bool onion_skin, bool pixel_grid, bool transparency = false, int ox = 0,
                    int oy = 0);

// The pixels of colour `key` within `area` become a light checkerboard of
// Checker_Cell pixels, counted from (origin_x, origin_y).
inline constexpr int Checker_Cell = 4;
void Draw_Checkerboard(Raster_Image& image, const Rect& area, Colour key, int origin_x = 0,
                       int origin_y = 0);

// The actual-size preview of the working frame. With `transparency` and a
// transparent colour it is a copy whose pixels of that colour show as the
// light checkerboard, made again whenever the frame or the colour changed
// (so playback, which only rewrites the working frame, shows it too); else
// it is the working frame itself.
class Frame_Preview {
 public:
  const Raster_Image& Picture(const Editing_State& doc, bool transparency);

 private:
  Raster_Image shown_;
  std::uint64_t source_serial_ = 0;
  std::optional<Colour> key_;
};

}  // namespace tolvane
