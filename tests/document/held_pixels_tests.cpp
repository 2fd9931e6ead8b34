#include <gtest/gtest.h>

#include "document/held_pixels.h"

namespace tolvane {
namespace {

// Compressed and plain, pixels come back as they went in, in bands of every
// size (rows over a band's size too), and compare with the picture.
TEST(Held_Pixels, CompressedAndPlainKeepThePixelsExactly) {
  // `colours`: 0 for one, else pixels of that many, varied.
  for (auto [w, h, colours] : {std::tuple{1, 1, 0},
                               {300, 2000, 0},
                               {300, 2000, 1 << 30},
                               {300000, 3, 1 << 30},
                               {700, 900, 251}}) {
    const bool noisy = colours > 256;
    Raster_Image image(w, h, 0x123456);
    for (int i = 0; colours && i < w * h; ++i)
      image.Row(0)[i] = Colour(i % colours * 2654435761u) >> 8;
    for (bool compress : {true, false}) {
      const Held_Pixels held(image, compress);
      EXPECT_TRUE(Same_Pixels(held.Unpack(), image)) << w << " " << compress;
      EXPECT_TRUE(held.Same_As(image, 0, 0));
      EXPECT_EQ(compress && !noisy && w > 1, held.Bytes() < image.Width() * image.Height() * 2u);
      Raster_Image changed = image;
      changed.SetPixel(w - 1, h - 1, 0xABCDEF);
      EXPECT_FALSE(held.Same_As(changed, 0, 0));
      // An area packed goes back into its place alone.
      const Rect area{w / 3, h / 2, w, h};
      const Held_Pixels part(image, area, compress);
      part.Unpack_Into(changed, area.Left, area.Top);
      EXPECT_TRUE(Same_Pixels(changed, image));
    }
  }
}

}  // namespace
}  // namespace tolvane
