#include <gtest/gtest.h>

#include "editor/editor_parts.h"
#include "editor/transform.h"

namespace tolvane::testing {
namespace {

// At factor 4: a band from view (x1, y1) to (x2, y2) lifts the cells from
// the press cell to the one before the pointer's, clipped to the frame, or
// nothing when that has no area.
TEST(Floating_Selection_Class, LiftTakesTheBandsCellsWithinTheFrame) {
  struct Case {
    int x1, y1, x2, y2;
    bool lifted;
    Rect area;
  } cases[] = {
      {4, 4, 16, 12, true, {1, 1, 4, 3}},
      {16, 12, 4, 4, true, {1, 1, 4, 3}},
      {20, 20, 60, 60, true, {5, 5, 8, 8}},
      {4, 4, 6, 30, false, {}},
  };
  for (const Case& c : cases) {
    Editor_Parts e(32);
    e.Doc.Working_Frame.SetPixel(1, 1, 0x0000FF);
    const Raster_Image before = e.Doc.Working_Frame;
    e.Selection.Band_Press(c.x1, c.y1);
    e.Selection.Band_Move(c.x2, c.y2);
    EXPECT_EQ(e.Selection.Lift(), c.lifted);
    EXPECT_EQ(e.Selection.Shown(), c.lifted);
    EXPECT_TRUE(Same_Pixels(e.Doc.Working_Frame, before)) << "the picture looks the same";
    if (c.lifted) {
      EXPECT_EQ(e.Selection.Area(), c.area);
    }
  }
}

// Dragged by whole cells, nudged and dropped, the working frame stays the
// background with the selection's pixels on top.
TEST(Floating_Selection_Class, MovesAndTransformsOverItsBackground) {
  Editor_Parts e(32);
  Raster_Image pixels(2, 1);
  pixels.SetPixel(0, 0, 0x0000FF);
  // Pasted at the first shown pixel, as Paste does.
  e.Selection.Float(pixels, 0, 0, Raster_Image(8, 8, 0x00FF00));
  e.Selection.Grab(1, 1);
  EXPECT_TRUE(e.Selection.Drag_To(1 + 8, 1 + 5));  // two cells right, one down
  e.Selection.Let_Go();
  EXPECT_EQ(e.Selection.Area(), (Rect{2, 1, 4, 2}));
  e.Selection.Transform(
      [](Raster_Image& d, const Raster_Image& s) { Wrap_Shift(d, s, Nudge::Right); });
  const Raster_Image& w = e.Doc.Working_Frame;
  EXPECT_EQ(w.At(2, 1), 0xFFFFFFu);
  EXPECT_EQ(w.At(3, 1), 0x0000FFu);
  EXPECT_EQ(w.At(0, 0), 0x00FF00u) << "the old place shows the background";
  e.Selection.Drop();
  EXPECT_FALSE(e.Selection.Shown());
  EXPECT_FALSE(e.Selection.Drag_To(20, 20)) << "a dropped selection does not move";
}

}  // namespace
}  // namespace tolvane::testing
