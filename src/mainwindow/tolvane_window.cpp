#include <algorithm>

#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

// Moves the controls that follow the window's size by dx, dy: the zoom view
// grows by whole view pixels, the speed control stays beside it, and the
// frame row keeps to the bottom-left.
void Stretch(TTolvane& t, int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  // A hidden selection is parked ten window widths out; a wider window must
  // not bring it into sight.
  const bool hidden = !t.Selection.Shown();
  for (Control* c :
       {static_cast<Control*>(&t.Controls.Panel3), static_cast<Control*>(&t.Controls.Bevel3),
        static_cast<Control*>(&t.Controls.Zoom)}) {
    c->B.Width += dx;
    c->B.Height += dy;
  }
  t.Controls.ZH.B.Top += dy;
  t.Controls.ZH.B.Width += dx;
  t.Controls.ZV.B.Left += dx;
  t.Controls.ZV.B.Height += dy;
  for (Control* c :
       {static_cast<Control*>(&t.Controls.Play_Speed),
        static_cast<Control*>(&t.Controls.Repeat_Anim), static_cast<Control*>(&t.Controls.Label1)})
    c->B.Left += dx;
  for (Control* c :
       {static_cast<Control*>(&t.Controls.Frames), static_cast<Control*>(&t.Controls.Bevel1),
        static_cast<Control*>(&t.Controls.Bevel2), static_cast<Control*>(&t.Controls.DSP_Panel),
        static_cast<Control*>(&t.Controls.Bevel8), static_cast<Control*>(&t.Controls.Bevel9),
        static_cast<Control*>(&t.Controls.Label2), static_cast<Control*>(&t.Controls.Label3)})
    c->B.Top += dy;
  // The separator lines span the window.
  t.Controls.Bevel8.B.Width += dx;
  t.Controls.Bevel9.B.Width += dx;
  t.Window.Width += dx;
  t.Window.Height += dy;

  t.View.Set_View_Size(t.Controls.Zoom.B.Width, t.Controls.Zoom.B.Height);
  if (hidden) t.Selection.Drop();
}

}  // namespace

void TTolvane::Unstretch_Window() {
  Stretch(*this, Min_Client_Width - Window.Width, Min_Client_Height - Window.Height);
}

void TTolvane::Stretch_Window() {
  const int width = std::max(Asked_Width, Min_Client_Width);
  const int height = std::max(Asked_Height, Min_Client_Height);
  Stretch(*this, width - Window.Width, height - Window.Height);
}

void TTolvane::FormResize(int client_width, int client_height) {
  Asked_Width = client_width;
  Asked_Height = client_height;
  if (!Maximised) {
    Normal_Width = std::max(client_width, Min_Client_Width);
    Normal_Height = std::max(client_height, Min_Client_Height);
  }
  const Bounds before = Window;
  Stretch_Window();
  if (Window == before) return;
  // Before a document is open the view keeps its blank picture and the
  // factor label its "1:1".
  if (!Document_Open()) return;
  // The scroll ranges follow the view; a position cut down scrolls the view
  // and the selection over it.
  Update_Zoom_Range();
  Redraw_Zoom();
}

void TTolvane::Window_State_Change(bool maximised) { Maximised = maximised; }

}  // namespace tolvane
