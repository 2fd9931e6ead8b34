#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/colour.h"
#include "image/rect.h"

namespace tolvane {

// Largest image we allocate: 2^28 pixels (1 GiB of pixels). Bigger requests fail
// with Toolkit_Error and leave the image as it was.
inline constexpr std::int64_t Max_Image_Pixels = std::int64_t{1} << 28;

// A width x height array of colours, (0, 0) top left, rows stored top-down and
// contiguous (stride == width).
//
// Two kinds of access:
//  - checked drawing (GetPixel, SetPixel, FillRect, ...): clipped to the image,
//    any coordinates allowed;
//  - unchecked (Row, Data, At): no bounds checks; for codecs and hot loops.
class Raster_Image {
 public:
  Colour Pen_Colour = 0x000000;
  Colour Fill_Colour = 0xFFFFFF;
  int Pos_X = 0, Pos_Y = 0;  // current position for LineTo

  Raster_Image() = default;
  Raster_Image(int width, int height, Colour fill = 0xFFFFFF);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // Resize keeping content at the top-left; new area takes Fill_Colour.
  void Set_Width(int w) { Set_Size(w, height_); }
  void Set_Height(int h) { Set_Size(width_, h); }
  void Set_Size(int w, int h);

  Colour GetPixel(int x, int y) const;
  void SetPixel(int x, int y, Colour c);

  void FillRect(const Rect& r);
  void FrameRect(const Rect& r);
  void Ellipse(int x1, int y1, int x2, int y2);
  void MoveToEx(int x, int y) {
    Pos_X = x;
    Pos_Y = y;
  }
  void LineTo(int x, int y);
  void ExtFloodFill(int x, int y, Colour c);

  // Unchecked access. Writers through these bump the change serial.
  const Colour* Row(int y) const { return pixels_.data() + std::size_t(y) * width_; }
  Colour* Row(int y) {
    ++serial_;
    return pixels_.data() + std::size_t(y) * width_;
  }
  const Colour* Data() const { return pixels_.data(); }
  Colour* Data() {
    ++serial_;
    return pixels_.data();
  }
  Colour At(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }

  // Changes whenever the pixels may have changed (assignment takes the
  // source's value); views repaint when it differs from what they showed.
  std::uint64_t Serial() const { return serial_; }
  void Touch() { ++serial_; }

  friend bool Same_Pixels(const Raster_Image& a, const Raster_Image& b) {
    return a.width_ == b.width_ && a.height_ == b.height_ && a.pixels_ == b.pixels_;
  }

 private:
  void Fill_Span(int y, int x0, int x1, Colour c);  // x1 exclusive, already clipped

  int width_ = 0, height_ = 0;
  std::vector<Colour> pixels_;
  std::uint64_t serial_ = 0;
};

// Draws the whole source unscaled with its top-left at (x, y).
void BitBlt(Raster_Image& dst, int x, int y, const Raster_Image& src);

// Copies src rectangle s to dst rectangle d of the same size (both given with
// Right > Left, Bottom > Top). dst and src may be the same image and overlap:
// the result is as if the source were first copied aside.
void Copy_Rect(Raster_Image& dst, const Rect& d, const Raster_Image& src, const Rect& s);

// Scaled copy by nearest pixel, never blending. A destination with Right < Left
// mirrors left-right (covering Right+1..Left), Bottom < Top top-bottom. The
// mapping ignores clipping: only the visible part is computed.
void StretchBlt(Raster_Image& dst, const Rect& d, const Raster_Image& src, const Rect& s);
void StretchBlt(Raster_Image& dst, const Rect& d, const Raster_Image& src);

}  // namespace tolvane
