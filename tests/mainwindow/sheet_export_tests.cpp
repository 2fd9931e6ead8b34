#include <gtest/gtest.h>

#include "document/settings.h"
#include "png/png.h"
#include "support/bmp_test_helpers.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

using Sheet_Export = Tolvane_Test;

// The dialog opens on all frames in one row; choosing the section keeps one
// row; the choices made reach the files and the settings, and come back the
// next time.
TEST_F(Sheet_Export, DialogChoicesReachTheFilesAndAreKept) {
  Load_Strip(Solid_Strip({1, 2, 3, 4, 5, 6, 7}, 4), "walk.bmp");
  T().Next_FrameClick();
  T().MarkFrameAsStartOfSection1Click();
  T().Next_FrameClick();
  T().Next_FrameClick();
  T().MarkFrameAsEndOfSection1Click();  // frames 2 to 4
  T().Mount_Colour = 0x445566;

  P.On_Modal<TSheet_Export_Form>([this](TSheet_Export_Form& f) {
    EXPECT_EQ(f.Columns.Text, "7");
    f.Frames_Choice.Select(1);
    EXPECT_EQ(f.Columns.Text, "3");
    f.Columns.Text = "2";
    f.Padding.Text = "2";
    f.Scale.Text = "2";
    f.Choice_Changed();
    EXPECT_EQ(f.Info.Caption, "3 frames in 2 rows: 18 x 18 pixels");
    EXPECT_EQ(f.Loop.Checked, T().Player.Loop());
    f.Loop.Set_Checked(!f.Loop.Checked);  // the dialog's Loop wins over the button
    f.OkClick();
  });
  P.Save_Answers = {Path("sheet.png")};
  T().ExportSheet1Click();
  ASSERT_TRUE(P.Errors.empty()) << P.Errors.front();
  ASSERT_EQ(P.Save_Seen.size(), 1u);
  EXPECT_EQ(P.Save_Seen[0].File_Name, Path("walk.png"));
  EXPECT_EQ(Read_Png(Path("sheet.png"), 0).GetPixel(8, 8), 0x445566u);  // padding
  const bmp_testing::Bytes json = bmp_testing::Read_File(Path("sheet.json"));
  EXPECT_NE(std::string(json.begin(), json.end())
                .find(T().Player.Loop() ? "\"loop\": false" : "\"loop\": true"),
            std::string::npos);

  T().Write_Settings();
  const Export_Choices kept = Read_Settings_File(Ini_File(P.Settings)).Export;
  EXPECT_TRUE(kept.Sheet_Section);
  EXPECT_EQ(kept.Sheet_Columns, 2);
  EXPECT_EQ(kept.Sheet_Padding, 2);
  EXPECT_EQ(kept.Sheet_Scale, 2);
  P.On_Modal<TSheet_Export_Form>([](TSheet_Export_Form& f) {
    EXPECT_EQ(f.Frames_Choice.Item_Index, 1);
    EXPECT_EQ(f.Frames_Choice.Items[1], "Section 2 to 4");
    EXPECT_EQ(f.Columns.Text, "2");
    f.CancelClick();
  });
  T().ExportSheet1Click();

  // A PNG document's sheet is not offered the document's own file.
  T().Anim_File_Name = Path("walk.png");
  P.On_Modal<TSheet_Export_Form>([](TSheet_Export_Form& f) { f.OkClick(); });
  T().ExportSheet1Click();
  EXPECT_EQ(P.Save_Seen.back().File_Name, Path("walk-sheet.png"));
}

}  // namespace
}  // namespace tolvane::testing
