#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "bmp/bmp.h"
#include "png/png.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr Colour Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000;
const char* const Retrieval_Question =
    "This is not a valid animation bitmap. It must contain only square frames. Do you wish to "
    "attempt frame retrieval?";

using Files = Tolvane_Test;

TEST_F(Files, LoadingAValidStripOpensItAsTheDocument) {
  Load_Strip(Solid_Strip({Red, Green, Blue}, 32), "Walk.bmp");
  TTolvane& t = T();
  EXPECT_EQ(t.Frame_Size, 32);
  EXPECT_EQ(t.Frame_Total, 3);
  EXPECT_EQ(t.Cur_Frame, 0);
  EXPECT_EQ(t.Caption, "Tolvane v2 - Walk.bmp");
  EXPECT_EQ(t.Anim_File_Name, Path("Walk.bmp"));
  EXPECT_FALSE(t.Anim_Modified);
  EXPECT_EQ(t.Controls.Label2.Caption, "Frame 1 of 3");
  EXPECT_EQ(t.Controls.Label3.Caption, "Section: 1 to 3");
  for (Menu_Item* m :
       {&t.Controls.Save1, &t.Controls.SaveAs1, &t.Controls.MergeFiles1, &t.Controls.Edit1,
        &t.Controls.Frame1, &t.Controls.Section1, &t.Controls.Effects1})
    EXPECT_TRUE(m->Enabled) << m->Caption;
  EXPECT_FALSE(t.Undo_Available);
  EXPECT_TRUE(t.Controls.Play.Enabled);
  EXPECT_TRUE(t.Controls.Bevel1.Visible);
  EXPECT_TRUE(All_Pixels(t.Working_Frame, Red));
  EXPECT_EQ(t.Check_Invariants(), "");
  // The open dialog was set up for every picture it reads.
  ASSERT_EQ(P.Open_Seen.size(), 1u);
  EXPECT_EQ(P.Open_Seen[0].Title, "Open...");
  EXPECT_EQ(P.Open_Seen[0].Filter,
            "All Pictures (*.bmp *.png *.gif)|*.bmp;*.png;*.gif|Bitmap Files (*.BMP)|*.BMP|All "
            "Files (*.*)|*.*|PNG Files (*.PNG)|*.PNG|GIF Files (*.GIF)|*.GIF");
  EXPECT_EQ(P.Open_Seen[0].Filter_Index, 1);
}

TEST_F(Files, ACutFileOpensWithWhatItHoldsAndSaysSoOnce) {
  Write_Bmp(Path("cut.bmp"), Solid_Strip({Red, Green}, 8));
  std::filesystem::resize_file(Path("cut.bmp"), std::filesystem::file_size(Path("cut.bmp")) - 100);
  T().Session.Load_File(Path("cut.bmp"));
  ASSERT_EQ(T().Frame_Total, 2);
  ASSERT_EQ(P.Messages.size(), 1u);
  EXPECT_EQ(P.Messages[0].Text,
            "cut.bmp ended early: the rows it lacks have been filled with white.");
}

TEST_F(Files, OneSquarePictureIsOneFrame) {
  Load_Strip(Solid_Strip({Green}, 16));
  EXPECT_EQ(T().Frame_Size, 16);
  EXPECT_EQ(T().Frame_Total, 1);
  EXPECT_EQ(T().Client_Width(), 373);
  EXPECT_EQ(T().Client_Height(), 206);
}

TEST_F(Files, PicturesThatAreNoStripAskForRetrievalAndChangeNothing) {
  Load_Strip(Solid_Strip({Red, Green}, 32), "first.bmp");
  for (auto [w, h] : {std::pair{100, 32}, std::pair{32, 96}}) {
    for (int answer : {id_No, id_Yes}) {
      Write_Bmp(Path("odd.bmp"), Raster_Image(w, h));
      P.Messages.clear();
      P.Answers = {answer};
      Load_File(Path("odd.bmp"));
      ASSERT_EQ(P.Messages.size(), 1u);
      EXPECT_EQ(P.Messages[0].Text, Retrieval_Question);
      EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
      EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_Yes | mb_No));
      EXPECT_EQ(T().Caption, "Tolvane v2 - first.bmp");
      EXPECT_EQ(T().Anim_File_Name, Path("first.bmp"));
      EXPECT_EQ(T().Frame_Total, 2);
      EXPECT_TRUE(Frame_Is(T().Anim_Strip, 32, 1, Green));
    }
  }
  // A following Save writes to the previous document's file.
  T().Working_Frame.Fill_Colour = Blue;
  T().Working_Frame.FillRect({0, 0, 32, 32});
  T().Frame_Edited = T().Anim_Modified = true;
  T().Save1Click();
  EXPECT_TRUE(Frame_Is(Read_Bmp(Path("first.bmp")), 32, 0, Blue));
}

TEST_F(Files, ReadFailuresShowTheToolkitErrorAndKeepTheDocument) {
  Load_Strip(Solid_Strip({Red}, 32), "keep.bmp");
  std::ofstream(Path("text.bmp")) << "this is not a bitmap at all, just some text";
  Load_File(Path("text.bmp"));
  Load_File(Path("missing.bmp"));
  EXPECT_EQ(P.Errors, (std::vector<std::string>{
                          "Bitmap image is not valid.\n\ntext.bmp: not a BMP, PNG or GIF picture.",
                          "Cannot open file " + Path("missing.bmp") +
                              ".\n\nmissing.bmp: no such file or directory."}));
  EXPECT_EQ(T().Caption, "Tolvane v2 - keep.bmp");
  EXPECT_TRUE(All_Pixels(T().Anim_Strip, Red));
  EXPECT_EQ(T().Check_Invariants(), "");
}

TEST_F(Files, StripsTallerThan128LoadAndNavigate) {
  Load_Strip(Solid_Strip({Red, Green}, 200));
  TTolvane& t = T();
  EXPECT_EQ(t.Frame_Size, 200);
  EXPECT_EQ(t.Thumb_Slots, 3);
  EXPECT_GE(t.View.Factor(), 1);
  t.Next_FrameClick();
  EXPECT_EQ(t.Controls.Label2.Caption, "Frame 2 of 2");
  t.Zoom_InClick();
  t.Zoom_OutClick();
  EXPECT_GE(t.View.Factor(), 1);
  EXPECT_TRUE(All_Pixels(t.Working_Frame, Green));
  EXPECT_EQ(t.Check_Invariants(), "");
}

TEST_F(Files, NewMakesOneFrameInTheSecondColour) {
  T().Selected_Colour2 = Red;
  New_Anim(64);
  TTolvane& t = T();
  EXPECT_EQ(t.Frame_Size, 64);
  EXPECT_EQ(t.Frame_Total, 1);
  EXPECT_TRUE(All_Pixels(t.Anim_Strip, Red));
  EXPECT_EQ(t.Anim_Strip.Fill_Colour, Red);
  EXPECT_EQ(t.Caption, "Tolvane v2 - NewAnim.BMP");
  EXPECT_EQ(t.Anim_File_Name, "NewAnim.BMP");
  EXPECT_FALSE(t.Sections_Offered);
  EXPECT_TRUE(t.Controls.Edit1.Enabled && t.Controls.Frame1.Enabled &&
              t.Controls.Effects1.Enabled && t.Controls.Save1.Enabled);
  EXPECT_EQ(t.Controls.Label3.Caption, "Section: 1 to 1");
  EXPECT_FALSE(t.Anim_Modified);
  EXPECT_EQ(t.Check_Invariants(), "");
  // The dialog was opened without its Existing Frames choice.
  EXPECT_FALSE(App.Frame_Size_Form->Adjust_Method.Visible);
}

TEST_F(Files, CancelledNewChangesNothing) {
  Load_Strip(Solid_Strip({Red, Green}, 32), "a.bmp");
  P.On_Modal<TFrame_Size_Form>([](TFrame_Size_Form& f) { f.CancelClick(); });
  T().New1Click();
  EXPECT_EQ(T().Frame_Total, 2);
  EXPECT_EQ(T().Caption, "Tolvane v2 - a.bmp");
}

TEST_F(Files, SaveOfANewAnimationAsksForANameThenWritesThere) {
  New_Anim(32);
  P.Save_Answers = {Path("hero.bmp")};
  T().Save1Click();
  EXPECT_EQ(T().Caption, "Tolvane - hero.bmp");
  EXPECT_EQ(T().Anim_File_Name, Path("hero.bmp"));
  EXPECT_FALSE(T().Anim_Modified);
  // The next Save writes to that file without asking, caption unchanged.
  T().Caption = "unchanged";
  T().Save1Click();
  EXPECT_EQ(P.Save_Seen.size(), 1u);
  EXPECT_EQ(T().Caption, "unchanged");
}

TEST_F(Files, TheNewAnimationNameIsMatchedWithoutRegardToCase) {
  New_Anim(32);
  T().Anim_File_Name = "newANIM.bmp";
  T().Save1Click();
  EXPECT_EQ(P.Save_Seen.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists("newANIM.bmp"));
}

TEST_F(Files, SaveWritesTheDrawingOnTheCurrentFrame) {
  Load_Strip(Solid_Strip({Red, Green, Blue}, 32), "s.bmp");
  T().Next_FrameClick();
  T().Working_Frame.SetPixel(5, 6, 0x123456);
  T().Frame_Edited = T().Anim_Modified = true;
  T().Save1Click();
  const Raster_Image saved = Read_Bmp(Path("s.bmp"));
  EXPECT_EQ(saved.GetPixel(32 + 5, 6), 0x123456u);
  EXPECT_EQ(std::filesystem::file_size(Path("s.bmp")), 14u + 40u + 288u * 32u);
  EXPECT_FALSE(T().Frame_Edited);
  EXPECT_FALSE(T().Anim_Modified);
}

TEST_F(Files, SaveAsSetsUpItsDialog) {
  Load_Strip(Solid_Strip({Red}, 32), "orig.bmp");
  P.Save_Answers = {Path("copy.bmp")};
  T().SaveAs1Click();
  ASSERT_EQ(P.Save_Seen.size(), 1u);
  EXPECT_EQ(P.Save_Seen[0].Title, "Save As...");
  EXPECT_EQ(P.Save_Seen[0].File_Name, Path("orig.bmp"));
  EXPECT_EQ(P.Save_Seen[0].Filter,
            "Bitmap Files (*.BMP)|*.BMP|All Files (*.*)|*.*|PNG Files (*.PNG)|*.PNG");
  EXPECT_TRUE(P.Save_Seen[0].Overwrite_Prompt);
  EXPECT_EQ(T().Caption, "Tolvane - copy.bmp");
  EXPECT_TRUE(Frame_Is(Read_Bmp(Path("copy.bmp")), 32, 0, Red));
}

TEST_F(Files, ADamagedPictureIsRefusedByNameAndReason) {
  Load_Strip(Solid_Strip({Red}, 32), "keep.bmp");
  Write_Png(Path("cut.png"), Solid_Strip({Green, Blue}, 8));
  std::filesystem::resize_file(Path("cut.png"), 40);
  Write_Bmp(Path("planes.bmp"), Solid_Strip({Green}, 8));
  std::fstream(Path("planes.bmp"), std::ios::in | std::ios::out | std::ios::binary)
      .seekp(26)
      .put(2);
  std::ofstream(Path("cut.gif")) << "GIF89a\x08\x00";
  for (auto [name, box] :
       {std::pair{"cut.png", "PNG image is not valid.\n\ncut.png: the file ends early."},
        {"planes.bmp", "Bitmap image is not valid.\n\nplanes.bmp: planes not 1."},
        {"cut.gif", "The GIF cut.gif cannot be read: the file ends inside its headers."}}) {
    P.Errors.clear();
    Load_File(Path(name));
    EXPECT_EQ(P.Errors, std::vector<std::string>{box});
    EXPECT_EQ(T().Caption, "Tolvane v2 - keep.bmp");
  }
}

TEST_F(Files, AFailedSaveKeepsNameCaptionAndModifiedFlag) {
  New_Anim(32);
  T().Anim_Modified = true;
  const std::string bad = Path("no-such-folder/x.bmp");
  P.Save_Answers = {bad};
  T().SaveAs1Click();
  EXPECT_EQ(P.Errors, std::vector<std::string>{"Cannot create file " + bad +
                                               ".\n\nx.bmp: no such file or directory."});
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_EQ(T().Anim_File_Name, "NewAnim.BMP");
  EXPECT_EQ(T().Caption, "Tolvane v2 - NewAnim.BMP");
}

using Save_Question = Tolvane_Test;

TEST_F(Save_Question, CancelEndsTheCommand) {
  New_Anim(32);
  T().Anim_Modified = true;
  P.Answers = {id_Cancel};
  T().Load1Click();
  EXPECT_TRUE(P.Open_Seen.empty());
}

TEST_F(Save_Question, NoGoesOnWithoutSaving) {
  New_Anim(32);
  T().Anim_Modified = true;
  P.Answers = {id_No};
  T().Load1Click();
  EXPECT_EQ(P.Open_Seen.size(), 1u);
  EXPECT_TRUE(P.Save_Seen.empty());
}

TEST_F(Save_Question, YesWhoseSaveDialogIsCancelledStopsTheCommand) {
  New_Anim(32);
  T().Anim_Modified = true;
  P.Answers = {id_Yes};
  P.Save_Answers = {std::nullopt};
  T().Load1Click();
  EXPECT_EQ(P.Save_Seen.size(), 1u);
  EXPECT_TRUE(P.Open_Seen.empty()) << "going on would discard the unsaved animation";
  P.Answers = {id_Yes};
  P.Save_Answers = {std::nullopt};
  T().New1Click();
  EXPECT_TRUE(P.Modal_Seen.size() == 1u) << "the second New never opened its dialog";
}

TEST_F(Save_Question, YesThatSavesGoesOn) {
  New_Anim(32);
  T().Anim_Modified = true;
  P.Answers = {id_Yes};
  P.Save_Answers = {Path("saved.bmp")};
  T().Load1Click();
  EXPECT_TRUE(std::filesystem::exists(Path("saved.bmp")));
  EXPECT_EQ(P.Open_Seen.size(), 1u);
}

TEST_F(Save_Question, AFailedWriteStopsTheCommand) {
  Load_Strip(Solid_Strip({Red}, 32), "gone.bmp");
  std::filesystem::remove_all(Dir);  // the file's folder vanished
  T().Anim_Modified = true;
  P.Answers = {id_Yes};
  T().New1Click();
  EXPECT_EQ(P.Errors.size(), 1u);
  EXPECT_EQ(P.Modal_Seen.size(), 0u);
  EXPECT_TRUE(T().Anim_Modified);
  std::filesystem::create_directories(Dir);
}

}  // namespace
}  // namespace tolvane::testing
