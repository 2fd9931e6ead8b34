#include "mainwindow/tolvane_layout.h"

#include <algorithm>

#include "mainwindow/commands.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

// Where every control of the main window sits at start-up, in client pixels
// (children relative to their panel), with its hint; the menu items come
// from the command table. Layout_Frame_Views moves what follows the frame size.

namespace {

void Place(Control& c, int left, int top, int width, int height) {
  c.B = {left, top, width, height};
}

void Speed(Speed_Button& b, int left, int top, const char* hint, int size = 25) {
  b.B = {left, top, size, size};
  b.Hint = hint;
}

// The tool panel: tools, nudges and zoom buttons.
void Lay_Out_Tool_Panel(TTolvane& t) {
  Place(t.Panel1, 4, 0, 181, 93);
  Speed(t.Tool6, 8, 8, "Select Tool", 25);
  Speed(t.Tool1, 35, 8, "Pencil Tool");
  Speed(t.Tool4, 62, 8, "Line Tool");
  Speed(t.Tool8, 8, 35, "Syringe Tool");
  Speed(t.Tool2, 35, 35, "Filled Rectangle Tool");
  Speed(t.Tool3, 62, 35, "Outline Rectangle Tool");
  Speed(t.Tool5, 8, 62, "Fill Tool");
  Speed(t.Tool7, 35, 62, "Filled Ellipse Tool");
  for (Speed_Button* b :
       {&t.Tool1, &t.Tool2, &t.Tool3, &t.Tool4, &t.Tool5, &t.Tool6, &t.Tool7, &t.Tool8})
    b->Group_Index = 1;
  Speed(t.Nudge1, 96, 19, "Nudge Left");
  Speed(t.Nudge3, 123, 8, "Nudge Up");
  Speed(t.Nudge4, 123, 35, "Nudge Down");
  Speed(t.Nudge2, 150, 19, "Nudge Right");
  Speed(t.Zoom_Out, 96, 62, "Zoom Out");
  Speed(t.Zoom_In, 150, 62, "Zoom In");
  // Between the two zoom buttons, so that "10:1" keeps clear of their glyphs.
  Place(t.Label5, t.Zoom_Out.B.Right(), 68, t.Zoom_In.B.Left - t.Zoom_Out.B.Right(), 13);
  t.Label5.Caption = "1:1";
  t.Label5.Alignment = Label::Align::Center;
  t.Label5.Hint = "Zoom Factor";
}

// The palette panel.
void Lay_Out_Palette(TTolvane& t) {
  Place(t.Panel2, 4, 98, 97, 50);
  Place(t.Pal, 8, 8, 81, 18);
  Place(t.Bevel4, 7, 7, 83, 20);
  Place(t.Col_Select, 8, 32, 49, 10);
  Place(t.Bevel6, 7, 31, 51, 12);
  Place(t.Custom, 64, 32, 25, 10);
  Place(t.Bevel5, 63, 31, 27, 12);
  t.Col_Select.Picture.Set_Size(49, 10);
  t.Custom.Picture.Set_Size(25, 10);
  t.Pal.Hint = "Colour Palette: left click picks the first colour, right click the second";
  t.Col_Select.Hint = "Drawing Colours: first and second";
  t.Custom.Hint = "Custom Colours: click to change";
}

// Navigation and playback.
void Lay_Out_Navigation(TTolvane& t) {
  Speed(t.SpeedButton2, 104, 98, "First Frame");
  Speed(t.SpeedButton12, 129, 98, "Last Frame");
  Speed(t.Prev_Frame, 104, 123, "Previous Frame");
  Speed(t.Next_Frame, 129, 123, "Next Frame");
  Speed(t.Play, 160, 98, "Play Animation");
  Speed(t.Stop, 160, 123, "Stop Animation");

  Place(t.Play_Speed, 340, 0, 29, 113);
  t.Play_Speed.Min = 1;
  t.Play_Speed.Max = 30;
  t.Play_Speed.Hint = "Animation Play Speed";
  t.Play_Speed.On_Change = [&t] { t.Play_SpeedChange(); };
  Speed(t.Repeat_Anim, 344, 114, "Loop Animation On/Off", 17);
  t.Repeat_Anim.Group_Index = 2;  // a toggle on its own
  t.Repeat_Anim.Allow_All_Up = true;
  Place(t.Label1, 336, 132, 33, 13);
  t.Label1.Alignment = Label::Align::Center;
}

// The zoom panel and its scroll bars, with the selection overlay out of sight.
void Lay_Out_Zoom_Panel(TTolvane& t) {
  Place(t.Panel3, 192, 0, 131, 130);
  Place(t.Bevel3, 0, 0, 130, 130);
  Place(t.Zoom, 1, 1, 128, 128);
  t.View.Set_View_Size(128, 128);
  Place(t.ZH, 193, 129, 128, 13);
  Place(t.ZV, 318, 1, 16, 128);
  t.ZH.Enabled = t.ZV.Enabled = false;
  t.ZH.On_Change = [&t] { t.ZHChange(); };
  t.ZV.On_Change = [&t] { t.ZVChange(); };
  Place(t.Select_Marker, 0, 0, 0, 0);
  Place(t.Select_Image, 0, 0, 0, 0);
}

// Thumbnails, preview, labels and the progress panel.
void Lay_Out_Frame_Row(TTolvane& t) {
  Place(t.Frames, 5, 161, 160, 32);
  t.Frames.Hint = "Thumbnails: the current frame in the middle";
  t.Frames.Picture.Fill_Colour = 0xC0C0C0;  // grey wherever the row has no frame
  Place(t.Bevel1, 68, 160, 34, 34);
  Place(t.Bevel2, 4, 160, 162, 34);
  Place(t.DSP_Panel, 333, 159, 36, 36);
  Place(t.Frame, 2, 2, 32, 32);
  t.Frame.Hint = "Actual Size Preview";
  Place(t.Bevel7, 1, 1, 34, 34);
  Place(t.Label2, 0, 205, 165, 13);
  t.Label2.Alignment = Label::Align::Right;
  // Wide enough for "Section: 10000 to 10000"; the counter starts to its right.
  Place(t.Label3, 4, 205, 150, 13);
  Place(t.Bevel8, 0, 201, 373, 2);
  Place(t.Bevel9, 0, 152, 373, 2);

  Place(t.Progress_Panel, 0, 0, 185, 81);
  Place(t.Progress_Caption, 8, 8, 169, 13);
  Place(t.Progress, 8, 32, 161, 13);
  t.Progress.Alignment = Label::Align::Center;
  Place(t.Prog_Bar, 8, 56, 169, 16);
}

}  // namespace

void Lay_Out_Controls(TTolvane& t) {
  Lay_Out_Commands(t);
  Lay_Out_Tool_Panel(t);
  Lay_Out_Palette(t);
  Lay_Out_Navigation(t);
  Lay_Out_Zoom_Panel(t);
  Lay_Out_Frame_Row(t);
}

void Place_Frame_Views(TTolvane& t) {
  t.Frames.B.Height = t.Frame_Size;
  t.Frames.B.Width = t.Frame_Size * t.Thumb_Slots;
  t.Bevel1.B.Width = t.Bevel1.B.Height = t.Frame_Size + 2;
  t.Bevel1.B.Left = t.Frames.B.Left + (t.Thumb_Slots / 2) * t.Frame_Size - 1;
  t.Bevel2.B.Width = t.Frames.B.Width + 2;
  t.Bevel2.B.Height = t.Frames.B.Height + 2;

  t.Frame.B.Width = t.Frame.B.Height = t.Frame_Size;
  t.DSP_Panel.B.Width = t.Frame.B.Width + 4;
  t.DSP_Panel.B.Height = t.Frame.B.Height + 4;
  t.Bevel7.B.Width = t.Bevel7.B.Height = t.Frame_Size + 2;
  t.Bevel7.B.Left = t.Frame.B.Left - 1;

  t.DSP_Panel.B.Left = t.Frames.B.Right() + 8;
  t.Window.Width = std::max(t.DSP_Panel.B.Right(), t.Play_Speed.B.Right()) + 4;
  t.Window.Height = t.Frames.B.Bottom() + t.Label3.B.Height + 16;
  t.Label2.B.Top = t.Window.Height - t.Label2.B.Height - 4;
  t.Label3.B.Top = t.Label2.B.Top;
  // t.The counter's right edge lines up with the thumbnail row's, or with the
  // zoom view's when the row is shorter: a counter ending over a short row
  // would run into the section line.
  t.Label2.B.Left = std::max(t.Frames.B.Right(), t.Panel3.B.Right()) - t.Label2.B.Width;
  t.Bevel8.B.Top = t.Label3.B.Top - 4;
  t.Bevel8.B.Width = t.Bevel9.B.Width = t.Window.Width;
  t.DSP_Panel.B.Left = t.Window.Width - t.DSP_Panel.B.Width - 4;
  t.DSP_Panel.B.Top = t.Bevel2.B.Top - 1;

  t.Progress_Panel.B.Left = -2 * t.Progress_Panel.B.Width;
}

}  // namespace tolvane
