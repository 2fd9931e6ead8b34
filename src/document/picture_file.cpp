#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>

#include "bmp/bmp.h"
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

}  // namespace

Raster_Image Read_Picture(const std::string& path, Colour background, Read_Notes* notes) {
  switch (Sniff_Picture(path)) {
    case Picture_Format::Png:
      return Read_Png(path, background);
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
      return Read_Bmp(path, notes);
  }
}

Keyed_Picture Read_Picture_Keyed(const std::string& path, Colour preferred, Read_Notes* notes) {
  switch (Sniff_Picture(path)) {
    case Picture_Format::Png: {
      Png_Picture png = Read_Png_Keyed(path, preferred);
      Keyed_Picture picture;
      picture.Image = std::move(png.Image);
      picture.Transparent = png.Transparent;
      picture.Partly_Transparent = png.Partly_Transparent;
      return picture;
    }
    case Picture_Format::Gif:
      return Read_Gif_Strip(path, preferred);
    default: {
      Keyed_Picture picture;
      picture.Image = Read_Bmp(path, notes);
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
                   std::optional<Colour> transparent) {
  if (Is_Png_Name(path))
    Write_Png(path, image, transparent);
  else
    Write_Bmp(path, image);
}

}  // namespace tolvane
