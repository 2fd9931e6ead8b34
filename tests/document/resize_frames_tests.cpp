#include <gtest/gtest.h>

#include <functional>

#include "document/resize_frames.h"
#include "image/pixel_art.h"

namespace tolvane::testing {
namespace {

constexpr Colour Mount = 0x00C0FFEE & Colour_Mask;

// A strip of `frames` frames of `size`, every pixel telling its frame and place.
Raster_Image Labelled_Strip(int frames, int size) {
  Raster_Image strip(frames * size, size);
  for (int f = 0; f < frames; ++f)
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        strip.SetPixel(f * size + x, y, Colour(f << 20) | Coord_Colour(x, y));
  return strip;
}
Colour Label(int frame, int x, int y) { return Colour(frame << 20) | Coord_Colour(x, y); }

Raster_Image Resized(Raster_Image strip, int n, int method, int frames, int* pumps = nullptr) {
  int count = 0;
  Resize_Frames(strip, n, Mount, method, frames, [&] { ++count; });
  if (pumps) *pumps = count;
  return strip;
}

// Checks every pixel of every frame against want(frame, x, y).
void Expect_Frames(const Raster_Image& strip, int frames, int n,
                   const std::function<Colour(int, int, int)>& want) {
  ASSERT_EQ(strip.Width(), frames * n);
  ASSERT_EQ(strip.Height(), n);
  for (int f = 0; f < frames; ++f)
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x)
        ASSERT_EQ(strip.GetPixel(f * n + x, y), want(f, x, y))
            << "frame " << f << " at " << x << "," << y;
}

// Crop/Mount: the old frame's top-left lands at (d, d), d = (n - h) / 2
// truncated toward zero, on the mount colour.
Colour Mounted(int f, int x, int y, int h, int d) {
  const int ox = x - d, oy = y - d;
  return ox >= 0 && oy >= 0 && ox < h && oy < h ? Label(f, ox, oy) : Mount;
}

TEST(Resize_Frames_Crop_Mount, FifteenToThirtyTwoCentresWithEightAndNine) {
  const Raster_Image r = Resized(Labelled_Strip(1, 15), 32, Crop_Mount, 1);
  Expect_Frames(r, 1, 32, [](int f, int x, int y) { return Mounted(f, x, y, 15, 8); });
  EXPECT_EQ(r.GetPixel(8, 8), Label(0, 0, 0));
  EXPECT_EQ(r.GetPixel(22, 22), Label(0, 14, 14));
  EXPECT_EQ(r.GetPixel(7, 8), Mount);    // 8 columns of mount on the left: 0..7
  EXPECT_EQ(r.GetPixel(23, 22), Mount);  // 9 on the right: 23..31
}

TEST(Resize_Frames_Crop_Mount, ThirtyTwoToFifteenShowsColumnsEightToTwentyTwo) {
  const Raster_Image r = Resized(Labelled_Strip(1, 32), 15, Crop_Mount, 1);
  Expect_Frames(r, 1, 15, [](int f, int x, int y) { return Label(f, x + 8, y + 8); });
}

TEST(Resize_Frames_Crop_Mount, OddShrinkTruncatesTowardZero) {
  // (7 - 16) / 2 is -4 (not -5): 4 cut on the left and top, 5 on the right and bottom.
  const Raster_Image r = Resized(Labelled_Strip(1, 16), 7, Crop_Mount, 1);
  Expect_Frames(r, 1, 7, [](int f, int x, int y) { return Label(f, x + 4, y + 4); });
}

TEST(Resize_Frames_Crop_Mount, ThirtyTwoToSixtyFourMountsAtSixteen) {
  const Raster_Image r = Resized(Labelled_Strip(1, 32), 64, Crop_Mount, 1);
  Expect_Frames(r, 1, 64, [](int f, int x, int y) { return Mounted(f, x, y, 32, 16); });
}

TEST(Resize_Frames_Crop_Mount, SixtyFourToThirtyTwoKeepsTheCentre) {
  const Raster_Image r = Resized(Labelled_Strip(1, 64), 32, Crop_Mount, 1);
  Expect_Frames(r, 1, 32, [](int f, int x, int y) { return Label(f, x + 16, y + 16); });
}

TEST(Resize_Frames_Crop_Mount, ManyFramesKeepTheirOrder) {
  for (const auto& [h, n] : {std::pair{16, 32}, {32, 16}, {9, 4}, {4, 9}}) {
    SCOPED_TRACE(::testing::Message() << h << " -> " << n);
    const Raster_Image r = Resized(Labelled_Strip(6, h), n, Crop_Mount, 6);
    const int d = (n - h) / 2;
    Expect_Frames(r, 6, n, [&](int f, int x, int y) { return Mounted(f, x, y, h, d); });
  }
}

TEST(Resize_Frames_Stretch, ThirtyTwoToSixtyFourDoublesEveryPixel) {
  const Raster_Image r = Resized(Labelled_Strip(3, 32), 64, Stretch, 3);
  Expect_Frames(r, 3, 64, [](int f, int x, int y) { return Label(f, x / 2, y / 2); });
}

TEST(Resize_Frames_Stretch, ShrinkTakesPixelsOfItsOwnFrameWithoutBlending) {
  const int h = 32, n = 13;
  const Raster_Image r = Resized(Labelled_Strip(4, h), n, Stretch, 4);
  ASSERT_EQ(r.Width(), 4 * n);
  for (int f = 0; f < 4; ++f)
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        const Colour c = r.GetPixel(f * n + x, y);
        const int sx = int(c & 0xFFF), sy = int((c >> 12) & 0xFF);
        ASSERT_EQ(int(c >> 20), f);
        // The source pixel lies under this pixel's place in the old frame.
        EXPECT_GE(sx, x * h / n);
        EXPECT_LE(sx, (x + 1) * h / n);
        EXPECT_GE(sy, y * h / n);
        EXPECT_LE(sy, (y + 1) * h / n);
      }
}

TEST(Resize_Frames, SameSizeRebuildChangesNothing) {
  const Raster_Image strip = Labelled_Strip(5, 24);
  EXPECT_TRUE(Same_Pixels(Resized(strip, 24, Crop_Mount, 5), strip));
  EXPECT_TRUE(Same_Pixels(Resized(strip, 24, Stretch, 5), strip));
}

TEST(Resize_Frames, PumpsTwicePerFrame) {
  int pumps = 0;
  Resized(Labelled_Strip(7, 8), 16, Crop_Mount, 7, &pumps);
  EXPECT_EQ(pumps, 14);
  Resized(Labelled_Strip(1, 8), 4, Stretch, 1, &pumps);
  EXPECT_EQ(pumps, 2);
}

TEST(Resize_Frames, MountIsTheGivenColourNotTheStripsFillColour) {
  Raster_Image strip(2, 2, 0x000000);
  strip.Fill_Colour = 0x0000FF;
  Resize_Frames(strip, 4, No_Colour, Crop_Mount, 1, [] {});
  EXPECT_EQ(Art(strip), (Rows{"....", ".##.", ".##.", "...."}));
}

}  // namespace
}  // namespace tolvane::testing
