#include <gtest/gtest.h>

#include "editor/editor_fixture.h"
#include "editor/editor_parts.h"

namespace tolvane::testing {
namespace {

using Zoom = Editor_Test;

// The view pixel block of frame pixel (c, r) is all `colour`.
::testing::AssertionResult Block_Is(const Raster_Image& view, int x0, int y0, int z,
                                    Colour colour) {
  for (int y = y0; y < y0 + z; ++y)
    for (int x = x0; x < x0 + z; ++x)
      if (view.GetPixel(x, y) != colour)
        return ::testing::AssertionFailure()
               << "view (" << x << "," << y << ") is " << std::hex << view.GetPixel(x, y);
  return ::testing::AssertionSuccess();
}

// Fit: the largest factor from 1 to 32 at which the whole frame fits the
// view, the smaller side deciding; 1 when it fits at none.
TEST(Zoom_Fit, LargestFactorUpToThirtyTwoAtWhichTheWholeFrameFits) {
  const struct {
    int width, height, frame, factor;
  } cases[] = {{128, 128, 32, 4},  {779, 674, 32, 21}, {619, 578, 128, 4}, {300, 90, 30, 3},
               {128, 128, 128, 1}, {100, 300, 200, 1}, {128, 128, 8, 16},  {1900, 1000, 16, 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " frame " << c.frame);
    Editor_Parts e(16);  // factor 2 to start with
    e.View.Set_View_Size(c.width, c.height);
    EXPECT_EQ(e.View.Fit_Whole(c.frame), c.factor != 2);
    EXPECT_EQ(e.View.Factor(), c.factor);
  }
}

TEST_F(Zoom, Frame32FillsTheViewAtFactor4WithoutScrolling) {
  EXPECT_EQ(T().Controls.Label5.Caption, "1:1");
  New_Anim(32);
  EXPECT_EQ(T().View.Factor(), 4);
  EXPECT_FALSE(T().Controls.ZH.Enabled);
  EXPECT_FALSE(T().Controls.ZV.Enabled);
  EXPECT_EQ(T().Controls.Label5.Caption, "4:1");
  Fill_Distinct();
  const Raster_Image& view = T().Controls.Zoom.Picture;
  ASSERT_EQ(view.Width(), 128);
  EXPECT_TRUE(Block_Is(view, 0, 0, 4, Rgb(0, 0, 7)));
  EXPECT_TRUE(Block_Is(view, 8, 12, 4, Rgb(2, 3, 7)));
  EXPECT_TRUE(Block_Is(view, 124, 124, 4, Rgb(31, 31, 7)));
}

TEST_F(Zoom, ZoomInAt32ScrollsUpToSeven) {
  New_Anim(32);
  Fill_Distinct();
  T().Zoom_InClick();
  EXPECT_EQ(T().View.Factor(), 5);
  EXPECT_EQ(T().Controls.Label5.Caption, "5:1");
  EXPECT_TRUE(T().Controls.ZH.Enabled);
  EXPECT_TRUE(T().Controls.ZV.Enabled);
  EXPECT_EQ(T().Controls.ZH.Max, 7);
  EXPECT_EQ(T().Controls.ZV.Max, 7);

  // Moving the bars from the program redraws the view through the change events.
  T().Controls.ZH.Set_Position(7);
  T().Controls.ZV.Set_Position(7);
  EXPECT_EQ(T().View.Last_X(), 7);
  EXPECT_EQ(T().View.Last_Y(), 7);
  const Raster_Image& view = T().Controls.Zoom.Picture;
  EXPECT_TRUE(Block_Is(view, 0, 0, 5, Rgb(7, 7, 7)));
  EXPECT_TRUE(Block_Is(view, 120, 0, 5, Rgb(31, 7, 7)));
  EXPECT_TRUE(Block_Is(view, 120, 120, 5, Rgb(31, 31, 7)));
  for (int x = 125; x < 128; ++x) {
    EXPECT_EQ(view.GetPixel(x, 60), Silver);
    EXPECT_EQ(view.GetPixel(60, x), Silver);
  }

  // A press at the view's origin is frame pixel (7, 7).
  Press(0, 0);
  EXPECT_EQ(T().Mouse.Anchor_X(), 7);
  EXPECT_EQ(T().Mouse.Anchor_Y(), 7);
}

TEST_F(Zoom, LoweringTheMaximumCutsThePositionAndFiresTheChange) {
  New_Anim(32);
  T().Zoom_InClick();
  T().Zoom_InClick();  // factor 6: maximum 32 - 21 = 11
  EXPECT_EQ(T().Controls.ZH.Max, 11);
  T().Controls.ZH.Set_Position(11);
  T().Zoom_OutClick();  // factor 5: maximum 7
  EXPECT_EQ(T().Controls.ZH.Position, 7);
  EXPECT_EQ(T().View.Last_X(), 7);
  T().Zoom_OutClick();  // factor 4: fits, positions back to 0, maxima kept
  EXPECT_EQ(T().Controls.ZH.Position, 0);
  EXPECT_EQ(T().View.Last_X(), 0);
  EXPECT_EQ(T().Controls.ZH.Max, 7);
  EXPECT_FALSE(T().Controls.ZH.Enabled);
}

// Zoom In goes beyond 10 only as far as the whole frame fits, up to 32.
TEST_F(Zoom, SmallFramesZoomInAsFarAsTheyFitAndZoomOutStepsByOne) {
  New_Anim(8);
  EXPECT_EQ(T().View.Factor(), 16);
  EXPECT_EQ(T().Controls.Label5.Caption, "16:1");
  T().Zoom_InClick();
  EXPECT_EQ(T().View.Factor(), 16);
  T().FormResize(1000, 700);  // a view of 755 x 606: room for 32
  T().Zoom_InClick();
  EXPECT_EQ(T().View.Factor(), 17);

  New_Anim(8);
  T().Zoom_OutClick();
  EXPECT_EQ(T().View.Factor(), 15);
  EXPECT_EQ(T().Controls.Label5.Caption, "15:1");
  EXPECT_FALSE(T().Controls.ZH.Enabled);
}

TEST_F(Zoom, SelectToolFallsBackToPencilOnAFactorChangeOnly) {
  New_Anim(8);
  T().Tool6Click();
  T().Zoom_InClick();  // 16 stays: no room for more, the select tool stays
  EXPECT_EQ(T().Cur_Tool, Tool_Select);
  T().Zoom_OutClick();  // 16 -> 15
  EXPECT_EQ(T().Cur_Tool, Tool_Pencil);
}

TEST_F(Zoom, ZoomOutAtOneCommitsAndReloadsButChangesNothingElse) {
  New_Anim(128);
  EXPECT_EQ(T().View.Factor(), 1);
  T().Tool6Click();
  W().SetPixel(3, 3, Red);
  T().Frame_Edited = true;
  T().Controls.Label2.Caption = "stale";
  T().Zoom_OutClick();
  EXPECT_EQ(T().View.Factor(), 1);
  EXPECT_EQ(T().Cur_Tool, Tool_Select);
  EXPECT_EQ(T().Anim_Strip.GetPixel(3, 3), Red);
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 1 of 1");
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(3, 3), Red);
  EXPECT_TRUE(T().Frame_Edited) << "the commit leaves the flag set";
}

TEST_F(Zoom, ZoomButtonsDoNothingWithoutADocument) {
  T().Zoom_InClick();
  T().Zoom_OutClick();
  EXPECT_EQ(T().View.Factor(), 4);
  EXPECT_EQ(T().Controls.Label5.Caption, "1:1");
}

// A frame smaller than the view is centred in it, the mapping following.
TEST_F(Zoom, Frame50IsCentredAndMapsPastTheFrame) {
  New_Anim(50);
  EXPECT_EQ(T().View.Factor(), 2);
  const Raster_Image& view = T().Controls.Zoom.Picture;
  EXPECT_EQ(view.GetPixel(113, 113), White);
  EXPECT_EQ(view.GetPixel(114, 50), Silver);
  EXPECT_EQ(view.GetPixel(13, 50), Silver);
  Press(124, 17);
  EXPECT_EQ(T().Mouse.Anchor_X(), 55);
  EXPECT_EQ(T().Mouse.Anchor_Y(), 1);
}

TEST_F(Zoom, FramesAbove128ShowAtLeastOneToOneAndScroll) {
  Load_Strip(Solid_Strip({Red}, 200));
  ASSERT_EQ(T().Frame_Size, 200);
  EXPECT_EQ(T().View.Factor(), 1);
  EXPECT_TRUE(T().Controls.ZH.Enabled);
  EXPECT_EQ(T().Controls.ZH.Max, 72);
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(127, 127), Red);
  T().Zoom_InClick();
  EXPECT_EQ(T().Controls.ZH.Max, 136);
  T().Zoom_OutClick();
  T().Zoom_OutClick();
  EXPECT_EQ(T().View.Factor(), 1);
  Press(127, 127);
  EXPECT_EQ(T().Mouse.Anchor_X(), 127);
}

TEST_F(Zoom, ScrollingMovesAShownSelectionByOneFactorPerStep) {
  New_Anim(32);
  T().Zoom_InClick();  // factor 5
  T().Controls.Select_Marker.B.Left = 21;
  T().Controls.Select_Marker.B.Top = 31;
  T().Controls.Select_Image.B.Left = 22;
  T().Controls.Select_Image.B.Top = 32;
  T().Controls.ZH.Set_Position(1);
  EXPECT_EQ(T().Controls.Select_Marker.B.Left, 16);
  EXPECT_EQ(T().Controls.Select_Image.B.Left, 17);
  T().Controls.ZV.Set_Position(3);
  EXPECT_EQ(T().Controls.Select_Marker.B.Top, 16);
  EXPECT_EQ(T().Controls.Select_Image.B.Top, 17);
  T().Controls.ZH.Set_Position(0);
  EXPECT_EQ(T().Controls.Select_Marker.B.Left, 21);

  // A hidden selection stays hidden.
  T().Set_Tool(Tool_Select);
  const int hidden = T().Controls.Select_Marker.B.Left;
  T().Controls.ZH.Set_Position(4);
  EXPECT_EQ(T().Controls.Select_Marker.B.Left, hidden);
  EXPECT_EQ(T().View.Last_X(), 4);
}

}  // namespace
}  // namespace tolvane::testing
