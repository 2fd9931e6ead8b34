#include "document/history.h"

#include <gtest/gtest.h>

#include "document/editing_state.h"
#include "document/strip_edit.h"

namespace tolvane {
namespace {

// The oldest steps go to keep the bytes under the cap; a step larger than
// the cap on its own clears the history, and its change still goes through.
// A change after stepping back drops the steps ahead, the saved one too.
TEST(History, TheCapDropsTheOldestStepsAndAChangeTheStepsAhead) {
  Editing_State s;
  s.Frame_Size = 16;
  s.Frame_Total = 8;
  s.Anim_Strip = Raster_Image(128, 16, 1);
  s.Working_Frame = Raster_Image(16, 16, 1);
  History& h = s.Anim_History;
  h.Start(s, true);
  Remove_Frame(s, 0);
  h.Set_Cap(3 * h.Bytes());
  EXPECT_FALSE(h.Was_Cut());
  for (int i = 0; i < 4; ++i) Remove_Frame(s, 0);
  EXPECT_EQ(h.Steps(), 3);
  EXPECT_TRUE(h.Was_Cut()) << "the window tells the user once";
  EXPECT_FALSE(h.At_Saved());
  while (h.Can_Back()) h.Back(s);
  EXPECT_EQ(s.Frame_Total, 6) << "the two oldest steps went";
  h.Mark_Saved();
  Remove_Frame(s, 0);
  EXPECT_FALSE(h.Can_Forward());
  h.Back(s);
  EXPECT_TRUE(h.At_Saved());
  Replace_Frames(s, 0, Raster_Image(16, 16, 1));
  EXPECT_TRUE(h.At_Saved()) << "a change to the same pixels is no step";
  // Steps are kept compressed: a step keeping pixels too varied to compress
  // overflows the cap.
  Raster_Image varied(96, 16, 2);
  for (int i = 0; i < 96 * 16; ++i) varied.Row(0)[i] = Colour(i * 2654435761u) & Colour_Mask;
  Replace_Frames(s, 0, varied);
  Replace_Frames(s, 0, Raster_Image(96, 16, 2));
  EXPECT_EQ(h.Steps(), 0);
  EXPECT_EQ(s.Anim_Strip.GetPixel(95, 15), 2u);
  EXPECT_FALSE(h.At_Saved()) << "no step is saved any more";
}

}  // namespace
}  // namespace tolvane
