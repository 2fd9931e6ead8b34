#include <gtest/gtest.h>

#include "editor/editor_fixture.h"

namespace tolvane::testing {
namespace {

using Zoom_Wheel = Editor_Test;

struct Wheel_Case {
  const char* what;
  unsigned shift;
  std::vector<std::pair<int, int>> turns;  // (delta_x, delta_y) of each event
  int zh, zv, factor;
};

// Frame size 32 zoomed in to 6:1: both bars run 0 to 11; they start at 5.
TEST_F(Zoom_Wheel, ScrollsOneStepPerNotchAndZoomsWithCtrl) {
  const Wheel_Case cases[] = {
      {"wheel down", ss_None, {{0, -120}}, 5, 6, 6},
      {"wheel up twice in one event", ss_None, {{0, 240}}, 5, 3, 6},
      {"Shift turns it sideways", ss_Shift, {{0, -120}}, 6, 5, 6},
      {"Shift+wheel arriving as a sideways turn", ss_Shift, {{120, 0}}, 4, 5, 6},
      {"a tilt wheel scrolls sideways", ss_None, {{-120, 0}}, 6, 5, 6},
      {"fine steps add up to whole notches",
       ss_None,
       {{0, -40}, {0, -40}, {0, -40}, {0, -40}},
       5,
       6,
       6},
      {"the bars stop at their ends", ss_None, {{0, -120 * 20}}, 5, 11, 6},
      {"Ctrl+wheel up zooms in", ss_Ctrl, {{0, 120}}, 5, 5, 7},
      {"Ctrl+wheel down zooms out", ss_Ctrl, {{0, -240}}, 0, 0, 4},
  };
  for (const Wheel_Case& c : cases) {
    SCOPED_TRACE(c.what);
    New_Anim(32);
    T().Zoom_InClick();
    T().Zoom_InClick();
    ASSERT_EQ(T().View.Factor(), 6);
    T().Controls.ZH.Set_Position(5);
    T().Controls.ZV.Set_Position(5);
    T().View.Reset_Wheel();
    for (const auto& [dx, dy] : c.turns) T().ZoomMouseWheel(c.shift, dx, dy);
    EXPECT_EQ(T().Controls.ZH.Position, c.zh);
    EXPECT_EQ(T().Controls.ZV.Position, c.zv);
    EXPECT_EQ(T().View.Factor(), c.factor);
    // The change events ran: the view was redrawn for the new positions.
    EXPECT_EQ(T().View.Last_X(), c.zh);
    EXPECT_EQ(T().View.Last_Y(), c.zv);
  }
}

TEST_F(Zoom_Wheel, DoesNothingWhileTheFrameFitsOrADragIsOnOrNoAnimationIsOpen) {
  T().ZoomMouseWheel(ss_Ctrl, 0, 120);
  EXPECT_EQ(T().View.Factor(), 4) << "no animation open";
  New_Anim(32);
  T().ZoomMouseWheel(ss_None, 0, -360);
  T().ZoomMouseWheel(ss_Shift, 0, -360);
  EXPECT_EQ(T().Controls.ZV.Position, 0);
  EXPECT_EQ(T().Controls.ZH.Position, 0);

  T().Zoom_InClick();
  T().ZoomMouseDown(Mouse_Button::Left, ss_None, 10, 10);
  T().ZoomMouseWheel(ss_None, 0, -120);
  T().ZoomMouseWheel(ss_Ctrl, 0, 120);
  EXPECT_EQ(T().Controls.ZV.Position, 0);
  EXPECT_EQ(T().View.Factor(), 5);
  T().ZoomMouseUp(Mouse_Button::Left, ss_None, 10, 10);
  T().ZoomMouseWheel(ss_None, 0, -120);
  EXPECT_EQ(T().Controls.ZV.Position, 1) << "after the drag";
}

}  // namespace
}  // namespace tolvane::testing
