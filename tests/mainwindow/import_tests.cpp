#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "pcx/pcx_test_helpers.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

using namespace pcx_testing;

constexpr Colour Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000;

// The user's part in the retrieval dialog: 32 x 32 cells, output size d, Ok.
auto Retrieve_At(int d) {
  return [d](TFrame_Extract& f) {
    f.Field_Set(f.Frame_H, 32);
    f.Field_Set(f.dest_fs, d);
    f.OkClick();
  };
}

class Import_Test : public Tolvane_Test {
 protected:
  // No strip: 100 x 40, cells of red, green and blue, a white band right.
  std::string Sheet_Path() {
    Raster_Image p = Solid_Strip({Red, Green, Blue}, 32);
    p.Set_Size(100, 40);
    Write_Bmp(Path("sheet.bmp"), p);
    return Path("sheet.bmp");
  }
  void Expect_Retrieved_Document(int size) {
    TTolvane& t = T();
    EXPECT_EQ(t.Frame_Size, size);
    EXPECT_EQ(t.Frame_Total, 3);
    EXPECT_EQ(t.Caption, "Tolvane v2 - NewAnim.BMP");
    EXPECT_EQ(t.Controls.Label3.Caption, "Section: 1 to 3");
    EXPECT_TRUE(t.Anim_Modified);
    EXPECT_FALSE(t.Undo_Available);
    EXPECT_TRUE(t.Opened && t.Sections_Offered);
    for (int i = 0; i < 3; ++i)
      EXPECT_TRUE(Frame_Is(t.Anim_Strip, size, i, std::vector{Red, Green, Blue}[i])) << i;
    EXPECT_EQ(t.Check_Invariants(), "");
  }
};

TEST_F(Import_Test, ImportFramesWithNoDocumentInstallsTheRetrievedStrip) {
  P.Open_Answers = {Sheet_Path()};
  P.On_Modal<TFrame_Extract>(Retrieve_At(16));
  T().Import1Click();
  ASSERT_EQ(P.Open_Seen.size(), 1u);
  EXPECT_EQ(P.Open_Seen[0].Title, "Import...");
  EXPECT_EQ(P.Open_Seen[0].Filter_Index, 1);
  EXPECT_TRUE(P.Messages.empty()) << "no save question without a document";
  Expect_Retrieved_Document(16);
  EXPECT_EQ(T().Controls.Label5.Caption, "8:1");

  P.Save_Answers = {Path("walk.bmp")};
  T().Save1Click();  // the document has no file yet: Save asks for one
  EXPECT_TRUE(Same_Pixels(Read_Bmp(Path("walk.bmp")), T().Anim_Strip));
}

// The report's steps: with the input width emptied the count reads "1 Frame
// (Total Frames 0)"; Ok then warns and keeps the dialog open, as for a zero or
// a word, and the frames the user then asks for are the ones saved.
TEST_F(Import_Test, OkWithoutAnInputWidthWarnsAndKeepsTheDialogOpen) {
  P.Open_Answers = {Sheet_Path()};
  P.On_Modal<TFrame_Extract>([](TFrame_Extract& f) {
    for (const char* text : {"", "0", "abc"}) {
      f.Frame_W.Text = text;
      f.Field_Edited(f.Frame_W);
      if (*text == 0) {
        EXPECT_EQ(f.Frame_Count.Caption, "1 Frame (Total Frames 0)");
      }
      f.OkClick();
      EXPECT_TRUE(f.Visible) << text;
    }
    f.Field_Set(f.Frame_W, 32);
    Retrieve_At(32)(f);
  });
  T().Import1Click();
  EXPECT_EQ(P.Message_Texts(),
            std::vector<std::string>(
                3, "The input frame width must be a whole number of pixels, 1 or more."));
  EXPECT_TRUE(Same_Pixels(Saved_Strip(), Solid_Strip({Red, Green, Blue}, 32)));
}

TEST_F(Import_Test, ImportPcxListsPcxFirstAndHandsABitmapStraightToTheDialog) {
  P.Open_Answers = {Sheet_Path()};
  P.On_Modal<TFrame_Extract>(Retrieve_At(32));
  T().ImportPCX1Click();
  EXPECT_EQ(P.Open_Seen[0].Title, "Import PCX...");
  EXPECT_EQ(P.Open_Seen[0].Filter,
            "Bitmap Files (*.BMP)|*.BMP|PCX Files (*.PCX)|*.PCX|All Files (*.*)|*.*|PNG Files "
            "(*.PNG)|*.PNG");
  EXPECT_EQ(P.Open_Seen[0].Filter_Index, 2);
  EXPECT_EQ(P.Open_Seen[0].File_Name, "*.PCX");
  Expect_Retrieved_Document(32);
}

// A PCX sheet is decoded for the dialog; one the decoder refuses ends the
// command before the dialog opens, whatever picture it held before.
TEST_F(Import_Test, ImportPcxDecodesTheSheetAndARefusedOneChangesNothing) {
  auto write_pcx = [this](const std::string& name, std::uint8_t manufacturer) {
    Pcx_Parts parts;
    parts.manufacturer = manufacturer;
    parts.planes = 3;
    parts.xmax = 95;
    parts.ymax = 31;
    parts.line_bytes = 96;
    Bytes raw;
    for (int y = 0; y < 32; ++y)
      for (int plane = 0; plane < 3; ++plane)  // red, green, blue planes
        for (int x = 0; x < 96; ++x) raw.push_back(x / 32 == plane ? 0xFF : 0x00);
    parts.data = Encode_Lines(raw, 96);
    bmp_testing::Write_File(Path(name), Build_Pcx(parts));
    return Path(name);
  };
  P.Open_Answers = {write_pcx("sheet.pcx", 10)};
  P.On_Modal<TFrame_Extract>(Retrieve_At(32));
  T().ImportPCX1Click();
  Expect_Retrieved_Document(32);
  EXPECT_FALSE(App.Loading_Window->Visible);
  EXPECT_EQ(P.Wait_Cursor_On, 0);

  const Raster_Image before = T().Anim_Strip;
  const std::string bad = write_pcx("bad.pcx", 9);
  P.Messages.clear();
  P.Modal_Seen.clear();
  P.Answers = {id_No};  // not saving the retrieved animation
  P.Open_Answers = {bad};
  T().ImportPCX1Click();
  EXPECT_EQ(P.Message_Texts().back(), bad + " is not a valid PCX file!");
  EXPECT_TRUE(P.Modal_Seen.empty()) << "the dialog opened on the earlier picture";
  EXPECT_TRUE(Same_Pixels(T().Anim_Strip, before));
  EXPECT_EQ(P.Wait_Cursor_On, 0);
}

TEST_F(Import_Test, EveryWayOutBeforeOkLeavesTheDocumentAsItWas) {
  auto junk = [this] {
    std::ofstream(Path("junk.bmp")) << "not a bitmap at all";
    P.Open_Answers = {Path("junk.bmp")};
  };
  auto sheet_then = [this](std::function<void(TFrame_Extract&)> user) {
    return [this, user] {
      P.Open_Answers = {Sheet_Path()};
      P.On_Modal<TFrame_Extract>(user);
    };
  };
  struct Case {
    const char* what;
    std::function<void()> script;
    void (TTolvane::*command)();
    int dialogs;  // retrieval dialogs shown
  } cases[] = {
      {"save question cancelled", [this] { P.Answers = {id_Cancel}; }, &TTolvane::Import1Click, 0},
      {"open dialog cancelled", [] {}, &TTolvane::Import1Click, 0},
      {"unreadable bitmap", junk, &TTolvane::Import1Click, 0},
      {"unreadable bitmap in the dialog", junk, &TTolvane::ImportPCX1Click, 0},
      {"retrieval cancelled", sheet_then([](TFrame_Extract& f) { f.CancelClick(); }),
       &TTolvane::Import1Click, 1},
      {"retrieval closed", sheet_then([](TFrame_Extract& f) { f.Close(); }),
       &TTolvane::ImportPCX1Click, 1},
      {"no frames to retrieve", sheet_then([](TFrame_Extract& f) {
         f.Field_Set(f.Left_Border, 200);
         f.OkClick();
       }),
       &TTolvane::Import1Click, 1},
  };
  for (const Case& c : cases) {
    P.Answers = {id_No};
    Load_Strip(Solid_Strip({Red, Green}, 8), "two.bmp");
    T().Next_FrameClick();
    T().Working_Frame.SetPixel(1, 1, Blue);
    T().Frame_Edited = T().Anim_Modified = true;
    const Raster_Image strip = T().Anim_Strip;
    P.Answers.clear();
    P.Modal_Seen.clear();
    c.script();
    if (P.Answers.empty()) P.Answers = {id_No};
    (T().*c.command)();
    EXPECT_EQ(std::count(P.Modal_Seen.begin(), P.Modal_Seen.end(), "Frame_Extract"), c.dialogs)
        << c.what;
    EXPECT_TRUE(Same_Pixels(T().Anim_Strip, strip)) << c.what;
    EXPECT_EQ(T().Cur_Frame, 1) << c.what;
    EXPECT_EQ(T().Working_Frame.GetPixel(1, 1), Blue) << c.what;
    EXPECT_EQ(T().Caption, "Tolvane v2 - two.bmp") << c.what;
  }
  EXPECT_EQ(P.Errors,
            std::vector<std::string>(
                2, "Bitmap image is not valid.\n\njunk.bmp: not a BMP, PNG or GIF picture."));
}

TEST_F(Import_Test, LoadOffersRetrievalForAPictureThatIsNoStrip) {
  Load_Strip(Solid_Strip({Red, Green}, 8), "two.bmp");
  P.Answers = {id_No, id_Yes, id_Yes};
  Load_File(Sheet_Path());
  P.On_Modal<TFrame_Extract>([](TFrame_Extract& f) { f.CancelClick(); });
  Load_File(Sheet_Path());
  EXPECT_EQ(T().Caption, "Tolvane v2 - two.bmp");
  EXPECT_EQ(App.Frame_Extract->Import_File_Name, Path("sheet.bmp"));
  P.On_Modal<TFrame_Extract>(Retrieve_At(16));
  Load_File(Sheet_Path());
  EXPECT_EQ(P.Message_Texts(),
            std::vector<std::string>(3,
                                     "This is not a valid animation bitmap. It must contain only "
                                     "square frames. Do you wish to attempt frame retrieval?"));
  Expect_Retrieved_Document(16);
}

TEST_F(Import_Test, ImportDropsAFloatingSelectionOfTheOldDocument) {
  Load_Strip(Solid_Strip({Red, Green}, 32), "two.bmp");
  T().Set_Tool(Tool_Select);
  T().Controls.Select_Marker.B.Left = 3;  // a selection shown over the zoom view
  P.Open_Answers = {Sheet_Path()};
  P.On_Modal<TFrame_Extract>(Retrieve_At(16));
  T().Import1Click();
  EXPECT_GE(T().Controls.Select_Marker.B.Left, T().Client_Width());
  Expect_Retrieved_Document(16);
}

}  // namespace
}  // namespace tolvane::testing
