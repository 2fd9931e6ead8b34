#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>

#include "bmp/bmp.h"
#include "document/editing_state.h"
#include "document/picture_file.h"
#include "io/read_only_file.h"
#include "png/png.h"

namespace tolvane {

namespace {

bool Starts_As_Png(const std::string& path) {
  Read_Only_File f(path);
  std::uint8_t head[8] = {};
  const ssize_t got = ::pread(f.Fd(), head, sizeof(head), 0);
  return got > 0 && Is_Png_Signature(head, std::size_t(got));
}

}  // namespace

Raster_Image Read_Picture(const std::string& path, Colour background, Read_Notes* notes,
                          Png_Text* text) {
  return Starts_As_Png(path) ? Read_Png(path, background, text) : Read_Bmp(path, notes);
}

Png_Picture Read_Picture_Keyed(const std::string& path, Colour preferred, Read_Notes* notes,
                               std::span<const Colour> avoid) {
  if (Starts_As_Png(path)) return Read_Png_Keyed(path, preferred, avoid);
  return {Read_Bmp(path, notes), std::nullopt, 0};
}

bool Is_Png_Name(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return ext == ".png";
}

void Write_Picture(const std::string& path, const Raster_Image& image,
                   std::optional<Colour> transparent, const std::vector<int>& durations) {
  if (!Is_Png_Name(path)) {
    Write_Bmp(path, image);
    return;
  }
  Png_Text text;
  if (std::any_of(durations.begin(), durations.end(), [](int ms) { return ms != Follow_Speed; }))
    text.emplace_back(Durations_Keyword, Durations_Text(durations));
  Write_Png(path, image, transparent, {}, text);
}

std::string Durations_Text(const std::vector<int>& durations) {
  std::string text;
  for (int ms : durations) {
    if (!text.empty()) text += ',';
    text += std::to_string(ms);
  }
  return text;
}

std::optional<std::vector<int>> Parse_Durations(std::string_view text, int frames) {
  std::vector<int> ms;
  for (;;) {
    const std::size_t comma = std::min(text.find(','), text.size());
    int v = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + comma, v);
    const bool sound = ec == std::errc() && end == text.data() + comma &&
                       (v == Follow_Speed || v == Clamp_Duration(v));
    if (!sound || int(ms.size()) == frames) return std::nullopt;
    ms.push_back(v);
    if (comma == text.size()) break;
    text.remove_prefix(comma + 1);
  }
  if (int(ms.size()) != frames) return std::nullopt;
  return ms;
}

File_Durations Durations_In(const Png_Text& text, int frames) {
  for (const auto& [keyword, value] : text) {
    if (keyword != Durations_Keyword) continue;
    std::optional<std::vector<int>> ms = Parse_Durations(value, frames);
    if (!ms) return {{}, true};
    return {std::move(*ms), false};
  }
  return {};
}

std::string Damaged_Durations_Text(const std::string& file_name) {
  return "The frame timings in " + file_name +
         " are damaged and have been ignored: every frame follows the speed bar.";
}

}  // namespace tolvane
