#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "bmp/bmp.h"
#include "editor/editor_fixture.h"

namespace tolvane::testing {
namespace {

class Clipboard : public Editor_Test {
 protected:
  void SetUp() override {
    New_Anim(32);
    Fill_Distinct();
  }
};

const std::string No_Image = "There is not a usable image currently on the clipboard";
const std::string Too_Big =
    "Image is bigger than frame (32x32). Unable to complete paste operation!";
const std::string Wrong_Size = "Frame size is not 32x32. Unable to complete paste!";

TEST_F(Clipboard, PastesCheckTheSizeAndAlwaysLeaveAnUndoableChange) {
  struct Case {
    bool whole_frame;                          // Frame menu, else Edit menu
    std::optional<std::pair<int, int>> image;  // none: the clipboard holds no picture
    std::string message;                       // empty: pasted
  } cases[] = {
      {false, std::nullopt, No_Image}, {false, {{40, 10}}, Too_Big},
      {false, {{10, 33}}, Too_Big},    {false, {{10, 10}}, ""},
      {false, {{32, 32}}, ""},         {true, std::nullopt, No_Image},
      {true, {{31, 32}}, Wrong_Size},  {true, {{10, 10}}, Wrong_Size},
      {true, {{32, 32}}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << (c.whole_frame ? "frame menu " : "edit menu ") << (c.image ? c.image->first : 0)
                 << "x" << (c.image ? c.image->second : 0));
    Fresh(32);
    Fill_Distinct();
    T().Zoom_InClick();
    T().Controls.ZH.Set_Position(3);
    T().Controls.ZV.Set_Position(5);
    P.Messages.clear();
    P.Clipboard.reset();
    if (c.image) P.Clipboard = Raster_Image(c.image->first, c.image->second, Red);
    const Raster_Image before = W();
    (T().*(c.whole_frame ? &TTolvane::PasteFromClipboard1Click : &TTolvane::Paste2Click))();

    EXPECT_TRUE(T().Anim_Modified);
    EXPECT_TRUE(T().Frame_Edited);
    EXPECT_TRUE(T().Undo_Available);
    EXPECT_TRUE(Same_Pixels(T().Undo_Frame, before));
    if (!c.message.empty()) {
      ASSERT_EQ(P.Messages.size(), 1u);
      EXPECT_EQ(P.Messages[0].Text, c.message);
      EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
      EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_OK));
      EXPECT_TRUE(Same_Pixels(W(), before));
      EXPECT_FALSE(T().Selection.Shown());
      continue;
    }
    EXPECT_TRUE(P.Messages.empty());
    const auto [w, h] = *c.image;
    const int x0 = c.whole_frame ? 0 : 3, y0 = c.whole_frame ? 0 : 5;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const bool in = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
        ASSERT_EQ(W().At(x, y), in ? Red : before.At(x, y)) << x << "," << y;
      }
    if (c.whole_frame) continue;
    // A floating selection at the first shown pixel, the select tool down.
    EXPECT_EQ(T().Cur_Tool, Tool_Select);
    EXPECT_TRUE(T().Selection_Mode());
    EXPECT_EQ(T().Controls.Select_Marker.B, (Bounds{1, 1, w * 5 + 1, h * 5 + 1}));
    EXPECT_EQ(T().Controls.Select_Image.B, (Bounds{2, 2, w * 5 - 1, h * 5 - 1}));
    EXPECT_EQ(T().Selection.Area().Right, 3 + w);
    EXPECT_EQ(T().Selection.Area().Bottom, 5 + h);
    EXPECT_TRUE(Same_Pixels(T().Selection.Background(), before)) << "the background is untouched";
    T().Undo1Click();
    EXPECT_TRUE(Same_Pixels(W(), before));
  }
}

TEST_F(Clipboard, AHugePictureIsRefusedByItsReportedSizeWithoutReadingIt) {
  P.Clipboard = Raster_Image(2, 2, Red);
  P.Clipboard_Reported_Size = {{20000, 20000}};
  T().Paste2Click();
  T().PasteFromClipboard1Click();
  EXPECT_EQ(P.Message_Texts(), (std::vector<std::string>{Too_Big, Wrong_Size}));
  EXPECT_EQ(P.Clipboard_Reads, 0);
}

TEST_F(Clipboard, CopiesPutTheSelectionOrTheWholeFrame) {
  const Raster_Image frame = W();
  T().CopyToClipboard1Click();
  ASSERT_TRUE(P.Clipboard);
  EXPECT_TRUE(Same_Pixels(*P.Clipboard, frame));

  T().Tool6Click();
  Press(Vx(2), Vy(3));
  Move(Vx(6), Vy(5));
  Release(Vx(6), Vy(5));
  T().Copy2Click();
  ASSERT_EQ(P.Clipboard->Width(), 4);
  ASSERT_EQ(P.Clipboard->Height(), 2);
  EXPECT_EQ(P.Clipboard->At(0, 0), frame.At(2, 3));
  EXPECT_EQ(P.Clipboard->At(3, 1), frame.At(5, 4));
  T().CopyToClipboard1Click();
  EXPECT_TRUE(Same_Pixels(*P.Clipboard, frame)) << "the Frame menu copies the whole frame";
  EXPECT_FALSE(T().Anim_Modified) << "copying changes nothing";
}

TEST_F(Clipboard, CutWithoutASelectionFillsTheWholeFrameWithTheSecondColour) {
  const Raster_Image frame = W();
  T().Selected_Colour2 = Blue;
  T().Cut1Click();
  ASSERT_TRUE(P.Clipboard);
  EXPECT_TRUE(Same_Pixels(*P.Clipboard, frame));
  EXPECT_TRUE(All_Pixels(W(), Blue));
  EXPECT_EQ(W().Pen_Colour, Blue);
  T().Undo1Click();
  EXPECT_TRUE(Same_Pixels(W(), frame));
}

// Commands that replace or remove the frames, or repaint the whole working
// frame, drop a floating selection first; otherwise a later nudge would
// rebuild the new frame from the old selection's images.
class Dropping : public Editor_Test {
 protected:
  void Select_A_Block() {
    T().Tool6Click();
    Press(Vx(2), Vy(2));
    Move(Vx(6), Vy(6));
    Release(Vx(6), Vy(6));
    ASSERT_TRUE(T().Selection_Mode());
  }
};

TEST_F(Dropping, CommandsThatReplaceFramesDropTheSelection) {
  const std::string other = Path("other.bmp");
  Write_Bmp(other, Solid_Strip({Blue, Blue}, 16));
  struct Case {
    const char* name;
    std::function<void()> command;
    Colour shown;  // the frame shown afterwards: every pixel
  } cases[] = {
      {"Load",
       [&] {
         ASSERT_FALSE(T().Anim_Modified) << "lifting a selection is no change";
         Load_File(other);
       },
       Blue},
      {"Delete",
       [&] {
         P.Answers.push_back(id_Yes);
         T().Delete1Click();
       },
       Blue},
      {"Insert", [&] { T().Insert1Click(); }, White},
      {"New", [&] { Fresh(16); }, White},
      {"Resize",
       [&] {
         P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) {
           f.New_Size.Select(4);
           f.SpinEdit1.Text = "8";
           f.OkClick();
         });
         T().Resize1Click();
         ASSERT_EQ(T().Frame_Size, 8);
       },
       Red},
      {"Clear", [&] { T().Clear1Click(); }, White},
      {"Paste (From Buffer)", [&] { T().Paste1Click(); }, White},
      {"Paste (From Clipboard)",
       [&] {
         P.Clipboard = Raster_Image(16, 16, Blue);
         T().PasteFromClipboard1Click();
       },
       Blue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load_Strip(Solid_Strip({Red, Blue}, 16));
    Select_A_Block();
    c.command();
    EXPECT_FALSE(T().Selection.Shown());
    T().Nudge1Click();
    EXPECT_TRUE(Frame_Is(Saved_Strip(), T().Frame_Size, T().Cur_Frame, c.shown));
  }
}

TEST_F(Dropping, UndoAfterSaveIsSavedToo) {
  New_Anim(16);
  const std::string file = Path("undo.bmp");
  T().Tool2Click();
  T().Selected_Colour1 = Red;
  Press(Vx(1), Vy(1));
  Move(Vx(5), Vy(5));
  Release(Vx(5), Vy(5));
  P.Save_Answers.push_back(file);
  T().Save1Click();
  ASSERT_FALSE(Frame_Is(Read_Bmp(file), 16, 0, White)) << "the drawing is saved first";
  T().Undo1Click();
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_TRUE(T().Frame_Edited);
  T().Save1Click();
  EXPECT_TRUE(Frame_Is(Read_Bmp(file), 16, 0, White)) << "the file holds the undone frame";
  EXPECT_FALSE(T().Anim_Modified);
}

}  // namespace
}  // namespace tolvane::testing
