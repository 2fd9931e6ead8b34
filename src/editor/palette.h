#pragma once
#include <string>
#include <vector>

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

// The palette shown in cells beside the tools and in its tool window: one
// loaded from a file or taken from the animation, or else the sixteen fixed
// colours and the two custom ones.
struct Palette_State {
  std::vector<Colour> Loaded;  // empty: the default palette
  std::string File;            // where it came from; empty for none
  int Index = -1;              // the cell the first colour was last taken from
};
std::vector<Colour> Palette_Colours(const Palette_State& p, Colour custom1, Colour custom2);

// The cells: `columns` a row, `pitch` pixels apart with a grey line between
// them. The cells of the first and the second colour are marked: a frame for
// the first, a dot for the second, in black or white as shows best.
struct Palette_Grid {
  int Columns = 16, Pitch = 11;
  int Width(std::size_t count) const;
  int Height(std::size_t count) const;
  // The cell under (x, y); -1 for none.
  int Cell_At(int x, int y, std::size_t count) const;
};
void Paint_Palette_Cells(Raster_Image& picture, const std::vector<Colour>& colours,
                         const Palette_Grid& grid, Colour first, Colour second);

// The palette's next (delta 1) or previous (-1) colour from the cell at
// `index`, when it still holds `current`, or else from the first cell that
// does; from neither end when none does. Wraps around; -1 for no colours.
int Step_Palette(const std::vector<Colour>& colours, int index, Colour current, int delta);

}  // namespace tolvane
