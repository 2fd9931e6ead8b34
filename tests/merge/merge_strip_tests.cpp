#include "merge/merge_strip.h"

#include <gtest/gtest.h>

#include "image/image_error.h"

namespace tolvane::testing {
namespace {

TEST(Valid_Merge_Strip, NeedsWholeFramesOfTheCurrentSize) {
  const struct {
    int width, height, frame_size;
    bool valid;
  } cases[] = {
      {96, 32, 32, true},   {32, 32, 32, true},  {16, 16, 16, true},  {0, 32, 32, false},
      {100, 32, 32, false}, {96, 16, 32, false}, {64, 64, 32, false}, {48, 16, 32, false},
      {1, 1, 1, true},      {0, 0, 32, false},   {31, 32, 32, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Valid_Merge_Strip(Raster_Image(c.width, c.height), c.frame_size), c.valid)
        << c.width << " x " << c.height << " for frames of " << c.frame_size;
}

TEST(Valid_Merge_Strip, WarningNamesTheFrameSizeTwice) {
  EXPECT_EQ(Invalid_Merge_Text(32),
            "This file does not contain valid animation frames. All frames must be 32x32");
  EXPECT_EQ(Invalid_Merge_Text(16),
            "This file does not contain valid animation frames. All frames must be 16x16");
}

TEST(Check_Strip_Size, RefusesStripsBeyondTheImageBoundWithoutOverflowing) {
  const struct {
    std::int64_t width;
    int height;
    bool fits;
  } cases[] = {
      {1029 * 128, 128, true},
      {Max_Image_Pixels, 1, true},
      {Max_Image_Pixels + 1, 1, false},
      {Max_Image_Pixels / 256, 256, true},
      {Max_Image_Pixels / 256 + 1, 256, false},
      {std::int64_t(70000) * 70000, 1, false},  // the width alone overflows 32 bits
      {std::int64_t(1) << 31, 0, false},
      {2147483647, 1, false},
      {65536, 65536, false},  // 2^32 pixels: 0 in 32-bit arithmetic
      {-1, 32, false},
  };
  for (const auto& c : cases) {
    if (c.fits)
      EXPECT_NO_THROW(Check_Strip_Size(c.width, c.height)) << c.width << " x " << c.height;
    else
      EXPECT_THROW(Check_Strip_Size(c.width, c.height), Toolkit_Error)
          << c.width << " x " << c.height;
  }
}

}  // namespace
}  // namespace tolvane::testing
