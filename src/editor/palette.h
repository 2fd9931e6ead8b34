#pragma once
#include "image/raster_image.h"

namespace tolvane {

// The palette picture (81 x 18) as the window stores it, two rows of nine
// 9 x 9 cells: the sixteen fixed colours and, in the ninth column, the two
// custom colours.
void Paint_Palette_Picture(Raster_Image& pal, Colour custom1, Colour custom2);
// One custom cell: the top (first) or the bottom (second).
void Paint_Custom_Cell(Raster_Image& pal, bool second, Colour c);
// The left or the right half of a two-colour swatch.
// A checkerboard cell when c is the document's transparent colour.
void Paint_Swatch_Half(Raster_Image& swatch, bool right, Colour c, bool transparent = false);
// Which custom colour a click at x of the custom swatch edits.
inline bool Custom_Second(const Raster_Image& swatch, int x) { return x > swatch.Width() / 2; }

}  // namespace tolvane
