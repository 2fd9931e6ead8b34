#include "import/frame_extract_form.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "document/picture_file.h"
#include "pcx/pcx.h"

namespace tolvane {

namespace {

void Place(Control& c, int left, int top, int width, int height) {
  c.B = {left, top, width, height};
}

void Field(Spin_Edit& s, int left, int top, int width, int min, int max, int value) {
  s.B = {left, top, width, 22};
  s.Min = min;
  s.Max = max;
  s.Text = std::to_string(value);
}

void Text(Label& l, int left, int top, int width, const char* caption) {
  l.B = {left, top, width, 13};
  l.Caption = caption;
}

constexpr Colour Light_Grey = 0xC0C0C0;

std::string Frames_Text(int n) { return std::to_string(n) + (n == 1 ? " Frame" : " Frames"); }

}  // namespace

TFrame_Extract::TFrame_Extract(Platform& p) : P(p) {
  Name = "Frame_Extract";
  Caption = "Frame Retrieval...";
  Window = {0, 0, 481, 233};

  Place(GroupBox1, 8, 4, 105, 46);
  GroupBox1.Caption = "Input Frames";
  Field(Frame_W, 16, 20, 41, 1, 1000, 32);
  Text(Label1, 60, 24, 8, "x");
  Field(Frame_H, 68, 20, 41, 1, 1000, 32);

  Place(GroupBox2, 117, 4, 84, 46);
  GroupBox2.Caption = "Output Frames";
  Field(dest_fs, 125, 20, 41, 1, 128, 32);
  Text(Label2, 170, 24, 30, "x 32");

  Place(GroupBox3, 8, 52, 193, 46);
  GroupBox3.Caption = "Frame Offset";
  Text(Label3, 16, 72, 24, "Top");
  Field(top_border, 42, 68, 49, 0, 1000, 0);
  Text(Label4, 104, 72, 24, "Left");
  Field(Left_Border, 130, 68, 49, 0, 1000, 0);

  Place(Adjust_Type, 8, 100, 193, 52);
  Adjust_Type.Caption = "Conversion Type";
  Adjust_Type.Items = {"Crop", "Scale", "Stretch", "Mount"};
  Adjust_Type.Columns = 2;
  Adjust_Type.Item_Index = ct_Stretch;
  Adjust_Type.On_Click = [this] { Adjust_TypeClick(); };
  Place(Set_Mount, 174, 128, 19, 19);
  Set_Mount.Color = 0;

  Place(Lines, 8, 154, 193, 32);
  Lines.Caption = "Row Options";
  Lines.Items = {"First Row", "All Rows"};
  Lines.Columns = 2;
  Lines.Item_Index = 0;
  Lines.On_Click = [this] { LinesClick(); };

  Text(Label5, 209, 4, 128, "Import Frame");
  Place(Panel2, 209, 20, Preview_Size, Preview_Size);
  Place(Frame, 0, 0, Preview_Size, Preview_Size);
  Frame.Picture.Set_Size(Preview_Size, Preview_Size);
  Place(Crop, Window.Width + 10, 0, 32, 32);
  Place(Crop_Marker, Window.Width + 10, 0, 34, 34);

  Place(SpeedButton1, 209, 152, 25, 25);
  SpeedButton1.Hint = "View Whole Picture";
  Place(First, 237, 152, 25, 25);
  First.Hint = "First Frame";
  Place(Prev, 262, 152, 25, 25);
  Prev.Hint = "Previous Frame";
  Place(Next, 287, 152, 25, 25);
  Next.Hint = "Next Frame";
  Place(Last, 312, 152, 25, 25);
  Last.Hint = "Last Frame";

  Text(Label6, 345, 4, 128, "Final Frame");
  Place(Bevel1, 345, 20, Preview_Size, Preview_Size);
  Place(Final_Preview, Bevel1.B.Left + 48, Bevel1.B.Top + 48, 32, 32);
  Final_Preview.Picture.Set_Size(32, 32);

  Place(Bevel3, 0, 188, Window.Width, 2);
  Text(Frame_Count, 8, 194, 240, "");
  Text(Label7, 8, 210, 240, "Viewing frame 1");
  Place(Ok, 313, 200, 75, 25);
  Ok.Caption = "Ok";
  Place(Cancel, 398, 200, 75, 25);
  Cancel.Caption = "Cancel";

  Place(Panel3, 148, 56, 185, 121);
  Panel3.Visible = false;
  Text(Label8, 8, 16, 169, "Frame Retrieval In Progress...");
  Label8.Alignment = Label::Align::Center;
  Text(Label9, 8, 48, 169, "");
  Label9.Alignment = Label::Align::Center;
  Place(ProgBar, 8, 88, 169, 16);
}

int TFrame_Extract::Field_Value(const Spin_Edit& field) {
  int v = field.Value();
  if (field.Min != field.Max) {
    if (v < field.Min) v = field.Min;
    if (v > field.Max) v = field.Max;
  }
  return v;
}

void TFrame_Extract::Field_Edited(Spin_Edit& field) {
  if (&field == &dest_fs)
    dest_fsChange();
  else
    Frame_WChange();
}

void TFrame_Extract::Field_Exit(Spin_Edit& field) {
  const std::string before = field.Text;
  field.Exit();
  if (field.Text != before) Field_Edited(field);
}

void TFrame_Extract::Field_Set(Spin_Edit& field, int value) {
  const std::string before = field.Text;
  field.Set_Value(value);
  if (field.Text != before) Field_Edited(field);
}

bool TFrame_Extract::Any_Field_Empty() const {
  return Frame_W.Text.empty() || Frame_H.Text.empty() || top_border.Text.empty() ||
         Left_Border.Text.empty();
}

Cell_Grid TFrame_Extract::Grid() const {
  return {Field_Value(Frame_W), Field_Value(Frame_H), Field_Value(top_border),
          Field_Value(Left_Border)};
}

Conversion TFrame_Extract::Current_Conversion() const {
  Conversion c;
  c.Type = Conversion_Type(std::clamp(Adjust_Type.Item_Index, 0, 3));
  c.Size = Output_Frame_Size;
  c.Crop_Left = Crop.B.Left;
  c.Crop_Top = Crop.B.Top;
  c.Mount = Mount_Colour ? *Mount_Colour : 0;
  return c;
}

bool Is_Pcx_Name(const std::string& path) {
  // The extension, from the last dot, in upper case.
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = path.substr(dot);
  for (char& c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
  return ext.find("PCX") != std::string::npos;
}

void TFrame_Extract::FormShow() {
  Panel3.Visible = false;
  Crop_Dragging = false;
  Retrieval_Done = false;
  Retrieved_Transparent.reset();
  Retrieved_Durations.clear();
  if (Import_File_Name.empty()) return;

  Raster_Image picture;
  // A GIF's frames lie side by side, one cell each.
  std::optional<std::pair<int, int>> gif_cell;
  Source_Transparent.reset();
  Source_Delays.clear();
  try {
    if (Is_Pcx_Name(Import_File_Name)) {
      P.Set_Wait_Cursor(true);
      bool decoded = false;
      try {
        decoded = Decode_Pcx(P, Loading_Window, Import_File_Name, picture);
      } catch (...) {
        P.Set_Wait_Cursor(false);
        throw;
      }
      P.Set_Wait_Cursor(false);
      if (!decoded) {
        // A refused PCX has shown its message; retrieving from the picture
        // of an earlier file would give frames the user did not choose.
        Close();
        return;
      }
    } else if (Sniff_Picture(Import_File_Name) == Picture_Format::Gif) {
      Keyed_Picture gif = Read_Picture_Keyed(Import_File_Name, Mount_Colour ? *Mount_Colour : 0);
      picture = std::move(gif.Image);
      gif_cell = {gif.Frame_Width, gif.Frame_Height};
      Source_Transparent = gif.Transparent;
      Source_Delays = std::move(gif.Delays_Ms);
    } else {
      picture = Read_Picture(Import_File_Name, Mount_Colour ? *Mount_Colour : 0);
    }
  } catch (...) {
    // The reader's error ends the command that opened the dialog.
    Close();
    throw;
  }
  Source_Picture = std::move(picture);

  Frame_H.Max = Source_Picture.Height();
  Frame_W.Max = Source_Picture.Width();
  Hide_Crop();
  // A GIF's frames keep their shape: mounted as they are when they fit the
  // largest output frame, scaled down to it otherwise.
  const int longest = gif_cell ? std::max(gif_cell->first, gif_cell->second) : 32;
  dest_fs.Text = std::to_string(std::min(longest, 128));
  dest_fsChange();
  Field_Set(top_border, 0);
  Field_Set(Left_Border, 0);
  View_Cell = 0;
  Field_Set(Frame_W, gif_cell ? gif_cell->first : Output_Frame_Size);
  Field_Set(Frame_H, gif_cell ? gif_cell->second : Output_Frame_Size);
  Lines.Select(0);
  Adjust_Type.Select(!gif_cell ? ct_Stretch : longest <= 128 ? ct_Mount : ct_Scale);
  Recount_Cells();
  Refresh_Previews();
  Set_Mount.Color = Mount_Colour ? *Mount_Colour : 0;

  Window.Height = Ok.B.Bottom() + 8;
  Window.Width = Cancel.B.Right() + 8;
  Bevel3.B.Width = Window.Width;
  Centre_On(P.Screen_Width(), P.Screen_Height());
}

void TFrame_Extract::Close() {
  if (Import_View) Import_View->Close();
  TForm::Close();
}

void TFrame_Extract::Recount_Cells() {
  const Cell_Counts c =
      Count_Cells(Source_Picture.Width(), Source_Picture.Height(), Grid(), !Any_Field_Empty());
  Cells_Per_Row = c.Cells_Per_Row;
  Cell_Rows = c.Cell_Rows;
  Cell_Total = c.Cell_Total;
}

void TFrame_Extract::Cut_Cell(int i, int j) {
  tolvane::Cut_Cell(Source_Picture, Grid(), i, j, Input_Cell);
}

void TFrame_Extract::Convert_Cell(Raster_Image& target, int type) {
  Conversion c = Current_Conversion();
  c.Type = Conversion_Type(type);
  tolvane::Convert_Cell(Input_Cell, target, c);
}

void TFrame_Extract::Refresh_Previews() {
  if (Lines.Item_Index == 1)
    Frame_Count.Caption = Frames_Text(Cell_Total);
  else
    Frame_Count.Caption =
        Frames_Text(Cells_Per_Row) + " (Total Frames " + std::to_string(Cell_Total) + ")";
  Label7.Caption = "Viewing frame " + std::to_string(View_Cell + 1);

  const int d = Output_Frame_Size;
  if (!Any_Field_Empty()) {
    Cut_Cell(View_Cell / Cells_Per_Row, View_Cell % Cells_Per_Row);
  } else {
    Input_Cell.Set_Size(d, d);
    Input_Cell.Fill_Colour = Light_Grey;
    Input_Cell.FillRect({0, 0, d, d});
  }

  Raster_Image& preview = Frame.Picture;
  preview.Fill_Colour = Light_Grey;
  preview.FillRect({0, 0, Preview_Size, Preview_Size});
  BitBlt(preview, (Preview_Size - Input_Cell.Width()) / 2, (Preview_Size - Input_Cell.Height()) / 2,
         Input_Cell);

  Convert_Cell(Final_Preview.Picture, Adjust_Type.Item_Index);
}

void TFrame_Extract::Hide_Crop() {
  Crop.B.Left = Client_Width() + 10;
  Crop_Marker.B.Left = Crop.B.Left - 1;
}

void TFrame_Extract::Adjust_TypeClick() {
  if (Any_Field_Empty()) return;
  const int d = Output_Frame_Size;
  if (Adjust_Type.Item_Index == ct_Crop && (Field_Value(Frame_W) < d || Field_Value(Frame_H) < d)) {
    const std::string size = std::to_string(d);
    P.Show_Message_Box("You cannot crop frames that are less than " + size + "x" + size,
                       Msg_Kind::Warning, mb_OK);
    Adjust_Type.Select(ct_Scale);
  }
  if (Adjust_Type.Item_Index == ct_Crop) {
    Crop.B.Left = (Preview_Size - d) / 2;
    Crop.B.Top = (Preview_Size - d) / 2;
    Crop_Marker.B.Left = Crop.B.Left - 1;
    Crop_Marker.B.Top = Crop.B.Top - 1;
  } else {
    Hide_Crop();
  }
  Refresh_Previews();
}

void TFrame_Extract::dest_fsChange() {
  if (dest_fs.Text.empty()) return;
  // Typed values are used as the field will hold them, never outside 1..128.
  const int d = Field_Value(dest_fs);
  Output_Frame_Size = d;
  Label2.Caption = "x " + std::to_string(d);
  Final_Preview.Picture.Set_Size(d, d);
  Final_Preview.B = {(Preview_Size - d) / 2 + Bevel1.B.Left, (Preview_Size - d) / 2 + Bevel1.B.Top,
                     d, d};
  Crop.B.Width = Crop.B.Height = d;
  Crop_Marker.B.Width = Crop_Marker.B.Height = d + 2;
  if (Cells_Per_Row != 0 && Cell_Rows != 0) Refresh_Previews();
  if (Adjust_Type.Item_Index == ct_Crop) Adjust_Type.Select(ct_Stretch);
}

void TFrame_Extract::Frame_WChange() {
  Recount_Cells();
  Refresh_Previews();
}

void TFrame_Extract::LinesClick() { Refresh_Previews(); }

void TFrame_Extract::FirstClick() {
  View_Cell = 0;
  Refresh_Previews();
}

void TFrame_Extract::PrevClick() {
  if (View_Cell > 0) --View_Cell;
  Refresh_Previews();
}

void TFrame_Extract::NextClick() {
  if (View_Cell < Cell_Total - 1) ++View_Cell;
  Refresh_Previews();
}

void TFrame_Extract::LastClick() {
  // With no cell there is no last one; stay on the first.
  View_Cell = std::max(0, Cell_Total - 1);
  Refresh_Previews();
}

void TFrame_Extract::CropMouseDown(Mouse_Button, unsigned, int x, int y) {
  Crop_Dragging = true;
  Drag_X = x;
  Drag_Y = y;
}

void TFrame_Extract::CropMouseMove(unsigned, int x, int y) {
  if (!Crop_Dragging) return;
  int left = Crop.B.Left + (x - Drag_X);
  int top = Crop.B.Top + (y - Drag_Y);
  const int w = Input_Cell.Width(), h = Input_Cell.Height(), d = Output_Frame_Size;
  const int cx = (Preview_Size - w) / 2, cy = (Preview_Size - h) / 2;
  if (left < cx) left = cx;
  if (left > cx + w - d) left = cx + w - d;
  if (top < cy) top = cy;
  if (top > cy + h - d) top = cy + h - d;
  Crop.B.Left = left;
  Crop.B.Top = top;
  Crop_Marker.B.Left = left - 1;
  Crop_Marker.B.Top = top - 1;
  Refresh_Previews();
}

void TFrame_Extract::CropMouseUp(Mouse_Button, unsigned, int, int) { Crop_Dragging = false; }

void TFrame_Extract::SpeedButton1Click() {
  if (!Import_View) return;
  TImport_View& v = *Import_View;
  v.Image1.Picture = Source_Picture;
  v.Image1.B = {0, 0, Source_Picture.Width(), Source_Picture.Height()};
  v.Window.Width = Source_Picture.Width();
  v.Window.Height = Source_Picture.Height();
  // Beside the dialog, to its right.
  v.Window.Left = Window.Left + Window.Width + 16;
  v.Window.Top = Window.Top;
  const auto slash = Import_File_Name.find_last_of('/');
  v.Caption = slash == std::string::npos ? Import_File_Name : Import_File_Name.substr(slash + 1);
  v.Modal_Result = mr_None;
  v.Visible = true;
}

void TFrame_Extract::Set_MountClick() {
  ColorDialog1.Color = Mount_Colour ? *Mount_Colour : 0;
  if (!P.Execute_Colour_Dialog(ColorDialog1)) return;
  if (Mount_Colour) *Mount_Colour = ColorDialog1.Color;
  Set_Mount.Color = ColorDialog1.Color;
}

void TFrame_Extract::Commit_Fields() {
  for (Spin_Edit* f : {&Frame_W, &Frame_H, &top_border, &Left_Border, &dest_fs}) Field_Exit(*f);
}

void TFrame_Extract::OkClick() {
  // A size left empty, or no number of 1 or more, would be committed as 1
  // and cut frames of a single pixel column: ask for a size instead.
  const std::pair<const Spin_Edit*, const char*> sizes[] = {{&Frame_W, "input frame width"},
                                                            {&Frame_H, "input frame height"},
                                                            {&dest_fs, "output frame size"}};
  for (const auto& [field, name] : sizes)
    if (field->Number().value_or(0) < 1) {
      P.Show_Message_Box(
          std::string("The ") + name + " must be a whole number of pixels, 1 or more.",
          Msg_Kind::Warning, mb_OK);
      return;
    }
  // Enter presses Ok while a field still has the focus: that field is
  // committed (clamped) first, as a click on Ok would do.
  Commit_Fields();
  const int rows = Lines.Item_Index == 1 ? Cell_Rows : 1;
  const int columns = Cells_Per_Row, d = Output_Frame_Size;
  const Cell_Grid grid = Grid();
  switch (Check_Run(Source_Picture.Width(), Source_Picture.Height(), grid, rows, columns, d)) {
    case Run_Check::No_Frame:
      P.Show_Message_Box(
          "There are no frames to retrieve with these settings. Check the input frame size, "
          "the offsets and the row options.",
          Msg_Kind::Warning, mb_OK);
      return;
    case Run_Check::Too_Large:
      P.Show_Message_Box(
          "The animation would be too large: " + std::to_string(Strip_Width(rows, columns, d) / d) +
              " frames of " + std::to_string(d) + "x" + std::to_string(d) +
              ". Choose larger input frames or a smaller output size.",
          Msg_Kind::Warning, mb_OK);
      return;
    case Run_Check::Ok:
      break;
  }
  const int total = rows * columns;
  const int type = Adjust_Type.Item_Index;

  Raster_Image strip(total * d, d);
  Input_Cell.Set_Size(grid.Frame_W, grid.Frame_H);
  Raster_Image work;
  work.Set_Width(d);
  work.Set_Height(d);
  work.Fill_Colour = 0x000000;

  Panel3.B.Left = (Client_Width() - Panel3.B.Width) / 2;
  Panel3.B.Top = (Client_Height() - Panel3.B.Height) / 2;
  Panel3.Visible = true;
  ProgBar.Position = 0;
  Label9.Caption.clear();
  P.Set_Wait_Cursor(true);
  struct Progress_Guard {
    TFrame_Extract& f;
    ~Progress_Guard() {
      f.Panel3.Visible = false;
      f.P.Set_Wait_Cursor(false);
    }
  } guard{*this};

  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= columns; ++c) {
      const int n = (r - 1) * columns + c;
      Label9.Caption = "Frame " + std::to_string(n) + " of " + std::to_string(total);
      ProgBar.Position = Progress_Percent(n, total);
      P.Process_Messages();
      Cut_Cell(r - 1, c - 1);
      Convert_Cell(work, type);
      BitBlt(strip, (n - 1) * d, 0, work);
    }
  Retrieved_Strip = std::move(strip);
  Retrieved_Transparent = Source_Transparent;
  // Cells other than the GIF's own frames have no delay of their own.
  const bool gif_frames =
      !Source_Delays.empty() && rows == 1 && columns == int(Source_Delays.size()) &&
      grid.Left_Border == 0 && grid.Top_Border == 0 &&
      grid.Frame_W * columns == Source_Picture.Width() && grid.Frame_H == Source_Picture.Height();
  if (gif_frames) Retrieved_Durations = Source_Delays;
  Retrieval_Done = true;
  Modal_Result = mr_Ok;
  Close();
}

void TFrame_Extract::CancelClick() {
  Modal_Result = mr_Cancel;
  Close();
}

}  // namespace tolvane
