#include <gtest/gtest.h>

#include <functional>

#include "editor/editor_fixture.h"

namespace tolvane::testing {
namespace {

using Undo = Editor_Test;

// True when every pixel (x, y) of `after` equals `before` at from(x, y).
::testing::AssertionResult Maps(const Raster_Image& after, const Raster_Image& before,
                                const std::function<std::pair<int, int>(int, int)>& from) {
  if (after.Width() != before.Width() || after.Height() != before.Height())
    return ::testing::AssertionFailure() << "sizes differ";
  for (int y = 0; y < after.Height(); ++y)
    for (int x = 0; x < after.Width(); ++x) {
      auto [sx, sy] = from(x, y);
      if (after.At(x, y) != before.At(sx, sy))
        return ::testing::AssertionFailure()
               << "pixel (" << x << "," << y << ") is not source (" << sx << "," << sy << ")";
    }
  return ::testing::AssertionSuccess();
}

TEST_F(Undo, NudgeLeftWrapsTheFirstColumnToTheLast) {
  New_Anim(4);
  for (int y = 0; y < 4; ++y) W().SetPixel(0, y, Red);
  const Raster_Image start = W();
  T().Nudge1Click();
  EXPECT_EQ(Pixels_Not(W(), White), (std::vector<std::string>{"3,0", "3,1", "3,2", "3,3"}));
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_TRUE(T().Frame_Edited);
  EXPECT_TRUE(T().Undo_Available);
  for (int i = 0; i < 3; ++i) T().Nudge1Click();
  EXPECT_TRUE(Same_Pixels(W(), start));
}

TEST_F(Undo, EachNudgeRotatesByOnePixel) {
  New_Anim(5);
  Fill_Distinct();
  const int n = 5;
  struct Case {
    void (TTolvane::*click)();
    int dx, dy;  // new (x, y) comes from (x + dx, y + dy) mod n
  };
  for (Case c : {Case{&TTolvane::Nudge1Click, 1, 0}, Case{&TTolvane::Nudge2Click, -1, 0},
                 Case{&TTolvane::Nudge3Click, 0, 1}, Case{&TTolvane::Nudge4Click, 0, -1}}) {
    const Raster_Image before = W();
    (T().*c.click)();
    EXPECT_TRUE(Maps(W(), before,
                     [&](int x, int y) {
                       return std::pair{(x + c.dx + n) % n, (y + c.dy + n) % n};
                     }))
        << c.dx << "," << c.dy;
    EXPECT_TRUE(Same_Pixels(T().Undo_Frame, before));
  }
}

TEST_F(Undo, NudgeUpThenDownRestoresAndUndoGivesTheFirstStep) {
  New_Anim(32);
  Fill_Distinct();
  const Raster_Image start = W();
  T().Nudge3Click();
  const Raster_Image after_up = W();
  T().Nudge4Click();
  EXPECT_TRUE(Same_Pixels(W(), start));
  T().Undo1Click();
  EXPECT_TRUE(Same_Pixels(W(), after_up));
  EXPECT_FALSE(T().Undo_Available);
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(0, 0), after_up.At(0, 0)) << "the view is redrawn";
}

TEST_F(Undo, FlipsMirrorAndKeepTheMiddleOfOddSizes) {
  New_Anim(5);
  Fill_Distinct();
  const Raster_Image start = W();
  T().FlipHorizontal1Click();
  EXPECT_TRUE(Maps(W(), start, [](int x, int y) { return std::pair{4 - x, y}; }));
  EXPECT_EQ(W().At(2, 3), start.At(2, 3));
  EXPECT_TRUE(T().Undo_Available);
  EXPECT_TRUE(T().Frame_Edited);
  T().FlipHorizontal1Click();
  EXPECT_TRUE(Same_Pixels(W(), start));

  T().FlipVertical1Click();
  EXPECT_TRUE(Maps(W(), start, [](int x, int y) { return std::pair{x, 4 - y}; }));
  T().Undo1Click();
  EXPECT_TRUE(Same_Pixels(W(), start));
}

TEST_F(Undo, UndoAfterAPressWithoutMovementChangesNothing) {
  New_Anim(32);
  Fill_Distinct();
  const Raster_Image start = W();
  T().Tool2Click();
  Press(Vx(3), Vy(3));
  EXPECT_TRUE(T().Undo_Available);
  T().Undo1Click();
  EXPECT_TRUE(Same_Pixels(W(), start));
  EXPECT_FALSE(T().Undo_Available);
}

TEST_F(Undo, UndoRestoresTheFrameBeforeTheLastPressAndKeepsTheFlags) {
  New_Anim(32);
  T().Tool2Click();
  T().Selected_Colour1 = Red;
  Press(Vx(0), Vy(0));
  Move(Vx(4), Vy(4));
  Release(Vx(4), Vy(4));
  const Raster_Image first = W();
  Press(Vx(10), Vy(10));
  Move(Vx(20), Vy(20));
  Release(Vx(20), Vy(20));
  T().Undo1Click();
  EXPECT_TRUE(Same_Pixels(W(), first));
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_TRUE(T().Frame_Edited);

  // A disabled undo is not offered: nothing happens.
  const Raster_Image now = W();
  Press(Vx(1), Vy(1), Mouse_Button::Right);
  T().Undo1Click();
  EXPECT_TRUE(Same_Pixels(W(), now));
}

TEST_F(Undo, NavigationDisablesUndo) {
  Load_Strip(Solid_Strip({Red, Blue}, 16));
  T().Nudge1Click();
  EXPECT_TRUE(T().Undo_Available);
  T().Next_FrameClick();
  EXPECT_FALSE(T().Undo_Available);
}

TEST_F(Undo, UndoDropsAShownSelection) {
  New_Anim(32);
  T().Tool6Click();
  T().Nudge2Click();
  T().Controls.Select_Marker.B.Left = 5;
  T().Controls.Select_Image.B.Left = 6;
  ASSERT_TRUE(T().Selection_Mode());
  T().Undo1Click();
  EXPECT_FALSE(T().Selection.Shown());
  EXPECT_EQ(T().Controls.Select_Image.B.Left, 10 * T().Client_Width());
  EXPECT_EQ(T().Cur_Tool, Tool_Select);
}

// A floating selection as the select tool leaves it: columns 4..6, rows 10..14.
class Selection : public Editor_Test {
 protected:
  void SetUp() override {
    New_Anim(32);
    T().Tool6Click();
    Raster_Image pixels(3, 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 3; ++x) pixels.SetPixel(x, y, Rgb(x, y, 9));
    T().Selection.Float(pixels, 4, 10, Raster_Image(32, 32, Blue));
    ASSERT_TRUE(T().Selection_Mode());
    W().SetPixel(0, 0, Red);  // not part of the composed picture: the rebuild drops it
  }

  // The working frame is the background with the selection on top.
  void Expect_Composed() {
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const bool in = x >= 4 && x < 7 && y >= 10 && y < 15;
        const Colour want = in ? T().Selection.Bitmap().At(x - 4, y - 10) : Blue;
        ASSERT_EQ(W().At(x, y), want) << x << "," << y;
      }
  }
};

TEST_F(Selection, FlipVerticalMirrorsOnlyTheSelection) {
  const Raster_Image before = T().Selection.Bitmap();
  T().FlipVertical1Click();
  EXPECT_TRUE(Maps(T().Selection.Bitmap(), before, [](int x, int y) {
    return std::pair{x, 4 - y};
  }));
  EXPECT_EQ(T().Selection.Bitmap().At(1, 2), before.At(1, 2));
  Expect_Composed();
  EXPECT_FALSE(T().Undo_Available) << "a selection takes no undo copy";
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_TRUE(T().Frame_Edited);
  EXPECT_TRUE(T().Selection.Shown());
}

TEST_F(Selection, FlipHorizontalAndNudgesWrapInsideTheSelection) {
  const Raster_Image before = T().Selection.Bitmap();
  T().FlipHorizontal1Click();
  EXPECT_TRUE(Maps(T().Selection.Bitmap(), before, [](int x, int y) {
    return std::pair{2 - x, y};
  }));
  T().FlipHorizontal1Click();
  T().Nudge1Click();
  EXPECT_TRUE(Maps(T().Selection.Bitmap(), before, [](int x, int y) {
    return std::pair{(x + 1) % 3, y};
  }));
  Expect_Composed();
  T().Nudge2Click();
  T().Nudge4Click();
  EXPECT_TRUE(Maps(T().Selection.Bitmap(), before, [](int x, int y) {
    return std::pair{x, (y + 4) % 5};
  }));
  T().Nudge3Click();
  EXPECT_TRUE(Same_Pixels(T().Selection.Bitmap(), before));
  Expect_Composed();
  EXPECT_FALSE(T().Undo_Available);
}

TEST_F(Selection, AnotherToolActsOnTheWholeFrame) {
  T().Cur_Tool = 1;  // overlay still shown, but not in selection mode
  const Raster_Image before = W();
  T().Nudge2Click();
  EXPECT_TRUE(Maps(W(), before, [](int x, int y) { return std::pair{(x + 31) % 32, y}; }));
  EXPECT_TRUE(T().Undo_Available);
}

TEST_F(Undo, NudgeAndFlipWithoutADocumentChangeNothing) {
  T().Nudge1Click();
  T().FlipHorizontal1Click();
  EXPECT_FALSE(T().Anim_Modified);
  EXPECT_FALSE(T().Undo_Available);
}

}  // namespace
}  // namespace tolvane::testing
