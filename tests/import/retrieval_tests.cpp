#include <gtest/gtest.h>

#include "import/retrieval.h"

namespace tolvane::testing {
namespace {

// A picture whose every pixel tells where it came from: x in the low
// 12 bits, y above; never black, white or the mount colour used below.
Colour Coord(int x, int y) { return Colour(0x800000 | (y << 12) | x); }

Raster_Image Coord_Picture(int w, int h) {
  Raster_Image p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.Row(y)[x] = Coord(x, y);
  return p;
}

TEST(Count_Cells, WholeCellsRowsNotRaisedColumnsRaisedToOne) {
  struct Case {
    int pw, ph;
    Cell_Grid g;
    bool filled;
    Cell_Counts want;
  };
  const Case cases[] = {
      {100, 70, {32, 32, 0, 0}, true, {3, 2, 6}},        {20, 10, {20, 10, 0, 0}, true, {1, 1, 1}},
      {20, 70, {32, 32, 0, 0}, true, {1, 2, 2}},   // one cell runs past the right edge
      {100, 20, {32, 32, 0, 0}, true, {3, 0, 0}},  // no whole row
      {100, 70, {32, 32, 6, 4}, true, {3, 2, 6}},        {100, 70, {32, 32, 7, 5}, true, {2, 1, 2}},
      {100, 70, {32, 32, 200, 200}, true, {-3, -4, 12}},  // offsets past the picture
      {100, 70, {32, 32, 0, 120}, true, {1, 2, 2}},       // -20 div 32 is 0, raised to 1
      {100, 70, {0, 32, 0, 0}, true, {1, 1, 0}},         {100, 70, {32, 0, 0, 0}, true, {1, 1, 0}},
      {100, 70, {32, 32, 0, 0}, false, {1, 1, 0}},  // a field left empty
  };
  for (const Case& c : cases) {
    const Cell_Counts got = Count_Cells(c.pw, c.ph, c.g, c.filled);
    EXPECT_EQ(got, c.want) << c.pw << "x" << c.ph << " cells " << c.g.Frame_W << "x" << c.g.Frame_H
                           << " offsets " << c.g.Top_Border << "," << c.g.Left_Border << " got "
                           << got.Cells_Per_Row << " per row, " << got.Cell_Rows << " rows, "
                           << got.Cell_Total;
  }
}

TEST(Cut_Cell, TakesTheCellAtItsGridPlaceAndKeepsOldPixelsPastTheEdge) {
  struct Case {
    int pw, ph;
    Cell_Grid g;
    int i, j;
  };
  const Case cases[] = {
      {100, 70, {32, 32, 0, 0}, 0, 0}, {100, 70, {32, 32, 0, 0}, 1, 2},
      {100, 70, {32, 32, 3, 5}, 1, 2}, {20, 70, {32, 32, 0, 0}, 0, 0},
      {100, 20, {32, 32, 0, 0}, 0, 1}, {10, 10, {4, 3, 1, 2}, 2, 1},
  };
  for (const Case& c : cases) {
    const Raster_Image picture = Coord_Picture(c.pw, c.ph);
    constexpr Colour Old = 0x123456;
    Raster_Image cell(c.g.Frame_W, c.g.Frame_H, Old);
    Cut_Cell(picture, c.g, c.i, c.j, cell);
    ASSERT_EQ(cell.Width(), c.g.Frame_W);
    ASSERT_EQ(cell.Height(), c.g.Frame_H);
    for (int y = 0; y < cell.Height(); ++y)
      for (int x = 0; x < cell.Width(); ++x) {
        const int px = c.g.Left_Border + c.j * c.g.Frame_W + x;
        const int py = c.g.Top_Border + c.i * c.g.Frame_H + y;
        const Colour want = px < c.pw && py < c.ph ? Coord(px, py) : Old;
        ASSERT_EQ(cell.At(x, y), want) << "cell " << c.i << "," << c.j << " pixel " << x << "," << y
                                       << " of a " << c.pw << "x" << c.ph << " picture";
      }
  }
}

TEST(Round_Even, TiesGoToTheEvenInteger) {
  const std::pair<double, int> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2},  {12.5, 12}, {37.5, 38},
                                          {3.4, 3}, {3.6, 4}, {-0.5, 0}, {-1.5, -2}, {100.0, 100}};
  for (auto [v, want] : cases) EXPECT_EQ(Round_Even(v), want) << v;
}

TEST(Scale_Rect, FitsInsideKeepingTheAspectAndRoundsTiesToEven) {
  struct Case {
    int w, h, d;
    Rect want;
  };
  const Case cases[] = {
      {64, 32, 32, {0, 8, 32, 24}},
      {4, 1, 2, {0, 1, 2, 1}},  // h' = round(0.5) = 0: nothing is drawn
      {3, 2, 5, {0, 1, 5, 4}},  // f = 5/3, h' = round(3.33) = 3
      {32, 32, 32, {0, 0, 32, 32}},
      {10, 5, 5, {0, 1, 5, 3}},  // h' = round(2.5) = 2
      {10, 7, 5, {0, 0, 5, 4}},  // h' = round(3.5) = 4, top = 1 div 2 = 0
      {5, 10, 5, {1, 0, 3, 5}},
      {16, 16, 32, {0, 0, 32, 32}},    // small cells are enlarged
      {21, 7, 128, {0, 42, 128, 85}},  // h' = round(42.67) = 43
  };
  for (const Case& c : cases) {
    const Rect r = Scale_Rect(c.w, c.h, c.d);
    EXPECT_EQ(r, c.want) << c.w << "x" << c.h << " to " << c.d << ": got " << r.Left << "," << r.Top
                         << "," << r.Right << "," << r.Bottom;
  }
}

TEST(Convert_Cell, ScaleFillsBlackAroundTheScaledCell) {
  struct Case {
    int w, h, d;
  };
  for (const Case c : {Case{64, 32, 32}, Case{4, 1, 2}, Case{3, 2, 5}, Case{10, 5, 5}}) {
    const Raster_Image cell = Coord_Picture(c.w, c.h);
    Raster_Image t(c.d, c.d, 0x0000FF);
    Convert_Cell(cell, t, {ct_Scale, c.d, 0, 0, 0x00FF00});
    const Rect r = Scale_Rect(c.w, c.h, c.d);
    for (int y = 0; y < c.d; ++y)
      for (int x = 0; x < c.d; ++x) {
        const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
        if (inside)
          EXPECT_EQ(t.At(x, y) & 0x800000, 0x800000u)
              << c.w << "x" << c.h << " at " << x << "," << y;
        else
          EXPECT_EQ(t.At(x, y), 0u) << c.w << "x" << c.h << " at " << x << "," << y;
      }
  }
}

TEST(Convert_Cell, MountCentresUnscaledOnTheMountColour) {
  struct Case {
    int w, h, d, ox, oy;
  };
  const Case cases[] = {
      {21, 21, 32, 5, 5},    // mount colour on columns 0..4 and 26..31
      {37, 37, 32, -2, -2},  // cell columns 2..33 shown
      {32, 32, 32, 0, 0},   {40, 10, 32, -4, 11}, {1, 1, 2, 0, 0},
  };
  constexpr Colour Mount = 0x00FF00;
  for (const Case& c : cases) {
    const Raster_Image cell = Coord_Picture(c.w, c.h);
    Raster_Image t(c.d, c.d, 0x0000FF);
    Convert_Cell(cell, t, {ct_Mount, c.d, 0, 0, Mount});
    for (int y = 0; y < c.d; ++y)
      for (int x = 0; x < c.d; ++x) {
        const int cx = x - c.ox, cy = y - c.oy;
        const Colour want = cx >= 0 && cx < c.w && cy >= 0 && cy < c.h ? Coord(cx, cy) : Mount;
        ASSERT_EQ(t.At(x, y), want)
            << c.w << "x" << c.h << " to " << c.d << " at " << x << "," << y;
      }
  }
}

TEST(Convert_Cell, CropShowsTheCellUnderTheCropSquareAndKeepsTheRest) {
  struct Case {
    int w, h, d, crop_left, crop_top;
  };
  const Case cases[] = {
      {64, 64, 32, 48, 48},  // centred square: cell pixels 16..47
      {64, 64, 32, 32, 32}, {64, 64, 32, 64, 64},
      {40, 50, 32, 45, 40}, {20, 20, 32, 40, 40},  // square larger than the cell: the rest stays
  };
  constexpr Colour Before = 0x0000FF;
  for (const Case& c : cases) {
    const Raster_Image cell = Coord_Picture(c.w, c.h);
    Raster_Image t(c.d, c.d, Before);
    Convert_Cell(cell, t, {ct_Crop, c.d, c.crop_left, c.crop_top, 0});
    const int sx = c.crop_left - (128 - c.w) / 2, sy = c.crop_top - (128 - c.h) / 2;
    for (int y = 0; y < c.d; ++y)
      for (int x = 0; x < c.d; ++x) {
        const int cx = sx + x, cy = sy + y;
        const Colour want = cx >= 0 && cx < c.w && cy >= 0 && cy < c.h ? Coord(cx, cy) : Before;
        ASSERT_EQ(t.At(x, y), want)
            << "crop " << c.crop_left << "," << c.crop_top << " at " << x << "," << y;
      }
  }
}

TEST(Convert_Cell, StretchCoversTheWholeFrameFromTheCell) {
  const Raster_Image cell = Coord_Picture(64, 32);
  Raster_Image t(32, 32, 0x0000FF);
  Convert_Cell(cell, t, {ct_Stretch, 32, 0, 0, 0});
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const Colour c = t.At(x, y);
      ASSERT_EQ(c & 0x800000, 0x800000u) << x << "," << y;
      const int cx = c & 0xFFF, cy = (c >> 12) & 0x7FF;
      EXPECT_EQ(cx / 2, x) << "columns squashed by two";
      EXPECT_EQ(cy, y);
    }
}

TEST(Progress_Percent, RoundsEachStepTiesToEven) {
  struct Case {
    int total;
    std::vector<int> want;
  };
  const Case cases[] = {
      {8, {12, 25, 38, 50, 62, 75, 88, 100}},
      {3, {33, 67, 100}},
      {1, {100}},
      {200, {0, 1, 2}},  // 0.5 gives 0, 1.0 gives 1, 1.5 gives 2
  };
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
  };
  const Case cases[] = {
      {100, 70, {32, 32, 0, 0}, 1, 3, 32, Run_Check::Ok},
      {100, 20, {32, 32, 0, 0}, 1, 3, 32, Run_Check::Ok},              // first row of a thin band
      {100, 20, {32, 32, 0, 0}, 0, 3, 32, Run_Check::No_Frame},        // all rows, none whole
      {100, 70, {32, 32, 200, 200}, -4, -3, 32, Run_Check::No_Frame},  // product 12, no cell
      {100, 70, {32, 32, 0, 200}, 1, -3, 32, Run_Check::No_Frame},
      {100, 70, {32, 32, 0, 100}, 1, 1, 32, Run_Check::No_Frame},  // raised to 1, outside
      {100, 70, {32, 32, 70, 0}, 1, 3, 32, Run_Check::No_Frame},
      {100, 70, {32, 32, 69, 99}, 1, 1, 32, Run_Check::Ok},
      {4096, 4096, {1, 1, 0, 0}, 4096, 4096, 128, Run_Check::Too_Large},  // width 2^31
      {4096, 4096, {1, 1, 0, 0}, 1, 16384, 128, Run_Check::Ok},           // exactly the bound
      {4096, 4096, {1, 1, 0, 0}, 1, 16385, 128, Run_Check::Too_Large},
      {4096, 4096, {1, 1, 0, 0}, 4096, 4096, 4, Run_Check::Ok},  // 2^24 frames of 4: 2^28 pixels
      {4096, 4096, {1, 1, 0, 0}, 4096, 4096, 5, Run_Check::Too_Large},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Check_Run(c.pw, c.ph, c.g, c.rows, c.columns, c.size), c.want)
        << c.pw << "x" << c.ph << " rows " << c.rows << " columns " << c.columns << " size "
        << c.size;
}

}  // namespace
}  // namespace tolvane::testing
