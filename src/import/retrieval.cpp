#include "import/retrieval.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace tolvane {

Cell_Counts Count_Cells(int picture_width, int picture_height, const Cell_Grid& g, bool filled) {
  if (!filled || g.Frame_W == 0 || g.Frame_H == 0) return {1, 1, 0};
  Cell_Counts c;
  c.Cells_Per_Row = (picture_width - g.Left_Border) / g.Frame_W;
  if (c.Cells_Per_Row == 0) c.Cells_Per_Row = 1;
  c.Cell_Rows = (picture_height - g.Top_Border) / g.Frame_H;
  c.Cell_Total = c.Cell_Rows * c.Cells_Per_Row;
  return c;
}

void Cut_Cell(const Raster_Image& picture, const Cell_Grid& g, int i, int j, Raster_Image& cell) {
  cell.Set_Size(g.Frame_W, g.Frame_H);
  BitBlt(cell, -(g.Frame_W * j + g.Left_Border), -(g.Frame_H * i + g.Top_Border), picture);
}

int Round_Even(double v) {
  // nearbyint follows the rounding mode, which is to-nearest-even unless
  // someone changed it.
  const int mode = std::fegetround();
  if (mode != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(v);
  if (mode != FE_TONEAREST) std::fesetround(mode);
  return int(r);
}

Rect Scale_Rect(int w, int h, int size) {
  const double fx = double(size) / w, fy = double(size) / h;
  const double f = std::min(fx, fy);
  const int w2 = Round_Even(w * f), h2 = Round_Even(h * f);
  const int left = (size - w2) / 2, top = (size - h2) / 2;
  return {left, top, left + w2, top + h2};
}

void Convert_Cell(const Raster_Image& cell, Raster_Image& target, const Conversion& c) {
  const int w = cell.Width(), h = cell.Height(), d = c.Size;
  switch (c.Type) {
    case ct_Crop:
      BitBlt(target, (Preview_Size - w) / 2 - c.Crop_Left, (Preview_Size - h) / 2 - c.Crop_Top,
             cell);
      break;
    case ct_Scale:
      target.Fill_Colour = 0x000000;
      target.FillRect({0, 0, d, d});
      if (w > 0 && h > 0) StretchBlt(target, Scale_Rect(w, h, d), cell);
      break;
    case ct_Stretch:
      StretchBlt(target, {0, 0, d, d}, cell);
      break;
    case ct_Mount:
      target.Fill_Colour = c.Mount;
      target.FillRect({0, 0, d, d});
      BitBlt(target, (d - w) / 2, (d - h) / 2, cell);
      break;
  }
}

int Progress_Percent(int n, int total) { return Round_Even(double(n) * 100 / total); }

Run_Check Check_Run(int picture_width, int picture_height, const Cell_Grid& g, int rows,
                    int columns, int size) {
  // Both counts must be positive: -2 rows of -3 cells make 6 but no cell.
  // A row of one cell is counted even when the offsets leave nothing of the
  // picture in it; such a cell would be made up of stale pixels.
  if (rows < 1 || columns < 1 || size < 1) return Run_Check::No_Frame;
  if (g.Left_Border >= picture_width || g.Top_Border >= picture_height) return Run_Check::No_Frame;
  const std::int64_t width = Strip_Width(rows, columns, size);
  if (width > INT32_MAX || width * size > Max_Image_Pixels) return Run_Check::Too_Large;
  return Run_Check::Ok;
}

}  // namespace tolvane
