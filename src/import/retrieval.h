#pragma once
#include <cstdint>

#include "image/colour.h"
#include "image/raster_image.h"
#include "image/rect.h"

namespace tolvane {

// The arithmetic of frame retrieval: a picture is cut into a grid of equal
// cells, and each cell becomes one square output frame.

enum Conversion_Type { ct_Crop = 0, ct_Scale = 1, ct_Stretch = 2, ct_Mount = 3 };

// The grid as the dialog's fields give it: cell size and the rows and
// columns skipped above and left of the first cell.
struct Cell_Grid {
  int Frame_W = 32, Frame_H = 32;
  int Top_Border = 0, Left_Border = 0;
};

struct Cell_Counts {
  int Cells_Per_Row = 1;
  int Cell_Rows = 1;
  int Cell_Total = 0;
  friend bool operator==(const Cell_Counts&, const Cell_Counts&) = default;
};

// Whole cells only, except that a row always holds at least one cell (it may
// run past the right edge). Offsets past the picture give counts of 0 or
// less. Fields that are empty (filled false) or a zero cell size give the
// fallback of no cells in a 1 x 1 grid.
Cell_Counts Count_Cells(int picture_width, int picture_height, const Cell_Grid& g,
                        bool filled = true);

// Copies cell (row i, column j), 0-based, into cell, sized Frame_W x Frame_H.
// Pixels of the cell outside the picture keep what cell held before.
void Cut_Cell(const Raster_Image& picture, const Cell_Grid& g, int i, int j, Raster_Image& cell);

struct Conversion {
  Conversion_Type Type = ct_Stretch;
  int Size = 32;  // the output frame's edge
  // Crop: the crop square's position inside the 128 x 128 input preview.
  int Crop_Left = 0, Crop_Top = 0;
  Colour Mount = 0;
};

// The rectangle a Scale conversion stretches a w x h cell onto.
Rect Scale_Rect(int w, int h, int size);

// Draws the cell into target (Size x Size). Crop does not clear the target
// first: what the crop square leaves outside the cell keeps its old pixels.
void Convert_Cell(const Raster_Image& cell, Raster_Image& target, const Conversion& c);

// The input preview is 128 x 128; a cell is drawn centred in it.
inline constexpr int Preview_Size = 128;

// Rounds to the nearest integer, ties to the even one.
int Round_Even(double v);

// The progress bar's position after frame n of total: round(n * 100 / total).
int Progress_Percent(int n, int total);

// Whether a run of rows x columns cells yields a strip, checked before any
// image is sized. A run with no frame, or one whose cells all lie past the
// picture, gives nothing; a strip beyond the image bound is refused.
enum class Run_Check { Ok, No_Frame, Too_Large };
Run_Check Check_Run(int picture_width, int picture_height, const Cell_Grid& g, int rows,
                    int columns, int size);

// The strip's width in 64 bits: rows x columns x size.
inline std::int64_t Strip_Width(int rows, int columns, int size) {
  return std::int64_t(rows) * columns * size;
}

}  // namespace tolvane
