#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr Colour Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, White = 0xFFFFFF;

class Frames_Test : public Tolvane_Test {
 protected:
  int Size = 16;

  void Load(std::initializer_list<Colour> frames, int size = 16) {
    Size = size;
    Load_Strip(Solid_Strip(frames, size));
    ASSERT_EQ(T().Frame_Total, int(frames.size()));
  }

  void Go_To(int frame) {
    T().SpeedButton2Click();
    for (int i = 0; i < frame; ++i) T().Next_FrameClick();
    ASSERT_EQ(T().Cur_Frame, frame);
  }

  void Set_Section(int start, int end) {
    Go_To(start);
    T().MarkFrameAsStartOfSection1Click();
    Go_To(end);
    T().MarkFrameAsEndOfSection1Click();
  }

  // The strip holds exactly these solid frames.
  void Expect_Frames(std::initializer_list<Colour> frames) {
    ASSERT_EQ(T().Frame_Total, int(frames.size()));
    int i = 0;
    for (Colour c : frames) {
      EXPECT_TRUE(Frame_Is(T().Anim_Strip, Size, i, c)) << "frame " << i;
      ++i;
    }
    EXPECT_EQ(T().Check_Invariants(), "");
  }

  // As a drawing tool does: change the working frame and mark it edited.
  void Dot(int x, int y, Colour c) {
    T().Working_Frame.SetPixel(x, y, c);
    T().Frame_Edited = true;
    T().Anim_Modified = true;
  }

  void Delete_Yes() {
    P.Answers.push_back(id_Yes);
    T().Delete1Click();
  }
};

TEST_F(Frames_Test, DeleteTheLastFrameMovesBackOne) {
  Load({1, 2, 3, 4, 5});
  Go_To(4);
  T().Undo_Available = true;
  Delete_Yes();
  Expect_Frames({1, 2, 3, 4});
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 4 of 4");
  EXPECT_TRUE(All_Pixels(T().Working_Frame, 4));
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_FALSE(T().Undo_Available);
  ASSERT_EQ(P.Messages.size(), 1u);
  EXPECT_EQ(P.Messages[0].Text, "Are you sure that you want to delete this frame?");
  EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
  EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_Yes | mb_No));
}

TEST_F(Frames_Test, DeleteAMiddleFrameBringsTheNextIntoItsPlace) {
  Load({1, 2, 3, 4, 5});
  Go_To(2);
  Delete_Yes();
  Expect_Frames({1, 2, 4, 5});
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 3 of 4");
  EXPECT_TRUE(All_Pixels(T().Working_Frame, 4));
}

TEST_F(Frames_Test, DeleteFirstFrameKeepsTheStripsFillColour) {
  Load({1, 2, 3});
  Delete_Yes();
  Expect_Frames({2, 3});
  T().Add1Click();  // white after a Load, also after a Delete
  Expect_Frames({2, 3, White});
}

TEST_F(Frames_Test, DeleteClampsASectionReachingTheEnd) {
  Load({1, 2, 3, 4, 5});
  Set_Section(3, 4);
  Go_To(0);
  Delete_Yes();
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 4 to 4");
  EXPECT_EQ(T().Check_Invariants(), "");
}

TEST_F(Frames_Test, DeleteClampsASectionOnTheLastFrame) {
  Load({1, 2, 3, 4, 5});
  Set_Section(4, 4);
  Go_To(1);
  Delete_Yes();
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 4 to 4");
  EXPECT_EQ(T().Section_Start, 3);
  EXPECT_EQ(T().Check_Invariants(), "");
}

TEST_F(Frames_Test, DeleteLeavesASectionInsideTheStripAlone) {
  Load({1, 2, 3, 4, 5});
  Set_Section(1, 2);
  Delete_Yes();
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 2 to 3");
  EXPECT_EQ(T().Check_Invariants(), "");
}

TEST_F(Frames_Test, DeleteSetsTheSectionMenuByTheFramesLeft) {
  Load({1, 2, 3});
  Delete_Yes();
  EXPECT_TRUE(T().Sections_Offered);
  Delete_Yes();
  Expect_Frames({3});
  EXPECT_FALSE(T().Sections_Offered);
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 1 to 1");
}

TEST_F(Frames_Test, DeleteOfTheOnlyFrameWarnsAndChangesNothing) {
  New_Anim(32);
  Size = 32;
  T().Delete1Click();
  EXPECT_EQ(P.Message_Texts(),
            std::vector<std::string>{"Animation must have at least one frame in it!"});
  EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
  EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_OK));
  EXPECT_EQ(T().Frame_Total, 1);
  EXPECT_FALSE(T().Anim_Modified);
  EXPECT_TRUE(T().Controls.Delete1.Enabled);
  EXPECT_EQ(T().Check_Invariants(), "");
}

TEST_F(Frames_Test, DeleteAnsweredNoDoesNothing) {
  Load({1, 2, 3});
  Go_To(1);
  Dot(0, 0, Green);
  P.Answers.push_back(id_No);
  T().Delete1Click();
  EXPECT_EQ(T().Frame_Total, 3);
  EXPECT_TRUE(Frame_Is(T().Anim_Strip, Size, 1, 2));
  EXPECT_TRUE(T().Frame_Edited);
  EXPECT_EQ(T().Working_Frame.GetPixel(0, 0), Green);
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 2 of 3");
}

TEST_F(Frames_Test, InsertPutsABlankFrameOfTheSecondColourBeforeTheCurrent) {
  Load({1, 2, 3});
  T().Selected_Colour2 = Red;
  bool section_menu = T().Sections_Offered;
  T().Undo_Available = true;
  T().Insert1Click();
  Expect_Frames({Red, 1, 2, 3});
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 1 of 4");
  EXPECT_TRUE(All_Pixels(T().Working_Frame, Red));
  EXPECT_EQ(T().Anim_Strip.Fill_Colour, Red);
  EXPECT_EQ(T().Sections_Offered, section_menu);
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 1 to 4") << "a section over every frame follows";
  EXPECT_FALSE(T().Undo_Available);
  EXPECT_TRUE(T().Anim_Modified);

  Go_To(3);
  T().Selected_Colour2 = Green;
  T().Insert1Click();
  Expect_Frames({Red, 1, 2, Green, 3});
  T().Add1Click();  // Insert set the strip's fill colour
  Expect_Frames({Red, 1, 2, Green, 3, Green});
}

TEST_F(Frames_Test, AddAppendsAfterTheLastAndKeepsTheCurrentFrame) {
  Load({1, 2, 3});
  Go_To(1);
  T().Selected_Colour2 = Red;
  T().Undo_Available = true;
  T().Add1Click();
  Expect_Frames({1, 2, 3, White});
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 2 of 4");
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 1 to 4") << "a section over every frame follows";
  EXPECT_TRUE(T().Sections_Offered);
  EXPECT_FALSE(T().Undo_Available);
  EXPECT_TRUE(T().Anim_Modified);
  T().MarkFrameAsEndOfSection1Click();
  T().Add1Click();
  EXPECT_EQ(T().Controls.Label3.Caption, "Section: 1 to 2") << "any other section stays";
}

TEST_F(Frames_Test, AddAfterNewUsesTheSecondColourOfThatNew) {
  T().Selected_Colour2 = Red;
  New_Anim(32);
  Size = 32;
  EXPECT_FALSE(T().Sections_Offered);
  T().Selected_Colour2 = Blue;
  T().Add1Click();
  Expect_Frames({Red, Red});
  EXPECT_TRUE(T().Sections_Offered);
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 1 of 2");
}

TEST_F(Frames_Test, ADrawingSurvivesAddAndInsertAndGoesWithDelete) {
  Load({1, 2, 3});
  Go_To(1);
  Dot(4, 5, Green);
  T().Add1Click();
  EXPECT_FALSE(T().Frame_Edited);
  EXPECT_EQ(T().Anim_Strip.GetPixel(Size + 4, 5), Green);
  EXPECT_EQ(T().Working_Frame.GetPixel(4, 5), Green);

  Dot(6, 7, Blue);
  T().Insert1Click();
  EXPECT_EQ(T().Anim_Strip.GetPixel(2 * Size + 4, 5), Green);
  EXPECT_EQ(T().Anim_Strip.GetPixel(2 * Size + 6, 7), Blue);
  EXPECT_EQ(T().Check_Invariants(), "");

  T().Next_FrameClick();
  Dot(0, 0, Red);
  Delete_Yes();
  Expect_Frames({1, White, 3, White});
  EXPECT_FALSE(T().Frame_Edited);
  EXPECT_TRUE(All_Pixels(T().Working_Frame, 3));
}

TEST_F(Frames_Test, ClearFillsTheWorkingFrameAndCanBeUndone) {
  Load({1, 2});
  T().Selected_Colour2 = Red;
  Dot(1, 1, Green);
  T().Clear1Click();
  EXPECT_TRUE(All_Pixels(T().Working_Frame, Red));
  EXPECT_TRUE(T().Frame_Edited);
  EXPECT_TRUE(T().Undo_Available);
  EXPECT_TRUE(Frame_Is(T().Anim_Strip, Size, 0, 1));  // not before the next commit
  EXPECT_EQ(T().Undo_Frame.GetPixel(1, 1), Green);
  T().Undo1Click();
  EXPECT_EQ(T().Working_Frame.GetPixel(1, 1), Green);
  EXPECT_EQ(T().Working_Frame.GetPixel(0, 0), 1u);

  T().Clear1Click();
  T().Next_FrameClick();
  Expect_Frames({Red, 2});
}

TEST_F(Frames_Test, CopyAndPasteThroughTheBufferReplaceAWholeFrame) {
  Load({1, 2, 3}, 64);
  EXPECT_FALSE(T().Buffer_Filled);
  Dot(63, 63, Green);  // uncommitted changes go into the buffer too
  T().Copy1Click();
  EXPECT_TRUE(T().Buffer_Filled);
  EXPECT_EQ(T().Frame_Buffer.GetPixel(63, 63), Green);
  EXPECT_TRUE(T().Frame_Edited);
  EXPECT_TRUE(Frame_Is(T().Anim_Strip, 64, 0, 1));

  Go_To(2);
  T().Anim_Modified = false;
  T().Paste1Click();
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_TRUE(T().Frame_Edited);
  EXPECT_TRUE(T().Undo_Available);
  EXPECT_TRUE(Same_Pixels(T().Working_Frame, T().Frame_Buffer));
  EXPECT_TRUE(Frame_Is(T().Anim_Strip, 64, 2, 3));  // thumbnails wait for the commit

  T().Undo1Click();
  EXPECT_TRUE(All_Pixels(T().Working_Frame, 3));

  T().Paste1Click();
  T().SpeedButton2Click();
  EXPECT_TRUE(Same_Pixels(T().Frame_Buffer, T().Working_Frame));
  EXPECT_EQ(T().Anim_Strip.GetPixel(2 * 64 + 63, 63), Green);
  EXPECT_EQ(T().Anim_Strip.GetPixel(2 * 64, 0), 1u);
  EXPECT_EQ(T().Check_Invariants(), "");
}

}  // namespace
}  // namespace tolvane::testing
