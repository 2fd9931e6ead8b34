#include "mainwindow/frame_size_form.h"

namespace tolvane {

TFrame_Size_Form::TFrame_Size_Form(Platform& p) : P(p) {
  Name = "Frame_Size_Form";
  Caption = "Frame Size...";
  Window = {0, 0, 297, 145};
  New_Size.B = {8, 8, 153, 97};
  New_Size.Caption = "Frame Size";
  New_Size.Items = {"16x16", "32x32", "64x64", "128x128", "Other"};
  New_Size.Columns = 2;
  New_Size.On_Click = [this] { New_SizeClick(); };
  SpinEdit1.B = {88, 72, 41, 22};
  SpinEdit1.Min = 4;
  SpinEdit1.Max = 128;
  SpinEdit1.Text = "8";
  Adjust_Method.B = {168, 8, 121, 97};
  Adjust_Method.Caption = "Existing Frames";
  Adjust_Method.Items = {"Crop/Mount", "Stretch"};
  Adjust_Method.Item_Index = 0;
  // Right of the "Crop/Mount" caption, centred on its row, clear of its
  // last letter and of the group's border.
  Panel1.B = {264, 32, 21, 21};
  Panel1.Hint = "Mount colour: click to change";
  Ok.B = {8, 112, 73, 25};
  Ok.Caption = "Ok";
  Cancel.B = {88, 112, 73, 25};
  Cancel.Caption = "Cancel";
}

void TFrame_Size_Form::FormShow() {
  Panel1.Color = Mount_Colour ? *Mount_Colour : 0;
  Size_Accepted = false;
  int item = 4;
  switch (New_Frame_Size) {
    case 16:
      item = 0;
      break;
    case 32:
      item = 1;
      break;
    case 64:
      item = 2;
      break;
    case 128:
      item = 3;
      break;
  }
  New_Size.Select(item);
  New_SizeClick();
  const Control& widest = Adjust_Method.Visible ? static_cast<const Control&>(Adjust_Method)
                                                : static_cast<const Control&>(New_Size);
  Window.Width = widest.B.Right() + 8;
  Cancel.B.Left = Window.Width - 73 - 8;
  Ok.B.Left = Cancel.B.Left - 73 - 8;
  Centre_On(P.Screen_Width(), P.Screen_Height());
}

void TFrame_Size_Form::New_SizeClick() {
  SpinEdit1.Enabled = false;
  static constexpr int sizes[] = {16, 32, 64, 128};
  if (New_Size.Item_Index >= 0 && New_Size.Item_Index < 4)
    New_Frame_Size = sizes[New_Size.Item_Index];
  else if (New_Size.Item_Index == 4)
    SpinEdit1.Enabled = true;
}

void TFrame_Size_Form::OkClick() {
  if (SpinEdit1.Enabled) {
    SpinEdit1.Exit();  // the field loses the focus before the click counts
    New_Frame_Size = SpinEdit1.Value();
  }
  Size_Accepted = true;
  Resize_Method = Adjust_Method.Item_Index == 1 ? 1 : 0;
  End_Modal(mr_Ok);
}

void TFrame_Size_Form::CancelClick() { End_Modal(mr_Cancel); }

void TFrame_Size_Form::Panel1Click() {
  ColorDialog1.Color = Panel1.Color;
  if (P.Execute_Colour_Dialog(ColorDialog1)) Panel1.Color = ColorDialog1.Color;
  if (Mount_Colour) *Mount_Colour = Panel1.Color;
}

}  // namespace tolvane
