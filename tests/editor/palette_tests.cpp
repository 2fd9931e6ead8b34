#include <gtest/gtest.h>

#include "editor/editor_fixture.h"

namespace tolvane::testing {
namespace {

using Palette = Editor_Test;

// Every pixel of cell (column, row) of the palette is `colour`.
::testing::AssertionResult Cell_Is(const Raster_Image& pal, int column, int row, Colour colour) {
  for (int y = row * 9; y < row * 9 + 9; ++y)
    for (int x = column * 9; x < column * 9 + 9; ++x)
      if (pal.GetPixel(x, y) != colour)
        return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << std::hex
                                             << pal.GetPixel(x, y) << ", want " << colour;
  return ::testing::AssertionSuccess();
}

TEST_F(Palette, PictureHoldsTheSixteenColoursAndTheCustomCells) {
  const Raster_Image& pal = T().Controls.Pal.Picture;
  ASSERT_EQ(pal.Width(), 81);
  ASSERT_EQ(pal.Height(), 18);
  const Colour top[] = {0x000000, 0x808080, 0x000080, 0x008000,
                        0x008080, 0x800000, 0x800080, 0x808000};
  const Colour bottom[] = {0xFFFFFF, 0xC0C0C0, 0x0000FF, 0x00FF00,
                           0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00};
  for (int i = 0; i < 8; ++i) {
    EXPECT_TRUE(Cell_Is(pal, i, 0, top[i])) << "top cell " << i;
    EXPECT_TRUE(Cell_Is(pal, i, 1, bottom[i])) << "bottom cell " << i;
  }
  EXPECT_TRUE(Cell_Is(pal, 8, 0, T().Custom_Colour1));
  EXPECT_TRUE(Cell_Is(pal, 8, 1, T().Custom_Colour2));
}

TEST_F(Palette, RepaintingShowsTheCurrentColoursInEverySwatch) {
  T().Custom_Colour1 = 0x123456;
  T().Custom_Colour2 = 0x654321;
  T().Selected_Colour1 = Red;
  T().Selected_Colour2 = Blue;
  T().Paint_Palette();
  EXPECT_TRUE(Cell_Is(T().Controls.Pal.Picture, 8, 0, 0x123456));
  EXPECT_TRUE(Cell_Is(T().Controls.Pal.Picture, 8, 1, 0x654321));
  EXPECT_TRUE(Cell_Is(T().Controls.Pal.Picture, 4, 1, 0x00FFFF)) << "fixed cells stay";
  const Raster_Image& custom = T().Controls.Custom.Picture;
  EXPECT_EQ(custom.GetPixel(11, 9), 0x123456u);
  EXPECT_EQ(custom.GetPixel(12, 0), 0x654321u);
  EXPECT_EQ(custom.GetPixel(24, 9), 0x654321u);
  const Raster_Image& sel = T().Controls.Col_Select.Picture;
  EXPECT_EQ(sel.GetPixel(23, 9), Red);
  EXPECT_EQ(sel.GetPixel(24, 0), Blue);
  EXPECT_EQ(sel.GetPixel(48, 9), Blue);
}

TEST_F(Palette, LeftReleasePicksTheFirstColourRightTheSecond) {
  T().PalMouseUp(Mouse_Button::Left, ss_None, 40, 12);
  EXPECT_EQ(T().Selected_Colour1, 0x00FFFFu);
  const Raster_Image& sel = T().Controls.Col_Select.Picture;
  for (int x = 0; x < 24; ++x) EXPECT_EQ(sel.GetPixel(x, 5), 0x00FFFFu) << x;
  EXPECT_EQ(sel.GetPixel(24, 5), White) << "the second colour's part is untouched";

  T().PalMouseUp(Mouse_Button::Right, ss_None, 18, 0);
  EXPECT_EQ(T().Selected_Colour2, 0x000080u);
  EXPECT_EQ(T().Selected_Colour1, 0x00FFFFu);
  EXPECT_EQ(sel.GetPixel(24, 0), 0x000080u);
  EXPECT_EQ(sel.GetPixel(23, 0), 0x00FFFFu);

  T().PalMouseUp(Mouse_Button::Middle, ss_None, 80, 8);  // last pixel of a custom cell
  EXPECT_EQ(T().Selected_Colour1, T().Custom_Colour1);
}

TEST_F(Palette, ReleaseOffThePalettePicksNoColourShownAsWhite) {
  T().Selected_Colour1 = Red;
  T().Paint_Selected1();
  T().PalMouseUp(Mouse_Button::Left, ss_None, 81, 3);
  EXPECT_EQ(T().Selected_Colour1, No_Colour);
  EXPECT_EQ(T().Controls.Col_Select.Picture.GetPixel(0, 0), White);
}

TEST_F(Palette, CustomSwatchEditsTheSideUnderThePointer) {
  P.Colour_Answers.push_back(Colour{0x112233});
  T().CustomMouseUp(Mouse_Button::Left, ss_None, 12, 4);
  ASSERT_EQ(P.Colour_Seen.size(), 1u);
  EXPECT_TRUE(P.Colour_Seen[0].Full_Open);
  EXPECT_EQ(P.Colour_Seen[0].Color, 0u) << "opened with the first custom colour";
  EXPECT_EQ(T().Custom_Colour1, 0x112233u);
  EXPECT_EQ(T().Custom_Colour2, 0u);
  EXPECT_TRUE(Cell_Is(T().Controls.Pal.Picture, 8, 0, 0x112233));
  EXPECT_TRUE(Cell_Is(T().Controls.Pal.Picture, 8, 1, 0));
  EXPECT_EQ(T().Controls.Custom.Picture.GetPixel(0, 0), 0x112233u);
  EXPECT_EQ(T().Controls.Custom.Picture.GetPixel(11, 9), 0x112233u);
  EXPECT_EQ(T().Controls.Custom.Picture.GetPixel(12, 0), 0u);

  P.Colour_Answers.push_back(Colour{0x445566});
  T().CustomMouseUp(Mouse_Button::Right, ss_None, 13, 4);
  EXPECT_EQ(P.Colour_Seen[1].Color, 0u) << "opened with the second custom colour";
  EXPECT_EQ(T().Custom_Colour2, 0x445566u);
  EXPECT_EQ(T().Custom_Colour1, 0x112233u);
  EXPECT_TRUE(Cell_Is(T().Controls.Pal.Picture, 8, 1, 0x445566));
  EXPECT_EQ(T().Controls.Custom.Picture.GetPixel(12, 0), 0x445566u);
  EXPECT_EQ(T().Controls.Custom.Picture.GetPixel(11, 0), 0x112233u);

  // The drawing colours change only by picking the new cell.
  EXPECT_EQ(T().Selected_Colour1, Black);
  EXPECT_EQ(T().Selected_Colour2, White);
  T().PalMouseUp(Mouse_Button::Right, ss_None, 76, 3);
  EXPECT_EQ(T().Selected_Colour2, 0x112233u);
}

TEST_F(Palette, CancellingTheChooserChangesNothing) {
  const Raster_Image pal = T().Controls.Pal.Picture, custom = T().Controls.Custom.Picture;
  P.Colour_Answers.push_back(std::nullopt);
  T().CustomMouseUp(Mouse_Button::Left, ss_None, 20, 4);
  EXPECT_EQ(P.Colour_Seen.size(), 1u);
  EXPECT_EQ(T().Custom_Colour1, 0u);
  EXPECT_EQ(T().Custom_Colour2, 0u);
  EXPECT_TRUE(Same_Pixels(T().Controls.Pal.Picture, pal));
  EXPECT_TRUE(Same_Pixels(T().Controls.Custom.Picture, custom));
}

TEST_F(Palette, NoColourIsStoredInTheSettingsLikeAnyColour) {
  T().Selected_Colour1 = No_Colour;
  T().Write_Settings();
  ASSERT_TRUE(P.Errors.empty()) << P.Errors.front();
  T().Selected_Colour1 = Red;
  T().Read_Settings();
  EXPECT_EQ(T().Selected_Colour1, No_Colour);
}

}  // namespace
}  // namespace tolvane::testing
