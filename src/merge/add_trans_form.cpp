#include "merge/add_trans_form.h"

#include <algorithm>

#include "merge/transitions.h"

namespace tolvane {

namespace {

const std::vector<std::string> List_Entries = {
    "Collapse",         "Centre Out",       "Merge",          "Slide Horizontal",
    "Slide Vertical",   "Split Horizontal", "Split Vertical", "Squeeze Horizontal",
    "Squeeze Vertical", "Wipe Horizontal",  "Wipe Vertical"};

constexpr int Initial_Overlap = 5;

std::string Frames_Text(int frames) {
  std::string text = std::to_string(frames);
  text.append(" Frames");
  return text;
}

}  // namespace

TAdd_Trans::TAdd_Trans(Platform& p) : P(p) {
  Name = "Add_Trans";
  Caption = "Add Transition...";
  Window = {0, 0, 217, 177};
  Label2.B = {8, 8, 97, 13};
  Label2.Caption = "Animation 1";
  Label4.B = {120, 8, 89, 13};
  Label3.B = {8, 32, 97, 13};
  Label3.Caption = "Animation 2";
  Label5.B = {120, 32, 89, 13};
  Label6.B = {8, 60, 97, 13};
  Label6.Caption = "Transition";
  Trans_Type.B = {8, 76, 201, 21};
  Trans_Type.Items = List_Entries;
  Label1.B = {8, 114, 105, 13};
  Label1.Caption = "Overlap (frames)";
  overlap.B = {120, 110, 57, 22};
  overlap.Min = 1;
  overlap.Text = std::to_string(Initial_Overlap);
  Ok.B = {24, 144, 75, 25};
  Ok.Caption = "Ok";
  Cancel.B = {118, 144, 75, 25};
  Cancel.Caption = "Cancel";
}

void TAdd_Trans::FormShow() {
  Centre_On(P.Screen_Width(), P.Screen_Height());
  // Set as text: the range is still the previous merge's and would clamp it.
  overlap.Text = std::to_string(Initial_Overlap);
  Label4.Caption = Frames_Text(Anim1_Frames);
  Label5.Caption = Frames_Text(Anim2_Frames);
  // The field shows the overlap that will be used, the initial 5 brought into
  // range.
  overlap.Max = std::min(Anim1_Frames, Anim2_Frames);
  overlap.Text = std::to_string(Overlap());
  Trans_Type.Text = "Merge";
  Trans_Accepted = false;
}

void TAdd_Trans::OkClick() {
  // The field loses the focus before the click counts, and shows the overlap
  // in use also where its range is a single value, which it would not clamp.
  overlap.Text = std::to_string(Overlap());
  const int kind = Trans_Kind_Of(Trans_Type.Text);
  if (kind == No_Transition) {
    // Building white frames from a typo would replace the user's last frames:
    // ask again instead.
    P.Show_Message_Box(Unknown_Name_Text(Trans_Type.Text), Msg_Kind::Warning, mb_OK);
    return;
  }
  Trans_Accepted = true;
  Trans_Kind = kind;
  End_Modal(mr_Ok);
}

void TAdd_Trans::CancelClick() { End_Modal(mr_Cancel); }

int TAdd_Trans::Overlap() const {
  const int most = std::max(1, std::min(Anim1_Frames, Anim2_Frames));
  return std::clamp(overlap.Value(), 1, most);
}

std::string TAdd_Trans::Unknown_Name_Text(const std::string& typed) {
  std::string text = "\"";
  text += typed;
  text += "\" is not a transition. Choose one of these:";
  for (const std::string& name : List_Entries) {
    text += '\n';
    text += name;
  }
  return text;
}

}  // namespace tolvane
