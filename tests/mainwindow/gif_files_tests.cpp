// A GIF of square frames opens as a new strip with its delays as the frames'
// durations, as do its frames cut by Import Frames; a damaged one changes nothing.
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
  const std::vector<int> ms{100, 400, 250};
  Write_Gif(Path("walk.gif"), {strip, 16, 0, 2, 10, true, 1, Mount, true, ms});
  T().Mount_Colour = Mount;
  Load_File(Path("walk.gif"));
  ASSERT_TRUE(P.Errors.empty()) << P.Errors[0];
  EXPECT_TRUE(Same_Pixels(T().Anim_Strip, strip));
  EXPECT_EQ(T().Transparent_Colour, Mount);
  EXPECT_EQ(T().Anim_File_Name, New_Anim_Name) << "Save must not write over the GIF";
  EXPECT_TRUE(T().Anim_Modified);
  EXPECT_EQ(T().Frame_Ms, ms) << "the delays are the frames' durations";
  // Import Frames cuts the GIF's own frames, one cell each: they keep theirs.
  P.Answers = {id_No};
  P.Open_Answers = {Path("walk.gif")};
  P.On_Modal<TFrame_Extract>([](TFrame_Extract& f) { f.OkClick(); });
  T().Import1Click();
  EXPECT_EQ(T().Frame_Ms, ms);
  EXPECT_TRUE(Same_Pixels(T().Anim_Strip, strip));
  std::filesystem::resize_file(Path("walk.gif"), 40);
  P.Answers = {id_No};  // the unsaved strip is let go
  Load_File(Path("walk.gif"));
  ASSERT_EQ(P.Errors.size(), 1u);
  EXPECT_EQ(P.Errors[0], "The GIF walk.gif cannot be read: the file ends inside its headers.");
  EXPECT_TRUE(Same_Pixels(T().Anim_Strip, strip));
}

}  // namespace
}  // namespace tolvane::testing
