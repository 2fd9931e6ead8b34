#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "effects/effects.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr int Size = 16;
constexpr Colour A = 0x101010, B = 0x202020, C = 0x303030, D = 0x404040, E = 0x505050;
constexpr Colour Mount = 0x00FF00;

Colour Brightened(Colour c, int level) {
  Raster_Image pixel(1, 1, c);
  Apply_Brightness(pixel, level);
  return pixel.At(0, 0);
}

Raster_Image Frame_Of(const Raster_Image& strip, int i) {
  Raster_Image frame(Size, Size);
  BitBlt(frame, -i * Size, 0, strip);
  return frame;
}

// A picture with different pixels everywhere, for effects whose result
// depends on where pixels go.
Raster_Image Pattern_Strip(int frames) {
  Raster_Image strip(frames * Size, Size);
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < frames * Size; ++x) strip.SetPixel(x, y, Rgb(x * 5, y * 9, 77));
  return strip;
}

struct Choice {
  bool insert = true;
  bool reverse = false;
  int level = 100;
  int frames = 3;
  bool vertical = false;
};

class Effects_Test : public Tolvane_Test {
 protected:
  TEffects_Param_Form& Dialog() { return *App.Effects_Param_Form; }

  // Loads a strip; a previous case's changes are discarded.
  void Load(const Raster_Image& strip, const std::string& name = "anim.bmp") {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    Load_Strip(strip, name);
  }

  void Go_To(int frame) {
    T().SpeedButton2Click();
    for (int i = 0; i < frame; ++i) T().Next_FrameClick();
    ASSERT_EQ(T().Cur_Frame, frame);
  }

  // The user sets the dialog up as c says and presses Ok.
  void Queue(const Choice& c) {
    P.On_Modal<TEffects_Param_Form>([c](TEffects_Param_Form& d) {
      d.Add_New.Set_Checked(c.insert);
      d.Reverse.Set_Checked(c.reverse);
      d.Vertical_Effect.Set_Checked(c.vertical);
      d.Level_Bar.Set_Position(c.level);
      d.No_Frames.Text = std::to_string(c.frames);
      d.OkClick();
    });
  }

  void Expect_Strip(const std::vector<Colour>& frames) {
    ASSERT_EQ(T().Frame_Total, int(frames.size()));
    for (int i = 0; i < int(frames.size()); ++i)
      EXPECT_TRUE(Frame_Is(T().Anim_Strip, Size, i, frames[i]))
          << "frame " << i << " is " << std::hex << T().Anim_Strip.GetPixel(i * Size, 0);
    EXPECT_EQ(T().Check_Invariants(), "");
  }
};

TEST_F(Effects_Test, FourLayoutsOfTheSequence) {
  const Colour b50 = Brightened(B, 50), b100 = Brightened(B, 100);
  const Colour c50 = Brightened(C, 50), d100 = Brightened(D, 100);
  const struct {
    const char* name;
    Choice choice;
    int section_start;
    std::vector<Colour> strip;
    int cur_frame, section_end;
  } cases[] = {
      {"insert", {true, false, 100, 3}, 0, {A, B, b50, b100, C, D, E}, 3, 3},
      {"insert reversed", {true, true, 100, 3}, 0, {A, b100, b50, B, C, D, E}, 3, 3},
      {"change", {false, false, 100, 3}, 0, {A, B, c50, d100, E}, 3, 3},
      {"change reversed", {false, true, 100, 3}, 0, {A, b100, c50, D, E}, 3, 3},
      {"insert two", {true, false, 100, 2}, 0, {A, B, b100, C, D, E}, 2, 2},
      {"insert two reversed", {true, true, 100, 2}, 0, {A, b100, B, C, D, E}, 2, 2},
      {"section start later", {true, false, 100, 3}, 4, {A, B, b50, b100, C, D, E}, 3, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Load(Solid_Strip({A, B, C, D, E}, Size));
    Go_To(c.section_start);
    T().MarkFrameAsStartOfSection1Click();
    Go_To(1);
    Queue(c.choice);
    T().Brightness1Click(T().Controls.Brightness1);
    Expect_Strip(c.strip);
    EXPECT_EQ(T().Cur_Frame, c.cur_frame);
    EXPECT_EQ(T().Section_Start, c.section_start);
    EXPECT_EQ(T().Section_End, c.section_end);
    EXPECT_EQ(T().Controls.Label2.Caption,
              "Frame " + std::to_string(c.cur_frame + 1) + " of " + std::to_string(c.strip.size()));
    EXPECT_TRUE(Frame_Is(T().Working_Frame, Size, 0, c.strip[c.cur_frame]));
    EXPECT_TRUE(T().Anim_Modified);
    EXPECT_FALSE(T().Frame_Edited);
    EXPECT_TRUE(T().Sections_Offered);
  }
}

TEST_F(Effects_Test, SpinAnglesComeFromTheFrameCount) {
  const struct {
    int frames;
    bool reverse, vertical;
    std::vector<int> angles;
  } cases[] = {
      {2, false, false, {90}},        {2, true, true, {45}},
      {4, false, true, {45, 68, 90}},  // 22.5 x 3 = 67.5 rounds to 68
      {4, true, false, {68, 45, 22}}, {5, false, false, {36, 54, 72, 90}},
  };
  for (const auto& c : cases) {
    const Raster_Image strip = Pattern_Strip(1);
    Load(strip);
    T().Mount_Colour = Mount;
    Queue({true, c.reverse, 0, c.frames, c.vertical});
    T().Brightness1Click(T().Controls.Spin1);
    ASSERT_EQ(T().Frame_Total, c.frames);
    const int first = c.reverse ? 0 : 1;
    for (int i = 0; i < int(c.angles.size()); ++i) {
      Raster_Image want = strip;
      Apply_Spin(want, c.angles[i], c.vertical, Mount);
      EXPECT_TRUE(Same_Pixels(Frame_Of(T().Anim_Strip, first + i), want))
          << c.frames << " frames, frame " << first + i << " at " << c.angles[i];
    }
    EXPECT_TRUE(Same_Pixels(Frame_Of(T().Anim_Strip, c.reverse ? c.frames - 1 : 0), strip));
  }
}

TEST_F(Effects_Test, CancelKeepsEverythingButTheCommittedFrame) {
  Load(Solid_Strip({A, B, C}, Size));
  Go_To(1);
  T().Working_Frame.SetPixel(3, 4, 0x0000FF);
  T().Frame_Edited = true;
  T().Take_Undo_Copy();
  Dialog().Effect_Level = 17;
  Dialog().Effect_Frames = 9;
  P.On_Modal<TEffects_Param_Form>([](TEffects_Param_Form& d) {
    d.Level_Bar.Set_Position(40);
    d.No_Frames.Text = "5";
    d.CancelClick();
  });
  T().Brightness1Click(T().Controls.Squash1);
  EXPECT_EQ(P.Modal_Seen, std::vector<std::string>{"Effects_Param_Form"});
  EXPECT_EQ(Dialog().Effect_Kind, TEffects_Param_Form::Squash);
  EXPECT_EQ(Dialog().Frames_Available, 2);
  EXPECT_EQ(Dialog().Effect_Level, 17);
  EXPECT_EQ(Dialog().Effect_Frames, 9);
  EXPECT_FALSE(Dialog().Effect_Accepted);
  EXPECT_EQ(T().Frame_Total, 3);
  EXPECT_EQ(T().Cur_Frame, 1);
  EXPECT_EQ(T().Anim_Strip.GetPixel(Size + 3, 4), 0x0000FFu);
  EXPECT_TRUE(T().Undo_Available);
  EXPECT_EQ(P.Wait_Cursor_Calls, 0);
}

TEST_F(Effects_Test, ProgressCountsTheGeneratedFrames) {
  Load(Solid_Strip({A, B}, Size));
  std::vector<std::string> lines;
  std::vector<int> bar;
  P.On_Pump = [&] {
    lines.push_back(T().Controls.Progress.Caption);
    bar.push_back(T().Controls.Prog_Bar.Position);
    EXPECT_EQ(P.Wait_Cursor_On, 1);
    EXPECT_EQ(T().Controls.Progress_Caption.Caption, "Applying Effect...");
    EXPECT_GE(T().Controls.Progress_Panel.B.Left, 0);
  };
  Queue({true, true, 60, 4});
  T().Brightness1Click(T().Controls.Brightness1);
  EXPECT_EQ(lines,
            (std::vector<std::string>{"Frame 1 of 3...", "Frame 2 of 3...", "Frame 3 of 3..."}));
  EXPECT_EQ(bar, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(T().Controls.Prog_Bar.Max, 3);
  EXPECT_EQ(P.Wait_Cursor_On, 0);
  EXPECT_LT(T().Controls.Progress_Panel.B.Left, 0);
}

// Pumped events reach the program only through the platform, whose Qt
// implementation drops them during a run; what the command itself must
// ensure is that it does not read the dialog or a moved frame again.
TEST_F(Effects_Test, EventsPumpedDuringTheRunDoNotChangeIt) {
  Load(Solid_Strip({A, B, C}, Size));
  int pumps = 0;
  P.On_Pump = [&] {
    ++pumps;
    T().Anim_TimerTimer();  // a stale playback tick
    Dialog().Level_Bar.Set_Position(-100);
    Dialog().Add_New.Set_Checked(false);
    Dialog().OkClick();  // a stray click on the closed dialog
    EXPECT_EQ(T().Cur_Frame, 0);
    EXPECT_EQ(T().Frame_Total, 3);
  };
  Queue({true, false, 100, 5});
  T().Brightness1Click(T().Controls.Brightness1);
  EXPECT_EQ(pumps, 4);
  const Colour a25 = Brightened(A, 25), a50 = Brightened(A, 50), a75 = Brightened(A, 75),
               a100 = Brightened(A, 100);
  Expect_Strip({A, a25, a50, a75, a100, B, C});
  EXPECT_EQ(T().Cur_Frame, 4);
}

TEST_F(Effects_Test, AStripThatCannotGrowIsLeftWhole) {
  // 2^28 pixels is the most an image may hold: 46 frames of 2400 pixels
  // would fit, 47 do not.
  constexpr int big = 2400;
  T().Frame_Size = big;
  T().Session.Install_Strip(Raster_Image(big, big, A));
  T().Anim_Modified = false;
  const Raster_Image before = T().Anim_Strip;
  for (int frames : {50, 47}) {
    P.Errors.clear();
    P.On_Modal<TEffects_Param_Form>([frames](TEffects_Param_Form& d) {
      d.No_Frames.Text = std::to_string(frames);
      d.OkClick();
    });
    T().Brightness1Click(T().Controls.Brightness1);
    EXPECT_EQ(P.Errors.size(), 1u) << frames;
    EXPECT_EQ(P.Wait_Cursor_On, 0);
    EXPECT_LT(T().Controls.Progress_Panel.B.Left, 0);
    EXPECT_EQ(T().Check_Invariants(), "");
    EXPECT_EQ(T().Frame_Total, 1);
    EXPECT_EQ(T().Cur_Frame, 0);
    EXPECT_TRUE(Same_Pixels(T().Anim_Strip, before));
    EXPECT_FALSE(T().Anim_Modified);
  }
}

// Undo after an effect would put the old frame's picture into the frame the
// effect moved to, and Save would keep it.
TEST_F(Effects_Test, UndoIsWithdrawnByTheEffect) {
  Load(Solid_Strip({A, B}, Size), "undo.bmp");
  T().ZoomMouseDown(Mouse_Button::Left, ss_None, 0, 0);
  T().ZoomMouseUp(Mouse_Button::Left, ss_None, 0, 0);
  ASSERT_TRUE(T().Undo_Available);
  const Colour drawn = T().Working_Frame.GetPixel(0, 0);
  Queue({true, false, 0, 8});  // level 0: seven copies of the drawn frame
  T().Brightness1Click(T().Controls.Brightness1);
  ASSERT_EQ(T().Cur_Frame, 7);
  EXPECT_FALSE(T().Undo_Available);
  T().Undo1Click();
  T().Save1Click();
  const Raster_Image saved = Read_Bmp(Path("undo.bmp"));
  ASSERT_EQ(saved.Width(), 9 * Size);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(saved.GetPixel(i * Size, 0), drawn) << "frame " << i;
  EXPECT_TRUE(Frame_Is(saved, Size, 8, B));
}

// A selection left floating would be laid back, on its old background, over
// the generated frame by the next nudge.
TEST_F(Effects_Test, AFloatingSelectionIsDroppedFirst) {
  Load(Solid_Strip({A, B}, Size), "select.bmp");
  // A selection floats as the select tool leaves it: a 4 x 4 piece of red
  // lifted off frame 0 and shown at (2, 2).
  T().Tool6Click();
  T().Selection.Float(Raster_Image(4, 4, 0x0000FF), 2, 2, T().Working_Frame);
  T().Frame_Edited = T().Anim_Modified = true;
  ASSERT_TRUE(T().Selection_Mode());

  Queue({true, false, 100, 2});
  T().Brightness1Click(T().Controls.Brightness1);
  ASSERT_EQ(T().Cur_Frame, 1);
  EXPECT_FALSE(T().Selection.Shown());
  T().Nudge1Click();
  T().Save1Click();
  const Raster_Image saved = Read_Bmp(Path("select.bmp"));
  // The generated frame, the red piece brightened with it, nudged left by one.
  Raster_Image want = Frame_Of(saved, 0);
  Apply_Brightness(want, 100);
  Raster_Image nudged = want;
  Copy_Rect(nudged, {0, 0, Size - 1, Size}, want, {1, 0, Size, Size});
  Copy_Rect(nudged, {Size - 1, 0, Size, Size}, want, {0, 0, 1, Size});
  EXPECT_EQ(saved.GetPixel(2, 2), 0x0000FFu) << "the starting frame keeps the piece";
  EXPECT_TRUE(Same_Pixels(Frame_Of(saved, 1), nudged));
}

// Playback ticks while the dialog is open would move the frame the effect
// starts from past the frame count it offered.
TEST_F(Effects_Test, PlaybackStopsBeforeTheDialogOpens) {
  Load(Solid_Strip({A, A, B, B, B, B, B, B, B, B}, Size));
  Go_To(2);
  T().Player.Set_Loop(true);
  T().PlayClick();
  ASSERT_TRUE(T().Player.Playing());
  P.On_Modal<TEffects_Param_Form>([this](TEffects_Param_Form& d) {
    for (int i = 0; i < 5; ++i) T().Anim_TimerTimer();
    d.Add_New.Set_Checked(false);
    d.No_Frames.Text = "8";
    d.Level_Bar.Set_Position(100);
    d.OkClick();
  });
  T().Brightness1Click(T().Controls.Brightness1);
  EXPECT_FALSE(T().Player.Playing());
  EXPECT_EQ(T().Cur_Frame, 9);
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 10 of 10");
  std::vector<Colour> want = {A, A, B};
  for (int level : {14, 29, 43, 57, 71, 86, 100}) want.push_back(Brightened(B, level));
  Expect_Strip(want);
}

}  // namespace
}  // namespace tolvane::testing
