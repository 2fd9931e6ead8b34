// The GIF decoder, checked frame by frame against ImageMagick's -coalesce.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include "gif/gif.h"
#include "gif/gif_read.h"
#include "image/image_error.h"
#include "support/bmp_test_helpers.h"

namespace tolvane {
namespace {

using namespace bmp_testing;

struct Frame_Spec {  // Clear: the transparent index
  int Left, Top, W, H, Disposal = 0, Clear = -1, Interlace = 0, Local = 0, Delay = 0;
};
using Gif_Spec = std::pair<std::pair<int, int>, std::vector<Frame_Spec>>;  // canvas, frames

int Append(GifFileType* g, const GifByteType* d, int n) {
  static_cast<Bytes*>(g->UserData)->insert(static_cast<Bytes*>(g->UserData)->end(), d, d + n);
  return n;
}

// Pixels (x + 2y + frame) mod 4 of the global or a local table of 4 colours.
Bytes Make_Gif(const Gif_Spec& s) {
  static GifColorType colours[8] = {{255, 0, 0},   {0, 160, 0},   {0, 0, 255},   {255, 255, 255},
                                    {250, 250, 0}, {0, 200, 200}, {200, 0, 200}, {0, 0, 0}};
  Bytes out;
  int error = 0;
  GifFileType* g = EGifOpen(&out, Append, &error);
  ColorMapObject* maps[2] = {GifMakeMapObject(4, colours), GifMakeMapObject(4, colours + 4)};
  EGifSetGifVersion(g, true);
  EGifPutScreenDesc(g, s.first.first, s.first.second, 2, 0, maps[0]);
  for (std::size_t k = 0; k < s.second.size(); ++k) {
    const Frame_Spec& f = s.second[k];
    const GraphicsControlBlock gcb{f.Disposal, false, f.Delay, f.Clear};
    GifByteType gce[4];
    EGifGCBToExtension(&gcb, gce);
    EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, gce);
    if (!f.Local && g->Image.ColorMap) {  // giflib would drop it unfreed
      GifFreeMapObject(g->Image.ColorMap);
      g->Image.ColorMap = nullptr;
    }
    EGifPutImageDesc(g, f.Left, f.Top, f.W, f.H, f.Interlace, f.Local ? maps[1] : nullptr);
    using Passes = std::vector<std::pair<int, int>>;  // the rows in the order the file has them
    std::vector<GifPixelType> line(std::size_t(f.W));
    for (const auto& [start, step] :
         f.Interlace ? Passes{{0, 8}, {4, 8}, {2, 4}, {1, 2}} : Passes{{0, 1}})
      for (int y = start; y < f.H; y += step) {
        for (int x = 0; x < f.W; ++x) line[std::size_t(x)] = GifPixelType((x + 2 * y + k) % 4);
        EGifPutLine(g, line.data(), f.W);
      }
  }
  EGifCloseFile(g, &error);
  for (ColorMapObject* map : maps) GifFreeMapObject(map);
  return out;
}

TEST(Gif_Read, FramesAreComposedAsImageMagickCoalescesThem) {
  const std::string convert = Find_Tool("convert");
  if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  const Gif_Spec specs[] = {
      // Offset, transparent, sticking out, a local table; restore background;
      // restore previous; interlaced.
      {{12, 10},
       {{0, 0, 12, 10, 1, -1, 0, 0, 7}, {3, 2, 5, 4, 0, 3, 0, 0, 25}, {6, 5, 8, 8, 1, 1, 0, 1}}},
      {{10, 9}, {{2, 1, 6, 6, 2, 0}, {1, 3, 4, 4, 2}, {0, 0, 10, 9, 1, 2}}},
      {{8, 8}, {{0, 0, 8, 8, 1}, {1, 1, 5, 5, 3, 0}, {4, 3, 3, 4, 3}, {2, 2, 2, 2}}},
      {{9, 13}, {{0, 0, 9, 13, 1, -1, 1, 1}, {1, 2, 7, 11, 2, 3, 1}, {0, 5, 3, 3}}},
  };
  const Temp_Dir dir;
  for (const auto& [canvas, frames] : specs) {
    const auto [w, h] = canvas;
    const std::string path = dir / "case.gif";
    Write_File(path, Make_Gif({canvas, frames}));
    const Gif_Frames got = Read_Gif(path, 0x00FF00);
    int status = 1;
    const std::string want =
        bmp_testing::Run(convert + " " + path + " -coalesce -depth 8 rgba:- 2>/dev/null", status);
    const std::size_t n = frames.size(), frame_bytes = std::size_t(w) * h * 4;
    ASSERT_EQ(want.size(), n * frame_bytes);
    ASSERT_EQ(got.Frames.size(), n);
    bool clear = false;
    for (std::size_t k = 0; k < n; ++k) {
      EXPECT_EQ(got.Delays_Ms[k], frames[k].Delay * 10);
      for (int i = 0; i < w * h; ++i) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&want[k * frame_bytes + 4 * i]);
        clear = clear || p[3] == 0;
        const Colour expected =
            p[3] == 0 ? got.Transparent.value_or(No_Colour) : Rgb(p[0], p[1], p[2]);
        ASSERT_EQ(got.Frames[k].At(i % w, i / w), expected)
            << w << " x " << h << " frame " << k << " pixel " << i;
      }
    }
    EXPECT_EQ(got.Transparent.has_value(), clear);
  }
}

TEST(Gif_Read, DamagedOrHugeGifsAreRefusedWithTheReason) {
  Bytes whole = Make_Gif({{6, 6}, {{0, 0, 6, 6}, {1, 1, 4, 4}}});
  Bytes huge = whole, damaged = whole;
  huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;  // a canvas of 65535 x 65535
  for (std::size_t i = 0x30; i < 0x38; ++i) damaged[i] = 0xFF;
  const std::pair<Bytes, std::string> rows[] = {
      {Bytes(whole.begin(), whole.begin() + whole.size() / 2), "the file ends inside frame"},
      {huge, "the canvas of 65535 x 65535"},
      {damaged, "damaged"},
  };
  for (const auto& [bytes, reason] : rows) try {
      Decode_Gif(bytes.data(), bytes.size(), 0);
      ADD_FAILURE() << reason << ": read";
    } catch (const Toolkit_Error& e) {
      EXPECT_NE(e.Reason().find(reason), std::string::npos) << e.Reason();
    }
}

// A strip of uneven durations goes out as a GIF and comes back the same:
// pixels, see-through pixels in the transparent colour, and each frame's time.
TEST(Gif_Read, AStripWithItsDurationsComesBackFromItsGif) {
  constexpr int Size = 8;
  const Colour clear = Rgb(1, 2, 3);
  Raster_Image strip(4 * Size, Size);
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < strip.Width(); ++x)
      strip.SetPixel(x, y, (x + y) % 3 == 0 ? clear : Rgb(x * 8, y * 30, 200));
  Temp_Dir dir;
  const std::vector<int> ms{100, 400, 100, 250};
  Write_Gif(dir / "a.gif", {strip, Size, 0, 3, 10, true, 1, clear, true, ms});
  const Gif_Frames got = Read_Gif(dir / "a.gif", clear);
  EXPECT_EQ(got.Delays_Ms, ms);
  ASSERT_EQ(got.Frames.size(), 4u);
  ASSERT_TRUE(got.Transparent.has_value());
  long wrong = 0;
  for (int k = 0; k < 4; ++k)
    for (int y = 0; y < Size; ++y)
      for (int x = 0; x < Size; ++x) {
        const Colour want = strip.GetPixel(k * Size + x, y);
        wrong +=
            got.Frames[std::size_t(k)].GetPixel(x, y) != (want == clear ? *got.Transparent : want);
      }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace tolvane
