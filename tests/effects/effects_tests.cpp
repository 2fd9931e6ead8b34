#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "effects/effects.h"

namespace tolvane {
namespace {

constexpr Colour Mount = 0x123456;

// Every pixel a different colour, so that any pixel taken from the wrong
// place shows.
Raster_Image Pattern(int w, int h) {
  Raster_Image image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.SetPixel(x, y, Rgb(x * 7 + 1, y * 13 + 2, x * y + 3));
  return image;
}

// The turn written out as the formula reads, pixel by pixel.
Raster_Image Reference_Rotate(const Raster_Image& s, int a, Colour mount) {
  const long double pi = 3.141592653589793238462643383279502884L;
  auto deg_sin = [&](long double d) { return double(std::sin(d * pi / 180)); };
  auto deg_cos = [&](long double d) { return double(std::cos(d * pi / 180)); };
  auto round = [](long double v) { return (long long)std::llrint(v); };
  const long double W = s.Width(), H = s.Height();
  int p = -a;
  if (p < 0) p = p + 360;
  const double sn = deg_sin(p), cs = deg_cos(p);
  const long long x1 = round(W * cs), y1 = round(W * sn), x2 = round(-H * sn), y2 = round(H * cs),
                  x3 = round(W * cs - H * sn), y3 = round(W * sn + H * cs);
  const long long min_x = std::min({0LL, x1, x2, x3}), max_x = std::max({0LL, x1, x2, x3});
  const long long min_y = std::min({0LL, y1, y2, y3}), max_y = std::max({0LL, y1, y2, y3});
  Raster_Image r(int(max_x - min_x), int(max_y - min_y), mount);
  long double ox, oy;
  if (p <= 90) {
    ox = 0;
    oy = W * sn - 1;
  } else if (p <= 180) {
    ox = W * deg_cos(180 - p) - 1;
    oy = r.Height() - 1;
  } else if (p <= 270) {
    ox = r.Width() - 1;
    oy = H * deg_cos(180 - p);
  } else {
    ox = H * deg_cos(p - 270);
    oy = 0;
  }
  if (p == 0) {
    BitBlt(r, 0, 0, s);
  } else {
    for (int y = 0; y < r.Height(); ++y) {
      bool met = false;
      for (int x = 0; x < r.Width(); ++x) {
        const long double dx = x - ox, dy = y - oy;
        const long long sx = round(dx * cs - dy * sn), sy = round(dx * sn + dy * cs);
        if (sx >= 0 && sx < W && sy >= 0 && sy < H) {
          r.SetPixel(x, y, s.GetPixel(int(sx), int(sy)));
          met = true;
        } else if (met) {
          break;  // the covered pixels of a row are one run
        }
      }
    }
  }
  Raster_Image out = s;
  out.Fill_Colour = mount;
  out.FillRect({0, 0, out.Width(), out.Height()});
  BitBlt(out, (s.Width() - r.Width()) / 2, (s.Height() - r.Height()) / 2, r);
  return out;
}

TEST(Round_Even, TiesGoToTheEvenNeighbour) {
  const struct {
    long double x;
    long long want;
  } cases[] = {{0.5L, 0},  {1.5L, 2},   {2.5L, 2},     {3.5L, 4},    {-25.5L, -26},
               {-0.5L, 0}, {76.5L, 76}, {127.5L, 128}, {2.4999L, 2}, {-2.5001L, -3}};
  for (const auto& c : cases) EXPECT_EQ(Round_Even(c.x), c.want) << double(c.x);
}

TEST(Apply_Brightness, AddsRoundedLevelTimes255Over100ClampedPerChannel) {
  const struct {
    int level, k;
  } cases[] = {{0, 0},      {30, 76}, {70, 178},  {50, 128},    {-30, -76},
               {-50, -128}, {10, 26}, {100, 255}, {-100, -255}, {1, 3}};
  const unsigned channel[] = {0, 1, 100, 128, 229, 250, 255};
  for (const auto& c : cases) {
    Raster_Image image(7, 3);
    for (int i = 0; i < 7; ++i) {
      image.SetPixel(i, 0, Rgb(channel[i], 0, 0));
      image.SetPixel(i, 1, Rgb(0, channel[i], 0));
      image.SetPixel(i, 2, Rgb(0, 0, channel[i]));
    }
    Apply_Brightness(image, c.level);
    for (int i = 0; i < 7; ++i) {
      const unsigned v = unsigned(std::clamp(int(channel[i]) + c.k, 0, 255));
      const unsigned z = unsigned(std::clamp(c.k, 0, 255));
      EXPECT_EQ(image.GetPixel(i, 0), Rgb(v, z, z)) << "level " << c.level << " red " << channel[i];
      EXPECT_EQ(image.GetPixel(i, 1), Rgb(z, v, z)) << "level " << c.level;
      EXPECT_EQ(image.GetPixel(i, 2), Rgb(z, z, v)) << "level " << c.level;
    }
  }
}

TEST(Apply_Rotate, TurnedPictureSizeAndPlacement) {
  const struct {
    int w, h, degrees;
    Rotate_Bounds want;
  } cases[] = {
      {32, 32, 45, {45, 46, -6, -7}}, {32, 32, 0, {32, 32, 0, 0}},   {32, 32, 90, {32, 32, 0, 0}},
      {32, 32, -90, {32, 32, 0, 0}},  {32, 32, 180, {32, 32, 0, 0}}, {32, 32, 360, {32, 32, 0, 0}},
      {20, 10, 90, {10, 20, 5, -5}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Rotate_Placement(c.w, c.h, c.degrees), c.want)
        << c.w << "x" << c.h << " " << c.degrees;
}

TEST(Apply_Rotate, FortyFiveDegreesCropsTheCornersToMount) {
  const Raster_Image source = Pattern(32, 32);
  Raster_Image image = source;
  Apply_Rotate(image, 45, Mount);
  for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}})
    EXPECT_EQ(image.GetPixel(x, y), Mount) << x << "," << y;
  // The middle keeps pictures pixels, none of them Mount.
  EXPECT_NE(image.GetPixel(16, 16), Mount);
}

TEST(Apply_Rotate, QuarterTurnsOfASquareAreExactAndFullTurnsAreIdentities) {
  // Where the turned frame's pixel (x, y) comes from, for a size n.
  struct Turn {
    int degrees;
    std::pair<int, int> (*from)(int x, int y, int n);
  };
  const Turn turns[] = {
      {0,
       [](int x, int y, int) {
         return std::pair{x, y};
       }},
      {360,
       [](int x, int y, int) {
         return std::pair{x, y};
       }},
      {-360,
       [](int x, int y, int) {
         return std::pair{x, y};
       }},
      {90,
       [](int x, int y, int n) {
         return std::pair{y, n - 1 - x};
       }},
      {-270,
       [](int x, int y, int n) {
         return std::pair{y, n - 1 - x};
       }},
      {180,
       [](int x, int y, int n) {
         return std::pair{n - 1 - x, n - 1 - y};
       }},
      {-180,
       [](int x, int y, int n) {
         return std::pair{n - 1 - x, n - 1 - y};
       }},
      {270,
       [](int x, int y, int n) {
         return std::pair{n - 1 - y, x};
       }},
      {-90,
       [](int x, int y, int n) {
         return std::pair{n - 1 - y, x};
       }},
  };
  for (int n : {1, 2, 3, 4, 31, 32, 33, 128}) {
    const Raster_Image source = Pattern(n, n);
    for (const Turn& t : turns) {
      Raster_Image image = source;
      Apply_Rotate(image, t.degrees, Mount);
      int wrong = 0;
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
          const auto [sx, sy] = t.from(x, y, n);
          wrong += image.GetPixel(x, y) != source.GetPixel(sx, sy);
        }
      EXPECT_EQ(wrong, 0) << "size " << n << " at " << t.degrees;
    }
  }
}

TEST(Apply_Rotate, AgreesWithTheFormulaAtEveryAngle) {
  const std::pair<int, int> sizes[] = {{1, 1},   {2, 2},     {3, 3}, {31, 31},
                                       {32, 32}, {128, 128}, {7, 3}, {3, 8}};
  for (auto [w, h] : sizes) {
    const Raster_Image source = Pattern(w, h);
    int failed = 0;
    for (int a = -360; a <= 360; ++a) {
      Raster_Image fast = source;
      Apply_Rotate(fast, a, Mount);
      if (!Same_Pixels(fast, Reference_Rotate(source, a, Mount))) {
        ADD_FAILURE() << w << "x" << h << " differs at " << a << " degrees";
        if (++failed == 5) break;
      }
    }
  }
}

// Fills with Mount and stretches the source into r, as the effect should.
Raster_Image Stretched_Into(const Raster_Image& source, Rect r) {
  Raster_Image want(source.Width(), source.Height(), Mount);
  StretchBlt(want, r, source);
  return want;
}

TEST(Apply_Squash, TakesThePercentAwayHalfOnEachSide) {
  const struct {
    int size, percent;
    bool vertical;
    Rect target;
  } cases[] = {
      {32, 50, false, {8, 0, 24, 32}},  {32, 50, true, {0, 8, 32, 24}},
      {32, 0, false, {0, 0, 32, 32}},   {32, 100, false, {16, 0, 16, 32}},
      {32, 100, true, {0, 16, 32, 16}}, {20, 25, false, {2, 0, 18, 20}},  // 2.5 rounds to 2
      {28, 25, true, {0, 4, 28, 24}},                                     // 3.5 rounds to 4
  };
  for (const auto& c : cases) {
    const Raster_Image source = Pattern(c.size, c.size);
    Raster_Image image = source;
    Apply_Squash(image, c.percent, c.vertical, Mount);
    EXPECT_TRUE(Same_Pixels(image, Stretched_Into(source, c.target)))
        << c.size << " at " << c.percent << (c.vertical ? " vertical" : "");
  }
  Raster_Image gone = Pattern(32, 32);
  Apply_Squash(gone, 100, false, Mount);
  EXPECT_TRUE(Same_Pixels(gone, Raster_Image(32, 32, Mount)));
}

TEST(Apply_Spin, NarrowsToTheCosineOfTheAngle) {
  const struct {
    int size, degrees;
    bool vertical;
    Rect target;
  } cases[] = {
      {32, 60, true, {8, 0, 24, 32}},   {32, 60, false, {0, 8, 32, 24}},
      {32, 0, true, {0, 0, 32, 32}},    {32, 45, true, {4, 0, 27, 32}},
      {32, 90, true, {16, 0, 16, 32}},  {32, 90, false, {0, 16, 32, 16}},
      {32, 120, false, {0, 8, 32, 24}},  // the size is |cos|
  };
  for (const auto& c : cases) {
    const Raster_Image source = Pattern(c.size, c.size);
    Raster_Image image = source;
    Apply_Spin(image, c.degrees, c.vertical, Mount);
    EXPECT_TRUE(Same_Pixels(image, Stretched_Into(source, c.target)))
        << c.size << " at " << c.degrees << (c.vertical ? " vertical" : "");
  }
  for (bool vertical : {false, true}) {
    Raster_Image gone = Pattern(32, 32);
    Apply_Spin(gone, 90, vertical, Mount);
    EXPECT_TRUE(Same_Pixels(gone, Raster_Image(32, 32, Mount)));
  }
}

}  // namespace
}  // namespace tolvane
