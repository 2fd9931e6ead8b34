#include <algorithm>
#include <string>
#include <utility>

#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

const char* const No_Image_Text = "There is not a usable image currently on the clipboard";

void Warn(TTolvane& t, const std::string& text) {
  t.P.Show_Message_Box(text, Msg_Kind::Warning, mb_OK);
}

std::string Square(int size) { return std::to_string(size) + "x" + std::to_string(size); }

// The size the clipboard reports for its picture, asked before any pixel is
// read, so that a huge picture is refused without decoding it.
bool Clipboard_Size(Platform& p, int& w, int& h) {
  w = h = 0;
  return p.Clipboard_Has_Image() && p.Clipboard_Image_Size(w, h) && w > 0 && h > 0;
}

// Every clipboard edit counts as a change and can be undone, also when it
// ends in a message.
void Begin_Clipboard_Edit(TTolvane& t) {
  t.Anim_Modified = true;
  t.Frame_Edited = true;
  t.Take_Undo_Copy();
}

}  // namespace

void TTolvane::Copy2Click() {
  if (!Document_Open()) return;
  P.Set_Clipboard_Transparent(Transparent_Colour);
  P.Clipboard_Put(Selection_Mode() ? Selection.Bitmap() : Working_Frame);
}

void TTolvane::CopyToClipboard1Click() {
  if (!Document_Open()) return;
  P.Set_Clipboard_Transparent(Transparent_Colour);
  P.Clipboard_Put(Working_Frame);
}

void TTolvane::Cut1Click() {
  if (!Document_Open()) return;
  P.Set_Clipboard_Transparent(Transparent_Colour);
  Frame_Edit_Scope step(*this, "Cut");
  Stop_Playback();
  Begin_Clipboard_Edit(*this);
  Working_Frame.Fill_Colour = Selected_Colour2;
  Working_Frame.Pen_Colour = Selected_Colour2;
  // The selection stays floating with its pixels: a later drag, nudge or flip
  // rebuilds the frame from them and brings the cut pixels back.
  if (Selection_Mode()) {
    P.Clipboard_Put(Selection.Bitmap());
    Working_Frame.FillRect(Selection.Area());
  } else {
    P.Clipboard_Put(Working_Frame);
    Working_Frame.FillRect({0, 0, Working_Frame.Width(), Working_Frame.Height()});
  }
  Redraw_Zoom();
}

void TTolvane::Paste2Click() {
  if (!Document_Open()) return;
  P.Set_Clipboard_Transparent(Transparent_Colour);
  Frame_Edit_Scope step(*this, "Paste (From Clipboard)");
  Stop_Playback();
  Drop_Selection();
  Begin_Clipboard_Edit(*this);
  const std::string too_big = "Image is bigger than frame (" + Square(Frame_Size) +
                              "). Unable to complete paste operation!";
  int w, h;
  Raster_Image picture;
  if (!Clipboard_Size(P, w, h)) {
    Warn(*this, No_Image_Text);
  } else if (w > Frame_Size || h > Frame_Size) {
    Warn(*this, too_big);
  } else if (!P.Clipboard_Get(picture) || picture.Empty()) {
    Warn(*this, No_Image_Text);  // the clipboard changed since it was asked
  } else if (picture.Width() > Frame_Size || picture.Height() > Frame_Size) {
    Warn(*this, too_big);
  } else {
    Tool6Click();
    // At the first frame pixel shown in the view, over the frame before the paste.
    Selection.Float(std::move(picture), Controls.ZH.Position, Controls.ZV.Position, Undo_Frame);
  }
  Redraw_Zoom();
}

void TTolvane::PasteFromClipboard1Click() {
  if (!Document_Open()) return;
  P.Set_Clipboard_Transparent(Transparent_Colour);
  Frame_Edit_Scope step(*this, "Paste (From Clipboard)");
  Stop_Playback();
  // A floating selection would later be laid back over the pasted frame.
  Drop_Selection();
  Begin_Clipboard_Edit(*this);
  const std::string wrong_size =
      "Frame size is not " + Square(Frame_Size) + ". Unable to complete paste!";
  int w, h;
  Raster_Image picture;
  if (!Clipboard_Size(P, w, h)) {
    Warn(*this, No_Image_Text);
  } else if (w != Frame_Size || h != Frame_Size) {
    Warn(*this, wrong_size);
  } else if (!P.Clipboard_Get(picture) || picture.Empty()) {
    Warn(*this, No_Image_Text);
  } else if (picture.Width() != Frame_Size || picture.Height() != Frame_Size) {
    Warn(*this, wrong_size);
  } else {
    BitBlt(Working_Frame, 0, 0, picture);
  }
  Redraw_Zoom();
}

}  // namespace tolvane
