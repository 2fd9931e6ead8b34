#pragma once
#include <optional>
#include <span>
#include <string>

#include "image/colour.h"
#include "image/image_error.h"
#include "image/raster_image.h"
#include "png/png.h"

namespace tolvane {

// Pictures the program opens and saves, BMP or PNG. Reading goes by the
// file's first bytes, not its name, so a PNG called .bmp still loads;
// transparent PNG pixels become `background`. Anything not PNG goes to the
// BMP reader, whose messages it keeps, and which tells notes of a file cut
// short.
Raster_Image Read_Picture(const std::string& path, Colour background, Read_Notes* notes = nullptr);
// The same keeping a PNG's transparency as its transparent colour, chosen
// from `preferred` on, and none of `avoid`, when the file names none
// (Read_Png_Keyed).
Png_Picture Read_Picture_Keyed(const std::string& path, Colour preferred,
                               Read_Notes* notes = nullptr, std::span<const Colour> avoid = {});

// Writing goes by the name: PNG when it ends in ".png" in any case, BMP
// otherwise.
bool Is_Png_Name(const std::string& path);
// A PNG writes the pixels of `transparent` see-through; a BMP cannot.
void Write_Picture(const std::string& path, const Raster_Image& image,
                   std::optional<Colour> transparent = std::nullopt);

}  // namespace tolvane
