#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "image/colour.h"
#include "image/rect.h"

namespace tolvane {

// Largest image we allocate: 2^28 pixels (1 GiB of pixels). Bigger requests fail
// with Toolkit_Error and leave the image as it was.
inline constexpr std::int64_t Max_Image_Pixels = std::int64_t{1} << 28;
// The reason a picture of w x h pixels is refused for its size.
inline std::string Too_Large(std::int64_t w, std::int64_t h) {
  return "too large: " + std::to_string(w) + " x " + std::to_string(h) + " pixels, more than the " +
         std::to_string(Max_Image_Pixels) + " a picture may have";
}

// Pixel storage. Large buffers come from a one-block store that keeps the
// last freed large buffer: loading, resizing and effects replace a big strip
// with one of about the same size, and reusing warm pages saves the page
// faults and the kernel's zeroing, which cost more than the decoding itself.
void* Allocate_Pixels(std::size_t bytes);
void Free_Pixels(void* p, std::size_t bytes) noexcept;
// Gives back the large block kept for the next large image, for a caller
// that knows none comes soon.
void Release_Spare_Pixels() noexcept;

// Elements are default-initialised, so growing a vector of pixels writes
// nothing; every caller sets the pixels it adds.
template <class T>
struct Pixel_Allocator {
  using value_type = T;
  Pixel_Allocator() = default;
  template <class U>
  Pixel_Allocator(const Pixel_Allocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(Allocate_Pixels(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { Free_Pixels(p, n * sizeof(T)); }
  template <class U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... A>
  void construct(U* p, A&&... a) {
    ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
  }
  friend bool operator==(const Pixel_Allocator&, const Pixel_Allocator&) { return true; }
};

// A value no image's serial has had yet; safe from any thread.
std::uint64_t Next_Serial() noexcept;

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
  // An image whose pixels are left unset, for decoders that write every one.
  static Raster_Image Unfilled(int width, int height);

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
    serial_ = Next_Serial();
    return pixels_.data() + std::size_t(y) * width_;
  }
  const Colour* Data() const { return pixels_.data(); }
  Colour* Data() {
    serial_ = Next_Serial();
    return pixels_.data();
  }
  Colour At(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }

  // Changes whenever the pixels may have changed (assignment takes the
  // source's value); views repaint when it differs from what they showed.
  // Values come from one counter for all images, so two images share one
  // only when one is a copy of the other: an equal serial means equal
  // pixels, even after the image was replaced by another.
  std::uint64_t Serial() const { return serial_; }
  void Touch() { serial_ = Next_Serial(); }

  friend bool Same_Pixels(const Raster_Image& a, const Raster_Image& b) {
    return a.width_ == b.width_ && a.height_ == b.height_ && a.pixels_ == b.pixels_;
  }

 private:
  void Fill_Span(int y, int x0, int x1, Colour c);  // x1 exclusive, already clipped
  void Resize(int w, int h, bool fill_new);

  int width_ = 0, height_ = 0;
  std::vector<Colour, Pixel_Allocator<Colour>> pixels_;
  std::uint64_t serial_ = Next_Serial();
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
