#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/colour.h"
#include "image/image_error.h"
#include "image/raster_image.h"
#include "png/png.h"

namespace tolvane {

// What a picture file is, by its first bytes (none: the file is empty).
enum class Picture_Format { Empty, Unknown, Bmp, Png, Gif, Pcx };
// Throws "Cannot open file <path>" and "Stream read error".
Picture_Format Sniff_Picture(const std::string& path);

// Pictures the program opens, BMP, PNG or GIF, and saves, BMP or PNG.
// Reading goes by the file's first bytes, not its name, so a PNG called .bmp
// still loads; transparent pixels become `background`. A GIF is its frames
// side by side. Anything else goes to the BMP reader, whose messages it
// keeps, and which tells notes of a file cut short.
Raster_Image Read_Picture(const std::string& path, Colour background, Read_Notes* notes = nullptr);

// A picture with its transparency kept as one transparent colour.
struct Keyed_Picture {
  Raster_Image Image;
  std::optional<Colour> Transparent;
  std::int64_t Partly_Transparent = 0;  // PNG pixels blended over it
  // A GIF's frames are Frame_Width x Frame_Height, side by side, each shown
  // for its delay (ms, 0 where the file gives none); 0 and none otherwise.
  int Frame_Width = 0, Frame_Height = 0;
  std::vector<int> Delays_Ms;
};
// The transparent colour is the file's own when no opaque pixel uses it,
// else the first free one from `preferred` on (Read_Png_Keyed, Read_Gif).
Keyed_Picture Read_Picture_Keyed(const std::string& path, Colour preferred,
                                 Read_Notes* notes = nullptr);

// Writing goes by the name: PNG when it ends in ".png" in any case, BMP
// otherwise.
bool Is_Png_Name(const std::string& path);
// A PNG writes the pixels of `transparent` see-through; a BMP cannot.
void Write_Picture(const std::string& path, const Raster_Image& image,
                   std::optional<Colour> transparent = std::nullopt);

}  // namespace tolvane
