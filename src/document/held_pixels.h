#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/raster_image.h"
#include "image/rect.h"

namespace tolvane {

// Pixels a history step keeps, compressed: sprite art shrinks to a small
// part of its size, so long strips keep many steps under the cap. The
// picture is cut into bands of about a megabyte, each compressed on its own
// (zstd), or kept as it is where that would not be smaller: the plain form.
// A picture of 256 colours or fewer is kept as a byte a pixel.
// Packing and unpacking need memory and throw std::bad_alloc; the rest
// cannot fail.
class Held_Pixels {
 public:
  Held_Pixels() = default;
  // `compress` false keeps every band plain.
  explicit Held_Pixels(const Raster_Image& image, bool compress = true);
  // The pixels of an area of the image.
  Held_Pixels(const Raster_Image& image, const Rect& area, bool compress = true);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  // The bytes held.
  std::size_t Bytes() const;

  Raster_Image Unpack() const;
  // Into the image with the top left at (left, top), which must fit; throws
  // before any pixel changes.
  void Unpack_Into(Raster_Image& image, int left, int top) const;
  // Whether the area of `image` with its top left at (left, top) holds these
  // pixels; false also when there is no memory to tell.
  bool Same_As(const Raster_Image& image, int left, int top) const noexcept;

 private:
  struct Band {
    std::vector<std::uint8_t> Bytes;
    bool Packed = false;
  };
  void Unpack_Band(void* dctx, std::size_t b, Colour* out) const;
  // Each band in turn, unpacked at `first` (whole rows of that many pixels
  // follow one another there) or else into a band of scratch, to
  // each(first row, rows, pixels) until it returns false.
  template <typename Each_Band>
  void Each_Band_Unpacked(Colour* first, Each_Band each) const;

  int width_ = 0, height_ = 0, band_rows_ = 1;
  Colour fill_ = 0xFFFFFF;
  std::vector<Band> bands_;
  // The colours when there are 256 or fewer: the bands then hold a byte a
  // pixel, indices into these.
  std::vector<Colour> palette_;
};

}  // namespace tolvane
