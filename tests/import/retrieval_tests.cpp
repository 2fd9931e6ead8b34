#include <gtest/gtest.h>

#include <vector>

#include "import/retrieval.h"

namespace tolvane::testing {
namespace {

// Every pixel tells where it came from: x in the low 12 bits, y above, and
// a top bit that no fill colour used here has.
Colour Coord(int x, int y) { return Colour(0x800000 | (y << 12) | x); }

Raster_Image Coord_Picture(int w, int h) {
  Raster_Image p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.Row(y)[x] = Coord(x, y);
  return p;
}

TEST(Count_Cells, WholeCellsOnlyRowsAtLeastOneCell) {
  struct Case {
    int pw, ph;
    Cell_Grid g;
    bool filled;
    Cell_Counts want;
  } cases[] = {
      {100, 70, {32, 32, 0, 0}, true, {3, 2, 6}},
      {20, 70, {32, 32, 0, 0}, true, {1, 2, 2}},  // one cell runs past the right edge
      {100, 20, {32, 32, 0, 0}, true, {3, 0, 0}},
      {100, 70, {32, 32, 7, 5}, true, {2, 1, 2}},
      {100, 70, {32, 32, 200, 200}, true, {-3, -4, 12}},  // offsets past the picture
      {100, 70, {32, 32, 0, 120}, true, {1, 2, 2}},       // -20 div 32 = 0, raised to 1
      {100, 70, {0, 32, 0, 0}, true, {1, 1, 0}},
      {100, 70, {32, 32, 0, 0}, false, {1, 1, 0}},  // a field left empty
  };
  for (const Case& c : cases) {
    const Cell_Counts got = Count_Cells(c.pw, c.ph, c.g, c.filled);
    EXPECT_EQ(got, c.want) << c.pw << "x" << c.ph << " offsets " << c.g.Top_Border << ","
                           << c.g.Left_Border << ": " << got.Cells_Per_Row << " " << got.Cell_Rows
                           << " " << got.Cell_Total;
  }
}

TEST(Cut_Cell, TakesItsGridPlaceAndKeepsOldPixelsPastTheEdge) {
  struct Case {
    int pw, ph;
    Cell_Grid g;
    int i, j;
  } cases[] = {{100, 70, {32, 32, 3, 5}, 1, 2},
               {20, 70, {32, 32, 0, 0}, 0, 0},
               {100, 20, {32, 32, 0, 0}, 0, 1},
               {10, 10, {4, 3, 1, 2}, 2, 1}};
  for (const Case& c : cases) {
    Raster_Image cell(c.g.Frame_W, c.g.Frame_H, 0x123456);
    Cut_Cell(Coord_Picture(c.pw, c.ph), c.g, c.i, c.j, cell);
    for (int y = 0; y < cell.Height(); ++y)
      for (int x = 0; x < cell.Width(); ++x) {
        const int px = c.g.Left_Border + c.j * c.g.Frame_W + x;
        const int py = c.g.Top_Border + c.i * c.g.Frame_H + y;
        ASSERT_EQ(cell.At(x, y), px < c.pw && py < c.ph ? Coord(px, py) : 0x123456u)
            << c.pw << "x" << c.ph << " cell " << c.i << "," << c.j << " at " << x << "," << y;
      }
  }
}

TEST(Scale_Rect, FitsInsideKeepingTheAspectRoundingTiesToEven) {
  struct Case {
    int w, h, d;
    Rect want;
  } cases[] = {
      {64, 32, 32, {0, 8, 32, 24}}, {4, 1, 2, {0, 1, 2, 1}},       // h' = round(0.5) = 0
      {3, 2, 5, {0, 1, 5, 4}},      {10, 5, 5, {0, 1, 5, 3}},      // h' = round(2.5) = 2
      {10, 7, 5, {0, 0, 5, 4}},     {16, 16, 32, {0, 0, 32, 32}},  // h' = round(3.5) = 4
  };
  for (const Case& c : cases)
    EXPECT_EQ(Scale_Rect(c.w, c.h, c.d), c.want) << c.w << "x" << c.h << " to " << c.d;
}

// Each output pixel: the cell pixel it shows, or where none, what it keeps.
TEST(Convert_Cell, EveryTypeMapsOutputPixelsToCellPixels) {
  constexpr Colour Before = 0x0000FF, Mount = 0x00FF00;
  struct Case {
    Conversion_Type type;
    int w, h, d, crop_left, crop_top;
  } cases[] = {
      {ct_Mount, 21, 21, 32, 0, 0},  // offset 5: mount colour on columns 0..4 and 26..31
      {ct_Mount, 37, 37, 32, 0, 0},  // offset -2: cell columns 2..33
      {ct_Mount, 40, 10, 32, 0, 0},  {ct_Crop, 64, 64, 32, 48, 48},  // cell pixels 16..47
      {ct_Crop, 40, 50, 32, 45, 40}, {ct_Crop, 20, 20, 32, 40, 40},  // the rest stays
      {ct_Scale, 64, 32, 32, 0, 0},  {ct_Scale, 4, 1, 2, 0, 0},     {ct_Stretch, 64, 32, 32, 0, 0},
  };
  for (const Case& c : cases) {
    Raster_Image t(c.d, c.d, Before);
    Convert_Cell(Coord_Picture(c.w, c.h), t, {c.type, c.d, c.crop_left, c.crop_top, Mount});
    const Rect s = Scale_Rect(c.w, c.h, c.d);
    for (int y = 0; y < c.d; ++y)
      for (int x = 0; x < c.d; ++x) {
        const Colour got = t.At(x, y);
        int cx = x - (c.d - c.w) / 2, cy = y - (c.d - c.h) / 2;
        if (c.type == ct_Crop) {
          cx = c.crop_left - (128 - c.w) / 2 + x;
          cy = c.crop_top - (128 - c.h) / 2 + y;
        }
        const bool in_cell = cx >= 0 && cx < c.w && cy >= 0 && cy < c.h;
        Colour want = in_cell ? Coord(cx, cy) : c.type == ct_Mount ? Mount : Before;
        if (c.type == ct_Scale) {
          const bool in = x >= s.Left && x < s.Right && y >= s.Top && y < s.Bottom;
          if (!in) want = 0;  // black, not the mount colour
          if (in) {
            ASSERT_TRUE(got & 0x800000) << "Scale " << x << "," << y;
          }
        }
        if (c.type == ct_Stretch)  // the 64-pixel rows are squashed by two
          want = Coord(2 * x + int(got & 1), y);
        if (c.type != ct_Scale || want == 0) {
          ASSERT_EQ(got, want) << c.type << " " << c.w << "x" << c.h << " at " << x << "," << y;
        }
      }
  }
}

TEST(Progress_Percent, RoundsEveryStepTiesToEven) {
  struct Case {
    int total;
    std::vector<int> want;
  } cases[] = {{8, {12, 25, 38, 50, 62, 75, 88, 100}}, {3, {33, 67, 100}}, {200, {0, 1, 2}}};
  for (const Case& c : cases)
    for (int n = 1; n <= int(c.want.size()); ++n)
      EXPECT_EQ(Progress_Percent(n, c.total), c.want[n - 1]) << n << " of " << c.total;
}

TEST(Check_Run, RefusesRunsWithoutFramesAndStripsBeyondTheImageBound) {
  struct Case {
    int pw, ph;
    Cell_Grid g;
    int rows, columns, size;
    Run_Check want;
  } cases[] = {
      {100, 20, {32, 32, 0, 0}, 1, 3, 32, Run_Check::Ok},              // first row of a thin band
      {100, 20, {32, 32, 0, 0}, 0, 3, 32, Run_Check::No_Frame},        // all rows, none whole
      {100, 70, {32, 32, 200, 200}, -4, -3, 32, Run_Check::No_Frame},  // product 12, no cell
      {100, 70, {32, 32, 0, 100}, 1, 1, 32, Run_Check::No_Frame},      // raised to 1, outside
      {100, 70, {32, 32, 70, 0}, 1, 3, 32, Run_Check::No_Frame},
      {100, 70, {32, 32, 69, 99}, 1, 1, 32, Run_Check::Ok},
      {4096, 4096, {1, 1, 0, 0}, 4096, 4096, 128, Run_Check::Too_Large},  // width 2^31
      {4096, 4096, {1, 1, 0, 0}, 1, 16384, 128, Run_Check::Ok},           // exactly 2^28 pixels
      {4096, 4096, {1, 1, 0, 0}, 1, 16385, 128, Run_Check::Too_Large},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Check_Run(c.pw, c.ph, c.g, c.rows, c.columns, c.size), c.want)
        << c.pw << "x" << c.ph << " rows " << c.rows << " columns " << c.columns;
}

}  // namespace
}  // namespace tolvane::testing
