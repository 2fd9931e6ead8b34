#include <gtest/gtest.h>

#include "editor/editor_parts.h"

namespace tolvane::testing {
namespace {

int Pixels_Not_White(const Raster_Image& im) {
  int n = 0;
  for (int y = 0; y < im.Height(); ++y)
    for (int x = 0; x < im.Width(); ++x) n += im.At(x, y) != 0xFFFFFF;
  return n;
}

// One stroke, pressed at (1, 1), moved to (4, 3) and released there, with
// each tool the Cur_Tool values name: the table of tools behind the one
// mouse protocol.
TEST(Tool_Table, EachToolValueDrawsItsOwnStroke) {
  struct Case {
    int tool;
    int painted;     // frame pixels no longer white
    Colour colour1;  // the first colour afterwards
    bool floats;     // a selection was lifted
  } cases[] = {
      {Tool_Pencil, 4, 0x0000FF, false},         {Tool_Filled_Rect, 12, 0x0000FF, false},
      {Tool_Outline_Rect, 10, 0x0000FF, false},  {Tool_Line, 4, 0x0000FF, false},
      {Tool_Fill, 64, 0x0000FF, false},          {Tool_Select, 0, 0x0000FF, true},
      {Tool_Filled_Ellipse, 8, 0x0000FF, false}, {Tool_Syringe, 0, 0xFFFFFF, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tool);
    Editor_Parts e;
    e.Doc.Cur_Tool = c.tool;
    e.Doc.Selected_Colour1 = 0x0000FF;
    e.Mouse.Press(Mouse_Button::Left, ss_None, 1, 1);
    e.Mouse.Move(ss_None, 4, 3);
    e.Mouse.Release(ss_None, 4, 3);
    EXPECT_EQ(Pixels_Not_White(e.Doc.Working_Frame), c.painted);
    EXPECT_EQ(e.Doc.Selected_Colour1, c.colour1);
    EXPECT_EQ(e.Selection.Shown(), c.floats);
    EXPECT_EQ(e.Doc.Frame_Edited, c.tool != Tool_Select) << "only select leaves the flags";
    EXPECT_FALSE(e.Mouse.Dragging()) << "the release ends the stroke";
  }
}

}  // namespace
}  // namespace tolvane::testing
