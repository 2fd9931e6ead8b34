#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "image/raster_image.h"

namespace tolvane::testing {

// Expected pictures written as rows of characters, so a failing test prints
// both pictures side by side:
//   '.' white  '#' black  'r' red  'g' green  'b' blue  'y' yellow  '?' anything else
inline char Art_Char(Colour c) {
  switch (c) {
    case 0xFFFFFF:
      return '.';
    case 0x000000:
      return '#';
    case 0x0000FF:
      return 'r';
    case 0x00FF00:
      return 'g';
    case 0xFF0000:
      return 'b';
    case 0x00FFFF:
      return 'y';
    default:
      return '?';
  }
}

inline Colour Art_Colour(char ch) {
  switch (ch) {
    case '#':
      return 0x000000;
    case 'r':
      return 0x0000FF;
    case 'g':
      return 0x00FF00;
    case 'b':
      return 0xFF0000;
    case 'y':
      return 0x00FFFF;
    default:
      return 0xFFFFFF;
  }
}

inline Raster_Image From_Art(std::initializer_list<std::string_view> rows) {
  const int h = int(rows.size());
  const int w = h ? int(rows.begin()->size()) : 0;
  Raster_Image img(w, h);
  int y = 0;
  for (std::string_view row : rows) {
    for (int x = 0; x < w && x < int(row.size()); ++x) img.SetPixel(x, y, Art_Colour(row[x]));
    ++y;
  }
  return img;
}

inline std::vector<std::string> Art(const Raster_Image& img) {
  std::vector<std::string> rows;
  for (int y = 0; y < img.Height(); ++y) {
    std::string row;
    for (int x = 0; x < img.Width(); ++x) row += Art_Char(img.GetPixel(x, y));
    rows.push_back(row);
  }
  return rows;
}

using Rows = std::vector<std::string>;

// An image whose every pixel has its own colour, so mappings can be checked
// by decoding where a pixel came from.
inline Colour Coord_Colour(int x, int y) { return Colour((y & 0xFFF) << 12 | (x & 0xFFF)); }

inline Raster_Image Coord_Image(int w, int h) {
  Raster_Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.SetPixel(x, y, Coord_Colour(x, y));
  return img;
}

}  // namespace tolvane::testing
