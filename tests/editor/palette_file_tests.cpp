#include "editor/palette_file.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Each format's files, good and bad: the colours read (0x00BBGGRR), or the
// error's line and a word of its text.
TEST(Palette_File, EachFormatReadsItsColoursOrNamesTheFaultyLine) {
  struct Case {
    Palette_Format format;
    const char* text;
    std::vector<Colour> colours;
    int line;
    const char* error;
  } cases[] = {
      {Palette_Format::Gpl,
       "\xEF\xBB\xBFGIMP Palette\r\nName: x\r\nColumns: 4\r\n# c\r\n\r\n255 0 0\tRed\r\n 0  16 "
       "255\n",
       {0x0000FF, 0xFF1000},
       0,
       ""},
      {Palette_Format::Gpl, "GIMP Palette\nChannels: RGBA\n1 2 3 255\n", {0x030201}, 0, ""},
      {Palette_Format::Gpl, "GIMP palette\n0 0 0\n", {}, 1, "GIMP Palette"},
      {Palette_Format::Gpl, "GIMP Palette\n0 0 0\n1 256 0\n", {}, 3, "256"},
      {Palette_Format::Gpl, "GIMP Palette\n0 0\n", {}, 2, "not a colour"},
      {Palette_Format::Gpl, "GIMP Palette\n# none\n", {}, 0, "no colours"},
      {Palette_Format::Hex, "ff0044\n\n#00Ff00\r\n", {0x4400FF, 0x00FF00}, 0, ""},
      {Palette_Format::Hex, "ff0044\nff004\n", {}, 2, "RRGGBB"},
      {Palette_Format::Hex, "ff0044\nzz0044\n", {}, 2, "zz0044"},
      {Palette_Format::Jasc,
       "JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n255 255 255\r\n",
       {0x030201, 0xFFFFFF},
       0,
       ""},
      {Palette_Format::Jasc, "RIFF\n", {}, 1, "JASC-PAL"},
      {Palette_Format::Jasc, "JASC-PAL\n0200\n1\n0 0 0\n", {}, 2, "0100"},
      {Palette_Format::Jasc, "JASC-PAL\n0100\n257\n", {}, 3, "1 to 256"},
      {Palette_Format::Jasc, "JASC-PAL\n0100\n3\n0 0 0\n1 1 1\n", {}, 3, "holds 2"},
      {Palette_Format::Jasc, "JASC-PAL\n0100\n2\n0 0 0\n1 -1 1\n", {}, 5, "not a colour"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Palette_Read r = c.format == Palette_Format::Gpl   ? Parse_Gpl(c.text)
                           : c.format == Palette_Format::Hex ? Parse_Hex(c.text)
                                                             : Parse_Jasc(c.text);
    EXPECT_EQ(r.Colours, c.colours);
    EXPECT_EQ(r.Line, c.line);
    EXPECT_NE(r.Error.find(c.error), std::string::npos) << r.Error;
  }
  // Swatches: each distinct colour in reading order, see-through ones left
  // out; the row where a 257th colour appears.
  Raster_Image swatch(3, 2, 7);
  swatch.SetPixel(1, 0, 5);
  swatch.SetPixel(2, 1, 9);
  EXPECT_EQ(Swatch_Colours(swatch).Colours, (std::vector<Colour>{7, 5, 9}));
  EXPECT_EQ(Swatch_Colours(swatch, 7).Colours, (std::vector<Colour>{5, 9}));
  Raster_Image many(200, 3);
  for (int i = 0; i < 600; ++i) many.SetPixel(i % 200, i / 200, Colour(i));
  EXPECT_EQ(Swatch_Colours(many).Line, 2);
  // What Save Palette As writes reads back the same.
  const std::vector<Colour> colours{0x563412, 0xFFFFFF, 0};
  EXPECT_EQ(Parse_Gpl(Gpl_Text(colours, "n")).Colours, colours);
  EXPECT_EQ(Parse_Hex(Hex_Text(colours)).Colours, colours);
}

// Most used first, ties by the lower value; at most the cap, all counted.
TEST(Palette_File, ColoursOfAnImageComeMostUsedFirstUpToTheCap) {
  Raster_Image strip(8, 2, 3);
  for (int x = 0; x < 5; ++x) strip.SetPixel(x, 0, 9);
  strip.SetPixel(0, 1, 4);
  strip.SetPixel(1, 1, 2);
  const Used_Colours all = Most_Used_Colours(strip);
  EXPECT_EQ(all.Colours, (std::vector<Colour>{3, 9, 2, 4}));
  const Used_Colours two = Most_Used_Colours(strip, 2);
  EXPECT_EQ(two.Colours, (std::vector<Colour>{3, 9}));
  EXPECT_EQ(two.Distinct, 4u);
}

}  // namespace
}  // namespace tolvane
