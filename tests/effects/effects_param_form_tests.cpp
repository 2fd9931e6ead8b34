#include <gtest/gtest.h>

#include <string>

#include "document/settings.h"
#include "effects/effects.h"
#include "effects/effects_param_form.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

using Form = TEffects_Param_Form;

Raster_Image Pattern(int size) {
  Raster_Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) image.SetPixel(x, y, Rgb(x * 8, y * 8, 200));
  return image;
}

// The dialog as the command prepares it, shown and left open for a test to
// work in; closing it is up to the test.
class Effects_Param_Test : public ::testing::Test {
 protected:
  Effects_Param_Test() { D.Mount_Colour = &Mount; }

  void Open(int kind, int available = 10, int size = 32) {
    D.Effect_Kind = kind;
    D.Frames_Available = available;
    D.Source_DSP.B.Width = D.Source_DSP.B.Height = size;
    D.Source_DSP.Picture = Pattern(size);
    D.Modal_Result = mr_None;
    D.Visible = true;
    D.FormShow();
  }

  Raster_Image Source_With(void (*effect)(Raster_Image&, int, Colour), int level) {
    Raster_Image want = D.Source_DSP.Picture;
    effect(want, level, Mount);
    return want;
  }

  Fake_Platform P;
  Colour Mount = 0x00FF00;
  Form D{P};
};

TEST_F(Effects_Param_Test, EachEffectShowsItsOwnControls) {
  const struct {
    int kind;
    const char *caption, *low, *high, *level;
    int min, max, ticks;
    bool bar, vertical;
    const char* vertical_caption;
    bool crop_colour;
  } cases[] = {
      {Form::Brightness, "Brightness...", "-100%", "100%", "0", -100, 100, 10, true, false, "",
       false},
      {Form::Rotate, "Rotate...", "-360", "360", "0", -360, 360, 36, true, false, "", true},
      {Form::Squash, "Squash...", "0%", "100%", "0", 0, 100, 5, true, true, "Squash Vertical",
       true},
      {Form::Spin, "Spin...", "", "", "", 0, 0, 0, false, true, "Spin Vertical", false},
  };
  // Shown in an order that leaves each one's settings behind for the next.
  for (int round = 0; round < 2; ++round)
    for (const auto& c : cases) {
      SCOPED_TRACE(c.caption);
      Open(c.kind);
      EXPECT_EQ(D.Caption, c.caption);
      EXPECT_EQ(D.Label2.Caption, c.low);
      EXPECT_EQ(D.Label3.Caption, c.high);
      EXPECT_EQ(D.Label4.Caption, c.level);
      EXPECT_EQ(D.Level_Bar.Position, 0);
      if (c.bar) {
        EXPECT_EQ(D.Level_Bar.Min, c.min);
        EXPECT_EQ(D.Level_Bar.Max, c.max);
        EXPECT_EQ(D.Level_Bar.Frequency, c.ticks);
      }
      EXPECT_EQ(D.Level_Bar.Visible, c.bar);
      EXPECT_EQ(D.Vertical_Effect.Visible, c.vertical);
      if (c.vertical) {
        EXPECT_EQ(D.Vertical_Effect.Caption, c.vertical_caption);
      }
      EXPECT_FALSE(D.Vertical_Effect.Checked);
      EXPECT_EQ(D.Set_Mount.Visible, c.crop_colour);
      EXPECT_EQ(D.Label5.Visible, c.crop_colour);
      EXPECT_EQ(D.Label1.Caption, "No Frames");
      EXPECT_EQ(D.Label5.Caption, "Crop Colour");
      EXPECT_EQ(D.Add_New.Caption, "Insert New Frames");
      EXPECT_EQ(D.Reverse.Caption, "Reverse Effect");
      EXPECT_TRUE(D.Add_New.Checked);
      EXPECT_FALSE(D.Reverse.Checked);
      EXPECT_EQ(D.No_Frames.Text, "2");
      EXPECT_EQ(D.Set_Mount.Color, Mount);
      EXPECT_FALSE(D.Effect_Accepted);
      EXPECT_TRUE(Same_Pixels(D.Dest_DSP.Picture, D.Source_DSP.Picture));
      // Leave non-default settings for the next showing to undo.
      D.Reverse.Set_Checked(true);
      D.Add_New.Set_Checked(false);
      D.Vertical_Effect.Set_Checked(true);
      D.No_Frames.Text = "7";
      D.Level_Bar.Set_Position(c.max);
      D.OkClick();
    }
}

TEST_F(Effects_Param_Test, PreviewFollowsTheBar) {
  Open(Form::Brightness);
  D.Level_Bar.Set_Position(50);
  EXPECT_EQ(D.Label4.Caption, "50");
  EXPECT_TRUE(
      Same_Pixels(D.Dest_DSP.Picture,
                  Source_With([](Raster_Image& i, int l, Colour) { Apply_Brightness(i, l); }, 50)));
  EXPECT_EQ(D.Dest_DSP.Picture.GetPixel(0, 0), Rgb(128, 128, 255));

  Open(Form::Rotate);
  D.Level_Bar.Set_Position(90);
  EXPECT_EQ(D.Label4.Caption, "90");
  EXPECT_TRUE(Same_Pixels(D.Dest_DSP.Picture, Source_With(&Apply_Rotate, 90)));
  EXPECT_EQ(D.Dest_DSP.Picture.GetPixel(31, 0), D.Source_DSP.Picture.GetPixel(0, 0))
      << "a quarter turn clockwise";

  Open(Form::Squash);
  D.Level_Bar.Set_Position(40);
  Raster_Image squashed = D.Source_DSP.Picture;
  Apply_Squash(squashed, 40, false, Mount);
  EXPECT_TRUE(Same_Pixels(D.Dest_DSP.Picture, squashed));
  D.Vertical_Effect.Set_Checked(true);
  squashed = D.Source_DSP.Picture;
  Apply_Squash(squashed, 40, true, Mount);
  EXPECT_TRUE(Same_Pixels(D.Dest_DSP.Picture, squashed));

  Open(Form::Spin);
  D.Vertical_Effect.Set_Checked(true);
  D.Level_BarChange();
  EXPECT_EQ(D.Label4.Caption, "");
  EXPECT_TRUE(Same_Pixels(D.Dest_DSP.Picture, D.Source_DSP.Picture));
}

TEST_F(Effects_Param_Test, InsertingIsTheOnlyChoiceOnTheLastFrame) {
  const struct {
    int available;
    bool untick_holds;
    int max_unticked;
  } cases[] = {{1, false, 50}, {2, true, 2}, {4, true, 4}, {60, true, 60}};
  for (const auto& c : cases) {
    Open(Form::Rotate, c.available);
    EXPECT_EQ(D.No_Frames.Max, 50);
    D.Add_New.Set_Checked(false);
    EXPECT_EQ(D.Add_New.Checked, !c.untick_holds) << c.available;
    EXPECT_EQ(D.No_Frames.Max, c.max_unticked) << c.available;
    D.Add_New.Set_Checked(true);
    EXPECT_EQ(D.No_Frames.Max, 50);
  }
}

TEST_F(Effects_Param_Test, TheFrameCountIsBroughtIntoRange) {
  const struct {
    bool insert;
    int available;
    const char* text;
    int frames;
  } cases[] = {
      {true, 10, "7", 7},   {true, 10, "99", 50}, {true, 10, "1", 2},  {true, 10, "-5", 2},
      {true, 10, "abc", 2}, {true, 10, "", 2},    {false, 10, "6", 6}, {false, 4, "9", 4},
      {false, 2, "7", 2},   {false, 2, "x", 2},   {true, 1, "50", 50}, {false, 1, "30", 30},
  };
  for (const auto& c : cases) {
    Open(Form::Brightness, c.available);
    D.Add_New.Set_Checked(c.insert);
    D.No_Frames.Text = c.text;
    D.OkClick();
    EXPECT_EQ(D.Effect_Frames, c.frames) << c.available << " " << c.text;
  }
}

TEST_F(Effects_Param_Test, CropColourRedrawsThePreview) {
  Open(Form::Rotate);
  D.Level_Bar.Set_Position(45);
  ASSERT_EQ(D.Dest_DSP.Picture.GetPixel(0, 0), Mount);
  P.Colour_Answers = {std::nullopt, Colour(0x0000FF)};
  D.Set_MountClick();  // cancelled
  EXPECT_EQ(Mount, 0x00FF00u);
  EXPECT_EQ(D.Dest_DSP.Picture.GetPixel(0, 0), 0x00FF00u);
  D.Set_MountClick();
  ASSERT_EQ(P.Colour_Seen.size(), 2u);
  EXPECT_EQ(P.Colour_Seen[1].Color, 0x00FF00u);
  EXPECT_EQ(Mount, 0x0000FFu);
  EXPECT_EQ(D.Set_Mount.Color, 0x0000FFu);
  EXPECT_EQ(D.Dest_DSP.Picture.GetPixel(0, 0), 0x0000FFu);
  EXPECT_TRUE(Same_Pixels(D.Dest_DSP.Picture, Source_With(&Apply_Rotate, 45)));
}

class Crop_Colour_Test : public Tolvane_Test {};

TEST_F(Crop_Colour_Test, IsTheMountColourOfTheWholeProgram) {
  New_Anim(32);
  P.Colour_Answers = {Colour(0x123456)};
  P.On_Modal<Form>([](Form& d) {
    d.Set_MountClick();
    d.CancelClick();
  });
  T().Brightness1Click(T().Controls.Rotate1);
  EXPECT_EQ(T().Mount_Colour, 0x123456u);
  // The frame size dialog shows it next, and the settings file keeps it.
  T().Resize1Click();
  EXPECT_EQ(App.Frame_Size_Form->Panel1.Color, 0x123456u);
  T().Write_Settings();
  EXPECT_EQ(Read_Settings_File(Ini_File(P.Settings)).Mount, 0x123456u);
}

}  // namespace
}  // namespace tolvane::testing
