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
  Place(t.Controls.Panel1, 4, 0, 181, 93);
  Speed(t.Controls.Tool6, 8, 8, "Select Tool", 25);
  Speed(t.Controls.Tool1, 35, 8, "Pencil Tool");
  Speed(t.Controls.Tool4, 62, 8, "Line Tool");
  Speed(t.Controls.Tool8, 8, 35, "Syringe Tool");
  Speed(t.Controls.Tool2, 35, 35, "Filled Rectangle Tool");
  Speed(t.Controls.Tool3, 62, 35, "Outline Rectangle Tool");
  Speed(t.Controls.Tool5, 8, 62, "Fill Tool");
  Speed(t.Controls.Tool7, 35, 62, "Filled Ellipse Tool");
  for (Speed_Button* b :
       {&t.Controls.Tool1, &t.Controls.Tool2, &t.Controls.Tool3, &t.Controls.Tool4,
        &t.Controls.Tool5, &t.Controls.Tool6, &t.Controls.Tool7, &t.Controls.Tool8})
    b->Group_Index = 1;
  Speed(t.Controls.Nudge1, 96, 19, "Nudge Left");
  Speed(t.Controls.Nudge3, 123, 8, "Nudge Up");
  Speed(t.Controls.Nudge4, 123, 35, "Nudge Down");
  Speed(t.Controls.Nudge2, 150, 19, "Nudge Right");
  Speed(t.Controls.Zoom_Out, 96, 62, "Zoom Out");
  Speed(t.Controls.Zoom_In, 150, 62, "Zoom In");
  // Between the two zoom buttons, so that "10:1" keeps clear of their glyphs.
  Place(t.Controls.Label5, t.Controls.Zoom_Out.B.Right(), 68,
        t.Controls.Zoom_In.B.Left - t.Controls.Zoom_Out.B.Right(), 13);
  t.Controls.Label5.Caption = "1:1";
  t.Controls.Label5.Alignment = Label::Align::Center;
  t.Controls.Label5.Hint = "Zoom Factor";
}

// The palette panel.
void Lay_Out_Palette(TTolvane& t) {
  Place(t.Controls.Panel2, 4, 98, 97, 50);
  Place(t.Controls.Pal, 8, 8, 81, 18);
  Place(t.Controls.Bevel4, 7, 7, 83, 20);
  Place(t.Controls.Col_Select, 8, 32, 49, 10);
  Place(t.Controls.Bevel6, 7, 31, 51, 12);
  Place(t.Controls.Custom, 64, 32, 25, 10);
  Place(t.Controls.Bevel5, 63, 31, 27, 12);
  t.Controls.Col_Select.Picture.Set_Size(49, 10);
  t.Controls.Custom.Picture.Set_Size(25, 10);
  t.Controls.Pal.Hint = "Colour Palette: left click picks the first colour, right click the second";
  t.Controls.Col_Select.Hint = "Drawing Colours: first and second";
  t.Controls.Custom.Hint = "Custom Colours: click to change";
  // The whole palette shows once the window gives it room (Show_Palette_Cells)
  // and in its tool window when the Palette menu opens it.
  t.Controls.Pal_Cells.Visible = t.Controls.Pal_Tool.Visible = false;
  t.Controls.Pal_Cells.Hint = t.Controls.Pal_Tool.Hint = t.Controls.Pal.Hint;
}

// Navigation and playback.
void Lay_Out_Navigation(TTolvane& t) {
  Speed(t.Controls.SpeedButton2, 104, 98, "First Frame");
  Speed(t.Controls.SpeedButton12, 129, 98, "Last Frame");
  Speed(t.Controls.Prev_Frame, 104, 123, "Previous Frame");
  Speed(t.Controls.Next_Frame, 129, 123, "Next Frame");
  Speed(t.Controls.Play, 160, 98, "Play Animation");
  Speed(t.Controls.Stop, 160, 123, "Stop Animation");

  Place(t.Controls.Play_Speed, 340, 0, 29, 113);
  t.Controls.Play_Speed.Min = 1;
  t.Controls.Play_Speed.Max = 30;
  t.Controls.Play_Speed.Hint = "Animation Play Speed";
  t.Controls.Play_Speed.On_Change = [&t] { t.Play_SpeedChange(); };
  Speed(t.Controls.Repeat_Anim, 344, 114, "Loop Animation On/Off", 17);
  t.Controls.Repeat_Anim.Group_Index = 2;  // a toggle on its own
  t.Controls.Repeat_Anim.Allow_All_Up = true;
  Place(t.Controls.Label1, 336, 132, 33, 13);
  t.Controls.Label1.Alignment = Label::Align::Center;
}

// The zoom panel and its scroll bars, with the selection overlay out of sight.
void Lay_Out_Zoom_Panel(TTolvane& t) {
  Place(t.Controls.Panel3, 192, 0, 131, 130);
  Place(t.Controls.Bevel3, 0, 0, 130, 130);
  Place(t.Controls.Zoom, 1, 1, 128, 128);
  t.View.Set_View_Size(128, 128);
  Place(t.Controls.ZH, 193, 129, 128, 13);
  Place(t.Controls.ZV, 318, 1, 16, 128);
  t.Controls.ZH.Enabled = t.Controls.ZV.Enabled = false;
  t.Controls.ZH.On_Change = [&t] { t.ZHChange(); };
  t.Controls.ZV.On_Change = [&t] { t.ZVChange(); };
  Place(t.Controls.Select_Marker, 0, 0, 0, 0);
  Place(t.Controls.Select_Image, 0, 0, 0, 0);
}

// Thumbnails, preview, labels and the progress panel.
void Lay_Out_Frame_Row(TTolvane& t) {
  Place(t.Controls.Frames, 5, 161, 160, 32);
  t.Controls.Frames.Hint = "Thumbnails: the current frame in the middle";
  t.Controls.Frames.Picture.Fill_Colour = 0xC0C0C0;  // grey wherever the row has no frame
  Place(t.Controls.Bevel1, 68, 160, 34, 34);
  Place(t.Controls.Bevel2, 4, 160, 162, 34);
  Place(t.Controls.DSP_Panel, 333, 159, 36, 36);
  Place(t.Controls.Frame, 2, 2, 32, 32);
  t.Controls.Frame.Hint = "Actual Size Preview";
  Place(t.Controls.Bevel7, 1, 1, 34, 34);
  Place(t.Controls.Label2, 0, 205, 165, 13);
  t.Controls.Label2.Alignment = Label::Align::Right;
  // Wide enough for "Section: 10000 to 10000"; the counter starts to its right.
  Place(t.Controls.Label3, 4, 205, 150, 13);
  Place(t.Controls.Bevel8, 0, 201, 373, 2);
  Place(t.Controls.Bevel9, 0, 152, 373, 2);

  Place(t.Controls.Progress_Panel, 0, 0, 185, 81);
  Place(t.Controls.Progress_Caption, 8, 8, 169, 13);
  Place(t.Controls.Progress, 8, 32, 161, 13);
  t.Controls.Progress.Alignment = Label::Align::Center;
  Place(t.Controls.Prog_Bar, 8, 56, 169, 16);
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
  t.Controls.Frames.B.Height = t.Frame_Size;
  t.Controls.Frames.B.Width = t.Frame_Size * t.Thumb_Slots;
  t.Controls.Bevel1.B.Width = t.Controls.Bevel1.B.Height = t.Frame_Size + 2;
  t.Controls.Bevel1.B.Left = t.Controls.Frames.B.Left + (t.Thumb_Slots / 2) * t.Frame_Size - 1;
  t.Controls.Bevel2.B.Width = t.Controls.Frames.B.Width + 2;
  t.Controls.Bevel2.B.Height = t.Controls.Frames.B.Height + 2;

  t.Controls.Frame.B.Width = t.Controls.Frame.B.Height = t.Frame_Size;
  t.Controls.DSP_Panel.B.Width = t.Controls.Frame.B.Width + 4;
  t.Controls.DSP_Panel.B.Height = t.Controls.Frame.B.Height + 4;
  t.Controls.Bevel7.B.Width = t.Controls.Bevel7.B.Height = t.Frame_Size + 2;
  t.Controls.Bevel7.B.Left = t.Controls.Frame.B.Left - 1;

  t.Controls.DSP_Panel.B.Left = t.Controls.Frames.B.Right() + 8;
  t.Window.Width = std::max(t.Controls.DSP_Panel.B.Right(), t.Controls.Play_Speed.B.Right()) + 4;
  t.Window.Height = t.Controls.Frames.B.Bottom() + t.Controls.Label3.B.Height + 16;
  t.Controls.Label2.B.Top = t.Window.Height - t.Controls.Label2.B.Height - 4;
  t.Controls.Label3.B.Top = t.Controls.Label2.B.Top;
  // t.The counter's right edge lines up with the thumbnail row's, or with the
  // zoom view's when the row is shorter: a counter ending over a short row
  // would run into the section line.
  t.Controls.Label2.B.Left = std::max(t.Controls.Frames.B.Right(), t.Controls.Panel3.B.Right()) -
                             t.Controls.Label2.B.Width;
  t.Controls.Bevel8.B.Top = t.Controls.Label3.B.Top - 4;
  t.Controls.Bevel8.B.Width = t.Controls.Bevel9.B.Width = t.Window.Width;
  t.Controls.DSP_Panel.B.Left = t.Window.Width - t.Controls.DSP_Panel.B.Width - 4;
  t.Controls.DSP_Panel.B.Top = t.Controls.Bevel2.B.Top - 1;

  t.Controls.Progress_Panel.B.Left = -2 * t.Controls.Progress_Panel.B.Width;
}

}  // namespace tolvane
