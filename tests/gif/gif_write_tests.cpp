// The GIF encoder, checked against ImageMagick's reading of what it writes.
#include <gif_lib.h>
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

// The delays of one second's frames, which add up to 100 centiseconds.
TEST(GifWrite, DelaysAddUpToTheTrueTime) {
  const std::pair<int, std::vector<int>> cases[] = {
      {1, {100}},
      {3, {33, 34, 33}},
      {8, {13, 12, 13, 12, 13, 12, 13, 12}},
      {10, std::vector<int>(10, 10)},
      {12, {8, 9, 8, 8, 9, 8, 8, 9, 8, 8, 9, 8}},
      {30,
       {3, 4, 3, 3, 4, 3, 3, 4, 3, 3, 4, 3, 3, 4, 3, 3, 4, 3, 3, 4, 3, 3, 4, 3, 3, 4, 3, 3, 4, 3}},
  };
  for (const auto& [fps, want] : cases) {
    std::vector<int> got;
    for (int i = 0; i < 3 * fps; ++i) got.push_back(Gif_Delay(fps, i));
    EXPECT_EQ(std::vector<int>(got.begin() + 2 * fps, got.end()), want) << fps << " fps";
    got.resize(std::size_t(fps));
    EXPECT_EQ(got, want) << fps << " fps";
    EXPECT_EQ(Gif_Delays(fps, std::vector<int>(std::size_t(fps), 0)), want) << fps << " fps";
  }
  // Frames of their own durations, among frames that follow the speed.
  EXPECT_EQ(Gif_Delays(10, {100, 400, 100, 250}), (std::vector<int>{10, 40, 10, 25}));
  EXPECT_EQ(Gif_Delays(3, {15, 15, 0, 0}), (std::vector<int>{2, 1, 33, 34}));
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
    Write_Gif(path, {strip, 16, 1, 4, 10, loop},
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

  const Gif_Animation plain{strip, 32, 0, 3, 5, true, 1, std::nullopt, false};
  EXPECT_EQ(Write_Gif(dir / "a.gif", plain).Reduced, (std::vector<int>{0, 1, 2, 3}));
  Write_Gif(dir / "b.gif", plain);
  EXPECT_EQ(Read_File(dir / "a.gif"), Read_File(dir / "b.gif"));
  for (int i = 0; i < 4; ++i) {
    const auto got = im.Frame(dir / "a.gif", i);
    ASSERT_TRUE(got) << "frame " << i;
    EXPECT_EQ(Difference(*got, Frame_Of(strip, 32, i), 8), "") << "frame " << i;
  }
}

// 2,048 frames of eight colours each, thousands in all: giflib reads every
// pixel back as it was, each frame through the global table or its own, and
// the first 12 frames at 12 fps last 100 cs.
TEST(GifWrite, FramesOfAtMost256ColoursAreExactWhateverTheirTotal) {
  constexpr int Frames = 2048, Size = 8;
  Raster_Image strip(Frames * Size, Size);
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < strip.Width(); ++x)
      strip.SetPixel(x, y, Rgb(x / Size % 256, x / Size / 256 * 32 + (x + y) % 4, y / 4));
  Temp_Dir dir;
  EXPECT_TRUE(Write_Gif(dir / "a.gif", {strip, Size, 0, Frames - 1, 12, true}).Reduced.empty());

  int error = 0;
  GifFileType* gif = DGifOpenFileName((dir / "a.gif").c_str(), &error);
  ASSERT_TRUE(gif);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);
  ASSERT_EQ(gif->ImageCount, Frames);
  long wrong = 0, locals = 0, centiseconds = 0;
  for (int i = 0; i < Frames; ++i) {
    const SavedImage& frame = gif->SavedImages[i];
    const ColorMapObject* map =
        frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    locals += frame.ImageDesc.ColorMap != nullptr;
    GraphicsControlBlock gcb;
    DGifSavedExtensionToGCB(gif, i, &gcb);
    centiseconds += i < 12 ? gcb.DelayTime : 0;
    for (int p = 0; p < Size * Size; ++p) {
      const GifColorType c = map->Colors[frame.RasterBits[p]];
      wrong += Rgb(c.Red, c.Green, c.Blue) != strip.GetPixel(i * Size + p % Size, p / Size);
    }
  }
  DGifCloseFile(gif, &error);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(locals, Frames - 1);
  EXPECT_EQ(centiseconds, 100);
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
