#include "document/history.h"

#include <gtest/gtest.h>

#include <string>

#include "document/editing_state.h"
#include "document/strip_edit.h"

namespace tolvane {
namespace {

// A document of frames of 4 pixels, frame i of colour i + 1, on frame 0.
struct Doc : Editing_State {
  explicit Doc(int frames) {
    Frame_Size = 4;
    Frame_Total = frames;
    Anim_Strip = Raster_Image(frames * 4, 4);
    for (int i = 0; i < frames; ++i) {
      Anim_Strip.Fill_Colour = Colour(i + 1);
      Anim_Strip.FillRect({i * 4, 0, i * 4 + 4, 4});
    }
    Working_Frame = Raster_Image(4, 4, 1);
    Anim_History.Start(*this, true);
  }
  // Draws into the working frame and records it, as a tool's stroke does.
  void Dot(int x, int y, Colour c) {
    Working_Frame.SetPixel(x, y, c);
    Frame_Edited = true;
    Anim_History.Record_Edit(*this, "Pencil");
  }
  // The current frame loaded into the working frame, as the window shows it.
  void Show() {
    Working_Frame.Set_Size(Frame_Size, Frame_Size);
    BitBlt(Working_Frame, -Frame_Left(Cur_Frame), 0, Anim_Strip);
    Frame_Edited = false;
    Anim_History.Rebase(*this);
  }
  // A step as the window takes it: the working frame committed first.
  void Step(bool back) {
    Commit_Frame();
    back ? Anim_History.Back(*this) : Anim_History.Forward(*this);
    Show();
  }
};

// The saved step is the one the document is at when it is saved; a new
// change after stepping back drops the steps ahead, the saved one with them.
TEST(History, TheSavedStepFollowsSavesAndIsLostWithTheStepsAhead) {
  Doc d(2);
  EXPECT_TRUE(d.Anim_History.At_Saved());
  d.Dot(0, 0, 9);
  EXPECT_FALSE(d.Anim_History.At_Saved());
  d.Anim_History.Mark_Saved();
  d.Dot(1, 0, 9);
  d.Step(true);
  EXPECT_TRUE(d.Anim_History.At_Saved());
  d.Step(true);
  EXPECT_FALSE(d.Anim_History.At_Saved());
  d.Step(false);
  EXPECT_TRUE(d.Anim_History.At_Saved());
  d.Step(true);
  d.Dot(2, 0, 9);
  EXPECT_FALSE(d.Anim_History.Can_Forward());
  d.Step(true);
  EXPECT_FALSE(d.Anim_History.At_Saved()) << "the saved step went with the steps ahead";
}

// The oldest steps go to keep the bytes under the cap; a step larger than
// the cap on its own clears the history and still changes the document.
TEST(History, TheCapDropsTheOldestStepsAndAStepTooLargeClearsAll) {
  Doc d(16);
  d.Dot(0, 0, 10);
  const std::size_t one = d.Anim_History.Bytes();
  d.Anim_History.Set_Cap(3 * one);
  for (Colour c = 11; c <= 14; ++c) d.Dot(int(c - 10) % 4, int(c - 10) / 4, c);
  EXPECT_EQ(d.Anim_History.Steps(), 3);
  EXPECT_LE(d.Anim_History.Bytes(), 3 * one);
  while (d.Anim_History.Can_Back()) d.Step(true);
  EXPECT_EQ(d.Working_Frame.GetPixel(1, 0), 11u) << "the two oldest steps went";
  EXPECT_EQ(d.Working_Frame.GetPixel(2, 0), 1u);

  ASSERT_GT(16 * 16 * sizeof(Colour), 3 * one);
  Replace_Frames(d, 0, Raster_Image(64, 4, 0x00FF00));
  EXPECT_EQ(d.Anim_History.Steps(), 0);
  EXPECT_EQ(d.Anim_Strip.GetPixel(63, 3), 0x00FF00u);

  d.Anim_History.Set_Cap(0);
  Remove_Frame(d, 0);
  EXPECT_EQ(d.Anim_History.Steps(), 0) << "a cap of 0 keeps no history";
}

}  // namespace
}  // namespace tolvane
