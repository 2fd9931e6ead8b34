#include "editor/palette.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

void TTolvane::Paint_Palette() {
  Paint_Palette_Picture(Controls.Pal.Picture, Custom_Colour1, Custom_Colour2);
  Paint_Swatch_Half(Controls.Custom.Picture, false, Custom_Colour1);
  Paint_Swatch_Half(Controls.Custom.Picture, true, Custom_Colour2);
  Paint_Selected1();
  Paint_Selected2();
}

void TTolvane::Paint_Selected1() {
  Paint_Swatch_Half(Controls.Col_Select.Picture, false, Selected_Colour1,
                    Selected_Colour1 == Transparent_Colour);
}

void TTolvane::Paint_Selected2() {
  Paint_Swatch_Half(Controls.Col_Select.Picture, true, Selected_Colour2,
                    Selected_Colour2 == Transparent_Colour);
}

void TTolvane::PalMouseUp(Mouse_Button button, unsigned, int x, int y) {
  // A release off the palette reads No_Colour; it is kept like any colour.
  const Colour c = Controls.Pal.Picture.GetPixel(x, y);
  if (button == Mouse_Button::Right) {
    Selected_Colour2 = c;
    Paint_Selected2();
  } else {
    Selected_Colour1 = c;
    Paint_Selected1();
  }
}

void TTolvane::CustomMouseUp(Mouse_Button, unsigned, int x, int) {
  const bool second = Custom_Second(Controls.Custom.Picture, x);
  Controls.ColorDialog1.Full_Open = true;
  Controls.ColorDialog1.Color = second ? Custom_Colour2 : Custom_Colour1;
  if (!P.Execute_Colour_Dialog(Controls.ColorDialog1)) return;
  const Colour c = Controls.ColorDialog1.Color;
  (second ? Custom_Colour2 : Custom_Colour1) = c;
  Paint_Custom_Cell(Controls.Pal.Picture, second, c);
  Paint_Swatch_Half(Controls.Custom.Picture, second, c);
}

}  // namespace tolvane
