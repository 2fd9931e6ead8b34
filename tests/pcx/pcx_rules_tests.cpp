// The PCX decoder's rules on files built byte by byte: packets, sizes,
// palettes, layouts, short lines and refusals.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <tuple>

#include "pcx/pcx_test_helpers.h"
#include "support/simd_levels.h"

namespace tolvane {
namespace {

using namespace pcx_testing;
using bmp_testing::Temp_Dir;
using bmp_testing::Write_File;

constexpr Colour Black = 0, White = Rgb(255, 255, 255);

// Header palette entry i = Spread(i), distinct for every index.
Colour Spread(int i) { return Rgb(16 * i, 100 + i, 255 - 16 * i); }

Pcx_Parts Shape(int bits, int planes, int width, int height, int line_bytes) {
  Pcx_Parts p;
  p.bits = std::uint8_t(bits), p.planes = std::uint8_t(planes);
  p.xmax = std::uint16_t(width - 1), p.ymax = std::uint16_t(height - 1);
  p.line_bytes = std::uint16_t(line_bytes);
  for (int i = 0; i < 16; ++i) {
    const Colour c = Spread(i);
    Set_Entry(p, i, std::uint8_t(Red_Of(c)), std::uint8_t(Green_Of(c)), std::uint8_t(Blue_Of(c)));
  }
  return p;
}

// A 256-colour file of coded `data`, with the Ramp palette at its end.
Bytes Indexed(int width, int height, int line_bytes, Bytes data, std::uint8_t marker = 0x0C) {
  Pcx_Parts p = Shape(8, 1, width, height, line_bytes);
  p.data = std::move(data);
  Bytes b = Build_Pcx(p);
  const Bytes pal = Palette_Block(Ramp, marker);
  b.insert(b.end(), pal.begin(), pal.end());
  return b;
}

// A file whose raw planes are coded the usual way.
Bytes Raw(Pcx_Parts p, const Bytes& raw) {
  p.data = Encode_Lines(raw, p.line_bytes);
  return Build_Pcx(p);
}

using Pixel = std::tuple<int, int, Colour>;

// The first pixels of row 0.
std::vector<Pixel> Row0(std::initializer_list<Colour> colours) {
  std::vector<Pixel> out;
  for (Colour c : colours) out.emplace_back(int(out.size()), 0, c);
  return out;
}

struct Rule_Case {
  const char* name;
  std::function<Bytes()> file;
  int width, height;
  std::vector<Pixel> pixels;
};

const std::vector<Rule_Case>& Rule_Cases() {
  static const std::vector<Rule_Case> cases = {
      {"C0 00 writes nothing; C1 FF writes one FF; 3F alone writes 3F",
       [] {
         return Indexed(4, 1, 4, {0xC0, 0x00, 0x05, 0xC1, 0xFF, 0x3F, 0xC0, 0x00, 0x07});
       },
       4, 1, Row0({Ramp(5), Ramp(0xFF), Ramp(0x3F), Ramp(7)})},
      {"Xmin 10 above Xmax 5 gives width 6",
       [] {
         Pcx_Parts p = Shape(8, 1, 1, 1, 6);
         p.xmin = 10, p.xmax = 5, p.ymin = 3, p.ymax = 3;
         p.data = {0xC6, 0x02};
         Bytes b = Build_Pcx(p);
         const Bytes pal = Palette_Block(Ramp);
         b.insert(b.end(), pal.begin(), pal.end());
         return b;
       },
       6,
       1,
       {{0, 0, Ramp(2)}, {5, 0, Ramp(2)}}},
      {"a line of 65521 coded bytes is accepted",
       [] {
         Bytes data;
         const Bytes line(65521, 9);
         Encode_Plane(line.data(), line.size(), data);
         return Indexed(2, 1, 65521, data);
       },
       2, 1, Row0({Ramp(9), Ramp(9)})},
      {"a run stops at the end of its plane",
       [] {
         Pcx_Parts p = Shape(8, 3, 2, 1, 2);
         p.data = {0xC5, 0x07, 0x01, 0x02, 0xC2, 0x03};
         return Build_Pcx(p);
       },
       2, 1, Row0({Rgb(7, 1, 3), Rgb(7, 2, 3)})},
      {"monochrome is black and white whatever the header palette holds",
       [] {
         return Raw(Shape(1, 1, 10, 1, 2), {0xA5, 0xC0});
       },
       10, 1, Row0({White, Black, White, Black, Black, White, Black, White, White, White})},
      {"the palette marker 0C is not needed (00)",
       [] {
         return Indexed(1, 1, 1, {0xC1, 0xC8}, 0x00);
       },
       1, 1, Row0({Ramp(200)})},
      {"the palette marker 0C is not needed (0C)",
       [] {
         return Indexed(1, 1, 1, {0xC1, 0xC8}, 0x0C);
       },
       1, 1, Row0({Ramp(200)})},
      {"16 colours: header entry 1 of 00 00 AA is dark blue",
       [] {
         Pcx_Parts p = Shape(1, 4, 1, 1, 1);
         Set_Entry(p, 1, 0x00, 0x00, 0xAA);
         return Raw(p, {0x80, 0x00, 0x00, 0x00});
       },
       1, 1, Row0({Rgb(0, 0, 0xAA)})},
      {"16 colours 5 wide with 2 bytes a plane draws 5 pixels",
       [] {
         return Raw(Shape(1, 4, 5, 1, 2), {0xF8, 0xFF, 0x50, 0xFF, 0, 0xFF, 0x80, 0xFF});
       },
       5, 1, Row0({Spread(9), Spread(3), Spread(1), Spread(3), Spread(1)})},
      {"16 colours with lines over 2048 bytes a plane",
       [] {
         Bytes raw(4 * 2100, 0);
         raw[3 * 2100 + 2099] = 0x01;  // plane 3, last byte: the last pixel
         raw[0] = 0x80;                // plane 0, first pixel
         return Raw(Shape(1, 4, 16800, 1, 2100), raw);
       },
       16800,
       1,
       {{0, 0, Spread(1)}, {1, 0, Spread(0)}, {16798, 0, Spread(0)}, {16799, 0, Spread(8)}}},
      {"24 bits: plane bytes 10 20 30 are red, green and blue",
       [] {
         return Raw(Shape(8, 3, 1, 1, 1), {0x10, 0x20, 0x30});
       },
       1, 1, Row0({Rgb(0x10, 0x20, 0x30)})},
      {"version, encoding and reserved bytes are not read",
       [] {
         Pcx_Parts p = Shape(8, 3, 1, 1, 1);
         p.version = 99, p.encoding = 7, p.reserved = 0xEE;
         return Raw(p, {1, 2, 3});
       },
       1, 1, Row0({Rgb(1, 2, 3)})},
      {"1 bit x 2 planes: 4 colours of the header palette",
       [] {
         return Raw(Shape(1, 2, 4, 1, 1), {0xA0, 0xC0});
       },
       4, 1, Row0({Spread(3), Spread(2), Spread(1), Spread(0)})},
      {"1 bit x 3 planes: 8 colours of the header palette",
       [] {
         return Raw(Shape(1, 3, 8, 1, 1), {0xAA, 0xCC, 0xF0});
       },
       8, 1,
       Row0({Spread(7), Spread(6), Spread(5), Spread(4), Spread(3), Spread(2), Spread(1),
             Spread(0)})},
      {"2 bits x 1 plane: the header palette's first 4 entries",
       [] {
         return Raw(Shape(2, 1, 5, 1, 2), {0x1B, 0xC0});
       },
       5, 1, Row0({Spread(0), Spread(1), Spread(2), Spread(3), Spread(3)})},
      {"4 bits x 1 plane: packed, high half first",
       [] {
         return Raw(Shape(4, 1, 3, 1, 2), {0x5A, 0xF0});
       },
       3, 1, Row0({Spread(5), Spread(10), Spread(15)})},
      {"8 bits x 4 planes: the alpha plane is dropped",
       [] {
         return Raw(Shape(8, 4, 2, 1, 2), {1, 2, 3, 4, 5, 6, 0, 255});
       },
       2, 1, Row0({Rgb(1, 3, 5), Rgb(2, 4, 6)})},
      {"rows come top first",
       [] {
         return Raw(Shape(8, 3, 1, 3, 1), {1, 1, 1, 2, 2, 2, 3, 3, 3});
       },
       1,
       3,
       {{0, 0, Rgb(1, 1, 1)}, {0, 1, Rgb(2, 2, 2)}, {0, 2, Rgb(3, 3, 3)}}},
  };
  return cases;
}

class PcxRules : public ::testing::Test {
 protected:
  std::string Save(const Bytes& b, const std::string& name = "in.pcx") {
    Write_File(Dir / name, b);
    return Dir / name;
  }
  Temp_Dir Dir;
};

class PcxRulesAtEachLevel : public testing::At_Each_Simd_Level<PcxRules> {};
TOLVANE_AT_EACH_SIMD_LEVEL(PcxRulesAtEachLevel);

TEST_P(PcxRulesAtEachLevel, DecodesEachRule) {
  for (const Rule_Case& c : Rule_Cases()) {
    SCOPED_TRACE(c.name);
    const Outcome o = Decode_File(Save(c.file()));
    ASSERT_TRUE(o.decoded) << (o.messages.empty() ? o.error : o.messages[0]);
    EXPECT_TRUE(o.messages.empty());
    ASSERT_EQ(o.picture.Width(), c.width);
    ASSERT_EQ(o.picture.Height(), c.height);
    for (auto [x, y, colour] : c.pixels)
      EXPECT_EQ(o.picture.At(x, y), colour) << "pixel (" << x << ", " << y << ")";
    // The same bytes in memory decode the same.
    const Bytes b = c.file();
    Raster_Image in_memory;
    ASSERT_EQ(Decode_Pcx_Data(b.data(), b.size(), in_memory), Pcx_Verdict::Decoded);
    EXPECT_TRUE(Same_Pixels(in_memory, o.picture));
  }
}

// Black and white lines against their bits at every width, with a spare
// byte at the end of each line.
TEST_P(PcxRulesAtEachLevel, BlackAndWhiteLinesAtEveryWidth) {
  std::mt19937 rng(9);
  for (int w : testing::Row_Widths()) {
    const int line = (w + 7) / 8 + 1;
    Bytes raw(2 * std::size_t(line));
    for (std::uint8_t& b : raw) b = std::uint8_t(rng());
    const Bytes file = Raw(Shape(1, 1, w, 2, line), raw);
    Raster_Image img;
    ASSERT_EQ(Decode_Pcx_Data(file.data(), file.size(), img), Pcx_Verdict::Decoded);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(img.At(x, y),
                  (raw[std::size_t(y * line + x / 8)] >> (7 - x % 8)) & 1 ? White : Black)
            << w << " wide at " << x << "," << y;
  }
}

// Large pictures reuse the buffer a freed one left: none of its pixels shows
// past the data of a short line or after the data ends.
TEST_F(PcxRules, NothingOfAReusedBufferShows) {
  constexpr int W = 1024, H = 1024;
  constexpr Colour Old = Rgb(1, 2, 3);
  const Bytes file = Raw(Shape(8, 3, W, H, W - 10), Bytes(2 * 3 * (W - 10), 7));
  { Raster_Image(W, H, Old); }
  Raster_Image img;
  ASSERT_EQ(Decode_Pcx_Data(file.data(), file.size(), img), Pcx_Verdict::Decoded);
  long old = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) old += img.At(x, y) == Old;
  EXPECT_EQ(old, 0);
  EXPECT_EQ(img.At(W - 11, 1), Rgb(7, 7, 7));
  EXPECT_EQ(img.At(W - 10, 1), Black);
  EXPECT_EQ(img.At(0, 2), Black);
}

struct Refusal_Case {
  const char* name;
  std::function<Bytes()> file;
  const char* message;  // after the path
  Pcx_Verdict verdict;
};

TEST_F(PcxRules, RefusesWithTheProgramsMessageAndKeepsTheTarget) {
  auto layout = [](int bits, int planes) {
    return [=] { return Raw(Shape(bits, planes, 8, 1, 8), Bytes(8 * planes, 1)); };
  };
  const char* not_valid = " is not a valid PCX file!";
  const char* too_big = " is TOO big to load!";
  const std::vector<Refusal_Case> cases = {
      {"first byte not 0A",
       [] {
         Pcx_Parts p = Shape(8, 3, 1, 1, 1);
         p.manufacturer = 0x0B;
         return Raw(p, {1, 2, 3});
       },
       not_valid, Pcx_Verdict::Not_Valid},
      {"no planes", layout(8, 0), not_valid, Pcx_Verdict::Not_Valid},
      {"no bytes per line",
       [] {
         Pcx_Parts p = Shape(8, 1, 8, 1, 0);
         p.data = {1};
         return Build_Pcx(p);
       },
       not_valid, Pcx_Verdict::Not_Valid},
      {"2 bits x 2 planes", layout(2, 2), not_valid, Pcx_Verdict::Not_Valid},
      {"4 bits x 2 planes", layout(4, 2), not_valid, Pcx_Verdict::Not_Valid},
      {"8 bits x 2 planes", layout(8, 2), not_valid, Pcx_Verdict::Not_Valid},
      {"1 bit x 5 planes", layout(1, 5), not_valid, Pcx_Verdict::Not_Valid},
      {"16 bits x 1 plane", layout(16, 1), not_valid, Pcx_Verdict::Not_Valid},
      {"24 bits x 1 plane", layout(24, 1), not_valid, Pcx_Verdict::Not_Valid},
      {"line of 32761 x 2 = 65522 bytes", [] { return Build_Pcx(Shape(1, 2, 8, 1, 32761)); },
       too_big, Pcx_Verdict::Too_Big},
      {"line of 21841 x 3 = 65523 bytes", [] { return Build_Pcx(Shape(8, 3, 8, 1, 21841)); },
       too_big, Pcx_Verdict::Too_Big},
      {"65536 x 65536 pixels", [] { return Build_Pcx(Shape(8, 1, 65536, 65536, 65520)); }, too_big,
       Pcx_Verdict::Too_Big},
      {"16385 x 16384 pixels, one over the image limit",
       [] { return Build_Pcx(Shape(8, 1, 16385, 16384, 16386)); }, too_big, Pcx_Verdict::Too_Big},
  };
  for (const Refusal_Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Save(c.file());
    testing::Fake_Platform p;
    TLoading_Window loading;
    const Outcome o = Decode_File(path, &p, &loading);
    EXPECT_FALSE(o.decoded);
    ASSERT_EQ(p.Messages.size(), 1u);
    EXPECT_EQ(p.Messages[0].Text, path + c.message);
    EXPECT_EQ(p.Messages[0].Kind, Msg_Kind::Warning);
    EXPECT_EQ(p.Messages[0].Buttons, unsigned(mb_OK));
    EXPECT_TRUE(Same_Pixels(o.picture, Raster_Image(2, 1, 0x123456)));
    EXPECT_EQ(p.Pumps, 0);
    EXPECT_FALSE(loading.Visible);
    const Bytes b = c.file();
    Raster_Image target(2, 1, 0x123456);
    EXPECT_EQ(Decode_Pcx_Data(b.data(), b.size(), target), c.verdict);
    EXPECT_TRUE(Same_Pixels(target, Raster_Image(2, 1, 0x123456)));
  }
}

TEST_F(PcxRules, FileFailuresAreToolkitErrors) {
  const std::string missing = Dir / "missing.pcx";
  const std::string short_header = Save(Bytes(127, 10), "short.pcx");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {missing, "Cannot open file " + missing},
      {Dir.Path().string(), "Cannot open file " + Dir.Path().string()},
      {short_header, "Read beyond end of file"},
  };
  for (const auto& [path, error] : cases) {
    SCOPED_TRACE(path);
    TLoading_Window loading;
    const Outcome o = Decode_File(path, nullptr, &loading);
    EXPECT_EQ(o.error, error);
    EXPECT_TRUE(Same_Pixels(o.picture, Raster_Image(2, 1, 0x123456)));
    EXPECT_FALSE(loading.Visible);
  }
}

// A line whose bytes hold fewer pixels than the picture is wide: the rest of
// the row reads as zero, on every row.
TEST_F(PcxRules, ShortLinesReadAsZeroPastTheirData) {
  struct Short_Case {
    const char* name;
    Pcx_Parts shape;
    Bytes raw;  // two lines
    int data_pixels;
    Colour first_row, second_row, zero;
  };
  const std::vector<Short_Case> cases = {
      {"1 bit, 8 pixels a line, 20 wide",
       Shape(1, 1, 20, 2, 1),
       {0xFF, 0x00},
       8,
       White,
       Black,
       Black},
      {"16 colours, 8 pixels a line, 12 wide",
       Shape(1, 4, 12, 2, 1),
       {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00},
       8,
       Spread(15),
       Spread(2),
       Spread(0)},
      {"256 colours, 4 pixels a line, 640 wide",
       Shape(8, 1, 640, 2, 4),
       {9, 9, 9, 9, 7, 7, 7, 7},
       4,
       Ramp(9),
       Ramp(7),
       Ramp(0)},
      {"24 bits, 2 pixels a line, 5 wide",
       Shape(8, 3, 5, 2, 2),
       {9, 9, 8, 8, 7, 7, 1, 1, 2, 2, 3, 3},
       2,
       Rgb(9, 8, 7),
       Rgb(1, 2, 3),
       Black},
  };
  for (const Short_Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = Raw(c.shape, c.raw);
    if (c.shape.bits == 8 && c.shape.planes == 1) {
      const Bytes pal = Palette_Block(Ramp);
      file.insert(file.end(), pal.begin(), pal.end());
    }
    const Outcome o = Decode_File(Save(file));
    ASSERT_TRUE(o.decoded);
    ASSERT_EQ(o.picture.Height(), 2);
    for (int x = 0; x < o.picture.Width(); ++x) {
      const bool data = x < c.data_pixels;
      EXPECT_EQ(o.picture.At(x, 0), data ? c.first_row : c.zero) << x;
      EXPECT_EQ(o.picture.At(x, 1), data ? c.second_row : c.zero) << x;
    }
  }
}

// A file that ends early: the rows it holds are decoded, a packet cut in two
// has value zero, and everything after reads as zero.
TEST_F(PcxRules, DataEndingEarlyReadsAsZero) {
  struct Cut_Case {
    const char* name;
    Bytes data;
    std::vector<Colour> row0, row1;
  };
  const Colour Z = Black;
  const std::vector<Cut_Case> cases = {
      {"nothing after the header", {}, {Z, Z, Z}, {Z, Z, Z}},
      {"one byte", {0x05}, {Rgb(5, 0, 0), Z, Z}, {Z, Z, Z}},
      {"a run without its value", {0xC3}, {Z, Z, Z}, {Z, Z, Z}},
      {"a run with its value",
       {0xC3, 0x04, 0xC2, 0x06},
       {Rgb(4, 6, 0), Rgb(4, 6, 0), Rgb(4, 0, 0)},
       {Z, Z, Z}},
      {"one plane into the second line",
       {0xC3, 1, 0xC3, 2, 0xC3, 3, 0xC3, 4},
       {Rgb(1, 2, 3), Rgb(1, 2, 3), Rgb(1, 2, 3)},
       {Rgb(4, 0, 0), Rgb(4, 0, 0), Rgb(4, 0, 0)}},
  };
  for (const Cut_Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pcx_Parts p = Shape(8, 3, 3, 2, 3);
    p.data = c.data;
    testing::Fake_Platform platform;
    const Outcome o = Decode_File(Save(Build_Pcx(p)), &platform);
    ASSERT_TRUE(o.decoded);
    ASSERT_EQ(o.picture.Width(), 3);
    ASSERT_EQ(o.picture.Height(), 2);
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(o.picture.At(x, 0), c.row0[x]) << x;
      EXPECT_EQ(o.picture.At(x, 1), c.row1[x]) << x;
    }
    EXPECT_LE(platform.Pumps, 2);
  }
}

// A header promising far more than its file could fill gets a bounded
// picture: the header's width, some rows, all of the zero colour.
TEST_F(PcxRules, PictureIsBoundedByWhatTheFileCanFill) {
  Pcx_Parts p = Shape(8, 1, 16384, 16384, 16384);
  p.data = Bytes(100, 0xC0);
  const Bytes file = Build_Pcx(p);
  Raster_Image img;
  ASSERT_EQ(Decode_Pcx_Data(file.data(), file.size(), img), Pcx_Verdict::Decoded);
  EXPECT_EQ(img.Width(), 16384);
  EXPECT_GE(img.Height(), 1);
  EXPECT_LE(std::int64_t(img.Width()) * img.Height(), std::int64_t{1} << 22);
  // Unlike a picture its file can fill: 4096 x 4096 of one run per 63 bytes.
  Pcx_Parts q = Shape(8, 3, 4096, 4096, 4096);
  Bytes raw(std::size_t(4096) * 3 * 4096, 0x11);
  q.data = Encode_Lines(raw, 4096);
  const Bytes full = Build_Pcx(q);
  ASSERT_EQ(Decode_Pcx_Data(full.data(), full.size(), img), Pcx_Verdict::Decoded);
  EXPECT_EQ(img.Height(), 4096);
  EXPECT_EQ(img.At(4095, 4095), Rgb(0x11, 0x11, 0x11));
}

}  // namespace
}  // namespace tolvane
