#include "export/export_form.h"

#include <algorithm>

#include "export/sheet_file.h"
#include "gif/gif.h"
#include "image/image_error.h"

namespace tolvane {

namespace {

std::string Frames_Text(int n) { return std::to_string(n) + (n == 1 ? " frame" : " frames"); }

}  // namespace

TExport_Form::TExport_Form(Platform& p) : P(p) {
  Window = {0, 0, 257, 185};
  Frames_Choice.B = {8, 8, 241, 57};
  Frames_Choice.Caption = "Frames";
  Frames_Choice.Items = {"All frames", "Section 1 to 1"};
  Frames_Choice.Item_Index = 0;
  Frames_Choice.On_Click = [this] { Frames_ChoiceClick(); };
  Scale_Label.B = {8, 76, 41, 13};
  Scale_Label.Caption = "Scale:";
  Scale.B = {56, 72, 41, 22};
  Scale.Min = 1;
  Scale.Max = 8;
  Scale.Text = "1";
  Scale.Hint = "Each pixel becomes a block of this many pixels square";
  Mount_Panel.B = {200, 100, 21, 21};
  Mount_Panel.Hint = "Mount colour: click to change";
  Info.B = {8, 130, 241, 13};
  Loop.Caption = "Loop";
  Ok.B = {96, 152, 73, 25};
  Ok.Caption = "Ok";
  Cancel.B = {176, 152, 73, 25};
  Cancel.Caption = "Cancel";
}

void TExport_Form::Set_Document(int frame_total, int frame_size, int section_start, int section_end,
                                int fps) {
  Frame_Total = frame_total;
  Frame_Size = frame_size;
  Section_Start = section_start;
  Section_End = section_end;
  Fps = fps;
}

Frame_Span TExport_Form::Frames() const {
  return Frames_To_Export(Frames_Choice.Item_Index == 1, Section_Start, Section_End, Frame_Total);
}

int TExport_Form::Scale_Value() const { return std::clamp(Scale.Value(), Scale.Min, Scale.Max); }

void TExport_Form::FormShow() {
  Accepted = false;
  const Frame_Span section = Frames_To_Export(true, Section_Start, Section_End, Frame_Total);
  Frames_Choice.Items[1] =
      "Section " + std::to_string(section.First + 1) + " to " + std::to_string(section.Last() + 1);
  Mount_Panel.Color = Mount();
  const Export_Choices kept = Choices ? *Choices : Export_Choices();
  Show_Choices(kept);
  Frames_Changed();
  Choice_Changed();
  Centre_On(P.Screen_Width(), P.Screen_Height());
}

void TExport_Form::Frames_ChoiceClick() {
  Frames_Changed();
  Choice_Changed();
}

void TExport_Form::Choice_Changed() { Info.Caption = Info_Text(); }

void TExport_Form::Mount_PanelClick() {
  ColorDialog1.Color = Mount_Panel.Color;
  if (P.Execute_Colour_Dialog(ColorDialog1)) Mount_Panel.Color = ColorDialog1.Color;
  if (Mount_Colour) *Mount_Colour = Mount_Panel.Color;
}

void TExport_Form::OkClick() {
  Scale.Exit();  // the field loses the focus before the click counts
  if (Choices) Keep_Choices(*Choices);
  Accepted = true;
  End_Modal(mr_Ok);
}

void TExport_Form::CancelClick() { End_Modal(mr_Cancel); }

TGif_Export_Form::TGif_Export_Form(Platform& p) : TExport_Form(p) {
  Name = "Gif_Export_Form";
  Caption = "Export GIF";
  Window.Height = 203;
  Loop.B = {120, 74, 129, 17};
  Transparent.B = {8, 102, 185, 17};
  Transparent.Caption = "Transparent colour";
  Dither.B = {8, 126, 241, 17};
  Dither.Caption = "Dither frames of over 256 colours";
  Dither.Hint = "Only such frames lose colours; the others are written exactly";
  Info.B.Top = 148;
  Ok.B.Top = Cancel.B.Top = 170;
}

void TGif_Export_Form::Show_Choices(const Export_Choices& c) {
  Frames_Choice.Item_Index = c.Gif_Section ? 1 : 0;
  Scale.Set_Value(c.Gif_Scale);
  Loop.Checked = Loop_On;
  Transparent.Checked = c.Gif_Transparent || Document_Transparent;
  Transparent.Enabled = !Document_Transparent;
  Transparent.Hint = Document_Transparent
                         ? "Pixels of the document's transparent colour become transparent"
                         : "Pixels of the Crop/Mount colour become transparent";
  Dither.Checked = c.Gif_Dither;
}

void TGif_Export_Form::Keep_Choices(Export_Choices& c) {
  c.Gif_Section = Frames_Choice.Item_Index == 1;
  c.Gif_Scale = Scale_Value();
  // Fixed by the document, the box keeps the user's choice for other ones.
  if (Transparent.Enabled) c.Gif_Transparent = Transparent.Checked;
  c.Gif_Dither = Dither.Checked;
}

std::string TGif_Export_Form::Info_Text() const {
  const int side = Frame_Size * Scale_Value();
  // The delays of one second's frames take turns so that they add up to it.
  int shortest = Gif_Delay(Fps, 0), longest = shortest;
  for (int i = 1; i < Fps; ++i) {
    shortest = std::min(shortest, Gif_Delay(Fps, i));
    longest = std::max(longest, Gif_Delay(Fps, i));
  }
  // Frames with times of their own: the delays of the frames taken.
  const Frame_Span span = Frames();
  std::vector<int> ms;
  for (int i = span.First; i <= span.Last() && std::size_t(i) < Frame_Ms.size(); ++i)
    ms.push_back(Frame_Ms[std::size_t(i)]);
  if (std::any_of(ms.begin(), ms.end(), [](int d) { return d > 0; })) {
    const std::vector<int> delays = Gif_Delays(Fps, ms);
    shortest = *std::min_element(delays.begin(), delays.end());
    longest = *std::max_element(delays.begin(), delays.end());
  }
  return Frames_Text(Frames().Count) + " of " + std::to_string(side) + " x " +
         std::to_string(side) + " pixels, " + std::to_string(shortest * 10) +
         (longest > shortest ? " to " + std::to_string(longest * 10) : "") + " ms each";
}

TSheet_Export_Form::TSheet_Export_Form(Platform& p) : TExport_Form(p) {
  Name = "Sheet_Export_Form";
  Caption = "Export Sheet";
  Columns_Label.B = {8, 76, 57, 13};
  Columns_Label.Caption = "Columns:";
  Columns.B = {68, 72, 41, 22};
  Columns.Min = 1;
  Columns.Max = 1;
  Columns.Text = "1";
  Scale_Label.B = {136, 76, 41, 13};
  Scale.B = {180, 72, 41, 22};
  Padding_Label.B = {8, 104, 57, 13};
  Padding_Label.Caption = "Padding:";
  Padding.B = {68, 100, 41, 22};
  Padding.Min = 0;
  Padding.Max = 16;
  Padding.Text = "0";
  Padding.Hint = "Pixels between the cells, in the Crop/Mount colour";
  Mount_Panel.B = {136, 100, 21, 21};
  Loop.B = {176, 102, 73, 17};
}

int TSheet_Export_Form::Columns_Value() const {
  return std::clamp(Columns.Value(), Columns.Min, Columns.Max);
}

int TSheet_Export_Form::Padding_Value() const {
  return std::clamp(Padding.Value(), Padding.Min, Padding.Max);
}

void TSheet_Export_Form::Show_Choices(const Export_Choices& c) {
  Frames_Choice.Item_Index = c.Sheet_Section ? 1 : 0;
  Columns.Max = Frames().Count;
  // Kept as 0, one row: as many columns as frames, whatever their number.
  Columns.Set_Value(c.Sheet_Columns > 0 ? c.Sheet_Columns : Columns.Max);
  Scale.Set_Value(c.Sheet_Scale);
  Padding.Set_Value(c.Sheet_Padding);
  Loop.Checked = Loop_On;
}

void TSheet_Export_Form::Frames_Changed() {
  // One row stays one row when the frames change.
  const bool one_row = Columns_Value() >= Columns.Max;
  Columns.Max = std::max(Frames().Count, 1);
  if (one_row || Columns.Value() > Columns.Max) Columns.Set_Value(Columns.Max);
}

void TSheet_Export_Form::Keep_Choices(Export_Choices& c) {
  Columns.Exit();
  Padding.Exit();
  c.Sheet_Section = Frames_Choice.Item_Index == 1;
  c.Sheet_Columns = Columns_Value() >= Columns.Max ? 0 : Columns_Value();
  c.Sheet_Scale = Scale_Value();
  c.Sheet_Padding = Padding_Value();
}

std::string TSheet_Export_Form::Info_Text() const {
  const Frame_Span frames = Frames();
  try {
    const Sheet_Layout l =
        Lay_Out_Sheet(frames.Count, Frame_Size, Columns_Value(), Scale_Value(), Padding_Value());
    return Frames_Text(frames.Count) + " in " + std::to_string(l.Rows) +
           (l.Rows == 1 ? " row" : " rows") + ": " + std::to_string(l.Width) + " x " +
           std::to_string(l.Height) + " pixels";
  } catch (const Toolkit_Error& e) {
    return e.what();
  }
}

}  // namespace tolvane
