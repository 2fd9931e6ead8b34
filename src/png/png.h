#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "image/colour.h"
#include "image/colour_set.h"
#include "image/raster_image.h"
#include "image/rect.h"
#include "io/safe_save.h"

namespace tolvane {

// PNG pictures through libspng. Failures throw Toolkit_Error:
// "Cannot open file <path>", "PNG image is not valid" (bad signature, header,
// CRC, compressed data, a file cut short, or more than Max_Image_Pixels
// pixels), "Stream read error" (the device failed), and on writing
// "Cannot create file <path>" and "Stream write error".
//
// Reading accepts every colour type and bit depth, interlaced or not.
// Conversion to colour values is exact: samples of fewer than 8 bits scale by
// v * 255 / (2^n - 1), 16-bit samples round to the nearest 8-bit value, and a
// pixel with alpha is composited over `background` with
//   out = (colour * alpha + background * (max - alpha) + max / 2) / max
// per channel in integers (max = 255, or 65535 with the scaling folded in),
// so a transparent pixel is exactly the background. Gamma and colour-space
// chunks are not applied: sprite colours are kept as stored.

// Text chunks, keyword and text (tEXt: Latin-1, keywords of 1 to 79
// characters). Other programs pass over those they do not know.
using Png_Text = std::vector<std::pair<std::string, std::string>>;

// The 8 bytes every PNG file starts with.
bool Is_Png_Signature(const std::uint8_t* data, std::size_t size);

// `text`, when given, receives the file's text chunks.
Raster_Image Read_Png(const std::string& path, Colour background, Png_Text* text = nullptr);
Raster_Image Decode_Png(const std::uint8_t* data, std::size_t size, Colour background);
// The same through libspng's row by row decoding alone, the plain path the
// one-call inflate of the common layouts must match.
Raster_Image Decode_Png_Plain(const std::uint8_t* data, std::size_t size, Colour background);

// A picture read with its transparency kept as one transparent colour. In a
// file with an alpha channel or tRNS the fully transparent pixels take the
// file's tRNS colour when it names one that no opaque pixel uses, else the
// first free colour from `preferred` on that is none of `avoid`
// (Free_Colour); partly transparent
// pixels are blended over it and counted. A file without transparency, or
// whose alpha is opaque everywhere, has no transparent colour.
struct Png_Picture {
  Raster_Image Image;
  std::optional<Colour> Transparent;
  std::int64_t Partly_Transparent = 0;
  Png_Text Text = {};  // the file's tEXt and iTXt chunks that libspng found sound
};
Png_Picture Read_Png_Keyed(const std::string& path, Colour preferred,
                           std::span<const Colour> avoid = {});
Png_Picture Decode_Png_Keyed(const std::uint8_t* data, std::size_t size, Colour preferred,
                             std::span<const Colour> avoid = {});

// Writes a picture safely as Save_File does: as a palette picture when it
// has 256 colours or fewer, else as 8-bit RGB, without alpha.
void Write_Png(const std::string& path, const Raster_Image& image);
void Write_Png(const std::string& path, const Raster_Image& image, const Write_Function& write_fn);
// With a transparent colour its pixels are written fully transparent: as a
// palette picture (1 to 8 bits) with tRNS when the picture has 256 colours or
// fewer counting the transparent one, else as 8-bit RGB with a tRNS key.
// `text` goes into tEXt chunks before the pixels.
void Write_Png(const std::string& path, const Raster_Image& image,
               std::optional<Colour> transparent, const Write_Function& write_fn = {},
               const Png_Text& text = {});

// A picture handed over a row at a time, for one too large to be worth
// assembling. Row(y, scratch) gives row y's Width colours, in scratch or in
// memory of its own; the same pointer as the row before, other than scratch,
// means the same pixels again. Palette: the picture's colours when there are
// 256 or fewer (the transparent colour first, if any), for a palette picture;
// none for truecolour.
struct Png_Rows {
  int Width = 0, Height = 0;
  std::function<const Colour*(int y, Colour* scratch)> Row;
  std::optional<std::vector<Colour>> Palette;
  // Deflate at its fastest, for a file soon replaced: a third of the time
  // for about twice the size.
  bool Fast = false;
  // A palette picture of up to 64 MB of packed rows is deflated whole in one
  // call; this sends it row by row through zlib as larger ones go.
  bool Row_By_Row = false;
};
// A picture's rows as they are, with its palette when its colours fit; the
// picture must outlive them.
Png_Rows Png_Rows_Of(const Raster_Image& image, std::optional<Colour> transparent = std::nullopt);
void Write_Png(const std::string& path, const Png_Rows& rows, std::optional<Colour> transparent,
               const Write_Function& write_fn = {}, const Png_Text& text = {});

// The colours of `first` then those of the area, in the order they first
// appear, when there are 256 or fewer.
std::optional<std::vector<Colour>> Png_Colours(const Raster_Image& image, const Rect& area,
                                               const std::vector<Colour>& first);

// Compositing one channel over the background; max_value is 255 or 65535.
inline std::uint32_t Composite_Channel(std::uint32_t value, std::uint32_t alpha,
                                       std::uint32_t background, std::uint32_t max_value) {
  const std::uint64_t m = max_value;
  const std::uint64_t m2 = m * m;
  // 8-bit result of (value/m * alpha/m + background/255 * (1 - alpha/m)) * 255.
  const std::uint64_t num = 255 * std::uint64_t(value) * alpha + background * m * (m - alpha);
  return std::uint32_t((num + m2 / 2) / m2);
}

}  // namespace tolvane
