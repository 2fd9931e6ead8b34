#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr Colour Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000;

class History_Test : public Tolvane_Test {
 protected:
  // What a step must bring back: the strip, the counts and the modified flag.
  struct State {
    Raster_Image strip;
    int size, total, current;
    bool modified;
    bool operator==(const State& o) const {
      return Same_Pixels(strip, o.strip) && size == o.size && total == o.total &&
             current == o.current && modified == o.modified;
    }
  };
  State Now() {
    const TTolvane& t = T();
    return {Document_Strip(), t.Frame_Size, t.Frame_Total, t.Cur_Frame, t.Anim_Modified};
  }
  void Stroke(int x1, int y1, int x2, int y2) {
    T().ZoomMouseDown(Mouse_Button::Left, ss_None, x1, y1);
    T().ZoomMouseMove(ss_None, x2, y2);
    T().ZoomMouseUp(Mouse_Button::Left, ss_None, x2, y2);
  }
  void Effect(const Menu_Item& item, bool insert) {
    P.On_Modal<TEffects_Param_Form>([insert](TEffects_Param_Form& f) {
      f.Level_Bar.Set_Position(120);
      f.Add_New.Set_Checked(insert);
      f.No_Frames.Text = "3";
      f.OkClick();
    });
    T().Brightness1Click(item);
  }
  void Merge(const std::string& kind) {
    P.Open_Answers = {Path("merge.bmp")};
    P.Answers = {kind.empty() ? id_No : id_Yes};
    if (!kind.empty())
      P.On_Modal<TAdd_Trans>([kind](TAdd_Trans& f) {
        f.Trans_Type.Text = kind;
        f.overlap.Text = "1";
        f.OkClick();
      });
    T().MergeFiles1Click();
  }
  // The sheet through the retrieval dialog, cut into 16-pixel cells and
  // made frames of `size`.
  void Retrieve(void (TTolvane::*command)(), int size) {
    P.Open_Answers = {Path("sheet.bmp")};
    P.Answers = {id_No, id_Yes};  // not saving; retrieving from a sheet
    P.On_Modal<TFrame_Extract>([size](TFrame_Extract& f) {
      f.Field_Set(f.Frame_W, 16);
      f.Field_Set(f.Frame_H, 16);
      f.Field_Set(f.dest_fs, size);
      f.OkClick();
    });
    (T().*command)();
  }
};

// Every kind of command in turn on one document, each one step named for
// it; stepping back gives each state before, stepping forward each after.
TEST_F(History_Test, EachCommandStepsBackAndForward) {
  TTolvane& t = T();
  Write_Bmp(Path("merge.bmp"), Solid_Strip({Green, Red}, 16));
  Raster_Image sheet = Solid_Strip({Blue, Green}, 16);
  sheet.Set_Size(40, 17);
  Write_Bmp(Path("sheet.bmp"), sheet);
  Load_Strip(Solid_Strip({Red, Green, Blue}, 16));
  const struct {
    const char* step;
    std::function<void()> run;
    std::function<void()> before = [] {};  // navigation, not a step
  } commands[] = {
      {"Pencil", [&] { t.Tool1Click(), Stroke(10, 10, 60, 30); }},
      {"Move Selection",
       [&] {
         t.Tool6Click(), Stroke(0, 0, 50, 50);
         t.Select_ImageMouseDown(Mouse_Button::Left, ss_None, 2, 2);
         t.Select_ImageMouseMove(ss_None, 34, 18);
         t.Select_ImageMouseUp(Mouse_Button::Left, ss_None, 34, 18);
       }},
      {"Nudge Left", [&] { t.Nudge1Click(); }},
      {"Flip Vertical", [&] { t.FlipVertical1Click(); }},
      {"Undo", [&] { t.Undo1Click(); }},
      {"Clear", [&] { t.Clear1Click(); }},
      {"Paste (From Buffer)", [&] { t.Paste1Click(); }, [&] { t.Next_FrameClick(); }},
      {"Paste (From Clipboard)",
       [&] { P.Clipboard = Raster_Image(16, 16, Blue), t.PasteFromClipboard1Click(); }},
      {"Cut", [&] { t.Tool6Click(), Stroke(0, 0, 40, 40), t.Cut1Click(); }},
      {"Add", [&] { t.Add1Click(); }},
      {"Insert", [&] { t.Insert1Click(); }},
      {"Delete", [&] { P.Answers = {id_Yes}, t.Delete1Click(); }},
      {"Brightness", [&] { Effect(t.Controls.Brightness1, false); },
       [&] { t.SpeedButton2Click(); }},
      {"Rotate", [&] { Effect(t.Controls.Rotate1, true); }},
      {"Merge Files", [&] { Merge(""); }},
      {"Merge Files", [&] { Merge("Wipe Horizontal"); }},
      {"Resize",
       [&] {
         P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) {
           f.New_Size.Select(1);  // 32
           f.Adjust_Method.Select(1);
           f.OkClick();
         });
         t.Resize1Click();
       }},
      {"Import Frames", [&] { Retrieve(&TTolvane::Import1Click, 16); }},
      {"Import PCX", [&] { Retrieve(&TTolvane::ImportPCX1Click, 24); }},
      {"Frame Retrieval", [&] { Retrieve(&TTolvane::Load1Click, 20); }},
  };
  std::vector<State> before, after;
  for (const auto& c : commands) {
    c.before();
    before.push_back(Now());
    c.run();
    ASSERT_EQ(t.Anim_History.Back_Name(), c.step);
    after.push_back(Now());
    ASSERT_FALSE(after.back() == before.back()) << c.step << " changed nothing";
  }
  ASSERT_FALSE(before[0].modified);
  before[0].modified = true;  // the retrievals left the document without its file
  for (std::size_t i = std::size(commands); i-- > 0;) {
    EXPECT_TRUE(t.Anim_History.Can_Back());
    t.StepBackward1Click();
    EXPECT_TRUE(Now() == before[i]) << "back over " << commands[i].step;
    EXPECT_FALSE(t.Undo_Available);
  }
  EXPECT_FALSE(t.Anim_History.Can_Back());
  for (std::size_t i = 0; i < std::size(commands); ++i) {
    t.StepForward1Click();
    EXPECT_TRUE(Now() == after[i]) << "forward over " << commands[i].step;
    EXPECT_EQ(t.Check_Invariants(), "");
  }
  EXPECT_FALSE(t.Anim_History.Can_Forward());
  // Saved, stepped back and forward to the saved step: unmodified, the same.
  const Raster_Image saved = Saved_Strip("saved.bmp");
  t.StepBackward1Click();
  EXPECT_TRUE(t.Anim_Modified);
  t.StepForward1Click();
  EXPECT_FALSE(t.Anim_Modified);
  EXPECT_TRUE(Same_Pixels(Saved_Strip("again.bmp"), saved));
}

}  // namespace
}  // namespace tolvane::testing
