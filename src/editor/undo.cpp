#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

enum class Nudge { Left, Right, Up, Down };

// Rebuilds dst (W x H, same size as src) from src moved by one pixel, the strip
// that falls off one edge re-entering at the opposite edge.
void Wrap_Shift(Raster_Image& dst, const Raster_Image& src, Nudge dir) {
  const int w = src.Width(), h = src.Height();
  if (w == 0 || h == 0) return;
  switch (dir) {
    case Nudge::Left:
      Copy_Rect(dst, {0, 0, w - 1, h}, src, {1, 0, w, h});
      Copy_Rect(dst, {w - 1, 0, w, h}, src, {0, 0, 1, h});
      break;
    case Nudge::Right:
      Copy_Rect(dst, {1, 0, w, h}, src, {0, 0, w - 1, h});
      Copy_Rect(dst, {0, 0, 1, h}, src, {w - 1, 0, w, h});
      break;
    case Nudge::Up:
      Copy_Rect(dst, {0, 0, w, h - 1}, src, {0, 1, w, h});
      Copy_Rect(dst, {0, h - 1, w, h}, src, {0, 0, w, 1});
      break;
    case Nudge::Down:
      Copy_Rect(dst, {0, 1, w, h}, src, {0, 0, w, h - 1});
      Copy_Rect(dst, {0, 0, w, 1}, src, {0, h - 1, w, h});
      break;
  }
}

// Mirrored scaled copy of src onto dst of the same size.
void Mirror(Raster_Image& dst, const Raster_Image& src, bool horizontal) {
  const int w = src.Width(), h = src.Height();
  if (w == 0 || h == 0) return;
  if (horizontal)
    StretchBlt(dst, {w - 1, 0, -1, h}, src);
  else
    StretchBlt(dst, {0, h - 1, w, -1}, src);
}

}  // namespace

void TTolvane::Take_Undo_Copy() {
  BitBlt(Undo_Frame, 0, 0, Working_Frame);
  Undo1.Enabled = true;
}

bool TTolvane::Selection_Shown() const { return Select_Marker.B.Left < Client_Width(); }

bool TTolvane::Selection_Mode() const { return Cur_Tool == Tool_Select && Selection_Shown(); }

void TTolvane::Undo1Click() {
  // The menu item acts only while enabled; a disabled copy may belong to
  // another frame or document.
  if (!Document_Open() || !Undo1.Enabled) return;
  Stop_Playback();
  Drop_Selection();
  BitBlt(Working_Frame, 0, 0, Undo_Frame);
  // Save clears Frame_Edited but leaves Undo on offer: the restored picture
  // must count as a change, or the next Save or frame change would drop it.
  Anim_Modified = true;
  Frame_Edited = true;
  Redraw_Zoom();
  Undo1.Enabled = false;
}

namespace {

// Nudge and flip share one shape: the whole frame goes through the undo copy,
// a floating selection through its scratch image and is then laid back on
// its background.
template <class Op>
void Transform(TTolvane& t, Op op) {
  t.Stop_Playback();
  t.Anim_Modified = true;
  t.Frame_Edited = true;
  if (t.Selection_Mode()) {
    if (t.Sel_Scratch.Width() != t.Sel_Bitmap.Width() ||
        t.Sel_Scratch.Height() != t.Sel_Bitmap.Height())
      t.Sel_Scratch.Set_Size(t.Sel_Bitmap.Width(), t.Sel_Bitmap.Height());
    BitBlt(t.Sel_Scratch, 0, 0, t.Sel_Bitmap);
    op(t.Sel_Bitmap, t.Sel_Scratch);
    BitBlt(t.Working_Frame, 0, 0, t.Sel_Background);
    BitBlt(t.Working_Frame, t.Drag_X1, t.Drag_Y1, t.Sel_Bitmap);
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
  Transform(*this, [](Raster_Image& d, const Raster_Image& s) { Wrap_Shift(d, s, Nudge::Left); });
}

void TTolvane::Nudge2Click() {
  if (!Document_Open()) return;
  Transform(*this, [](Raster_Image& d, const Raster_Image& s) { Wrap_Shift(d, s, Nudge::Right); });
}

void TTolvane::Nudge3Click() {
  if (!Document_Open()) return;
  Transform(*this, [](Raster_Image& d, const Raster_Image& s) { Wrap_Shift(d, s, Nudge::Up); });
}

void TTolvane::Nudge4Click() {
  if (!Document_Open()) return;
  Transform(*this, [](Raster_Image& d, const Raster_Image& s) { Wrap_Shift(d, s, Nudge::Down); });
}

void TTolvane::FlipHorizontal1Click() {
  if (!Document_Open()) return;
  Transform(*this, [](Raster_Image& d, const Raster_Image& s) { Mirror(d, s, true); });
}

void TTolvane::FlipVertical1Click() {
  if (!Document_Open()) return;
  Transform(*this, [](Raster_Image& d, const Raster_Image& s) { Mirror(d, s, false); });
}

}  // namespace tolvane
