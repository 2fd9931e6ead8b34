#include "merge/transitions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace tolvane::testing {
namespace {

// Every pixel different within a picture, and A's differ from B's.
Raster_Image Pattern(int fs, unsigned blue) {
  Raster_Image im(fs, fs);
  for (int y = 0; y < fs; ++y)
    for (int x = 0; x < fs; ++x) im.SetPixel(x, y, Rgb(x, y, blue));
  return im;
}

Raster_Image Random_Picture(int fs, std::mt19937& gen) {
  Raster_Image im(fs, fs);
  for (int y = 0; y < fs; ++y)
    for (int x = 0; x < fs; ++x) im.SetPixel(x, y, gen() & Colour_Mask);
  return im;
}

Raster_Image Frame(const Raster_Image& a, const Raster_Image& b, int kind, int s, int r) {
  Raster_Image out(a.Width(), a.Height());
  Build_Transition_Frame(out, a, b, kind, s, r);
  return out;
}

TEST(Round_Even, TiesGoToTheEvenInteger) {
  const struct {
    long double x;
    long long expected;
  } cases[] = {{0.5L, 0},     {1.5L, 2},     {2.5L, 2},       {3.5L, 4},
               {127.5L, 128}, {128.5L, 128}, {0.4999999L, 0}, {2.5000001L, 3},
               {-0.5L, 0},    {-1.5L, -2},   {-2.6L, -3},     {7.0L, 7}};
  for (const auto& c : cases) EXPECT_EQ(Round_Even(c.x), c.expected) << double(c.x);
}

TEST(Trans_Kind_Of, NamesMatchWhateverTheCaseOfTheirLetters) {
  const struct {
    const char* typed;
    int kind;
  } cases[] = {{"Merge", tk_Merge},
               {"merge", tk_Merge},
               {"slide vertical", tk_Slide_Vertical},
               {"SLIDE HORIZONTAL", tk_Slide_Horizontal},
               {"sQuEeZe Vertical", tk_Squeeze_Vertical},
               {"Squeeze Horizontal", tk_Squeeze_Horizontal},
               {"Wipe Horizontal", tk_Wipe_Horizontal},
               {"wipe vertical", tk_Wipe_Vertical},
               {"Split Horizontal", tk_Split_Horizontal},
               {"split vertical", tk_Split_Vertical},
               {"Collapse", tk_Collapse},
               {"centre out", tk_Centre_Out},
               {"Center Out", No_Transition},
               {" Merge", No_Transition},
               {"Merge ", No_Transition},
               {"SlideVertical", No_Transition},
               {"", No_Transition}};
  for (const auto& c : cases) EXPECT_EQ(Trans_Kind_Of(c.typed), c.kind) << '"' << c.typed << '"';
}

TEST(Cross_Fade, OneStepGivesTheMeansRoundedToEven) {
  const struct {
    unsigned a, b, mean;
  } cases[] = {{0, 255, 128}, {255, 0, 128}, {2, 3, 2}, {3, 2, 2},       {1, 2, 2},
               {2, 1, 2},     {0, 1, 0},     {5, 6, 6}, {254, 255, 254}, {100, 100, 100}};
  for (const auto& c : cases) {
    // Each channel on its own: red and blue carry (a, b), green (b, a).
    const Raster_Image a(4, 4, Rgb(c.a, c.b, c.a)), b(4, 4, Rgb(c.b, c.a, c.b));
    const Raster_Image out = Frame(a, b, tk_Merge, 1, 1);
    EXPECT_EQ(out.GetPixel(3, 3), Rgb(c.mean, c.mean, c.mean)) << c.a << " and " << c.b;
  }
}

TEST(Cross_Fade, LeansToAFirstAndToBLast) {
  const Raster_Image black(8, 8, 0x000000), white(8, 8, 0xFFFFFF);
  for (int r = 2; r <= 9; ++r) {
    unsigned previous = 0;
    for (int s = 1; s <= r; ++s) {
      const unsigned red = Red_Of(Frame(black, white, tk_Merge, s, r).GetPixel(0, 0));
      EXPECT_GT(red, previous) << "s " << s << " of " << r;
      previous = red;
      if (s == 1) {
        EXPECT_LT(red, 128u) << r;
      }
      if (s == r) {
        EXPECT_GT(red, 127u) << r;
      }
      EXPECT_TRUE(red > 0 && red < 255) << "neither end is reached";
    }
  }
}

TEST(Transitions, SlideHorizontalInOneStepShowsTheInnerHalves) {
  const Raster_Image a = Pattern(32, 10), b = Pattern(32, 200);
  const Raster_Image out = Frame(a, b, tk_Slide_Horizontal, 1, 1);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const Colour expected = x < 16 ? a.GetPixel(x + 16, y) : b.GetPixel(x - 16, y);
      ASSERT_EQ(out.GetPixel(x, y), expected) << x << "," << y;
    }
}

TEST(Transitions, SplitHorizontalInOneStepUsesEightPixelBandsOnAnySize) {
  for (int fs : {4, 8, 9, 16, 32, 64}) {
    const Raster_Image a = Pattern(fs, 10), b = Pattern(fs, 200);
    const Raster_Image out = Frame(a, b, tk_Split_Horizontal, 1, 1);
    const int h = fs / 2;
    for (int y = 0; y < fs; ++y)
      for (int x = 0; x < fs; ++x) {
        const bool from_b = (y < h && x < 8) || (y >= h && x >= fs - 8);
        ASSERT_EQ(out.GetPixel(x, y), (from_b ? b : a).GetPixel(x, y))
            << "size " << fs << " at " << x << "," << y;
      }
    if (fs <= 8) {
      EXPECT_TRUE(Same_Pixels(out, b)) << "the bands cover a frame of " << fs;
    }
  }
}

// Steps at which a kind shows exactly A or exactly B.
TEST(Transitions, StatedStepsShowOneFrameWhole) {
  const struct {
    int kind, fs, r, s;
    char shows;
  } cases[] = {
      {tk_Wipe_Horizontal, 32, 1, 1, 'B'},  {tk_Wipe_Horizontal, 32, 3, 3, 'B'},
      {tk_Wipe_Horizontal, 5, 7, 7, 'B'},   {tk_Wipe_Vertical, 32, 3, 3, 'B'},
      {tk_Wipe_Vertical, 7, 4, 4, 'B'},     {tk_Split_Horizontal, 32, 4, 1, 'A'},
      {tk_Split_Horizontal, 32, 4, 4, 'B'}, {tk_Split_Horizontal, 4, 1, 1, 'B'},
      {tk_Split_Vertical, 32, 4, 3, 'B'},   {tk_Split_Vertical, 32, 4, 4, 'B'},
      {tk_Collapse, 32, 5, 1, 'A'},         {tk_Collapse, 32, 5, 5, 'B'},
      {tk_Collapse, 16, 2, 2, 'B'},         {tk_Centre_Out, 32, 5, 1, 'A'},
      {tk_Centre_Out, 32, 5, 5, 'B'},       {tk_Centre_Out, 16, 2, 2, 'B'},
  };
  for (const auto& c : cases) {
    const Raster_Image a = Pattern(c.fs, 10), b = Pattern(c.fs, 200);
    const Raster_Image out = Frame(a, b, c.kind, c.s, c.r);
    EXPECT_TRUE(Same_Pixels(out, c.shows == 'A' ? a : b))
        << "kind " << c.kind << " size " << c.fs << " step " << c.s << " of " << c.r
        << " should show " << c.shows;
  }
}

// Where pixels of a step come from: out(x, y) is A or B at (sx, sy), or,
// with sx = -1, some pixel of that picture (a squeezed copy may pick any
// nearby source pixel). These catch a kind that runs the wrong way (B
// entering from the wrong side, A growing instead of B).
TEST(Transitions, EachKindMovesTheWayItsNameSays) {
  struct Probe {
    int x, y;
    char from;
    int sx, sy;
  };
  const struct {
    int kind, r, s;
    std::vector<Probe> probes;
  } cases[] = {
      // FS 32, r 3: slides and squeezes move by 8, 16, 24.
      {tk_Slide_Horizontal, 3, 1, {{0, 5, 'A', 8, 5}, {23, 5, 'A', 31, 5}, {24, 5, 'B', 0, 5}}},
      {tk_Slide_Horizontal, 3, 3, {{7, 5, 'A', 31, 5}, {8, 5, 'B', 0, 5}, {31, 5, 'B', 23, 5}}},
      {tk_Slide_Vertical, 3, 1, {{5, 0, 'A', 5, 8}, {5, 24, 'B', 5, 0}}},
      {tk_Slide_Vertical, 3, 3, {{5, 7, 'A', 5, 31}, {5, 8, 'B', 5, 0}}},
      {tk_Squeeze_Horizontal, 3, 1, {{7, 5, 'B', -1, 0}, {8, 5, 'A', -1, 0}}},
      {tk_Squeeze_Horizontal, 3, 3, {{23, 5, 'B', -1, 0}, {24, 5, 'A', -1, 0}}},
      {tk_Squeeze_Vertical, 3, 1, {{5, 7, 'B', -1, 0}, {5, 8, 'A', -1, 0}}},
      {tk_Squeeze_Vertical, 3, 3, {{5, 23, 'B', -1, 0}, {5, 24, 'A', -1, 0}}},
      // r 4: wipes uncover 8 more pixels per step.
      {tk_Wipe_Horizontal, 4, 1, {{7, 5, 'B', 7, 5}, {8, 5, 'A', 8, 5}}},
      {tk_Wipe_Vertical, 4, 1, {{5, 7, 'B', 5, 7}, {5, 8, 'A', 5, 8}}},
  };
  const Raster_Image a = Pattern(32, 10), b = Pattern(32, 200);
  for (const auto& c : cases) {
    const Raster_Image out = Frame(a, b, c.kind, c.s, c.r);
    for (const Probe& p : c.probes) {
      const Colour got = out.GetPixel(p.x, p.y);
      const Raster_Image& from = p.from == 'A' ? a : b;
      if (p.sx < 0)
        EXPECT_EQ(Blue_Of(got), Blue_Of(from.GetPixel(0, 0)))
            << "kind " << c.kind << " step " << c.s << " of " << c.r << " at " << p.x << "," << p.y;
      else
        EXPECT_EQ(got, from.GetPixel(p.sx, p.sy))
            << "kind " << c.kind << " step " << c.s << " of " << c.r << " at " << p.x << "," << p.y;
    }
  }
}

// The formulas written out pixel by pixel, independently of the block copies
// and of the fast cross-fade.
// nearbyintl rounds ties to even in the default rounding mode.
int Direct_Round(long double x) { return int(std::nearbyintl(x)); }

Colour Direct_Pixel(const Raster_Image& a, const Raster_Image& b, int kind, int s, int r, int x,
                    int y) {
  const int fs = a.Width(), h = fs / 2, m = fs / 2;
  const Colour pa = a.GetPixel(x, y), pb = b.GetPixel(x, y);
  auto d_of = [&](int n, int k) { return Direct_Round((long double)fs / n * k); };
  switch (kind) {
    case tk_Merge: {
      const double t = double(s) / (r + 1);
      Colour out = 0;
      for (int shift : {0, 8, 16}) {
        const unsigned ca = (pa >> shift) & 255, cb = (pb >> shift) & 255;
        out |= Colour(Direct_Round((1 - (long double)t) * ca + (long double)t * cb)) << shift;
      }
      return out;
    }
    case tk_Slide_Horizontal: {
      const int d = d_of(r + 1, s);
      return x < fs - d ? a.GetPixel(x + d, y) : b.GetPixel(x - (fs - d), y);
    }
    case tk_Slide_Vertical: {
      const int d = d_of(r + 1, s);
      return y < fs - d ? a.GetPixel(x, y + d) : b.GetPixel(x, y - (fs - d));
    }
    case tk_Wipe_Horizontal:
      return x < d_of(r, s) ? pb : pa;
    case tk_Wipe_Vertical:
      return y < d_of(r, s) ? pb : pa;
    case tk_Split_Horizontal: {
      const int d = r == 1 ? 8 : d_of(r - 1, s - 1);
      return (y < h && x < d) || (y >= h && x >= fs - d) ? pb : pa;
    }
    case tk_Split_Vertical: {
      const int d = r == 1 ? 8 : d_of(r - 1, s);
      return (x < h && y < d) || (x >= h && y >= fs - d) ? pb : pa;
    }
    case tk_Collapse:
    case tk_Centre_Out: {
      const int d = r == 1 ? 8 : d_of(r - 1, kind == tk_Collapse ? r - s : s - 1) / 2;
      const bool inside = x >= m - d && x < m + d && y >= m - d && y < m + d;
      return inside == (kind == tk_Collapse) ? pa : pb;
    }
  }
  return 0;
}

TEST(Transitions, AgreeWithTheFormulasWrittenPixelByPixel) {
  std::mt19937 gen(20261207);
  const int kinds[] = {tk_Merge,           tk_Slide_Horizontal, tk_Slide_Vertical,
                       tk_Wipe_Horizontal, tk_Wipe_Vertical,    tk_Split_Horizontal,
                       tk_Split_Vertical,  tk_Collapse,         tk_Centre_Out};
  for (int fs : {4, 5, 16, 31, 32}) {
    const Raster_Image a = Random_Picture(fs, gen), b = Random_Picture(fs, gen);
    for (int kind : kinds)
      for (int r : {1, 2, 3, 4, 5, 7, 10})
        for (int s = 1; s <= r; ++s) {
          const Raster_Image out = Frame(a, b, kind, s, r);
          int wrong = 0;
          for (int y = 0; y < fs; ++y)
            for (int x = 0; x < fs; ++x)
              wrong += out.GetPixel(x, y) != Direct_Pixel(a, b, kind, s, r, x, y);
          EXPECT_EQ(wrong, 0) << "kind " << kind << " size " << fs << " step " << s << " of " << r;
        }
  }
}

// Every pair of channel values, at every step of overlaps 1 to 12 and some of
// long ones, including the near-ties the fast path hands to the exact one.
TEST(Cross_Fade, AgreesWithExtendedPrecisionForEveryPairOfValues) {
  Raster_Image a(256, 256), b(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      a.SetPixel(x, y, Rgb(x, y, (x + y) & 255));
      b.SetPixel(x, y, Rgb(y, x, (7 * x + y) & 255));
    }
  Raster_Image out(256, 256);
  std::vector<unsigned> expected(256 * 256);
  std::vector<std::pair<int, int>> steps;  // (s, r)
  for (int r = 1; r <= 12; ++r)
    for (int s = 1; s <= r; ++s) steps.push_back({s, r});
  // Long overlaps on both sides of the bounds of the shortcuts for odd r + 1
  // and for r + 1 a power of two.
  for (int r : {31, 2046, 2047, 2048, 4999, 65535, 65536})
    for (int s : {1, 2, r / 2, r / 3, r}) steps.push_back({s, r});
  for (auto [s, r] : steps) {
    const long double t = double(s) / (r + 1);
    for (int ca = 0; ca < 256; ++ca)
      for (int cb = 0; cb < 256; ++cb)
        expected[ca * 256 + cb] = unsigned(Direct_Round((1 - t) * ca + t * cb));
    auto fade = [&](Colour pa, Colour pb) {
      Colour c = 0;
      for (int shift : {0, 8, 16})
        c |= Colour(expected[((pa >> shift) & 255) * 256 + ((pb >> shift) & 255)]) << shift;
      return c;
    };
    Cross_Fade(out, a, b, s, r);
    int wrong = 0;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) wrong += out.At(x, y) != fade(a.At(x, y), b.At(x, y));
    EXPECT_EQ(wrong, 0) << "step " << s << " of " << r;
  }
}

}  // namespace
}  // namespace tolvane::testing
