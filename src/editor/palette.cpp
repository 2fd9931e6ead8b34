#include "editor/palette.h"
#include "editor/zoom_view.h"

#include <algorithm>

namespace tolvane {

namespace {

constexpr int Cell = 9;
constexpr int Pal_Width = 81, Pal_Height = 18;
constexpr int Custom_Column_Left = 72;

// The sixteen fixed colours, cell columns 0 to 7, top row then bottom row. The
// ninth column holds the custom colours, silver until they are painted.
constexpr Colour Fixed_Top[8] = {0x000000, 0x808080, 0x000080, 0x008000,
                                 0x008080, 0x800000, 0x800080, 0x808000};
constexpr Colour Fixed_Bottom[8] = {0xFFFFFF, 0xC0C0C0, 0x0000FF, 0x00FF00,
                                    0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00};
constexpr Colour Custom_Placeholder = 0xC0C0C0;

void Paint(Raster_Image& picture, const Rect& r, Colour c) {
  // Drawing keeps only the low 24 bits: the no-colour value 0xFFFFFFFF shows white.
  picture.Fill_Colour = c;
  picture.FillRect(r);
}

}  // namespace

void Paint_Palette_Picture(Raster_Image& pal, Colour custom1, Colour custom2) {
  // The fixed cells never change, so rebuilding them each time is cheap and
  // keeps the picture right however it was sized before.
  pal.Set_Size(Pal_Width, Pal_Height);
  for (int i = 0; i < 8; ++i) {
    Paint(pal, {i * Cell, 0, (i + 1) * Cell, Cell}, Fixed_Top[i]);
    Paint(pal, {i * Cell, Cell, (i + 1) * Cell, 2 * Cell}, Fixed_Bottom[i]);
  }
  Paint(pal, {Custom_Column_Left, 0, Pal_Width, Pal_Height}, Custom_Placeholder);
  Paint_Custom_Cell(pal, false, custom1);
  Paint_Custom_Cell(pal, true, custom2);
}

void Paint_Custom_Cell(Raster_Image& pal, bool second, Colour c) {
  // The custom cells reach one column past the picture's edge, which clips it.
  const int top = second ? Cell : 0;
  Paint(pal, {Custom_Column_Left, top, Custom_Column_Left + 10, top + Cell}, c);
}

void Paint_Swatch_Half(Raster_Image& swatch, bool right, Colour c, bool transparent) {
  const int half = swatch.Width() / 2;
  const Rect area{right ? half : 0, 0, right ? swatch.Width() : half, swatch.Height()};
  Paint(swatch, area, c);
  if (transparent) Draw_Checkerboard(swatch, area, c);
}

std::vector<Colour> Palette_Colours(const Palette_State& p, Colour custom1, Colour custom2) {
  if (!p.Loaded.empty()) return p.Loaded;
  std::vector<Colour> colours;
  // In the fixed palette's own order: columns left to right, top row first.
  for (int i = 0; i < 8; ++i) colours.insert(colours.end(), {Fixed_Top[i], Fixed_Bottom[i]});
  colours.insert(colours.end(), {custom1, custom2});
  return colours;
}

int Palette_Grid::Width(std::size_t count) const {
  return int(std::min<std::size_t>(count, std::size_t(Columns))) * Pitch + 1;
}

int Palette_Grid::Height(std::size_t count) const {
  return int((count + std::size_t(Columns) - 1) / std::size_t(Columns)) * Pitch + 1;
}

int Palette_Grid::Cell_At(int x, int y, std::size_t count) const {
  if (x < 0 || y < 0 || x >= Width(count) - 1) return -1;
  const std::size_t i = std::size_t(y / Pitch) * std::size_t(Columns) + std::size_t(x / Pitch);
  return i < count ? int(i) : -1;
}

void Paint_Palette_Cells(Raster_Image& picture, const std::vector<Colour>& colours,
                         const Palette_Grid& grid, Colour first, Colour second) {
  picture.Set_Size(grid.Width(colours.size()), grid.Height(colours.size()));
  Paint(picture, {0, 0, picture.Width(), picture.Height()}, 0x808080);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const Colour c = colours[i] & Colour_Mask;
    const int left = int(i % std::size_t(grid.Columns)) * grid.Pitch + 1;
    const int top = int(i / std::size_t(grid.Columns)) * grid.Pitch + 1;
    const int size = grid.Pitch - 1;
    Paint(picture, {left, top, left + size, top + size}, c);
    const int light = int(c & 0xFF) * 3 + int(c >> 8 & 0xFF) * 6 + int(c >> 16 & 0xFF);
    const Colour mark = light > 1275 ? 0x000000 : 0xFFFFFF;
    if (c == (first & Colour_Mask)) {
      picture.Fill_Colour = mark;
      picture.FrameRect({left, top, left + size, top + size});
    }
    if (c == (second & Colour_Mask)) {
      const int mid = size / 2;
      Paint(picture, {left + mid - 1, top + mid - 1, left + mid + 2, top + mid + 2}, mark);
    }
  }
}

int Step_Palette(const std::vector<Colour>& colours, int index, Colour current, int delta) {
  const int n = int(colours.size());
  if (n == 0) return -1;
  if (index < 0 || index >= n || colours[std::size_t(index)] != current) {
    const auto at = std::find(colours.begin(), colours.end(), current);
    if (at == colours.end()) return delta > 0 ? 0 : n - 1;
    index = int(at - colours.begin());
  }
  return ((index + delta) % n + n) % n;
}

}  // namespace tolvane
