#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "merge/transitions.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr int Size = 16;

// Solid frames first, first + 1, ...: 1.. for the open animation, 101.. for
// the merged file.
Raster_Image Strip_Of(int frames, Colour first) {
  Raster_Image strip(frames * Size, Size);
  for (int i = 0; i < frames; ++i) {
    strip.Fill_Colour = first + Colour(i);
    strip.FillRect({i * Size, 0, (i + 1) * Size, Size});
  }
  return strip;
}

class Merge_Test : public Tolvane_Test {
 protected:
  TAdd_Trans& Dialog() { return *App.Add_Trans; }

  void Load(int frames) {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    Load_Strip(Strip_Of(frames, 1));
  }
  std::string Write(const Raster_Image& strip, const std::string& name = "merge.bmp") {
    Write_Bmp(Path(name), strip);
    return Path(name);
  }

  // Merges a file of `frames` frames: plain when kind is empty, else with
  // that transition name and overlap text.
  void Merge(int frames, const std::string& kind = "", const std::string& overlap = "") {
    P.Open_Answers.push_back(Write(Strip_Of(frames, 101)));
    P.Answers.push_back(kind.empty() ? id_No : id_Yes);
    if (!kind.empty())
      P.On_Modal<TAdd_Trans>([=](TAdd_Trans& f) {
        f.Trans_Type.Text = kind;
        f.overlap.Text = overlap;
        f.OkClick();
      });
    T().MergeFiles1Click();
  }

  bool Solid(int frame, Colour c) { return Frame_Is(T().Anim_Strip, Size, frame, c); }

  // Wipe Horizontal: B on the left d columns, A on the rest.
  bool Wiped(int frame, Colour a, Colour b, int d) {
    for (int y = 0; y < Size; ++y)
      for (int x = 0; x < Size; ++x)
        if (T().Anim_Strip.GetPixel(frame * Size + x, y) != (x < d ? b : a)) return false;
    return true;
  }
};

TEST_F(Merge_Test, PlainAppendPutsTheFileAfterTheLastFrame) {
  for (auto [f1, f2] : {std::pair{5, 3}, std::pair{1, 1}}) {
    Load(f1);
    T().SpeedButton12Click();
    P.Messages.clear();
    Merge(f2);
    ASSERT_EQ(T().Frame_Total, f1 + f2);
    for (int i = 0; i < f1 + f2; ++i)
      EXPECT_TRUE(Solid(i, i < f1 ? 1 + i : 101 + i - f1)) << "frame " << i;
    EXPECT_TRUE(T().Anim_Modified);
    EXPECT_EQ(T().Cur_Frame, f1 - 1) << "the frame does not move";
    EXPECT_EQ(T().Section_End, f1 + f2 - 1) << "a section over every frame follows";
    EXPECT_EQ(T().Check_Invariants(), "");
    EXPECT_EQ(P.Open_Seen.back().Title, "Merge...");
    ASSERT_EQ(P.Messages.size(), 1u);
    EXPECT_EQ(P.Messages[0].Text,
              "Do you wish to include a transition between the two animations (Be warned this "
              "is temperamental)?");
    EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Confirmation);
    EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_Yes | mb_No | mb_Cancel));
    EXPECT_TRUE(Dialog().Merge_Strip.Empty()) << "released at the end";
  }
}

// Escape on the question (the scripted user's answer when none is queued)
// merges nothing.
TEST_F(Merge_Test, EscapeOnTheQuestionCancelsTheMerge) {
  Load(5);
  P.Open_Answers.push_back(Write(Strip_Of(3, 101)));
  T().MergeFiles1Click();
  EXPECT_EQ(T().Frame_Total, 5);
  EXPECT_FALSE(T().Anim_Modified);
  EXPECT_TRUE(P.Modal_Seen.empty()) << "no transition dialog";
}

// A header promising 100,000 frames with no pixels behind it: the reader
// refuses it before allocating the picture.
std::string Huge_Header_File(const std::string& path) {
  unsigned char file[54] = {'B', 'M', 54, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40};
  const std::uint32_t width = 100000 * Size;
  for (int i = 0; i < 4; ++i) file[18 + i] = (width >> (8 * i)) & 0xFF;
  file[22] = Size;
  file[26] = 1;
  file[28] = 24;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file), 54);
  return path;
}

TEST_F(Merge_Test, RefusedFilesLeaveTheAnimationAlone) {
  Load(3);
  const Raster_Image before = T().Anim_Strip;
  std::ofstream(Path("junk.bmp")) << "this is no bitmap";
  const std::string warning =
      "This file does not contain valid animation frames. All frames must be 16x16";
  const struct {
    std::optional<std::string> path;  // nullopt: the file dialog is cancelled
    std::string warning, error;
  } cases[] = {
      {std::nullopt, "", ""},
      {Write(Raster_Image(50, 16), "ragged.bmp"), warning, ""},
      {Write(Raster_Image(64, 32), "big_frames.bmp"), warning, ""},
      {Write(Raster_Image(16, 8), "short.bmp"), warning, ""},
      {Path("missing.bmp"), "",
       "Cannot open file " + Path("missing.bmp") + ".\n\nmissing.bmp: no such file or directory."},
      {Path("junk.bmp"), "",
       "Bitmap image is not valid.\n\njunk.bmp: not a BMP, PNG or GIF picture."},
      {Huge_Header_File(Path("huge.bmp")), "",
       "Bitmap image is not valid.\n\nhuge.bmp: the file is far too short for 1600000 x 16 "
       "pixels."},
  };
  for (const auto& c : cases) {
    P.Messages.clear();
    P.Errors.clear();
    P.Open_Answers.push_back(c.path);
    T().MergeFiles1Click();
    const std::string file = c.path.value_or("(cancelled)");
    EXPECT_EQ(P.Message_Texts(),
              c.warning.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.warning})
        << file;
    if (!c.warning.empty()) {
      EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_OK));
    }
    EXPECT_EQ(P.Errors,
              c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error})
        << file;
    EXPECT_TRUE(Same_Pixels(T().Anim_Strip, before)) << file;
    EXPECT_FALSE(T().Anim_Modified);
    EXPECT_TRUE(P.Modal_Seen.empty());
    EXPECT_TRUE(Dialog().Merge_Strip.Empty());
  }
}

// Frames 0 .. F1-r-1 stay, F1-r .. F1-1 are made from the pairs (F1-r+s-1,
// s-1), and the merged file's frames r .. F2-1 follow.
TEST_F(Merge_Test, TransitionReplacesTheLastFramesAndAppendsTheRest) {
  const struct {
    int f1, f2, r;
    std::vector<int> wipe;  // d = Round(16 / r x s)
  } cases[] = {{10, 8, 3, {5, 11, 16}}, {3, 5, 3, {5, 11, 16}}, {4, 2, 2, {8, 16}}};
  for (const auto& c : cases) {
    Load(c.f1);
    Merge(c.f2, "Wipe Horizontal", std::to_string(c.r));
    ASSERT_EQ(T().Frame_Total, c.f1 + c.f2 - c.r);
    for (int i = 0; i < c.f1 - c.r; ++i) EXPECT_TRUE(Solid(i, 1 + i)) << "frame " << i;
    for (int s = 1; s <= c.r; ++s) {
      const int i = c.f1 - c.r + s - 1;
      EXPECT_TRUE(Wiped(i, 1 + i, 101 + s - 1, c.wipe[s - 1])) << "frame " << i;
    }
    for (int i = c.f1; i < T().Frame_Total; ++i)
      EXPECT_TRUE(Solid(i, 101 + c.r + i - c.f1)) << "frame " << i;
    EXPECT_TRUE(T().Anim_Modified);
    EXPECT_EQ(T().Check_Invariants(), "");
  }
}

// After Import PCX listed PCX files first, Merge Files opens on every picture
// again, PNG strips among them.
TEST_F(Merge_Test, TheOpenDialogStartsOnAllPictures) {
  Load(2);
  T().ImportPCX1Click();  // cancelled in its open dialog
  ASSERT_EQ(P.Open_Seen.back().Filter_Index, 2);
  Merge(1);
  EXPECT_EQ(P.Open_Seen.back().Filter, Open_Filter);
  EXPECT_EQ(P.Open_Seen.back().Filter_Index, 1);
}

// The overlap field shows the value that will be used: 5 brought into range
// when the dialog opens, and whatever was typed once Ok takes it.
TEST_F(Merge_Test, TheDialogShowsTheCountsAndBringsTheOverlapIntoRange) {
  const struct {
    int f1, f2;
    const char* typed;  // nullptr: the dialog's own value
    int used;
  } cases[] = {{2, 7, nullptr, 2}, {10, 8, nullptr, 5}, {10, 8, "99", 8}, {10, 8, "0", 1},
               {10, 8, "abc", 1},  {3, 1, nullptr, 1},  {4, 4, "-3", 1},  {6, 9, "6", 6}};
  for (const auto& c : cases) {
    Load(c.f1);
    std::vector<std::string> shown;
    P.Open_Answers.push_back(Write(Strip_Of(c.f2, 101)));
    P.Answers.push_back(id_Yes);
    P.On_Modal<TAdd_Trans>([&](TAdd_Trans& f) {
      shown = {f.Label4.Caption, f.Label5.Caption, f.Trans_Type.Text, f.overlap.Text};
      EXPECT_EQ(f.overlap.Max, std::min(c.f1, c.f2));
      if (c.typed) f.overlap.Text = c.typed;
      f.OkClick();
      shown.push_back(f.overlap.Text);
    });
    T().MergeFiles1Click();
    const std::string opened = std::to_string(std::min({5, c.f1, c.f2}));
    EXPECT_EQ(shown, (std::vector<std::string>{std::to_string(c.f1) + " Frames",
                                               std::to_string(c.f2) + " Frames", "Merge", opened,
                                               std::to_string(c.used)}));
    EXPECT_EQ(T().Frame_Total, c.f1 + c.f2 - c.used) << c.f1 << " + " << c.f2;
  }
}

TEST_F(Merge_Test, TransitionNamesMatchInAnyCase) {
  Load(2);
  Merge(2, "slide vertical", "1");
  EXPECT_EQ(Dialog().Trans_Kind, tk_Slide_Vertical);
  // d = Round(16 / 2 x 1) = 8: A's lower half over B's upper half.
  for (int y = 0; y < Size; ++y) EXPECT_EQ(T().Anim_Strip.GetPixel(Size + 3, y), y < 8 ? 2u : 101u);
}

TEST_F(Merge_Test, AnUnknownNameKeepsTheDialogOpenAndCostsNoFrame) {
  for (const char* then : {static_cast<const char*>(nullptr), "Centre Out"}) {
    Load(4);
    const Raster_Image before = T().Anim_Strip;
    P.Messages.clear();
    P.Open_Answers.push_back(Write(Strip_Of(2, 101)));
    P.Answers.push_back(id_Yes);
    P.On_Modal<TAdd_Trans>([&](TAdd_Trans& f) {
      f.Trans_Type.Text = "Slide Sideways";
      f.OkClick();
      EXPECT_TRUE(f.Visible && f.Modal_Result == mr_None && !f.Trans_Accepted);
      EXPECT_TRUE(Same_Pixels(T().Anim_Strip, before));
      f.Trans_Type.Text = then ? then : "";
      then ? f.OkClick() : f.CancelClick();
    });
    T().MergeFiles1Click();
    ASSERT_EQ(P.Messages.size(), 2u);
    EXPECT_EQ(P.Messages[1].Kind, Msg_Kind::Warning);
    EXPECT_EQ(P.Messages[1].Text,
              "\"Slide Sideways\" is not a transition. Choose one of these:\nCollapse\nCentre "
              "Out\nMerge\nSlide Horizontal\nSlide Vertical\nSplit Horizontal\nSplit "
              "Vertical\nSqueeze Horizontal\nSqueeze Vertical\nWipe Horizontal\nWipe Vertical");
    EXPECT_EQ(T().Frame_Total, then ? 4 + 2 - 2 : 4);
    EXPECT_EQ(Same_Pixels(T().Anim_Strip, before), !then);
    EXPECT_EQ(T().Anim_Modified, then != nullptr);
  }
}

// The merge starts from the frames as the user sees them, and a cancelled
// transition still keeps the drawing stored. The undo copy belongs to a
// picture from before the merge, so a merge that ran disables Undo.
TEST_F(Merge_Test, DrawingIsKeptAndAMergeDisablesUndo) {
  const struct {
    const char* kind;  // "": plain; nullptr: the transition dialog is cancelled
    int frames;
    Colour dot;  // the drawn pixel afterwards
    bool undo;
  } cases[] = {{"", 4, 0x000000, false},
               {nullptr, 2, 0x000000, true},
               // Cross-fade of black with 101 at t = 0.5: Round(50.5) = 50.
               {"Merge", 3, 50, false}};
  for (const auto& c : cases) {
    Load(2);
    T().Next_FrameClick();
    T().Set_Tool(Tool_Pencil);
    const int z = T().View.Factor();
    T().ZoomMouseDown(Mouse_Button::Left, ss_None, 3 * z, 4 * z);
    T().ZoomMouseUp(Mouse_Button::Left, ss_None, 3 * z, 4 * z);
    ASSERT_TRUE(T().Undo_Available);
    if (c.kind) {
      Merge(2, c.kind, "1");
    } else {
      P.Open_Answers.push_back(Write(Strip_Of(2, 101)));
      P.Answers.push_back(id_Yes);
      P.On_Modal<TAdd_Trans>([](TAdd_Trans& f) { f.CancelClick(); });
      T().MergeFiles1Click();
    }
    const std::string way = c.kind ? c.kind : "cancelled";
    EXPECT_EQ(T().Frame_Total, c.frames) << way;
    EXPECT_EQ(T().Anim_Strip.GetPixel(Size + 3, 4), c.dot) << way;
    EXPECT_EQ(T().Working_Frame.GetPixel(3, 4), c.dot) << way;
    EXPECT_EQ(T().Undo_Available, c.undo) << way;
  }
  // Beside the dot the frame's own colour 2 fades with 101 to Round(51.5) = 52.
  EXPECT_EQ(T().Anim_Strip.GetPixel(Size + 5, 5), 52u);
}

TEST_F(Merge_Test, TheProgressPanelCountsTheSteps) {
  Load(6);
  std::vector<std::string> seen;
  P.On_Pump = [&] {
    seen.push_back(T().Controls.Progress_Caption.Caption + " " + T().Controls.Progress.Caption +
                   " " + std::to_string(T().Controls.Prog_Bar.Position) + "/" +
                   std::to_string(T().Controls.Prog_Bar.Max));
    EXPECT_GE(T().Controls.Progress_Panel.B.Left, 0);
    EXPECT_EQ(P.Wait_Cursor_On, 1);
  };
  Merge(4, "Squeeze Vertical", "4");
  EXPECT_EQ(seen, (std::vector<std::string>{"Merging Animations... Frame 1 of 4... 1/4",
                                            "Merging Animations... Frame 2 of 4... 2/4",
                                            "Merging Animations... Frame 3 of 4... 3/4",
                                            "Merging Animations... Frame 4 of 4... 4/4"}));
  EXPECT_LT(T().Controls.Progress_Panel.B.Left, 0);
  EXPECT_EQ(P.Wait_Cursor_On, 0);
  EXPECT_EQ(T().Frame_Total, 6);
}

}  // namespace
}  // namespace tolvane::testing
