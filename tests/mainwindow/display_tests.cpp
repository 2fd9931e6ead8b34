#include <gtest/gtest.h>

#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

constexpr Colour Grey = 0xC0C0C0;

// Colour of each thumbnail slot, sampled at its centre.
std::vector<Colour> Slots(const TTolvane& t) {
  std::vector<Colour> out;
  for (int k = 0; k < t.Thumb_Slots; ++k)
    out.push_back(
        t.Controls.Frames.Picture.GetPixel(k * t.Frame_Size + t.Frame_Size / 2, t.Frame_Size / 2));
  return out;
}

Raster_Image Ten_Frames(int size) {
  Raster_Image strip(10 * size, size);
  for (int i = 0; i < 10; ++i) {
    strip.Fill_Colour = Colour(i + 1);  // frame i has colour i + 1
    strip.FillRect({i * size, 0, (i + 1) * size, size});
  }
  return strip;
}

struct Geometry {
  int size, slots, frames_w, bevel1_left, zoom, client_w, client_h, dsp_left, label2_left;
};

class Layout_Table : public Tolvane_Test, public ::testing::WithParamInterface<Geometry> {};

TEST_P(Layout_Table, ViewsFollowTheFrameSize) {
  const Geometry g = GetParam();
  New_Anim(g.size);
  const TTolvane& t = T();
  EXPECT_EQ(t.Thumb_Slots, g.slots);
  EXPECT_EQ(t.Controls.Frames.B, (Bounds{5, 161, g.frames_w, g.size}));
  EXPECT_EQ(t.Controls.Frames.Picture.Width(), g.frames_w);
  EXPECT_EQ(t.Controls.Bevel1.B.Left, g.bevel1_left);
  EXPECT_EQ(t.Controls.Bevel1.B.Width, g.size + 2);
  EXPECT_EQ(t.View.Factor(), g.zoom);
  EXPECT_EQ(t.Client_Width(), g.client_w);
  EXPECT_EQ(t.Client_Height(), g.client_h);
  EXPECT_EQ(t.Controls.DSP_Panel.B.Left, g.dsp_left);
  // The preview's top row lines up with the thumbnails'.
  EXPECT_EQ(t.Controls.DSP_Panel.B.Top + t.Controls.Frame.B.Top, t.Controls.Frames.B.Top);
  EXPECT_EQ(t.Controls.Label2.B.Top, g.client_h - 13 - 4);
  // The counter's right edge lines up with the row's, or with the zoom
  // view's over a shorter row, and the counter stays clear of the section line.
  EXPECT_EQ(t.Controls.Label2.B.Left, g.label2_left);
  EXPECT_EQ(t.Controls.Label2.B.Width, 165);
  EXPECT_LT(t.Controls.Label3.B.Right(), t.Controls.Label2.B.Left);
  EXPECT_EQ(t.Controls.Bevel8.B.Width, g.client_w);
  EXPECT_EQ(t.Check_Invariants(), "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, Layout_Table,
                         ::testing::Values(Geometry{16, 5, 80, 36, 8, 373, 206, 349, 158},
                                           Geometry{32, 5, 160, 68, 4, 373, 222, 333, 158},
                                           Geometry{64, 5, 320, 132, 2, 405, 254, 333, 160},
                                           Geometry{128, 3, 384, 132, 1, 533, 318, 397, 224}),
                         [](const auto& info) { return "Size" + std::to_string(info.param.size); });

using Thumbnails = Tolvane_Test;

TEST_F(Thumbnails, OneFrameSitsInTheMiddleWithGreyAround) {
  T().Selected_Colour2 = 0x0000FF;
  New_Anim(32);
  EXPECT_EQ(Slots(T()), (std::vector<Colour>{Grey, Grey, 0x0000FF, Grey, Grey}));
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 1 of 1");
}

TEST_F(Thumbnails, TheCurrentFrameIsAlwaysTheMiddleSlot) {
  Load_Strip(Ten_Frames(32));
  EXPECT_EQ(Slots(T()), (std::vector<Colour>{Grey, Grey, 1, 2, 3}));
  T().SpeedButton12Click();
  EXPECT_EQ(Slots(T()), (std::vector<Colour>{8, 9, 10, Grey, Grey}));
  EXPECT_EQ(T().Controls.Label2.Caption, "Frame 10 of 10");
  T().Prev_FrameClick();
  EXPECT_EQ(Slots(T()), (std::vector<Colour>{7, 8, 9, 10, Grey}));
}

TEST_F(Thumbnails, LargeFramesShowOneNeighbourEachSide) {
  Load_Strip(Ten_Frames(65));
  T().Next_FrameClick();
  EXPECT_EQ(Slots(T()), (std::vector<Colour>{1, 2, 3}));
}

using Navigation = Tolvane_Test;

TEST_F(Navigation, ButtonsMoveWithinTheStrip) {
  Load_Strip(Ten_Frames(16));
  TTolvane& t = T();
  t.Next_FrameClick();
  t.Next_FrameClick();
  EXPECT_EQ(t.Cur_Frame, 2);
  t.SpeedButton12Click();
  EXPECT_EQ(t.Cur_Frame, 9);
  t.SpeedButton2Click();
  EXPECT_EQ(t.Cur_Frame, 0);
  EXPECT_TRUE(All_Pixels(t.Working_Frame, 1));
}

TEST_F(Navigation, AtTheEndsTheFrameStaysButUndoIsDisabledAndViewsRedrawn) {
  Load_Strip(Ten_Frames(16));
  TTolvane& t = T();
  t.Undo_Available = true;
  t.Prev_FrameClick();
  EXPECT_EQ(t.Cur_Frame, 0);
  EXPECT_FALSE(t.Undo_Available);
  t.SpeedButton12Click();
  t.Undo_Available = true;
  t.Controls.Frames.Picture.FillRect({0, 0, 80, 16});  // spoil the row: the move must redraw it
  t.Next_FrameClick();
  EXPECT_EQ(t.Cur_Frame, 9);
  EXPECT_FALSE(t.Undo_Available);
  EXPECT_EQ(Slots(t), (std::vector<Colour>{8, 9, 10, Grey, Grey}));
}

TEST_F(Navigation, ADrawingSurvivesMovingAwayAndBack) {
  Load_Strip(Ten_Frames(16));
  TTolvane& t = T();
  t.Working_Frame.SetPixel(3, 4, 0xABCDEF);
  t.Frame_Edited = true;
  t.Next_FrameClick();
  EXPECT_FALSE(t.Frame_Edited);
  EXPECT_EQ(t.Working_Frame.GetPixel(3, 4), 2u);
  t.Prev_FrameClick();
  EXPECT_EQ(t.Working_Frame.GetPixel(3, 4), 0xABCDEFu);
  EXPECT_EQ(t.Check_Invariants(), "");
}

TEST_F(Navigation, DoesNothingWithoutADocument) {
  T().Next_FrameClick();
  T().SpeedButton12Click();
  EXPECT_EQ(T().Cur_Frame, 0);
  EXPECT_EQ(T().Controls.Label2.Caption, "");
}

}  // namespace
}  // namespace tolvane::testing
