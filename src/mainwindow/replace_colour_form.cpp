#include "mainwindow/replace_colour_form.h"

namespace tolvane {

TReplace_Colour_Form::TReplace_Colour_Form(Platform& p) : P(p) {
  Name = "Replace_Colour_Form";
  Caption = "Replace Colour";
  Window = {0, 0, 185, 138};
  Replace_In.B = {8, 8, 169, 89};
  Replace_In.Caption = "Replace the first colour in";
  Replace_In.Items = {"the &current frame", "the &section", "&all frames"};
  Replace_In.Item_Index = Current_Frame;
  Ok.B = {16, 105, 73, 25};
  Ok.Caption = "Ok";
  Cancel.B = {96, 105, 73, 25};
  Cancel.Caption = "Cancel";
}

void TReplace_Colour_Form::FormShow() {
  Accepted = false;
  Centre_On(P.Screen_Width(), P.Screen_Height());
}

void TReplace_Colour_Form::OkClick() {
  Accepted = true;
  End_Modal(mr_Ok);
}

void TReplace_Colour_Form::CancelClick() { End_Modal(mr_Cancel); }

}  // namespace tolvane
