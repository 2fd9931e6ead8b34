#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "bmp/bmp.h"
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

Raster_Image Read_Picture(const std::string& path, Colour background, Read_Notes* notes) {
  return Starts_As_Png(path) ? Read_Png(path, background) : Read_Bmp(path, notes);
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
                   std::optional<Colour> transparent) {
  if (Is_Png_Name(path))
    Write_Png(path, image, transparent);
  else
    Write_Bmp(path, image);
}

}  // namespace tolvane
