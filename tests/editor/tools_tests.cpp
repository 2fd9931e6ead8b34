#include <gtest/gtest.h>

#include "editor/editor_fixture.h"

namespace tolvane::testing {
namespace {

using Pixels = std::vector<std::string>;

class Tools : public Editor_Test {
 protected:
  void SetUp() override {
    New_Anim(32);
    ASSERT_EQ(T().View.Factor(), 4);
  }
};

TEST_F(Tools, ToolButtonsAreOneExclusiveGroupAndSetToolHidesTheOverlay) {
  T().Controls.Select_Marker.B.Left = 10;
  T().Controls.Select_Image.B.Left = 11;
  T().Tool4Click();
  EXPECT_EQ(T().Cur_Tool, Tool_Line);
  T().Show_State();
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(T().Tool_Button(i).Down, i == 4) << i;
  EXPECT_EQ(T().Controls.Select_Marker.B.Left, 10 * T().Client_Width());
  EXPECT_EQ(T().Controls.Select_Image.B.Left, 10 * T().Client_Width());
  EXPECT_FALSE(T().Selection.Shown());
  EXPECT_EQ(&T().Tool_Button(6), &T().Controls.Tool6);
}

TEST_F(Tools, DrawingPressTakesUndoCopySetsFlagsAndColours) {
  T().Tool2Click();
  T().Selected_Colour1 = Red;
  ASSERT_FALSE(T().Undo_Available);
  W().SetPixel(5, 5, Blue);
  Press(Vx(3), Vy(4));
  EXPECT_TRUE(T().Mouse.Dragging());
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_TRUE(T().Frame_Edited);
  EXPECT_TRUE(T().Undo_Available);
  EXPECT_EQ(T().Undo_Frame.GetPixel(5, 5), Blue);
  EXPECT_EQ(T().Mouse.Anchor_X(), 3);
  EXPECT_EQ(T().Mouse.Anchor_Y(), 4);
  EXPECT_EQ(W().Pen_Colour, Red);
  EXPECT_EQ(W().Fill_Colour, Red);
  EXPECT_EQ(W().GetPixel(3, 4), Red) << "a press draws the pixel under it";
}

TEST_F(Tools, MiddleButtonIsADrawingPressAndSelectPressKeepsFlags) {
  T().Tool2Click();
  Press(Vx(1), Vy(1), Mouse_Button::Middle);
  Move(Vx(3), Vy(3));
  EXPECT_EQ(Pixels_Not(W(), White), Block(1, 1, 3, 3));
  Release(Vx(3), Vy(3), Mouse_Button::Middle);

  Fresh(32);
  T().Tool6Click();
  Press(Vx(1), Vy(1));
  EXPECT_TRUE(T().Mouse.Dragging());
  EXPECT_TRUE(T().Undo_Available);
  EXPECT_FALSE(T().Anim_Modified);
  EXPECT_FALSE(T().Frame_Edited);
}

TEST_F(Tools, FilledRectangleMovesAreClampedToTheFrame) {
  T().Tool2Click();
  Press(Vx(30), Vy(30));
  Move(500, 500);
  EXPECT_EQ(Pixels_Not(W(), White), Block(30, 30, 31, 31));
  Move(-500, -500);  // clamped to (0, 0)
  EXPECT_EQ(Pixels_Not(W(), White), Block(0, 0, 30, 30));
}

// Each shape spans from the press pixel to the pointer's, both in, whichever
// way it is dragged; a click draws the one pixel under it.
TEST_F(Tools, ShapesCoverBothEndPixelsInEveryDirection) {
  using Points = std::vector<std::pair<int, int>>;
  const int drags[][4] = {{2, 3, 6, 5}, {6, 5, 2, 3}, {2, 5, 6, 3}, {6, 3, 2, 5}, {7, 7, 7, 7}};
  for (int tool : {Tool_Filled_Rect, Tool_Outline_Rect, Tool_Line, Tool_Filled_Ellipse})
    for (const auto& [c0, r0, c1, r1] : drags) {
      SCOPED_TRACE(::testing::Message() << Tool_Name(tool) << " to " << c1 << "," << r1);
      Fresh(32);
      T().Set_Tool(tool);
      Press(Vx(c0), Vy(r0));
      const bool click = c0 == c1, ends = click || tool == Tool_Line;
      if (!click) Move(Vx(c1), Vy(r1));
      Release(Vx(c1), Vy(r1));
      // The line's two ends; the other shapes' top, bottom, left and right.
      for (auto [x, y] : ends ? Points{{c0, r0}, {c1, r1}} : Points{{4, 3}, {4, 5}, {2, 4}, {6, 4}})
        EXPECT_EQ(W().GetPixel(x, y), Black) << x << "," << y;
      EXPECT_EQ(Pixels_Not(W(), White).size() == 1, click);
    }
}

// The report's stroke: across 26 pixels in 3 moves, then a diagonal. The
// press pixel is painted and each move is joined to the one before by the
// raster line, both ends included; nothing is painted beyond the edge.
TEST_F(Tools, PencilStrokeHasNoGaps) {
  Press(Vx(2), Vy(10));
  for (int x : {11, 19, 27}) Move(Vx(x), Vy(10));
  Release(Vx(27), Vy(10));
  Press(Vx(0), Vy(0));
  Move(Vx(2), Vy(4));
  Release(Vx(2), Vy(4));
  Press(Vx(30), Vy(1));
  Move(200, Vy(1));  // clamped to column 32: outside
  Move(200, 300);    // and row 32
  Release(200, Vy(1));
  Pixels want = {"0,0", "1,1", "30,1", "31,1", "1,2", "2,3", "2,4"};
  for (int x = 2; x <= 27; ++x) want.push_back(std::to_string(x) + ",10");
  EXPECT_EQ(Pixels_Not(Saved_Strip(), White), want);
}

TEST_F(Tools, PencilClickPaintsOnePixelInTheFirstColour) {
  T().Selected_Colour1 = Red;
  Press(Vx(4), Vy(6));
  Release(Vx(4), Vy(6));
  EXPECT_EQ(Pixels_Not(W(), White), (Pixels{"4,6"}));
  EXPECT_EQ(W().GetPixel(4, 6), Red);
  EXPECT_FALSE(T().Mouse.Dragging());
}

TEST_F(Tools, ReleaseMapsNegativeViewPointsToTheFirstShownColumn) {
  Press(Vx(1), Vy(2));
  Release(-3, Vy(2));  // -3 div 4 = 0, not -1
  EXPECT_EQ(W().GetPixel(0, 2), Black);

  T().Zoom_InClick();  // factor 5, scrollable
  T().Controls.ZH.Set_Position(3);
  Press(Vx(5), 0);
  Release(-4, 0);
  EXPECT_EQ(W().GetPixel(3, 0), Black);
  EXPECT_EQ(W().GetPixel(2, 0), White);
}

TEST_F(Tools, RightClickWithPencilSwapsAndPaintsTheNewSecondColour) {
  T().Selected_Colour1 = Red;
  T().Selected_Colour2 = Blue;
  Press(Vx(7), Vy(7), Mouse_Button::Right);
  EXPECT_EQ(T().Selected_Colour1, Blue);
  EXPECT_EQ(T().Selected_Colour2, Red);
  EXPECT_EQ(T().Controls.Col_Select.Picture.GetPixel(0, 0), Blue);
  EXPECT_EQ(T().Controls.Col_Select.Picture.GetPixel(48, 9), Red);
  EXPECT_FALSE(T().Mouse.Dragging());
  EXPECT_FALSE(T().Undo_Available) << "a right press takes no undo copy";
  Release(Vx(7), Vy(7), Mouse_Button::Right);
  EXPECT_EQ(W().GetPixel(7, 7), Red);

  // The painted pixel must survive the next commit.
  EXPECT_TRUE(T().Frame_Edited);
  EXPECT_TRUE(T().Anim_Modified);
  T().Next_FrameClick();
  EXPECT_EQ(T().Anim_Strip.GetPixel(7, 7), Red);
}

TEST_F(Tools, RightPressStartsNoDrag) {
  T().Tool2Click();
  Press(Vx(2), Vy(2), Mouse_Button::Right);
  Move(Vx(9), Vy(9));
  EXPECT_TRUE(Pixels_Not(W(), White).empty());
  EXPECT_FALSE(T().Anim_Modified);
}

TEST_F(Tools, CtrlPressPicksTheFramePixelWhateverTheButton) {
  W().SetPixel(1, 1, Red);
  T().Redraw_Zoom();
  Press(Vx(1), Vy(1), Mouse_Button::Right, ss_Ctrl);
  EXPECT_EQ(T().Selected_Colour1, Red);
  EXPECT_EQ(T().Controls.Col_Select.Picture.GetPixel(23, 9), Red);
  EXPECT_EQ(T().Selected_Colour2, White) << "no swap";
  EXPECT_FALSE(T().Mouse.Dragging());
  EXPECT_FALSE(T().Undo_Available);

  Fresh(50);  // factor 2: view pixels 100..127 are backdrop, no colour of the frame
  Press(120, 120, Mouse_Button::Left, ss_Ctrl | ss_Shift);
  EXPECT_EQ(T().Selected_Colour1, Red);
  EXPECT_FALSE(T().Anim_Modified);
}

TEST_F(Tools, SyringeReadsTheFrameAndNoColourBeyondItsEdge) {
  Fill_Distinct();
  T().Tool8Click();
  Press(Vx(3), Vy(5));
  EXPECT_EQ(T().Selected_Colour1, Rgb(3, 5, 7)) << "a plain click picks";
  Move(Vx(4), Vy(6));
  EXPECT_EQ(T().Selected_Colour1, Rgb(4, 6, 7));
  EXPECT_EQ(T().Controls.Col_Select.Picture.GetPixel(10, 5), Rgb(4, 6, 7));
  Move(127, Vy(6));  // column 31 is inside
  EXPECT_EQ(T().Selected_Colour1, Rgb(31, 6, 7));
  Move(Vx(4), 127);  // and row 31
  EXPECT_EQ(T().Selected_Colour1, Rgb(4, 31, 7));
  Move(Vx(4), 400);  // row 100 clamps to 32: outside
  EXPECT_EQ(T().Selected_Colour1, No_Colour);
  Move(140, Vy(6));  // column 35 clamps to 32: outside
  EXPECT_EQ(T().Selected_Colour1, No_Colour);
  EXPECT_EQ(T().Controls.Col_Select.Picture.GetPixel(10, 5), White) << "no colour shows as white";
  Release(140, Vy(6));

  // Drawing with it paints white.
  T().Tool1Click();
  Press(Vx(0), Vy(0));
  Release(Vx(0), Vy(0));
  EXPECT_EQ(W().GetPixel(0, 0), White);
}

TEST_F(Tools, CtrlReleaseKeepsTheDragRunning) {
  T().Tool2Click();
  Press(Vx(1), Vy(1));
  Move(Vx(3), Vy(3));
  Move(Vx(9), Vy(9), ss_Ctrl);  // moves with Ctrl draw nothing
  EXPECT_EQ(Pixels_Not(W(), White), Block(1, 1, 3, 3));
  Release(Vx(3), Vy(3), Mouse_Button::Left, ss_Ctrl);
  EXPECT_TRUE(T().Mouse.Dragging());
  Move(Vx(4), Vy(4));
  EXPECT_EQ(Pixels_Not(W(), White), Block(1, 1, 4, 4));
  Release(Vx(4), Vy(4));
  EXPECT_FALSE(T().Mouse.Dragging());
  Move(Vx(9), Vy(9));
  EXPECT_EQ(Pixels_Not(W(), White), Block(1, 1, 4, 4));
}

TEST_F(Tools, RubberBandShapesAreRedrawnFromTheUndoCopy) {
  W().SetPixel(6, 6, Blue);
  T().Tool2Click();
  T().Selected_Colour1 = Red;
  Press(Vx(0), Vy(0));
  Move(Vx(10), Vy(10));
  EXPECT_EQ(W().GetPixel(6, 6), Red);
  Move(Vx(2), Vy(2));
  EXPECT_EQ(W().GetPixel(6, 6), Blue) << "the shrunken rectangle uncovers the old picture";
  EXPECT_EQ(Pixels_Not(W(), White).size(), 9u + 1u);
}

TEST_F(Tools, FillFloodsAtTheReleasePointAndNeverCrossesDiagonals) {
  // A black diagonal wall from (4, 0) to (0, 4), plus two white pixels that
  // touch the corner region only diagonally.
  for (int i = 0; i <= 4; ++i) W().SetPixel(4 - i, i, Black);
  T().Tool5Click();
  T().Selected_Colour1 = Red;
  Press(Vx(20), Vy(20));  // the fill colour comes from the press
  Release(Vx(1), Vy(1));  // the release point counts, not the press point
  EXPECT_EQ(W().GetPixel(0, 0), Red);
  EXPECT_EQ(W().GetPixel(3, 0), Red);
  EXPECT_EQ(W().GetPixel(1, 2), Red);
  EXPECT_EQ(W().GetPixel(4, 1), White);
  EXPECT_EQ(W().GetPixel(20, 20), White);
  EXPECT_EQ(W().GetPixel(4, 0), Black);

  // A pixel enclosed by its four neighbours stays alone.
  Fresh(32);
  T().Tool5Click();
  for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {2, 1}, {1, 2}}) W().SetPixel(x, y, Black);
  T().Selected_Colour1 = Red;
  Press(Vx(1), Vy(1));
  Release(Vx(1), Vy(1));
  EXPECT_EQ(Pixels_Not(W(), White), (Pixels{"1,0", "0,1", "1,1", "2,1", "1,2"}));
  EXPECT_EQ(W().GetPixel(1, 1), Red);
  EXPECT_EQ(W().GetPixel(0, 0), White);
}

TEST_F(Tools, FillOutsideTheFrameOrWithTheSameColourChangesNothing) {
  T().Tool5Click();
  T().Selected_Colour1 = White;
  Press(Vx(1), Vy(1));
  Release(Vx(1), Vy(1));
  EXPECT_TRUE(Pixels_Not(W(), White).empty());

  Fresh(50);  // factor 2, the frame centred 14 pixels in; view x 124 is column 55
  T().Tool5Click();
  T().Selected_Colour1 = Red;
  Press(24, 24);
  Release(124, 24);
  EXPECT_TRUE(Pixels_Not(W(), White).empty());
  EXPECT_EQ(T().Mouse.Anchor_X(), 5);
}

TEST_F(Tools, AFilledRectangleDrawnAndSavedIsInTheFile) {
  T().Tool2Click();
  T().Selected_Colour1 = Red;
  Press(Vx(2), Vy(3));
  Move(Vx(6), Vy(5));
  Release(Vx(6), Vy(5));
  EXPECT_EQ(T().Controls.Frames.Picture.GetPixel(2 * 32 + 6, 5), Red)
      << "the thumbnail follows, uncommitted";
  const std::string path = Path("drawn.bmp");
  P.Save_Answers.push_back(path);
  T().Save1Click();
  ASSERT_TRUE(T().Session.Saved());
  Load_File(path);
  EXPECT_EQ(Pixels_Not(T().Anim_Strip, White), Block(2, 3, 6, 5));
  EXPECT_EQ(T().Anim_Strip.GetPixel(2, 3), Red);
}

TEST_F(Tools, EveryMoveRedrawsTheView) {
  T().Tool2Click();
  T().Selected_Colour1 = Red;
  Press(0, 0);
  Move(8, 8);  // pixels (0..2, 0..2): view 0..11
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(11, 11), Red);
  EXPECT_EQ(T().Controls.Zoom.Picture.GetPixel(12, 12), White);
}

}  // namespace
}  // namespace tolvane::testing

namespace tolvane::testing {
namespace {

TEST_F(Editor_Test, ZoomPressesDoNothingWithoutADocument) {
  ASSERT_FALSE(T().Document_Open());
  T().Tool2Click();
  Press(8, 8);
  Move(40, 40);
  EXPECT_FALSE(T().Mouse.Dragging());
  EXPECT_FALSE(T().Undo_Available);
  EXPECT_FALSE(T().Anim_Modified);
  EXPECT_TRUE(Pixels_Not(W(), White).empty());
  Press(8, 8, Mouse_Button::Left, ss_Ctrl);
  EXPECT_EQ(T().Selected_Colour1, Black);
}

}  // namespace
}  // namespace tolvane::testing
