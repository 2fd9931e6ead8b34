#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QSlider>
#include <functional>
#include <tuple>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

class Keys_Test : public Program_Test {
 protected:
  // Four 32 x 32 frames, the section over all of them.
  void Open_Document() {
    New_Anim(1);
    for (int i = 0; i < 3; ++i) Choose(T().Controls.Add1);
    Choose(T().Controls.ResetMarks1);
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

using Check = std::function<bool(TTolvane&)>;
Check Frame_Is(int n) {
  return [n](TTolvane& t) { return t.Cur_Frame == n; };
}
Check Dot_At(int x, int y) {
  return [x, y](TTolvane& t) { return t.Working_Frame.GetPixel(x, y) == 0u; };
}
Check Factor_Is(int z) {
  return [z](TTolvane& t) { return t.View.Factor() == z; };
}

// Every key of the table, through the real widgets: each row sets the scene,
// presses the key on the main window and checks that its command ran. The key
// is the shortcut of the item that shows it in a menu.
TEST_F(Keys_Test, EachKeyRunsItsCommandAndItsMenuShowsIt) {
  Open_Document();
  // Clicked, the speed bar would take the arrows if it took the focus.
  QTest::mouseClick(Find<QSlider>("Play_Speed"), Qt::LeftButton);
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
  const auto clip_size = [](QSize s) {
    return [s](TTolvane&) { return QGuiApplication::clipboard()->image().size() == s; };
  };
  const auto red_picture = [](TTolvane& t) {
    t.Tool1Click();
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
  };
  struct Key_Case {
    const char* item;
    QKeyCombination key;
    std::function<void(TTolvane&)> before;
    Check done;
  };
  std::vector<Key_Case> cases;
  // The tool keys, P R O L F S E Y, choose the tools 1 to 8.
  const char* tools[] = {"Pencil1", "FilledRectangle1", "OutlineRectangle1", "Line1",
                         "Fill1",   "Select1",          "FilledEllipse1",    "Syringe1"};
  const Qt::Key tool_keys[] = {Qt::Key_P, Qt::Key_R, Qt::Key_O, Qt::Key_L,
                               Qt::Key_F, Qt::Key_S, Qt::Key_E, Qt::Key_Y};
  for (int n = 1; n <= 8; ++n)
    cases.push_back({tools[n - 1], QKeyCombination(tool_keys[n - 1]),
                     [n](TTolvane& t) { n == 1 ? t.Tool8Click() : t.Tool1Click(); },
                     [n](TTolvane& t) { return t.Cur_Tool == n && t.Tool_Button(n).Down; }});
  const Qt::KeyboardModifier ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
  cases.insert(
      cases.end(),
      {{"SwapColours1", QKeyCombination(Qt::Key_X),
        [](TTolvane& t) { t.Selected_Colour1 = 0x0000FF, t.Selected_Colour2 = 0xFF0000; },
        [](TTolvane& t) {
          return t.Selected_Colour1 == 0xFF0000u &&
                 t.Controls.Col_Select.Picture.GetPixel(0, 0) == 0xFF0000u;
        }},
       {"NextFrame1", QKeyCombination(Qt::Key_Right), first, Frame_Is(1)},
       {"PreviousFrame1", QKeyCombination(Qt::Key_Left), last, Frame_Is(2)},
       {"FirstFrame1", QKeyCombination(Qt::Key_Home), last, Frame_Is(0)},
       {"LastFrame1", QKeyCombination(Qt::Key_End), first, Frame_Is(3)},
       {"PlayStop1", QKeyCombination(Qt::Key_Space), first,
        [](TTolvane& t) { return t.Controls.Anim_Timer.Enabled; }},
       {"PlayStop1", QKeyCombination(Qt::Key_Space), [](TTolvane&) {},
        [](TTolvane& t) { return !t.Controls.Anim_Timer.Enabled && t.Controls.Play.Enabled; }},
       {"Copy2", QKeyCombination(ctrl, Qt::Key_C),
        [](TTolvane&) { QGuiApplication::clipboard()->clear(); }, clip_size({32, 32})},
       {"Cut1", QKeyCombination(ctrl, Qt::Key_X),
        [](TTolvane& t) { QGuiApplication::clipboard()->clear(), t.Selected_Colour2 = 0x00FF00; },
        [](TTolvane& t) { return t.Working_Frame.GetPixel(31, 31) == 0x00FF00u; }},
       {"Paste2", QKeyCombination(ctrl, Qt::Key_V), red_picture,
        [](TTolvane& t) { return t.Selection_Mode() && t.Selection.Bitmap().Width() == 10; }},
       {"ZoomIn1", QKeyCombination(ctrl, Qt::Key_Plus), at_factor(4), Factor_Is(5)},
       {"ZoomIn1", QKeyCombination(ctrl, Qt::Key_Equal), at_factor(4), Factor_Is(5)},
       {"ZoomOut1", QKeyCombination(ctrl, Qt::Key_Minus), at_factor(4), Factor_Is(3)},
       {"Fit1", QKeyCombination(ctrl, Qt::Key_0), at_factor(1), Factor_Is(4)},
       {"NudgeLeft1", QKeyCombination(shift, Qt::Key_Left), dot, Dot_At(4, 5)},
       {"NudgeRight1", QKeyCombination(shift, Qt::Key_Right), dot, Dot_At(6, 5)},
       {"NudgeUp1", QKeyCombination(shift, Qt::Key_Up), dot, Dot_At(5, 4)},
       {"NudgeDown1", QKeyCombination(shift, Qt::Key_Down), dot, Dot_At(5, 6)}});
  for (const Key_Case& c : cases) {
    SCOPED_TRACE(c.item);
    auto* action = Find<QAction>(c.item);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->shortcuts().contains(QKeySequence(c.key)));
    EXPECT_TRUE(qobject_cast<QMenu*>(action->parent())) << "shown in a menu";
    P.Dispatch([&] { c.before(T()); });
    ASSERT_FALSE(c.done(T())) << "the scene already looks done";
    Press(c.key.key(), c.key.keyboardModifiers());
    EXPECT_TRUE(c.done(T()));
  }
}

// Without a document and behind a dialog the keys do nothing.
TEST_F(Keys_Test, KeysDoNothingWithoutADocumentOrBehindADialog) {
  const auto state = [this] {
    return std::make_tuple(T().Cur_Tool, T().Cur_Frame, T().View.Factor(), T().Selected_Colour1,
                           T().Controls.Anim_Timer.Enabled, T().Controls.Label5.Caption);
  };
  const auto press_all = [this] {
    for (Qt::Key key : {Qt::Key_S, Qt::Key_X, Qt::Key_End, Qt::Key_Space}) Press(key);
    for (Qt::Key key : {Qt::Key_0, Qt::Key_Plus}) Press(key, Qt::ControlModifier);
  };
  Activate();
  const auto none = state();
  press_all();
  EXPECT_EQ(state(), none) << "no document";

  Open_Document();
  T().Selected_Colour2 = 0x123456;
  const auto open = state();
  QTimer::singleShot(0, [&] {
    press_all();
    QTest::keyClick(Views->Frame_Size().Window(), Qt::Key_Escape);
  });
  Choose(T().Controls.Resize1);
  EXPECT_EQ(state(), open) << "behind the frame size dialog";
}

}  // namespace
}  // namespace tolvane::ui_testing
