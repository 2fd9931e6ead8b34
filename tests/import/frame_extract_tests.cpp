#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/bmp.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr Colour Grey = 0xC0C0C0;

// A sheet of w x h cells, rows x columns of them, cell (r, c) filled with a
// colour of its own; the picture may be larger than the grid.
Colour Cell_Colour(int r, int c) { return Rgb(40 + 20 * c, 40 + 20 * r, 200); }

Raster_Image Sheet(int pw, int ph, int cw, int ch) {
  Raster_Image p(pw, ph, 0xFFFFFF);
  for (int r = 0; r * ch < ph; ++r)
    for (int c = 0; c * cw < pw; ++c) {
      p.Fill_Colour = Cell_Colour(r, c);
      p.FillRect({c * cw, r * ch, (c + 1) * cw, (r + 1) * ch});
    }
  return p;
}

class Frame_Extract_Test : public Tolvane_Test {
 protected:
  TFrame_Extract& F() { return *App.Frame_Extract; }

  // Opens the dialog on a picture and plays script as the user.
  template <class Script>
  void Open(const Raster_Image& picture, Script script, const std::string& name = "sheet.bmp") {
    Write_Bmp(Path(name), picture);
    F().Import_File_Name = Path(name);
    P.On_Modal<TFrame_Extract>(script);
    Show_Modal(P, F());
  }

  // Types text into a field, as keystrokes do, and leaves it.
  static void Type(TFrame_Extract& f, Spin_Edit& field, const std::string& text) {
    field.Text = text;
    f.Field_Edited(field);
  }
};

TEST_F(Frame_Extract_Test, OpeningClampsTheInputSizeToThePictureAndStretchesIt) {
  Raster_Image picture(20, 10, 0x0000FF);
  picture.SetPixel(0, 0, 0x00FF00);
  Open(picture, [](TFrame_Extract& f) {
    EXPECT_EQ(f.Frame_W.Text, "20");
    EXPECT_EQ(f.Frame_H.Text, "10");
    EXPECT_EQ(f.Frame_W.Max, 20);
    EXPECT_EQ(f.Frame_H.Max, 10);
    EXPECT_EQ(f.Frame_Count.Caption, "1 Frames (Total Frames 1)");
    EXPECT_EQ(f.Label7.Caption, "Viewing frame 1");
    EXPECT_EQ(f.Adjust_Type.Item_Index, ct_Stretch);
    EXPECT_EQ(f.Lines.Item_Index, 0);
    EXPECT_FALSE(f.Panel3.Visible);
    const Raster_Image& out = f.Final_Preview.Picture;
    ASSERT_EQ(out.Width(), 32);
    EXPECT_EQ(out.GetPixel(0, 0), 0x00FF00u) << "the one green pixel grows to a block";
    EXPECT_EQ(out.GetPixel(1, 2), 0x00FF00u);
    EXPECT_EQ(out.GetPixel(31, 31), 0x0000FFu);
    // The input preview shows the cell centred on light grey.
    EXPECT_EQ(f.Frame.Picture.GetPixel(54, 59), 0x00FF00u);
    EXPECT_EQ(f.Frame.Picture.GetPixel(53, 59), Grey);
    EXPECT_EQ(f.Client_Width(), 481);
    EXPECT_EQ(f.Client_Height(), 233);
    EXPECT_EQ(f.Window.Left, (1024 - 481) / 2);
    f.CancelClick();
  });
  EXPECT_FALSE(F().Retrieval_Done);
}

TEST_F(Frame_Extract_Test, CropNeedsInputFramesAtLeastTheOutputSize) {
  Open(Sheet(96, 96, 16, 16), [this](TFrame_Extract& f) {
    Type(f, f.Frame_W, "16");
    Type(f, f.Frame_H, "16");
    f.Adjust_Type.Select(ct_Crop);
    EXPECT_EQ(f.Adjust_Type.Item_Index, ct_Scale);
    EXPECT_GT(f.Crop.B.Left, f.Client_Width()) << "the crop square stays out of sight";

    Type(f, f.Frame_W, "64");
    Type(f, f.Frame_H, "64");
    f.Adjust_Type.Select(ct_Crop);
    EXPECT_EQ(f.Adjust_Type.Item_Index, ct_Crop);
    EXPECT_EQ(f.Crop.B.Left, 48);
    EXPECT_EQ(f.Crop.B.Top, 48);
    EXPECT_EQ(f.Crop_Marker.B.Left, 47);
    EXPECT_EQ(f.Crop_Marker.B.Width, 34);

    Type(f, f.dest_fs, "31");
    EXPECT_EQ(f.Adjust_Type.Item_Index, ct_Stretch) << "a new output size leaves Crop";
    f.CancelClick();
  });
  EXPECT_EQ(P.Message_Texts(),
            std::vector<std::string>{"You cannot crop frames that are less than 32x32"});
  EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
}

TEST_F(Frame_Extract_Test, TheCropSquareDragsOnlyWithinTheCell) {
  Open(Sheet(128, 128, 64, 64), [](TFrame_Extract& f) {
    f.Field_Set(f.Frame_W, 64);
    f.Field_Set(f.Frame_H, 64);
    f.Adjust_Type.Select(ct_Crop);
    struct Drag {
      int dx, dy, left, top;
    };
    for (Drag d : {Drag{-100, -100, 32, 32}, Drag{5, 7, 37, 39}, Drag{200, 3, 64, 42},
                   Drag{-10, 200, 54, 64}}) {
      f.CropMouseDown(Mouse_Button::Left, 0, 10, 10);
      f.CropMouseMove(0, 10 + d.dx, 10 + d.dy);
      f.CropMouseUp(Mouse_Button::Left, 0, 10 + d.dx, 10 + d.dy);
      EXPECT_EQ(f.Crop.B.Left, d.left) << d.dx << "," << d.dy;
      EXPECT_EQ(f.Crop.B.Top, d.top) << d.dx << "," << d.dy;
      EXPECT_EQ(f.Crop_Marker.B.Left, d.left - 1);
    }
    f.CropMouseMove(0, 0, 0);
    EXPECT_EQ(f.Crop.B.Left, 54) << "no drag after the release";
    // Square at (54, 64) over the cell drawn at (32, 32): cell pixels from (22, 32).
    EXPECT_TRUE(All_Pixels(f.Final_Preview.Picture, Cell_Colour(0, 0)));
    f.CancelClick();
  });
}

TEST_F(Frame_Extract_Test, NavigationRunsOverAllCellsOfAllRows) {
  Open(Sheet(100, 70, 32, 32), [](TFrame_Extract& f) {
    EXPECT_EQ(f.Frame_Count.Caption, "3 Frames (Total Frames 6)");
    for (int i = 0; i < 10; ++i) f.NextClick();
    EXPECT_EQ(f.Label7.Caption, "Viewing frame 6");
    EXPECT_TRUE(All_Pixels(f.Final_Preview.Picture, Cell_Colour(1, 2)));
    f.FirstClick();
    f.PrevClick();
    EXPECT_EQ(f.Label7.Caption, "Viewing frame 1");
    f.LastClick();
    EXPECT_EQ(f.Label7.Caption, "Viewing frame 6");
    f.PrevClick();
    EXPECT_TRUE(All_Pixels(f.Final_Preview.Picture, Cell_Colour(1, 1)));
    f.Lines.Select(1);
    EXPECT_EQ(f.Frame_Count.Caption, "6 Frames");
    EXPECT_EQ(f.Label7.Caption, "Viewing frame 5");
    f.CancelClick();
  });
}

TEST_F(Frame_Extract_Test, AnEmptyFieldCountsNoCellAndGreysTheInput) {
  Open(Sheet(100, 70, 32, 32), [](TFrame_Extract& f) {
    f.Frame_W.Text.clear();
    f.Field_Edited(f.Frame_W);
    EXPECT_EQ(f.Frame_Count.Caption, "1 Frames (Total Frames 0)");
    EXPECT_TRUE(All_Pixels(f.Frame.Picture, Grey));
    const Raster_Image before = f.Final_Preview.Picture;
    f.Adjust_Type.Select(ct_Crop);
    EXPECT_EQ(f.Adjust_Type.Item_Index, ct_Crop) << "no warning, no switch";
    EXPECT_GT(f.Crop.B.Left, f.Client_Width());
    f.CancelClick();
  });
  EXPECT_TRUE(P.Messages.empty());
}

TEST_F(Frame_Extract_Test, TheOutputSizeFieldSizesThePreviewAndItsLabel) {
  Open(Sheet(64, 64, 32, 32), [this](TFrame_Extract& f) {
    struct Case {
      std::string text;
      int size;
    };
    // Values typed are used as the field will hold them, keystroke by keystroke.
    for (const Case& c : {Case{"16", 16}, Case{"abc", 1}, Case{"-5", 1}, Case{"0", 1},
                          Case{"99999", 128}, Case{"1", 1}, Case{"128", 128}}) {
      Type(f, f.dest_fs, c.text);
      EXPECT_EQ(f.Output_Frame_Size, c.size) << c.text;
      EXPECT_EQ(f.Label2.Caption, "x " + std::to_string(c.size)) << c.text;
      EXPECT_EQ(f.Final_Preview.Picture.Width(), c.size) << c.text;
      EXPECT_EQ(f.Final_Preview.B,
                (Bounds{345 + (128 - c.size) / 2, 20 + (128 - c.size) / 2, c.size, c.size}))
          << c.text;
      EXPECT_EQ(f.Crop.B.Width, c.size);
      EXPECT_EQ(f.Crop_Marker.B.Height, c.size + 2);
    }
    f.dest_fs.Text.clear();
    f.Field_Edited(f.dest_fs);
    EXPECT_EQ(f.Output_Frame_Size, 128) << "an empty field changes nothing";
    f.CancelClick();
  });
}

struct Run_Record {
  std::vector<std::string> labels;
  std::vector<int> bars;
  int shown = 0, waiting = 0;
};

TEST_F(Frame_Extract_Test, OkBuildsTheStripRowByRowWithExactProgress) {
  Run_Record rec;
  P.On_Pump = [&] {
    TFrame_Extract& f = F();
    rec.labels.push_back(f.Label9.Caption);
    rec.bars.push_back(f.ProgBar.Position);
    rec.shown += f.Panel3.Visible;
    rec.waiting += P.Wait_Cursor_On;
  };
  Open(Sheet(128, 70, 32, 32), [](TFrame_Extract& f) {
    f.Lines.Select(1);
    f.Field_Set(f.dest_fs, 16);
    f.OkClick();
  });
  TFrame_Extract& f = F();
  ASSERT_TRUE(f.Retrieval_Done);
  EXPECT_EQ(f.Modal_Result, mr_Ok);
  EXPECT_FALSE(f.Visible);
  EXPECT_EQ(rec.bars, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
  EXPECT_EQ(rec.labels.front(), "Frame 1 of 8");
  EXPECT_EQ(rec.labels[2], "Frame 3 of 8");
  EXPECT_EQ(rec.shown, 8);
  EXPECT_EQ(rec.waiting, 8);
  EXPECT_FALSE(f.Panel3.Visible);
  EXPECT_EQ(P.Wait_Cursor_On, 0);
  EXPECT_EQ(f.Panel3.B.Left, (481 - 185) / 2);
  EXPECT_EQ(f.Panel3.B.Top, (233 - 121) / 2);
  ASSERT_EQ(f.Retrieved_Strip.Width(), 8 * 16);
  ASSERT_EQ(f.Retrieved_Strip.Height(), 16);
  for (int n = 0; n < 8; ++n) {
    EXPECT_TRUE(Frame_Is(f.Retrieved_Strip, 16, n, Cell_Colour(n / 4, n % 4))) << n;
  }
}

TEST_F(Frame_Extract_Test, FirstRowTakesTheTopBandEvenWithoutAWholeRow) {
  Open(Sheet(100, 20, 32, 32), [](TFrame_Extract& f) {
    EXPECT_EQ(f.Frame_H.Text, "20");
    f.Field_Set(f.top_border, 10);
    EXPECT_EQ(f.Frame_Count.Caption, "3 Frames (Total Frames 0)");
    f.OkClick();
  });
  ASSERT_TRUE(F().Retrieval_Done);
  EXPECT_EQ(F().Retrieved_Strip.Width(), 96);
  EXPECT_EQ(F().Retrieved_Strip.GetPixel(32 + 5, 5), Cell_Colour(0, 1));
}

TEST_F(Frame_Extract_Test, ARunWithoutFramesWarnsAndKeepsTheDialogOpen) {
  struct Case {
    const char* what;
    int lines, top, left;
  };
  for (const Case& c :
       {Case{"all rows, none whole", 1, 10, 0}, Case{"offsets past the picture", 1, 200, 200},
        Case{"first row below the picture", 0, 20, 0},
        Case{"column past the right edge", 0, 0, 100}}) {
    P.Messages.clear();
    bool open_after_ok = false;
    Open(Sheet(100, 20, 32, 32), [&](TFrame_Extract& f) {
      f.Lines.Select(c.lines);
      f.Field_Set(f.top_border, c.top);
      f.Field_Set(f.Left_Border, c.left);
      f.OkClick();
      open_after_ok = f.Visible && f.Modal_Result == mr_None;
      f.CancelClick();
    });
    EXPECT_TRUE(open_after_ok) << c.what;
    EXPECT_FALSE(F().Retrieval_Done) << c.what;
    ASSERT_EQ(P.Messages.size(), 1u) << c.what;
    EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
    EXPECT_NE(P.Messages[0].Text.find("no frames"), std::string::npos) << P.Messages[0].Text;
  }
}

TEST_F(Frame_Extract_Test, AStripWiderThanTheImageBoundIsRefusedBeforeAnythingIsSized) {
  // 4096 x 4096 cells of 1 x 1 at 128: a strip 2^31 pixels wide.
  TFrame_Extract& f = F();
  f.Source_Picture = Raster_Image(4096, 4096);
  f.Frame_W.Max = f.Frame_H.Max = 4096;
  f.Visible = true;
  f.Field_Set(f.Frame_W, 1);
  f.Field_Set(f.Frame_H, 1);
  f.Lines.Select(1);
  f.Field_Set(f.dest_fs, 128);
  EXPECT_EQ(f.Cell_Total, 4096 * 4096);
  f.OkClick();
  EXPECT_FALSE(f.Retrieval_Done);
  EXPECT_TRUE(f.Visible);
  EXPECT_EQ(f.Retrieved_Strip.Width(), 0);
  EXPECT_EQ(P.Pumps, 0);
  ASSERT_EQ(P.Messages.size(), 1u);
  EXPECT_EQ(P.Messages[0].Text,
            "The animation would be too large: 16777216 frames of 128x128. Choose larger input "
            "frames or a smaller output size.");
}

TEST_F(Frame_Extract_Test, OkCommitsTypedValuesIntoTheirRanges) {
  struct Case {
    const char* field;
    std::string text;
    int frames, size;
    std::string committed;
  };
  // Picture 96 x 32 of 32-pixel cells; each case types into a field and
  // presses Enter while the field still has the focus.
  const Case cases[] = {
      {"dest_fs", "-5", 3, 1, "1"},        {"dest_fs", "0", 3, 1, "1"},
      {"dest_fs", "99999", 3, 128, "128"}, {"Frame_W", "-5", 96, 32, "1"},
      {"Frame_W", "0", 96, 32, "1"},       {"Frame_W", "99999", 1, 32, "96"},
  };
  for (const Case& c : cases) {
    Open(Sheet(96, 32, 32, 32), [&](TFrame_Extract& f) {
      Spin_Edit& field = std::string(c.field) == "dest_fs" ? f.dest_fs : f.Frame_W;
      field.Text = c.text;
      f.Field_Edited(field);
      f.OkClick();
      EXPECT_EQ(field.Text, c.committed) << c.field << " " << c.text;
    });
    TFrame_Extract& f = F();
    ASSERT_TRUE(f.Retrieval_Done) << c.field << " " << c.text;
    EXPECT_EQ(f.Output_Frame_Size, c.size) << c.field << " " << c.text;
    EXPECT_EQ(f.Retrieved_Strip.Height(), c.size) << c.field << " " << c.text;
    EXPECT_EQ(f.Retrieved_Strip.Width(), c.frames * c.size) << c.field << " " << c.text;
  }
}

TEST_F(Frame_Extract_Test, MountColourAndTheWholePictureWindow) {
  P.Colour_Answers = {0x00FF00};
  Open(Sheet(50, 40, 32, 32), [](TFrame_Extract& f) {
    f.Set_MountClick();
    EXPECT_EQ(f.Set_Mount.Color, 0x00FF00u);
    f.SpeedButton1Click();
    const TImport_View& v = *f.Import_View;
    EXPECT_TRUE(v.Visible);
    EXPECT_EQ(v.Caption, "sheet.bmp");
    EXPECT_EQ(v.Client_Width(), 50);
    EXPECT_EQ(v.Client_Height(), 40);
    EXPECT_TRUE(Same_Pixels(v.Image1.Picture, f.Source_Picture));
    f.Close();  // the title bar's close button, or Escape
  });
  EXPECT_EQ(T().Mount_Colour, 0x00FF00u);
  EXPECT_FALSE(App.Import_View->Visible) << "closing the dialog closes the picture window";
  EXPECT_FALSE(F().Retrieval_Done);
}

}  // namespace
}  // namespace tolvane::testing
