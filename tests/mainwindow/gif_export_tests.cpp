#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <random>

#include "bmp/bmp.h"
#include "support/bmp_test_helpers.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

namespace bt = bmp_testing;

class Gif_Export : public Tolvane_Test {
 protected:
  // The user sets the dialog's controls and presses Ok.
  void Accept_Dialog(std::function<void(TGif_Export_Form&)> choose = {}) {
    P.On_Modal<TGif_Export_Form>([choose](TGif_Export_Form& f) {
      if (choose) choose(f);
      f.OkClick();
    });
  }
};

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
  EXPECT_FALSE(T().Controls.ExportGIF1.Enabled);
  Load_Strip(
      Solid_Strip({Colours[0], Colours[1], Colours[2], Colours[3], Colours[4], Colours[5]}, 16),
      "walk.bmp");
  EXPECT_TRUE(T().Controls.ExportGIF1.Enabled);
  T().Next_FrameClick();
  T().MarkFrameAsStartOfSection1Click();
  for (int i = 0; i < 3; ++i) T().Next_FrameClick();
  T().MarkFrameAsEndOfSection1Click();  // frames 2 to 5, 1-based
  T().Working_Frame.SetPixel(0, 0, 0x123456);
  T().Frame_Edited = true;
  T().Anim_Modified = true;
  T().Controls.Play_Speed.Set_Position(10);
  const std::string caption = T().Caption;
  const File_Dialog save_dialog = T().Controls.SaveDialog1;

  P.Save_Answers = {Path("out.gif")};
  Accept_Dialog([](TGif_Export_Form& f) { f.Frames_Choice.Select(1); });
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
  EXPECT_EQ(T().Controls.SaveDialog1.Filter, save_dialog.Filter);
  EXPECT_EQ(T().Controls.SaveDialog1.File_Name, save_dialog.File_Name);
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
    Accept_Dialog();
    T().ExportGIF1Click();  // the save dialog is cancelled: nothing is written
    ASSERT_FALSE(P.Save_Seen.empty());
    EXPECT_EQ(P.Save_Seen.back().File_Name, gif) << doc;
  }
  EXPECT_EQ(T().Anim_File_Name, "/a/x.y.bmp");
}

// Each row chooses in the dialog; ImageMagick reads back the frame count, the
// delays, whether the file loops, the scaled size and which pixels are clear.
// The section is narrowed to frames 2 to 4 beforehand, as a merge or an effect
// leaves it: "All frames", the default, still takes all six.
TEST_F(Gif_Export, DialogChoicesReachTheFile) {
  const struct {
    bool section;
    int scale, fps;
    bool loop, transparent;
    int frames, side;
    std::vector<std::string> delays;
    bool keyed = false;  // the document's transparent colour, whatever the box says
  } rows[] = {
      {false, 1, 10, true, false, 6, 8, {"10", "10", "10", "10", "10", "10"}},
      {true, 3, 16, false, true, 3, 24, {"6", "7", "6"}},
      {false, 8, 30, true, true, 6, 64, {"3", "4", "3", "3", "4", "3"}},
      {true, 2, 1, true, false, 3, 16, {"100", "100", "100"}},
      {false, 1, 10, true, false, 6, 8, {"10", "10", "10", "10", "10", "10"}, true},
  };
  const std::string identify = bt::Find_Tool("identify");
  if (identify.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  const Colour mount = 0x563412;
  Raster_Image strip =
      Solid_Strip({Colours[0], Colours[1], Colours[2], Colours[3], Colours[4], Colours[5]}, 8);
  for (int i = 0; i < 6; ++i) strip.SetPixel(i * 8 + 1, 1, mount);  // one pixel to clear
  Load_Strip(strip);
  T().Mount_Colour = mount;
  T().Next_FrameClick();
  T().MarkFrameAsStartOfSection1Click();
  T().SpeedButton12Click();
  T().Prev_FrameClick();
  T().Prev_FrameClick();
  T().MarkFrameAsEndOfSection1Click();
  for (const auto& row : rows) {
    SCOPED_TRACE("scale " + std::to_string(row.scale));
    T().Controls.Play_Speed.Set_Position(row.fps);
    T().Player.Set_Loop(!row.loop);  // the dialog's Loop wins over the button
    T().Transparent_Colour = row.keyed ? std::optional(mount) : std::nullopt;
    const std::string gif = Path("choices.gif");
    P.Save_Answers = {gif};
    Accept_Dialog([&](TGif_Export_Form& f) {
      EXPECT_EQ(f.Frames_Choice.Items[1], "Section 2 to 4");
      EXPECT_EQ(f.Loop.Checked, !row.loop);
      f.Frames_Choice.Select(row.section ? 1 : 0);
      f.Scale.Text = std::to_string(row.scale);
      f.Loop.Set_Checked(row.loop);
      EXPECT_EQ(f.Transparent.Enabled, !row.keyed);
      f.Transparent.Set_Checked(row.transparent);
    });
    T().ExportGIF1Click();
    ASSERT_TRUE(P.Errors.empty()) << P.Errors.front();

    // Per frame: delay, size, the clear pixel's alpha and the corner's colour.
    const int inside = row.scale + row.scale / 2;  // in the block of pixel (1, 1)
    int status = 1;
    std::istringstream lines(bt::Run(identify + " -format '%T %wx%h %[fx:p{" +
                                         std::to_string(inside) + "," + std::to_string(inside) +
                                         "}.a] %[hex:p{0,0}]\\n' " + Quote(gif),
                                     status));
    const int first = row.section ? 1 : 0;
    std::vector<std::string> want, got;
    for (int i = 0; i < row.frames; ++i) {
      char hex[8];
      const Colour c = Colours[first + i];
      std::snprintf(hex, sizeof hex, "%02X%02X%02X", Red_Of(c), Green_Of(c), Blue_Of(c));
      want.push_back(row.delays[std::size_t(i)] + " " + std::to_string(row.side) + "x" +
                     std::to_string(row.side) + (row.transparent || row.keyed ? " 0 " : " 1 ") +
                     hex);
    }
    for (std::string line; std::getline(lines, line);)
      got.push_back(line.substr(0, line.rfind(' ') + 7));  // the colour without its alpha
    EXPECT_EQ(got, want);
    // ImageMagick tells a looping file by its repeat count, 0 for ever.
    const std::string verbose = bt::Run(identify + " -verbose " + Quote(gif), status);
    EXPECT_EQ(verbose.find("Iterations: 0") != std::string::npos, row.loop);
  }
}

// Playback stops first; a long export shows the progress panel and hides it.
TEST_F(Gif_Export, StopsPlaybackAndShowsProgressForLongExports) {
  Raster_Image strip(20 * 128, 128);
  for (int i = 0; i < 20; ++i) {
    strip.Fill_Colour = Rgb(i * 10, 255 - i * 10, 50);
    strip.FillRect({i * 128, 0, (i + 1) * 128, 128});
  }
  Load_Strip(strip);
  T().Player.Set_Loop(false);
  T().PlayClick();
  ASSERT_TRUE(T().Player.Playing());
  std::vector<std::string> steps;
  P.On_Pump = [&] {
    steps.push_back(T().Controls.Progress.Caption);
    EXPECT_GE(T().Controls.Progress_Panel.B.Left, 0);
    EXPECT_EQ(T().Controls.Progress_Caption.Caption, "Exporting GIF...");
  };
  P.Save_Answers = {Path("long.gif")};
  Accept_Dialog();
  T().ExportGIF1Click();
  EXPECT_FALSE(T().Player.Playing());
  ASSERT_EQ(steps.size(), 20u);
  EXPECT_EQ(steps.front(), "Frame 1 of 20...");
  EXPECT_EQ(steps.back(), "Frame 20 of 20...");
  EXPECT_LT(T().Controls.Progress_Panel.B.Left, 0);
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
  Accept_Dialog([](TGif_Export_Form& f) { f.Frames_Choice.Select(1); });
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
    Accept_Dialog();
    T().ExportGIF1Click();
    _exit(P.Errors == std::vector<std::string>{"Stream write error.\n\nx.gif: file too large."}
              ? 0
              : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(bt::Read_File(Path("x.gif")), old);
}

}  // namespace
}  // namespace tolvane::testing
