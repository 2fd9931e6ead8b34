#include "editor/transform.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

void TTolvane::Take_Undo_Copy() {
  BitBlt(Undo_Frame, 0, 0, Working_Frame);
  Undo_Available = true;
}

bool TTolvane::Selection_Mode() const { return Cur_Tool == Tool_Select && Selection.Shown(); }

void TTolvane::Undo1Click() {
  // The copy is on offer only for the frame it was taken of.
  if (!Document_Open() || !Undo_Available) return;
  Frame_Edit_Scope step(*this, "Undo");
  Stop_Playback();
  Drop_Selection();
  BitBlt(Working_Frame, 0, 0, Undo_Frame);
  // Save clears Frame_Edited but leaves Undo on offer: the restored picture
  // must count as a change, or the next Save or frame change would drop it.
  Anim_Modified = true;
  Frame_Edited = true;
  Redraw_Zoom();
  Undo_Available = false;
}

namespace {

// Nudge and flip share one shape: the whole frame goes through the undo copy,
// a floating selection through its scratch image and is then laid back on
// its background.
template <class Op>
void Transform(TTolvane& t, const char* name, Op op) {
  Frame_Edit_Scope step(t, name);
  t.Stop_Playback();
  t.Anim_Modified = true;
  t.Frame_Edited = true;
  if (t.Selection_Mode()) {
    t.Selection.Transform(op);
  } else {
    t.Take_Undo_Copy();
    op(t.Working_Frame, t.Undo_Frame);
  }
  t.Redraw_Zoom();
}

}  // namespace

// The nudge buttons stay enabled without a document; with none open there is
// nothing to change, and marking it modified would ask to save a non-document.
void TTolvane::Nudge1Click() {
  if (!Document_Open()) return;
  Transform(*this, "Nudge Left",
            [](Raster_Image& d, const Raster_Image& s) { Wrap_Shift(d, s, Nudge::Left); });
}

void TTolvane::Nudge2Click() {
  if (!Document_Open()) return;
  Transform(*this, "Nudge Right",
            [](Raster_Image& d, const Raster_Image& s) { Wrap_Shift(d, s, Nudge::Right); });
}

void TTolvane::Nudge3Click() {
  if (!Document_Open()) return;
  Transform(*this, "Nudge Up",
            [](Raster_Image& d, const Raster_Image& s) { Wrap_Shift(d, s, Nudge::Up); });
}

void TTolvane::Nudge4Click() {
  if (!Document_Open()) return;
  Transform(*this, "Nudge Down",
            [](Raster_Image& d, const Raster_Image& s) { Wrap_Shift(d, s, Nudge::Down); });
}

void TTolvane::FlipHorizontal1Click() {
  if (!Document_Open()) return;
  Transform(*this, "Flip Horizontal",
            [](Raster_Image& d, const Raster_Image& s) { Mirror(d, s, true); });
}

void TTolvane::FlipVertical1Click() {
  if (!Document_Open()) return;
  Transform(*this, "Flip Vertical",
            [](Raster_Image& d, const Raster_Image& s) { Mirror(d, s, false); });
}

}  // namespace tolvane
