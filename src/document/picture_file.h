#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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
// keeps, and which tells notes of a file cut short. Every Toolkit_Error
// names the file; one that is no BMP, PNG or GIF gets that as its reason.
// `text` receives a PNG's text chunks (none for the others).
Raster_Image Read_Picture(const std::string& path, Colour background, Read_Notes* notes = nullptr,
                          Png_Text* text = nullptr);

// A picture with its transparency kept as one transparent colour.
struct Keyed_Picture {
  Raster_Image Image;
  std::optional<Colour> Transparent;
  std::int64_t Partly_Transparent = 0;  // PNG pixels blended over it
  // A GIF's frames are Frame_Width x Frame_Height, side by side, each shown
  // for its delay (ms, 0 where the file gives none); 0 and none otherwise.
  int Frame_Width = 0, Frame_Height = 0;
  std::vector<int> Delays_Ms;
  Png_Text Text;  // a PNG's text chunks
};
// The transparent colour is the file's own when no opaque pixel uses it,
// else the first free one from `preferred` on (Read_Png_Keyed, Read_Gif);
// for a PNG that names none, never one of `avoid`.
Keyed_Picture Read_Picture_Keyed(const std::string& path, Colour preferred,
                                 Read_Notes* notes = nullptr, std::span<const Colour> avoid = {});

// Writing goes by the name: PNG when it ends in ".png" in any case, BMP
// otherwise.
bool Is_Png_Name(const std::string& path);
// A PNG writes the pixels of `transparent` see-through, and the frames'
// durations (Editing_State::Frame_Ms) when some frame has its own; a BMP
// holds neither.
void Write_Picture(const std::string& path, const Raster_Image& image,
                   std::optional<Colour> transparent = std::nullopt,
                   const std::vector<int>& durations = {});

// The frames' durations in a PNG strip: a tEXt chunk of this keyword whose
// text is each frame's duration in ms, 0 for one that follows the speed,
// separated by commas ("100,400,0,250").
inline constexpr const char* Durations_Keyword = "Tolvane-Durations";
std::string Durations_Text(const std::vector<int>& durations);
// The durations the text gives for `frames` frames; none unless it holds
// exactly that many, each 0 or within Min_Frame_Ms..Max_Frame_Ms.
std::optional<std::vector<int>> Parse_Durations(std::string_view text, int frames);

// The durations a file's text chunks give its `frames` frames: empty when it
// has none (every frame follows the speed), or when the chunk is damaged,
// which Damaged tells so that the user hears of it.
struct File_Durations {
  std::vector<int> Ms;
  bool Damaged = false;
};
File_Durations Durations_In(const Png_Text& text, int frames);
// The message for a file whose durations were damaged.
std::string Damaged_Durations_Text(const std::string& file_name);

}  // namespace tolvane
