#include "mainwindow/frame_timing_form.h"

#include <string>

#include "document/editing_state.h"

namespace tolvane {

TFrame_Timing_Form::TFrame_Timing_Form(Platform& p) : P(p) {
  Name = "Frame_Timing_Form";
  Caption = "Frame Timing";
  Window = {0, 0, 345, 145};
  Timing.B = {8, 8, 177, 97};
  Timing.Caption = "Duration";
  Timing.Items = {"&Follow the speed", "&Own, in ms:"};
  Timing.On_Click = [this] { TimingClick(); };
  Duration.B = {112, 68, 61, 22};
  Duration.Min = Min_Frame_Ms;
  Duration.Max = Max_Frame_Ms;
  Duration.Text = "100";
  Applies_To.B = {192, 8, 145, 97};
  Applies_To.Caption = "Set it for";
  Applies_To.Items = {"The current &frame", "The &section"};
  Applies_To.Item_Index = 0;
  Ok.B = {184, 112, 73, 25};
  Ok.Caption = "Ok";
  Cancel.B = {264, 112, 73, 25};
  Cancel.Caption = "Cancel";
}

void TFrame_Timing_Form::FormShow() {
  Timing_Accepted = false;
  if (Frame_Ms != Follow_Speed) Duration.Set_Value(Frame_Ms);
  Timing.Select(Frame_Ms == Follow_Speed ? 0 : 1);
  TimingClick();
  Applies_To.Enabled = Section_Offered;
  if (!Section_Offered) Applies_To.Select(0);
  Centre_On(P.Screen_Width(), P.Screen_Height());
}

void TFrame_Timing_Form::TimingClick() { Duration.Enabled = Timing.Item_Index == 1; }

void TFrame_Timing_Form::OkClick() {
  if (Duration.Enabled) {
    Duration.Exit();  // the field loses the focus before the click counts
    Frame_Ms = Duration.Value();
  } else {
    Frame_Ms = Follow_Speed;
  }
  Whole_Section = Section_Offered && Applies_To.Item_Index == 1;
  Timing_Accepted = true;
  End_Modal(mr_Ok);
}

void TFrame_Timing_Form::CancelClick() { End_Modal(mr_Cancel); }

}  // namespace tolvane
