#include <algorithm>

#include "document/settings.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

void Place(Control& c, int left, int top, int width, int height) {
  c.B = {left, top, width, height};
}

void Speed(Speed_Button& b, int left, int top, const char* hint, int size = 25) {
  b.B = {left, top, size, size};
  b.Hint = hint;
}

void Item(Menu_Item& m, const char* caption, const char* shortcut = "", bool enabled = true) {
  m.Caption = caption;
  m.Shortcut = shortcut;
  m.Enabled = enabled;
}

}  // namespace

TTolvane::TTolvane(Application& app) : App(app), P(app.P) {
  Name = "Tolvane";
  Caption = Application_Title;
  Window = {0, 0, 373, 222};

  Item(File1, "&File");
  Item(Load1, "&Load");
  Item(Import1, "&Import Frames...");
  Item(ImportPCX1, "Import &PCX...");
  Item(Save1, "&Save", "", false);
  Item(SaveAs1, "Save &As...", "", false);
  Item(ExportGIF1, "Export &GIF...", "", false);
  Item(MergeFiles1, "&Merge Files...", "", false);
  Item(New1, "&New...");
  Item(N1, "-");
  Item(About1, "&Help");
  Item(About2, "&About...");
  Item(WhatsNew1, "&What's New...");
  Item(Exit1, "E&xit");
  Item(Edit1, "&Edit");
  Item(Copy2, "&Copy (To Clipboard)");
  Item(Cut1, "Cu&t (To Clipboard)");
  Item(Paste2, "&Paste (From Clipboard)");
  Item(N2, "-");
  Item(FlipHorizontal1, "Flip &Horizontal");
  Item(FlipVertical1, "Flip &Vertical");
  Item(N3, "-");
  Item(Undo1, "&Undo", "Ctrl+U", false);
  Undo1.Alt_Shortcut = "Ctrl+Z";  // the key every other editor undoes with
  Item(Frame1, "F&rame");
  Item(Clear1, "C&lear");
  Item(Copy1, "&Copy (To Buffer)", "Shift+Ins");
  Item(Paste1, "&Paste (From Buffer)", "Ins", false);
  Item(N4, "-");
  Item(CopyToClipboard1, "C&opy (To Clipboard)");
  Item(PasteFromClipboard1, "P&aste (From Clipboard)");
  Item(N5, "-");
  Item(Add1, "&Add", "Ctrl+A");
  Item(Delete1, "&Delete", "Del");
  Item(Insert1, "&Insert", "Ctrl+I");
  Item(Resize1, "&Resize");
  Item(Section1, "&Section");
  Item(MarkFrameAsStartOfSection1, "Mark Frame as &Start of Section", "Ctrl+S");
  Item(MarkFrameAsEndOfSection1, "Mark Frame as &End of Section", "Ctrl+E");
  Item(ResetMarks1, "&Reset Marks", "Ctrl+R");
  Item(View1, "&View");
  Item(OnionSkin1, "Onion Skin");
  Item(PixelGrid1, "Pixel Grid");
  OnionSkin1.Check_Item = PixelGrid1.Check_Item = true;
  Item(Effects1, "Effe&cts");
  Item(Brightness1, "Brightness...");
  Item(Rotate1, "Rotate...");
  Item(Squash1, "Squash...");
  Item(Spin1, "Spin...");

  Place(Panel1, 4, 0, 181, 93);
  Speed(Tool6, 8, 8, "Select Tool", 25);
  Speed(Tool1, 35, 8, "Pencil Tool");
  Speed(Tool4, 62, 8, "Line Tool");
  Speed(Tool8, 8, 35, "Syringe Tool");
  Speed(Tool2, 35, 35, "Filled Rectangle Tool");
  Speed(Tool3, 62, 35, "Outline Rectangle Tool");
  Speed(Tool5, 8, 62, "Fill Tool");
  Speed(Tool7, 35, 62, "Filled Ellipse Tool");
  for (Speed_Button* t : {&Tool1, &Tool2, &Tool3, &Tool4, &Tool5, &Tool6, &Tool7, &Tool8})
    t->Group_Index = 1;
  Tool1.Down = true;
  Speed(Nudge1, 96, 19, "Nudge Left");
  Speed(Nudge3, 123, 8, "Nudge Up");
  Speed(Nudge4, 123, 35, "Nudge Down");
  Speed(Nudge2, 150, 19, "Nudge Right");
  Speed(Zoom_Out, 96, 62, "Zoom Out");
  Speed(Zoom_In, 150, 62, "Zoom In");
  // Between the two zoom buttons, so that "10:1" keeps clear of their glyphs.
  Place(Label5, Zoom_Out.B.Right(), 68, Zoom_In.B.Left - Zoom_Out.B.Right(), 13);
  Label5.Caption = "1:1";
  Label5.Alignment = Label::Align::Center;
  Label5.Hint = "Zoom Factor";

  Place(Panel2, 4, 98, 97, 50);
  Place(Pal, 8, 8, 81, 18);
  Place(Bevel4, 7, 7, 83, 20);
  Place(Col_Select, 8, 32, 49, 10);
  Place(Bevel6, 7, 31, 51, 12);
  Place(Custom, 64, 32, 25, 10);
  Place(Bevel5, 63, 31, 27, 12);
  Col_Select.Picture.Set_Size(49, 10);
  Custom.Picture.Set_Size(25, 10);
  Pal.Hint = "Colour Palette: left click picks the first colour, right click the second";
  Col_Select.Hint = "Drawing Colours: first and second";
  Custom.Hint = "Custom Colours: click to change";

  Speed(SpeedButton2, 104, 98, "First Frame");
  Speed(SpeedButton12, 129, 98, "Last Frame");
  Speed(Prev_Frame, 104, 123, "Previous Frame");
  Speed(Next_Frame, 129, 123, "Next Frame");
  Speed(Play, 160, 98, "Play Animation");
  Speed(Stop, 160, 123, "Stop Animation");
  Play.Enabled = false;
  Stop.Enabled = false;

  Place(Panel3, 192, 0, 131, 130);
  Place(Bevel3, 0, 0, 130, 130);
  Place(Zoom, 1, 1, 128, 128);
  Zoom.Picture.Set_Size(128, 128);
  Place(ZH, 193, 129, 128, 13);
  Place(ZV, 318, 1, 16, 128);
  ZH.Enabled = ZV.Enabled = false;
  ZH.On_Change = [this] { ZHChange(); };
  ZV.On_Change = [this] { ZVChange(); };

  Place(Play_Speed, 340, 0, 29, 113);
  Play_Speed.Min = 1;
  Play_Speed.Max = 30;
  Play_Speed.Position = 10;
  Play_Speed.Hint = "Animation Play Speed";
  Play_Speed.On_Change = [this] { Play_SpeedChange(); };
  Speed(Repeat_Anim, 344, 114, "Loop Animation On/Off", 17);
  Repeat_Anim.Group_Index = 2;  // a toggle on its own
  Repeat_Anim.Allow_All_Up = true;
  Repeat_Anim.Down = true;
  Place(Label1, 336, 132, 33, 13);
  Label1.Alignment = Label::Align::Center;

  Place(Frames, 5, 161, 160, 32);
  Frames.Hint = "Thumbnails: the current frame in the middle";
  Frames.Picture.Fill_Colour = 0xC0C0C0;  // grey wherever the row has no frame
  Place(Bevel1, 68, 160, 34, 34);
  Place(Bevel2, 4, 160, 162, 34);
  Place(DSP_Panel, 333, 159, 36, 36);
  Place(Frame, 2, 2, 32, 32);
  Frame.Hint = "Actual Size Preview";
  Place(Bevel7, 1, 1, 34, 34);
  Place(Label2, 0, 205, 165, 13);
  Label2.Alignment = Label::Align::Right;
  // Wide enough for "Section: 10000 to 10000"; the counter starts to its right.
  Place(Label3, 4, 205, 150, 13);
  Place(Bevel8, 0, 201, 373, 2);
  Place(Bevel9, 0, 152, 373, 2);

  Place(Progress_Panel, 0, 0, 185, 81);
  Place(Progress_Caption, 8, 8, 169, 13);
  Place(Progress, 8, 32, 161, 13);
  Progress.Alignment = Label::Align::Center;
  Place(Prog_Bar, 8, 56, 169, 16);

  Place(Select_Marker, 0, 0, 0, 0);
  Place(Select_Image, 0, 0, 0, 0);

  OpenDialog1.Filter = Open_Filter;
  SaveDialog1.Filter = Picture_Filter;
  SaveDialog1.Overwrite_Prompt = true;
  ColorDialog1.Full_Open = true;
}

void TTolvane::FormCreate() {
  Label3.Caption.clear();
  Caption = Application_Title;
  Progress_Panel.B.Left = -2 * Progress_Panel.B.Width;
  Edit1.Enabled = Section1.Enabled = Frame1.Enabled = Effects1.Enabled = false;

  Frame_Size = 32;
  Anim_Strip = Raster_Image();
  Sel_Bitmap = Raster_Image();
  Sel_Scratch = Raster_Image();
  Undo_Frame.Set_Size(32, 32);
  Frame_Buffer.Set_Size(32, 32);
  Sel_Background.Set_Size(32, 32);

  Sel_Dragging = false;
  Select_Marker.B.Left = Select_Image.B.Left = 10 * Client_Width();
  Label2.Caption.clear();
  Paste1.Enabled = false;

  Frames.Picture.Set_Size(Frames.B.Width, Frames.B.Height);
  Frames.Picture.FillRect({0, 0, Frames.Picture.Width(), Frames.Picture.Height()});

  Zoom_Drag = false;
  Undo1.Enabled = false;
  Cur_Tool = Tool_Pencil;
  Anim_Modified = false;

  Read_Settings();
  Paint_Palette();
  Bevel1.Visible = false;
  Play_SpeedChange();

  Frame_Total = 1;
  Layout_Frame_Views(false);
}

std::string TTolvane::Settings_File() const { return P.Settings_Path(); }

void TTolvane::Read_Settings() {
  const Settings_Values v = Read_Settings_File(Ini_File(Settings_File()));
  Selected_Colour1 = v.Selected1;
  Selected_Colour2 = v.Selected2;
  Custom_Colour1 = v.Custom1;
  Custom_Colour2 = v.Custom2;
  Mount_Colour = v.Mount;
  OpenDialog1.File_Name = v.Dir;
  Play_Speed.Set_Position(v.FPS);
  OnionSkin1.Checked = v.Onion_Skin;
  PixelGrid1.Checked = v.Pixel_Grid;
}

void TTolvane::Write_Settings() {
  Settings_Values v;
  v.Selected1 = Selected_Colour1;
  v.Selected2 = Selected_Colour2;
  v.Custom1 = Custom_Colour1;
  v.Custom2 = Custom_Colour2;
  v.Mount = Mount_Colour;
  v.Dir = OpenDialog1.File_Name;
  v.FPS = Play_Speed.Position;
  v.Onion_Skin = OnionSkin1.Checked;
  v.Pixel_Grid = PixelGrid1.Checked;
  Ini_File ini(Settings_File());
  Run_Command(P, [&] { Write_Settings_File(ini, v); });
}

void TTolvane::FormShow() {
  App.About_Form->Splash_Mode = true;
  Show_Modal(P, *App.About_Form);
  Open_Start_File();
}

bool TTolvane::FormCloseQuery() {
  // Closing after a save that wrote nothing would lose the user's work.
  const bool may_close = Ask_Save_Changes();
  Write_Settings();
  return may_close;
}

void TTolvane::Close() {
  if (!FormCloseQuery()) return;
  Anim_Timer.Enabled = false;
  Closed = true;
  Visible = false;
}

void TTolvane::Exit1Click() { Close(); }

void TTolvane::About2Click() {
  App.About_Form->Splash_Mode = false;
  Show_Modal(P, *App.About_Form);
}

void TTolvane::WhatsNew1Click() {
  std::string folder = P.Executable_Path();
  const auto slash = folder.find_last_of('/');
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  if (folder.empty() || folder.back() != '/') folder += '/';
  if (P.Shell_Open(folder + "WhatsNew.RTF") <= 32)
    P.Show_Message_Box(
        "Unable to open the Whats New information (File might be missing or already open) ",
        Msg_Kind::Warning, mb_OK);
}

void TTolvane::Progress_Show(int steps, const std::string& caption) {
  Progress_Panel.B.Left = (Client_Width() - Progress_Panel.B.Width) / 2;
  Progress_Panel.B.Top = (Client_Height() - Progress_Panel.B.Height) / 2;
  Prog_Bar.Position = 0;
  Prog_Bar.Max = steps;
  Progress_Caption.Caption = caption;
  P.Set_Wait_Cursor(true);
}

void TTolvane::Progress_Step(int i, int n) {
  Progress.Caption = "Frame " + std::to_string(i) + " of " + std::to_string(n) + "...";
  Prog_Bar.Position = std::min(Prog_Bar.Position + 1, Prog_Bar.Max);
  P.Process_Messages();
}

void TTolvane::Progress_Hide() {
  P.Set_Wait_Cursor(false);
  Progress_Panel.B.Left = -2 * Progress_Panel.B.Width;
}

}  // namespace tolvane
