#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <random>

#include "document/bmp.h"
#include "document/bmp_test_helpers.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

using Gif_Export = Tolvane_Test;
namespace bt = bmp_testing;

constexpr Colour Colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00};

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// ImageMagick's reading of a GIF: the delay of each frame and the colour of
// its top-left pixel.
struct Gif_Read {
  std::vector<std::string> delays;
  std::vector<Colour> corners;
};

std::optional<Gif_Read> Read_With_Im(const std::string& gif) {
  const std::string identify = bt::Find_Tool("identify"), convert = bt::Find_Tool("convert");
  if (identify.empty() || convert.empty()) return std::nullopt;
  int status = 1;
  std::istringstream lines(
      bt::Run(identify + " -format '%T\\n' " + Quote(gif) + " 2>/dev/null", status));
  Gif_Read r;
  for (std::string line; std::getline(lines, line);) r.delays.push_back(line);
  for (std::size_t i = 0; i < r.delays.size(); ++i) {
    const auto frame = bt::Parse_Ppm(bt::Run(
        convert + " " + Quote(gif + "[" + std::to_string(i) + "]") + " -depth 8 ppm:- 2>/dev/null",
        status));
    r.corners.push_back(frame ? frame->GetPixel(0, 0) : No_Colour);
  }
  return r;
}

// Whether the file carries the block that makes it loop.
bool Loops(const std::string& gif) {
  const bt::Bytes b = bt::Read_File(gif);
  return std::string(b.begin(), b.end()).find("NETSCAPE2.0") != std::string::npos;
}

// The section marked on a six-frame strip goes out at the speed bar's rate;
// the working frame is committed first, and the document is left as it was.
TEST_F(Gif_Export, WritesTheSectionAtTheSpeedAndLeavesTheDocumentAlone) {
  EXPECT_FALSE(T().ExportGIF1.Enabled);
  Load_Strip(
      Solid_Strip({Colours[0], Colours[1], Colours[2], Colours[3], Colours[4], Colours[5]}, 16),
      "walk.bmp");
  EXPECT_TRUE(T().ExportGIF1.Enabled);
  T().Next_FrameClick();
  T().MarkFrameAsStartOfSection1Click();
  for (int i = 0; i < 3; ++i) T().Next_FrameClick();
  T().MarkFrameAsEndOfSection1Click();  // frames 2 to 5, 1-based
  T().Working_Frame.SetPixel(0, 0, 0x123456);
  T().Frame_Edited = true;
  T().Anim_Modified = true;
  T().Play_Speed.Set_Position(10);
  const std::string caption = T().Caption;
  const File_Dialog save_dialog = T().SaveDialog1;

  P.Save_Answers = {Path("out.gif")};
  T().ExportGIF1Click();
  ASSERT_EQ(P.Save_Seen.size(), 1u);
  EXPECT_EQ(P.Save_Seen[0].Filter, "GIF Files (*.GIF)|*.GIF");
  EXPECT_EQ(P.Save_Seen[0].File_Name, Path("walk.gif"));
  EXPECT_TRUE(P.Save_Seen[0].Overwrite_Prompt);
  EXPECT_TRUE(P.Errors.empty());
  EXPECT_EQ(P.Pumps, 0);  // too small for the progress panel

  EXPECT_EQ(T().Anim_Strip.GetPixel(4 * 16, 0), 0x123456u);
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_EQ(T().Anim_File_Name, Path("walk.bmp"));
  EXPECT_EQ(T().Caption, caption);
  EXPECT_EQ(T().SaveDialog1.Filter, save_dialog.Filter);
  EXPECT_EQ(T().SaveDialog1.File_Name, save_dialog.File_Name);
  EXPECT_EQ(T().Check_Invariants(), "");
  EXPECT_TRUE(Loops(Path("out.gif")));

  const auto read = Read_With_Im(Path("out.gif"));
  if (!read) GTEST_SKIP() << "ImageMagick is not installed";
  EXPECT_EQ(read->delays, std::vector<std::string>(4, "10"));
  EXPECT_EQ(read->corners, (std::vector<Colour>{Colours[1], Colours[2], Colours[3], 0x123456}));
}

TEST_F(Gif_Export, DefaultNameIsTheDocumentsWithGif) {
  const std::pair<std::string, std::string> cases[] = {
      {"/a/walk.bmp", "/a/walk.gif"},   {"/a/Walk.BMP", "/a/Walk.gif"},
      {"NewAnim.BMP", "NewAnim.gif"},   {"/a.d/walk", "/a.d/walk.gif"},
      {"/a/.hidden", "/a/.hidden.gif"}, {"/a/x.y.bmp", "/a/x.y.gif"},
  };
  New_Anim(16);
  for (const auto& [doc, gif] : cases) {
    T().Anim_File_Name = doc;
    T().ExportGIF1Click();  // cancelled: nothing is written
    ASSERT_FALSE(P.Save_Seen.empty());
    EXPECT_EQ(P.Save_Seen.back().File_Name, gif) << doc;
  }
  EXPECT_EQ(T().Anim_File_Name, "/a/x.y.bmp");
}

// Playback stops first; a long export shows the progress panel and hides it.
TEST_F(Gif_Export, StopsPlaybackAndShowsProgressForLongExports) {
  Raster_Image strip(20 * 128, 128);
  for (int i = 0; i < 20; ++i) {
    strip.Fill_Colour = Rgb(i * 10, 255 - i * 10, 50);
    strip.FillRect({i * 128, 0, (i + 1) * 128, 128});
  }
  Load_Strip(strip);
  T().Repeat_Anim.Down = false;
  T().PlayClick();
  ASSERT_TRUE(T().Anim_Timer.Enabled);
  std::vector<std::string> steps;
  P.On_Pump = [&] {
    steps.push_back(T().Progress.Caption);
    EXPECT_GE(T().Progress_Panel.B.Left, 0);
    EXPECT_EQ(T().Progress_Caption.Caption, "Exporting GIF...");
  };
  P.Save_Answers = {Path("long.gif")};
  T().ExportGIF1Click();
  EXPECT_FALSE(T().Anim_Timer.Enabled);
  EXPECT_TRUE(T().Play.Enabled);
  ASSERT_EQ(steps.size(), 20u);
  EXPECT_EQ(steps.front(), "Frame 1 of 20...");
  EXPECT_EQ(steps.back(), "Frame 20 of 20...");
  EXPECT_LT(T().Progress_Panel.B.Left, 0);
  EXPECT_EQ(P.Wait_Cursor_On, 0);
  EXPECT_FALSE(Loops(Path("long.gif")));  // Loop was off

  const auto read = Read_With_Im(Path("long.gif"));
  if (!read) GTEST_SKIP() << "ImageMagick is not installed";
  EXPECT_EQ(read->delays.size(), 20u);
  EXPECT_EQ(read->corners.back(), Rgb(190, 65, 50));
}

// A write that fails part way (a file size limit) shows the error box and
// leaves the earlier export whole.
TEST_F(Gif_Export, AFailedWriteKeepsTheOldFile) {
  Raster_Image strip(8 * 64, 64);
  std::mt19937 noise(5);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < strip.Width(); ++x) strip.SetPixel(x, y, noise() & 0xFFFFFF);
  Load_Strip(strip);
  T().MarkFrameAsStartOfSection1Click();
  T().MarkFrameAsEndOfSection1Click();  // one frame: about 4 KB
  P.Save_Answers = {Path("x.gif")};
  T().ExportGIF1Click();
  ASSERT_TRUE(P.Errors.empty());
  const bt::Bytes old = bt::Read_File(Path("x.gif"));

  T().ResetMarks1Click();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16384, 16384};
    setrlimit(RLIMIT_FSIZE, &limit);
    P.Save_Answers = {Path("x.gif")};
    T().ExportGIF1Click();
    _exit(P.Errors == std::vector<std::string>{"Stream write error."} ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(bt::Read_File(Path("x.gif")), old);
}

}  // namespace
}  // namespace tolvane::testing
