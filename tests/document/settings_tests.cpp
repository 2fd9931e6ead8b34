#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "document/settings.h"
#include "image/image_error.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

class Settings_File_Test : public ::testing::Test {
 protected:
  Settings_File_Test() {
    std::string tmpl = (fs::temp_directory_path() / "tolvane-settings-XXXXXX").string();
    Dir = mkdtemp(tmpl.data());
  }
  ~Settings_File_Test() override { fs::remove_all(Dir); }

  std::string Path(const std::string& name = "Tolvane.INI") const { return (Dir / name).string(); }

  void Put(const std::string& text, const std::string& name = "Tolvane.INI") const {
    std::ofstream(Path(name), std::ios::binary) << text;
  }
  std::string Get(const std::string& name = "Tolvane.INI") const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  int Files_In_Dir() const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(Dir)) ++n;
    return n;
  }

  fs::path Dir;
};

TEST_F(Settings_File_Test, NoFileGivesDefaults) {
  const Settings_Values v = Read_Settings_File(Ini_File(Path()));
  EXPECT_EQ(v.Selected1, 0u);
  EXPECT_EQ(v.Selected2, 0xFFFFFFu);
  EXPECT_EQ(v.Custom1, 0u);
  EXPECT_EQ(v.Custom2, 0u);
  EXPECT_EQ(v.Mount, 0u);
  EXPECT_EQ(v.Dir, "");
  EXPECT_EQ(v.FPS, 10);
  EXPECT_FALSE(fs::exists(Path())) << "reading must not create the file";
}

TEST_F(Settings_File_Test, MissingSectionOrKeyGivesDefaults) {
  Put("[Colours]\nSelected1=5\n[Other]\nFPS=3\nSelected2=7\n");
  const Settings_Values v = Read_Settings_File(Ini_File(Path()));
  EXPECT_EQ(v.Selected1, 5u);
  EXPECT_EQ(v.Selected2, 0xFFFFFFu);  // only in another section
  EXPECT_EQ(v.FPS, 10);
}

TEST_F(Settings_File_Test, NumberForms) {
  const struct {
    const char* text;
    std::optional<int> value;  // nothing: the default
  } cases[] = {
      {"0xFF", 255},
      {"$FF", 255},
      {"0XfF", 255},
      {"$00ff", 255},
      {"16777215", 0xFFFFFF},
      {"+12", 12},
      {"-1", -1},
      {"0", 0},
      {"007", 7},
      {"0xFFFFFFFF", -1},
      {"$80000000", INT32_MIN},
      {"-2147483648", INT32_MIN},
      {"2147483647", INT32_MAX},
      {"red", {}},
      {"", {}},
      {"0x", {}},
      {"$", {}},
      {"-", {}},
      {"12abc", {}},
      {"1 2", {}},
      {"0x1G", {}},
      {"-$FF", {}},
      {"0x-1", {}},
      {"2147483648", {}},
      {"-2147483649", {}},
      {"0x100000000", {}},
      {"99999999999999999999999", {}},
  };
  for (const auto& c : cases) {
    Put(std::string("[Colours]\nMount=") + c.text + "\n");
    EXPECT_EQ(Ini_File(Path()).Read_Integer("Colours", "Mount", 4242), c.value.value_or(4242))
        << '"' << c.text << '"';
  }
}

TEST_F(Settings_File_Test, ColoursReadHexAndFallBack) {
  Put("[Colours]\nSelected1=0xFF\nSelected2=red\nCustom1=$FF\nCustom2=-1\nMount=0xFFFFFFFF\n");
  const Settings_Values v = Read_Settings_File(Ini_File(Path()));
  EXPECT_EQ(v.Selected1, 255u);
  EXPECT_EQ(v.Selected2, 16777215u);
  EXPECT_EQ(v.Custom1, 255u);
  EXPECT_EQ(v.Custom2, 0xFFFFFFFFu);
  EXPECT_EQ(v.Mount, 0xFFFFFFFFu);
}

TEST_F(Settings_File_Test, FpsBroughtIntoRange) {
  for (const auto& [text, fps] : {std::pair{"0", 1},
                                  {"99", 30},
                                  {"-5", 1},
                                  {"1", 1},
                                  {"30", 30},
                                  {"17", 17},
                                  {"fast", 10},
                                  {"0x10", 16}}) {
    Put(std::string("[Last]\nFPS=") + text + "\n");
    EXPECT_EQ(Read_Settings_File(Ini_File(Path())).FPS, fps) << text;
  }
}

TEST_F(Settings_File_Test, NamesIgnoreCaseAndSpacesAreTrimmed) {
  Put("[colours]\nSELECTED1=5\n  [ LAST ]  \n  fps  =  12  \ndIR=  /home/a b/x.bmp  \n");
  const Settings_Values v = Read_Settings_File(Ini_File(Path()));
  EXPECT_EQ(v.Selected1, 5u);
  EXPECT_EQ(v.FPS, 12);
  EXPECT_EQ(v.Dir, "/home/a b/x.bmp");
}

TEST_F(Settings_File_Test, FirstMatchingKeyAndSectionWin) {
  Put("[Last]\nFPS=4\nFPS=9\n[Last]\nFPS=20\n");
  EXPECT_EQ(Read_Settings_File(Ini_File(Path())).FPS, 4);
}

TEST_F(Settings_File_Test, LongValuesAreCut) {
  const std::string dir = "/" + std::string(3000, 'd');
  Ini_File ini(Path());
  ini.Write_String("Last", "Dir", dir);
  EXPECT_EQ(ini.Read_String("Last", "Dir", ""), dir.substr(0, 2047));
}

TEST_F(Settings_File_Test, RoundTripOfEveryValue) {
  Settings_Values v;
  v.Selected1 = 0xFFFFFFFF;
  v.Selected2 = 0x00FF00;
  v.Custom1 = 0x123456;
  v.Custom2 = 0x80000000;
  v.Mount = 0xFFFFFF;
  v.Dir = "/home/someone/anims/walk cycle.bmp";
  v.FPS = 25;
  v.Pixel_Grid = true;
  v.Export = {true, 3, true, true, 4, 8, 16};
  v.Window_Width = 1280;
  v.Window_Height = 960;
  v.Window_Maximised = true;
  v.History_MB = 64;
  Ini_File ini(Path());
  Write_Settings_File(ini, v);
  EXPECT_EQ(Get(),
            "[Colours]\nSelected1=-1\nSelected2=65280\nCustom1=1193046\nCustom2=-2147483648\n"
            "Mount=16777215\n[Last]\nFPS=25\nDir=/home/someone/anims/walk cycle.bmp\n"
            "[View]\nOnionSkin=0\nPixelGrid=1\nTransparency=1\n"
            "[Export]\nGifSection=1\nGifScale=3\nGifTransparent=1\nSheetSection=1\n"
            "SheetColumns=4\nSheetScale=8\nSheetPadding=16\n"
            "[Window]\nWidth=1280\nHeight=960\nMaximised=1\n"
            "[Edit]\nHistoryMB=64\n[Files]\nAskBmpTransparency=1\nAskBmpTimings=1\n");
  const Settings_Values back = Read_Settings_File(ini);
  EXPECT_EQ(back.Selected1, v.Selected1);
  EXPECT_EQ(back.Selected2, v.Selected2);
  EXPECT_EQ(back.Custom1, v.Custom1);
  EXPECT_EQ(back.Custom2, v.Custom2);
  EXPECT_EQ(back.Mount, v.Mount);
  EXPECT_EQ(back.Dir, v.Dir);
  EXPECT_EQ(back.FPS, v.FPS);
  EXPECT_EQ(back.Onion_Skin, v.Onion_Skin);
  EXPECT_EQ(back.Pixel_Grid, v.Pixel_Grid);
  const auto fields = [](const Export_Choices& c) {
    return std::vector<int>{c.Gif_Section,   c.Gif_Scale,   c.Gif_Transparent, c.Sheet_Section,
                            c.Sheet_Columns, c.Sheet_Scale, c.Sheet_Padding};
  };
  EXPECT_EQ(fields(back.Export), fields(v.Export));
  EXPECT_EQ(back.Window_Width, v.Window_Width);
  EXPECT_EQ(back.Window_Height, v.Window_Height);
  EXPECT_EQ(back.Window_Maximised, v.Window_Maximised);
  EXPECT_EQ(back.History_MB, v.History_MB);
}

// The export dialogs' choices come back in their ranges; anything else, and
// files from before they were kept, give the defaults.
TEST_F(Settings_File_Test, ExportChoicesAreBroughtIntoTheirRanges) {
  const struct {
    const char* text;
    int gif_scale, columns, sheet_scale, padding;
    bool gif_section, transparent;
  } cases[] = {
      {"", 1, 0, 1, 0, false, false},
      {"[Export]\nGifScale=0\nSheetColumns=-4\nSheetScale=99\nSheetPadding=17\n", 1, 0, 8, 16,
       false, false},
      {"[export]\ngifscale=8\nSheetColumns=12\nSheetPadding=0x10\nGifSection=2\n", 8, 12, 1, 16,
       true, false},
      {"[Export]\nGifScale=big\nGifTransparent=1\nSheetScale=3\n", 1, 0, 3, 0, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Export_Choices e = Parse_Settings(c.text).Export;
    EXPECT_EQ(e.Gif_Scale, c.gif_scale);
    EXPECT_EQ(e.Sheet_Columns, c.columns);
    EXPECT_EQ(e.Sheet_Scale, c.sheet_scale);
    EXPECT_EQ(e.Sheet_Padding, c.padding);
    EXPECT_EQ(e.Gif_Section, c.gif_section);
    EXPECT_EQ(e.Gif_Transparent, c.transparent);
  }
}

// The drawing aids are off unless the file says otherwise; files written
// before they existed stay valid.
TEST_F(Settings_File_Test, ViewAidsAreOffUnlessANonZeroNumberTurnsThemOn) {
  const struct {
    const char* text;
    bool onion, grid;
  } cases[] = {
      {"", false, false},
      {"[Last]\nFPS=12\n", false, false},
      {"[View]\nOnionSkin=1\n", true, false},
      {"[view]\npixelgrid=1\nonionskin=0\n", false, true},
      {"[View]\nOnionSkin=yes\nPixelGrid=0x1\n", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Settings_Values v = Parse_Settings(c.text);
    EXPECT_EQ(v.Onion_Skin, c.onion);
    EXPECT_EQ(v.Pixel_Grid, c.grid);
    EXPECT_EQ(v.FPS, std::string(c.text).find("FPS") != std::string::npos ? 12 : 10);
  }
}

TEST_F(Settings_File_Test, ReplacingLinesKeepsEverythingElse) {
  Put("; written by hand\n"
      "[Window]\nLeft=10\n\n"
      "[COLOURS]\nselected1 = 7\nOdd line without equals\nMount=1\nCustom1=2\n\n"
      "[Plugins]\nPath=/opt\n"
      "[last]\nDIR=/old.bmp\nFPS=3\n");
  Settings_Values v;
  v.Selected1 = 0x0000FF;
  v.Custom1 = 2;
  v.Mount = 9;
  v.Dir = "/new.bmp";
  v.FPS = 12;
  Ini_File ini(Path());
  Write_Settings_File(ini, v);
  EXPECT_EQ(Get(),
            "; written by hand\n"
            "[Window]\nLeft=10\nWidth=0\nHeight=0\nMaximised=0\n\n"
            "[COLOURS]\nSelected1=255\nOdd line without equals\nMount=9\nCustom1=2\n"
            "Selected2=16777215\nCustom2=0\n\n"
            "[Plugins]\nPath=/opt\n"
            "[last]\nDir=/new.bmp\nFPS=12\n"
            "[View]\nOnionSkin=0\nPixelGrid=0\nTransparency=1\n"
            "[Export]\nGifSection=0\nGifScale=1\nGifTransparent=0\nSheetSection=0\n"
            "SheetColumns=0\nSheetScale=1\nSheetPadding=0\n"
            "[Edit]\nHistoryMB=256\n[Files]\nAskBmpTransparency=1\nAskBmpTimings=1\n");
}

TEST_F(Settings_File_Test, AppendsToItsSectionOrAddsANewOneAtTheEnd) {
  Put("[Colours]\nCustom1=3\n\n[Other]\nx=1\n");
  Ini_File ini(Path());
  ini.Write_Integer("Last", "FPS", 7);
  ini.Write_Integer("Colours", "Mount", 5);
  ini.Write_String("Last", "Dir", "/a.bmp");
  EXPECT_EQ(Get(), "[Colours]\nCustom1=3\nMount=5\n\n[Other]\nx=1\n[Last]\nFPS=7\nDir=/a.bmp\n");
}

TEST_F(Settings_File_Test, LastLineWithoutLineEnding) {
  Put("[Last]\nFPS=5");
  Ini_File ini(Path());
  ini.Write_String("Last", "Dir", "/a.bmp");
  EXPECT_EQ(Get(), "[Last]\nFPS=5\nDir=/a.bmp\n");
  Put("[Last]\nFPS=5");
  ini.Write_Integer("Last", "FPS", 6);
  EXPECT_EQ(Get(), "[Last]\nFPS=6");
}

TEST_F(Settings_File_Test, WindowsLineEndingsStay) {
  Put("[Colours]\r\nMount=1\r\n[Mine]\r\nkeep=me \r\n");
  Ini_File ini(Path());
  Write_Settings_File(ini, Settings_Values{});
  EXPECT_EQ(Get(),
            "[Colours]\r\nMount=0\r\nSelected1=0\r\nSelected2=16777215\r\nCustom1=0\r\n"
            "Custom2=0\r\n[Mine]\r\nkeep=me \r\n[Last]\r\nFPS=10\r\nDir=\r\n"
            "[View]\r\nOnionSkin=0\r\nPixelGrid=0\r\nTransparency=1\r\n"
            "[Export]\r\nGifSection=0\r\nGifScale=1\r\nGifTransparent=0\r\nSheetSection=0\r\n"
            "SheetColumns=0\r\nSheetScale=1\r\nSheetPadding=0\r\n"
            "[Window]\r\nWidth=0\r\nHeight=0\r\nMaximised=0\r\n"
            "[Edit]\r\nHistoryMB=256\r\n[Files]\r\nAskBmpTransparency=1\r\nAskBmpTimings=1\r\n");
}

TEST_F(Settings_File_Test, FolderIsCreatedWhenMissing) {
  Ini_File ini((Dir / "deep" / "er" / "Tolvane.INI").string());
  ini.Write_Integer("Last", "FPS", 4);
  EXPECT_EQ(ini.Read_Integer("Last", "FPS", 0), 4);
  EXPECT_TRUE(fs::is_regular_file(Dir / "deep" / "er" / "Tolvane.INI"));
}

TEST_F(Settings_File_Test, UnwritablePlaceGivesTheMessage) {
  Put("not a folder", "blocker");
  Ini_File ini((Dir / "blocker" / "Tolvane.INI").string());
  try {
    Write_Settings_File(ini, Settings_Values{});
    FAIL() << "no error";
  } catch (const Toolkit_Error& e) {
    EXPECT_STREQ(e.what(), "Unable to write to Tolvane.INI");
  }
  EXPECT_EQ(Get("blocker"), "not a folder");
  EXPECT_EQ(Files_In_Dir(), 1);
}

TEST_F(Settings_File_Test, WriteFailingPartWayLeavesTheOldFileWhole) {
  const std::string old = "[Colours]\nSelected1=1\n[Mine]\n" + std::string(200, 'k') + "=v\n";
  Put(old);
  // A child process whose files may not grow beyond 16 bytes: every write of
  // the settings fails part way.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    Ini_File ini(Path());
    try {
      Write_Settings_File(ini, Settings_Values{});
    } catch (const Toolkit_Error& e) {
      _exit(std::string(e.what()) == "Unable to write to Tolvane.INI" ? 0 : 1);
    }
    _exit(2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: other message, 2: no error";
  EXPECT_EQ(Get(), old);
  EXPECT_EQ(Files_In_Dir(), 1) << "a temporary file was left behind";
}

TEST_F(Settings_File_Test, ValueWithALineBreakIsRefusedAfterTheEarlierKeys) {
  // A file name holding a line break would otherwise plant extra settings.
  Settings_Values v;
  v.FPS = 21;
  v.Dir = "/tmp/x\n[Colours]\nSelected1=255";
  Ini_File ini(Path());
  EXPECT_THROW(Write_Settings_File(ini, v), Toolkit_Error);
  EXPECT_EQ(Read_Settings_File(ini).FPS, 21);
  EXPECT_EQ(Get().find("/tmp/x"), std::string::npos);
}

TEST_F(Settings_File_Test, SymlinkedFileIsWrittenThrough) {
  Put("[Mine]\na=1\n", "real.ini");
  fs::create_symlink(Path("real.ini"), Path());
  Ini_File ini(Path());
  ini.Write_Integer("Last", "FPS", 8);
  EXPECT_TRUE(fs::is_symlink(Path()));
  EXPECT_EQ(Get("real.ini"), "[Mine]\na=1\n[Last]\nFPS=8\n");
}

class Settings_Path_Test : public ::testing::Test {
 protected:
  Settings_Path_Test() {
    for (const char* name : {"XDG_CONFIG_HOME", "HOME"})
      if (const char* v = getenv(name)) saved_[name] = v;
  }
  ~Settings_Path_Test() override {
    for (const char* name : {"XDG_CONFIG_HOME", "HOME"}) {
      if (saved_.count(name))
        setenv(name, saved_[name].c_str(), 1);
      else
        unsetenv(name);
    }
  }
  std::map<std::string, std::string> saved_;
};

TEST_F(Settings_Path_Test, XdgConfigHomeIsHonoured) {
  setenv("HOME", "/home/someone", 1);
  setenv("XDG_CONFIG_HOME", "/srv/conf", 1);
  EXPECT_EQ(Default_Settings_Path(), "/srv/conf/tolvane/Tolvane.INI");
  setenv("XDG_CONFIG_HOME", "relative/conf", 1);  // not absolute: ignored
  EXPECT_EQ(Default_Settings_Path(), "/home/someone/.config/tolvane/Tolvane.INI");
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(Default_Settings_Path(), "/home/someone/.config/tolvane/Tolvane.INI");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(Default_Settings_Path(), "/home/someone/.config/tolvane/Tolvane.INI");
}

}  // namespace
}  // namespace tolvane::testing
