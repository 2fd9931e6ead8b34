// A GIF of square frames opens as a new strip; a damaged one changes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "gif/gif.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

using Gif_Files = Tolvane_Test;

TEST_F(Gif_Files, ASquareGifOpensAsANewStripAndADamagedOneChangesNothing) {
  constexpr Colour Mount = 0x336699;
  Raster_Image strip(48, 16, 0x0000FF);
  for (int i = 0; i < 3; ++i) strip.SetPixel(i * 17, i, i == 1 ? 0x00FF00 : Mount);
  Write_Gif(Path("walk.gif"), {strip, 16, 0, 2, 10, true, 1, Mount});
  T().Mount_Colour = Mount;
  Load_File(Path("walk.gif"));
  ASSERT_TRUE(P.Errors.empty()) << P.Errors[0];
  EXPECT_TRUE(Same_Pixels(T().Anim_Strip, strip));
  EXPECT_EQ(T().Transparent_Colour, Mount);
  EXPECT_EQ(T().Anim_File_Name, New_Anim_Name) << "Save must not write over the GIF";
  EXPECT_TRUE(T().Anim_Modified);
  std::filesystem::resize_file(Path("walk.gif"), 40);
  P.Answers = {id_No};  // the unsaved strip is let go
  Load_File(Path("walk.gif"));
  ASSERT_EQ(P.Errors.size(), 1u);
  EXPECT_EQ(P.Errors[0], "The GIF walk.gif cannot be read: the file ends inside its headers.");
  EXPECT_TRUE(Same_Pixels(T().Anim_Strip, strip));
}

}  // namespace
}  // namespace tolvane::testing
