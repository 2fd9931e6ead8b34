#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QSlider>
#include <functional>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

class Keys_Test : public Program_Test {
 protected:
  // Four 32 x 32 frames, the section over all of them.
  void Open_Document() {
    New_Anim(1);
    for (int i = 0; i < 3; ++i) Choose(T().Add1);
    Choose(T().ResetMarks1);
    Activate();
  }
  void Activate() {
    Main_Window()->activateWindow();
    QApplication::processEvents();
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(Main_Window(), key, mods);
    QApplication::processEvents();
  }
};

struct Key_Case {
  const char* item;  // the menu item that shows the key
  Qt::Key key;
  Qt::KeyboardModifiers mods;
  std::function<void(TTolvane&)> before;
  std::function<bool(TTolvane&)> done;
};

bool Tool_Is(TTolvane& t, int tool) { return t.Cur_Tool == tool && t.Tool_Button(tool).Down; }

// Every key of the table, through the real widgets: each row sets the scene,
// presses the key on the main window and checks its command ran. The key is
// the item's shortcut in its menu.
TEST_F(Keys_Test, EachKeyRunsItsCommandAndItsMenuShowsIt) {
  Open_Document();
  // Clicked, the speed bar would take the arrows if it took the focus.
  QTest::mouseClick(Find<QSlider>("Play_Speed"), Qt::LeftButton);
  const auto other_tool = [](TTolvane& t) { t.Tool8Click(); };
  const auto first = [](TTolvane& t) { t.SpeedButton2Click(); };
  const auto last = [](TTolvane& t) { t.SpeedButton12Click(); };
  const auto at_factor = [](int z) {
    return [z](TTolvane& t) {
      while (t.View.Factor() > z) t.Zoom_OutClick();
      while (t.View.Factor() < z) t.Zoom_InClick();
    };
  };
  const auto dot = [](TTolvane& t) {
    t.Tool1Click();
    t.Working_Frame.Fill_Colour = 0xFFFFFF;
    t.Working_Frame.FillRect({0, 0, 32, 32});
    t.Working_Frame.SetPixel(5, 5, 0);
  };
  const auto dot_at = [](int x, int y) {
    return [x, y](TTolvane& t) { return t.Working_Frame.GetPixel(x, y) == 0u; };
  };
  const Key_Case cases[] = {
      {"Pencil1",
       Qt::Key_P,
       {},
       [](TTolvane& t) { t.Tool2Click(); },
       [](TTolvane& t) { return Tool_Is(t, Tool_Pencil); }},
      {"FilledRectangle1",
       Qt::Key_R,
       {},
       other_tool,
       [](TTolvane& t) { return Tool_Is(t, Tool_Filled_Rect); }},
      {"OutlineRectangle1",
       Qt::Key_O,
       {},
       other_tool,
       [](TTolvane& t) { return Tool_Is(t, Tool_Outline_Rect); }},
      {"Line1", Qt::Key_L, {}, other_tool, [](TTolvane& t) { return Tool_Is(t, Tool_Line); }},
      {"Fill1", Qt::Key_F, {}, other_tool, [](TTolvane& t) { return Tool_Is(t, Tool_Fill); }},
      {"Select1", Qt::Key_S, {}, other_tool, [](TTolvane& t) { return Tool_Is(t, Tool_Select); }},
      {"FilledEllipse1",
       Qt::Key_E,
       {},
       other_tool,
       [](TTolvane& t) { return Tool_Is(t, Tool_Filled_Ellipse); }},
      {"Syringe1",
       Qt::Key_Y,
       {},
       [](TTolvane& t) { t.Tool1Click(); },
       [](TTolvane& t) { return Tool_Is(t, Tool_Syringe); }},
      {"SwapColours1",
       Qt::Key_X,
       {},
       [](TTolvane& t) {
         t.Selected_Colour1 = 0x0000FF;
         t.Selected_Colour2 = 0xFF0000;
       },
       [](TTolvane& t) {
         return t.Selected_Colour1 == 0xFF0000u && t.Selected_Colour2 == 0x0000FFu &&
                t.Col_Select.Picture.GetPixel(0, 0) == 0xFF0000u;
       }},
      {"NextFrame1", Qt::Key_Right, {}, first, [](TTolvane& t) { return t.Cur_Frame == 1; }},
      {"PreviousFrame1", Qt::Key_Left, {}, last, [](TTolvane& t) { return t.Cur_Frame == 2; }},
      {"FirstFrame1", Qt::Key_Home, {}, last, [](TTolvane& t) { return t.Cur_Frame == 0; }},
      {"LastFrame1", Qt::Key_End, {}, first, [](TTolvane& t) { return t.Cur_Frame == 3; }},
      {"PlayStop1", Qt::Key_Space, {}, first, [](TTolvane& t) { return t.Anim_Timer.Enabled; }},
      {"PlayStop1",
       Qt::Key_Space,
       {},
       [](TTolvane&) {},
       [](TTolvane& t) { return !t.Anim_Timer.Enabled && t.Play.Enabled; }},
      {"Copy2", Qt::Key_C, Qt::ControlModifier,
       [](TTolvane&) { QGuiApplication::clipboard()->clear(); },
       [](TTolvane&) { return QGuiApplication::clipboard()->image().size() == QSize(32, 32); }},
      {"Cut1", Qt::Key_X, Qt::ControlModifier,
       [](TTolvane& t) {
         QGuiApplication::clipboard()->clear();
         t.Selected_Colour2 = 0x00FF00;
       },
       [](TTolvane& t) {
         return QGuiApplication::clipboard()->image().size() == QSize(32, 32) &&
                t.Working_Frame.GetPixel(31, 31) == 0x00FF00u;
       }},
      {"Paste2", Qt::Key_V, Qt::ControlModifier,
       [](TTolvane& t) {
         t.Tool1Click();
         QImage picture(10, 10, QImage::Format_RGB32);
         picture.fill(Qt::red);
         QGuiApplication::clipboard()->setImage(picture);
       },
       [](TTolvane& t) { return t.Selection_Mode() && t.Selection.Bitmap().Width() == 10; }},
      {"ZoomIn1", Qt::Key_Plus, Qt::ControlModifier, at_factor(4),
       [](TTolvane& t) { return t.View.Factor() == 5 && t.Label5.Caption == "5:1"; }},
      {"ZoomIn1", Qt::Key_Equal, Qt::ControlModifier, at_factor(4),
       [](TTolvane& t) { return t.View.Factor() == 5; }},
      {"ZoomOut1", Qt::Key_Minus, Qt::ControlModifier, at_factor(4),
       [](TTolvane& t) { return t.View.Factor() == 3; }},
      {"Fit1", Qt::Key_0, Qt::ControlModifier, at_factor(1),
       [](TTolvane& t) { return t.View.Factor() == 4 && !t.ZH.Enabled; }},
      {"NudgeLeft1", Qt::Key_Left, Qt::ShiftModifier, dot, dot_at(4, 5)},
      {"NudgeRight1", Qt::Key_Right, Qt::ShiftModifier, dot, dot_at(6, 5)},
      {"NudgeUp1", Qt::Key_Up, Qt::ShiftModifier, dot, dot_at(5, 4)},
      {"NudgeDown1", Qt::Key_Down, Qt::ShiftModifier, dot, dot_at(5, 6)},
  };
  for (const Key_Case& c : cases) {
    SCOPED_TRACE(c.item);
    const QKeySequence key(QKeyCombination(c.mods, c.key));
    auto* action = Find<QAction>(c.item);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->shortcuts().contains(key)) << key.toString().toStdString();
    EXPECT_TRUE(qobject_cast<QMenu*>(action->parent())) << "shown in a menu";
    P.Dispatch([&] { c.before(T()); });
    ASSERT_FALSE(c.done(T())) << "the scene already looks done";
    Press(c.key, c.mods);
    EXPECT_TRUE(c.done(T()));
  }
}

// Without a document and behind a dialog the keys do nothing.
TEST_F(Keys_Test, KeysDoNothingWithoutADocumentOrBehindADialog) {
  struct State {
    int tool, frame, factor;
    Colour first;
    bool playing;
    std::string label;
    bool operator==(const State&) const = default;
  };
  const auto state = [this] {
    return State{T().Cur_Tool,         T().Cur_Frame,          T().View.Factor(),
                 T().Selected_Colour1, T().Anim_Timer.Enabled, T().Label5.Caption};
  };
  const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_S, {}},
                                                            {Qt::Key_X, {}},
                                                            {Qt::Key_End, {}},
                                                            {Qt::Key_Space, {}},
                                                            {Qt::Key_0, Qt::ControlModifier},
                                                            {Qt::Key_Plus, Qt::ControlModifier}};
  Activate();
  const State none = state();
  for (const auto& [key, mods] : keys) Press(key, mods);
  EXPECT_EQ(state(), none) << "no document";

  Open_Document();
  T().Selected_Colour2 = 0x123456;
  const State open = state();
  bool pressed = false;
  QTimer::singleShot(0, [&] {
    for (const auto& [key, mods] : keys) Press(key, mods);
    pressed = true;
    QTest::keyClick(Views->Frame_Size().Window(), Qt::Key_Escape);
  });
  Choose(T().Resize1);
  EXPECT_TRUE(pressed);
  EXPECT_EQ(state(), open) << "behind the frame size dialog";
}

}  // namespace
}  // namespace tolvane::ui_testing
