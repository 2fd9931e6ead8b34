#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "mainwindow/commands.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr int Size = 16;
constexpr Colour Frame_Colours[] = {0x101010, 0x202020, 0x303030, 0x404040, 0x505050};

// What a command can change, seen from outside.
struct Facts {
  int frame, total, start, end, tool, factor;
  bool playing, undo, buffer;
  Colour first, second, shown, marker;
  bool clip, modified, closed;
  std::string name;
  std::string told;  // the last document or message shown
};

Facts Facts_Of(const TTolvane& t, const Fake_Platform& p) {
  int marker = 0;  // where the black pixel of the frame lies, y * Size + x
  for (int i = 0; i < Size * Size; ++i)
    if (t.Working_Frame.GetPixel(i % Size, i / Size) == 0) marker = i;
  return {t.Cur_Frame,
          t.Frame_Total,
          t.Section_Start,
          t.Section_End,
          t.Cur_Tool,
          t.View.Factor(),
          t.Player.Playing(),
          t.Undo_Available,
          t.Buffer_Filled,
          t.Selected_Colour1,
          t.Selected_Colour2,
          t.Working_Frame.GetPixel(0, 0),
          Colour(marker),
          p.Clipboard.has_value(),
          t.Anim_Modified,
          t.Closed,
          std::filesystem::path(t.Anim_File_Name).filename().string(),
          !p.Documents.empty()  ? p.Documents.back().Title
          : !p.Messages.empty() ? p.Messages.back().Text
                                : ""};
}

using Check = std::function<bool(const Facts& before, const Facts& after)>;
using Prepare = std::function<void(TTolvane&)>;

struct Key_Case {
  const char* key;
  Check done;
  Prepare setup = nullptr;
};

void Copy_Frame_Zero(TTolvane& t) {
  t.SpeedButton2Click();
  t.Copy1Click();
  t.Next_FrameClick();
  t.Next_FrameClick();
}

void Add_And_Step_Back(TTolvane& t) {
  t.Add1Click();
  t.StepBackward1Click();
}

// Five frames of distinct colours with a black marker pixel, frame 2 current,
// every key of the table pressed once from there: each must do its own
// command's work, so two handlers swapped in the table fail here.
TEST_F(Tolvane_Test, EveryKeyRunsItsOwnCommand) {
  const auto tool = [](int n) { return [n](const Facts&, const Facts& a) { return a.tool == n; }; };
  const auto marker = [](int x, int y) {
    return [x, y](const Facts&, const Facts& a) { return a.marker == Colour(y * Size + x); };
  };
  const Prepare other_tool = [](TTolvane& t) { t.Tool3Click(); };
  // Grey lies between white and silver in the default palette.
  const Prepare From_Grey = [](TTolvane& t) { t.Selected_Colour1 = 0x808080; };
  const std::vector<Key_Case> cases = {
      {"Home", [](auto&, auto& a) { return a.frame == 0; }},
      {"Left", [](auto&, auto& a) { return a.frame == 1; }},
      {"Right", [](auto&, auto& a) { return a.frame == 3; }},
      {"End", [](auto&, auto& a) { return a.frame == 4; }},
      {"Space", [](auto&, auto& a) { return a.playing; }},
      {"Ctrl+S", [](auto&, auto& a) { return a.start == 2 && a.end == 4; }},
      {"Ctrl+E", [](auto&, auto& a) { return a.start == 0 && a.end == 2; }},
      {"Ctrl+R", [](auto& b, auto& a) { return b.start == 2 && a.start == 0 && a.end == 4; },
       [](TTolvane& t) { t.MarkFrameAsStartOfSection1Click(); }},
      {"Ctrl+A", [](auto&, auto& a) { return a.total == 6 && a.shown == Frame_Colours[2]; }},
      {"Ctrl+I", [](auto&, auto& a) { return a.total == 6 && a.shown == a.second; }},
      {"Del", [](auto&, auto& a) { return a.total == 4 && a.shown == Frame_Colours[3]; }},
      {"Shift+Ins", [](auto& b, auto& a) { return !b.buffer && a.buffer; }},
      {"Ins", [](auto&, auto& a) { return a.shown == Frame_Colours[0]; }, Copy_Frame_Zero},
      {"Ctrl+U", [](auto& b, auto& a) { return b.undo && !a.undo && a.shown == Frame_Colours[2]; },
       [](TTolvane& t) { t.Clear1Click(); }},
      {"Ctrl+Z", [](auto& b, auto& a) { return b.total == 6 && a.total == 5; },
       [](TTolvane& t) { t.Add1Click(); }},
      {"Ctrl+Shift+Z", [](auto& b, auto& a) { return b.total == 5 && a.total == 6; },
       Add_And_Step_Back},
      {"Ctrl+Y", [](auto& b, auto& a) { return b.total == 5 && a.total == 6; }, Add_And_Step_Back},
      {"P", tool(Tool_Pencil), other_tool},
      {"R", tool(Tool_Filled_Rect)},
      {"O", tool(Tool_Outline_Rect)},
      {"L", tool(Tool_Line)},
      {"F", tool(Tool_Fill)},
      {"S", tool(Tool_Select)},
      {"E", tool(Tool_Filled_Ellipse)},
      {"Y", tool(Tool_Syringe)},
      {"X", [](auto& b, auto& a) { return a.first == b.second && a.second == b.first; }},
      {"Ctrl++", [](auto& b, auto& a) { return a.factor > b.factor; }},
      {"Ctrl+=", [](auto& b, auto& a) { return a.factor > b.factor; }},
      {"Ctrl+-", [](auto& b, auto& a) { return a.factor < b.factor; }},
      {"Ctrl+0", [](auto&, auto& a) { return a.factor == 128 / Size; },
       [](TTolvane& t) { t.Zoom_OutClick(); }},
      {"[", [](auto&, auto& a) { return a.first == 0xFFFFFFu; }, From_Grey},
      {"]", [](auto&, auto& a) { return a.first == 0xC0C0C0u; }, From_Grey},
      {"Shift+Left", marker(2, 5)},
      {"Shift+Right", marker(4, 5)},
      {"Shift+Up", marker(3, 4)},
      {"Shift+Down", marker(3, 6)},
      {"Ctrl+C", [](auto&, auto& a) { return a.clip && a.shown == Frame_Colours[2]; }},
      {"Ctrl+X", [](auto&, auto& a) { return a.clip && a.shown == a.second; }},
      {"Ctrl+V", [](auto&, auto& a) { return a.tool == Tool_Select; },
       [this](TTolvane&) { P.Clipboard = Raster_Image(4, 4, 0x00FF00); }},
      {"F1", [](auto&, auto& a) { return a.told.find("uide") != std::string::npos; }},
      {"Ctrl+O", [](auto&, auto& a) { return a.total == 2 && a.name == "two.bmp"; },
       [this](TTolvane&) {
         Write_Bmp(Path("two.bmp"), Raster_Image(2 * Size, Size));
         P.Open_Answers = {Path("two.bmp")};
       }},
      {"F2", [](auto& b, auto& a) { return b.modified && !a.modified; },
       [](TTolvane& t) { t.Clear1Click(); }},
      {"Ctrl+Shift+S", [](auto&, auto& a) { return a.name == "as.bmp"; },
       [this](TTolvane&) { P.Save_Answers = {Path("as.bmp")}; }},
      {"Ctrl+N", [](auto&, auto& a) { return a.total == 1 && a.name == New_Anim_Name; },
       [this](TTolvane&) {
         P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) { f.OkClick(); });
       }},
      {"Ctrl+Q", [](auto& b, auto& a) { return !b.closed && a.closed; }},
  };
  std::set<std::string> tested;
  for (const Key_Case& c : cases) {
    SCOPED_TRACE(c.key);
    tested.insert(c.key);
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    Raster_Image strip = Solid_Strip(
        {Frame_Colours[0], Frame_Colours[1], Frame_Colours[2], Frame_Colours[3], Frame_Colours[4]},
        Size);
    for (int i = 0; i < 5; ++i) strip.SetPixel(i * Size + 3, 5, 0);
    Load_Strip(strip);
    T().Next_FrameClick();
    T().Next_FrameClick();
    P.Clipboard.reset();
    if (c.setup) c.setup(T());
    const Facts before = Facts_Of(T(), P);
    P.Answers.push_back(id_Yes);  // Delete's question
    EXPECT_TRUE(Press_Key(T(), c.key));
    P.Answers.clear();
    EXPECT_TRUE(c.done(before, Facts_Of(T(), P)));
    if (T().Player.Playing()) T().StopClick();
  }
  for (const Command& c : Commands())
    for (const char* key : {c.Shortcut, c.Alt_Shortcut})
      if (*key) {
        EXPECT_TRUE(tested.contains(key)) << "untested key " << key;
      }
}

// Each command's item follows its rule through states that turn every rule
// on and off, and a key does nothing while its item is disabled.
TEST_F(Tolvane_Test, EveryItemIsEnabledByItsRule) {
  using R = Enable_Rule;
  struct State {
    Prepare reach;
    std::set<R> on;
  };
  const std::vector<State> states = {
      {[](TTolvane&) {}, {R::Always}},
      {[this](TTolvane&) { New_Anim(Size); }, {R::Always, R::Open}},
      {[](TTolvane& t) { t.Copy1Click(); }, {R::Always, R::Open, R::Buffer}},
      {[](TTolvane& t) { t.Add1Click(); },
       {R::Always, R::Open, R::Buffer, R::Sections, R::Step_Back}},
      {[](TTolvane& t) { t.StepBackward1Click(); },
       {R::Always, R::Open, R::Buffer, R::Step_Forward}},
      {[](TTolvane& t) {
         t.SwapColours1Click();  // Clear then changes the blank frame
         t.Clear1Click();
       },
       {R::Always, R::Open, R::Buffer, R::Undo, R::Step_Back}},
  };
  for (std::size_t i = 0; i < states.size(); ++i) {
    SCOPED_TRACE(i);
    states[i].reach(T());
    T().Show_State();
    for (const Command& c : Commands())
      EXPECT_EQ((T().Controls.*c.Item).Enabled, states[i].on.contains(c.Rule)) << c.Name;
  }
  T().Tool3Click();
  T().Show_State();
  EXPECT_FALSE(T().Controls.Section1.Enabled);
  EXPECT_FALSE(Press_Key(T(), "Ctrl+S"));  // in the disabled Section menu
  EXPECT_FALSE(Press_Key(T(), "Ctrl+Y"));  // no step forward
  EXPECT_TRUE(Press_Key(T(), "P"));
  EXPECT_EQ(T().Cur_Tool, Tool_Pencil);
}

}  // namespace
}  // namespace tolvane::testing
