#include "document/held_pixels.h"

#include <zstd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "image/colour_index.h"

namespace tolvane {

namespace {

constexpr std::size_t Band_Bytes = std::size_t{1} << 20;
// zstd's fastest ordinary level: measured on long strips it packs and
// unpacks at several hundred MB/s and keeps sprite art to a few percent.
constexpr int Level = 1;

struct Cctx_Free {
  void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};

// The area as palette indices, a byte a pixel; false when it has more than
// 256 colours.
bool To_Indices(const Raster_Image& image, const Rect& area, std::vector<Colour>& palette,
                std::vector<std::uint8_t>& indices) {
  Colour_Index table;
  const std::size_t w = std::size_t(area.Right - area.Left);
  indices.resize(w * std::size_t(area.Bottom - area.Top));
  Colour last = image.Row(area.Top)[area.Left];
  int index = table.Insert(last);
  if (index < 0) return false;
  std::uint8_t* out = indices.data();
  for (int y = area.Top; y < area.Bottom; ++y) {
    const Colour* p = image.Row(y) + area.Left;
    for (std::size_t x = 0; x < w; ++x) {
      if (p[x] != last) {
        index = table.Insert(last = p[x]);
        if (index < 0) return false;
      }
      *out++ = std::uint8_t(index);
    }
  }
  palette = table.Take_Colours();
  return true;
}

struct Dctx_Free {
  void operator()(ZSTD_DCtx* c) const { ZSTD_freeDCtx(c); }
};

}  // namespace

Held_Pixels::Held_Pixels(const Raster_Image& image, bool compress)
    : Held_Pixels(image, {0, 0, image.Width(), image.Height()}, compress) {}

Held_Pixels::Held_Pixels(const Raster_Image& image, const Rect& area, bool compress)
    : width_(area.Right - area.Left), height_(area.Bottom - area.Top), fill_(image.Fill_Colour) {
  if (Empty()) return;
  const std::size_t row_bytes = std::size_t(width_) * sizeof(Colour);
  band_rows_ = int(std::max<std::size_t>(1, Band_Bytes / row_bytes));
  const int count = (height_ + band_rows_ - 1) / band_rows_;
  bands_.resize(std::size_t(count));
  std::unique_ptr<ZSTD_CCtx, Cctx_Free> ctx(compress ? ZSTD_createCCtx() : nullptr);
  if (compress && !ctx) throw std::bad_alloc();
  std::vector<std::uint8_t> scratch, indices, rows_of;
  if (!compress || !To_Indices(image, area, palette_, indices)) palette_.clear();
  const std::size_t pixel_bytes = palette_.empty() ? sizeof(Colour) : 1;
  const bool whole_rows = area.Left == 0 && width_ == image.Width();
  for (int b = 0; b < count; ++b) {
    const int top = b * band_rows_, rows = std::min(band_rows_, height_ - top);
    const std::size_t size = std::size_t(width_) * pixel_bytes * std::size_t(rows);
    const std::uint8_t* raw;
    if (!palette_.empty()) {
      raw = indices.data() + std::size_t(top) * std::size_t(width_);
    } else if (whole_rows) {
      raw = reinterpret_cast<const std::uint8_t*>(image.Row(area.Top + top));
    } else {
      rows_of.resize(size);
      for (int y = 0; y < rows; ++y)
        std::memcpy(rows_of.data() + std::size_t(y) * row_bytes,
                    image.Row(area.Top + top + y) + area.Left, row_bytes);
      raw = rows_of.data();
    }
    Band& band = bands_[std::size_t(b)];
    if (ctx) {
      scratch.resize(ZSTD_compressBound(size));
      const std::size_t n =
          ZSTD_compressCCtx(ctx.get(), scratch.data(), scratch.size(), raw, size, Level);
      if (!ZSTD_isError(n) && n < size) {
        band.Bytes.assign(scratch.begin(), scratch.begin() + std::ptrdiff_t(n));
        band.Packed = true;
        continue;
      }
    }
    band.Bytes.assign(raw, raw + size);
  }
}

std::size_t Held_Pixels::Bytes() const {
  std::size_t n = bands_.size() * sizeof(Band) + palette_.size() * sizeof(Colour);
  for (const Band& b : bands_) n += b.Bytes.size();
  return n;
}

void Held_Pixels::Unpack_Band(void* dctx, std::size_t b, Colour* out) const {
  const Band& band = bands_[b];
  const int rows = std::min(band_rows_, height_ - int(b) * band_rows_);
  const std::size_t pixels = std::size_t(width_) * std::size_t(rows);
  const std::size_t size = pixels * (palette_.empty() ? sizeof(Colour) : 1);
  // Indices unpack into the band's last quarter, then spread over it.
  auto* to = reinterpret_cast<std::uint8_t*>(out) + (pixels * sizeof(Colour) - size);
  if (!band.Packed) std::memcpy(to, band.Bytes.data(), size);
  // What this object packed unpacks to its size; anything else is a fault
  // that must not pass for pixels.
  else if (ZSTD_decompressDCtx(static_cast<ZSTD_DCtx*>(dctx), to, size, band.Bytes.data(),
                               band.Bytes.size()) != size)
    std::terminate();
  if (palette_.empty()) return;
  for (std::size_t i = 0; i < pixels; ++i) out[i] = palette_[to[i]];
}

// Every memory is had before the first pixel changes.
template <typename Each_Band>
void Held_Pixels::Each_Band_Unpacked(Colour* first, Each_Band each) const {
  std::unique_ptr<ZSTD_DCtx, Dctx_Free> dctx(ZSTD_createDCtx());
  if (!dctx) throw std::bad_alloc();
  std::vector<Colour> buffer(
      first ? 0 : std::size_t(width_) * std::size_t(std::min(band_rows_, height_)));
  for (std::size_t b = 0; b < bands_.size(); ++b) {
    Colour* out = first ? first + b * std::size_t(band_rows_) * std::size_t(width_) : buffer.data();
    Unpack_Band(dctx.get(), b, out);
    if (!each(int(b) * band_rows_, std::min(band_rows_, height_ - int(b) * band_rows_), out))
      return;
  }
}

Raster_Image Held_Pixels::Unpack() const {
  if (Empty()) return {};
  Raster_Image image = Raster_Image::Unfilled(width_, height_);
  image.Fill_Colour = fill_;
  Each_Band_Unpacked(image.Data(), [](int, int, const Colour*) { return true; });
  image.Touch();
  return image;
}

void Held_Pixels::Unpack_Into(Raster_Image& image, int left, int top) const {
  if (Empty()) return;
  const bool whole_rows = left == 0 && width_ == image.Width();
  Each_Band_Unpacked(
      whole_rows ? image.Row(top) : nullptr, [&](int first, int rows, const Colour* band) {
        if (!whole_rows)
          for (int y = 0; y < rows; ++y)
            std::copy_n(band + std::size_t(y) * width_, width_, image.Row(top + first + y) + left);
        return true;
      });
  image.Touch();
}

bool Held_Pixels::Same_As(const Raster_Image& image, int left, int top) const noexcept {
  if (left < 0 || top < 0 || left + width_ > image.Width() || top + height_ > image.Height())
    return false;
  bool same = true;
  try {
    Each_Band_Unpacked(nullptr, [&](int first, int rows, const Colour* band) {
      for (int y = 0; y < rows && same; ++y) {
        const Colour* have = band + std::size_t(y) * width_;
        same = std::equal(have, have + width_, image.Row(top + first + y) + left);
      }
      return same;
    });
    return same;
  } catch (...) {
    return false;
  }
}

}  // namespace tolvane
