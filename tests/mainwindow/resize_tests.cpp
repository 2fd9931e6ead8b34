#include <gtest/gtest.h>

#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr Colour Red = 0x0000FF, Blue = 0xFF0000;

using Frame_Size_Dialog = Tolvane_Test;

TEST_F(Frame_Size_Dialog, ButtonsStandByTheVisibleGroups) {
  TFrame_Size_Form& f = *App.Frame_Size_Form;
  P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) {
    EXPECT_EQ(f.Client_Width(), 169);
    EXPECT_EQ(f.Ok.B.Left, 7);
    EXPECT_EQ(f.Cancel.B.Left, 88);
    EXPECT_EQ(f.New_Size.Item_Index, 1) << "32 preselects 32x32";
    EXPECT_FALSE(f.SpinEdit1.Enabled);
    f.CancelClick();
  });
  T().New1Click();
  EXPECT_FALSE(f.Size_Accepted);

  New_Anim(32);
  P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) {
    EXPECT_EQ(f.Client_Width(), 297);
    EXPECT_EQ(f.Ok.B.Left, 135);
    EXPECT_EQ(f.Cancel.B.Left, 216);
    EXPECT_EQ(f.Window.Left, (1024 - 297) / 2);
    f.CancelClick();
  });
  T().Resize1Click();
}

TEST_F(Frame_Size_Dialog, SpinEditTextIsReadAsANumberInRange) {
  for (auto [text, size] :
       {std::pair{"abc", 4}, std::pair{"200", 128}, std::pair{"3", 4}, std::pair{"20", 20}}) {
    P.On_Modal<TFrame_Size_Form>([text = std::string(text)](TFrame_Size_Form& f) {
      f.New_Size.Select(4);
      EXPECT_TRUE(f.SpinEdit1.Enabled);
      f.SpinEdit1.Text = text;
      f.OkClick();
    });
    T().New1Click();
    EXPECT_EQ(T().Frame_Size, size) << text;
  }
}

// The arrows step from whatever was typed, without overflowing at the edges of int.
TEST(Spin_Edit_Arrows, StepFromTypedTextStaysInRange) {
  struct Case {
    const char* text;
    int step;
    const char* after;
  } cases[] = {{"2147483647", 1, "128"}, {"-2147483648", -1, "4"}, {"99999999999", 1, "5"},
               {"abc", -1, "4"},         {"20", 1, "21"},          {"128", 1, "128"}};
  for (const Case& c : cases) {
    Spin_Edit e;
    e.Min = 4;
    e.Max = 128;
    e.Text = c.text;
    e.Step(c.step);
    EXPECT_EQ(e.Text, c.after) << c.text << " " << c.step;
  }
}

TEST_F(Frame_Size_Dialog, AnOddSizeSelectsOtherWithTheSpinEditsOwnValue) {
  Load_Strip(Solid_Strip({Red, Blue}, 40));
  P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) {
    EXPECT_EQ(f.New_Size.Item_Index, 4);
    EXPECT_EQ(f.SpinEdit1.Text, "8");
    EXPECT_TRUE(f.SpinEdit1.Enabled);
    f.OkClick();
  });
  T().Resize1Click();
  EXPECT_EQ(T().Frame_Size, 8);
  EXPECT_EQ(T().Frame_Total, 2);
  EXPECT_EQ(T().Anim_Strip.Width(), 16);
}

TEST_F(Frame_Size_Dialog, MountColourChosenThenCancelledStillHolds) {
  New_Anim(32);
  P.Colour_Answers = {Red};
  P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) {
    f.Panel1Click();
    EXPECT_EQ(f.Panel1.Color, Red);
    f.CancelClick();
  });
  T().Resize1Click();
  EXPECT_EQ(T().Mount_Colour, Red);
  EXPECT_EQ(T().Frame_Size, 32);
  EXPECT_FALSE(T().Anim_Modified);
}

TEST_F(Frame_Size_Dialog, KeepsItsChoicesBetweenUses) {
  New_Anim(32);
  P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) {
    f.Adjust_Method.Select(1);
    f.CancelClick();
  });
  T().Resize1Click();
  P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) {
    EXPECT_EQ(f.Adjust_Method.Item_Index, 1);
    f.CancelClick();
  });
  T().Resize1Click();
}

using Resize = Tolvane_Test;

void Resize_To(Fake_Platform& p, TTolvane& t, int item, int method) {
  p.On_Modal<TFrame_Size_Form>([item, method](TFrame_Size_Form& f) {
    f.New_Size.Select(item);
    f.Adjust_Method.Select(method);
    f.OkClick();
  });
  t.Resize1Click();
}

TEST_F(Resize, CropMountCentresEveryFrameOnTheMountColour) {
  Load_Strip(Solid_Strip({Red, Blue, Red}, 32));
  T().Next_FrameClick();
  T().Mount_Colour = 0x00FF00;
  Resize_To(P, T(), 2, 0);
  TTolvane& t = T();
  EXPECT_EQ(t.Frame_Size, 64);
  EXPECT_EQ(t.Frame_Total, 3);
  EXPECT_EQ(t.Cur_Frame, 1);
  EXPECT_EQ(t.Controls.Label3.Caption, "Section: 1 to 3");
  EXPECT_TRUE(t.Anim_Modified);
  EXPECT_FALSE(t.Undo_Available);
  EXPECT_EQ(t.Anim_Strip.GetPixel(64 + 15, 15), 0x00FF00u);
  EXPECT_EQ(t.Anim_Strip.GetPixel(64 + 16, 16), Blue);
  EXPECT_EQ(t.Anim_Strip.GetPixel(64 + 47, 47), Blue);
  EXPECT_EQ(t.Anim_Strip.GetPixel(64 + 48, 48), 0x00FF00u);
  EXPECT_EQ(t.Working_Frame.GetPixel(20, 20), Blue);
  EXPECT_EQ(t.Client_Width(), 405);
  EXPECT_EQ(t.Check_Invariants(), "");
}

TEST_F(Resize, StretchDoublesEveryPixelAndTakesTheUncommittedDrawing) {
  Load_Strip(Solid_Strip({Red}, 32));
  T().Working_Frame.SetPixel(3, 5, Blue);
  T().Frame_Edited = true;
  Resize_To(P, T(), 2, 1);
  const Raster_Image& s = T().Anim_Strip;
  for (int y = 10; y <= 11; ++y)
    for (int x = 6; x <= 7; ++x) EXPECT_EQ(s.GetPixel(x, y), Blue) << x << "," << y;
  EXPECT_EQ(s.GetPixel(8, 10), Red);
  EXPECT_EQ(P.Pumps, 2) << "events are pumped twice per frame";
}

TEST_F(Resize, ToTheSameSizeChangesNoPixel) {
  Load_Strip(Solid_Strip({Red, Blue}, 32));
  const Raster_Image before = T().Anim_Strip;
  Resize_To(P, T(), 1, 0);
  EXPECT_TRUE(Same_Pixels(before, T().Anim_Strip));
  EXPECT_TRUE(T().Anim_Modified);
}

}  // namespace
}  // namespace tolvane::testing
