#include "editor/palette.h"
#include "editor/zoom_view.h"

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

}  // namespace tolvane
