#include "document/history.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

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

// Durations go with their frames through every strip edit, and a step taken
// back and forward brings them back as they were.
TEST(History, DurationsGoWithTheirFramesThroughTheEditsAndTheSteps) {
  const std::vector<int> start{100, 0, 250};
  const struct {
    const char* name;
    std::function<void(Editing_State&)> edit;
    std::vector<int> want;
  } cases[] = {
      {"add", [](Editing_State& s) { Append_Blank_Frame(s); }, {100, 0, 250, 0}},
      {"insert", [](Editing_State& s) { Insert_Blank_Frame(s, 1, 0); }, {100, 0, 0, 250}},
      {"insert frames",
       [](Editing_State& s) {
         Insert_Frames(s, 1, Raster_Image(32, 16), {40, 5});
       },
       {100, 40, 10, 0, 250}},
      {"delete", [](Editing_State& s) { Remove_Frame(s, 0); }, {0, 250}},
      {"replace keeps",
       [](Editing_State& s) { Replace_Frames(s, 2, Raster_Image(32, 16, 7)); },
       {100, 0, 250, 0}},
      {"replace gives",
       [](Editing_State& s) { Replace_Frames(s, 0, Raster_Image(16, 16, 7), {30}); },
       {30, 0, 250}},
      {"timing", [](Editing_State& s) { Set_Durations(s, 0, 1, 400); }, {400, 400, 250}},
      {"strip",
       [](Editing_State& s) { Replace_Strip(s, Raster_Image(32, 16), 16, [] {}, {500}); },
       {500, 0}},
      {"resize",
       [](Editing_State& s) {
         Resize_Strip(
             s, 8, 0, 1, [] {}, [] {});
       },
       {100, 0, 250}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Editing_State s;
    s.Frame_Size = 16;
    s.Frame_Total = 3;
    s.Frame_Ms = start;
    s.Anim_Strip = Raster_Image(48, 16, 1);
    s.Working_Frame = Raster_Image(16, 16, 1);
    s.Anim_History.Start(s, true);
    c.edit(s);
    EXPECT_EQ(s.Frame_Ms, c.want);
    s.Anim_History.Back(s);
    EXPECT_EQ(s.Frame_Ms, start);
    s.Anim_History.Forward(s);
    EXPECT_EQ(s.Frame_Ms, c.want);
  }
}

// Replace Colour over a section changes only that colour in those frames, as
// one step that takes it back whole.
TEST(History, ReplaceColourOverASectionIsOneStep) {
  Editing_State s;
  s.Frame_Size = 4;
  s.Frame_Total = 4;
  s.Anim_Strip = Raster_Image(16, 4, 1);
  s.Working_Frame = Raster_Image(4, 4, 1);
  s.Anim_Strip.SetPixel(6, 1, 2);
  s.Anim_History.Start(s, true);
  const Raster_Image before = s.Anim_Strip;
  EXPECT_EQ(Replace_Colour(s, 1, 2, 1, 5), 31);
  for (int x = 0; x < 16; ++x)
    EXPECT_EQ(s.Anim_Strip.GetPixel(x, 3), x >= 4 && x < 12 ? 5u : 1u) << x;
  EXPECT_EQ(s.Anim_Strip.GetPixel(6, 1), 2u);
  EXPECT_EQ(s.Anim_History.Steps(), 1);
  EXPECT_EQ(s.Anim_History.Back_Name(), "Replace Colour");
  s.Anim_History.Back(s);
  EXPECT_TRUE(Same_Pixels(s.Anim_Strip, before));
}

}  // namespace
}  // namespace tolvane
