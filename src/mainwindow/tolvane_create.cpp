#include <algorithm>

#include "document/settings.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"
#include "mainwindow/tolvane_layout.h"

namespace tolvane {

TTolvane::TTolvane(Application& app) : App(app), P(app.P) {
  Name = "Tolvane";
  Caption = Application_Title;
  Window = {0, 0, 373, 222};

  Lay_Out_Controls(*this);

  Controls.OpenDialog1.Filter = Open_Filter;
  Controls.SaveDialog1.Filter = Picture_Filter;
  Controls.SaveDialog1.Overwrite_Prompt = true;
  Controls.ColorDialog1.Full_Open = true;
}

void TTolvane::FormCreate() {
  Controls.Label3.Caption.clear();
  Caption = Application_Title;
  Controls.Progress_Panel.B.Left = -2 * Controls.Progress_Panel.B.Width;
  Opened = Sections_Offered = false;

  Frame_Size = 32;
  Anim_Strip = Raster_Image(32, 32);
  Undo_Frame.Set_Size(32, 32);
  Frame_Buffer.Set_Size(32, 32);
  Selection.Reset(32);
  Controls.Label2.Caption.clear();
  Buffer_Filled = false;

  Controls.Frames.Picture.Set_Size(Controls.Frames.B.Width, Controls.Frames.B.Height);
  Controls.Frames.Picture.FillRect(
      {0, 0, Controls.Frames.Picture.Width(), Controls.Frames.Picture.Height()});

  Mouse.Reset();
  Undo_Available = false;
  Cur_Tool = Tool_Pencil;
  Anim_Modified = false;

  Read_Settings();
  Settings_Kept.Written = Settings_Kept.Seen = Current_Settings();
  Paint_Palette();

  Frame_Total = 1;
  Layout_Frame_Views();
  Show_State();
}

std::string TTolvane::Settings_File() const { return P.Settings_Path(); }

void TTolvane::Read_Settings() {
  const Settings_Values v = Read_Settings_File(Ini_File(Settings_File()));
  Selected_Colour1 = v.Selected1;
  Selected_Colour2 = v.Selected2;
  Custom_Colour1 = v.Custom1;
  Custom_Colour2 = v.Custom2;
  Mount_Colour = v.Mount;
  Controls.OpenDialog1.File_Name = v.Dir;
  Player.Set_Fps(v.FPS);
  Aids.Onion_Skin = v.Onion_Skin;
  Aids.Pixel_Grid = v.Pixel_Grid;
  Export = v.Export;
  // A size kept on a larger screen is brought within this one; with none
  // kept (0) the window follows the frame size's smallest.
  Asked_Width = Normal_Width = std::min(v.Window_Width, P.Screen_Width());
  Asked_Height = Normal_Height = std::min(v.Window_Height, P.Screen_Height());
  Maximised = v.Window_Maximised;
  Anim_History.Set_Cap(std::size_t(v.History_MB) << 20);
  Aids.Transparency = v.Show_Transparency;
  Ask_Bmp_Transparency = v.Ask_Bmp_Transparency;
  Ask_Bmp_Timings = v.Ask_Bmp_Timings;
  Palette = {v.Palette, v.Palette_File, -1};
}

Settings_Values TTolvane::Current_Settings() const {
  Settings_Values v;
  v.Selected1 = Selected_Colour1;
  v.Selected2 = Selected_Colour2;
  v.Custom1 = Custom_Colour1;
  v.Custom2 = Custom_Colour2;
  v.Mount = Mount_Colour;
  v.Dir = Controls.OpenDialog1.File_Name;
  v.FPS = Player.Fps();
  v.Onion_Skin = Aids.Onion_Skin;
  v.Pixel_Grid = Aids.Pixel_Grid;
  v.Export = Export;
  v.Window_Width = Normal_Width;
  v.Window_Height = Normal_Height;
  v.Window_Maximised = Maximised;
  v.History_MB = int(Anim_History.Cap() >> 20);
  v.Show_Transparency = Aids.Transparency;
  v.Ask_Bmp_Transparency = Ask_Bmp_Transparency;
  v.Ask_Bmp_Timings = Ask_Bmp_Timings;
  v.Palette = Palette.Loaded;
  v.Palette_File = Palette.File;
  return v;
}

void TTolvane::Write_Settings() {
  const Settings_Values v = Current_Settings();
  Ini_File ini(Settings_File());
  Run_Command(P, [&] { Write_Settings_File(ini, v); });
  Settings_Kept.Written = v;
}

void TTolvane::Keep_Settings() {
  // A second without a further change ends a burst (a window being sized).
  constexpr std::int64_t Settle_Ms = 1000;
  const Settings_Values v = Current_Settings();
  Settings_Watch& k = Settings_Kept;
  if (v == k.Written) return;
  const std::int64_t now = P.Steady_Ms();
  if (!(v == k.Seen)) {
    k.Seen = v;
    k.Seen_Ms = now;
    return;
  }
  if (now - k.Seen_Ms < Settle_Ms) return;
  // Written or not, it is tried again at the next change and at the end.
  k.Written = v;
  Ini_File ini(Settings_File());
  if (!k.Failure_Told) {
    k.Failure_Told = !Run_Command(P, [&] { Write_Settings_File(ini, v); });
    return;
  }
  try {
    Write_Settings_File(ini, v);
  } catch (const std::exception&) {
    // Told once already; the close writes them again and says so.
  }
}

void TTolvane::FormShow() {
  App.About_Form->Splash_Mode = true;
  Show_Modal(P, *App.About_Form);
  Session.Offer_Recovery();
  Session.Open_Start_File();
}

void TTolvane::Close() {
  if (!Session.Close_Query()) return;
  Player.Stop();
  Closed = true;
  Visible = false;
}

void TTolvane::Exit1Click() { Close(); }

void TTolvane::About2Click() {
  App.About_Form->Splash_Mode = false;
  Show_Modal(P, *App.About_Form);
}

void TTolvane::Progress_Show(int steps, const std::string& caption) {
  Controls.Progress_Panel.B.Left = (Client_Width() - Controls.Progress_Panel.B.Width) / 2;
  Controls.Progress_Panel.B.Top = (Client_Height() - Controls.Progress_Panel.B.Height) / 2;
  Controls.Prog_Bar.Position = 0;
  Controls.Prog_Bar.Max = steps;
  Controls.Progress_Caption.Caption = caption;
  P.Set_Wait_Cursor(true);
}

void TTolvane::Progress_Step(int i, int n) {
  Controls.Progress.Caption = "Frame " + std::to_string(i) + " of " + std::to_string(n) + "...";
  Controls.Prog_Bar.Position = std::min(Controls.Prog_Bar.Position + 1, Controls.Prog_Bar.Max);
  P.Process_Messages();
}

void TTolvane::Progress_Hide() {
  P.Set_Wait_Cursor(false);
  Controls.Progress_Panel.B.Left = -2 * Controls.Progress_Panel.B.Width;
}

}  // namespace tolvane
