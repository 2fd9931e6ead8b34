#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr int Size = 16;

// Ten frames; frame i is solid colour i + 1, so a pixel names its frame.
class Playback_Test : public Tolvane_Test {
 protected:
  void Load_Ten() {
    Load_Strip(Solid_Strip({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, Size));
    ASSERT_EQ(T().Frame_Total, 10);
  }

  void Go_To(int frame) {
    T().SpeedButton2Click();
    for (int i = 0; i < frame; ++i) T().Next_FrameClick();
    ASSERT_EQ(T().Cur_Frame, frame);
  }

  // Section 3..6 (0-based) by the menu commands.
  void Mark_3_To_6() {
    Go_To(3);
    T().MarkFrameAsStartOfSection1Click();
    Go_To(6);
    T().MarkFrameAsEndOfSection1Click();
    ASSERT_EQ(T().Controls.Label3.Caption, "Section: 4 to 7");
  }

  int Shown_Frame() { return int(T().Working_Frame.GetPixel(0, 0)) - 1; }

  // Plays from `start` and returns the frame the preview shows after each
  // tick, at most `ticks` of them, ending early when playback stops.
  std::vector<int> Play_From(int start, bool loop, int ticks) {
    Go_To(start);
    if (T().Player.Loop() != loop) T().Repeat_AnimClick();
    T().PlayClick();
    std::vector<int> shown;
    for (int i = 0; i < ticks && T().Player.Playing(); ++i) {
      T().Anim_TimerTimer();
      shown.push_back(Shown_Frame());
    }
    return shown;
  }

  void Expect_Stopped() {
    T().Show_State();
    EXPECT_FALSE(T().Player.Playing());
    EXPECT_TRUE(T().Controls.Play.Enabled);
    EXPECT_FALSE(T().Controls.Stop.Enabled);
    EXPECT_EQ(T().Controls.DSP_Panel.Color, Face_Colour);
  }

  void Expect_Playing() {
    T().Show_State();
    EXPECT_TRUE(T().Player.Playing());
    EXPECT_FALSE(T().Controls.Play.Enabled);
    EXPECT_TRUE(T().Controls.Stop.Enabled);
    EXPECT_EQ(T().Controls.DSP_Panel.Color, 0x0000FFu);
  }

  void Dot(int x, int y, Colour c) {
    T().Working_Frame.SetPixel(x, y, c);
    T().Frame_Edited = true;
    T().Anim_Modified = true;
  }
};

// The frames one run shows from `start` over the section 3 to 6 (0-based) of
// ten frames, at most `ticks` of them, ending early when playback stops.
std::vector<int> Run_From(Playback& p, int start, int ticks) {
  std::vector<int> shown;
  p.Start();
  for (int frame = start; int(shown.size()) < ticks && p.Playing();) {
    frame = p.Tick(frame, 3, 6, 10).Frame;
    shown.push_back(frame);
  }
  return shown;
}

TEST(Playback, TickSequenceOverSectionThreeToSix) {
  struct Row {
    int start;
    bool loop;
    std::vector<int> shown;
  };
  for (const Row& r :
       {Row{0, true, {1, 2, 3, 4, 5, 6, 3, 4, 5, 6, 3}}, Row{0, false, {1, 2, 3, 4, 5, 6, 9}},
        Row{4, true, {5, 6, 3, 4, 5}}, Row{8, true, {3, 4, 5, 6, 3}}, Row{8, false, {9}}}) {
    Playback p;
    p.Set_Loop(r.loop);
    EXPECT_EQ(Run_From(p, r.start, r.loop ? int(r.shown.size()) : 20), r.shown) << r.start;
    EXPECT_EQ(p.Playing(), r.loop) << r.start;
  }
}

TEST_F(Playback_Test, PlayingShowsOnlyThePreviewAndStopRedrawsTheRest) {
  Load_Ten();
  Mark_3_To_6();
  Go_To(1);
  T().Undo_Available = true;
  T().PlayClick();
  Expect_Playing();
  EXPECT_FALSE(T().Undo_Available);
  T().Anim_TimerTimer();
  T().Anim_TimerTimer();
  EXPECT_EQ(Shown_Frame(), 3);
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 2 of 10");  // the counter waits for Stop
  T().StopClick();
  Expect_Stopped();
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 4 of 10");
  EXPECT_EQ(T().Check_Invariants(), "");
}

TEST_F(Playback_Test, NonLoopingRunEndsOnTheLastFrameOfTheAnimation) {
  Load_Ten();
  Mark_3_To_6();
  Play_From(0, false, 20);
  Expect_Stopped();
  EXPECT_EQ(T().Cur_Frame, 9);
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 10 of 10");
  EXPECT_TRUE(All_Pixels(T().Working_Frame, 10));
}

TEST_F(Playback_Test, RepeatToggleDuringPlaybackIsReadAtTheNextSectionEnd) {
  Load_Ten();
  Mark_3_To_6();
  std::vector<int> shown = Play_From(0, true, 5);
  EXPECT_EQ(shown.back(), 5);
  T().Repeat_AnimClick();
  EXPECT_FALSE(T().Player.Loop());
  T().Anim_TimerTimer();
  EXPECT_EQ(Shown_Frame(), 6);
  Expect_Playing();
  T().Anim_TimerTimer();
  Expect_Stopped();
  EXPECT_EQ(T().Cur_Frame, 9);

  shown = Play_From(0, false, 5);
  EXPECT_EQ(shown.back(), 5);
  T().Repeat_AnimClick();
  EXPECT_TRUE(T().Player.Loop());
  T().Anim_TimerTimer();
  T().Anim_TimerTimer();
  EXPECT_EQ(Shown_Frame(), 3);
  Expect_Playing();
}

TEST_F(Playback_Test, ATickAfterStopDoesNothing) {
  Load_Ten();
  Mark_3_To_6();
  Play_From(4, true, 1);
  T().StopClick();
  T().Anim_TimerTimer();
  EXPECT_EQ(T().Cur_Frame, 5);
  EXPECT_EQ(Shown_Frame(), 5);
}

// The mend: a non-looping run that ends by itself keeps what was drawn since
// the last tick in the frame it was drawn on; the last frame stays intact.
TEST_F(Playback_Test, DrawingDuringARunThatEndsKeepsItsFrameAndSparesTheLast) {
  Load_Ten();
  Mark_3_To_6();
  Play_From(0, false, 6);
  ASSERT_EQ(Shown_Frame(), 6);
  Dot(2, 3, 0x00FF00);
  T().Anim_TimerTimer();
  Expect_Stopped();
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 10 of 10");
  EXPECT_TRUE(Frame_Is(T().Anim_Strip, Size, 9, 10));
  EXPECT_TRUE(All_Pixels(T().Working_Frame, 10));
  EXPECT_EQ(T().Anim_Strip.GetPixel(6 * Size + 2, 3), 0x00FF00u);
  EXPECT_EQ(T().Anim_Strip.GetPixel(6 * Size + 3, 3), 7u);
  EXPECT_FALSE(T().Frame_Edited);
  EXPECT_EQ(T().Check_Invariants(), "");
}

TEST_F(Playback_Test, StopCommitsWhatWasDrawnSinceTheLastTickIntoTheShownFrame) {
  Load_Ten();
  Mark_3_To_6();
  Play_From(0, true, 2);
  Dot(0, 0, 0x00FF00);  // overwritten by the next tick
  T().Anim_TimerTimer();
  Dot(1, 1, 0x00FF00);
  T().StopClick();
  EXPECT_TRUE(Frame_Is(T().Anim_Strip, Size, 2, 3));
  EXPECT_EQ(T().Anim_Strip.GetPixel(3 * Size + 1, 1), 0x00FF00u);
  EXPECT_EQ(T().Anim_Strip.GetPixel(3 * Size, 0), 4u);
}

TEST(Playback, IntervalRoundsHalvesToEvenWithinTheSpeedRange) {
  Playback p;
  EXPECT_EQ(p.Interval(), 100);
  struct Case {
    int fps, ms;
  };
  for (Case c : {Case{16, 62}, Case{6, 167}, Case{3, 333}, Case{30, 33}, Case{1, 1000},
                 Case{7, 143}, Case{8, 125}, Case{48, 33}, Case{0, 1000}}) {
    p.Set_Fps(c.fps);
    EXPECT_EQ(p.Interval(), c.ms) << c.fps;
  }
}

// The report's steps: five frames, the second current and shown, the section
// 1 to 2, Play and one tick. The preview has moved on to the first frame while
// the counter and the zoom view still show the second.
class Playing_Trap : public Playback_Test {
 protected:
  void Load_Five() {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    Raster_Image strip = Solid_Strip({0x202020, 0x404040, 0x606060, 0x808080, 0xA0A0A0}, Size);
    for (int i = 0; i < 5; ++i) strip.SetPixel(i * Size + 3, 5, 0);  // flips and nudges show
    Load_Strip(strip, "five.bmp");
  }

  void Play_Behind_The_Counter() {
    Load_Five();
    Go_To(1);
    T().MarkFrameAsEndOfSection1Click();
    T().PlayClick();
    T().Anim_TimerTimer();
    ASSERT_EQ(T().Cur_Frame, 0);
    ASSERT_EQ(T().Controls.Label2.Caption, "Frame 2 of 5");
  }

  // Runs a command and records, for each question it asks, the counter and
  // the zoom view's colour at that moment.
  std::vector<std::string> Asked(const std::function<void()>& command) {
    std::vector<std::string> shown;
    P.On_Message = [&] {
      shown.push_back(T().Controls.Label2.Caption + " " +
                      std::to_string(T().Controls.Zoom.Picture.GetPixel(0, 0)));
    };
    command();
    P.On_Message = nullptr;
    return shown;
  }
};

// A command during playback does what it does after Stop on the frame the
// preview showed, and asks its questions with that frame shown; a tick still
// queued afterwards changes nothing.
TEST_F(Playing_Trap, FrameCommandsStopPlaybackFirstAndActOnTheFrameThenShown) {
  using Command = void (TTolvane::*)();
  const std::pair<const char*, Command> commands[] = {
      {"Clear", &TTolvane::Clear1Click},
      {"Paste (From Buffer)", &TTolvane::Paste1Click},
      {"Add", &TTolvane::Add1Click},
      {"Paste (From Clipboard)", &TTolvane::PasteFromClipboard1Click},
      {"Delete", &TTolvane::Delete1Click},
      {"Insert", &TTolvane::Insert1Click},
      {"Resize", &TTolvane::Resize1Click},
      {"Cut", &TTolvane::Cut1Click},
      {"Paste", &TTolvane::Paste2Click},
      {"Flip Horizontal", &TTolvane::FlipHorizontal1Click},
      {"Flip Vertical", &TTolvane::FlipVertical1Click},
      {"Nudge Left", &TTolvane::Nudge1Click},
      {"Nudge Right", &TTolvane::Nudge2Click},
      {"Nudge Up", &TTolvane::Nudge3Click},
      {"Nudge Down", &TTolvane::Nudge4Click},
      {"Undo", &TTolvane::Undo1Click},
      {"Merge", &TTolvane::MergeFiles1Click}};
  Write_Bmp(Path("more.bmp"), Solid_Strip({0x00FF00}, Size));
  const auto run = [&](Command command) {
    P.Clipboard = Raster_Image(Size, Size, 0x00FF00);
    BitBlt(T().Undo_Frame, 0, 0, *P.Clipboard);  // an older copy on offer
    T().Undo_Available = true;
    P.Answers = {id_Yes};  // Delete; Merge then shows no transition dialog
    P.Open_Answers = {Path("more.bmp")};
    const std::vector<std::string> asked = Asked([&] { (T().*command)(); });
    P.Answers.clear();
    P.Open_Answers.clear();
    return asked;
  };
  for (const auto& [name, command] : commands) {
    SCOPED_TRACE(name);
    Load_Five();
    Go_To(0);
    const std::vector<std::string> asked_stopped = run(command);
    const Raster_Image stopped = Saved_Strip("stopped.bmp");

    Play_Behind_The_Counter();
    EXPECT_EQ(run(command), asked_stopped);
    T().Anim_TimerTimer();
    Expect_Stopped();
    EXPECT_TRUE(Same_Pixels(Saved_Strip("playing.bmp"), stopped));
  }
}

// A press in the zoom view while playing only stops playback: the zoom view
// shows another frame than the preview, and a stroke would land on a frame
// the user cannot see.
TEST_F(Playing_Trap, APressDuringPlaybackOnlyStopsIt) {
  Play_Behind_The_Counter();
  const Raster_Image before = Document_Strip();
  T().Selected_Colour1 = 0x00FF00;
  const int z = T().View.Factor();
  T().ZoomMouseDown(Mouse_Button::Left, ss_None, 1, 1);
  Expect_Stopped();
  T().ZoomMouseMove(ss_None, z + 1, 1);
  T().ZoomMouseUp(Mouse_Button::Left, ss_None, z + 1, 1);
  EXPECT_FALSE(T().Anim_Modified);
  EXPECT_TRUE(Same_Pixels(Document_Strip(), before));
}

class Sections_Test : public Playback_Test {};

TEST_F(Sections_Test, OneFrameSectionAfterNewWarnsAndDoesNotPlay) {
  New_Anim(32);
  T().PlayClick();
  ASSERT_EQ(P.Messages.size(), 1u);
  EXPECT_EQ(P.Messages[0].Text, "The current section has only one frame in it");
  EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
  EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_OK));
  Expect_Stopped();
}

TEST_F(Sections_Test, MarkingTheEndBeforeTheStartGivesOneFrameAtTheStart) {
  Load_Ten();
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 1 to 10");
  Go_To(5);
  T().MarkFrameAsStartOfSection1Click();
  Go_To(2);
  T().MarkFrameAsEndOfSection1Click();
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 6 to 6");
  EXPECT_EQ(T().Section_End, 5);
  EXPECT_FALSE(T().Anim_Modified);
  T().PlayClick();
  EXPECT_EQ(P.Message_Texts(),
            std::vector<std::string>{"The current section has only one frame in it"});
  EXPECT_FALSE(T().Player.Playing());

  T().ResetMarks1Click();
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 1 to 10");
  Go_To(7);
  T().MarkFrameAsEndOfSection1Click();
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 1 to 8");
  Go_To(8);
  T().MarkFrameAsStartOfSection1Click();  // past the end: the end follows it
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 9 to 9");
}

}  // namespace
}  // namespace tolvane::testing
