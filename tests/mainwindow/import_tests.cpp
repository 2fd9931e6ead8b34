#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "document/bmp.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr Colour Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000;

// A picture that is no strip: 100 x 40, three 32-pixel cells of red, green
// and blue side by side and a white band on the right.
Raster_Image Not_A_Strip() {
  Raster_Image p(100, 40, 0xFFFFFF);
  const Colour colours[] = {Red, Green, Blue};
  for (int i = 0; i < 3; ++i) {
    p.Fill_Colour = colours[i];
    p.FillRect({32 * i, 0, 32 * (i + 1), 40});
  }
  return p;
}

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
  std::string Sheet_Path() {
    const std::string path = Path("sheet.bmp");
    Write_Bmp(path, Not_A_Strip());
    return path;
  }
  void Expect_Retrieved_Document(int size) {
    TTolvane& t = T();
    EXPECT_EQ(t.Frame_Size, size);
    EXPECT_EQ(t.Frame_Total, 3);
    EXPECT_EQ(t.Cur_Frame, 0);
    EXPECT_EQ(t.Caption, "Tolvane v2 - NewAnim.BMP");
    EXPECT_EQ(t.Anim_File_Name, "NewAnim.BMP");
    EXPECT_EQ(t.Label3.Caption, "Section: 1 to 3");
    EXPECT_EQ(t.Label2.Caption, "Frame 1 of 3");
    EXPECT_TRUE(t.Anim_Modified);
    EXPECT_FALSE(t.Frame_Edited);
    EXPECT_FALSE(t.Undo1.Enabled);
    EXPECT_TRUE(t.Edit1.Enabled && t.Frame1.Enabled && t.Section1.Enabled && t.Effects1.Enabled);
    EXPECT_TRUE(t.Save1.Enabled && t.SaveAs1.Enabled && t.MergeFiles1.Enabled);
    EXPECT_TRUE(t.Play.Enabled);
    EXPECT_TRUE(Frame_Is(t.Anim_Strip, size, 0, Red));
    EXPECT_TRUE(Frame_Is(t.Anim_Strip, size, 1, Green));
    EXPECT_TRUE(Frame_Is(t.Anim_Strip, size, 2, Blue));
    EXPECT_EQ(t.Check_Invariants(), "");
  }
};

TEST_F(Import_Test, ImportFramesWithNoDocumentInstallsTheRetrievedStrip) {
  P.Open_Answers = {Sheet_Path()};
  P.On_Modal<TFrame_Extract>(Retrieve_At(16));
  T().Import1Click();
  ASSERT_EQ(P.Open_Seen.size(), 1u);
  EXPECT_EQ(P.Open_Seen[0].Title, "Import...");
  EXPECT_EQ(P.Open_Seen[0].Filter, "Bitmap Files (*.BMP)|*.BMP|All Files (*.*)|*.*");
  EXPECT_EQ(P.Open_Seen[0].Filter_Index, 1);
  EXPECT_TRUE(P.Messages.empty()) << "no save question without a document";
  Expect_Retrieved_Document(16);
  EXPECT_EQ(T().Zoom_Factor, 8);
  EXPECT_EQ(T().Label5.Caption, "8:1");

  // Save asks for a name: the document has no file yet.
  P.Save_Answers = {Path("walk.bmp")};
  T().Save1Click();
  ASSERT_EQ(P.Save_Seen.size(), 1u);
  const Raster_Image saved = Read_Bmp(Path("walk.bmp"));
  EXPECT_TRUE(Same_Pixels(saved, T().Anim_Strip));
}

TEST_F(Import_Test, ImportPcxListsPcxFilesFirst) {
  T().OpenDialog1.File_Name = "/somewhere/last.bmp";
  T().ImportPCX1Click();
  ASSERT_EQ(P.Open_Seen.size(), 1u);
  EXPECT_EQ(P.Open_Seen[0].Title, "Import PCX...");
  EXPECT_EQ(P.Open_Seen[0].Filter,
            "Bitmap Files (*.BMP)|*.BMP|PCX Files (*.PCX)|*.PCX|All Files (*.*)|*.*");
  EXPECT_EQ(P.Open_Seen[0].Filter_Index, 2);
  EXPECT_EQ(P.Open_Seen[0].File_Name, "*.PCX");

  // A bitmap chosen there goes to the dialog without a check of its own.
  P.Open_Answers = {Sheet_Path()};
  P.On_Modal<TFrame_Extract>(Retrieve_At(32));
  T().ImportPCX1Click();
  Expect_Retrieved_Document(32);
}

TEST_F(Import_Test, EveryWayOutBeforeOkLeavesTheDocumentAsItWas) {
  struct Case {
    const char* what;
    std::function<void()> script;
    std::function<void(TTolvane&)> command;
    int dialogs;  // retrieval dialogs opened
  };
  const Case cases[] = {
      {"save question cancelled", [this] { P.Answers = {id_Cancel}; },
       [](TTolvane& t) { t.Import1Click(); }, 0},
      {"open dialog cancelled", [] {}, [](TTolvane& t) { t.Import1Click(); }, 0},
      {"retrieval cancelled",
       [this] {
         P.Answers = {id_No};
         P.Open_Answers = {Sheet_Path()};
         P.On_Modal<TFrame_Extract>([](TFrame_Extract& f) { f.CancelClick(); });
       },
       [](TTolvane& t) { t.Import1Click(); }, 1},
      {"retrieval closed by Escape",
       [this] {
         P.Answers = {id_No};
         P.Open_Answers = {Sheet_Path()};
         P.On_Modal<TFrame_Extract>([](TFrame_Extract& f) {
           f.Field_Set(f.dest_fs, 8);
           f.Close();
         });
       },
       [](TTolvane& t) { t.ImportPCX1Click(); }, 1},
      {"unreadable bitmap",
       [this] {
         P.Answers = {id_No};
         std::ofstream(Path("junk.bmp")) << "not a bitmap at all";
         P.Open_Answers = {Path("junk.bmp")};
       },
       [](TTolvane& t) { t.Import1Click(); }, 0},
      {"unreadable bitmap given to the dialog",
       [this] {
         P.Answers = {id_No};
         std::ofstream(Path("junk.bmp")) << "not a bitmap at all";
         P.Open_Answers = {Path("junk.bmp")};
       },
       [](TTolvane& t) { t.ImportPCX1Click(); }, 0},  // its error comes before it shows
      {"retrieval refused for want of frames",
       [this] {
         P.Answers = {id_No};
         P.Open_Answers = {Sheet_Path()};
         P.On_Modal<TFrame_Extract>([](TFrame_Extract& f) {
           f.Field_Set(f.Left_Border, 200);
           f.OkClick();  // warned; the dialog stays open until closed
         });
       },
       [](TTolvane& t) { t.Import1Click(); }, 1},
  };
  for (const Case& c : cases) {
    Load_Strip(Solid_Strip({Red, Green}, 8), "two.bmp");
    T().Next_FrameClick();
    T().Working_Frame.SetPixel(1, 1, Blue);
    T().Frame_Edited = T().Anim_Modified = true;
    const Raster_Image strip = T().Anim_Strip;
    P.Modal_Seen.clear();
    c.script();
    c.command(T());
    const int dialogs = int(std::count(P.Modal_Seen.begin(), P.Modal_Seen.end(), "Frame_Extract"));
    EXPECT_EQ(dialogs, c.dialogs) << c.what;
    EXPECT_TRUE(Same_Pixels(T().Anim_Strip, strip)) << c.what;
    EXPECT_EQ(T().Frame_Size, 8) << c.what;
    EXPECT_EQ(T().Cur_Frame, 1) << c.what;
    EXPECT_EQ(T().Working_Frame.GetPixel(1, 1), Blue) << c.what;
    EXPECT_TRUE(T().Anim_Modified) << c.what;
    EXPECT_EQ(T().Caption, "Tolvane v2 - two.bmp") << c.what;
    EXPECT_EQ(T().Check_Invariants(), "") << c.what;
    P.Answers = {id_No};  // for the next Load
  }
  EXPECT_EQ(P.Errors,
            (std::vector<std::string>{"Bitmap image is not valid.", "Bitmap image is not valid."}));
}

TEST_F(Import_Test, LoadOffersRetrievalForAPictureThatIsNoStrip) {
  Load_Strip(Solid_Strip({Red, Green}, 8), "two.bmp");
  const std::string sheet = Sheet_Path();

  P.Answers = {id_No};
  Load_File(sheet);
  EXPECT_EQ(T().Caption, "Tolvane v2 - two.bmp");
  EXPECT_EQ(T().Frame_Size, 8);

  P.Answers = {id_Yes};
  P.On_Modal<TFrame_Extract>([](TFrame_Extract& f) { f.CancelClick(); });
  Load_File(sheet);
  EXPECT_EQ(T().Caption, "Tolvane v2 - two.bmp");
  EXPECT_EQ(App.Frame_Extract->Import_File_Name, sheet);

  P.Answers = {id_Yes};
  P.On_Modal<TFrame_Extract>(Retrieve_At(16));
  Load_File(sheet);
  ASSERT_EQ(P.Message_Texts().size(), 3u);
  EXPECT_EQ(P.Message_Texts()[2],
            "This is not a valid animation bitmap. It must contain only square frames. Do you "
            "wish to attempt frame retrieval?");
  EXPECT_EQ(P.Messages[2].Kind, Msg_Kind::Warning);
  Expect_Retrieved_Document(16);
}

TEST_F(Import_Test, ImportDropsAFloatingSelectionOfTheOldDocument) {
  Load_Strip(Solid_Strip({Red, Green}, 32), "two.bmp");
  T().Set_Tool(6);
  T().Select_Marker.B.Left = 3;  // a selection shown over the zoom view
  P.Open_Answers = {Sheet_Path()};
  P.On_Modal<TFrame_Extract>(Retrieve_At(16));
  T().Import1Click();
  EXPECT_GE(T().Select_Marker.B.Left, T().Client_Width());
  Expect_Retrieved_Document(16);
}

}  // namespace
}  // namespace tolvane::testing
