#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

// A 128-pixel frame at 8:1: 1024 view pixels each way, more than any of the
// windows below shows, except 1920 wide.
class Window_Size : public Tolvane_Test {
 protected:
  Window_Size() {
    New_Anim(128);
    for (int i = 0; i < 7; ++i) T().Zoom_InClick();
  }

  // Every control whose place depends on the window's size.
  std::vector<Bounds> Moving() {
    TTolvane& t = T();
    std::vector<Bounds> b;
    for (const Control* c : std::initializer_list<const Control*>{
             &t.Controls.Panel3, &t.Controls.Bevel3, &t.Controls.Zoom, &t.Controls.ZH,
             &t.Controls.ZV, &t.Controls.Play_Speed, &t.Controls.Repeat_Anim, &t.Controls.Label1,
             &t.Controls.Frames, &t.Controls.Bevel1, &t.Controls.Bevel2, &t.Controls.DSP_Panel,
             &t.Controls.Bevel8, &t.Controls.Bevel9, &t.Controls.Label2, &t.Controls.Label3})
      b.push_back(c->B);
    return b;
  }
};

TEST_F(Window_Size, ZoomViewTakesTheExtraRoomAndMapsItsCornersToFramePixels) {
  const struct {
    int width, height;
    Bounds zoom;
    bool scrolls_x;
    int max_x, max_y;
    // The frame pixels of the view's top-left and bottom-right pixels, both
    // bars at their maximum.
    int left, top, right, bottom;
  } cases[] = {
      // The smallest for a 128-pixel frame; a smaller size counts as it.
      {533, 318, {1, 1, 128, 128}, true, 112, 112, 112, 112, 127, 127},
      {300, 200, {1, 1, 128, 128}, true, 112, 112, 112, 112, 127, 127},
      // 77 columns and 72 rows show; the pixels past the last whole one are
      // backdrop, beyond the frame.
      {1024, 768, {1, 1, 619, 578}, true, 51, 56, 51, 56, 128, 128},
      // The whole width fits: no horizontal scrolling, the frame centred.
      {1920, 1080, {1, 1, 1515, 890}, false, 0, 17, -30, 17, 158, 128},
  };
  TTolvane& t = T();
  ASSERT_EQ(t.View.Factor(), 8);
  const std::vector<Bounds> at_minimum = Moving();
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
    t.FormResize(c.width, c.height);
    const int dx = t.Client_Width() - 533, dy = t.Client_Height() - 318;
    EXPECT_EQ(t.Client_Width(), std::max(c.width, 533));
    EXPECT_EQ(t.Client_Height(), std::max(c.height, 318));
    EXPECT_EQ(t.Controls.Zoom.B, c.zoom);
    EXPECT_EQ(t.Controls.Zoom.Picture.Width(), c.zoom.Width);
    EXPECT_EQ(t.Controls.Zoom.Picture.Height(), c.zoom.Height);
    // The bars run along the view; the speed control stays beside it; the
    // frame row keeps its place from the bottom-left; the tools stay put.
    EXPECT_EQ(t.Controls.ZH.B, (Bounds{193, 129 + dy, 128 + dx, 13}));
    EXPECT_EQ(t.Controls.ZV.B, (Bounds{318 + dx, 1, 16, 128 + dy}));
    EXPECT_EQ(t.Controls.Play_Speed.B.Left, 340 + dx);
    EXPECT_EQ(t.Controls.Frames.B, (Bounds{5, t.Client_Height() - 157, 384, 128}));
    EXPECT_EQ(t.Controls.DSP_Panel.B.Left, 397);
    EXPECT_EQ(t.Controls.Label2.B.Top, t.Client_Height() - 17);
    EXPECT_EQ(t.Controls.Bevel8.B.Width, t.Client_Width());
    EXPECT_EQ(t.Controls.Tool1.B, (Bounds{35, 8, 25, 25}));

    EXPECT_EQ(t.Controls.ZH.Enabled, c.scrolls_x);
    EXPECT_TRUE(t.Controls.ZV.Enabled);
    if (c.scrolls_x) {
      EXPECT_EQ(t.Controls.ZH.Max, c.max_x);
    }
    EXPECT_EQ(t.Controls.ZV.Max, c.max_y);
    if (t.Controls.ZH.Enabled) t.Controls.ZH.Set_Position(t.Controls.ZH.Max);
    t.Controls.ZV.Set_Position(t.Controls.ZV.Max);
    EXPECT_EQ(t.View.Frame_X(0), c.left);
    EXPECT_EQ(t.View.Frame_Y(0), c.top);
    EXPECT_EQ(t.View.Frame_X(c.zoom.Width - 1), c.right);
    EXPECT_EQ(t.View.Frame_Y(c.zoom.Height - 1), c.bottom);
  }
  t.FormResize(533, 318);
  EXPECT_EQ(Moving(), at_minimum) << "at its smallest the window is laid out as before";
  // A new frame size keeps the size the user gave the window.
  t.FormResize(1024, 768);
  New_Anim(32);
  EXPECT_EQ(t.Controls.Zoom.B, (Bounds{1, 1, 1024 - 373 + 128, 768 - 222 + 128}));
}

TEST_F(Window_Size, SelectionStaysOverItsPixelsAndHiddenOnesStayHidden) {
  TTolvane& t = T();
  t.Controls.ZH.Set_Position(10);
  t.Controls.ZV.Set_Position(4);
  t.Tool6Click();
  t.ZoomMouseDown(Mouse_Button::Left, ss_None, 8, 8);  // frame (11, 5)
  t.ZoomMouseMove(ss_None, 40, 24);
  t.ZoomMouseUp(Mouse_Button::Left, ss_None, 40, 24);
  ASSERT_TRUE(t.Selection.Shown());
  const Bounds marker = t.Controls.Select_Marker.B;
  // Wide enough for the whole width: the view scrolls back to column 0 and
  // centres the frame, and the selection follows.
  t.FormResize(1920, 400);
  EXPECT_EQ(t.Controls.ZH.Position, 0);
  EXPECT_EQ(t.Controls.Select_Marker.B.Left, marker.Left + 10 * 8 + t.View.Origin_X());
  EXPECT_EQ(t.Controls.Select_Marker.B.Top, marker.Top);
  EXPECT_EQ(t.Selection.Area(), (Rect{11, 5, 15, 7}));

  t.Tool1Click();
  t.FormResize(20000, 400);  // beyond where a hidden selection is parked
  EXPECT_FALSE(t.Selection.Shown());
}

// [Window] in the settings: the size the window had while not maximised, no
// larger than the screen, and whether it was maximised.
using Window_Settings = Tolvane_Test;

TEST_F(Window_Settings, SizeAndMaximisedStateComeBackAtTheNextStart) {
  std::filesystem::create_directories(std::filesystem::path(P.Settings).parent_path());
  std::ofstream(P.Settings) << "[Window]\nWidth=900\nHeight=2000\nMaximised=1\n";
  Application next(P);
  next.Create_Forms();
  TTolvane& t = *next.Tolvane;
  EXPECT_EQ(t.Client_Width(), 900);
  EXPECT_EQ(t.Client_Height(), 768);
  EXPECT_TRUE(t.Maximised);

  t.Window_State_Change(false);
  t.FormResize(700, 100);
  t.Window_State_Change(true);
  t.FormResize(1024, 740);
  t.Exit1Click();
  std::ostringstream ini;
  ini << std::ifstream(P.Settings).rdbuf();
  EXPECT_NE(ini.str().find("[Window]\nWidth=700\nHeight=222\nMaximised=1\n"), std::string::npos)
      << ini.str();
}

}  // namespace
}  // namespace tolvane::testing
