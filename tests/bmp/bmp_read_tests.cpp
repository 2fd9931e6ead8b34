// The BMP reader on files built byte by byte: each variant, each error text,
// and hostile headers.
#include <gtest/gtest.h>

#include "bmp/bmp.h"
#include "image/image_error.h"
#include "support/bmp_test_helpers.h"
#include "support/simd_levels.h"

namespace tolvane {
namespace {

using namespace bmp_testing;

const char* const Not_Valid = "Bitmap image is not valid";
const char* const Read_Error = "Stream read error";

std::string Error_Of(const Bytes& b) {
  try {
    Decode_Bmp(b.data(), b.size());
  } catch (const Toolkit_Error& e) {
    return e.what();
  }
  return "decoded";
}

Raster_Image Decode(const Bytes& b) { return Decode_Bmp(b.data(), b.size()); }

// Rows of `row_bytes` bytes, all `value`.
Bytes Rows(int rows, int row_bytes, std::uint8_t value = 0) {
  return Bytes(std::size_t(rows) * row_bytes, value);
}

constexpr Colour Red = Rgb(255, 0, 0), Green = Rgb(0, 255, 0), Blue = Rgb(0, 0, 255),
                 White = Rgb(255, 255, 255), Black = 0;
// Palette entries as written in the file, 0x00RRGGBB.
constexpr std::uint32_t F_Red = 0xFF0000, F_Green = 0x00FF00, F_Blue = 0x0000FF, F_White = 0xFFFFFF;

// --- variants -------------------------------------------------------------

TEST(BmpReadVariants, OneBitRowsArePackedHighBitFirstAndPadded) {
  Bmp_Parts p;
  p.width = 10, p.height = 2, p.bits = 1;
  p.palette = {F_Red, F_Blue};
  // Bottom row: 1010000011, top row: 0000000001; rows padded to 4 bytes.
  p.pixels = {0xA0, 0xC0, 0xEE, 0xEE, 0x00, 0x40, 0xEE, 0xEE};
  const Raster_Image img = Decode(Build_Bmp(p));
  ASSERT_EQ(img.Width(), 10);
  const Colour bottom[10] = {Blue, Red, Blue, Red, Red, Red, Red, Red, Blue, Blue};
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(img.At(x, 1), bottom[x]) << x;
    EXPECT_EQ(img.At(x, 0), x == 9 ? Blue : Red) << x;
  }
}

TEST(BmpReadVariants, FourAndEightBitPalettesAndTopDownRows) {
  Bmp_Parts p;
  p.width = 3, p.height = -2, p.bits = 4;  // top-down
  p.palette = {F_Red, F_Green, F_Blue};
  p.pixels = {0x01, 0x20, 0, 0, 0x22, 0x10, 0, 0};
  Raster_Image img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(0, 0), Red);
  EXPECT_EQ(img.At(1, 0), Green);
  EXPECT_EQ(img.At(2, 0), Blue);
  EXPECT_EQ(img.At(0, 1), Blue);
  EXPECT_EQ(img.At(2, 1), Green);

  p.bits = 8, p.height = 1;
  p.pixels = {2, 1, 0, 0};
  img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(0, 0), Blue);
  EXPECT_EQ(img.At(1, 0), Green);
  EXPECT_EQ(img.At(2, 0), Red);
}

TEST(BmpReadVariants, IndicesPastTheColourTableAreBlack) {
  Bmp_Parts p;
  p.width = 2, p.bits = 8, p.colours_used = 1;
  p.palette = {F_White};
  p.pixels = {0, 200, 0, 0};
  const Raster_Image img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(0, 0), White);
  EXPECT_EQ(img.At(1, 0), Black);
}

// The row paths run at every dispatch level this processor has.
using BmpReadRows = testing::At_Each_Simd_Level<>;
TOLVANE_AT_EACH_SIMD_LEVEL(BmpReadRows);

// The wide palette paths against a plain lookup: every width around their
// 16- and 64-pixel steps, tables of every size, indices past the table,
// bottom-up.
TEST_P(BmpReadRows, EightBitRowsOfEveryWidthAndTableSize) {
  std::uint32_t seed = 7;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
  std::vector<int> widths;
  for (int width = 1; width <= 50; ++width) widths.push_back(width);
  for (int width : {63, 64, 65, 79, 80, 81, 127, 128, 129, 200}) widths.push_back(width);
  for (int entries : {1, 2, 16, 17, 128, 129, 255, 256})
    for (int width : widths) {
      Bmp_Parts p;
      p.width = width, p.height = 3, p.bits = 8, p.colours_used = std::uint32_t(entries);
      for (int i = 0; i < entries; ++i) p.palette.push_back(next() * 0x10001u + std::uint32_t(i));
      const int row_bytes = (width + 3) & ~3;
      for (int i = 0; i < 3 * row_bytes; ++i) p.pixels.push_back(std::uint8_t(next()));
      const Raster_Image img = Decode(Build_Bmp(p));
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x) {
          const int index = p.pixels[std::size_t((2 - y) * row_bytes + x)];
          const std::uint32_t f = index < entries ? p.palette[std::size_t(index)] : 0;
          ASSERT_EQ(img.At(x, y), Rgb(f >> 16 & 0xFF, f >> 8 & 0xFF, f & 0xFF))
              << entries << " entries, width " << width << " at " << x << "," << y;
        }
    }
}

TEST(BmpReadVariants, DefaultTableSizeWhenNoneIsNamed) {
  // 4 bits and colours_used 0: 16 entries, pixels right after them.
  Bmp_Parts p;
  p.width = 2, p.bits = 4;
  for (int i = 0; i < 16; ++i) p.palette.push_back(std::uint32_t(i * 0x100000 + i));
  p.pixels = {0xF3, 0, 0, 0};
  const Raster_Image img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(0, 0), Rgb(0xF0, 0, 15));
  EXPECT_EQ(img.At(1, 0), Rgb(0x30, 0, 3));
}

TEST(BmpReadVariants, Os2CoreHeaderHasThreeByteEntries) {
  Bmp_Parts p;
  p.info_size = 12;
  p.width = 3, p.height = 1, p.bits = 1;
  p.palette = {F_Green, F_Blue};
  p.pixels = {0x40, 0, 0, 0};
  const Bytes file = Build_Bmp(p);
  ASSERT_EQ(file.size(), 14u + 12 + 6 + 4);
  const Raster_Image img = Decode(file);
  EXPECT_EQ(img.At(0, 0), Green);
  EXPECT_EQ(img.At(1, 0), Blue);
  EXPECT_EQ(img.At(2, 0), Green);
}

TEST(BmpReadVariants, Os2V2ShortHeaderHasFourByteEntries) {
  Bmp_Parts p;
  p.info_size = 16;
  p.width = 1, p.bits = 8, p.compression = 0;
  for (int i = 0; i < 256; ++i) p.palette.push_back(i == 7 ? F_Red : 0);
  p.pixels = {7, 0, 0, 0};
  EXPECT_EQ(Decode(Build_Bmp(p)).At(0, 0), Red);
}

// The wide 24-bit paths against the plain one, with the data whole or cut
// inside the last row.
TEST_P(BmpReadRows, TwentyFourBitRowsMatchThePlainPath) {
  std::mt19937 rng(5);
  for (int w : testing::Row_Widths())
    for (std::size_t cut : {0, 1, 40}) {
      Bmp_Parts p;
      p.width = w, p.height = 3, p.bits = 24;
      p.pixels = Rows(3, (3 * w + 3) & ~3);
      for (std::uint8_t& b : p.pixels) b = std::uint8_t(rng());
      Bytes file = Build_Bmp(p);
      file.resize(file.size() - std::min(cut, std::size_t(3 * w)));
      const Raster_Image plain = testing::At_Plain([&] { return Decode(file); });
      ASSERT_TRUE(Same_Pixels(Decode(file), plain)) << w << " wide, cut " << cut;
    }
}

TEST_P(BmpReadRows, TwentyFourAndThirtyTwoBitsInEveryPosition) {
  // Widths 1 to 20 cover the four- and eight-pixel fast paths and their tails.
  for (int w = 1; w <= 20; ++w) {
    Bmp_Parts p;
    p.width = w, p.height = 2, p.bits = 24;
    const int row = (w * 3 + 3) / 4 * 4;
    p.pixels = Rows(2, row, 0xAB);  // padding bytes must be ignored
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < w; ++x) {
        std::uint8_t* px = &p.pixels[std::size_t(y) * row + 3 * x];
        px[0] = std::uint8_t(10 * x + y), px[1] = std::uint8_t(100 + x),
        px[2] = std::uint8_t(200 + x);
      }
    Raster_Image img = Decode(Build_Bmp(p));
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(img.At(x, 1 - y), Rgb(200 + x, 100 + x, 10 * x + y)) << w << " " << x;

    p.bits = 32;
    p.pixels = Rows(2, 4 * w);
    for (int i = 0; i < 2 * w; ++i) {
      p.pixels[4 * i] = std::uint8_t(i), p.pixels[4 * i + 1] = 0x22;
      p.pixels[4 * i + 2] = 0x33, p.pixels[4 * i + 3] = 0xFF;  // fourth byte dropped
    }
    img = Decode(Build_Bmp(p));
    for (int i = 0; i < 2 * w; ++i)
      ASSERT_EQ(img.At(i % w, 1 - i / w), Rgb(0x33, 0x22, i)) << w << " " << i;
  }
}

TEST(BmpReadVariants, SixteenBitsDefaultTo555WithBitReplication) {
  Bmp_Parts p;
  p.width = 3, p.bits = 16;
  // 0x7FFF white, 0x4210 = 10000 10000 10000, 0x001F pure blue.
  p.pixels = {0xFF, 0x7F, 0x10, 0x42, 0x1F, 0x00, 0, 0};
  const Raster_Image img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(0, 0), White);
  EXPECT_EQ(img.At(1, 0), Rgb(0x84, 0x84, 0x84));  // 10000 -> 10000100
  EXPECT_EQ(img.At(2, 0), Blue);
}

TEST(BmpReadVariants, BitFieldMasksAfterTheHeaderOrInsideIt) {
  Bmp_Parts p;
  p.width = 2, p.bits = 16, p.compression = 3;
  p.masks = {0xF800, 0x07E0, 0x001F};  // 565
  // 0x07E0 pure green; 0x8410 = 10000 100000 10000.
  p.pixels = {0xE0, 0x07, 0x10, 0x84};
  Raster_Image img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(0, 0), Green);
  EXPECT_EQ(img.At(1, 0), Rgb(0x84, 0x82, 0x84));

  // Odd widths: 2-bit red, 3-bit green, 1-bit blue in a 108-byte header.
  p.info_size = 108;
  p.masks = {0x0030, 0x000E, 0x0001};
  p.pixels = {0x2B, 0x00, 0x14, 0x00};  // 10 101 1, 01 010 0
  img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(0, 0), Rgb(0xAA, 0xB6, 0xFF));
  EXPECT_EQ(img.At(1, 0), Rgb(0x55, 0x49, 0x00));

  // 32 bits, channels wider than 8 keep their top bits.
  p.info_size = 40, p.bits = 32;
  p.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};  // 10-10-10
  const std::uint32_t v = (0x3FFu << 20) | (0x200u << 10) | 0x0FFu;
  p.pixels = {std::uint8_t(v),
              std::uint8_t(v >> 8),
              std::uint8_t(v >> 16),
              std::uint8_t(v >> 24),
              0,
              0,
              0,
              0};
  img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(0, 0), Rgb(0xFF, 0x80, 0x3F));
}

TEST(BmpReadVariants, MasksInAHeaderAreIgnoredWithoutBitFieldCompression) {
  Bmp_Parts p;
  p.info_size = 124;
  p.width = 1, p.bits = 32, p.compression = 0;
  p.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0};  // would swap red and blue
  p.pixels = {0x11, 0x22, 0x33, 0};
  EXPECT_EQ(Decode(Build_Bmp(p)).At(0, 0), Rgb(0x33, 0x22, 0x11));
}

TEST(BmpReadVariants, PixelDataStartsAtTheHeaderOffset) {
  Bmp_Parts p;
  p.width = 1, p.bits = 24;
  p.offset = 54 + 10;
  p.pixels = Bytes(10, 0x77);
  p.pixels.insert(p.pixels.end(), {0x01, 0x02, 0x03, 0});
  EXPECT_EQ(Decode(Build_Bmp(p)).At(0, 0), Rgb(3, 2, 1));
}

TEST(BmpReadVariants, ShortPixelDataReadsAsFarAsItGoesAndIsNoted) {
  // Missing pixels are white, whatever the palette; the notes tell.
  Bmp_Parts p;
  p.width = 4, p.height = 3, p.bits = 8;
  p.palette = {F_Green, F_Red};
  p.pixels = {1, 1, 1, 1, 1, 1};  // the bottom row and half of the next
  Read_Notes notes;
  Bytes file = Build_Bmp(p);
  Raster_Image img = Decode_Bmp(file.data(), file.size(), &notes);
  EXPECT_TRUE(notes.Cut_Short);
  EXPECT_EQ(img.At(0, 2), Red);
  EXPECT_EQ(img.At(3, 2), Red);
  EXPECT_EQ(img.At(1, 1), Red);
  EXPECT_EQ(img.At(2, 1), White);
  EXPECT_EQ(img.At(0, 0), White);
  EXPECT_EQ(img.Fill_Colour, Raster_Image().Fill_Colour);

  // Direct colour: a pixel cut in half is missing; a missing padding is no cut.
  p.bits = 24, p.palette.clear();
  p.pixels = Bytes(12 + 4, 0);
  img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(3, 2), Black);
  EXPECT_EQ(img.At(0, 1), Black);
  EXPECT_EQ(img.At(1, 1), White);
  EXPECT_EQ(img.At(0, 0), White);
  p.width = 3, p.pixels = Bytes(3 * 12 - 3, 0);
  file = Build_Bmp(p);
  img = Decode_Bmp(file.data(), file.size(), &notes);
  EXPECT_FALSE(notes.Cut_Short);
}

TEST(BmpReadVariants, HeaderParsesWithoutDecoding) {
  Bmp_Parts p;
  p.width = 300, p.height = -20, p.bits = 8, p.colours_used = 2;
  p.palette = {F_Red, F_Blue};
  const Bytes b = Build_Bmp(p);  // no pixel data at all
  const Bmp_Header h = Parse_Bmp_Header(b.data(), b.size());
  EXPECT_EQ(h.Width, 300);
  EXPECT_EQ(h.Height, 20);
  EXPECT_TRUE(h.Top_Down);
  EXPECT_EQ(h.Bit_Count, 8);
  EXPECT_EQ(h.Palette_Entries, 2);
  EXPECT_EQ(h.Pixel_Offset, 54u + 8);
}

// --- RLE ------------------------------------------------------------------

Bmp_Parts Rle8(int w, int h, Bytes codes) {
  Bmp_Parts p;
  p.width = w, p.height = h, p.bits = 8, p.compression = 1;
  p.palette = {F_White, F_Red, F_Green, F_Blue};
  p.pixels = std::move(codes);
  return p;
}

TEST(BmpReadRle, Rle8RunsAbsoluteRunsEndOfLineAndDelta) {
  // Bottom row: 2 red, absolute (green blue red) padded; end of line.
  // Next row: delta right 1, 1 blue; end of picture.
  const Raster_Image img =
      Decode(Build_Bmp(Rle8(6, 3, {2, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 0, 1, 3, 0, 1})));
  const Colour bottom[6] = {Red, Red, Green, Blue, Red, White};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(img.At(x, 2), bottom[x]) << x;
  EXPECT_EQ(img.At(0, 1), White);  // skipped: palette entry 0
  EXPECT_EQ(img.At(1, 1), Blue);
  EXPECT_EQ(img.At(2, 1), White);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(img.At(x, 0), White);
}

TEST(BmpReadRle, Rle4AlternatesNibbles) {
  Bmp_Parts p;
  p.width = 7, p.height = 1, p.bits = 4, p.compression = 2;
  p.palette = {F_White, F_Red, F_Green, F_Blue};
  // Run of 3 from 0x12: 1 2 1; absolute 3 nibbles 3 2 1 (2 bytes, padded to 2).
  p.pixels = {3, 0x12, 0, 3, 0x32, 0x10, 0, 1};
  const Raster_Image img = Decode(Build_Bmp(p));
  const Colour want[7] = {Red, Green, Red, Blue, Green, Red, White};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(img.At(x, 0), want[x]) << x;
}

TEST(BmpReadRle, RunsPastTheRowEndAreClippedNotWrapped) {
  // 255-pixel run and a 5-pixel absolute run in a 4-wide row, then a row of blue.
  const Raster_Image img =
      Decode(Build_Bmp(Rle8(4, 2, {255, 1, 0, 5, 2, 2, 2, 2, 2, 0, 0, 0, 4, 3, 0, 1})));
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(img.At(x, 1), Red) << x;
    EXPECT_EQ(img.At(x, 0), Blue) << x;
  }
}

TEST(BmpReadRle, DeltasPastTheRowOrPictureEndAreClipped) {
  // Delta 200 right then a run: clipped away. Delta 250 up: past the top, done.
  const Raster_Image img =
      Decode(Build_Bmp(Rle8(3, 2, {1, 1, 0, 2, 200, 0, 3, 2, 0, 0, 0, 2, 0, 250, 5, 3})));
  EXPECT_EQ(img.At(0, 1), Red);
  EXPECT_EQ(img.At(1, 1), White);
  EXPECT_EQ(img.At(2, 1), White);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(img.At(x, 0), White);
}

TEST(BmpReadRle, EndsOfLinePastTheLastRowAndCutDataStopCleanly) {
  Bytes codes;
  for (int i = 0; i < 100; ++i) codes.insert(codes.end(), {1, 2, 0, 0});
  Raster_Image img = Decode(Build_Bmp(Rle8(2, 2, codes)));
  EXPECT_EQ(img.At(0, 0), Green);
  EXPECT_EQ(img.At(0, 1), Green);
  EXPECT_EQ(img.At(1, 1), White);

  // Absolute run promising 9 pixels with 2 present; a lone trailing byte.
  img = Decode(Build_Bmp(Rle8(12, 1, {0, 9, 3, 3})));
  EXPECT_EQ(img.At(1, 0), Blue);
  EXPECT_EQ(img.At(2, 0), White);
  img = Decode(Build_Bmp(Rle8(4, 1, {2, 1, 7})));
  EXPECT_EQ(img.At(1, 0), Red);
  EXPECT_EQ(img.At(2, 0), White);
}

TEST(BmpReadRle, LargeRlePictureFromASmallFileIsBoundedNotRefusedUnderTheFloor) {
  // 2048 x 2048 = 4 Mpixel from a few bytes: cheap enough to allow.
  Raster_Image img = Decode(Build_Bmp(Rle8(2048, 2048, {3, 1, 0, 1})));
  EXPECT_EQ(img.At(2, 2047), Red);
  EXPECT_EQ(img.At(2047, 0), White);
  // 16,000 x 16,000 from the same bytes is not.
  EXPECT_EQ(Error_Of(Build_Bmp(Rle8(16000, 16000, {3, 1, 0, 1}))), Not_Valid);
}

// Large pictures reuse the buffer a freed picture left, so nothing shows of
// its old pixels: every pixel the data skips or lacks is palette entry 0.
TEST(BmpReadRle, SkippedPixelsOfAReusedBufferAreEntryZero) {
  constexpr int W = 1024, H = 1024;
  constexpr Colour Old = Rgb(1, 2, 3);
  struct Case {
    const char* name;
    Bmp_Parts parts;
  };
  Bmp_Parts cut_plain;
  cut_plain.width = W, cut_plain.height = H, cut_plain.bits = 8;
  cut_plain.palette = {F_White, F_Red};
  cut_plain.pixels = Bytes(W * 3 + W / 2, 1);  // three rows and a half
  const Case cases[] = {
      {"end of line", Rle8(W, H, {2, 1, 0, 0, 2, 1, 0, 1})},
      {"delta up", Rle8(W, H, {2, 1, 0, 2, 5, 3, 2, 1, 0, 1})},
      {"delta right", Rle8(W, H, {2, 1, 0, 2, 7, 0, 2, 1, 0, 1})},
      {"data cut", Rle8(W, H, {2, 1, 0, 3, 1})},
      {"plain cut", cut_plain},
  };
  for (const Case& c : cases) {
    { Raster_Image(W, H, Old); }
    const Raster_Image img = Decode(Build_Bmp(c.parts));
    long old = 0, red = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        old += img.At(x, y) == Old;
        red += img.At(x, y) == Red;
      }
    EXPECT_EQ(old, 0) << c.name;
    EXPECT_GT(red, 0) << c.name;
    EXPECT_EQ(img.At(W - 1, 0), White) << c.name;
  }
}

// --- errors ---------------------------------------------------------------

TEST(BmpReadErrors, FilesThatCannotBeOpened) {
  Temp_Dir dir;
  for (const std::string& path : {dir / "missing.bmp", dir.Path().string()}) {
    try {
      Read_Bmp(path);
      ADD_FAILURE() << path;
    } catch (const Toolkit_Error& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file " + path);
    }
  }
}

TEST(BmpReadErrors, FilesShorterThanTheirHeaders) {
  Bmp_Parts p;
  p.width = 2, p.bits = 16, p.compression = 3;
  p.masks = {0xF800, 0x07E0, 0x001F};
  const Bytes whole = Build_Bmp(p);
  EXPECT_EQ(Error_Of({}), Read_Error);
  EXPECT_EQ(Error_Of({'B'}), Read_Error);
  EXPECT_EQ(Error_Of(Bytes(whole.begin(), whole.begin() + 13)), Read_Error);
  EXPECT_EQ(Error_Of(Bytes(whole.begin(), whole.begin() + 16)), Read_Error);  // in the size
  EXPECT_EQ(Error_Of(Bytes(whole.begin(), whole.begin() + 40)), Read_Error);  // in the info
  EXPECT_EQ(Error_Of(Bytes(whole.begin(), whole.begin() + 60)), Read_Error);  // in the masks
  // The pixel offset beyond the end of the file.
  Bmp_Parts q;
  q.offset = 5000;
  q.pixels = {1, 2, 3, 0};
  EXPECT_EQ(Error_Of(Build_Bmp(q)), Read_Error);
  // A read error is reported the same from a file.
  Temp_Dir dir;
  Write_File(dir / "short.bmp", Bytes(whole.begin(), whole.begin() + 30));
  try {
    Read_Bmp(dir / "short.bmp");
    ADD_FAILURE();
  } catch (const Toolkit_Error& e) {
    EXPECT_STREQ(e.what(), Read_Error);
  }
}

TEST(BmpReadErrors, HeadersWithValuesWeDoNotAccept) {
  auto error_with = [](auto change) {
    Bmp_Parts p;
    p.width = 4, p.height = 4, p.bits = 24;
    p.pixels = Rows(4, 12);
    change(p);
    return Error_Of(Build_Bmp(p));
  };
  EXPECT_EQ(error_with([](Bmp_Parts&) {}), "decoded");
  Bytes ba = Build_Bmp(Bmp_Parts{});
  ba[1] = 'A';
  EXPECT_EQ(Error_Of(ba), Not_Valid);
  for (std::uint32_t size : {41u, 66u, 200u})
    EXPECT_EQ(error_with([&](Bmp_Parts& p) { p.info_size = size; }), Not_Valid) << size;
  for (std::uint32_t size : {0u, 4u, 20u, 0xFFFFFFFFu}) {
    Bytes b = Build_Bmp(Bmp_Parts{});
    Put(b, 14, size, 4);  // no such header
    EXPECT_EQ(Error_Of(b), Not_Valid) << size;
  }
  for (int planes : {0, 2, 30000})
    EXPECT_EQ(error_with([&](Bmp_Parts& p) { p.planes = std::uint16_t(planes); }), Not_Valid);
  for (int bits : {0, 2, 7, 12, 48, 64, 30000})
    EXPECT_EQ(error_with([&](Bmp_Parts& p) { p.bits = std::uint16_t(bits); }), Not_Valid) << bits;
  for (int width : {0, -1, -127, int(0x80000000)})
    EXPECT_EQ(error_with([&](Bmp_Parts& p) { p.width = width; }), Not_Valid) << width;
  EXPECT_EQ(error_with([](Bmp_Parts& p) { p.height = 0; }), Not_Valid);
  EXPECT_EQ(error_with([](Bmp_Parts& p) { p.height = int(0x80000000); }), Not_Valid);
  // Compression must fit the depth; 4 to 6 (JPEG, PNG, alpha fields) are not read.
  EXPECT_EQ(error_with([](Bmp_Parts& p) { p.compression = 1; }), Not_Valid);
  EXPECT_EQ(error_with([](Bmp_Parts& p) { p.compression = 2; }), Not_Valid);
  EXPECT_EQ(error_with([](Bmp_Parts& p) {
              p.compression = 3;
              p.masks = {0xFF, 0xFF00, 0xFF0000};
            }),
            Not_Valid);
  for (std::uint32_t c : {4u, 5u, 6u, 0x80000000u})
    EXPECT_EQ(error_with([&](Bmp_Parts& p) { p.compression = c; }), Not_Valid);
  EXPECT_EQ(error_with([](Bmp_Parts& p) {
              p.bits = 8;
              p.compression = 2;
            }),
            Not_Valid);
  EXPECT_EQ(error_with([](Bmp_Parts& p) {
              p.bits = 4;
              p.compression = 1;
            }),
            Not_Valid);
  // RLE is bottom-up by definition.
  EXPECT_EQ(error_with([](Bmp_Parts& p) {
              p.bits = 8;
              p.compression = 1;
              p.height = -4;
            }),
            Not_Valid);
  // The pixel data cannot start inside the headers.
  EXPECT_EQ(error_with([](Bmp_Parts& p) { p.offset = 40; }), Not_Valid);
  EXPECT_EQ(error_with([](Bmp_Parts& p) { p.offset = 0; }), Not_Valid);
}

TEST(BmpReadErrors, BitFieldMasksMustBeRunsThatDoNotOverlap) {
  auto error_with = [](std::vector<std::uint32_t> masks, int bits = 16) {
    Bmp_Parts p;
    p.width = 2, p.bits = std::uint16_t(bits), p.compression = 3, p.masks = std::move(masks);
    p.pixels = Rows(1, 8);
    return Error_Of(Build_Bmp(p));
  };
  EXPECT_EQ(error_with({0xF800, 0x07E0, 0x001F}), "decoded");
  EXPECT_EQ(error_with({0xFF00, 0x00FF, 0}), "decoded");        // no blue: reads 0
  EXPECT_EQ(error_with({0xF00F, 0x07E0, 0x0010}), Not_Valid);   // split run
  EXPECT_EQ(error_with({0xF800, 0x0FE0, 0x001F}), Not_Valid);   // overlap
  EXPECT_EQ(error_with({0xF8000, 0x07E0, 0x001F}), Not_Valid);  // beyond 16 bits
}

// --- hostile files --------------------------------------------------------

TEST(BmpReadHostile, HugeDimensionsInATinyFileAreRefusedBeforeAllocating) {
  Bmp_Parts p;
  p.width = 100000, p.height = 100000, p.bits = 24;
  p.pixels = {1, 2, 3, 4, 5, 6};
  const Bytes b = Build_Bmp(p);
  ASSERT_EQ(b.size(), 60u);
  EXPECT_EQ(Error_Of(b), Not_Valid);
  // Under the pixel cap but far beyond what 60 bytes can fill.
  p.width = 16000, p.height = 16000;
  EXPECT_EQ(Error_Of(Build_Bmp(p)), Not_Valid);
  p.width = 0x7FFFFFFF, p.height = -0x7FFFFFFF;
  EXPECT_EQ(Error_Of(Build_Bmp(p)), Not_Valid);
  // A picture the data can half fill is still read as far as it goes.
  p.width = 3000, p.height = 3000;
  p.pixels = Bytes(std::size_t(9000) * 1600, 0);
  const Raster_Image img = Decode(Build_Bmp(p));
  EXPECT_EQ(img.At(0, 2999), Black);
  EXPECT_EQ(img.At(0, 0), White);
}

TEST(BmpReadHostile, ColourTablesTooBigOrPastTheFileEnd) {
  Bmp_Parts p;
  p.width = 2, p.bits = 8;
  p.palette = {F_Red, F_Green};
  p.pixels = {1, 0, 0, 0};
  for (std::uint32_t named : {300u, 305402420u, 0xFFFFFFFFu}) {
    p.colours_used = named;
    const Raster_Image img = Decode(Build_Bmp(p));
    EXPECT_EQ(img.At(0, 0), Green) << named;
    EXPECT_EQ(img.At(1, 0), Red) << named;
  }
  // A table that the file ends inside: no pixels, no crash.
  p.colours_used = 256;
  p.pixels.clear();
  Bytes cut = Build_Bmp(p);
  EXPECT_EQ(Decode(cut).At(0, 0), White);
  cut.resize(cut.size() - 3);
  Put(cut, 10, std::uint32_t(cut.size()), 4);
  EXPECT_EQ(Decode(cut).At(1, 0), White);
}

TEST(BmpReadHostile, NoHostileFileAllocatesMuchUnderAMemoryCap) {
  std::vector<Bytes> files;
  Bmp_Parts p;
  p.width = 100000, p.height = 100000, p.bits = 24, p.pixels = {1, 2, 3, 4, 5, 6};
  files.push_back(Build_Bmp(p));
  p.width = 16383, p.height = 16383;
  files.push_back(Build_Bmp(p));
  files.push_back(Build_Bmp(Rle8(16383, 16383, {255, 1, 0, 2, 255, 255, 0, 1})));
  p.bits = 8, p.colours_used = 0x7FFFFFFF, p.width = 8000, p.height = -8000;
  files.push_back(Build_Bmp(p));
  EXPECT_EXIT(
      {
        Cap_Memory(32 << 20);
        int failures = 0;
        for (const Bytes& b : files) {
          try {
            Decode_Bmp(b.data(), b.size());
            ++failures;
          } catch (const Toolkit_Error& e) {
            failures += std::string(e.what()) != "Bitmap image is not valid";
          }
        }
        std::exit(failures);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tolvane
