#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/settings.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

std::string Read_Text(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

using Startup = Tolvane_Test;

TEST_F(Startup, CreatesTheSevenFormsInOrderMainWindowFirst) {
  EXPECT_EQ(App.Creation_Order,
            (std::vector<std::string>{"Tolvane", "Add_Trans", "Frame_Extract", "Import_View",
                                      "About_Form", "Frame_Size_Form", "Effects_Param_Form"}));
}

TEST_F(Startup, MainWindowStartsWithNoDocument) {
  TTolvane& t = T();
  EXPECT_EQ(t.Caption, "Tolvane v2");
  EXPECT_EQ(t.Client_Width(), 373);
  EXPECT_EQ(t.Client_Height(), 222);
  for (Menu_Item* m : {&t.Controls.Edit1, &t.Controls.Section1, &t.Controls.Frame1,
                       &t.Controls.Effects1, &t.Controls.Save1, &t.Controls.SaveAs1,
                       &t.Controls.MergeFiles1, &t.Controls.Undo1, &t.Controls.Paste1})
    EXPECT_FALSE(m->Enabled) << m->Caption;
  for (Menu_Item* m : {&t.Controls.Load1, &t.Controls.Import1, &t.Controls.ImportPCX1,
                       &t.Controls.New1, &t.Controls.About1, &t.Controls.Exit1})
    EXPECT_TRUE(m->Enabled) << m->Caption;
  EXPECT_FALSE(t.Controls.Play.Enabled);
  EXPECT_FALSE(t.Controls.Stop.Enabled);
  EXPECT_FALSE(t.Controls.Bevel1.Visible);
  EXPECT_EQ(t.Controls.Label2.Caption, "");
  EXPECT_EQ(t.Controls.Label3.Caption, "");
  EXPECT_EQ(t.Controls.Label5.Caption, "1:1");
  EXPECT_EQ(t.Controls.Label1.Caption, "10 fps");
  EXPECT_EQ(t.Controls.Anim_Timer.Interval, 100);
  EXPECT_FALSE(t.Player.Playing());
  EXPECT_EQ(t.View.Factor(), 4);
  EXPECT_EQ(t.Cur_Tool, Tool_Pencil);
  EXPECT_TRUE(t.Controls.Tool1.Down);
  EXPECT_EQ(t.Controls.Frames.Picture.Width(), 160);
  EXPECT_EQ(t.Controls.Frames.Picture.Height(), 32);
  EXPECT_TRUE(All_Pixels(t.Controls.Frames.Picture, 0xC0C0C0));
  EXPECT_EQ(t.Check_Invariants(), "");
  EXPECT_TRUE(All_Pixels(t.Anim_Strip, 0xFFFFFF));
  EXPECT_LT(t.Controls.Progress_Panel.B.Right(), 0) << "the progress panel starts out of sight";
}

TEST_F(Startup, NoSettingsFileGivesTheDefaults) {
  EXPECT_EQ(T().Selected_Colour1, 0u);
  EXPECT_EQ(T().Selected_Colour2, 0xFFFFFFu);
  EXPECT_EQ(T().Custom_Colour1, 0u);
  EXPECT_EQ(T().Custom_Colour2, 0u);
  EXPECT_EQ(T().Mount_Colour, 0u);
  EXPECT_EQ(T().Controls.OpenDialog1.File_Name, "");
  EXPECT_EQ(T().Controls.Play_Speed.Position, 10);
}

TEST(StartupSettings, ColoursSpeedAndLastFileComeFromTheSettingsFile) {
  const auto dir = std::filesystem::temp_directory_path() / "tolvane-startup-settings";
  std::filesystem::create_directories(dir);
  const auto ini = (dir / "Tolvane.INI").string();
  std::ofstream(ini) << "[colours]\nselected1=255\nSELECTED2=$FF00\nCustom1=0x10\nMount=7\n"
                        "[Last]\nDir=/home/u/walk.bmp\nFPS=16\n";
  Fake_Platform p;
  p.Settings = ini;
  Application app(p);
  app.Create_Forms();
  const TTolvane& t = *app.Tolvane;
  EXPECT_EQ(t.Selected_Colour1, 255u);
  EXPECT_EQ(t.Selected_Colour2, 0xFF00u);
  EXPECT_EQ(t.Custom_Colour1, 16u);
  EXPECT_EQ(t.Mount_Colour, 7u);
  EXPECT_EQ(t.Controls.OpenDialog1.File_Name, "/home/u/walk.bmp");
  EXPECT_EQ(t.Controls.Label1.Caption, "16 fps");
  EXPECT_EQ(t.Controls.Anim_Timer.Interval, 62);
  // The swatches are painted from the colours read.
  EXPECT_EQ(t.Controls.Col_Select.Picture.GetPixel(0, 0), 255u);
  EXPECT_EQ(t.Controls.Col_Select.Picture.GetPixel(48, 9), 0xFF00u);
  std::filesystem::remove_all(dir);
}

TEST_F(Startup, ShowingTheWindowShowsTheAboutBoxAsASplash) {
  P.Modal_Scripts.push_back([](TForm& f) {
    auto& about = dynamic_cast<TAbout_Form&>(f);
    EXPECT_TRUE(about.Splash_Mode);
    EXPECT_TRUE(about.Timer1.Enabled);
    EXPECT_EQ(about.Timer1.Interval, 3000);
    EXPECT_EQ(about.Client_Width(), 322);
    EXPECT_EQ(about.Client_Height(), 202);
    about.Timer1Timer();  // the first tick closes it
    EXPECT_FALSE(about.Timer1.Enabled);
  });
  T().FormShow();
  EXPECT_EQ(P.Modal_Seen, std::vector<std::string>{"About_Form"});
  EXPECT_FALSE(App.About_Form->Visible);
}

TEST_F(Startup, AboutFromTheMenuStaysUntilClicked) {
  P.Modal_Scripts.push_back([](TForm& f) {
    auto& about = dynamic_cast<TAbout_Form&>(f);
    EXPECT_FALSE(about.Splash_Mode);
    EXPECT_FALSE(about.Timer1.Enabled) << "no timer closes it";
    EXPECT_TRUE(about.Visible);
    about.Image2Click();
  });
  T().About2Click();
  EXPECT_FALSE(App.About_Form->Visible);
}

TEST_F(Startup, ProgressPanelIsCentredWhileShownAndPumpsEachStep) {
  T().Progress_Show(3, "Applying Effect...");
  EXPECT_EQ(T().Controls.Progress_Panel.B.Left, (373 - 185) / 2);
  EXPECT_EQ(T().Controls.Progress_Panel.B.Top, (222 - 81) / 2);
  EXPECT_EQ(T().Controls.Progress_Caption.Caption, "Applying Effect...");
  EXPECT_EQ(T().Controls.Prog_Bar.Max, 3);
  EXPECT_EQ(P.Wait_Cursor_On, 1);
  T().Progress_Step(1, 3);
  EXPECT_EQ(T().Controls.Progress.Caption, "Frame 1 of 3...");
  EXPECT_EQ(T().Controls.Prog_Bar.Position, 1);
  EXPECT_EQ(P.Pumps, 1);
  T().Progress_Hide();
  EXPECT_EQ(P.Wait_Cursor_On, 0);
  EXPECT_EQ(T().Controls.Progress_Panel.B.Left, -370);
}

using Closing = Tolvane_Test;

TEST_F(Closing, UnmodifiedClosesAndWritesTheSettings) {
  T().Selected_Colour1 = 0x123456;
  T().Exit1Click();
  EXPECT_TRUE(T().Closed);
  EXPECT_TRUE(P.Messages.empty());
  const std::string ini = Read_Text(P.Settings);
  EXPECT_NE(ini.find("Selected1=1193046"), std::string::npos) << ini;
  EXPECT_NE(ini.find("FPS=10"), std::string::npos) << ini;
}

// A change reaches the file once it has settled for a second, without a
// close, so that a crash loses no setting.
TEST_F(Closing, ASettingIsWrittenSoonAfterItChanges) {
  T().Controls.Play_Speed.Set_Position(20);
  for (int i = 0; i < 3; ++i, P.Now += 600) T().Session.Recovery_Tick();
  EXPECT_EQ(Read_Settings_File(Ini_File(P.Settings)).FPS, 20);
}

TEST_F(Closing, CancelKeepsTheWindowOpenButTheSettingsAreWritten) {
  New_Anim(32);
  T().Anim_Modified = true;
  P.Answers = {id_Cancel};
  T().Close();
  EXPECT_FALSE(T().Closed);
  ASSERT_EQ(P.Messages.size(), 1u);
  EXPECT_EQ(P.Messages[0].Text,
            "The current file has been modified. Do you want to save the changes?");
  EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Confirmation);
  EXPECT_EQ(P.Messages[0].Buttons, unsigned(mb_Yes | mb_No | mb_Cancel));
  EXPECT_TRUE(std::filesystem::exists(P.Settings));
}

TEST_F(Closing, NoClosesWithoutSaving) {
  New_Anim(32);
  T().Anim_Modified = true;
  P.Answers = {id_No};
  T().Close();
  EXPECT_TRUE(T().Closed);
  EXPECT_TRUE(P.Save_Seen.empty());
}

TEST_F(Closing, YesWhoseSaveIsCancelledKeepsTheWindowOpen) {
  New_Anim(32);
  T().Anim_Modified = true;
  P.Answers = {id_Yes};
  P.Save_Answers = {std::nullopt};
  T().Close();
  EXPECT_EQ(P.Save_Seen.size(), 1u);
  EXPECT_FALSE(T().Closed) << "closing now would lose the unsaved animation";
  EXPECT_TRUE(T().Anim_Modified);
}

TEST_F(Closing, YesSavesThenCloses) {
  New_Anim(32);
  T().Anim_Modified = true;
  P.Answers = {id_Yes};
  P.Save_Answers = {Path("kept.bmp")};
  T().Close();
  EXPECT_TRUE(T().Closed);
  EXPECT_TRUE(std::filesystem::exists(Path("kept.bmp")));
}

TEST_F(Closing, SettingsThatCannotBeWrittenAreReported) {
  std::ofstream(Path("plainfile")) << "x";
  P.Settings = Path("plainfile") + "/Tolvane.INI";  // its folder is a file
  T().Close();
  EXPECT_EQ(P.Errors, std::vector<std::string>{"Unable to write to Tolvane.INI."});
}

}  // namespace
}  // namespace tolvane::testing
