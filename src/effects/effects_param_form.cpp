#include "effects/effects_param_form.h"

#include <algorithm>
#include <string>

#include "effects/effects.h"

namespace tolvane {

TEffects_Param_Form::TEffects_Param_Form(Platform& p) : P(p) {
  Name = "Effects_Param_Form";
  Caption = "Brightness...";
  Window = {0, 0, 289, 265};
  Bevel2.B = {7, 7, 130, 130};
  Bevel3.B = {151, 7, 130, 130};
  Source_DSP.B = {7, 7, 32, 32};
  Dest_DSP.B = {151, 7, 32, 32};
  Level_Bar.B = {8, 138, 273, 25};
  Level_Bar.Min = -100;
  Level_Bar.Max = 100;
  Level_Bar.Frequency = 10;
  Level_Bar.On_Change = [this] { Level_BarChange(); };
  Label2.B = {8, 162, 40, 13};
  Label4.B = {120, 162, 49, 13};
  Label4.Alignment = Label::Align::Center;
  Label4.Caption = "0";
  Label3.B = {232, 162, 49, 13};
  Label3.Alignment = Label::Align::Right;
  Label1.B = {8, 180, 73, 13};
  Label1.Alignment = Label::Align::Right;
  Label1.Caption = "No Frames";
  No_Frames.B = {88, 176, 41, 22};
  No_Frames.Min = 2;
  No_Frames.Max = 50;
  No_Frames.Text = "2";
  Add_New.B = {136, 178, 145, 17};
  Add_New.Caption = "Insert New Frames";
  Add_New.Checked = true;
  Add_New.On_Click = [this] { Add_NewClick(); };
  Vertical_Effect.B = {136, 200, 145, 17};
  Vertical_Effect.Visible = false;
  Vertical_Effect.On_Click = [this] { Level_BarChange(); };
  Set_Mount.B = {8, 200, 19, 19};
  Label5.B = {32, 202, 81, 13};
  Label5.Caption = "Crop Colour";
  Reverse.B = {8, 236, 113, 17};
  Reverse.Caption = "Reverse Effect";
  Ok.B = {128, 232, 73, 25};
  Ok.Caption = "Ok";
  Cancel.B = {208, 232, 73, 25};
  Cancel.Caption = "Cancel";
}

void TEffects_Param_Form::Centre_In(Image_Control& image, const Bevel& frame) {
  image.B.Left = frame.B.Left + (frame.B.Width - image.B.Width) / 2;
  image.B.Top = frame.B.Top + (frame.B.Height - image.B.Height) / 2;
}

void TEffects_Param_Form::FormShow() {
  Centre_On(P.Screen_Width(), P.Screen_Height());
  Set_Mount.Color = Mount();

  Centre_In(Source_DSP, Bevel2);
  Dest_DSP.B.Width = Source_DSP.B.Width;
  Dest_DSP.B.Height = Source_DSP.B.Height;
  Dest_DSP.Picture.Set_Size(Source_DSP.Picture.Width(), Source_DSP.Picture.Height());
  Centre_In(Dest_DSP, Bevel3);

  Effect_Accepted = false;
  Add_New.Set_Checked(true);
  Reverse.Set_Checked(false);
  Add_NewClick();

  Level_Bar.Set_Position(0);
  Label4.Caption = "0";
  Vertical_Effect.Visible = false;
  Vertical_Effect.Set_Checked(false);
  Level_Bar.Visible = true;
  Set_Mount.Visible = Label5.Visible = true;
  No_Frames.Set_Value(2);

  struct Setting {
    const char* caption;
    const char* low;
    const char* high;
    int min, max, ticks;
    const char* vertical;  // null: no vertical variant
    bool crop_colour;
  };
  static constexpr Setting settings[] = {
      {"Brightness...", "-100%", "100%", -100, 100, 10, nullptr, false},
      {"Rotate...", "-360", "360", -360, 360, 36, nullptr, true},
      {"Squash...", "0%", "100%", 0, 100, 5, "Squash Vertical", true},
      {"Spin...", "", "", 0, 0, 0, "Spin Vertical", false},
  };
  const Setting& s = settings[std::clamp(Effect_Kind, 1, 4) - 1];
  Caption = s.caption;
  Label2.Caption = s.low;
  Label3.Caption = s.high;
  Level_Bar.Max = s.max;
  Level_Bar.Min = s.min;
  Level_Bar.Frequency = s.ticks;
  if (s.vertical) {
    Vertical_Effect.Caption = s.vertical;
    Vertical_Effect.Visible = true;
  }
  Set_Mount.Visible = Label5.Visible = s.crop_colour;
  if (Effect_Kind == Spin) {
    Level_Bar.Visible = false;
    Level_Bar.Set_Position(0);
  }

  Level_BarChange();
}

void TEffects_Param_Form::Level_BarChange() {
  Label4.Caption = std::to_string(Level_Bar.Position);
  Raster_Image& preview = Dest_DSP.Picture;
  BitBlt(preview, 0, 0, Source_DSP.Picture);
  switch (Effect_Kind) {
    case Brightness:
      Apply_Brightness(preview, Level_Bar.Position);
      break;
    case Rotate:
      Apply_Rotate(preview, Level_Bar.Position, Mount());
      break;
    case Squash:
      Apply_Squash(preview, Level_Bar.Position, Vertical_Effect.Checked, Mount());
      break;
    default:  // Spin has no level: the preview stays a plain copy
      Label4.Caption.clear();
      break;
  }
}

void TEffects_Param_Form::Add_NewClick() {
  // On the last frame there is nothing to change: only inserting is possible.
  if (Frames_Available <= 1) Add_New.Set_Checked(true);
  No_Frames.Max = Add_New.Checked ? 50 : Frames_Available;
}

void TEffects_Param_Form::Set_MountClick() {
  ColorDialog1.Color = Mount();
  if (!P.Execute_Colour_Dialog(ColorDialog1)) return;
  if (Mount_Colour) *Mount_Colour = ColorDialog1.Color;
  Set_Mount.Color = ColorDialog1.Color;
  Level_BarChange();
}

void TEffects_Param_Form::OkClick() {
  // The field loses the focus first; a count outside 2..maximum (or no number
  // at all) counts as the nearest end, even where the field's own range is a
  // single value and leaves the text alone.
  No_Frames.Exit();
  Effect_Frames =
      std::clamp(No_Frames.Value(), No_Frames.Min, std::max(No_Frames.Min, No_Frames.Max));
  Effect_Insert = Add_New.Checked;
  Effect_Reverse = Reverse.Checked;
  Effect_Level = Level_Bar.Position;
  Effect_Vertical = Vertical_Effect.Checked;
  Effect_Accepted = true;
  End_Modal(mr_Ok);
}

void TEffects_Param_Form::CancelClick() { End_Modal(mr_Cancel); }

}  // namespace tolvane
