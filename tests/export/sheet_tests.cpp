// Sprite sheets against the strip they come from, and their JSON against a
// parser.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "export/sheet_file.h"
#include "image/image_error.h"
#include "png/png.h"
#include "support/bmp_test_helpers.h"

namespace tolvane {
namespace {

using namespace bmp_testing;
using nlohmann::json;

constexpr Colour Mount = 0x0A0B0C;

// Seven frames of 3 pixels, no two pixels alike.
Raster_Image Strip_Of_Seven() {
  Raster_Image strip(7 * 3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < strip.Width(); ++x) strip.SetPixel(x, y, Rgb(x * 9, y * 70, 200 - x));
  return strip;
}

json Read_Json(const std::string& path) {
  const Bytes b = Read_File(path);
  return json::parse(b.begin(), b.end());
}

// With a transparent colour, its pixels and the padding are see-through in
// the sheet (they read as whatever they are composited over), the rest solid.
TEST(Sheet, TheTransparentColourAndThePaddingAreClearTheRestSolid) {
  Raster_Image strip = Strip_Of_Seven();
  const Colour clear = strip.GetPixel(4, 1);
  strip.SetPixel(19, 2, clear);
  Temp_Dir dir;
  const std::string png = dir / "walk.png";
  Write_Sheet(png, {strip, 3, {0, 7}, 3, 2, 1, Mount, 10, true, false, clear});
  EXPECT_EQ(Read_Json(dir / "walk.json")["meta"]["format"], "RGBA8888");
  const Raster_Image black = Read_Png(png, 0), white = Read_Png(png, 0xFFFFFF);
  ASSERT_EQ(black.Width(), 20);
  int see_through = 0;
  for (int y = 0; y < black.Height(); ++y)
    for (int x = 0; x < black.Width(); ++x) see_through += black.At(x, y) != white.At(x, y);
  // All but the seven cells of 6 x 6, and the two clear pixels at scale 2.
  EXPECT_EQ(see_through, 20 * 20 - 7 * 36 + 2 * 4);
  EXPECT_NE(black.At(9, 2), white.At(9, 2)) << "frame 1, pixel (1, 1)";
  EXPECT_EQ(black.At(0, 0), white.At(0, 0));
}

// Every sheet pixel is either a scaled frame pixel, at the place the JSON
// gives the frame, or padding in the mount colour.
TEST(Sheet, PixelsFollowTheStripAndTheJsonTellsWhere) {
  const Raster_Image strip = Strip_Of_Seven();
  const struct {
    int columns, padding, scale, rows, width, height;
  } cases[] = {
      {1, 0, 1, 7, 3, 21},  {3, 0, 1, 3, 9, 9},  {7, 0, 1, 1, 21, 3},  {1, 2, 1, 7, 3, 33},
      {3, 2, 1, 3, 13, 13}, {7, 2, 1, 1, 33, 3}, {3, 2, 2, 3, 22, 22},
  };
  Temp_Dir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.columns) + " columns, padding " + std::to_string(c.padding) +
                 ", scale " + std::to_string(c.scale));
    const std::string png = dir / "walk.png";
    Write_Sheet(png, {strip, 3, {0, 7}, c.columns, c.scale, c.padding, Mount, 16, false});
    const Raster_Image sheet = Read_Png(png, 0);
    ASSERT_EQ(sheet.Width(), c.width);
    ASSERT_EQ(sheet.Height(), c.height);

    const json doc = Read_Json(dir / "walk.json");
    EXPECT_EQ(doc["meta"]["image"], "walk.png");
    EXPECT_EQ(doc["meta"]["size"], json({{"w", c.width}, {"h", c.height}}));
    EXPECT_EQ(doc["meta"]["scale"], std::to_string(c.scale));
    EXPECT_EQ(doc["meta"]["fps"], 16);
    EXPECT_EQ(doc["meta"]["loop"], false);
    EXPECT_EQ(doc["meta"]["frameTags"],
              json::parse(R"([{"name": "walk", "from": 0, "to": 6, "direction": "forward"}])"));
    const json& frames = doc["frames"];
    ASSERT_EQ(frames.size(), 7u);
    const Sheet_Layout layout = Lay_Out_Sheet(7, 3, c.columns, c.scale, c.padding);
    EXPECT_EQ(
        json::parse(Sheet_Json(layout, 7, {"walk.png", 1, 16, false, true}))["frames"]["walk 4"],
        frames[4]);
    const json timed =
        json::parse(Sheet_Json(layout, 3, {"walk.png", 1, 16, false, false, false, {250, 0, 10}}));
    EXPECT_EQ(timed["frames"][0]["duration"], 250);
    EXPECT_EQ(timed["frames"][2]["duration"], 10);
    Raster_Image covered(c.width, c.height, 0);
    const int cell = 3 * c.scale;
    for (int i = 0; i < 7; ++i) {
      const json& f = frames[std::size_t(i)]["frame"];
      EXPECT_EQ(f, json({{"x", (i % c.columns) * (cell + c.padding)},
                         {"y", (i / c.columns) * (cell + c.padding)},
                         {"w", cell},
                         {"h", cell}}));
      EXPECT_EQ(frames[std::size_t(i)]["duration"], i == 1 || i == 5 ? 70 : 60);
      for (int y = 0; y < cell; ++y)
        for (int x = 0; x < cell; ++x) {
          const int sx = f["x"].get<int>() + x, sy = f["y"].get<int>() + y;
          ASSERT_EQ(sheet.GetPixel(sx, sy), strip.GetPixel(i * 3 + x / c.scale, y / c.scale))
              << "frame " << i << " at " << x << ", " << y;
          covered.SetPixel(sx, sy, 1);
        }
    }
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        if (!covered.GetPixel(x, y)) {
          ASSERT_EQ(sheet.GetPixel(x, y), Mount) << x << ", " << y;
        }
      }
  }
}

// A sheet whose PNG cannot be written leaves the pair as it was: the old JSON
// back, or no JSON when there was none.
TEST(Sheet, AFailedWriteLeavesNoHalfNewPair) {
  const Raster_Image strip = Strip_Of_Seven();
  for (const bool existed : {false, true}) {
    Temp_Dir dir;
    const std::string png = dir / "s.png", json_path = dir / "s.json";
    if (existed) Write_Sheet(png, {strip, 3, {0, 7}, 7, 1, 0, Mount, 10, true});
    const auto before = std::pair{Read_File(png), Read_File(json_path)};
    // The JSON's one write goes through; the sheet's first write fails.
    int writes = 0;
    const auto failing = [&](int fd, const void* data, std::size_t size) -> long {
      if (++writes > 1) return errno = ENOSPC, -1;
      return long(::write(fd, data, size));
    };
    EXPECT_THROW(Write_Sheet(png, {strip, 3, {2, 3}, 2, 4, 1, Mount, 10, true}, failing),
                 Toolkit_Error);
    EXPECT_EQ(std::filesystem::exists(json_path), existed) << existed;
    EXPECT_EQ(std::pair(Read_File(png), Read_File(json_path)), before) << existed;
  }
}

// The rows made one at a time are those of the whole sheet.
TEST(Sheet, RowsMadeOneAtATimeMatchTheWholeSheet) {
  const Raster_Image strip = Strip_Of_Seven();
  for (auto [first, count, columns, scale, padding] :
       {std::tuple{0, 7, 3, 1, 0}, {1, 5, 2, 3, 2}, {2, 4, 4, 2, 1}, {0, 7, 7, 4, 0}}) {
    const Sheet_Layout layout = Lay_Out_Sheet(count, 3, columns, scale, padding);
    const Raster_Image whole = Make_Sheet(strip, 3, {first, count}, layout, Mount);
    Sheet_Rows rows(strip, 3, {first, count}, layout, Mount);
    for (int y = 0; y < layout.Height; ++y)
      ASSERT_TRUE(std::equal(whole.Row(y), whole.Row(y) + layout.Width, rows.Row(y)))
          << first << " " << count << " " << columns << " " << scale << " " << padding << " row "
          << y;
  }
}

}  // namespace
}  // namespace tolvane
