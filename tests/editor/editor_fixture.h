#pragma once
#include <string>
#include <vector>

#include "support/tolvane_fixture.h"

namespace tolvane::testing {

inline constexpr Colour White = 0xFFFFFF;
inline constexpr Colour Black = 0x000000;
inline constexpr Colour Red = 0x0000FF;
inline constexpr Colour Blue = 0xFF0000;
inline constexpr Colour Silver = 0xC0C0C0;

// Mouse gestures on the zoom view, in view pixels.
class Editor_Test : public Tolvane_Test {
 protected:
  void Press(int x, int y, Mouse_Button b = Mouse_Button::Left, unsigned shift = ss_None) {
    T().ZoomMouseDown(b, shift, x, y);
  }
  void Move(int x, int y, unsigned shift = ss_None) { T().ZoomMouseMove(shift, x, y); }
  void Release(int x, int y, Mouse_Button b = Mouse_Button::Left, unsigned shift = ss_None) {
    T().ZoomMouseUp(b, shift, x, y);
  }

  // The centre of frame pixel (c, r) in the view, for the current factor,
  // scroll positions and origin.
  int Vx(int c) const {
    return View_At(c, App.Tolvane->Controls.ZH.Position, App.Tolvane->View.Origin_X());
  }
  int Vy(int r) const {
    return View_At(r, App.Tolvane->Controls.ZV.Position, App.Tolvane->View.Origin_Y());
  }
  int View_At(int i, int scroll, int origin) const {
    return (i - scroll) * App.Tolvane->View.Factor() + 1 + origin;
  }

  Raster_Image& W() { return T().Working_Frame; }

  // A new document, declining to save the current one.
  void Fresh(int size) {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    New_Anim(size);
  }

  // The frame pixels that differ from `colour`, as "x,y" in row order.
  static std::vector<std::string> Pixels_Not(const Raster_Image& im, Colour colour) {
    std::vector<std::string> out;
    for (int y = 0; y < im.Height(); ++y)
      for (int x = 0; x < im.Width(); ++x)
        if (im.At(x, y) != colour) out.push_back(std::to_string(x) + "," + std::to_string(y));
    return out;
  }

  // The pixels of the rectangle of columns x0..x1 and rows y0..y1 (inclusive).
  static std::vector<std::string> Block(int x0, int y0, int x1, int y1) {
    std::vector<std::string> out;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) out.push_back(std::to_string(x) + "," + std::to_string(y));
    return out;
  }

  // A working frame whose every pixel has its own colour, committed to the strip.
  void Fill_Distinct() {
    Raster_Image& strip = T().Anim_Strip;
    const int fs = T().Frame_Size;
    for (int y = 0; y < fs; ++y)
      for (int x = 0; x < fs; ++x)
        strip.SetPixel(T().Frame_Left(T().Cur_Frame) + x, y, Rgb(x, y, 7));
    T().Show_Frame();
  }
};

}  // namespace tolvane::testing
