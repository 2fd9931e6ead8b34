#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

#include "editor/editor_fixture.h"

namespace tolvane::testing {
namespace {

using Corners = std::array<int, 4>;  // the selection area: left, top, right, bottom

class Select : public Editor_Test {
 protected:
  // A document of the size at the factor and scroll positions given.
  void Open(int size, int zoom_ins = 0, int h = 0, int v = 0) {
    Fresh(size);
    for (int i = 0; i < zoom_ins; ++i) T().Zoom_InClick();
    T().Controls.ZH.Set_Position(h);
    T().Controls.ZV.Set_Position(v);
    ASSERT_EQ(T().Controls.ZH.Position, h);
    Fill_Distinct();
    T().Tool6Click();
  }
  void Band(int x1, int y1, int x2, int y2) {
    Press(x1, y1);
    Move(x2, y2);
    Release(x2, y2);
  }
  // Takes hold of the grab area at (1, 1) inside it and moves the pointer to
  // each offset in turn, in screen pixels from where it was pressed; returns
  // the selection's column after each move. Each event's point is relative to
  // the area where it is at that moment, as the toolkit reports it.
  std::vector<int> Drag_Path(std::initializer_list<std::pair<int, int>> offsets) {
    const Bounds& g = T().Controls.Select_Image.B;
    const int px0 = g.Left + 1, py0 = g.Top + 1;
    int px = px0, py = py0;
    T().Select_ImageMouseDown(Mouse_Button::Left, ss_None, 1, 1);
    std::vector<int> columns;
    for (auto [dx, dy] : offsets) {
      px = px0 + dx;
      py = py0 + dy;
      T().Select_ImageMouseMove(ss_None, px - g.Left, py - g.Top);
      columns.push_back(T().Selection.Area().Left);
    }
    T().Select_ImageMouseUp(Mouse_Button::Left, ss_None, px - g.Left, py - g.Top);
    return columns;
  }
  void Drag_By(int dx, int dy) { Drag_Path({{dx, dy}}); }
  Corners Rect() {
    return {T().Selection.Area().Left, T().Selection.Area().Top, T().Selection.Area().Right,
            T().Selection.Area().Bottom};
  }
  // The working frame is the background with the selection on top.
  ::testing::AssertionResult Composed() {
    Raster_Image want = T().Selection.Background();
    BitBlt(want, T().Selection.Area().Left, T().Selection.Area().Top, T().Selection.Bitmap());
    if (Same_Pixels(want, W())) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "working frame is not background + selection";
  }
};

TEST_F(Select, BandSelectsFromThePressCellToTheCellBeforeThePointer) {
  struct Case {
    int size, zoom_ins, h, v;
    int x1, y1, x2, y2;
    Corners rect;
    Bounds marker, grab;
  };
  const Case cases[] = {
      {32, 0, 0, 0, 9, 9, 21, 17, {2, 2, 5, 4}, {9, 9, 13, 9}, {10, 10, 11, 7}},
      {32, 0, 0, 0, 21, 17, 9, 9, {2, 2, 5, 4}, {9, 9, 13, 9}, {10, 10, 11, 7}},
      {32, 1, 3, 7, 12, 3, 30, 23, {5, 7, 9, 11}, {11, 1, 21, 21}, {12, 2, 19, 19}},
      {32, 1, 7, 7, 30, 23, 12, 3, {9, 7, 13, 11}, {11, 1, 21, 21}, {12, 2, 19, 19}},
      {64, 1, 22, 5, 0, 0, 10, 128, {22, 5, 25, 47}, {1, 1, 10, 127}, {2, 2, 8, 125}},
      // Past the frame's edge the band is clipped to the frame.
      // The 100-pixel frame centred 14 pixels in.
      {50, 0, 0, 0, 124, 24, 94, 44, {40, 5, 50, 15}, {95, 25, 21, 21}, {96, 26, 19, 19}},
      {64, 0, 0, 0, 7, 9, -5, -3, {0, 0, 3, 4}, {1, 1, 7, 9}, {2, 2, 5, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.size << " +" << c.zoom_ins << " from " << c.x1 << ","
                                      << c.y1 << " to " << c.x2 << "," << c.y2);
    Open(c.size, c.zoom_ins, c.h, c.v);
    const Raster_Image before = W();
    T().Selected_Colour1 = Red;
    Band(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(Rect(), c.rect);
    EXPECT_EQ(T().Controls.Select_Marker.B, c.marker);
    EXPECT_EQ(T().Controls.Select_Image.B, c.grab);
    EXPECT_TRUE(T().Selection_Mode());
    EXPECT_FALSE(T().Anim_Modified) << "lifting a selection is no change";
    EXPECT_FALSE(T().Frame_Edited);
    EXPECT_TRUE(Same_Pixels(W(), before)) << "the picture looks unchanged";
    EXPECT_TRUE(Composed());
    const auto [x1, y1, x2, y2] = c.rect;
    ASSERT_EQ(T().Selection.Bitmap().Width(), x2 - x1);
    ASSERT_EQ(T().Selection.Scratch().Height(), y2 - y1);
    for (int y = y1; y < y2; ++y)
      for (int x = x1; x < x2; ++x) {
        EXPECT_EQ(T().Selection.Bitmap().At(x - x1, y - y1), before.At(x, y));
        EXPECT_EQ(T().Selection.Background().At(x, y), Red) << "the hole has the press colour";
      }
  }
}

// The report's steps: a band from (26, 26) dragged ten cells past the edge of
// a 32-pixel frame, then moved up-left, moves the frame's own 6 x 6 corner and
// stamps no white margin. A band wholly outside the frame selects nothing.
TEST_F(Select, BandPastTheEdgeLiftsOnlyTheFramesPixels) {
  Open(32);
  const Raster_Image before = W();
  T().Selected_Colour1 = Red;
  Band(Vx(26), Vy(26), Vx(42), Vy(42));
  Drag_By(-40, -40);
  Raster_Image want = before;
  want.Fill_Colour = Red;
  want.FillRect({26, 26, 32, 32});
  Copy_Rect(want, {16, 16, 22, 22}, before, {26, 26, 32, 32});
  EXPECT_TRUE(Same_Pixels(Saved_Strip(), want));

  Open(50);  // factor 2, centred: the view shows backdrop right of x 114
  Band(124, 24, 127, 44);
  EXPECT_FALSE(T().Selection.Shown());
}

TEST_F(Select, BandWithoutAreaLeavesNoSelectionAndCommandsActOnTheWholeFrame) {
  struct Case {
    int x2, y2;  // pressed at (9, 9); released here after a move
  } cases[] = {{9, 9}, {11, 10}, {30, 9}, {9, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x2 << "," << c.y2);
    Open(32);
    const Raster_Image before = W();
    Band(9, 9, c.x2, c.y2);
    EXPECT_FALSE(T().Selection.Shown());
    EXPECT_EQ(T().Controls.Select_Image.B.Left, 10 * T().Client_Width());
    EXPECT_TRUE(Same_Pixels(W(), before));
    T().Copy2Click();
    ASSERT_TRUE(P.Clipboard);
    EXPECT_TRUE(Same_Pixels(*P.Clipboard, before));
    T().Nudge1Click();
    EXPECT_EQ(W().At(31, 0), before.At(0, 0)) << "the whole frame wraps";
  }
}

TEST_F(Select, DraggingMovesInWholeCellsAndBringsClippedPixelsBack) {
  Open(32);
  T().Selected_Colour1 = Red;
  Band(Vx(2), Vy(2), Vx(5), Vy(4));  // columns 2..4, rows 2..3
  const Raster_Image picked = T().Selection.Bitmap();
  struct Step {
    int dx, dy;
    Corners rect;
  } steps[] = {
      {4, 0, {3, 2, 6, 4}},        // one cell right: marker one pixel up-left of the band's
      {-1, 0, {3, 2, 6, 4}},       // within the cell: stays
      {-20, -12, {-2, -1, 1, 1}},  // partly off the top-left
      {-40, 0, {-12, -1, -9, 1}},  // wholly off
      {48, 12, {0, 2, 3, 4}},      // back in
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(::testing::Message() << s.dx << "," << s.dy);
    Drag_By(s.dx, s.dy);
    EXPECT_EQ(Rect(), s.rect);
    EXPECT_TRUE(Composed());
    EXPECT_TRUE(Same_Pixels(T().Selection.Bitmap(), picked)) << "clipped pixels are kept";
    EXPECT_EQ(T().Controls.Select_Marker.B.Left, (s.rect[0] - T().Controls.ZH.Position) * 4);
    EXPECT_EQ(T().Controls.Select_Image.B.Left, T().Controls.Select_Marker.B.Left + 1);
    EXPECT_FALSE(T().Selection.Dragging());
    EXPECT_TRUE(T().Anim_Modified);
    EXPECT_TRUE(T().Frame_Edited);
  }
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(W().At(x, 2 + y), picked.At(x, y)) << x << "," << y;
  EXPECT_EQ(W().At(3, 2), Red) << "the hole has the colour of the band's press";
}

// The grab rule as first designed: new left = ((left + x - Grab_X) div Z) x Z
// + 1 + H x Z, and the selection's column is new left div Z, less 1 when the
// new left is negative. At factors 1 and 2 it moves a selection that is only
// taken hold of; from 3 up it is kept exactly.
int Literal_Column(int pointer_minus_grab, int z, int h) {
  const int left = (pointer_minus_grab / z) * z + 1 + h * z;
  return left / z - (left < 0 ? 1 : 0);
}

TEST_F(Select, DragFollowsTheGridAtEveryFactorAndDoesNotJumpAtOneAndTwo) {
  struct Case {
    int size, zoom_ins, zoom_outs, h;
  } cases[] = {{64, 0, 1, 0}, {64, 0, 0, 0}, {64, 1, 0, 9}, {32, 0, 0, 0},
               {32, 1, 0, 4}, {16, 0, 0, 0}, {32, 6, 0, 12}};
  for (const Case& c : cases) {
    Open(c.size, c.zoom_ins, c.h, 0);
    for (int i = 0; i < c.zoom_outs; ++i) T().Zoom_OutClick();
    T().Tool6Click();
    const int z = T().View.Factor(), ox = T().View.Origin_X(), oy = T().View.Origin_Y();
    for (int after_drag = 0; after_drag < 2; ++after_drag)
      for (int d = -3 * z; d <= 3 * z; ++d) {
        SCOPED_TRACE(::testing::Message()
                     << "factor " << z << ", scrolled " << c.h << ", "
                     << (after_drag ? "dragged before" : "new band") << ", drag " << d);
        Band(ox + z * 4, oy + z * 4, ox + z * 7, oy + z * 6);
        if (after_drag) Drag_By(z, 0);
        const int grab_left = T().Controls.Select_Image.B.Left - ox,
                  column = T().Selection.Area().Left;
        if (d == 0 && z < 3 && !after_drag) {
          EXPECT_NE(Literal_Column(grab_left, z, c.h), column) << "the first design jumps here";
        }
        const std::vector<int> moved = Drag_Path({{d, 0}, {0, 0}});
        if (z >= 3) {
          EXPECT_EQ(moved[0], Literal_Column(grab_left + d, z, c.h));
        } else if (d % z == 0) {
          EXPECT_EQ(moved[0], column + d / z);
        }
        EXPECT_EQ(moved[1], column) << "back where it was taken hold of";
        EXPECT_TRUE(Composed());
      }
  }
}

TEST_F(Select, ScrollingMovesBothOverlaysWithTheFrame) {
  Open(32, 1);  // factor 5, maximum 7
  Band(Vx(1), Vy(1), Vx(4), Vy(3));
  const Bounds marker = T().Controls.Select_Marker.B, grab = T().Controls.Select_Image.B;
  T().Controls.ZH.Set_Position(2);
  T().Controls.ZV.Set_Position(1);
  EXPECT_EQ(T().Controls.Select_Marker.B.Left, marker.Left - 10);
  EXPECT_EQ(T().Controls.Select_Image.B.Left, grab.Left - 10);
  EXPECT_EQ(T().Controls.Select_Marker.B.Top, marker.Top - 5);
  EXPECT_EQ(T().Controls.Select_Image.B.Top, grab.Top - 5);
  Drag_By(0, 0);
  EXPECT_EQ(Rect(), (Corners{1, 1, 4, 3})) << "taken hold of while scrolled: stays";
  Drag_By(5, 0);
  EXPECT_EQ(Rect(), (Corners{2, 1, 5, 3}));
  EXPECT_TRUE(Composed());
}

TEST_F(Select, CutAfterMovingFillsTheNewRectangleAndTheSelectionKeepsItsPixels) {
  Open(32);
  T().Selected_Colour1 = Red;
  T().Selected_Colour2 = Blue;
  Band(Vx(2), Vy(2), Vx(5), Vy(4));
  Drag_By(4, 0);
  const Raster_Image before_cut = W(), picked = T().Selection.Bitmap();
  T().Cut1Click();
  ASSERT_TRUE(P.Clipboard);
  EXPECT_TRUE(Same_Pixels(*P.Clipboard, picked));
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool in = x >= 3 && x < 6 && y >= 2 && y < 4;
      ASSERT_EQ(W().At(x, y), in ? Blue : before_cut.At(x, y)) << x << "," << y;
    }
  EXPECT_TRUE(Same_Pixels(T().Undo_Frame, before_cut));
  EXPECT_TRUE(T().Undo_Available);
  EXPECT_TRUE(T().Selection.Shown());
  T().Nudge1Click();  // rebuilt from the selection: the cut pixels return, wrapped
  EXPECT_EQ(W().At(3, 2), picked.At(1, 0));
  EXPECT_TRUE(Composed());
}

TEST_F(Select, UndoWithAFloatingSelectionRestoresTheFrameBeforeItsPress) {
  Open(32);
  const Raster_Image start = W();
  Band(Vx(2), Vy(2), Vx(6), Vy(6));
  Drag_By(8, 8);
  T().FlipHorizontal1Click();
  T().Undo1Click();
  EXPECT_TRUE(Same_Pixels(W(), start));
  EXPECT_FALSE(T().Selection.Shown());
  // A move that was still on its way when Undo dropped the selection does
  // nothing.
  T().Select_ImageMouseDown(Mouse_Button::Left, ss_None, 1, 1);
  T().Selection.Grab(1, 1);
  T().Select_ImageMouseMove(ss_None, 9, 9);
  EXPECT_TRUE(Same_Pixels(W(), start));
}

TEST_F(Select, NewBandReplacesTheFloatingSelectionWhosePixelsStay) {
  Open(32);
  T().Selected_Colour1 = Red;
  Band(Vx(0), Vy(0), Vx(2), Vy(2));
  const Raster_Image first = T().Selection.Bitmap();
  Drag_By(40, 40);  // to columns 10..11, rows 10..11
  const Raster_Image composed = W();
  Band(Vx(20), Vy(20), Vx(23), Vy(22));
  EXPECT_EQ(Rect(), (Corners{20, 20, 23, 22}));
  EXPECT_TRUE(Same_Pixels(W(), composed));
  EXPECT_EQ(T().Selection.Background().At(10, 10), first.At(0, 0)) << "the old pixels stay";
  Drag_By(-80, 0);
  EXPECT_EQ(W().At(10, 11), first.At(0, 1));
  EXPECT_EQ(W().At(21, 21), Red);
  EXPECT_TRUE(Composed());
}

TEST_F(Select, RightOrCtrlClickDoesNotLiftTheSelectionAgain) {
  Open(32);
  T().Selected_Colour1 = Red;
  Band(Vx(2), Vy(2), Vx(5), Vy(5));
  const Raster_Image background = T().Selection.Background(), picture = W();
  Press(Vx(20), Vy(20), Mouse_Button::Right);
  Release(Vx(20), Vy(20), Mouse_Button::Right);
  Press(Vx(20), Vy(20), Mouse_Button::Left, ss_Ctrl);
  Release(Vx(20), Vy(20));
  EXPECT_TRUE(Same_Pixels(T().Selection.Background(), background));
  EXPECT_TRUE(Same_Pixels(W(), picture));
  EXPECT_EQ(Rect(), (Corners{2, 2, 5, 5}));
}

TEST_F(Select, BandFarPastTheEdgeIsClippedToTheFrameAndEnds) {
  Open(128);  // factor 1: view cells are screen pixels
  const Raster_Image before = W();
  Press(5, 5);
  Move(40000, 40000);
  Release(40000, 40000);
  EXPECT_EQ(Rect(), (Corners{5, 5, 128, 128}));
  Move(50, 50);
  EXPECT_EQ(Rect(), (Corners{5, 5, 128, 128})) << "the band has ended";
  EXPECT_TRUE(Same_Pixels(W(), before));
  EXPECT_TRUE(Composed());
}

}  // namespace
}  // namespace tolvane::testing
