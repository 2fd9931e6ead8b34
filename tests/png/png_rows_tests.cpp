#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "png/png.h"
#include "png/png_rows.h"

namespace tolvane {
namespace {

// The vector row conversions give what the plain ones do at every length
// (the tails go plain); the plain blend is Composite_Channel's.
TEST(PngRows, VectorConversionsMatchThePlainOnes) {
  std::mt19937 rng(5);
  for (std::size_t n = 0; n < 70; ++n) {
    std::vector<std::uint8_t> bytes(4 * n + 16);
    for (std::size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = i % 4 == 3 && rng() % 3 ? std::uint8_t(rng() % 2 * 255) : std::uint8_t(rng());
    std::vector<Colour> fast(n + 1, 7), plain(n + 1, 7);
    std::vector<std::uint8_t> rgb_fast(3 * n + 1, 7), rgb_plain(3 * n + 1, 7);
    Rgb_To_Colours(bytes.data(), n, fast.data());
    Rgb_To_Colours_Plain(bytes.data(), n, plain.data());
    EXPECT_EQ(fast, plain) << n;
    Rgba_To_Colours(bytes.data(), n, 0x123456, fast.data());
    Rgba_To_Colours_Plain(bytes.data(), n, 0x123456, plain.data());
    EXPECT_EQ(fast, plain) << n;
    Colours_To_Rgb(fast.data(), n, rgb_fast.data());
    Colours_To_Rgb_Plain(fast.data(), n, rgb_plain.data());
    EXPECT_EQ(rgb_fast, rgb_plain) << n;
  }
  for (unsigned a = 0; a < 256; ++a)
    for (unsigned v = 0; v < 256; v += 5) {
      const std::uint8_t px[4] = {std::uint8_t(v), 0, 255, std::uint8_t(a)};
      Colour out;
      Rgba_To_Colours_Plain(px, 1, Rgb(a, 99, 255 - v), &out);
      ASSERT_EQ(out, Rgb(Composite_Channel(v, a, a, 255), Composite_Channel(0, a, 99, 255),
                         Composite_Channel(255, a, 255 - v, 255)));
    }
}

// Every filter at every pixel width undoes as the plain form does, at
// lengths that are and are not whole vector steps.
TEST(PngRows, VectorUnfilteringMatchesThePlainOne) {
  std::mt19937 rng(9);
  for (const int bpp : {1, 2, 3, 4, 6, 8})
    for (int filter = 0; filter <= 5; ++filter)
      for (const std::size_t pixels : {1, 5, 6, 17, 40}) {
        const std::size_t n = pixels * std::size_t(bpp);
        std::vector<std::uint8_t> in(n), prev(n), fast(n, 1), plain(n, 2);
        for (std::size_t i = 0; i < n; ++i) {
          in[i] = std::uint8_t(rng());
          prev[i] = std::uint8_t(rng());
        }
        const bool ok = Unfilter_Row(filter, in.data(), prev.data(), n, bpp, fast.data());
        EXPECT_EQ(ok, Unfilter_Row_Plain(filter, in.data(), prev.data(), n, bpp, plain.data()));
        EXPECT_EQ(ok, filter <= 4);
        if (ok) {
          EXPECT_EQ(fast, plain) << "bpp " << bpp << " filter " << filter << " n " << n;
        }
      }
}

}  // namespace
}  // namespace tolvane
