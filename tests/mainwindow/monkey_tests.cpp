#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

// Random commands on the headless main window, with the user's answers
// scripted at random too. After every step the editing state must hold its
// invariants, and a file that Save reports written must hold what the
// window showed. A failure names the seed and the step to replay.
class Monkey : public Tolvane_Test, public ::testing::WithParamInterface<unsigned> {
 protected:
  std::mt19937 rng;
  std::vector<int> History;  // command numbers, for the failure message
  std::string Recent() const {
    std::string out;
    for (std::size_t i = History.size() > 8 ? History.size() - 8 : 0; i < History.size(); ++i)
      out += " " + std::to_string(History[i]);
    return out;
  }
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  bool Coin() { return Pick(0, 1) == 1; }

  int Answer() {
    static constexpr int answers[] = {id_Yes, id_No, id_Cancel, id_OK};
    return answers[Pick(0, 3)];
  }

  // A point in the zoom view, sometimes outside it.
  int View_Point() { return Pick(-20, 160); }

  void Draw() {
    TTolvane& t = T();
    t.Tool_Button(Pick(1, 8)).Down = true;
    switch (Pick(1, 8)) {
      case 1:
        t.Tool1Click();
        break;
      case 2:
        t.Tool2Click();
        break;
      case 3:
        t.Tool3Click();
        break;
      case 4:
        t.Tool4Click();
        break;
      case 5:
        t.Tool5Click();
        break;
      case 6:
        t.Tool6Click();
        break;
      case 7:
        t.Tool7Click();
        break;
      case 8:
        t.Tool8Click();
        break;
    }
    const Mouse_Button b = Pick(0, 4) == 0 ? Mouse_Button::Right : Mouse_Button::Left;
    const unsigned shift = Pick(0, 9) == 0 ? ss_Ctrl : ss_None;
    t.ZoomMouseDown(b, shift, View_Point(), View_Point());
    for (int i = Pick(0, 4); i > 0; --i) t.ZoomMouseMove(shift, View_Point(), View_Point());
    t.ZoomMouseUp(b, shift, View_Point(), View_Point());
  }

  void Resize() {
    const int size = Pick(4, 40);
    const int method = Pick(0, 1);
    const bool ok = Pick(0, 3) != 0;
    P.On_Modal<TFrame_Size_Form>([=](TFrame_Size_Form& f) {
      f.New_Size.Select(4);
      f.SpinEdit1.Text = std::to_string(size);
      f.Adjust_Method.Select(method);
      if (ok)
        f.OkClick();
      else
        f.CancelClick();
    });
    T().Resize1Click();
  }

  void Timing() {
    const int ms = Coin() ? Pick(10, 400) : 0;
    const int where = Pick(0, 1);
    P.On_Modal<TFrame_Timing_Form>([=](TFrame_Timing_Form& f) {
      f.Timing.Select(ms ? 1 : 0);
      f.Duration.Text = std::to_string(ms);
      f.Applies_To.Select(where);
      f.OkClick();
    });
    T().FrameTiming1Click();
  }

  void New() {
    const int size = Pick(4, 24);
    P.On_Modal<TFrame_Size_Form>([=](TFrame_Size_Form& f) {
      f.New_Size.Select(4);
      f.SpinEdit1.Text = std::to_string(size);
      f.OkClick();
    });
    T().New1Click();
  }

  void Save() {
    TTolvane& t = T();
    P.Save_Answers.push_back(Path("monkey.bmp"));
    if (Coin())
      t.Save1Click();
    else
      t.SaveAs1Click();
    if (t.Document_Open() && !t.Anim_Modified && t.Anim_File_Name == Path("monkey.bmp")) {
      const Raster_Image saved = Read_Bmp(Path("monkey.bmp"));
      ASSERT_TRUE(Same_Pixels(saved, t.Anim_Strip)) << "the file holds other pixels than shown";
    }
  }

  void Load() {
    if (std::filesystem::exists(Path("monkey.bmp"))) P.Open_Answers.push_back(Path("monkey.bmp"));
    T().Load1Click();
  }

  // The document where its history begins, the working frame in its strip.
  Raster_Image Opened;
  int Opened_Size = 0, Opened_Total = 0;
  // Stepping back all the way gives the document as opened, and forward as
  // many steps the document as it was.
  void Through_History() {
    TTolvane& t = T();
    const Raster_Image now = Document_Strip();
    const int steps = t.Anim_History.Cursor();
    while (t.Anim_History.Can_Back()) t.StepBackward1Click();
    ASSERT_TRUE(t.Frame_Size == Opened_Size && t.Frame_Total == Opened_Total &&
                Same_Pixels(Document_Strip(), Opened))
        << "stepped back all the way";
    for (int i = 0; i < steps; ++i) t.StepForward1Click();
    ASSERT_TRUE(Same_Pixels(Document_Strip(), now)) << "stepped forward again";
  }

  // A drag on the floating selection's grab area, when one is shown.
  void Drag_Selection() {
    TTolvane& t = T();
    if (!t.Selection.Shown()) return;
    t.Select_ImageMouseDown(Mouse_Button::Left, ss_None, Pick(0, 8), Pick(0, 8));
    for (int i = Pick(0, 3); i > 0; --i)
      t.Select_ImageMouseMove(ss_None, Pick(-90, 90), Pick(-90, 90));
    t.Select_ImageMouseUp(Mouse_Button::Left, ss_None, Pick(-90, 90), Pick(-90, 90));
  }

  void Clipboard() {
    TTolvane& t = T();
    if (Pick(0, 3) == 0)
      P.Clipboard = Raster_Image(Pick(1, 40), Pick(1, 40), Colour(Pick(0, 0xFFFFFF)));
    switch (Pick(0, 4)) {
      case 0:
        t.Copy2Click();
        break;
      case 1:
        t.Cut1Click();
        break;
      case 2:
        t.Paste2Click();
        break;
      case 3:
        t.CopyToClipboard1Click();
        break;
      case 4:
        t.PasteFromClipboard1Click();
        break;
    }
  }

  void Effect() {
    TTolvane& t = T();
    const int level = Pick(-400, 400), frames = Pick(-2, 12);
    const bool insert = Coin(), reverse = Coin(), vertical = Coin(), ok = Pick(0, 4) != 0;
    P.On_Modal<TEffects_Param_Form>([=](TEffects_Param_Form& f) {
      f.Level_Bar.Set_Position(level);
      f.Add_New.Set_Checked(insert);
      f.Reverse.Set_Checked(reverse);
      f.Vertical_Effect.Set_Checked(vertical);
      f.No_Frames.Text = std::to_string(frames);
      ok ? f.OkClick() : f.CancelClick();
    });
    const Menu_Item* items[] = {&t.Controls.Brightness1, &t.Controls.Rotate1, &t.Controls.Squash1,
                                &t.Controls.Spin1};
    t.Brightness1Click(*items[Pick(0, 3)]);
  }

  void Merge() {
    if (!std::filesystem::exists(Path("monkey.bmp"))) return;
    static const char* names[] = {"Merge",      "slide vertical", "Wipe Horizontal",
                                  "Centre Out", "Collapse",       "no such kind"};
    const std::string name = names[Pick(0, 5)];
    const int overlap = Pick(-1, 12);
    P.Open_Answers.push_back(Path("monkey.bmp"));
    P.Answers = {Coin() ? id_Yes : id_No, id_OK};
    P.On_Modal<TAdd_Trans>([=](TAdd_Trans& f) {
      f.Trans_Type.Text = name;
      f.overlap.Text = std::to_string(overlap);
      f.OkClick();
      if (f.Modal_Result == mr_None) f.CancelClick();  // the name was refused
    });
    T().MergeFiles1Click();
  }

  void Import() {
    if (!std::filesystem::exists(Path("sheet.bmp")))
      Write_Bmp(Path("sheet.bmp"), Solid_Strip({0x102030, 0x405060, 0x708090}, 21));
    const int w = Pick(-5, 70), h = Pick(-5, 70), d = Pick(-5, 40), type = Pick(0, 3);
    const bool all_rows = Coin();
    P.Open_Answers.push_back(Path("sheet.bmp"));
    P.On_Modal<TFrame_Extract>([=](TFrame_Extract& f) {
      f.Field_Set(f.Frame_W, w);
      f.Field_Set(f.Frame_H, h);
      f.Field_Set(f.dest_fs, d);
      f.Adjust_Type.Select(type);
      f.Lines.Select(all_rows ? 1 : 0);
      f.OkClick();
      if (f.Modal_Result == mr_None) f.CancelClick();  // the run was refused
    });
    T().Import1Click();
  }

  void View_Aid() { Coin() ? T().OnionSkin1Click() : T().PixelGrid1Click(); }

  // Exporting leaves the document, its name and its flags as they were.
  void Export_Gif() {
    TTolvane& t = T();
    const bool modified = t.Anim_Modified;
    const std::string name = t.Anim_File_Name;
    P.Save_Answers.push_back(Path("monkey.gif"));
    t.ExportGIF1Click();
    ASSERT_EQ(t.Anim_Modified, modified);
    ASSERT_EQ(t.Anim_File_Name, name);
  }

  void Step() {
    TTolvane& t = T();
    P.Answers = {Answer(), Answer(), Answer()};
    if (Pick(0, 3) == 0) t.Tool6Click();  // the select tool, so that bands lift selections
    int command = Pick(0, 33);
    // Keep the strip small enough for thousands of steps: past 40 frames,
    // commands that add frames delete one instead.
    if (t.Frame_Total > 40 && (command == 9 || command == 10 || command >= 29)) command = 11;
    History.push_back(command);
    switch (command) {
      case 0:
      case 1:
      case 2:
      case 3:
      case 4:
      case 5:
        Draw();
        break;
      case 6:
        t.Next_FrameClick();
        break;
      case 7:
        t.Prev_FrameClick();
        break;
      case 8:
        Coin() ? t.SpeedButton2Click() : t.SpeedButton12Click();
        break;
      case 9:
        t.Add1Click();
        break;
      case 10:
        t.Insert1Click();
        break;
      case 11:
        t.Delete1Click();
        break;
      case 12:
        t.Clear1Click();
        break;
      case 13:
        Coin() ? t.Copy1Click() : t.Paste1Click();
        break;
      case 14:
        Resize();
        break;
      case 15:
        t.Undo1Click();
        break;
      case 16:
        switch (Pick(0, 5)) {
          case 0:
            t.Nudge1Click();
            break;
          case 1:
            t.Nudge2Click();
            break;
          case 2:
            t.Nudge3Click();
            break;
          case 3:
            t.Nudge4Click();
            break;
          case 4:
            t.FlipHorizontal1Click();
            break;
          case 5:
            t.FlipVertical1Click();
            break;
        }
        break;
      case 17:
        Coin() ? t.Zoom_InClick() : t.Zoom_OutClick();
        break;
      case 18:
        if (t.Opened && !t.Player.Playing() && Coin()) t.PlayClick();
        for (int i = Pick(0, 5); i > 0; --i)
          if (t.Player.Playing()) t.Anim_TimerTimer();
        if (Pick(0, 3) == 0 && t.Player.Playing()) t.StopClick();
        break;
      case 19:
        switch (Pick(0, 2)) {
          case 0:
            t.MarkFrameAsStartOfSection1Click();
            break;
          case 1:
            t.MarkFrameAsEndOfSection1Click();
            break;
          case 2:
            t.ResetMarks1Click();
            break;
        }
        break;
      case 20:
        Save();
        break;
      case 21:
        Load();
        break;
      case 22:
        if (Pick(0, 3) == 0) New();
        break;
      case 23:
        t.Controls.ZH.Set_Position(Pick(0, 40));
        t.Controls.ZV.Set_Position(Pick(0, 40));
        break;
      case 24:
        Coin() ? t.Controls.Play_Speed.Set_Position(Pick(1, 30)) : Timing();
        break;
      case 25:
      case 26:
        Drag_Selection();
        break;
      case 27:
      case 28:
        Clipboard();
        break;
      case 29:
        Effect();
        break;
      case 30:
        Merge();
        break;
      case 31:
        Coin() ? View_Aid() : Export_Gif();
        break;
      case 32:
        Coin() ? t.StepBackward1Click() : t.StepForward1Click();
        break;
      case 33:
        if (Pick(0, 3) == 0) Through_History();
        break;
    }
    if (t.Document_Open() && t.Anim_History.Steps() == 0) {
      Opened = Document_Strip();
      Opened_Size = t.Frame_Size;
      Opened_Total = t.Frame_Total;
    }
    // Leftover answers must not leak into the next command.
    P.Answers.clear();
    P.Open_Answers.clear();
    P.Save_Answers.clear();
    P.Modal_Scripts.clear();
  }

  void Run(unsigned seed, int steps) {
    rng.seed(seed);
    New();
    int open_steps = 0, max_frames = 0;
    for (int i = 0; i < steps; ++i) {
      Step();
      open_steps += T().Document_Open();
      max_frames = std::max(max_frames, T().Frame_Total);
      if (HasFatalFailure()) {
        ADD_FAILURE() << "seed " << seed << ", step " << i << ", last commands" << Recent();
        return;
      }
      if (T().Document_Open()) {
        const std::string wrong = T().Check_Invariants();
        ASSERT_EQ(wrong, "") << "seed " << seed << ", step " << i << ", last commands" << Recent();
      }
    }
    // The run did exercise an open, growing document.
    EXPECT_GT(open_steps, steps / 2);
    EXPECT_GT(max_frames, 5);
  }
};

// Five seeds of 2,000 steps each: 10,000 commands, each seed from a fresh start.
TEST_P(Monkey, RandomCommandsKeepTheDocumentWhole) { Run(GetParam(), 2000); }

INSTANTIATE_TEST_SUITE_P(Seeds, Monkey, ::testing::Values(1u, 2u, 3u, 4u, 5u));

}  // namespace
}  // namespace tolvane::testing
