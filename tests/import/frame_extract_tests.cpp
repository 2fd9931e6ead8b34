#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr Colour Grey = 0xC0C0C0;

// A sheet of cw x ch cells, cell (r, c) in a colour of its own.
Colour Cell_Colour(int r, int c) { return Rgb(40 + 20 * c, 40 + 20 * r, 200); }

Raster_Image Sheet(int pw, int ph, int cw, int ch) {
  Raster_Image p(pw, ph);
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

  // Opens the dialog on the picture; script plays the user.
  void Open(const Raster_Image& picture, std::function<void(TFrame_Extract&)> script) {
    Write_Bmp(Path("sheet.bmp"), picture);
    F().Import_File_Name = Path("sheet.bmp");
    P.On_Modal<TFrame_Extract>(script);
    Show_Modal(P, F());
  }
  // Typing into a field runs its change handler on the text as it stands.
  static void Type(TFrame_Extract& f, Spin_Edit& field, const std::string& text) {
    field.Text = text;
    f.Field_Edited(field);
  }
};

TEST_F(Frame_Extract_Test, OpeningClampsTheInputSizeToThePictureAndStretchesIt) {
  Raster_Image picture(20, 10, 0x0000FF);
  picture.SetPixel(0, 0, 0x00FF00);
  Open(picture, [](TFrame_Extract& f) {
    EXPECT_EQ(f.Frame_W.Text + "x" + f.Frame_H.Text, "20x10");
    EXPECT_EQ(f.Frame_Count.Caption, "1 Frame (Total Frames 1)");
    EXPECT_EQ(f.Label7.Caption, "Viewing frame 1");
    EXPECT_EQ(f.Final_Preview.Picture.GetPixel(1, 2), 0x00FF00u) << "one pixel, stretched";
    EXPECT_EQ(f.Final_Preview.Picture.GetPixel(31, 31), 0x0000FFu);
    EXPECT_EQ(f.Frame.Picture.GetPixel(54, 59), 0x00FF00u) << "the cell centred on grey";
    EXPECT_EQ(f.Frame.Picture.GetPixel(53, 59), Grey);
    EXPECT_EQ(f.Window, (Bounds{(1024 - 481) / 2, (768 - 233) / 2, 481, 233}));
    f.CancelClick();
  });
  EXPECT_FALSE(F().Retrieval_Done);
}

TEST_F(Frame_Extract_Test, CropNeedsLargeEnoughCellsAndItsSquareDragsWithinTheCell) {
  Open(Sheet(128, 128, 64, 64), [](TFrame_Extract& f) {
    Type(f, f.Frame_W, "16");
    f.Adjust_Type.Select(ct_Crop);
    EXPECT_EQ(f.Adjust_Type.Item_Index, ct_Scale);
    EXPECT_GT(f.Crop.B.Left, f.Client_Width()) << "out of sight";

    Type(f, f.Frame_W, "64");
    Type(f, f.Frame_H, "64");
    f.Adjust_Type.Select(ct_Crop);
    EXPECT_EQ(f.Crop.B, (Bounds{48, 48, 32, 32}));
    EXPECT_EQ(f.Crop_Marker.B, (Bounds{47, 47, 34, 34}));
    struct Drag {
      int dx, dy, left, top;
    };
    for (Drag d : {Drag{-100, -100, 32, 32}, Drag{5, 7, 37, 39}, Drag{200, 3, 64, 42}}) {
      f.CropMouseDown(Mouse_Button::Left, 0, 10, 10);
      f.CropMouseMove(0, 10 + d.dx, 10 + d.dy);
      f.CropMouseUp(Mouse_Button::Left, 0, 10 + d.dx, 10 + d.dy);
      EXPECT_EQ(f.Crop.B.Left, d.left) << d.dx << "," << d.dy;
      EXPECT_EQ(f.Crop.B.Top, d.top) << d.dx << "," << d.dy;
    }
    f.CropMouseMove(0, 0, 0);
    EXPECT_EQ(f.Crop.B.Left, 64) << "no drag after the release";
    EXPECT_TRUE(All_Pixels(f.Final_Preview.Picture, Cell_Colour(0, 0)));
    Type(f, f.dest_fs, "31");
    EXPECT_EQ(f.Adjust_Type.Item_Index, ct_Stretch) << "a new output size leaves Crop";
    f.CancelClick();
  });
  EXPECT_EQ(P.Message_Texts(),
            std::vector<std::string>{"You cannot crop frames that are less than 32x32"});
  EXPECT_EQ(P.Messages[0].Kind, Msg_Kind::Warning);
}

TEST_F(Frame_Extract_Test, NavigationRunsOverAllCellsAndAnEmptyFieldCountsNone) {
  Open(Sheet(100, 70, 32, 32), [](TFrame_Extract& f) {
    EXPECT_EQ(f.Frame_Count.Caption, "3 Frames (Total Frames 6)");
    for (int i = 0; i < 10; ++i) f.NextClick();
    EXPECT_EQ(f.Label7.Caption, "Viewing frame 6");
    f.FirstClick();
    f.PrevClick();
    EXPECT_EQ(f.Label7.Caption, "Viewing frame 1");
    f.LastClick();
    f.PrevClick();
    EXPECT_TRUE(All_Pixels(f.Final_Preview.Picture, Cell_Colour(1, 1)));
    f.Lines.Select(1);
    EXPECT_EQ(f.Frame_Count.Caption + ", " + f.Label7.Caption, "6 Frames, Viewing frame 5");

    f.Lines.Select(0);
    Type(f, f.Frame_W, "");
    EXPECT_EQ(f.Frame_Count.Caption, "1 Frame (Total Frames 0)");
    EXPECT_TRUE(All_Pixels(f.Frame.Picture, Grey));
    f.Adjust_Type.Select(ct_Crop);
    EXPECT_EQ(f.Adjust_Type.Item_Index, ct_Crop) << "neither a warning nor a switch";
    f.CancelClick();
  });
  EXPECT_TRUE(P.Messages.empty());
}

TEST_F(Frame_Extract_Test, TheOutputSizeUsesTypedValuesAsTheFieldWillHoldThem) {
  Open(Sheet(64, 64, 32, 32), [](TFrame_Extract& f) {
    struct Case {
      std::string text;
      int size;
    };
    for (const Case& c : {Case{"16", 16}, Case{"abc", 1}, Case{"-5", 1}, Case{"0", 1},
                          Case{"99999", 128}, Case{"", 128}}) {
      Type(f, f.dest_fs, c.text);
      EXPECT_EQ(f.Label2.Caption, "x " + std::to_string(c.size)) << c.text;
      EXPECT_EQ(f.Final_Preview.B,
                (Bounds{345 + (128 - c.size) / 2, 20 + (128 - c.size) / 2, c.size, c.size}));
      EXPECT_EQ(f.Final_Preview.Picture.Width(), c.size);
      EXPECT_EQ(f.Crop_Marker.B.Height, c.size + 2);
    }
    f.CancelClick();
  });
}

TEST_F(Frame_Extract_Test, OkBuildsTheStripRowByRowWithExactProgress) {
  std::vector<std::string> labels;
  std::vector<int> bars;
  int shown = 0;
  P.On_Pump = [&] {
    labels.push_back(F().Label9.Caption);
    bars.push_back(F().ProgBar.Position);
    shown += F().Panel3.Visible && P.Wait_Cursor_On;
  };
  Open(Sheet(128, 70, 32, 32), [](TFrame_Extract& f) {
    f.Lines.Select(1);
    f.Field_Set(f.dest_fs, 16);
    f.OkClick();
  });
  const TFrame_Extract& f = F();
  ASSERT_TRUE(f.Retrieval_Done);
  EXPECT_EQ(bars, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
  EXPECT_EQ(labels[2], "Frame 3 of 8");
  EXPECT_EQ(shown, 8);
  EXPECT_FALSE(f.Panel3.Visible || P.Wait_Cursor_On);
  EXPECT_EQ(f.Panel3.B, (Bounds{148, 56, 185, 121}));
  ASSERT_EQ(f.Retrieved_Strip.Width(), 8 * 16);
  for (int n = 0; n < 8; ++n)
    EXPECT_TRUE(Frame_Is(f.Retrieved_Strip, 16, n, Cell_Colour(n / 4, n % 4))) << n;
}

TEST_F(Frame_Extract_Test, ARunWithoutFramesOrTooWideWarnsAndKeepsTheDialogOpen) {
  struct Case {
    const char* what;
    int lines, top, left;
  };
  // 100 x 20 with 32 x 20 cells; the first row of a 10-pixel band is taken.
  for (const Case& c : {Case{"first row of a band", 0, 10, 0}, Case{"no whole row", 1, 10, 0},
                        Case{"offsets past the picture", 1, 200, 200},
                        Case{"column past the right edge", 0, 0, 100}}) {
    P.Messages.clear();
    bool open = false;
    Open(Sheet(100, 20, 32, 32), [&](TFrame_Extract& f) {
      f.Lines.Select(c.lines);
      f.Field_Set(f.top_border, c.top);
      f.Field_Set(f.Left_Border, c.left);
      f.OkClick();
      open = f.Visible;
      if (open) f.CancelClick();
    });
    const bool taken = std::string(c.what) == "first row of a band";
    EXPECT_EQ(F().Retrieval_Done, taken) << c.what;
    EXPECT_EQ(open, !taken) << c.what;
    EXPECT_EQ(P.Messages.size(), taken ? 0u : 1u) << c.what;
  }
  EXPECT_EQ(P.Messages[0].Text,
            "There are no frames to retrieve with these settings. Check the input frame size, the "
            "offsets and the row options.");

  // 4096 x 4096 cells of 1 x 1 at 128: a strip 2^31 pixels wide.
  TFrame_Extract& f = F();
  f.Source_Picture = Raster_Image(4096, 4096);
  f.Frame_W.Max = f.Frame_H.Max = 4096;
  f.Visible = true;
  for (Spin_Edit* s : {&f.Frame_W, &f.Frame_H}) f.Field_Set(*s, 1);
  for (Spin_Edit* s : {&f.top_border, &f.Left_Border}) f.Field_Set(*s, 0);
  f.Lines.Select(1);
  f.Field_Set(f.dest_fs, 128);
  const int pumps = P.Pumps;
  f.OkClick();
  EXPECT_TRUE(f.Visible && !f.Retrieval_Done && P.Pumps == pumps);
  EXPECT_EQ(P.Message_Texts().back(),
            "The animation would be too large: 16777216 frames of 128x128. Choose larger input "
            "frames or a smaller output size.");
}

// A size beyond its field's range is committed into it; no size at all (empty,
// zero, negative, a word) warns, naming the field, and keeps the dialog open
// with the text as typed.
TEST_F(Frame_Extract_Test, EnterCommitsTheTypedSizeIntoItsRangeOrWarnsOfNoSize) {
  struct Case {
    Spin_Edit TFrame_Extract::*field;
    std::string text, committed;  // committed empty: a warning
    int frames, size;
    const char* name;
  } cases[] = {{&TFrame_Extract::dest_fs, "99999", "128", 3, 128, ""},
               {&TFrame_Extract::Frame_W, "99999", "96", 1, 32, ""},
               {&TFrame_Extract::dest_fs, "-5", "", 0, 0, "output frame size"},
               {&TFrame_Extract::Frame_W, "0", "", 0, 0, "input frame width"},
               {&TFrame_Extract::Frame_H, "x", "", 0, 0, "input frame height"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    P.Messages.clear();
    const bool warns = c.committed.empty();
    Open(Sheet(96, 32, 32, 32), [&](TFrame_Extract& f) {
      Spin_Edit& field = f.*c.field;
      Type(f, field, c.text);
      f.OkClick();  // Enter, with the focus still in the field
      EXPECT_EQ(field.Text, warns ? c.text : c.committed);
      EXPECT_EQ(f.Visible, warns);
      if (f.Visible) f.CancelClick();
    });
    if (warns) {
      EXPECT_FALSE(F().Retrieval_Done);
      EXPECT_EQ(P.Message_Texts(), std::vector<std::string>{std::string("The ") + c.name +
                                                            " must be a whole number of pixels, "
                                                            "1 or more."});
    } else {
      ASSERT_TRUE(F().Retrieval_Done);
      EXPECT_EQ(F().Retrieved_Strip.Height(), c.size);
      EXPECT_EQ(F().Retrieved_Strip.Width(), c.frames * c.size);
    }
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
    EXPECT_EQ(v.Window.Width * 100 + v.Window.Height, 5040);
    EXPECT_TRUE(Same_Pixels(v.Image1.Picture, f.Source_Picture));
    f.Close();
  });
  EXPECT_EQ(T().Mount_Colour, 0x00FF00u);
  EXPECT_FALSE(App.Import_View->Visible) << "closing the dialog closes the picture window";
}

}  // namespace
}  // namespace tolvane::testing
