// Cross-checks with codecs nobody here wrote: Pillow and ImageMagick write
// PNGs of every colour type and depth, and we must decode each exactly as
// ImageMagick does at 16 bits (and Pillow at 8); and they must read back what
// we write.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "image/image_error.h"
#include "png/png.h"
#include "support/bmp_test_helpers.h"

namespace tolvane {
namespace {

using namespace bmp_testing;

struct Tools {
  std::string convert, python, missing;
  Tools() {
    convert = Find_Tool("convert");
    python = Find_Tool("python3");
    int status = 1;
    if (!python.empty()) Run(python + " -c 'import PIL' 2>/dev/null", status);
    if (convert.empty()) missing += " ImageMagick (convert)";
    if (status != 0) missing += " Pillow (python3-pil)";
  }
};

const Tools& The_Tools() {
  static const Tools tools;
  return tools;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// The colour a pixel of 16-bit samples shows over the background, rounded to
// the nearest 8-bit value; worked out in floating point, apart from the code.
Colour Over(const std::uint16_t* px, Colour background, double max) {
  const unsigned bg[3] = {Red_Of(background), Green_Of(background), Blue_Of(background)};
  unsigned c[3];
  const double a = px[3] / max;
  for (int i = 0; i < 3; ++i)
    c[i] = unsigned(std::lround(255 * (px[i] / max * a) + bg[i] * (1 - a)));
  return Rgb(c[0], c[1], c[2]);
}

// A tool's RGBA decode (samples of `bytes` bytes, big-endian) composited over
// the background.
std::optional<Raster_Image> Reference(const std::string& command, int w, int h, int bytes,
                                      Colour background) {
  int status;
  const std::string out = Run(command + " 2>/dev/null", status);
  if (status != 0 || out.size() != std::size_t(w) * h * 4 * bytes) return std::nullopt;
  Raster_Image img(w, h);
  const auto* p = reinterpret_cast<const std::uint8_t*>(out.data());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x, p += 4 * bytes) {
      std::uint16_t px[4];
      for (int i = 0; i < 4; ++i) px[i] = bytes == 2 ? p[2 * i] << 8 | p[2 * i + 1] : p[i];
      img.Row(y)[x] = Over(px, background, bytes == 2 ? 65535.0 : 255.0);
    }
  return img;
}

class PngTools : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!The_Tools().missing.empty())
      GTEST_SKIP() << "reference codecs missing:" << The_Tools().missing
                   << " (install them with scripts/deps.sh)";
  }
  Temp_Dir Dir;
};

TEST_F(PngTools, EveryColourTypeAndDepthDecodesAsTheReferenceCodecs) {
  struct Sample {
    const char* kind;
    int depth, colour_type, interlace;
    bool has_clear;  // some pixels fully transparent
  };
  const Sample samples[] = {
      {"palette1", 1, 3, 0, false},        {"palette2", 2, 3, 0, false},
      {"palette4", 4, 3, 0, false},        {"palette8", 8, 3, 0, false},
      {"palette8_trns", 8, 3, 0, true},    {"grey1", 1, 0, 0, false},
      {"grey4", 4, 0, 0, false},           {"grey8", 8, 0, 0, false},
      {"grey8_trns", 8, 0, 0, true},       {"grey16", 16, 0, 0, false},
      {"grey_alpha8", 8, 4, 0, true},      {"rgb8", 8, 2, 0, false},
      {"rgb8_trns", 8, 2, 0, true},        {"rgba8", 8, 6, 0, true},
      {"rgb16", 16, 2, 0, false},          {"rgba16", 16, 6, 0, true},
      {"rgb8_interlaced", 8, 2, 1, false}, {"rgba16_interlaced", 16, 6, 1, true},
  };
  const Tools& t = The_Tools();
  const std::string script = std::string(TOLVANE_SOURCE_DIR) + "/tests/png/png_samples.py";
  const Colour mount = Rgb(0x12, 0xA4, 0x57);
  for (const Sample& s : samples) {
    SCOPED_TRACE(s.kind);
    const std::string file = Dir / (std::string(s.kind) + ".png");
    int status;
    bmp_testing::Run(t.python + " " + Quote(script) + " " + s.kind + " " + Quote(file) + " 2>&1",
                     status);
    ASSERT_EQ(status, 0);
    // The tools wrote what the row promises.
    const Bytes b = Read_File(file);
    ASSERT_GT(b.size(), 29u);
    EXPECT_EQ(b[24], s.depth);
    EXPECT_EQ(b[25], s.colour_type);
    EXPECT_EQ(b[28], s.interlace);

    const Raster_Image got = Read_Png(file, mount);
    const auto im = Reference(t.convert + " " + Quote(file) + " -depth 16 -endian MSB rgba:-",
                              got.Width(), got.Height(), 2, mount);
    ASSERT_TRUE(im);
    EXPECT_EQ(Difference(got, *im), "") << "against ImageMagick";
    // Pillow keeps the top byte of 16-bit samples, so it is a reference
    // only up to 8 bits.
    if (s.depth <= 8) {
      const auto pil = Reference(
          t.python +
              " -c 'import sys; from PIL import Image; "
              "sys.stdout.buffer.write(Image.open(sys.argv[1]).convert(\"RGBA\").tobytes())' " +
              Quote(file),
          got.Width(), got.Height(), 1, mount);
      ASSERT_TRUE(pil);
      EXPECT_EQ(Difference(got, *pil), "") << "against Pillow";
    }
    int clear = 0;
    for (int y = 0; y < got.Height(); ++y)
      for (int x = 0; x < got.Width(); ++x) clear += got.At(x, y) == mount;
    if (s.has_clear) {
      EXPECT_GT(clear, 0) << "transparent pixels show the mount colour";
    }
    // The memory and the file path decode alike.
    EXPECT_EQ(Difference(Decode_Png(b.data(), b.size(), mount), got), "");
  }
}

TEST_F(PngTools, WhatWeWritePillowAndImageMagickReadBackUnchanged) {
  const Tools& t = The_Tools();
  // Pictures of 256 colours or fewer go out as palette pictures of the
  // fewest bits; others as 8-bit RGB. `k` colours, or all the test's own.
  for (auto [w, h, k] : {std::tuple{37, 13, 0},
                         {1, 1, 0},
                         {96, 32, 0},
                         {96, 32, 3},
                         {61, 9, 17},
                         {64, 16, 256},
                         {67, 5, 257}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " " + std::to_string(k));
    Raster_Image picture = Test_Picture(w, h, unsigned(w * h));
    for (int i = 0; k && i < w * h; ++i)
      picture.Row(0)[i] = Colour(i % k) * 0x9E3779u & Colour_Mask;
    std::set<Colour> distinct;
    for (int i = 0; i < w * h; ++i) distinct.insert(picture.Row(0)[i]);
    const int colours = int(distinct.size());
    const std::string file = Dir / "ours.png";
    Write_Png(file, picture);
    const Bytes b = Read_File(file);
    ASSERT_GT(b.size(), 29u);
    const int depth = colours > 16 ? 8 : colours > 4 ? 4 : colours > 2 ? 2 : 1;
    EXPECT_EQ(b[24], depth) << "bits per sample";
    EXPECT_EQ(b[25], colours > 256 ? 2 : 3) << "RGB without alpha, or a palette";

    int status;
    const auto im =
        Parse_Ppm(bmp_testing::Run(t.convert + " " + Quote(file) + " -depth 8 ppm:-", status));
    ASSERT_TRUE(im);
    EXPECT_EQ(Difference(*im, picture), "") << "ImageMagick";
    const auto pil = Parse_Ppm(bmp_testing::Run(
        t.python +
            " -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
            "im.load(); sys.stdout.buffer.write(b\"P6\\n%d %d\\n255\\n\" % im.size + "
            "im.convert(\"RGB\").tobytes())' " +
            Quote(file),
        status));
    ASSERT_TRUE(pil);
    EXPECT_EQ(Difference(*pil, picture), "") << "Pillow";
    EXPECT_EQ(Difference(Read_Png(file, 0), picture), "") << "ourselves";
  }
}

// Load and Save of every colour type with binary transparency keeps each
// pixel and each alpha bit: read over black and over white, a pixel is clear
// exactly where the two differ.
TEST_F(PngTools, ATransparentFileLoadedAndSavedKeepsEveryPixelAndAlpha) {
  const struct {
    const char* kind;
    int saved_type;  // palette when 256 colours or fewer
  } samples[] = {{"palette4_clear", 3}, {"palette8_clear", 3},    {"grey8_trns", 3},
                 {"rgb8_trns", 2},      {"grey_alpha8_clear", 3}, {"rgba8_clear", 2},
                 {"rgba16_clear", 2},   {"grey16_trns", 3}};
  const std::string script = std::string(TOLVANE_SOURCE_DIR) + "/tests/png/png_samples.py";
  for (const auto& s : samples) {
    SCOPED_TRACE(s.kind);
    const std::string file = Dir / (std::string(s.kind) + ".png"), saved = Dir / "saved.png";
    int status;
    bmp_testing::Run(The_Tools().python + " " + Quote(script) + " " + s.kind + " " + Quote(file),
                     status);
    ASSERT_EQ(status, 0);
    const Png_Picture loaded = Read_Png_Keyed(file, 0x00FF00);
    ASSERT_TRUE(loaded.Transparent);
    Write_Png(saved, loaded.Image, loaded.Transparent);
    EXPECT_EQ(Read_File(saved)[25], s.saved_type);
    for (Colour over : {0x000000u, 0xFFFFFFu})
      EXPECT_EQ(Difference(Read_Png(saved, over), Read_Png(file, over)), "") << over;
  }
}

}  // namespace
}  // namespace tolvane
