// PNG documents: Load, Save and Save As keep the format the name asks for,
// Import Frames takes PNG sheets, and a file named at start-up opens after
// the splash.
#include <gtest/gtest.h>
#include <spng.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bmp/bmp.h"
#include "pcx/pcx_test_helpers.h"
#include "png/png.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr Colour Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Mount = 0x336699;

// An RGBA PNG whose frames are solid colours with their top-left pixel fully
// transparent, written by libspng directly.
void Write_Rgba_Strip(const std::string& path, std::initializer_list<Colour> frames, int size,
                      int height = -1) {
  if (height < 0) height = size;
  const int w = int(frames.size()) * size;
  std::vector<std::uint8_t> px(std::size_t(w) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < w; ++x) {
      const Colour c = frames.begin()[x / size];
      std::uint8_t* p = &px[(std::size_t(y) * w + x) * 4];
      p[0] = std::uint8_t(Red_Of(c));
      p[1] = std::uint8_t(Green_Of(c));
      p[2] = std::uint8_t(Blue_Of(c));
      p[3] = x % size == 0 && y == 0 ? 0 : 255;
    }
  std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
  spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{
      std::uint32_t(w), std::uint32_t(height), 8, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 0, 0, 0};
  spng_set_ihdr(ctx.get(), &ihdr);
  ASSERT_EQ(spng_encode_image(ctx.get(), px.data(), px.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE),
            0);
  std::size_t len = 0;
  int error = 0;
  void* data = spng_get_png_buffer(ctx.get(), &len, &error);
  ASSERT_TRUE(data);
  std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), std::streamsize(len));
  std::free(data);
}

bool Is_Png_File(const std::string& path) {
  std::uint8_t head[8] = {};
  std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(head), 8);
  return Is_Png_Signature(head, 8);
}

// Every pixel of frame i is c, except its top-left pixel, which is m.
bool Frame_With_Corner(const Raster_Image& strip, int size, int i, Colour c, Colour m) {
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (strip.At(i * size + x, y) != (x == 0 && y == 0 ? m : c)) return false;
  return true;
}

using Png_Files = Tolvane_Test;

TEST_F(Png_Files, APngStripLoadsWithTransparencyOnTheMountColourAndStaysPng) {
  T().Mount_Colour = Mount;
  Write_Rgba_Strip(Path("walk.png"), {Red, Green, Blue}, 16);
  Load_File(Path("walk.png"));
  TTolvane& t = T();
  ASSERT_TRUE(P.Errors.empty()) << P.Errors[0];
  EXPECT_EQ(t.Caption, "Tolvane v2 - walk.png");
  EXPECT_EQ(t.Frame_Size, 16);
  EXPECT_EQ(t.Frame_Total, 3);
  EXPECT_EQ(t.Controls.Label2.Caption, "Frame 1 of 3");
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(Frame_With_Corner(t.Anim_Strip, 16, i, std::vector{Red, Green, Blue}[i], Mount))
        << i;
  EXPECT_EQ(t.Check_Invariants(), "");
  // Removing the transparent colour is a step the history takes back.
  t.TransparentColour1Click();
  EXPECT_EQ(t.Transparent_Colour, std::nullopt);
  t.StepBackward1Click();
  EXPECT_EQ(t.Transparent_Colour, Mount);
  t.Show_State();
  EXPECT_TRUE(t.Controls.TransparentColour1.Checked);

  // Save writes the same file, still PNG, with the edit.
  t.Working_Frame.Fill_Colour = Blue;
  t.Working_Frame.FillRect({0, 0, 16, 16});
  t.Frame_Edited = t.Anim_Modified = true;
  t.Save1Click();
  EXPECT_TRUE(P.Save_Seen.empty()) << "no dialog for a document with a file";
  EXPECT_FALSE(t.Anim_Modified);
  ASSERT_TRUE(Is_Png_File(Path("walk.png")));
  EXPECT_EQ(t.Transparent_Colour, Mount) << "the free Mount colour";
  const Png_Picture read = Read_Png_Keyed(Path("walk.png"), 0);
  EXPECT_EQ(read.Transparent, Mount) << "the corners stay see-through";
  const Raster_Image& saved = read.Image;
  EXPECT_TRUE(Frame_Is(saved, 16, 0, Blue));
  EXPECT_TRUE(Frame_With_Corner(saved, 16, 1, Green, Mount));

  // A BMP would drop the transparency: asked once, Cancel keeps it unsaved,
  // No saves and stops asking.
  P.Save_Answers = {Path("lost.bmp")};
  P.Answers = {id_Cancel};
  t.SaveAs1Click();
  EXPECT_FALSE(std::filesystem::exists(Path("lost.bmp")));
  P.Answers = {id_No};
  // Save As goes by the chosen name: .png in any case is PNG, else BMP.
  for (auto [name, png] : {std::pair{"copy.PNG", true}, std::pair{"copy.bmp", false},
                           std::pair{"plain", false}, std::pair{"again.png", true}}) {
    P.Save_Answers = {Path(name)};
    t.SaveAs1Click();
    EXPECT_EQ(Is_Png_File(Path(name)), png) << name;
    EXPECT_EQ(t.Caption, std::string("Tolvane - ") + name);
    EXPECT_EQ(t.Anim_File_Name, Path(name));
  }
  EXPECT_EQ(P.Save_Seen.back().Filter,
            "Bitmap Files (*.BMP)|*.BMP|All Files (*.*)|*.*|PNG Files (*.PNG)|*.PNG");
  EXPECT_EQ(Read_Bmp(Path("copy.bmp")).Width(), 48);
  EXPECT_EQ(P.Message_Texts().size(), 2u) << "copy.bmp asked, plain not";
  t.SaveAs1Click();  // a PNG document's own format comes first
  EXPECT_EQ(P.Save_Seen.back().Filter.find("PNG Files"), 0u);
}

TEST_F(Png_Files, APngThatIsNoStripOffersRetrievalAndImportTakesPngSheets) {
  // 3 cells of 32 and a band: 100 x 32 is no strip.
  Write_Rgba_Strip(Path("sheet.png"), {Red, Green, Blue}, 32);
  {
    Raster_Image wide = Read_Png(Path("sheet.png"), Mount);
    wide.Set_Size(100, 32);
    Write_Png(Path("sheet.png"), wide);
  }
  const auto retrieve = [](TFrame_Extract& f) {
    EXPECT_EQ(f.Source_Picture.Width(), 100);
    f.Field_Set(f.Frame_H, 32);
    f.Field_Set(f.dest_fs, 16);
    f.OkClick();
  };
  P.Answers = {id_Yes};
  P.On_Modal<TFrame_Extract>(retrieve);
  Load_File(Path("sheet.png"));
  ASSERT_EQ(P.Messages.size(), 1u);
  EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
  EXPECT_EQ(T().Frame_Size, 16);
  EXPECT_EQ(T().Frame_Total, 3);
  EXPECT_EQ(T().Caption, "Tolvane v2 - NewAnim.BMP");

  T().Anim_Modified = false;
  P.Open_Answers = {Path("sheet.png")};
  P.On_Modal<TFrame_Extract>(retrieve);
  T().Import1Click();
  EXPECT_EQ(P.Open_Seen.back().Title, "Import...");
  EXPECT_EQ(P.Open_Seen.back().Filter,
            "All Pictures (*.bmp *.png *.gif)|*.bmp;*.png;*.gif|Bitmap Files (*.BMP)|*.BMP|All "
            "Files (*.*)|*.*|PNG Files (*.PNG)|*.PNG|GIF Files (*.GIF)|*.GIF");
  EXPECT_EQ(T().Frame_Total, 3);
  EXPECT_TRUE(Frame_Is(T().Anim_Strip, 16, 2, Blue));
  EXPECT_TRUE(P.Errors.empty());
}

TEST_F(Png_Files, APngStripMergesOntoTheEnd) {
  T().Mount_Colour = Mount;
  Load_Strip(Solid_Strip({Red}, 16));
  Write_Rgba_Strip(Path("more.png"), {Green, Blue}, 16);
  P.Open_Answers = {Path("more.png")};
  P.Answers = {id_No};  // no transition
  T().MergeFiles1Click();
  EXPECT_TRUE(P.Errors.empty());
  ASSERT_EQ(T().Frame_Total, 3);
  EXPECT_TRUE(Frame_With_Corner(T().Anim_Strip, 16, 2, Blue, Mount));
  EXPECT_EQ(T().Check_Invariants(), "");
}

class Start_File : public Tolvane_Test {
 protected:
  // The start-up as the program runs it: the splash, then the file.
  void Start_With(const std::string& file) {
    T().Session.Set_Start_File(file);
    P.Modal_Scripts.push_front([](TForm& f) { dynamic_cast<TAbout_Form&>(f).Timer1Timer(); });
    T().FormShow();
  }
};

TEST_F(Start_File, AFileNamedAtStartUpOpensAfterTheSplashWithoutAnyDialog) {
  Write_Rgba_Strip(Path("strip.png"), {Red, Green}, 24);
  Start_With(Path("strip.png"));
  EXPECT_EQ(P.Modal_Seen, std::vector<std::string>{"About_Form"});
  EXPECT_TRUE(P.Open_Seen.empty());
  EXPECT_TRUE(P.Messages.empty());
  EXPECT_TRUE(T().Document_Open());
  EXPECT_EQ(T().Caption, "Tolvane v2 - strip.png");
  EXPECT_EQ(T().Frame_Total, 2);
  EXPECT_EQ(T().Anim_File_Name, Path("strip.png"));
  EXPECT_EQ(T().Controls.OpenDialog1.File_Name, Path("strip.png")) << "the next Load starts there";
  EXPECT_EQ(T().Check_Invariants(), "");
}

TEST_F(Start_File, ARelativeNameIsTakenFromTheCurrentFolder) {
  Write_Bmp(Path("walk.bmp"), Solid_Strip({Red, Green, Blue}, 8));
  const auto here = std::filesystem::current_path();
  std::filesystem::current_path(Dir);
  Start_With("walk.bmp");
  std::filesystem::current_path(here);
  EXPECT_EQ(T().Frame_Total, 3);
  EXPECT_EQ(T().Anim_File_Name, (std::filesystem::absolute(Dir) / "walk.bmp").string());
}

TEST_F(Start_File, APcxPictureGoesToFrameRetrieval) {
  using namespace pcx_testing;
  Pcx_Parts parts;
  parts.planes = 3;
  parts.xmax = 63;
  parts.ymax = 31;
  parts.line_bytes = 64;
  Bytes raw;
  for (int y = 0; y < 32; ++y)
    for (int plane = 0; plane < 3; ++plane)  // red, green, blue planes
      for (int x = 0; x < 64; ++x) raw.push_back(x / 32 == plane ? 0xFF : 0x00);
  parts.data = Encode_Lines(raw, 64);
  bmp_testing::Write_File(Path("sheet.pcx"), Build_Pcx(parts));
  P.On_Modal<TFrame_Extract>([](TFrame_Extract& f) {
    f.Field_Set(f.Frame_H, 32);
    f.OkClick();
  });
  Start_With(Path("sheet.pcx"));
  EXPECT_EQ(P.Modal_Seen.back(), "Frame_Extract");
  EXPECT_TRUE(P.Errors.empty());
  EXPECT_EQ(T().Frame_Total, 2);
  EXPECT_TRUE(Frame_Is(T().Anim_Strip, 32, 1, Green));
  EXPECT_EQ(T().Caption, "Tolvane v2 - NewAnim.BMP");
}

TEST_F(Start_File, AnUnreadableFileShowsTheReadersMessageAndOpensNothing) {
  std::ofstream(Path("junk.png")) << "no picture";
  for (auto [name, error] :
       {std::pair{Path("missing.png"), "Cannot open file " + Path("missing.png") +
                                           ".\n\nmissing.png: no such file or directory."},
        std::pair{
            Path("junk.png"),
            std::string("Bitmap image is not valid.\n\njunk.png: not a BMP, PNG or GIF picture.")},
        std::pair{Dir.string(), "Cannot open file " + Dir.string() + ".\n\n" +
                                    Dir.filename().string() + ": is a directory."}}) {
    P.Errors.clear();
    Start_With(name);
    EXPECT_EQ(P.Errors, std::vector<std::string>{error});
    EXPECT_FALSE(T().Document_Open());
    EXPECT_EQ(T().Caption, "Tolvane v2");
    EXPECT_FALSE(T().Anim_Modified);
    EXPECT_EQ(T().Check_Invariants(), "");
  }
}

}  // namespace
}  // namespace tolvane::testing
