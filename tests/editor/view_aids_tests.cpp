#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>

#include "bmp/bmp.h"
#include "editor/editor_fixture.h"

namespace tolvane::testing {
namespace {

using View_Aids = Editor_Test;

constexpr Colour A = Rgb(0, 100, 255), B = Rgb(200, 100, 0), C = Rgb(10, 20, 30);

std::string File_Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// 70% of the working frame and 30% of the one before it, per channel rounded
// to nearest; the first frame is seen over the last, and a lone frame over
// nothing. Pixels of the transparent colour are a light checkerboard of 4
// pixel cells under it, in the zoom view and the preview, also while playing.
TEST_F(View_Aids, OnionSkinShowsThePreviousFrameAtThirtyPercent) {
  constexpr Colour Dark = 0xD6D6D6;
  const struct {
    int frame;
    bool onion;
    Colour view;
    Colour preview;  // at (5, 1), the second cell of the first row
    std::optional<Colour> key = {};
    bool play = false;
  } cases[] = {
      {1, false, B, B},
      {1, true, Rgb(140, 100, 77), B},  // B over A
      {0, true, Rgb(3, 76, 188), A},    // A over C
      {2, true, Rgb(67, 44, 21), C},    // C over B
      {1, false, White, Dark, B},
      {1, true, Rgb(179, 209, 255), Dark, B},  // the checkerboard's white over A
      {0, true, White, Dark, B, true},         // playback went on to frame 1
  };
  Load_Strip(Solid_Strip({A, B, C}, 32));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.frame);
    T().Cur_Frame = c.frame;
    T().Transparent_Colour = c.key;
    if (T().Aids.Onion_Skin != c.onion) T().OnionSkin1Click();
    T().Show_Frame();
    if (c.play) {
      ASSERT_EQ(T().Preview_Picture().GetPixel(5, 1), A);  // frame 0 shown first
      T().PlayClick();
      T().Anim_TimerTimer();
    } else {
      EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(6, 6), c.view);
      EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(127, 127), c.view);
    }
    EXPECT_EQ(T().Preview_Picture().GetPixel(5, 1), c.preview);
  }

  Fresh(32);
  EXPECT_TRUE(T().Aids.Onion_Skin);
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(6, 6), White);
}

// The aids live in the view alone: the working frame, the strip and the
// saved file are what the pencil drew.
TEST_F(View_Aids, WorkingFrameStripAndFileStayUntouched) {
  Load_Strip(Solid_Strip({A, B, C}, 32));
  T().Next_FrameClick();
  T().Selected_Colour1 = Red;
  const auto draw_and_save = [&](const std::string& name) {
    Press(Vx(3), Vy(3));
    Release(Vx(3), Vy(3));
    EXPECT_EQ(W().GetPixel(3, 3), Red);
    EXPECT_EQ(W().GetPixel(4, 3), B);
    P.Save_Answers.push_back(Path(name));
    T().SaveAs1Click();
    EXPECT_TRUE(P.Errors.empty());
  };
  draw_and_save("plain.bmp");
  T().OnionSkin1Click();
  T().PixelGrid1Click();
  // The pencil's colour shows through the onion skin, the strip keeps it pure.
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(Vx(3) + 1, Vy(3) + 1),
            Rgb((70 * 255 + 50) / 100, (30 * 100 + 50) / 100, (30 * 255 + 50) / 100));
  draw_and_save("aids.bmp");
  EXPECT_EQ(T().Anim_Strip.GetPixel(32 + 3, 3), Red);
  EXPECT_TRUE(Frame_Is(T().Anim_Strip, 32, 0, A));
  EXPECT_EQ(File_Bytes(Path("plain.bmp")), File_Bytes(Path("aids.bmp")));
  EXPECT_EQ(Read_Bmp(Path("aids.bmp")).GetPixel(32 + 3, 3), Red);
}

// The report's steps: a Ctrl+click on a grid line, and the syringe, with the
// onion skin on, pick the frame's own colour, and so does what is drawn with it.
TEST_F(View_Aids, ColourPicksReadTheFrameNotTheAids) {
  Raster_Image strip = Solid_Strip({A, B}, 32);
  strip.SetPixel(32 + 3, 3, C);
  Load_Strip(strip);
  T().Next_FrameClick();
  T().OnionSkin1Click();
  T().PixelGrid1Click();
  Press(12, 12, Mouse_Button::Left, ss_Ctrl);  // the corner of two grid lines over (3, 3)
  EXPECT_EQ(T().Selected_Colour1, C);
  Press(Vx(8), Vy(8));
  Release(Vx(8), Vy(8));
  T().Tool8Click();
  Press(16, 20);  // a grid line over (4, 5)
  Release(16, 20);
  EXPECT_EQ(T().Selected_Colour1, B);
  const Raster_Image saved = Saved_Strip();
  EXPECT_EQ(saved.GetPixel(32 + 8, 8), C);
}

// Lines run along the top and left of each frame pixel but the first row and
// column, in the pixel's colour taken halfway to white (dark pixels, as here)
// or to black (light ones).
TEST_F(View_Aids, PixelGridFromFactorFourOnTheFrameOnly) {
  New_Anim(32);
  Fill_Distinct();  // frame pixel (c, r) is Rgb(c, r, 7)
  const Raster_Image plain = T().Controls.Zoom.Picture;
  T().PixelGrid1Click();
  const auto flipped = [](int c, int r) { return Rgb(128 + c / 2, 128 + r / 2, 131); };
  const struct {
    int x, y;
    bool line;
  } points[] = {{0, 0, false}, {4, 1, true},     {1, 4, true},      {4, 4, true},
                {5, 5, false}, {124, 2, true},   {127, 127, false}, {0, 124, true},
                {3, 0, false}, {126, 125, false}};
  for (const auto& p : points) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(p.x, p.y),
              p.line ? flipped(p.x / 4, p.y / 4) : Rgb(p.x / 4, p.y / 4, 7));
  }

  // Scrolled two columns at factor 5: the view's left edge is a line.
  T().Zoom_InClick();
  T().Controls.ZH.Set_Position(2);
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(0, 2), flipped(2, 0));
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(5, 2), flipped(3, 0));
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(6, 2), Rgb(3, 0, 7));
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(6, 0), Rgb(3, 0, 7));

  // Turned off, the view is exactly the plain one again.
  T().Controls.ZH.Set_Position(0);
  T().Zoom_OutClick();
  T().PixelGrid1Click();
  EXPECT_TRUE(Same_Pixels(T().Controls.Zoom.Picture, plain));
}

TEST_F(View_Aids, NoGridBelowFactorFourNorOnTheBackdrop) {
  for (const int size : {40, 20}) {  // factors 3 and 6
    SCOPED_TRACE(size);
    Fresh(size);
    Fill_Distinct();
    if (T().Aids.Pixel_Grid) T().PixelGrid1Click();
    const Raster_Image plain = T().Controls.Zoom.Picture;
    T().PixelGrid1Click();
    if (T().View.Factor() < 4) {
      EXPECT_TRUE(Same_Pixels(T().Controls.Zoom.Picture, plain));
    } else {
      const int o = T().View.Origin_X();  // the frame is centred
      EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(o + 6, o + 1), Rgb(128, 128, 131));
      for (int x = o + 120; x < 128; ++x)
        EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(x, o + 12), Silver);
      for (int y = o + 120; y < 128; ++y)
        EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(o + 12, y), Silver);
    }
  }
}

TEST_F(View_Aids, GridLinesShowOnLightAndDarkPixels) {
  const std::pair<Colour, Colour> cases[] = {
      {White, Rgb(127, 127, 127)},           {Black, Rgb(128, 128, 128)},
      {Rgb(128, 128, 128), Rgb(64, 64, 64)}, {Red, Rgb(255, 128, 128)},
      {Rgb(255, 255, 0), Rgb(127, 127, 0)},  {Blue, Rgb(128, 128, 255)},
  };
  New_Anim(32);
  T().PixelGrid1Click();
  for (const auto& [pixel, line] : cases) {
    T().Anim_Strip.Fill_Colour = pixel;
    T().Anim_Strip.FillRect({0, 0, 32, 32});
    T().Show_Frame();
    EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(8, 9), line) << std::hex << pixel;
    EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(9, 9), pixel);
  }
}

TEST_F(View_Aids, ChecksAreKeptInTheSettingsFile) {
  EXPECT_FALSE(T().Aids.Onion_Skin);
  EXPECT_FALSE(T().Aids.Pixel_Grid);
  T().OnionSkin1Click();
  T().Write_Settings();
  T().OnionSkin1Click();
  T().PixelGrid1Click();
  T().Read_Settings();
  EXPECT_TRUE(T().Aids.Onion_Skin);
  EXPECT_FALSE(T().Aids.Pixel_Grid);
}

}  // namespace
}  // namespace tolvane::testing
