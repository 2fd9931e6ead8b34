// The "Loading" window while a PCX file decodes: its size and place, the
// picture growing row by row, one pump a line, and hidden on every way out.
#include <gtest/gtest.h>

#include "pcx/pcx_test_helpers.h"

namespace tolvane {
namespace {

using namespace pcx_testing;
using bmp_testing::Temp_Dir;
using bmp_testing::Write_File;

// A 24-bit picture whose row y is grey level y + 1.
Bytes Grey_Rows(int width, int height) {
  Pcx_Parts p;
  p.bits = 8, p.planes = 3, p.line_bytes = std::uint16_t(width);
  p.xmax = std::uint16_t(width - 1), p.ymax = std::uint16_t(height - 1);
  Bytes raw;
  for (int y = 0; y < height; ++y)
    raw.insert(raw.end(), std::size_t(3 * width), std::uint8_t(y + 1));
  p.data = Encode_Lines(raw, p.line_bytes);
  return Build_Pcx(p);
}

struct Seen {
  bool visible;
  Bounds window;
  int picture_w, picture_h, rows_shown;
  Colour last_shown;
};

TEST(PcxLoading, ShowsThePictureRowByRowCentredAndHidesAtTheEnd) {
  struct Size_Case {
    int width, height, screen_w, screen_h;
  };
  const std::vector<Size_Case> cases = {{37, 5, 1024, 768}, {300, 3, 200, 100}, {1, 1, 1, 1}};
  Temp_Dir dir;
  for (const Size_Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    Write_File(dir / "grey.pcx", Grey_Rows(c.width, c.height));
    testing::Fake_Platform p;
    p.Screen_W = c.screen_w, p.Screen_H = c.screen_h;
    TLoading_Window loading;
    std::vector<Seen> seen;
    p.On_Pump = [&] {
      const Raster_Image& pic = loading.Picture.Picture;
      const int rows = loading.Rows_Shown;
      seen.push_back({loading.Visible, loading.Window, pic.Width(), pic.Height(), rows,
                      rows > 0 ? pic.At(0, rows - 1) : No_Colour});
    };
    const Outcome o = Decode_File(dir / "grey.pcx", &p, &loading);
    ASSERT_TRUE(o.decoded);
    // One pump per line, and one more once the window is hidden.
    ASSERT_EQ(int(seen.size()), c.height + 1);
    EXPECT_FALSE(seen.back().visible);
    const Bounds centred{(c.screen_w - c.width) / 2, (c.screen_h - c.height) / 2, c.width,
                         c.height};
    for (int y = 0; y < c.height; ++y) {
      EXPECT_TRUE(seen[y].visible);
      EXPECT_EQ(seen[y].window, centred);
      EXPECT_EQ(seen[y].picture_w, c.width);
      EXPECT_EQ(seen[y].picture_h, c.height);
      EXPECT_EQ(seen[y].rows_shown, y + 1);
      EXPECT_EQ(seen[y].last_shown, Rgb(y + 1, y + 1, y + 1));
    }
    EXPECT_FALSE(loading.Visible);
    EXPECT_TRUE(loading.Picture.Picture.Empty());
    EXPECT_EQ(o.picture.Width(), c.width);
    EXPECT_EQ(o.picture.At(0, c.height - 1), Rgb(c.height, c.height, c.height));
  }
}

// A failure while the window is up (here: thrown from the pump) hides it and
// leaves the target as it was.
TEST(PcxLoading, FailureMidwayHidesTheWindowAndKeepsTheTarget) {
  Temp_Dir dir;
  Write_File(dir / "grey.pcx", Grey_Rows(10, 6));
  testing::Fake_Platform p;
  TLoading_Window loading;
  p.On_Pump = [&] {
    if (p.Pumps == 3) throw Toolkit_Error("Out of memory");
  };
  const Outcome o = Decode_File(dir / "grey.pcx", &p, &loading);
  EXPECT_EQ(o.error, "Out of memory");
  EXPECT_EQ(p.Pumps, 3);
  EXPECT_FALSE(loading.Visible);
  EXPECT_TRUE(loading.Picture.Picture.Empty());
  EXPECT_TRUE(Same_Pixels(o.picture, Raster_Image(2, 1, 0x123456)));
}

TEST(PcxLoading, WithoutAWindowStillPumpsOncePerLine) {
  Temp_Dir dir;
  Write_File(dir / "grey.pcx", Grey_Rows(4, 7));
  testing::Fake_Platform p;
  const Outcome o = Decode_File(dir / "grey.pcx", &p, nullptr);
  ASSERT_TRUE(o.decoded);
  EXPECT_EQ(p.Pumps, 7);
}

}  // namespace
}  // namespace tolvane
