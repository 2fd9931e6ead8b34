#include <algorithm>
#include <string>

#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

// Step Backward and Step Forward: the document as it was before, or after,
// the change of the step, on the frame it was made on.
void Take_Step(TTolvane& t, bool back) {
  History& h = t.Anim_History;
  if (!t.Document_Open()) return;
  t.Stop_Playback();
  // A drag keeps drawing over the picture it started on: steps wait for it.
  if (t.Mouse.Dragging() || t.Selection.Dragging()) return;
  t.Drop_Selection();
  // The strip becomes the whole document, and any change not yet recorded a
  // step of its own.
  t.Commit_Frame();
  if (back ? !h.Can_Back() : !h.Can_Forward()) return;
  const int old_size = t.Frame_Size, old_total = t.Frame_Total;
  const auto lay_out = [&t, old_size] {
    if (t.Frame_Size != old_size) t.Layout_Frame_Views();
  };
  if (!Run_Command(t.P, [&] { back ? h.Back(t, lay_out) : h.Forward(t, lay_out); })) return;
  t.Frame_Edited = false;
  // The undo copy belongs to a picture the step replaced.
  t.Undo_Available = false;
  t.Show_Frame();
  if (t.Frame_Size != old_size) t.Update_Zoom_Range();
  // The section stays within the strip, as after Delete.
  if (t.Section_End > t.Frame_Total - 1) {
    t.Section_End = t.Frame_Total - 1;
    t.Section_Start = std::min(t.Section_Start, t.Frame_Total - 1);
    t.Show_Section();
  }
  if (t.Frame_Total != old_total) t.Sections_Offered = t.Frame_Total > 1;
  t.Anim_Modified = !h.At_Saved();
}

}  // namespace

void TTolvane::StepBackward1Click() { Take_Step(*this, true); }

void TTolvane::StepForward1Click() { Take_Step(*this, false); }

void TTolvane::Tell_History_Cut() {
  if (History_Cut_Told || !Anim_History.Was_Cut()) return;
  History_Cut_Told = true;
  P.Show_Message_Box("The history of changes has reached its limit of " +
                         std::to_string(Anim_History.Cap() >> 20) +
                         " MB, so its oldest steps were dropped: Step Backward cannot go back to "
                         "them. The limit is HistoryMB in the [Edit] section of the settings "
                         "file.",
                     Msg_Kind::Information, mb_OK);
}

}  // namespace tolvane
