// Cross-checks with PCX codecs nobody here wrote: netpbm's ppmtopcx writes
// each layout it knows from a picture of odd width, and we must decode the
// picture it was given, as pcxtoppm and Pillow decode it where they can.
//
// Where they disagree with our rules: pcxtoppm colours 1-bit pictures
// through the header palette (so a palette of white, black inverts them),
// where we always show 0 black and 1 white, as Pillow does. Pillow reads
// neither packed pixels nor 3 planes ("unknown PCX mode").
#include <gtest/gtest.h>

#include "pcx/pcx_test_helpers.h"

namespace tolvane {
namespace {

using namespace pcx_testing;
using namespace bmp_testing;

struct Tools {
  std::string ppmtopcx, pcxtoppm, python, missing;
  Tools() {
    ppmtopcx = Find_Tool("ppmtopcx");
    pcxtoppm = Find_Tool("pcxtoppm");
    python = Find_Tool("python3");
    int status = 1;
    if (!python.empty()) Run(python + " -c 'import PIL' 2>/dev/null", status);
    if (ppmtopcx.empty() || pcxtoppm.empty()) missing += " netpbm";
    if (status != 0) missing += " Pillow (python3-pil)";
  }
};

const Tools& The_Tools() {
  static const Tools tools;
  return tools;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::optional<Raster_Image> Netpbm_Decode(const std::string& pcx) {
  int status;
  const std::string out = Run(The_Tools().pcxtoppm + " " + Quote(pcx) + " 2>/dev/null", status);
  if (status != 0) return std::nullopt;
  return Parse_Ppm(out);
}

std::optional<Raster_Image> Pillow_Decode(const std::string& pcx) {
  int status;
  const std::string out = Run(
      The_Tools().python +
          " -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]).convert(\"RGB\"); "
          "sys.stdout.buffer.write(b\"P6\\n%d %d\\n255\\n\" % im.size + im.tobytes())' " +
          Quote(pcx) + " 2>/dev/null",
      status);
  if (status != 0) return std::nullopt;
  return Parse_Ppm(out);
}

// A picture of exactly n colours (n >= 2) in stripes, blocks and noise.
Raster_Image Picture_Of(int n, int w, int h) {
  std::vector<Colour> colours;
  for (int i = 0; i < n; ++i) colours.push_back(Rgb(37 * i + 11, 255 - 23 * i, (91 * i) & 0xFF));
  if (n == 2) colours = {0, Rgb(255, 255, 255)};
  Raster_Image img(w, h);
  std::mt19937 rng{unsigned(n)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int i = (x + y) % 5 == 0 ? int(rng() % unsigned(n)) : (x / 3 + y / 4) % n;
      img.Row(y)[x] = colours[std::size_t(i)];
    }
  // Every colour at least once.
  for (int i = 0; i < n; ++i) img.Row(i / w)[i % w] = colours[std::size_t(i)];
  return img;
}

struct Variant {
  const char* name;
  int colours;  // 0: full colour
  const char* options;
  int bits, planes;  // what ppmtopcx must have written
  bool pillow;       // Pillow reads this layout
};

class PcxTools : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!The_Tools().missing.empty())
      GTEST_SKIP() << "reference codecs missing:" << The_Tools().missing
                   << " (scripts/deps.sh installs them)";
  }
  Temp_Dir Dir;
};

TEST_F(PcxTools, DecodesWhatNetpbmWritesAsNetpbmAndPillowRead) {
  const std::vector<Variant> variants = {
      {"24 bits", 0, "-24bit", 8, 3, true},
      {"256 colours", 200, "-8bit", 8, 1, true},
      {"16 colours in 4 planes", 16, "", 1, 4, true},
      {"8 colours in 3 planes", 8, "", 1, 3, false},
      {"4 colours in 2 planes", 4, "", 1, 2, true},
      {"black and white", 2, "", 1, 1, true},
      {"16 colours packed", 16, "-packed", 4, 1, false},
      {"4 colours packed", 4, "-packed", 2, 1, false},
  };
  // Odd widths: lines are not whole bytes, and 37 is not even.
  for (const auto& [w, h] : {std::pair{37, 23}, std::pair{9, 4}, std::pair{1, 3}}) {
    for (const Variant& v : variants) {
      SCOPED_TRACE(std::string(v.name) + " " + std::to_string(w) + " x " + std::to_string(h));
      const Raster_Image source =
          v.colours ? Picture_Of(std::min(v.colours, w * h), w, h) : Test_Picture(w, h);
      const std::string ppm = Ppm_Bytes(source);
      Write_File(Dir / "src.ppm", Bytes(ppm.begin(), ppm.end()));
      const std::string pcx = Dir / "out.pcx";
      int status;
      bmp_testing::Run(The_Tools().ppmtopcx + " " + v.options + " " + Quote(Dir / "src.ppm") +
                           " >" + Quote(pcx) + " 2>/dev/null",
                       status);
      ASSERT_EQ(status, 0);
      const Bytes file = Read_File(pcx);
      ASSERT_GE(file.size(), 128u);
      if (std::min(v.colours, w * h) == v.colours) {
        EXPECT_EQ(file[3], v.bits);
        EXPECT_EQ(file[65], v.planes);
      }

      Raster_Image ours;
      ASSERT_EQ(Decode_Pcx_Data(file.data(), file.size(), ours), Pcx_Verdict::Decoded);
      EXPECT_EQ(Difference(ours, source), "");
      const auto netpbm = Netpbm_Decode(pcx);
      ASSERT_TRUE(netpbm);
      EXPECT_EQ(Difference(ours, *netpbm), "");
      if (v.pillow) {
        const auto pillow = Pillow_Decode(pcx);
        ASSERT_TRUE(pillow);
        EXPECT_EQ(Difference(ours, *pillow), "");
      }
    }
  }
}

// The one place the references part: a 1-bit picture whose header palette
// is not black, white.
TEST_F(PcxTools, MonochromeIgnoresTheHeaderPaletteAsPillowDoes) {
  Pcx_Parts p;
  p.bits = 1, p.planes = 1, p.line_bytes = 2, p.xmax = 9;
  Set_Entry(p, 0, 255, 255, 255);
  Set_Entry(p, 1, 0, 0, 0);
  p.data = {0xA5, 0xC1, 0xC0};
  const Bytes file = Build_Pcx(p);
  Write_File(Dir / "mono.pcx", file);
  Raster_Image ours;
  ASSERT_EQ(Decode_Pcx_Data(file.data(), file.size(), ours), Pcx_Verdict::Decoded);
  const auto pillow = Pillow_Decode(Dir / "mono.pcx");
  const auto netpbm = Netpbm_Decode(Dir / "mono.pcx");
  ASSERT_TRUE(pillow && netpbm);
  EXPECT_EQ(Difference(ours, *pillow), "");
  EXPECT_EQ(ours.At(0, 0), Rgb(255, 255, 255));
  EXPECT_EQ(netpbm->At(0, 0), 0u);  // netpbm inverts it
}

}  // namespace
}  // namespace tolvane
