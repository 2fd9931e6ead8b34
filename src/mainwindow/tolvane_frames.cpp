#include "document/strip_edit.h"
#include "image/raster_image.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

// Add, Insert and Delete move whole rows of the strip at once (Set_Size and
// Copy_Rect copy row by row with memcpy/memmove), so their cost is a few
// passes over the strip's memory whatever its length.

namespace {

// Add and Insert keep the working frame's changes: they are committed before
// the edit, so that they move on with their frame. The flags change once the
// strip has.
template <class Edit>
void Commit_And_Edit(TTolvane& t, Edit edit) {
  t.Commit_Frame();
  edit();
  t.Frame_Edited = false;
  t.Undo_Available = false;
  t.Anim_Modified = true;
}

}  // namespace

void TTolvane::Add1Click() {
  Stop_Playback();
  Step_Scope step(*this, "Add");
  const bool whole = Section_Whole();
  Run_Command(P, [&] { Commit_And_Edit(*this, [&] { Append_Blank_Frame(*this); }); });
  Show_Frame();
  Keep_Section_Whole(whole);
  Sections_Offered = true;
}

void TTolvane::Insert1Click() {
  Stop_Playback();
  // The current frame moves one place on; its selection goes with it.
  Drop_Selection();
  Step_Scope step(*this, "Insert");
  const bool whole = Section_Whole();
  Run_Command(P, [&] {
    Commit_And_Edit(*this, [&] { Insert_Blank_Frame(*this, Cur_Frame, Selected_Colour2); });
  });
  Show_Frame();
  Keep_Section_Whole(whole);
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
  Drop_Selection();
  Step_Scope step(*this, "Delete");
  // The step keeps the frame as the document holds it. Writing the working
  // frame into a frame that goes changes nothing else.
  Commit_Frame();
  // The strip could not be rebuilt: nothing changed.
  if (!Run_Command(P, [&] { Remove_Frame(*this, Cur_Frame); })) return;
  Anim_Modified = true;
  if (Cur_Frame > Frame_Total - 1) Cur_Frame = Frame_Total - 1;
  Frame_Edited = false;
  Undo_Available = false;
  Show_Frame();
  if (Section_End > Frame_Total - 1) {
    Section_End = Frame_Total - 1;
    if (Section_Start > Frame_Total - 1) Section_Start = Frame_Total - 1;
    Show_Section();
  }
  Sections_Offered = Frame_Total > 1;
}

// Clear and Paste (From Buffer) drop a floating selection first: a later drag,
// nudge or flip would rebuild the frame from the selection's old background.
void TTolvane::Clear1Click() {
  Frame_Edit_Scope step(*this, "Clear");
  Stop_Playback();
  Drop_Selection();
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
  Buffer_Ms = Frame_Duration(Cur_Frame);
  Buffer_Filled = true;
}

void TTolvane::Paste1Click() {
  // The frame's duration comes with its pixels, in the same step.
  Step_Scope whole(*this, "Paste (From Buffer)");
  Frame_Edit_Scope step(*this, "Paste (From Buffer)");
  Stop_Playback();
  Drop_Selection();
  Anim_Modified = true;
  Frame_Edited = true;
  Take_Undo_Copy();
  BitBlt(Working_Frame, 0, 0, Frame_Buffer);
  if (Frame_Duration(Cur_Frame) != Buffer_Ms) {
    Set_Durations(*this, Cur_Frame, Cur_Frame, Buffer_Ms);
    Show_Counter();
  }
  Redraw_Zoom();
}

}  // namespace tolvane
