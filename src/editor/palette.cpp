#include "mainwindow/tolvane.h"

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

// The palette bitmap as the window stores it: two rows of nine 9 x 9 cells.
void Build_Palette_Picture(Raster_Image& pal) {
  pal.Set_Size(Pal_Width, Pal_Height);
  for (int i = 0; i < 8; ++i) {
    Paint(pal, {i * Cell, 0, (i + 1) * Cell, Cell}, Fixed_Top[i]);
    Paint(pal, {i * Cell, Cell, (i + 1) * Cell, 2 * Cell}, Fixed_Bottom[i]);
  }
  Paint(pal, {Custom_Column_Left, 0, Pal_Width, Pal_Height}, Custom_Placeholder);
}

}  // namespace

void TTolvane::Paint_Palette() {
  // The fixed cells never change, so rebuilding them each time is cheap and
  // keeps the picture right however it was sized before.
  Build_Palette_Picture(Pal.Picture);
  // The custom cells reach one column past the picture's edge, which clips it.
  Paint(Pal.Picture, {Custom_Column_Left, 0, Custom_Column_Left + 10, Cell}, Custom_Colour1);
  Paint(Pal.Picture, {Custom_Column_Left, Cell, Custom_Column_Left + 10, 2 * Cell}, Custom_Colour2);

  Raster_Image& custom = Custom.Picture;
  const int half = custom.Width() / 2;
  Paint(custom, {0, 0, half, custom.Height()}, Custom_Colour1);
  Paint(custom, {half, 0, custom.Width(), custom.Height()}, Custom_Colour2);

  Paint_Selected1();
  Paint_Selected2();
}

void TTolvane::Paint_Selected1() {
  Raster_Image& sel = Col_Select.Picture;
  Paint(sel, {0, 0, sel.Width() / 2, sel.Height()}, Selected_Colour1);
}

void TTolvane::Paint_Selected2() {
  Raster_Image& sel = Col_Select.Picture;
  Paint(sel, {sel.Width() / 2, 0, sel.Width(), sel.Height()}, Selected_Colour2);
}

void TTolvane::PalMouseUp(Mouse_Button button, unsigned, int x, int y) {
  // A release off the palette reads No_Colour; it is kept like any colour.
  const Colour c = Pal.Picture.GetPixel(x, y);
  if (button == Mouse_Button::Right) {
    Selected_Colour2 = c;
    Paint_Selected2();
  } else {
    Selected_Colour1 = c;
    Paint_Selected1();
  }
}

void TTolvane::CustomMouseUp(Mouse_Button, unsigned, int x, int) {
  const int half = Custom.Picture.Width() / 2;
  const bool second = x > half;
  ColorDialog1.Full_Open = true;
  ColorDialog1.Color = second ? Custom_Colour2 : Custom_Colour1;
  if (!P.Execute_Colour_Dialog(ColorDialog1)) return;
  const Colour c = ColorDialog1.Color;
  Raster_Image& custom = Custom.Picture;
  if (second) {
    Paint(Pal.Picture, {Custom_Column_Left, Cell, Custom_Column_Left + 10, 2 * Cell}, c);
    Paint(custom, {half, 0, custom.Width(), custom.Height()}, c);
    Custom_Colour2 = c;
  } else {
    Custom_Colour1 = c;
    Paint(Pal.Picture, {Custom_Column_Left, 0, Custom_Column_Left + 10, Cell}, c);
    Paint(custom, {0, 0, half, custom.Height()}, c);
  }
}

}  // namespace tolvane
