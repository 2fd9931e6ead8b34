#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/raster_image.h"

namespace tolvane {

// The most colours a palette holds.
inline constexpr std::size_t Max_Palette_Colours = 256;

// The palette files artists share: GIMP's .gpl, a .hex list (one RRGGBB a
// line), JASC's .pal, and a PNG or BMP swatch.
enum class Palette_Format { Gpl, Hex, Jasc, Picture };

// What a palette file gave: its colours, or what is wrong and where. Line
// counts from 1 (a picture's pixel row); 0 is the file as a whole.
struct Palette_Read {
  std::vector<Colour> Colours;
  std::string Error;
  int Line = 0;
  bool Ok() const { return Error.empty(); }
};

// By the name's extension; otherwise by the first bytes, a list of hex
// colours when nothing else fits.
Palette_Format Palette_Format_Of(const std::string& path, std::string_view head);

Palette_Read Parse_Gpl(std::string_view text);
Palette_Read Parse_Hex(std::string_view text);
Palette_Read Parse_Jasc(std::string_view text);
// Each distinct colour in reading order; pixels of `transparent` are none.
Palette_Read Swatch_Colours(const Raster_Image& picture, std::optional<Colour> transparent = {});

// Reads a palette file; a damaged or unreadable one throws a Toolkit_Error
// that names the file and the line.
std::vector<Colour> Read_Palette_File(const std::string& path);

// The file's text: .gpl (named `name`) or .hex.
std::string Gpl_Text(const std::vector<Colour>& colours, const std::string& name);
std::string Hex_Text(const std::vector<Colour>& colours);
// Writes .hex when the name ends so, .gpl otherwise, through the safe save.
void Write_Palette_File(const std::string& path, const std::vector<Colour>& colours);

// The colours an image uses, most used first, ties by the lower value, at
// most `cap` of them; Distinct counts them all.
struct Used_Colours {
  std::vector<Colour> Colours;
  std::size_t Distinct = 0;
};
Used_Colours Most_Used_Colours(const Raster_Image& image, std::size_t cap = Max_Palette_Colours);

}  // namespace tolvane
