#include <algorithm>
#include <optional>
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

namespace {

// An image at a new size, built beside the old one (same content at the
// top left, the rest in its Fill_Colour), so that a failed allocation
// leaves the old image untouched. Empty when the size is already right.
std::optional<Raster_Image> Resized(const Raster_Image& old, int w, int h) {
  if (old.Width() == w && old.Height() == h) return std::nullopt;
  Raster_Image img(w, h, old.Fill_Colour);
  BitBlt(img, 0, 0, old);
  img.Pen_Colour = old.Pen_Colour;
  img.Fill_Colour = old.Fill_Colour;
  img.Pos_X = old.Pos_X;
  img.Pos_Y = old.Pos_Y;
  return img;
}

void Take(Raster_Image& dst, std::optional<Raster_Image>& src) {
  if (!src) return;
  dst = std::move(*src);
  dst.Touch();
}

}  // namespace

void TTolvane::Layout_Frame_Views(bool resize_existing_frames) {
  // Everything that allocates comes first: when an image cannot be had,
  // the window, its images and the strip stay as they were.
  const int slots = Frame_Size > 64 ? 3 : 5;
  auto undo = Resized(Undo_Frame, Frame_Size, Frame_Size);
  auto sel = Resized(Sel_Background, Frame_Size, Frame_Size);
  auto buffer = Resized(Frame_Buffer, Frame_Size, Frame_Size);
  auto thumbs = Resized(Frames.Picture, Frame_Size * slots, Frame_Size);
  auto working = Resized(Working_Frame, Frame_Size, Frame_Size);
  if (resize_existing_frames) {
    // Rebuilds the strip only once the rebuilt one exists.
    Resize_Frames(Anim_Strip, Frame_Size, Mount_Colour, App.Frame_Size_Form->Resize_Method,
                  Frame_Total, [this] { P.Process_Messages(); });
  } else if (auto strip = Resized(Anim_Strip, Frame_Total * Frame_Size, Frame_Size)) {
    Take(Anim_Strip, strip);
  }
  Take(Undo_Frame, undo);
  Take(Sel_Background, sel);
  Take(Frame_Buffer, buffer);
  Take(Frames.Picture, thumbs);
  Take(Working_Frame, working);

  Thumb_Slots = slots;
  Frames.B.Height = Frame_Size;
  Frames.B.Width = Frame_Size * Thumb_Slots;
  Bevel1.B.Width = Bevel1.B.Height = Frame_Size + 2;
  Bevel1.B.Left = Frames.B.Left + (Thumb_Slots / 2) * Frame_Size - 1;
  // Frames taller than 128 would give 0; the view then shows them at 1:1.
  Zoom_Factor = std::max(1, 128 / Frame_Size);
  Bevel2.B.Width = Frames.B.Width + 2;
  Bevel2.B.Height = Frames.B.Height + 2;

  Frame.B.Width = Frame.B.Height = Frame_Size;
  DSP_Panel.B.Width = Frame.B.Width + 4;
  DSP_Panel.B.Height = Frame.B.Height + 4;
  Bevel7.B.Width = Bevel7.B.Height = Frame_Size + 2;
  Bevel7.B.Left = Frame.B.Left - 1;

  DSP_Panel.B.Left = Frames.B.Right() + 8;
  Window.Width = std::max(DSP_Panel.B.Right(), Play_Speed.B.Right()) + 4;
  Window.Height = Frames.B.Bottom() + Label3.B.Height + 16;
  Label2.B.Top = Window.Height - Label2.B.Height - 4;
  Label3.B.Top = Label2.B.Top;
  // The counter's right edge lines up with the thumbnail row's, or with the
  // zoom view's when the row is shorter: a counter ending over a short row
  // would run into the section line.
  Label2.B.Left = std::max(Frames.B.Right(), Panel3.B.Right()) - Label2.B.Width;
  Bevel8.B.Top = Label3.B.Top - 4;
  Bevel8.B.Width = Bevel9.B.Width = Window.Width;
  DSP_Panel.B.Left = Window.Width - DSP_Panel.B.Width - 4;
  DSP_Panel.B.Top = Bevel2.B.Top - 1;

  Progress_Panel.B.Left = -2 * Progress_Panel.B.Width;
}

namespace {

void Go_To(TTolvane& t, int frame) {
  if (!t.Document_Open()) return;
  t.Drop_Selection();
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
  Stop_Playback();
  TFrame_Size_Form& form = *App.Frame_Size_Form;
  form.New_Frame_Size = Frame_Size;
  form.Adjust_Method.Visible = true;
  Show_Modal(P, form);
  if (!form.Size_Accepted) return;
  Drop_Selection();
  Commit_Frame();
  const int old_size = Frame_Size;
  Frame_Size = form.New_Frame_Size;
  const bool done = Run_Command(P, [&] { Layout_Frame_Views(true); });
  // A failed layout changed nothing but the size it was given.
  if (!done) Frame_Size = old_size;
  Show_Frame();
  Frame_Edited = false;
  Undo1.Enabled = false;
  if (done) Anim_Modified = true;
  Update_Zoom_Range();
}

}  // namespace tolvane
