#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>

#include "bmp/bmp.h"
#include "document/editing_state.h"
#include "document/picture_file.h"
#include "gif/gif_read.h"
#include "io/read_only_file.h"
#include "png/png.h"

namespace tolvane {

Picture_Format Sniff_Picture(const std::string& path) {
  const Read_Only_File f(path);
  std::uint8_t head[8] = {};
  const ssize_t got = ::pread(f.Fd(), head, sizeof(head), 0);
  if (got < 0) throw Toolkit_Error("Stream read error", System_Reason(errno), path);
  const auto size = std::size_t(got);
  if (size == 0) return Picture_Format::Empty;
  if (Is_Png_Signature(head, size)) return Picture_Format::Png;
  if (Is_Gif_Signature(head, size)) return Picture_Format::Gif;
  if (size >= 2 && head[0] == 'B' && head[1] == 'M') return Picture_Format::Bmp;
  if (head[0] == 10) return Picture_Format::Pcx;
  return Picture_Format::Unknown;
}

namespace {

Keyed_Picture Read_Gif_Strip(const std::string& path, Colour preferred) {
  Gif_Frames gif = Read_Gif(path, preferred);
  Keyed_Picture picture;
  picture.Frame_Width = gif.Width;
  picture.Frame_Height = gif.Height;
  picture.Delays_Ms = std::move(gif.Delays_Ms);
  picture.Transparent = gif.Transparent;
  picture.Image = Gif_Strip(gif);
  return picture;
}

// A BMP, and anything that is no PNG or GIF, goes to the BMP reader, whose
// texts it keeps; a file that is not even a BMP is told as what it is.
Raster_Image Read_Rest(const std::string& path, Picture_Format format, Read_Notes* notes) {
  try {
    return Read_Bmp(path, notes);
  } catch (const Toolkit_Error& e) {
    if (format == Picture_Format::Bmp || std::string(e.what()) != "Bitmap image is not valid")
      throw;
    throw Toolkit_Error(e.what(), "not a BMP, PNG or GIF picture", path);
  }
}

}  // namespace

Raster_Image Read_Picture(const std::string& path, Colour background, Read_Notes* notes,
                          Png_Text* text) {
  const Picture_Format format = Sniff_Picture(path);
  switch (format) {
    case Picture_Format::Png:
      return Read_Png(path, background, text);
    case Picture_Format::Gif: {
      Keyed_Picture gif = Read_Gif_Strip(path, background);
      // The clear pixels took the background unless an opaque one has it.
      if (gif.Transparent && *gif.Transparent != background) {
        Colour* p = gif.Image.Data();
        std::replace(p, p + std::size_t(gif.Image.Width()) * gif.Image.Height(), *gif.Transparent,
                     background);
      }
      return std::move(gif.Image);
    }
    default:
      return Read_Rest(path, format, notes);
  }
}

Keyed_Picture Read_Picture_Keyed(const std::string& path, Colour preferred, Read_Notes* notes,
                                 std::span<const Colour> avoid) {
  const Picture_Format format = Sniff_Picture(path);
  switch (format) {
    case Picture_Format::Png: {
      Png_Picture png = Read_Png_Keyed(path, preferred, avoid);
      Keyed_Picture picture;
      picture.Image = std::move(png.Image);
      picture.Transparent = png.Transparent;
      picture.Partly_Transparent = png.Partly_Transparent;
      picture.Text = std::move(png.Text);
      return picture;
    }
    case Picture_Format::Gif:
      return Read_Gif_Strip(path, preferred);
    default: {
      Keyed_Picture picture;
      picture.Image = Read_Rest(path, format, notes);
      return picture;
    }
  }
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
