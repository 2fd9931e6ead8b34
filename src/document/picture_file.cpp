#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "bmp/bmp.h"
#include "document/picture_file.h"
#include "io/read_only_file.h"
#include "png/png.h"

namespace tolvane {

Raster_Image Read_Picture(const std::string& path, Colour background, Read_Notes* notes) {
  bool png = false;
  {
    Read_Only_File f(path);
    std::uint8_t head[8] = {};
    const ssize_t got = ::pread(f.Fd(), head, sizeof(head), 0);
    png = got > 0 && Is_Png_Signature(head, std::size_t(got));
  }
  return png ? Read_Png(path, background) : Read_Bmp(path, notes);
}

bool Is_Png_Name(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return ext == ".png";
}

void Write_Picture(const std::string& path, const Raster_Image& image) {
  if (Is_Png_Name(path))
    Write_Png(path, image);
  else
    Write_Bmp(path, image);
}

}  // namespace tolvane
