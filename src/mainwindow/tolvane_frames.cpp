#include "image/raster_image.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

// Add, Insert and Delete move whole rows of the strip at once (Set_Size and
// Copy_Rect copy row by row with memcpy/memmove), so their cost is a few
// passes over the strip's memory whatever its length.

namespace {

// Add and Insert keep the working frame's changes and then grow the strip by
// one frame. Widening comes first: if the strip cannot grow, the document is
// left as it was.
void Commit_And_Widen(TTolvane& t) {
  t.Anim_Strip.Set_Width(t.Frame_Left(t.Frame_Total + 1));
  ++t.Frame_Total;
  t.Commit_Frame();
  t.Frame_Edited = false;
  t.Undo1.Enabled = false;
  t.Anim_Modified = true;
}

}  // namespace

void TTolvane::Add1Click() {
  Stop_Playback();
  Run_Command(P, [&] { Commit_And_Widen(*this); });
  Show_Frame();
  Section1.Enabled = true;
}

void TTolvane::Insert1Click() {
  Stop_Playback();
  // The current frame moves one place on; its selection goes with it.
  Set_Tool(Cur_Tool);
  Run_Command(P, [&] {
    Commit_And_Widen(*this);
    const int left = Frame_Left(Cur_Frame), width = Anim_Strip.Width();
    Copy_Rect(Anim_Strip, {left + Frame_Size, 0, width, Frame_Size}, Anim_Strip,
              {left, 0, width - Frame_Size, Frame_Size});
    Anim_Strip.Fill_Colour = Selected_Colour2;
    Anim_Strip.FillRect({left, 0, left + Frame_Size, Frame_Size});
  });
  Show_Frame();
}

void TTolvane::Delete1Click() {
  // The question names the frame the counter and the zoom view show.
  Stop_Playback();
  if (Frame_Total == 1) {
    P.Show_Message_Box("Animation must have at least one frame in it!", Msg_Kind::Warning, mb_OK);
    return;
  }
  if (P.Show_Message_Box("Are you sure that you want to delete this frame?", Msg_Kind::Warning,
                         mb_Yes | mb_No) == id_No)
    return;
  // The selection's images belong to the frame being deleted.
  Set_Tool(Cur_Tool);
  const bool removed = Run_Command(P, [&] {
    // Shift the following frames left over the deleted one, then cut the
    // strip's last frame off: both in place, no second strip.
    const int left = Frame_Left(Cur_Frame), width = Anim_Strip.Width();
    Copy_Rect(Anim_Strip, {left, 0, width - Frame_Size, Frame_Size}, Anim_Strip,
              {left + Frame_Size, 0, width, Frame_Size});
    Anim_Strip.Set_Width(width - Frame_Size);
    --Frame_Total;
  });
  if (!removed) return;  // the strip could not be rebuilt: nothing changed
  Anim_Modified = true;
  if (Cur_Frame > Frame_Total - 1) Cur_Frame = Frame_Total - 1;
  Frame_Edited = false;
  Undo1.Enabled = false;
  Show_Frame();
  if (Section_End > Frame_Total - 1) {
    Section_End = Frame_Total - 1;
    if (Section_Start > Frame_Total - 1) Section_Start = Frame_Total - 1;
    Show_Section();
  }
  Section1.Enabled = Frame_Total > 1;
}

// Clear and Paste (From Buffer) drop a floating selection first: a later drag,
// nudge or flip would rebuild the frame from the selection's old background.
void TTolvane::Clear1Click() {
  Stop_Playback();
  Set_Tool(Cur_Tool);
  Anim_Modified = true;
  Frame_Edited = true;
  Take_Undo_Copy();
  Working_Frame.Fill_Colour = Selected_Colour2;
  Working_Frame.Pen_Colour = Selected_Colour2;
  Working_Frame.FillRect({0, 0, Working_Frame.Width(), Working_Frame.Height()});
  Redraw_Zoom();
}

void TTolvane::Copy1Click() {
  BitBlt(Frame_Buffer, 0, 0, Working_Frame);
  Paste1.Enabled = true;
}

void TTolvane::Paste1Click() {
  Stop_Playback();
  Set_Tool(Cur_Tool);
  Anim_Modified = true;
  Frame_Edited = true;
  Take_Undo_Copy();
  BitBlt(Working_Frame, 0, 0, Frame_Buffer);
  Redraw_Zoom();
}

}  // namespace tolvane
