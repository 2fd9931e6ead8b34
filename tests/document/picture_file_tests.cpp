// The choice of format for a picture file: by content to read, by name to write.
#include <gtest/gtest.h>

#include "bmp/bmp.h"
#include "document/picture_file.h"
#include "image/image_error.h"
#include "png/png.h"
#include "support/bmp_test_helpers.h"

namespace tolvane {
namespace {

using namespace bmp_testing;

TEST(PngPicture, ReadingGoesByContentAndWritingByName) {
  Temp_Dir dir;
  const Raster_Image picture = Test_Picture(48, 16);
  struct Case {
    const char* name;
    bool png;
  };
  for (const Case& c :
       {Case{"a.png", true}, Case{"b.PNG", true}, Case{"c.Png", true}, Case{"d.bmp", false},
        Case{"e", false}, Case{"f.png.bmp", false}, Case{"g.pngx", false}}) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / c.name;
    Write_Picture(path, picture);
    const Bytes b = Read_File(path);
    ASSERT_GE(b.size(), 8u);
    EXPECT_EQ(Is_Png_Signature(b.data(), b.size()), c.png);
    EXPECT_EQ(b[0] == 'B' && b[1] == 'M', !c.png);
    EXPECT_EQ(Difference(Read_Picture(path, 0), picture), "");
  }
  // A PNG named .bmp and a BMP named .png still load.
  Write_Png(dir / "png.bmp", picture);
  Write_Bmp(dir / "bmp.png", picture);
  EXPECT_EQ(Difference(Read_Picture(dir / "png.bmp", 0), picture), "");
  EXPECT_EQ(Difference(Read_Picture(dir / "bmp.png", 0), picture), "");
  // Anything else keeps the BMP reader's messages.
  Write_File(dir / "junk.png", Bytes(100, 'x'));
  for (auto [name, message] : {std::pair{"junk.png", std::string("Bitmap image is not valid")},
                               std::pair{"gone.png", "Cannot open file " + (dir / "gone.png")}}) {
    try {
      Read_Picture(dir / name, 0);
      ADD_FAILURE() << name << " was read";
    } catch (const Toolkit_Error& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
}

// Durations go into a PNG strip's own text chunk and come back; a chunk that
// does not fit the frames is told as damaged and leaves them all following.
TEST(PngPicture, DurationsComeBackFromTheTextChunkAndBadOnesAreLeftOut) {
  Temp_Dir dir;
  const Raster_Image strip = Test_Picture(64, 16);
  Write_Picture(dir / "timed.png", strip, std::nullopt, {100, 400, 0, 250});
  Png_Text text;
  Read_Picture(dir / "timed.png", 0, nullptr, &text);
  EXPECT_EQ(Durations_In(text, 4).Ms, (std::vector<int>{100, 400, 0, 250}));
  const struct {
    const char* text;
    bool damaged;
  } cases[] = {{"100,400,0,250", false},  {"100,400,0", true},
               {"100,400,0,250,1", true}, {"100,x,0,250", true},
               {"100,400,0,", true},      {"5,400,0,250", true},
               {"100,400,0,10001", true}, {"", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const File_Durations d = Durations_In({{"Other", "1"}, {Durations_Keyword, c.text}}, 4);
    EXPECT_EQ(d.Damaged, c.damaged);
    EXPECT_EQ(d.Ms.size(), c.damaged ? 0u : 4u);
  }
  EXPECT_FALSE(Durations_In({}, 4).Damaged);
}

}  // namespace
}  // namespace tolvane
