// Cross-checks with codecs nobody here wrote: ImageMagick, netpbm and Pillow
// write BMPs in every variant they can, and we must decode each exactly as
// the writing tool decodes it; and they must read back what we write.
#include <gtest/gtest.h>

#include "bmp/bmp.h"
#include "image/image_error.h"
#include "support/bmp_test_helpers.h"

namespace tolvane {
namespace {

using namespace bmp_testing;

struct Tools {
  std::string convert, ppmtobmp, bmptopnm, ppmtoppm, python;
  std::string missing;

  Tools() {
    convert = Find_Tool("convert");
    ppmtobmp = Find_Tool("ppmtobmp");
    bmptopnm = Find_Tool("bmptopnm");
    ppmtoppm = Find_Tool("ppmtoppm");
    python = Find_Tool("python3");
    int status = 1;
    if (!python.empty()) Run(python + " -c 'import PIL' 2>/dev/null", status);
    if (convert.empty()) missing += " ImageMagick (convert)";
    if (ppmtobmp.empty() || bmptopnm.empty() || ppmtoppm.empty()) missing += " netpbm";
    if (status != 0) missing += " Pillow (python3-pil)";
  }
};

const Tools& The_Tools() {
  static const Tools tools;
  return tools;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

enum class Decoder { Im, Netpbm, Pillow };

std::optional<Raster_Image> Tool_Decode(Decoder d, const std::string& bmp) {
  const Tools& t = The_Tools();
  std::string cmd;
  switch (d) {
    case Decoder::Im:
      cmd = t.convert + " " + Quote(bmp) + " -depth 8 ppm:- 2>/dev/null";
      break;
    case Decoder::Netpbm:
      cmd = t.bmptopnm + " " + Quote(bmp) + " 2>/dev/null | " + t.ppmtoppm + " 2>/dev/null";
      break;
    case Decoder::Pillow:
      cmd =
          t.python +
          " -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]).convert(\"RGB\"); "
          "sys.stdout.buffer.write(b\"P6\\n%d %d\\n255\\n\" % im.size + im.tobytes())' " +
          Quote(bmp) + " 2>/dev/null";
      break;
  }
  int status;
  const std::string out = Run(cmd, status);
  if (status != 0) return std::nullopt;
  return Parse_Ppm(out);
}

class BmpTools : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!The_Tools().missing.empty())
      GTEST_SKIP() << "reference codecs missing:" << The_Tools().missing
                   << " (scripts/deps.sh installs them)";
    // 37 wide: every depth needs row padding.
    const std::string ppm = Ppm_Bytes(Test_Picture(37, 23));
    Write_File(Src(), Bytes(ppm.begin(), ppm.end()));
    // Fewer colours for the palette writers that do not quantise themselves.
    for (int n : {2, 16, 200}) {
      int status;
      bmp_testing::Run(The_Tools().convert + " " + Quote(Src()) + " +dither -colors " +
                           std::to_string(n) + " " +
                           Quote(Dir / ("q" + std::to_string(n) + ".ppm")),
                       status);
      ASSERT_EQ(status, 0);
    }
  }
  std::string Src() const { return Dir / "src.ppm"; }
  Temp_Dir Dir;
};

struct Variant {
  const char* name;
  const char* command;  // $T tool, $S source, $Q<n> quantised source, $O output
  Decoder decoder;
  int bits, compression, info_size;
  // ImageMagick widens 4-bit channels by a shift (0xA -> 0xA0) where we
  // replicate (0xAA): there only the file's 4 bits are compared.
  Colour compared = 0xFFFFFF;
};

Raster_Image Masked(Raster_Image img, Colour mask) {
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) img.Row(y)[x] &= mask;
  return img;
}

std::string Expand(std::string s, const std::string& tool, const std::string& dir) {
  auto replace = [&](const std::string& from, const std::string& to) {
    for (std::size_t at; (at = s.find(from)) != std::string::npos;) s.replace(at, from.size(), to);
  };
  replace("$T", tool);
  replace("$Q", dir + "/q");
  replace("$S", dir + "/src.ppm");
  replace("$O", dir + "/out.bmp");
  return s;
}

void Check_Variant(const Variant& v, const std::string& tool, const std::string& dir) {
  SCOPED_TRACE(v.name);
  const std::string out = dir + "/out.bmp";
  std::remove(out.c_str());
  int status;
  Run(Expand(v.command, tool, dir) + " 2>/dev/null", status);
  ASSERT_EQ(status, 0) << Expand(v.command, tool, dir);
  // The tool must really have written the variant we mean to test.
  const Bytes file = Read_File(out);
  ASSERT_GE(file.size(), 18u);
  EXPECT_EQ(file[14] | file[15] << 8, v.info_size);
  Bmp_Header h;
  try {
    h = Read_Bmp_Header(out);
  } catch (const Toolkit_Error& e) {
    FAIL() << e.what();
  }
  EXPECT_EQ(h.Bit_Count, v.bits);
  EXPECT_EQ(h.Compression, v.compression);

  const auto theirs = Tool_Decode(v.decoder, out);
  ASSERT_TRUE(theirs.has_value()) << "the tool cannot read its own file";
  try {
    EXPECT_EQ(Difference(Masked(Read_Bmp(out), v.compared), Masked(*theirs, v.compared)), "");
  } catch (const Toolkit_Error& e) {
    ADD_FAILURE() << e.what();
  }
}

TEST_F(BmpTools, ImageMagickVariantsDecodeAsImageMagickDecodesThem) {
  const Variant variants[] = {
      {"1 bit", "$T $S -colors 2 -type palette BMP3:$O", Decoder::Im, 1, 0, 40},
      {"4 bits", "$T $S -colors 16 -type palette BMP3:$O", Decoder::Im, 4, 0, 40},
      {"8 bits", "$T $S -colors 200 -type palette -compress None BMP3:$O", Decoder::Im, 8, 0, 40},
      {"RLE8", "$T $S -colors 200 -type palette -compress RLE BMP3:$O", Decoder::Im, 8, 1, 40},
      {"RLE8 v5", "$T $S -colors 200 -type palette -compress RLE BMP:$O", Decoder::Im, 8, 1, 124},
      {"RLE8 few colours", "$T $S -colors 16 -type palette -compress RLE BMP3:$O", Decoder::Im, 8,
       1, 40},
      {"16 bits 565", "$T $S -define bmp:subtype=RGB565 BMP:$O", Decoder::Im, 16, 3, 124},
      {"16 bits 555", "$T $S -define bmp:subtype=RGB555 BMP:$O", Decoder::Im, 16, 3, 124},
      {"16 bits 4444", "$T $S -alpha on -define bmp:subtype=ARGB4444 BMP:$O", Decoder::Im, 16, 3,
       124, 0xF0F0F0},
      {"24 bits v3", "$T $S -type TrueColor BMP3:$O", Decoder::Im, 24, 0, 40},
      {"24 bits v5", "$T $S -type TrueColor BMP:$O", Decoder::Im, 24, 0, 124},
      {"32 bits v5", "$T $S -alpha on -type TrueColorAlpha BMP:$O", Decoder::Im, 32, 3, 124},
      {"OS/2 8 bits", "$T $S -colors 200 -type palette BMP2:$O", Decoder::Im, 8, 0, 12},
      {"OS/2 24 bits", "$T $S -type TrueColor BMP2:$O", Decoder::Im, 24, 0, 12},
  };
  for (const Variant& v : variants) Check_Variant(v, The_Tools().convert, Dir.Path().string());
}

TEST_F(BmpTools, NetpbmVariantsDecodeAsNetpbmDecodesThem) {
  const Variant variants[] = {
      {"1 bit", "$T -bpp 1 $Q2.ppm > $O", Decoder::Netpbm, 1, 0, 40},
      {"4 bits", "$T -bpp 4 $Q16.ppm > $O", Decoder::Netpbm, 4, 0, 40},
      {"8 bits", "$T -bpp 8 $Q200.ppm > $O", Decoder::Netpbm, 8, 0, 40},
      {"24 bits", "$T -bpp 24 $S > $O", Decoder::Netpbm, 24, 0, 40},
      {"OS/2 1 bit", "$T -os2 -bpp 1 $Q2.ppm > $O", Decoder::Netpbm, 1, 0, 12},
      {"OS/2 4 bits", "$T -os2 -bpp 4 $Q16.ppm > $O", Decoder::Netpbm, 4, 0, 12},
      {"OS/2 8 bits", "$T -os2 -bpp 8 $Q200.ppm > $O", Decoder::Netpbm, 8, 0, 12},
      {"OS/2 24 bits", "$T -os2 -bpp 24 $S > $O", Decoder::Netpbm, 24, 0, 12},
  };
  for (const Variant& v : variants) Check_Variant(v, The_Tools().ppmtobmp, Dir.Path().string());
}

TEST_F(BmpTools, PillowVariantsDecodeAsPillowDecodesThem) {
  const std::string save =
      "$T -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]); ";
  const std::string tail = "' $S $O";
  const std::string commands[] = {
      save + "im.convert(\"1\").save(sys.argv[2], \"BMP\")" + tail,
      save + "im.convert(\"L\").save(sys.argv[2], \"BMP\")" + tail,
      save + "im.quantize(16).save(sys.argv[2], \"BMP\")" + tail,
      save + "im.quantize(256).save(sys.argv[2], \"BMP\")" + tail,
      save + "im.save(sys.argv[2], \"BMP\")" + tail,
      save + "im.convert(\"RGBA\").save(sys.argv[2], \"BMP\")" + tail,
  };
  const Variant variants[] = {
      {"1 bit", commands[0].c_str(), Decoder::Pillow, 1, 0, 40},
      {"grey 8 bits", commands[1].c_str(), Decoder::Pillow, 8, 0, 40},
      {"16 colours in 8 bits", commands[2].c_str(), Decoder::Pillow, 8, 0, 40},
      {"256 colours", commands[3].c_str(), Decoder::Pillow, 8, 0, 40},
      {"24 bits", commands[4].c_str(), Decoder::Pillow, 24, 0, 40},
      {"32 bits", commands[5].c_str(), Decoder::Pillow, 32, 0, 40},
  };
  for (const Variant& v : variants) Check_Variant(v, The_Tools().python, Dir.Path().string());
}

TEST_F(BmpTools, WhatWeWriteEveryToolReadsBackExactly) {
  for (auto [w, h] : {std::pair{37, 23}, std::pair{1, 1}, std::pair{2, 5}, std::pair{96, 32}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const Raster_Image img = Test_Picture(w, h, unsigned(w + h));
    const std::string path = Dir / "ours.bmp";
    Write_Bmp(path, img);
    for (Decoder d : {Decoder::Im, Decoder::Netpbm, Decoder::Pillow}) {
      const auto theirs = Tool_Decode(d, path);
      ASSERT_TRUE(theirs.has_value()) << int(d);
      EXPECT_EQ(Difference(*theirs, img), "") << int(d);
    }
  }
}

}  // namespace
}  // namespace tolvane
