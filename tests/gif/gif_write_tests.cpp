// The GIF encoder, checked against ImageMagick's reading of what it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "gif/gif.h"
#include "image/image_error.h"
#include "support/bmp_test_helpers.h"

namespace tolvane {
namespace {

using namespace bmp_testing;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

struct Im {
  std::string convert = Find_Tool("convert"), identify = Find_Tool("identify");
  bool Missing() const { return convert.empty() || identify.empty(); }

  // One value per frame of a format such as "%T".
  std::vector<std::string> Per_Frame(const std::string& gif, const std::string& format) const {
    int status = 1;
    const std::string out =
        Run(identify + " -format '" + format + "\\n' " + Quote(gif) + " 2>/dev/null", status);
    std::vector<std::string> values;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) values.push_back(line);
    return status == 0 ? values : std::vector<std::string>{};
  }

  std::optional<Raster_Image> Frame(const std::string& gif, int i) const {
    int status = 1;
    const std::string out = Run(
        convert + " " + Quote(gif + "[" + std::to_string(i) + "]") + " -depth 8 ppm:- 2>/dev/null",
        status);
    if (status != 0) return std::nullopt;
    return Parse_Ppm(out);
  }
};

// Where the looping block starts in the file, or npos: "NETSCAPE2.0" and its
// sub-block 1 with the repeat count.
std::size_t Loop_Block(const Bytes& b, std::uint16_t& count) {
  const std::string s(b.begin(), b.end());
  const std::size_t at = s.find("NETSCAPE2.0");
  if (at != std::string::npos && at + 15 < b.size())
    count = std::uint16_t(b[at + 13] | b[at + 14] << 8);
  return at;
}

Raster_Image Frame_Of(const Raster_Image& strip, int size, int i) {
  Raster_Image f(size, size);
  Copy_Rect(f, {0, 0, size, size}, strip, {i * size, 0, (i + 1) * size, size});
  return f;
}

// Six frames of 16, each a different pattern of a few colours.
Raster_Image Few_Colour_Strip() {
  const Colour ink[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456, 0xC0C0C0};
  Raster_Image strip(6 * 16, 16);
  for (int i = 0; i < 6; ++i)
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        strip.SetPixel(i * 16 + x, y, ink[(x / (i + 1) + y * i + (x == y ? 3 : 0)) % 7]);
  return strip;
}

TEST(GifWrite, DelayIsTheSpeedInCentisecondsRoundedToEven) {
  const std::pair<int, int> cases[] = {{1, 100}, {3, 33}, {6, 17}, {8, 12},
                                       {10, 10}, {16, 6}, {20, 5}, {30, 3}};
  for (const auto& [fps, cs] : cases) EXPECT_EQ(Gif_Delay(fps), cs) << fps << " fps";
}

// A four-frame section at 10 fps, looping: ImageMagick reads four frames of
// 10 cs with the section's pixels, and the file loops forever. Played once,
// the file has no looping block.
TEST(GifWrite, SectionReadsBackFrameByFrameWithDelaysAndLooping) {
  const Im im;
  if (im.Missing()) GTEST_SKIP() << "ImageMagick is not installed";
  Temp_Dir dir;
  const Raster_Image strip = Few_Colour_Strip();
  for (const bool loop : {true, false}) {
    SCOPED_TRACE(loop ? "loop" : "once");
    const std::string path = dir / (loop ? "loop.gif" : "once.gif");
    std::vector<std::pair<int, int>> steps;
    Write_Gif(path, {strip, 16, 1, 4, Gif_Delay(10), loop},
              [&](int done, int total) { steps.emplace_back(done, total); });
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));

    EXPECT_EQ(im.Per_Frame(path, "%T"), std::vector<std::string>(4, "10"));
    EXPECT_EQ(im.Per_Frame(path, "%wx%h"), std::vector<std::string>(4, "16x16"));
    for (int i = 0; i < 4; ++i) {
      const auto got = im.Frame(path, i);
      ASSERT_TRUE(got) << "frame " << i;
      EXPECT_EQ(Difference(*got, Frame_Of(strip, 16, i + 1)), "") << "frame " << i;
    }
    std::uint16_t count = 99;
    const std::size_t block = Loop_Block(Read_File(path), count);
    if (loop) {
      ASSERT_NE(block, std::string::npos);
      EXPECT_EQ(count, 0);
    } else {
      EXPECT_EQ(block, std::string::npos);
    }
  }
}

// A gradient of 4096 colours over four frames goes through the quantizer:
// 256 boxes of about 16 neighbouring colours keep every channel within 8
// levels, and the same frames give the same file.
TEST(GifWrite, ManyColoursAreReducedWithBoundedErrorAndTheSameResultEachTime) {
  const Im im;
  if (im.Missing()) GTEST_SKIP() << "ImageMagick is not installed";
  Temp_Dir dir;
  Raster_Image strip(4 * 32, 32);
  std::set<Colour> colours;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 128; ++x) {
      const Colour c = Rgb(x * 2, y * 8, (x / 32) * 80 + (x + y) % 4 * 4);
      strip.SetPixel(x, y, c);
      colours.insert(c);
    }
  ASSERT_GT(colours.size(), 256u);
  const Gif_Palette palette = Make_Gif_Palette(strip, {0, 0, 128, 32});
  EXPECT_FALSE(palette.Exact);
  EXPECT_EQ(palette.Colours.size(), 256u);

  Write_Gif(dir / "a.gif", {strip, 32, 0, 3, 5, true});
  Write_Gif(dir / "b.gif", {strip, 32, 0, 3, 5, true});
  EXPECT_EQ(Read_File(dir / "a.gif"), Read_File(dir / "b.gif"));
  for (int i = 0; i < 4; ++i) {
    const auto got = im.Frame(dir / "a.gif", i);
    ASSERT_TRUE(got) << "frame " << i;
    EXPECT_EQ(Difference(*got, Frame_Of(strip, 32, i), 8), "") << "frame " << i;
  }
}

// Up to 256 colours the palette is the area's own colours, sorted; one more
// and the quantizer picks 256.
TEST(GifWrite, ExactPaletteUpTo256Colours) {
  for (const int n : {1, 3, 256, 257}) {
    SCOPED_TRACE(n);
    Raster_Image image(n, 2, 0x777777);  // row 1 lies outside the area
    std::vector<Colour> want;
    for (int x = 0; x < n; ++x) {
      const Colour c = Rgb(255 - x % 256, x / 2, 7);
      image.SetPixel(x, 0, c);
      want.push_back(c);
    }
    std::sort(want.begin(), want.end());
    const Gif_Palette p = Make_Gif_Palette(image, {0, 0, n, 1});
    EXPECT_EQ(p.Exact, n <= 256);
    if (n <= 256)
      EXPECT_EQ(p.Colours, want);
    else
      EXPECT_EQ(p.Colours.size(), 256u);
  }
}

// A write that fails part way reports it and leaves the old file whole.
TEST(GifWrite, FailedWriteKeepsTheOldFile) {
  Temp_Dir dir;
  const std::string path = dir / "anim.gif";
  const Raster_Image strip = Few_Colour_Strip();
  Write_Gif(path, {strip, 16, 0, 0, 10, true});
  const Bytes old = Read_File(path);
  long budget = 100;
  const auto failing = [&](int fd, const void* data, std::size_t size) -> long {
    if (budget <= 0) {
      errno = ENOSPC;
      return -1;
    }
    const long n = long(std::min<std::size_t>(size, std::size_t(budget)));
    budget -= n;
    return long(::write(fd, data, std::size_t(n)));
  };
  try {
    Write_Gif(path, {strip, 16, 0, 5, 10, true}, {}, failing);
    ADD_FAILURE() << "no error";
  } catch (const Toolkit_Error& e) {
    EXPECT_STREQ(e.what(), "Stream write error");
  }
  EXPECT_EQ(Read_File(path), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(GifWrite, FramesBeyondTheFormatsSizeAreRefused) {
  const Raster_Image none;
  try {
    Write_Gif("/nonexistent/x.gif", {none, 70000, 0, 0, 10, true});
    ADD_FAILURE() << "no error";
  } catch (const Toolkit_Error& e) {
    EXPECT_STREQ(e.what(), "Frames of 70000 pixels are too large for a GIF");
  }
}

}  // namespace
}  // namespace tolvane
