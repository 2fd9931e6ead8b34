#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <deque>
#include <random>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "image/image_error.h"
#include "image/pixel_art.h"
#include "image/raster_image.h"
#include "support/simd_levels.h"

namespace tolvane::testing {
namespace {

constexpr Colour White = 0xFFFFFF, Black = 0x000000, Red = 0x0000FF, Green = 0x00FF00,
                 Blue = 0xFF0000;

Raster_Image Blank(int w, int h) { return Raster_Image(w, h, White); }

TEST(Raster_Image_Basics, FreshImageHasDefaultState) {
  Raster_Image img;
  EXPECT_EQ(img.Width(), 0);
  EXPECT_EQ(img.Height(), 0);
  EXPECT_EQ(img.Pen_Colour, Black);
  EXPECT_EQ(img.Fill_Colour, White);
  EXPECT_EQ(img.Pos_X, 0);
  EXPECT_EQ(img.Pos_Y, 0);
  EXPECT_EQ(img.GetPixel(0, 0), No_Colour);
}

TEST(Raster_Image_Basics, GetPixelOutsideReturnsNoColour) {
  Raster_Image img = Blank(3, 2);
  img.SetPixel(2, 1, Red);
  EXPECT_EQ(img.GetPixel(2, 1), Red);
  EXPECT_EQ(img.GetPixel(3, 0), No_Colour);
  EXPECT_EQ(img.GetPixel(0, 2), No_Colour);
  EXPECT_EQ(img.GetPixel(-1, 0), No_Colour);
  EXPECT_EQ(img.GetPixel(0, -1), No_Colour);
  EXPECT_EQ(img.GetPixel(INT_MIN, INT_MAX), No_Colour);
}

TEST(Raster_Image_Basics, SetPixelOutsideIsDropped) {
  Raster_Image img = Blank(2, 2);
  img.SetPixel(-1, 0, Black);
  img.SetPixel(2, 0, Black);
  img.SetPixel(0, 2, Black);
  img.SetPixel(0, -1, Black);
  EXPECT_EQ(Art(img), (Rows{"..", ".."}));
}

TEST(Raster_Image_Basics, NoColourDrawsAsWhite) {
  Raster_Image img(4, 4, Black);
  img.SetPixel(0, 0, No_Colour);
  EXPECT_EQ(img.GetPixel(0, 0), 0xFFFFFFu);

  img.Fill_Colour = No_Colour;
  img.FillRect({1, 1, 2, 2});
  EXPECT_EQ(img.GetPixel(1, 1), 0xFFFFFFu);

  img.Pen_Colour = No_Colour;
  img.MoveToEx(0, 3);
  img.LineTo(2, 3);
  EXPECT_EQ(img.GetPixel(0, 3), 0xFFFFFFu);
  EXPECT_EQ(img.GetPixel(1, 3), 0xFFFFFFu);

  Raster_Image grown(1, 1, Black);
  grown.Fill_Colour = No_Colour;
  grown.Set_Width(2);
  EXPECT_EQ(grown.GetPixel(1, 0), 0xFFFFFFu);
}

TEST(Raster_Image_Basics, CopiesDoNotSharePixels) {
  Raster_Image a = Blank(2, 2);
  Raster_Image b = a;
  b.SetPixel(0, 0, Black);
  EXPECT_EQ(a.GetPixel(0, 0), White);
}

TEST(Raster_Image_Resize, WideningKeepsTopLeftAndAddsFillColour) {
  Raster_Image img = From_Art({"#r", "bg"});
  img.Fill_Colour = Green;
  img.Set_Width(3);
  EXPECT_EQ(Art(img), (Rows{"#rg", "bgg"}));
}

TEST(Raster_Image_Resize, TallerAddsRowsAtTheBottom) {
  Raster_Image img = From_Art({"#r"});
  img.Fill_Colour = Blue;
  img.Set_Height(3);
  EXPECT_EQ(Art(img), (Rows{"#r", "bb", "bb"}));
}

TEST(Raster_Image_Resize, ShrinkingCropsRightAndBottom) {
  Raster_Image img = From_Art({"#r.", "bg.", "..."});
  img.Set_Size(2, 2);
  EXPECT_EQ(Art(img), (Rows{"#r", "bg"}));
}

TEST(Raster_Image_Resize, FreshImageSizedInTwoStepsIsAllFillColour) {
  Raster_Image img;
  img.Fill_Colour = Red;
  img.Set_Width(3);
  img.Set_Height(2);
  EXPECT_EQ(Art(img), (Rows{"rrr", "rrr"}));
}

TEST(Raster_Image_Resize, SameSizeChangesNothing) {
  Raster_Image img = From_Art({"#r", "bg"});
  img.Fill_Colour = Green;
  img.Set_Width(2);
  img.Set_Height(2);
  EXPECT_EQ(Art(img), (Rows{"#r", "bg"}));
}

TEST(Raster_Image_Resize, TooLargeThrowsAndKeepsTheImage) {
  Raster_Image img = From_Art({"#r", "bg"});
  img.Fill_Colour = Green;
  EXPECT_THROW(img.Set_Size(1 << 15, 1 << 14), Toolkit_Error);  // 2^29 pixels
  EXPECT_THROW(img.Set_Width(INT_MAX), Toolkit_Error);
  EXPECT_THROW(img.Set_Size(INT_MAX, INT_MAX), Toolkit_Error);
  EXPECT_EQ(img.Width(), 2);
  EXPECT_EQ(img.Height(), 2);
  EXPECT_EQ(Art(img), (Rows{"#r", "bg"}));
}

TEST(Raster_Image_Resize, FailedAllocationThrowsAndKeepsTheImage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer cannot run under an address-space cap";
#endif
  // 400 MB is under the size bound but over the address space this child
  // process may have, so the allocation itself fails.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Raster_Image img = From_Art({"#r", "bg"});
    const rlimit limit{std::size_t(256) << 20, std::size_t(256) << 20};
    setrlimit(RLIMIT_AS, &limit);
    int code = 3;
    try {
      img.Set_Size(10000, 10000);
    } catch (const Toolkit_Error&) {
      code = Art(img) == Rows{"#r", "bg"} ? 0 : 1;
    } catch (...) {
      code = 2;
    }
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: image changed, 2: other exception, 3: no error";
}

TEST(Raster_Image_Resize, ZeroWidthHoldsNoPixels) {
  Raster_Image img = Blank(2, 2);
  img.Set_Width(0);
  EXPECT_TRUE(img.Empty());
  EXPECT_EQ(img.GetPixel(0, 0), No_Colour);
  img.Fill_Colour = Red;
  img.Set_Width(1);  // the height was kept, the pixels were not
  EXPECT_EQ(Art(img), (Rows{"r", "r"}));
}

TEST(Raster_Image_FillRect, AllFourCornerOrdersIncludeStartExcludeEnd) {
  struct Case {
    Rect r;
    Rows want;
  };
  const Case cases[] = {
      {{1, 1, 4, 3}, {"......", ".###..", ".###..", "......", "......"}},
      // Right < Left covers Right+1..Left.
      {{4, 1, 1, 3}, {"......", "..###.", "..###.", "......", "......"}},
      {{1, 3, 4, 1}, {"......", "......", ".###..", ".###..", "......"}},
      {{4, 3, 1, 1}, {"......", "......", "..###.", "..###.", "......"}},
  };
  for (const Case& c : cases) {
    Raster_Image img = Blank(6, 5);
    img.Fill_Colour = Black;
    img.FillRect(c.r);
    EXPECT_EQ(Art(img), c.want) << c.r.Left << "," << c.r.Top << "," << c.r.Right << ","
                                << c.r.Bottom;
  }
}

TEST(Raster_Image_FillRect, ReversedRectanglePaintsThreeToFive) {
  Raster_Image img = Blank(8, 8);
  img.Fill_Colour = Black;
  img.FillRect({5, 5, 2, 2});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool in = x >= 3 && x <= 5 && y >= 3 && y <= 5;
      EXPECT_EQ(img.GetPixel(x, y), in ? Black : White) << x << "," << y;
    }
}

TEST(Raster_Image_FillRect, EqualEdgesPaintNothing) {
  Raster_Image img = Blank(10, 10);
  img.Fill_Colour = Black;
  img.FillRect({4, 1, 4, 9});
  img.FillRect({1, 4, 9, 4});
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(img.GetPixel(x, y), White);
}

TEST(Raster_Image_FillRect, ClipsAtEveryEdgeWithExtremeCoordinates) {
  Raster_Image img = Blank(3, 3);
  img.Fill_Colour = Black;
  img.FillRect({-5, -5, 2, 1});
  EXPECT_EQ(Art(img), (Rows{"##.", "...", "..."}));
  img.Fill_Colour = Red;
  img.FillRect({INT_MAX, 2, INT_MIN, 3});  // reversed and as wide as int allows
  EXPECT_EQ(Art(img), (Rows{"##.", "...", "rrr"}));
  img.FillRect({5, 0, 9, 3});  // wholly outside
  EXPECT_EQ(Art(img), (Rows{"##.", "...", "rrr"}));
}

TEST(Raster_Image_FrameRect, BorderAroundCentre) {
  Raster_Image img = Blank(4, 4);
  img.Fill_Colour = Black;
  img.Pen_Colour = Red;  // frames use the fill colour, not the pen
  img.FrameRect({0, 0, 3, 3});
  EXPECT_EQ(Art(img), (Rows{"###.", "#.#.", "###.", "...."}));
}

TEST(Raster_Image_FrameRect, OnePixelWideIsASingleColumn) {
  Raster_Image img = Blank(3, 4);
  img.Fill_Colour = Black;
  img.FrameRect({1, 0, 2, 3});
  EXPECT_EQ(Art(img), (Rows{".#.", ".#.", ".#.", "..."}));
}

TEST(Raster_Image_FrameRect, ReversedOrEmptyDrawsNothing) {
  Raster_Image img = Blank(5, 5);
  img.Fill_Colour = Black;
  img.FrameRect({4, 0, 0, 4});
  img.FrameRect({0, 4, 4, 0});
  img.FrameRect({2, 0, 2, 4});
  EXPECT_EQ(Art(img), (Rows{".....", ".....", ".....", ".....", "....."}));
}

TEST(Raster_Image_FrameRect, ClippedBorderKeepsTheVisibleEdges) {
  Raster_Image img = Blank(4, 4);
  img.Fill_Colour = Black;
  img.FrameRect({-1, -1, 3, 3});
  EXPECT_EQ(Art(img), (Rows{"..#.", "..#.", "###.", "...."}));
  Raster_Image far = Blank(4, 4);
  far.Fill_Colour = Black;
  far.FrameRect({1, 1, 100, 100});
  EXPECT_EQ(Art(far), (Rows{"....", ".###", ".#..", ".#.."}));
}

// Draws an ellipse with distinct pen and fill on a background no one uses.
constexpr Colour Bg = 0x123456, Pen = 0x0000FF, Fill = 0x00FF00;

Raster_Image Ellipse_In(int w, int h, int x1, int y1, int x2, int y2) {
  Raster_Image img(w, h, Bg);
  img.Pen_Colour = Pen;
  img.Fill_Colour = Fill;
  img.Ellipse(x1, y1, x2, y2);
  return img;
}

TEST(Raster_Image_Ellipse, ShapeRulesHoldForManyBoxes) {
  for (int w = 1; w <= 20; ++w)
    for (int h = 1; h <= 20; ++h) {
      SCOPED_TRACE(::testing::Message() << w << " x " << h);
      const int L = 2, T = 3, W = w + 5, H = h + 6;
      const Raster_Image img = Ellipse_In(W, H, L, T, L + w, T + h);
      auto drawn = [&](int x, int y) {
        const Colour c = img.GetPixel(x, y);
        return c == Pen || c == Fill;
      };
      bool touches_left = false, touches_right = false, touches_top = false, touches_bottom = false;
      int count = 0;
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
          const Colour c = img.GetPixel(x, y);
          if (!drawn(x, y)) {
            ASSERT_EQ(c, Bg) << x << "," << y;
            continue;
          }
          ++count;
          ASSERT_TRUE(x >= L && x < L + w && y >= T && y < T + h)
              << "outside box " << x << "," << y;
          // Symmetric about both axes of the box.
          ASSERT_EQ(img.GetPixel(2 * L + w - 1 - x, y), c) << x << "," << y;
          ASSERT_EQ(img.GetPixel(x, 2 * T + h - 1 - y), c) << x << "," << y;
          touches_left |= x == L;
          touches_right |= x == L + w - 1;
          touches_top |= y == T;
          touches_bottom |= y == T + h - 1;
          // One-pixel outline: a pen pixel borders the outside; an inside pixel
          // has all four neighbours drawn.
          const bool edge =
              !drawn(x - 1, y) || !drawn(x + 1, y) || !drawn(x, y - 1) || !drawn(x, y + 1);
          ASSERT_EQ(c, edge ? Pen : Fill) << x << "," << y;
        }
      EXPECT_TRUE(touches_left && touches_right && touches_top && touches_bottom);
      // Each row and each column is one unbroken run (the shape is convex).
      for (int y = T; y < T + h; ++y) {
        int runs = 0;
        for (int x = 0; x < W; ++x) runs += drawn(x, y) && !drawn(x - 1, y);
        EXPECT_LE(runs, 1) << "row " << y;
      }
      for (int x = L; x < L + w; ++x) {
        int runs = 0;
        for (int y = 0; y < H; ++y) runs += drawn(x, y) && !drawn(x, y - 1);
        EXPECT_LE(runs, 1) << "column " << x;
      }
      if (w >= 8 && h >= 8) {
        EXPECT_FALSE(drawn(L, T)) << "a corner of the box";
        const double area = 3.14159265 / 4 * w * h;
        EXPECT_NEAR(count, area, 0.15 * area);
        EXPECT_EQ(img.GetPixel(L + w / 2, T + h / 2), Fill);
      }
    }
}

TEST(Raster_Image_Ellipse, FlatAndThinBoxesStillTouchAllSides) {
  for (const auto& [w, h] : {std::pair{100, 2}, {100, 4}, {2, 100}, {64, 2}, {3, 1}, {1, 7}}) {
    const Raster_Image img = Ellipse_In(w, h, 0, 0, w, h);
    auto col_drawn = [&](int x) {
      for (int y = 0; y < h; ++y)
        if (img.GetPixel(x, y) != Bg) return true;
      return false;
    };
    auto row_drawn = [&](int y) {
      for (int x = 0; x < w; ++x)
        if (img.GetPixel(x, y) != Bg) return true;
      return false;
    };
    EXPECT_TRUE(col_drawn(0) && col_drawn(w - 1) && row_drawn(0) && row_drawn(h - 1))
        << w << " x " << h;
  }
}

TEST(Raster_Image_Ellipse, ReversedBoxEqualsNormalBox) {
  const Raster_Image normal = Ellipse_In(9, 9, 2, 2, 6, 6);
  EXPECT_TRUE(Same_Pixels(Ellipse_In(9, 9, 6, 6, 2, 2), normal));
  EXPECT_TRUE(Same_Pixels(Ellipse_In(9, 9, 6, 2, 2, 6), normal));
  EXPECT_TRUE(Same_Pixels(Ellipse_In(9, 9, 2, 6, 6, 2), normal));
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) {
      if (x < 2 || x > 5 || y < 2 || y > 5) {
        EXPECT_EQ(normal.GetPixel(x, y), Bg);
      }
    }
  }
  EXPECT_NE(normal.GetPixel(2, 3), Bg);
  EXPECT_NE(normal.GetPixel(5, 3), Bg);
}

TEST(Raster_Image_Ellipse, DegenerateBoxDrawsNothing) {
  const Raster_Image blank(8, 8, Bg);
  EXPECT_TRUE(Same_Pixels(Ellipse_In(8, 8, 3, 1, 3, 6), blank));
  EXPECT_TRUE(Same_Pixels(Ellipse_In(8, 8, 1, 4, 6, 4), blank));
  EXPECT_TRUE(Same_Pixels(Ellipse_In(8, 8, 2, 2, 2, 2), blank));
}

TEST(Raster_Image_Ellipse, ClippingDoesNotChangeTheShape) {
  // The same ellipse drawn half outside a small image and wholly inside a big one.
  const Raster_Image big = Ellipse_In(30, 30, 5, 5, 25, 19);
  const Raster_Image small = Ellipse_In(10, 10, -5, -5, 15, 9);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(small.GetPixel(x, y), big.GetPixel(x + 10, y + 10));
}

TEST(Raster_Image_LineTo, StartDrawnEndExcludedPositionMoves) {
  Raster_Image img = Blank(5, 2);
  img.MoveToEx(0, 0);
  img.LineTo(3, 0);
  EXPECT_EQ(Art(img), (Rows{"###..", "....."}));
  EXPECT_EQ(img.Pos_X, 3);
  EXPECT_EQ(img.Pos_Y, 0);
  img.LineTo(3, 2);  // continues from (3, 0)
  EXPECT_EQ(Art(img), (Rows{"####.", "...#."}));
  EXPECT_EQ(img.Pos_Y, 2);
}

TEST(Raster_Image_LineTo, ZeroLengthDrawsNothingButMoves) {
  Raster_Image img = Blank(3, 3);
  img.MoveToEx(1, 1);
  img.LineTo(1, 1);
  EXPECT_EQ(Art(img), (Rows{"...", "...", "..."}));
  img.LineTo(-4, 7);
  EXPECT_EQ(img.Pos_X, -4);
  EXPECT_EQ(img.Pos_Y, 7);
}

TEST(Raster_Image_LineTo, EveryOctantStepsOnePixelPerMajorStep) {
  const int C = 12;
  for (int tx = 0; tx <= 2 * C; ++tx)
    for (int ty = 0; ty <= 2 * C; ++ty) {
      if (tx == C && ty == C) continue;
      SCOPED_TRACE(::testing::Message() << "to " << tx << "," << ty);
      Raster_Image img = Blank(2 * C + 1, 2 * C + 1);
      img.Pen_Colour = Red;
      img.MoveToEx(C, C);
      img.LineTo(tx, ty);
      const int dx = tx - C, dy = ty - C;
      const bool x_major = std::abs(dx) >= std::abs(dy);
      const int steps = x_major ? std::abs(dx) : std::abs(dy);
      EXPECT_EQ(img.GetPixel(C, C), Red);
      EXPECT_EQ(img.GetPixel(tx, ty), White);
      int count = 0;
      for (int y = 0; y <= 2 * C; ++y)
        for (int x = 0; x <= 2 * C; ++x) count += img.GetPixel(x, y) == Red;
      EXPECT_EQ(count, steps);
      // One pixel for each step along the longer axis, within half a pixel of
      // the true line.
      for (int k = 0; k < steps; ++k) {
        const double minor = double(k) * (x_major ? dy : dx) / steps;
        int found = 0;
        for (int m = -C; m <= C; ++m) {
          const int x = C + (x_major ? (dx > 0 ? k : -k) : m);
          const int y = C + (x_major ? m : (dy > 0 ? k : -k));
          if (img.GetPixel(x, y) == Red) {
            ++found;
            EXPECT_LE(std::abs(m - minor), 0.5 + 1e-9) << "step " << k;
          }
        }
        EXPECT_EQ(found, 1) << "step " << k;
      }
    }
}

TEST(Raster_Image_LineTo, ClippedLineKeepsItsPixels) {
  Raster_Image img = Blank(4, 3);
  img.MoveToEx(-3, 1);
  img.LineTo(2, 1);
  EXPECT_EQ(Art(img), (Rows{"....", "##..", "...."}));
  Raster_Image diag = Blank(4, 4);
  diag.MoveToEx(-2, -2);
  diag.LineTo(10, 10);
  EXPECT_EQ(Art(diag), (Rows{"#...", ".#..", "..#.", "...#"}));
}

// Reference fill: breadth first over 4-neighbours.
void Reference_Fill(Raster_Image& img, int x, int y, Colour c) {
  const Colour fill = img.Fill_Colour & Colour_Mask;
  if (img.GetPixel(x, y) != c || fill == c) return;
  std::deque<std::pair<int, int>> q{{x, y}};
  img.SetPixel(x, y, fill);
  while (!q.empty()) {
    auto [px, py] = q.front();
    q.pop_front();
    for (auto [nx, ny] : {std::pair{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}})
      if (img.GetPixel(nx, ny) == c) {
        img.SetPixel(nx, ny, fill);
        q.push_back({nx, ny});
      }
  }
}

TEST(Raster_Image_FloodFill, FillsFourConnectedRegionOnly) {
  Raster_Image img = From_Art({
      "..#....",
      "..#.##.",
      "###.#..",
      "....#.#",
      "#####.#",
  });
  img.Fill_Colour = Red;
  img.ExtFloodFill(3, 0, White);
  EXPECT_EQ(Art(img), (Rows{
                          "..#rrrr",
                          "..#r##r",
                          "###r#rr",
                          "rrrr#r#",
                          "#####r#",
                      }));
}

TEST(Raster_Image_FloodFill, NeverCrossesDiagonalContacts) {
  Raster_Image img = From_Art({
      ".#.#",
      "#.#.",
      ".#.#",
  });
  img.Fill_Colour = Red;
  img.ExtFloodFill(1, 1, White);
  EXPECT_EQ(Art(img), (Rows{".#.#", "#r#.", ".#.#"}));
  img.ExtFloodFill(0, 0, Black);  // (0, 0) is white: the colour must match exactly
  EXPECT_EQ(Art(img), (Rows{".#.#", "#r#.", ".#.#"}));
  img.ExtFloodFill(1, 0, Black);  // black cells touch only diagonally
  EXPECT_EQ(Art(img), (Rows{".r.#", "#r#.", ".#.#"}));
}

TEST(Raster_Image_FloodFill, NothingHappensForOwnColourWrongColourOrOutside) {
  const Raster_Image start = From_Art({"..#", ".##", "..."});
  Raster_Image img = start;
  img.Fill_Colour = White;
  img.ExtFloodFill(0, 0, White);  // filling with its own colour
  EXPECT_TRUE(Same_Pixels(img, start));
  img.Fill_Colour = No_Colour;  // draws as white, so still its own colour
  img.ExtFloodFill(0, 0, White);
  EXPECT_TRUE(Same_Pixels(img, start));
  img.Fill_Colour = Red;
  img.ExtFloodFill(0, 0, Black);
  img.ExtFloodFill(-1, 0, White);
  img.ExtFloodFill(3, 0, White);
  img.ExtFloodFill(0, 3, White);
  img.ExtFloodFill(0, 0, No_Colour);
  EXPECT_TRUE(Same_Pixels(img, start));
}

TEST(Raster_Image_FloodFill, MatchesABreadthFirstFillOnRandomPictures) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 300; ++trial) {
    const int w = 1 + int(rng() % 24), h = 1 + int(rng() % 24);
    Raster_Image img(w, h);
    const int colours = 2 + int(rng() % 2);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img.SetPixel(x, y, Colour(rng() % colours));
    img.Fill_Colour = Green;
    const int sx = int(rng() % w), sy = int(rng() % h);
    Raster_Image want = img;
    Reference_Fill(want, sx, sy, img.GetPixel(sx, sy));
    img.ExtFloodFill(sx, sy, img.GetPixel(sx, sy));
    ASSERT_TRUE(Same_Pixels(img, want)) << "trial " << trial;
  }
  // Bigger pictures near the percolation threshold: long, winding regions.
  for (int trial = 0; trial < 20; ++trial) {
    const int w = 60 + int(rng() % 100), h = 60 + int(rng() % 100);
    Raster_Image img(w, h, White);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (rng() % 100 < 38) img.SetPixel(x, y, Black);
    img.Fill_Colour = Red;
    const int sx = w / 2, sy = h / 2;
    img.SetPixel(sx, sy, White);
    Raster_Image want = img;
    Reference_Fill(want, sx, sy, White);
    img.ExtFloodFill(sx, sy, White);
    ASSERT_TRUE(Same_Pixels(img, want)) << "large trial " << trial;
  }
}

// A serpentine one-pixel corridor of 4000 x 4000: every other row (or column)
// is a wall with a gap at alternating ends, so the region is one path of eight
// million pixels. A pixel-recursive fill would need that many stack frames.
Raster_Image Serpentine(int n, bool vertical) {
  Raster_Image img(n, n, White);
  img.Fill_Colour = Black;
  for (int k = 1; k < n; k += 2) {
    const int gap = (k / 2) % 2 ? 0 : n - 1;
    if (vertical) {
      img.FillRect({k, 0, k + 1, n});
      img.SetPixel(k, gap, White);
    } else {
      img.FillRect({0, k, n, k + 1});
      img.SetPixel(gap, k, White);
    }
  }
  return img;
}

TEST(Raster_Image_FloodFill, SerpentineCorridorsFillWithoutDeepRecursion) {
  const int N = 4000;
  for (bool vertical : {false, true}) {
    Raster_Image img = Serpentine(N, vertical);
    img.Fill_Colour = Red;
    img.ExtFloodFill(0, 0, White);
    long long red = 0, white = 0;
    for (int y = 0; y < N; ++y) {
      const Colour* row = img.Row(y);
      for (int x = 0; x < N; ++x) {
        red += row[x] == Red;
        white += row[x] == White;
      }
    }
    EXPECT_EQ(white, 0) << (vertical ? "vertical" : "horizontal");
    EXPECT_EQ(red, (long long)N * N / 2 + N / 2) << (vertical ? "vertical" : "horizontal");
  }
}

TEST(Raster_Image_FloodFill, OpenRegionOf4000SquareFillsCompletely) {
  const int N = 4000;
  Raster_Image img(N, N, White);
  img.Fill_Colour = Blue;
  img.ExtFloodFill(N / 2, N / 3, White);
  long long blue = 0;
  for (int y = 0; y < N; ++y) {
    const Colour* row = img.Row(y);
    for (int x = 0; x < N; ++x) blue += row[x] == Blue;
  }
  EXPECT_EQ(blue, (long long)N * N);
}

TEST(Raster_Image_BitBlt, NegativeOffsetsClipTheSource) {
  const Raster_Image src = Coord_Image(5, 4);
  Raster_Image dst(3, 3, White);
  BitBlt(dst, -2, -1, src);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.GetPixel(x, y), Coord_Colour(x + 2, y + 1));
}

TEST(Raster_Image_BitBlt, PartlyOutsideRightAndBottomDrawsTheRest) {
  Raster_Image dst = Blank(4, 4);
  BitBlt(dst, 2, 3, From_Art({"#r#", "bbb"}));
  EXPECT_EQ(Art(dst), (Rows{"....", "....", "....", "..#r"}));
  BitBlt(dst, 4, 0, From_Art({"##"}));
  BitBlt(dst, -3, 0, From_Art({"###"}));
  BitBlt(dst, 0, 0, Raster_Image{});
  EXPECT_EQ(Art(dst), (Rows{"....", "....", "....", "..#r"}));
}

TEST(Raster_Image_BitBlt, FrameOfALongStripByNegativeX) {
  const int size = 4, frames = 300;
  Raster_Image strip(size * frames, size);
  for (int f = 0; f < frames; ++f) {
    strip.Fill_Colour = Colour(f * 1000 + 1);
    strip.FillRect({f * size, 0, (f + 1) * size, size});
  }
  strip.SetPixel(217 * size + 1, 2, Red);
  Raster_Image frame = Blank(size, size);
  BitBlt(frame, -217 * size, 0, strip);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      EXPECT_EQ(frame.GetPixel(x, y), (x == 1 && y == 2) ? Red : Colour(217 * 1000 + 1));
}

TEST(Raster_Image_CopyRect, OverlappingCopiesActAsIfCopiedAside) {
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx) {
      SCOPED_TRACE(::testing::Message() << dx << "," << dy);
      Raster_Image img = Coord_Image(9, 7);
      const Raster_Image aside = img;
      const Rect s{2, 2, 7, 5};
      const Rect d{s.Left + dx, s.Top + dy, s.Right + dx, s.Bottom + dy};
      Copy_Rect(img, d, img, s);
      for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
          const bool in = x >= d.Left && x < d.Right && y >= d.Top && y < d.Bottom;
          const Colour want = in ? aside.GetPixel(x - dx, y - dy) : aside.GetPixel(x, y);
          ASSERT_EQ(img.GetPixel(x, y), want) << x << "," << y;
        }
    }
}

TEST(Raster_Image_CopyRect, ShiftingFramesWithinAStrip) {
  // Inserting a frame shifts the tail of the strip one frame to the right.
  Raster_Image strip = From_Art({"#rgb.."});
  Copy_Rect(strip, {2, 0, 6, 1}, strip, {1, 0, 5, 1});
  EXPECT_EQ(Art(strip), (Rows{"#rrgb."}));
  Copy_Rect(strip, {0, 0, 4, 1}, strip, {2, 0, 6, 1});  // and back to the left
  EXPECT_EQ(Art(strip), (Rows{"rgb.b."}));
}

TEST(Raster_Image_CopyRect, ClipsDestinationAndSourceTogether) {
  const Raster_Image src = Coord_Image(4, 4);
  Raster_Image dst(3, 3, White);
  // Destination starts left of the image, source starts above its image.
  Copy_Rect(dst, {-1, 0, 2, 3}, src, {1, -1, 4, 2});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) {
      const int sx = x + 2, sy = y - 1;
      const bool drawn = x < 2 && sy >= 0;
      EXPECT_EQ(dst.GetPixel(x, y), drawn ? src.GetPixel(sx, sy) : White) << x << "," << y;
    }
}

// The row paths (gathered columns, halving) run at every dispatch level this
// processor has.
using StretchBltRows = At_Each_Simd_Level<>;
TOLVANE_AT_EACH_SIMD_LEVEL(StretchBltRows);

TEST(Raster_Image_StretchBlt, EqualSizeCopiesExactly) {
  const Raster_Image src = Coord_Image(6, 5);
  Raster_Image dst(10, 10, White);
  StretchBlt(dst, {3, 4, 7, 7}, src, {1, 2, 5, 5});
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool in = x >= 3 && x < 7 && y >= 4 && y < 7;
      EXPECT_EQ(dst.GetPixel(x, y), in ? src.GetPixel(x - 2, y - 2) : White);
    }
}

TEST_P(StretchBltRows, WholeNumberEnlargementRepeatsBlocks) {
  for (int k = 1; k <= 5; ++k) {
    const Raster_Image src = Coord_Image(7, 3);
    Raster_Image dst(7 * k, 3 * k);
    StretchBlt(dst, {0, 0, 7 * k, 3 * k}, src);
    for (int y = 0; y < 3 * k; ++y)
      for (int x = 0; x < 7 * k; ++x)
        ASSERT_EQ(dst.GetPixel(x, y), Coord_Colour(x / k, y / k)) << k << ": " << x << "," << y;
  }
}

TEST(Raster_Image_StretchBlt, ScrolledZoomViewMapsInFull) {
  // 32 x 32 into (-8, -8, 152, 152): each pixel a 5 x 5 block, shifted by 8.
  const Raster_Image src = Coord_Image(32, 32);
  Raster_Image zoom(128, 128);
  StretchBlt(zoom, {-8, -8, 152, 152}, src);
  for (int y = 2; y <= 6; ++y)
    for (int x = 2; x <= 6; ++x) EXPECT_EQ(zoom.GetPixel(x, y), Coord_Colour(2, 2));
  EXPECT_EQ(zoom.GetPixel(1, 2), Coord_Colour(1, 2));
  EXPECT_EQ(zoom.GetPixel(7, 7), Coord_Colour(3, 3));
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x)
      ASSERT_EQ(zoom.GetPixel(x, y), Coord_Colour((x + 8) / 5, (y + 8) / 5)) << x << "," << y;
}

TEST(Raster_Image_StretchBlt, MirrorsExactly) {
  for (int w : {4, 5}) {
    const int h = w + 1;
    const Raster_Image src = Coord_Image(w, h);
    Raster_Image lr(w, h), tb(w, h), both(w, h);
    StretchBlt(lr, {w - 1, 0, -1, h}, src);
    StretchBlt(tb, {0, h - 1, w, -1}, src);
    StretchBlt(both, {w - 1, h - 1, -1, -1}, src);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        EXPECT_EQ(lr.GetPixel(x, y), Coord_Colour(w - 1 - x, y));
        EXPECT_EQ(tb.GetPixel(x, y), Coord_Colour(x, h - 1 - y));
        EXPECT_EQ(both.GetPixel(x, y), Coord_Colour(w - 1 - x, h - 1 - y));
      }
    if (w % 2) {  // the middle column of an odd width stays where it is
      for (int y = 0; y < h; ++y) EXPECT_EQ(lr.GetPixel(w / 2, y), src.GetPixel(w / 2, y));
    }
  }
}

TEST(Raster_Image_StretchBlt, MirroredEnlargement) {
  Raster_Image dst = Blank(6, 2);
  StretchBlt(dst, {5, 0, -1, 2}, From_Art({"#rg", "#rg"}));
  EXPECT_EQ(Art(dst), (Rows{"ggrr##", "ggrr##"}));
}

TEST(Raster_Image_StretchBlt, ClippingDoesNotChangeTheMapping) {
  // Drawing into a small image must equal the matching window of a big one.
  std::mt19937 rng(11);
  const Raster_Image src = Coord_Image(7, 5);
  const int off = 20;
  for (int trial = 0; trial < 400; ++trial) {
    auto coord = [&] { return int(rng() % 40) - 15; };
    Rect d{coord(), coord(), coord(), coord()};
    if (d.Left == d.Right || d.Top == d.Bottom) continue;
    const Rect s{int(rng() % 3), int(rng() % 2), 4 + int(rng() % 4), 3 + int(rng() % 3)};
    Raster_Image small(10, 10, White), big(60, 60, White);
    StretchBlt(small, d, src, s);
    StretchBlt(big, {d.Left + off, d.Top + off, d.Right + off, d.Bottom + off}, src, s);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x)
        ASSERT_EQ(small.GetPixel(x, y), big.GetPixel(x + off, y + off))
            << "trial " << trial << " at " << x << "," << y;
  }
}

TEST(Raster_Image_StretchBlt, ShrinkingPicksSourcePixelsWithoutBlending) {
  const Raster_Image src = Coord_Image(12, 9);
  Raster_Image dst(5, 4);
  StretchBlt(dst, {0, 0, 5, 4}, src);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const Colour c = dst.GetPixel(x, y);
      const int sx = int(c & 0xFFF), sy = int(c >> 12);
      // The chosen pixel lies under the destination pixel's place.
      EXPECT_GE(sx, x * 12 / 5);
      EXPECT_LT(sx, (x + 1) * 12 / 5 + 1);
      EXPECT_GE(sy, y * 9 / 4);
      EXPECT_LT(sy, (y + 1) * 9 / 4 + 1);
    }
}

// The wide row paths (halving, gathered columns) against the centre rule
// pixel by pixel, at widths around their eight-pixel steps and with the
// source rectangle ending at the row's end.
TEST_P(StretchBltRows, ShrinkingMatchesTheCentreRuleAtEveryWidth) {
  for (int src_w : {16, 17, 31, 32, 33, 64, 100})
    for (int dst_w : {src_w / 2, src_w / 2 + 1, src_w / 3, src_w - 1}) {
      if (dst_w < 1) continue;
      for (int left : {0, 1, 5}) {
        const Raster_Image src = Coord_Image(src_w + left, 3);
        Raster_Image dst(dst_w, 2, White);
        StretchBlt(dst, {0, 0, dst_w, 2}, src, {left, 0, src_w + left, 3});
        for (int y = 0; y < 2; ++y)
          for (int x = 0; x < dst_w; ++x) {
            const int sx = left + (2 * x + 1) * src_w / (2 * dst_w), sy = (2 * y + 1) * 3 / 4;
            ASSERT_EQ(dst.GetPixel(x, y), src.GetPixel(sx, sy))
                << src_w << " to " << dst_w << " from " << left << " at " << x << "," << y;
          }
      }
    }
}

TEST(Raster_Image_StretchBlt, EmptySourceOrDestinationDrawsNothing) {
  Raster_Image dst = Blank(3, 3);
  const Raster_Image src = From_Art({"##", "##"});
  StretchBlt(dst, {0, 0, 3, 3}, src, {1, 0, 1, 2});
  StretchBlt(dst, {0, 0, 3, 3}, Raster_Image{});
  StretchBlt(dst, {1, 0, 1, 3}, src);
  StretchBlt(dst, {0, 2, 3, 2}, src);
  EXPECT_EQ(Art(dst), (Rows{"...", "...", "..."}));
}

TEST(Raster_Image_StretchBlt, SourceRectanglePartlyOutsideLeavesThoseDestinationPixels) {
  // Source rows 0..3 of a 2-row image: the lower half of the destination has
  // no source and keeps what it had, row by row.
  const Raster_Image src = From_Art({"##", "##"});
  Raster_Image dst = From_Art({"rrrr", "gggg", "bbbb", "yyyy"});
  StretchBlt(dst, {0, 0, 4, 4}, src, {0, 0, 2, 4});
  EXPECT_EQ(Art(dst), (Rows{"####", "####", "bbbb", "yyyy"}));
  Raster_Image wide = From_Art({"rrrr", "gggg", "bbbb", "yyyy"});
  StretchBlt(wide, {0, 0, 4, 4}, src, {-1, 0, 3, 2});
  EXPECT_EQ(Art(wide), (Rows{"r##r", "g##g", "b##b", "y##y"}));
}

TEST(Raster_Image_StretchBlt, WithinOneImageReadsTheOldPixels) {
  Raster_Image img = From_Art({"#r..", "bg..", "....", "...."});
  StretchBlt(img, {0, 0, 4, 4}, img, {0, 0, 2, 2});
  EXPECT_EQ(Art(img), (Rows{"##rr", "##rr", "bbgg", "bbgg"}));
  Raster_Image same = From_Art({"#rgb"});
  StretchBlt(same, {1, 0, 4, 1}, same, {0, 0, 3, 1});  // equal size, overlapping
  EXPECT_EQ(Art(same), (Rows{"##rg"}));
}

}  // namespace
}  // namespace tolvane::testing
