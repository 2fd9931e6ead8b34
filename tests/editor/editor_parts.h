#pragma once
#include "editor/floating_selection.h"
#include "editor/tools.h"
#include "editor/zoom_view.h"

namespace tolvane::testing {

// The editor's parts on their own, without the main window: an 8 x 8 white
// frame in a view of `view` pixels (factor view / 8), nothing scrolled.
struct Editor_Parts : Editor_Host {
  explicit Editor_Parts(int view = 8) {
    Doc.Frame_Size = 8;
    Doc.Working_Frame = Raster_Image(8, 8);
    Doc.Undo_Frame = Raster_Image(8, 8);
    Window.Window.Width = 1000;
    View.Set_View_Size(view, view);
    View.Fit(8, view);
    Selection.Reset(8);
  }
  bool Document_Open() const override { return true; }
  void Take_Undo_Copy() override { BitBlt(Doc.Undo_Frame, 0, 0, Doc.Working_Frame); }
  void Redraw_Zoom() override {}
  void Paint_Selected1() override {}
  void Paint_Selected2() override {}

  Editing_State Doc;
  Image_Control Zoom;
  Scroll_Bar ZH, ZV;
  Label Factor;
  Bevel Marker;
  Control Grab;
  TForm Window;
  Zoom_View View{Zoom, ZH, ZV, Factor};
  Floating_Selection Selection{Doc.Working_Frame, View, Marker, Grab, Window};
  Zoom_Mouse Mouse{Doc, View, Selection, *this};
};

}  // namespace tolvane::testing
