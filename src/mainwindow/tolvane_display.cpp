#include <algorithm>
#include <string>

#include "document/resize_frames.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

void TTolvane::Show_Frame() {
  Label2.Caption = "Frame " + std::to_string(Cur_Frame + 1) + " of " + std::to_string(Frame_Total);
  Raster_Image& thumbs = Frames.Picture;
  thumbs.Fill_Colour = 0xC0C0C0;
  thumbs.FillRect({0, 0, thumbs.Width(), thumbs.Height()});
  // The whole strip is drawn shifted; clipping keeps the cost to the row's size.
  BitBlt(thumbs, Frame_Size * (Thumb_Slots / 2 - Cur_Frame), 0, Anim_Strip);
  BitBlt(Working_Frame, -Frame_Size * Cur_Frame, 0, Anim_Strip);
  Redraw_Zoom();
}

void TTolvane::Layout_Frame_Views(bool resize_existing_frames) {
  Thumb_Slots = Frame_Size > 64 ? 3 : 5;
  Undo_Frame.Set_Size(Frame_Size, Frame_Size);
  Sel_Background.Set_Size(Frame_Size, Frame_Size);
  Frame_Buffer.Set_Size(Frame_Size, Frame_Size);

  Frames.B.Height = Frame_Size;
  Frames.B.Width = Frame_Size * Thumb_Slots;
  Frames.Picture.Set_Size(Frames.B.Width, Frames.B.Height);
  Bevel1.B.Width = Bevel1.B.Height = Frame_Size + 2;
  Bevel1.B.Left = Frames.B.Left + (Thumb_Slots / 2) * Frame_Size - 1;
  // Frames taller than 128 would give 0; the view then shows them at 1:1.
  Zoom_Factor = std::max(1, 128 / Frame_Size);
  Bevel2.B.Width = Frames.B.Width + 2;
  Bevel2.B.Height = Frames.B.Height + 2;

  Frame.B.Width = Frame.B.Height = Frame_Size;
  Working_Frame.Set_Size(Frame_Size, Frame_Size);
  DSP_Panel.B.Width = Frame.B.Width + 4;
  DSP_Panel.B.Height = Frame.B.Height + 4;
  Bevel7.B.Width = Bevel7.B.Height = Frame_Size + 2;
  Bevel7.B.Left = Frame.B.Left - 1;

  DSP_Panel.B.Left = Frames.B.Right() + 8;
  Window.Width = std::max(DSP_Panel.B.Right(), Play_Speed.B.Right()) + 4;
  Window.Height = Frames.B.Bottom() + Label3.B.Height + 16;
  Label2.B.Top = Window.Height - Label2.B.Height - 4;
  Label3.B.Top = Label2.B.Top;
  Label2.B.Left = std::max(0, Frames.B.Right() - Label2.B.Width);
  Bevel8.B.Top = Label3.B.Top - 4;
  Bevel8.B.Width = Bevel9.B.Width = Window.Width;
  DSP_Panel.B.Left = Window.Width - DSP_Panel.B.Width - 4;
  DSP_Panel.B.Top = Bevel2.B.Top - 1;

  if (resize_existing_frames) {
    Resize_Frames(Anim_Strip, Frame_Size, Mount_Colour, App.Frame_Size_Form->Resize_Method,
                  Frame_Total, [this] { P.Process_Messages(); });
  } else {
    Anim_Strip.Set_Size(Frame_Total * Frame_Size, Frame_Size);
  }
  Progress_Panel.B.Left = -2 * Progress_Panel.B.Width;
}

namespace {

void Go_To(TTolvane& t, int frame) {
  if (!t.Document_Open()) return;
  t.Set_Tool(t.Cur_Tool);
  t.Commit_Frame();
  t.Cur_Frame = std::clamp(frame, 0, t.Frame_Total - 1);
  t.Frame_Edited = false;
  t.Show_Frame();
  t.Undo1.Enabled = false;
}

}  // namespace

void TTolvane::SpeedButton2Click() { Go_To(*this, 0); }
void TTolvane::Prev_FrameClick() { Go_To(*this, Cur_Frame - 1); }
void TTolvane::Next_FrameClick() { Go_To(*this, Cur_Frame + 1); }
void TTolvane::SpeedButton12Click() { Go_To(*this, Frame_Total - 1); }

void TTolvane::Resize1Click() {
  TFrame_Size_Form& form = *App.Frame_Size_Form;
  form.New_Frame_Size = Frame_Size;
  form.Adjust_Method.Visible = true;
  Show_Modal(P, form);
  if (!form.Size_Accepted) return;
  Set_Tool(Cur_Tool);
  Commit_Frame();
  const int old_size = Frame_Size;
  Frame_Size = form.New_Frame_Size;
  const bool done = Run_Command(P, [&] { Layout_Frame_Views(true); });
  if (!done) {
    // The strip is replaced only once the rebuilt one exists; go back to the
    // old size so that everything matches it again.
    Frame_Size = old_size;
    Layout_Frame_Views(false);
  }
  Show_Frame();
  Frame_Edited = false;
  Undo1.Enabled = false;
  if (done) Anim_Modified = true;
  Update_Zoom_Range();
}

}  // namespace tolvane
