// Damaged and hostile PCX files: each gives a clean refusal, a file error or
// a bounded picture, under a memory cap and a time limit.
#include <gtest/gtest.h>
#include <unistd.h>

#include "pcx/pcx_test_helpers.h"

namespace tolvane {
namespace {

using namespace pcx_testing;
using bmp_testing::Cap_Memory;

// What decoding the bytes gives: "decoded WxH", the refusal, or the error.
std::string Result_Of(const Bytes& b, std::int64_t* pixels = nullptr) {
  try {
    Raster_Image img;
    const Pcx_Verdict verdict = Decode_Pcx_Data(b.data(), b.size(), img);
    if (pixels) *pixels = std::int64_t(img.Width()) * img.Height();
    switch (verdict) {
      case Pcx_Verdict::Decoded:
        return "decoded " + std::to_string(img.Width()) + "x" + std::to_string(img.Height());
      case Pcx_Verdict::Not_Valid:
        return "not valid";
      case Pcx_Verdict::Too_Big:
        return "too big";
    }
  } catch (const Toolkit_Error& e) {
    return e.what();
  }
  return "?";
}

// One file of each layout, 13 x 5, its bytes all different.
std::vector<Bytes> Sample_Files() {
  std::vector<Bytes> files;
  for (auto [bits, planes, line] :
       {std::tuple{1, 1, 2}, std::tuple{1, 4, 2}, std::tuple{2, 1, 4}, std::tuple{4, 1, 7},
        std::tuple{8, 1, 13}, std::tuple{8, 3, 13}, std::tuple{8, 4, 14}}) {
    Pcx_Parts p;
    p.bits = std::uint8_t(bits), p.planes = std::uint8_t(planes);
    p.line_bytes = std::uint16_t(line), p.xmax = 12, p.ymax = 4;
    Bytes raw(std::size_t(line * planes * 5));
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = std::uint8_t(i * 37 / 5);
    p.data = Encode_Lines(raw, std::size_t(line));
    Bytes b = Build_Pcx(p);
    if (bits == 8 && planes == 1) {
      const Bytes pal = Palette_Block(Ramp);
      b.insert(b.end(), pal.begin(), pal.end());
    }
    files.push_back(b);
  }
  return files;
}

TEST(PcxHostile, TruncatedFilesKeepTheirSizeOrFailCleanly) {
  for (const Bytes& whole : Sample_Files()) {
    SCOPED_TRACE("bits " + std::to_string(whole[3]) + " planes " + std::to_string(whole[65]));
    for (std::size_t n = 0; n <= whole.size(); ++n) {
      const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(n));
      const std::string result = Result_Of(cut);
      EXPECT_EQ(result, n < 128 ? "Read beyond end of file" : "decoded 13x5") << n;
    }
  }
}

// Random headers (first byte 0A, so most reach the decoder) with random or
// absurd fields, followed by a few random bytes. Run in a child with 64 MiB
// more address space (the address sanitizer needs all of it: there the
// picture sizes alone are checked) and 20 seconds; every outcome must be one
// of the clean ones, and no picture of a file this small above 8 Mpixels.
TEST(PcxHostile, RandomFilesNeverCrashHangOrAllocateMuch) {
  std::mt19937 rng(2026);
  std::vector<Bytes> files;
  for (int i = 0; i < 3000; ++i) {
    Bytes b(128 + rng() % 3000);
    for (auto& v : b) v = std::uint8_t(rng());
    b[0] = 10;
    if (i % 2) {  // a layout we read, with extreme sizes
      const std::uint8_t layouts[][2] = {{1, 1}, {1, 4}, {2, 1}, {4, 1}, {8, 1}, {8, 3}, {8, 4}};
      const auto& l = layouts[rng() % 7];
      b[3] = l[0], b[65] = l[1];
      const std::uint16_t extremes[] = {0, 1, 2, 63, 64, 4095, 16383, 32767, 65535};
      for (int at : {4, 6, 8, 10, 66}) bmp_testing::Put(b, std::size_t(at), extremes[rng() % 9], 2);
    }
    files.push_back(b);
  }
  EXPECT_EXIT(
      {
        ::alarm(20);
#if !defined(__SANITIZE_ADDRESS__)
        Cap_Memory(64 << 20);
#endif
        int bad = 0;
        for (const Bytes& b : files) {
          std::int64_t pixels = 0;
          const std::string r = Result_Of(b, &pixels);
          bad += !(r.rfind("decoded ", 0) == 0 || r == "not valid" || r == "too big");
          bad += pixels > (std::int64_t{1} << 23);
        }
        std::exit(bad);
      },
      ::testing::ExitedWithCode(0), "");
}

// The same through the file reader, whose buffer refills: a file of a
// megabyte of long runs in a picture of many short lines.
TEST(PcxHostile, FileReaderRefillsAcrossPacketsSplitAtItsBuffer) {
  bmp_testing::Temp_Dir dir;
  Pcx_Parts p;
  p.bits = 8, p.planes = 3, p.line_bytes = 101, p.xmax = 100, p.ymax = 2999;
  Bytes raw(std::size_t(101) * 3 * 3000);
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = std::uint8_t((i / 7) % 250 + (i % 3));
  p.data = Encode_Lines(raw, 101);
  const Bytes file = Build_Pcx(p);
  bmp_testing::Write_File(dir / "big.pcx", file);
  const Outcome o = Decode_File(dir / "big.pcx");
  ASSERT_TRUE(o.decoded);
  Raster_Image in_memory;
  ASSERT_EQ(Decode_Pcx_Data(file.data(), file.size(), in_memory), Pcx_Verdict::Decoded);
  EXPECT_TRUE(Same_Pixels(in_memory, o.picture));
  for (int y : {0, 1500, 2999}) {
    const std::size_t at = std::size_t(y) * 303 + 50;
    EXPECT_EQ(o.picture.At(50, y), Rgb(raw[at], raw[at + 101], raw[at + 202])) << y;
  }
}

}  // namespace
}  // namespace tolvane
