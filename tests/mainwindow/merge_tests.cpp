#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "document/bmp.h"
#include "merge/transitions.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr int Size = 16;
constexpr const char* Question =
    "Do you wish to include a transition between the two animations (Be warned this is "
    "temperamental)?";

// Solid frames 1, 2, 3, ... for the open animation; 101, 102, ... for the
// file merged onto it.
std::vector<Colour> Colours(int count, Colour first) {
  std::vector<Colour> c;
  for (int i = 0; i < count; ++i) c.push_back(first + Colour(i));
  return c;
}

Raster_Image Strip_Of(const std::vector<Colour>& frames, int size = Size) {
  Raster_Image strip(int(frames.size()) * size, size);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    strip.Fill_Colour = frames[i];
    strip.FillRect({int(i) * size, 0, int(i + 1) * size, size});
  }
  return strip;
}

class Merge_Test : public Tolvane_Test {
 protected:
  TAdd_Trans& Dialog() { return *App.Add_Trans; }

  void Load(int frames) {
    Load_Strip(Strip_Of(Colours(frames, 1)));
    ASSERT_EQ(T().Frame_Total, frames);
  }

  std::string Write(const Raster_Image& strip, const std::string& name = "merge.bmp") {
    Write_Bmp(Path(name), strip);
    return Path(name);
  }
  std::string Write_Merge_File(int frames) { return Write(Strip_Of(Colours(frames, 101))); }

  void Merge_Plain(const std::string& path) {
    P.Open_Answers.push_back(path);
    P.Answers.push_back(id_No);
    T().MergeFiles1Click();
  }

  void Merge_With(const std::string& path, const std::string& kind, const std::string& overlap) {
    P.Open_Answers.push_back(path);
    P.Answers.push_back(id_Yes);
    P.On_Modal<TAdd_Trans>([=](TAdd_Trans& f) {
      f.Trans_Type.Text = kind;
      f.overlap.Text = overlap;
      f.OkClick();
    });
    T().MergeFiles1Click();
  }

  // The pencil's stroke of one pixel, as the user draws it (takes the undo copy).
  void Draw_Dot(int x, int y) {
    T().Set_Tool(1);
    const int z = T().Zoom_Factor;
    T().ZoomMouseDown(Mouse_Button::Left, ss_None, x * z, y * z);
    T().ZoomMouseUp(Mouse_Button::Left, ss_None, x * z, y * z);
  }

  void Expect_Solid_Frames(int first, const std::vector<Colour>& colours) {
    for (std::size_t i = 0; i < colours.size(); ++i)
      EXPECT_TRUE(Frame_Is(T().Anim_Strip, Size, first + int(i), colours[i]))
          << "frame " << first + i;
  }

  // Frame i is A on its right and B on its left d columns, as Wipe Horizontal draws.
  void Expect_Wiped(int i, Colour a, Colour b, int d) {
    for (int y = 0; y < Size; ++y)
      for (int x = 0; x < Size; ++x)
        ASSERT_EQ(T().Anim_Strip.GetPixel(i * Size + x, y), x < d ? b : a)
            << "frame " << i << " at " << x << "," << y;
  }
};

TEST_F(Merge_Test, PlainAppendPutsTheFileAfterTheLastFrame) {
  const struct { int f1, f2; } cases[] = {{5, 3}, {1, 1}, {2, 6}};
  for (const auto& c : cases) {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    Load(c.f1);
    T().Next_FrameClick();
    const int cur = T().Cur_Frame, start = T().Section_Start, end = T().Section_End;
    P.Messages.clear();
    Merge_Plain(Write_Merge_File(c.f2));
    ASSERT_EQ(T().Frame_Total, c.f1 + c.f2);
    Expect_Solid_Frames(0, Colours(c.f1, 1));
    Expect_Solid_Frames(c.f1, Colours(c.f2, 101));
    EXPECT_TRUE(T().Anim_Modified);
    EXPECT_EQ(T().Cur_Frame, cur);
    EXPECT_EQ(T().Section_Start, start);
    EXPECT_EQ(T().Section_End, end);
    EXPECT_EQ(T().Label2.Caption,
              "Frame " + std::to_string(cur + 1) + " of " + std::to_string(c.f1 + c.f2));
    EXPECT_EQ(T().Check_Invariants(), "");
    ASSERT_EQ(P.Messages.size(), 1u);
    EXPECT_EQ(P.Messages[0].Text, Question);
    EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Confirmation);
    EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_Yes | mb_No));
    EXPECT_EQ(P.Open_Seen.back().Title, "Merge...");
    EXPECT_TRUE(Dialog().Merge_Strip.Empty()) << "released at the end";
  }
}

// Anything refused leaves the animation, its flags and the dialog alone.
TEST_F(Merge_Test, FilesThatAreNoStripOfTheFrameSizeAreRefused) {
  Load(3);
  const Raster_Image before = T().Anim_Strip;
  std::ofstream(Path("junk.bmp")) << "this is no bitmap";
  const struct {
    std::string path;
    std::string warning;  // empty: the reader's error box instead
    std::string error;
  } cases[] = {
      {Write(Raster_Image(50, 16), "ragged.bmp"),
       "This file does not contain valid animation frames. All frames must be 16x16", ""},
      {Write(Raster_Image(64, 32), "big_frames.bmp"),
       "This file does not contain valid animation frames. All frames must be 16x16", ""},
      {Write(Raster_Image(16, 8), "short.bmp"),
       "This file does not contain valid animation frames. All frames must be 16x16", ""},
      {Path("missing.bmp"), "", "Cannot open file " + Path("missing.bmp") + "."},
      {Path("junk.bmp"), "", "Bitmap image is not valid."},
  };
  for (const auto& c : cases) {
    P.Messages.clear();
    P.Errors.clear();
    P.Open_Answers.push_back(c.path);
    T().MergeFiles1Click();
    if (c.warning.empty()) {
      EXPECT_TRUE(P.Messages.empty()) << c.path;
      EXPECT_EQ(P.Errors, std::vector<std::string>{c.error});
    } else {
      ASSERT_EQ(P.Messages.size(), 1u) << c.path;
      EXPECT_EQ(P.Messages[0].Text, c.warning);
      EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
      EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_OK));
      EXPECT_TRUE(P.Errors.empty());
    }
    EXPECT_TRUE(Same_Pixels(T().Anim_Strip, before)) << c.path;
    EXPECT_EQ(T().Frame_Total, 3);
    EXPECT_FALSE(T().Anim_Modified);
    EXPECT_TRUE(P.Modal_Seen.empty());
    EXPECT_TRUE(Dialog().Merge_Strip.Empty());
  }
}

// A header promising a strip of 100,000 frames with no pixel data behind it:
// the reader refuses it before allocating the picture.
TEST_F(Merge_Test, AHugeBitmapIsRefusedByTheReaderWithoutAllocatingIt) {
  Load(2);
  const Raster_Image before = T().Anim_Strip;
  std::vector<unsigned char> file(54, 0);
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = (v >> (8 * i)) & 0xFF;
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, 54);
  put32(10, 54);
  put32(14, 40);
  put32(18, 100000 * Size);
  put32(22, Size);
  file[26] = 1;
  file[28] = 24;
  std::ofstream(Path("huge.bmp"), std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  P.Open_Answers.push_back(Path("huge.bmp"));
  T().MergeFiles1Click();
  EXPECT_EQ(P.Errors, std::vector<std::string>{"Bitmap image is not valid."});
  EXPECT_TRUE(Same_Pixels(T().Anim_Strip, before));
  EXPECT_TRUE(P.Messages.empty());
}

TEST_F(Merge_Test, CancellingTheFileDialogChangesNothing) {
  Load(2);
  T().MergeFiles1Click();
  ASSERT_EQ(P.Open_Seen.size(), 2u);
  EXPECT_EQ(P.Open_Seen[1].Title, "Merge...");
  EXPECT_TRUE(P.Messages.empty());
  EXPECT_EQ(T().Frame_Total, 2);
  EXPECT_FALSE(T().Anim_Modified);
}

TEST_F(Merge_Test, TransitionReplacesTheLastFramesAndAppendsTheRest) {
  Load(10);
  Merge_With(Write_Merge_File(8), "Wipe Horizontal", "3");
  ASSERT_EQ(T().Frame_Total, 15);
  Expect_Solid_Frames(0, Colours(7, 1));
  // Pairs (7, 0), (8, 1), (9, 2): d = Round(16 / 3 x s) = 5, 11, 16.
  Expect_Wiped(7, 8, 101, 5);
  Expect_Wiped(8, 9, 102, 11);
  Expect_Wiped(9, 10, 103, 16);
  Expect_Solid_Frames(10, {104, 105, 106, 107, 108});
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_EQ(T().Check_Invariants(), "");
  EXPECT_EQ(Dialog().Trans_Kind, tk_Wipe_Horizontal);
}

TEST_F(Merge_Test, AnOverlapOfTheWholeAnimationMakesEveryFrameATransition) {
  Load(3);
  Merge_With(Write_Merge_File(5), "wipe horizontal", "3");
  ASSERT_EQ(T().Frame_Total, 5);
  Expect_Wiped(0, 1, 101, 5);
  Expect_Wiped(1, 2, 102, 11);
  Expect_Wiped(2, 3, 103, 16);
  Expect_Solid_Frames(3, {104, 105});
}

TEST_F(Merge_Test, TheOverlapIsBroughtIntoRange) {
  const struct {
    int f1, f2;
    const char* typed;  // nullptr: the dialog's own value
    int used;
  } cases[] = {{2, 7, nullptr, 2}, {10, 8, nullptr, 5}, {10, 8, "99", 8}, {10, 8, "0", 1},
               {10, 8, "abc", 1},  {3, 1, nullptr, 1},  {4, 4, "-3", 1},  {6, 9, "6", 6}};
  for (const auto& c : cases) {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    Load(c.f1);
    std::string shown_overlap, label4, label5;
    P.Open_Answers.push_back(Write_Merge_File(c.f2));
    P.Answers.push_back(id_Yes);
    P.On_Modal<TAdd_Trans>([&](TAdd_Trans& f) {
      shown_overlap = f.overlap.Text;
      label4 = f.Label4.Caption;
      label5 = f.Label5.Caption;
      EXPECT_EQ(f.Trans_Type.Text, "Merge");
      EXPECT_EQ(f.overlap.Max, std::min(c.f1, c.f2));
      if (c.typed) f.overlap.Text = c.typed;
      f.OkClick();
    });
    T().MergeFiles1Click();
    EXPECT_EQ(shown_overlap, "5");
    EXPECT_EQ(label4, std::to_string(c.f1) + " Frames");
    EXPECT_EQ(label5, std::to_string(c.f2) + " Frames");
    EXPECT_EQ(T().Frame_Total, c.f1 + c.f2 - c.used)
        << c.f1 << " + " << c.f2 << " with " << (c.typed ? c.typed : "5");
  }
}

TEST_F(Merge_Test, TransitionNamesMatchInAnyCase) {
  Load(2);
  Merge_With(Write_Merge_File(2), "slide vertical", "1");
  EXPECT_EQ(Dialog().Trans_Kind, tk_Slide_Vertical);
  ASSERT_EQ(T().Frame_Total, 3);
  // d = Round(16 / 2 x 1) = 8: A's lower half over B's upper half.
  for (int y = 0; y < Size; ++y)
    EXPECT_EQ(T().Anim_Strip.GetPixel(Size + 3, y), y < 8 ? 2u : 101u) << y;
}

TEST_F(Merge_Test, AnUnknownNameKeepsTheDialogOpenAndCostsNoFrame) {
  const struct {
    const char* then;  // what the user does after the warning: a name, or nullptr to cancel
    int frames;
  } cases[] = {{nullptr, 4}, {"Centre Out", 5}};
  for (const auto& c : cases) {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    Load(4);
    const Raster_Image before = T().Anim_Strip;
    P.Messages.clear();
    P.Open_Answers.push_back(Write_Merge_File(2));
    P.Answers.push_back(id_Yes);
    P.On_Modal<TAdd_Trans>([&](TAdd_Trans& f) {
      f.Trans_Type.Text = "Slide Sideways";
      f.overlap.Text = "1";
      f.OkClick();
      EXPECT_TRUE(f.Visible);
      EXPECT_EQ(f.Modal_Result, mr_None);
      EXPECT_FALSE(f.Trans_Accepted);
      EXPECT_TRUE(Same_Pixels(T().Anim_Strip, before));
      if (c.then) {
        f.Trans_Type.Text = c.then;
        f.OkClick();
      } else {
        f.CancelClick();
      }
    });
    T().MergeFiles1Click();
    ASSERT_EQ(P.Messages.size(), 2u);
    EXPECT_EQ(P.Messages[1].Text, TAdd_Trans::Unknown_Name_Text("Slide Sideways"));
    EXPECT_EQ(P.Messages[1].Kind, Msg_Kind::Warning);
    for (const char* name :
         {"Collapse", "Centre Out", "Merge", "Slide Horizontal", "Slide Vertical",
          "Split Horizontal", "Split Vertical", "Squeeze Horizontal", "Squeeze Vertical",
          "Wipe Horizontal", "Wipe Vertical"})
      EXPECT_NE(P.Messages[1].Text.find(std::string("\n") + name), std::string::npos) << name;
    EXPECT_EQ(T().Frame_Total, c.frames);
    EXPECT_EQ(T().Anim_Modified, c.then != nullptr);
    if (!c.then) {
      EXPECT_TRUE(Same_Pixels(T().Anim_Strip, before));
    }
  }
}

// The merge starts from the frames as the user sees them; a cancelled
// transition still keeps the drawing stored.
TEST_F(Merge_Test, DrawingOnTheCurrentFrameIsKept) {
  enum Way { Plain, Cancelled, Cross_Fade };
  for (Way way : {Plain, Cancelled, Cross_Fade}) {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    Load(2);
    T().Next_FrameClick();
    Draw_Dot(3, 4);
    ASSERT_EQ(T().Working_Frame.GetPixel(3, 4), 0x000000u);
    const std::string path = Write_Merge_File(2);
    if (way == Plain) {
      Merge_Plain(path);
    } else if (way == Cancelled) {
      P.Open_Answers.push_back(path);
      P.Answers.push_back(id_Yes);
      P.On_Modal<TAdd_Trans>([](TAdd_Trans& f) { f.CancelClick(); });
      T().MergeFiles1Click();
    } else {
      Merge_With(path, "Merge", "1");
    }
    EXPECT_EQ(T().Frame_Total, way == Plain ? 4 : way == Cancelled ? 2 : 3) << way;
    // The cross-fade of the drawn black pixel with colour 101 at t = 0.5 is
    // Round(50.5) = 50 in red; the frame's own colour 2 gives Round(51.5) = 52.
    const Colour dot = way == Cross_Fade ? 50u : 0x000000u;
    EXPECT_EQ(T().Anim_Strip.GetPixel(Size + 3, 4), dot) << way;
    EXPECT_EQ(T().Working_Frame.GetPixel(3, 4), dot) << way;
    if (way == Cross_Fade) {
      EXPECT_EQ(T().Anim_Strip.GetPixel(Size + 5, 5), 52u);
    }
    EXPECT_EQ(T().Cur_Frame, 1);
  }
}

// The undo copy holds a picture from before the merge; offering it afterwards
// would write it over a frame the merge built.
TEST_F(Merge_Test, AMergeDisablesUndo) {
  const struct {
    bool transition;
    bool cancel;
    bool undo_after;
  } cases[] = {{false, false, false}, {true, false, false}, {true, true, true}};
  for (const auto& c : cases) {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    Load(3);
    T().SpeedButton12Click();
    Draw_Dot(1, 1);
    ASSERT_TRUE(T().Undo1.Enabled);
    P.Open_Answers.push_back(Write_Merge_File(3));
    P.Answers.push_back(c.transition ? id_Yes : id_No);
    P.On_Modal<TAdd_Trans>([&](TAdd_Trans& f) {
      f.Trans_Type.Text = "Collapse";
      f.overlap.Text = "2";
      if (c.cancel)
        f.CancelClick();
      else
        f.OkClick();
    });
    T().MergeFiles1Click();
    EXPECT_EQ(T().Undo1.Enabled, c.undo_after) << c.transition << c.cancel;
    if (!c.transition) P.Modal_Scripts.clear();
  }
}

TEST_F(Merge_Test, TheProgressPanelCountsTheStepsAndBlocksNothingElse) {
  Load(6);
  struct Seen {
    std::string line;
    int position, max;
    bool shown, waiting;
  };
  std::vector<Seen> seen;
  P.On_Pump = [&] {
    seen.push_back({T().Progress.Caption, T().Prog_Bar.Position, T().Prog_Bar.Max,
                    T().Progress_Panel.B.Left >= 0, P.Wait_Cursor_On == 1});
    EXPECT_EQ(T().Progress_Caption.Caption, "Merging Animations...");
  };
  Merge_With(Write_Merge_File(4), "Squeeze Vertical", "4");
  ASSERT_EQ(seen.size(), 4u);
  for (int s = 1; s <= 4; ++s) {
    const Seen& step = seen[s - 1];
    EXPECT_EQ(step.line, "Frame " + std::to_string(s) + " of 4...");
    EXPECT_EQ(step.position, s);
    EXPECT_EQ(step.max, 4);
    EXPECT_TRUE(step.shown);
    EXPECT_TRUE(step.waiting);
  }
  EXPECT_LT(T().Progress_Panel.B.Left, 0);
  EXPECT_EQ(P.Wait_Cursor_On, 0);
  EXPECT_EQ(T().Frame_Total, 6);
}

}  // namespace
}  // namespace tolvane::testing
