#include <algorithm>
#include <optional>
#include <string>

#include "document/strip_edit.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"
#include "mainwindow/tolvane_layout.h"

namespace tolvane {

void TTolvane::Show_Frame() {
  Show_Counter();
  Raster_Image& thumbs = Controls.Frames.Picture;
  thumbs.Fill_Colour = 0xC0C0C0;
  thumbs.FillRect({0, 0, thumbs.Width(), thumbs.Height()});
  // The whole strip is drawn shifted; clipping keeps the cost to the row's size.
  BitBlt(thumbs, Frame_Size * (Thumb_Slots / 2 - Cur_Frame), 0, Anim_Strip);
  BitBlt(Working_Frame, -Frame_Size * Cur_Frame, 0, Anim_Strip);
  Anim_History.Rebase(*this);
  Redraw_Zoom();
}

void TTolvane::Show_Counter() {
  Controls.Label2.Caption =
      "Frame " + std::to_string(Cur_Frame + 1) + " of " + std::to_string(Frame_Total);
  if (const int ms = Frame_Duration(Cur_Frame); ms != Follow_Speed)
    Controls.Label2.Caption += " \u00b7 " + std::to_string(ms) + " ms";
  Controls.Frames_Timed.assign(std::size_t(std::max(Thumb_Slots, 0)), false);
  for (int k = 0; k < Thumb_Slots; ++k)
    Controls.Frames_Timed[std::size_t(k)] =
        Frame_Duration(Cur_Frame - Thumb_Slots / 2 + k) != Follow_Speed;
  // The view marks the slots when the thumbnails repaint.
  Controls.Frames.Picture.Touch();
}

void TTolvane::Show_Working_Thumb() {
  BitBlt(Controls.Frames.Picture, Frame_Size * (Thumb_Slots / 2), 0, Working_Frame);
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

void TTolvane::Layout_Frame_Views() {
  // Everything that allocates comes first: when an image cannot be had,
  // the window and its images stay as they were.
  const int slots = Frame_Size > 64 ? 3 : 5;
  auto undo = Resized(Undo_Frame, Frame_Size, Frame_Size);
  auto sel = Resized(Selection.Background(), Frame_Size, Frame_Size);
  auto buffer = Resized(Frame_Buffer, Frame_Size, Frame_Size);
  auto thumbs = Resized(Controls.Frames.Picture, Frame_Size * slots, Frame_Size);
  auto working = Resized(Working_Frame, Frame_Size, Frame_Size);
  Take(Undo_Frame, undo);
  if (sel) Selection.Take_Background(std::move(*sel));
  Take(Frame_Buffer, buffer);
  Take(Controls.Frames.Picture, thumbs);
  Take(Working_Frame, working);

  Thumb_Slots = slots;
  // The frame row is placed at the window's minimum and then stretched out
  // again, for the new minimum. The factor fills the view as it is at the
  // minimum; frames taller than it show at 1:1.
  Unstretch_Window();
  View.Fit(Frame_Size, std::min(View.Width(), View.Height()));
  Place_Frame_Views(*this);
  Min_Client_Width = Window.Width;
  Min_Client_Height = Window.Height;
  Stretch_Window();
}

std::string TTolvane::Check_Invariants() const {
  std::string wrong = Editing_State::Check_Invariants();
  const Raster_Image& background = Selection.Background();
  if (wrong.empty() && (background.Width() != Frame_Size || background.Height() != Frame_Size))
    wrong = "the selection's background is not Frame_Size square";
  return wrong;
}

namespace {

void Go_To(TTolvane& t, int frame) {
  if (!t.Document_Open()) return;
  t.Drop_Selection();
  t.Commit_Frame();
  t.Cur_Frame = std::clamp(frame, 0, t.Frame_Total - 1);
  t.Frame_Edited = false;
  t.Show_Frame();
  t.Undo_Available = false;
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
  Step_Scope step(*this, "Resize");
  Commit_Frame();
  // A failed resize or layout leaves the strip and its size as they were.
  const bool done = Run_Command(P, [&] {
    Resize_Strip(
        *this, form.New_Frame_Size, Mount_Colour, form.Resize_Method,
        [this] { P.Process_Messages(); }, [this] { Layout_Frame_Views(); });
  });
  Show_Frame();
  Frame_Edited = false;
  Undo_Available = false;
  if (done) Anim_Modified = true;
  Update_Zoom_Range();
}

}  // namespace tolvane
