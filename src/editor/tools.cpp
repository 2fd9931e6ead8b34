#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "mainwindow/tolvane.h"

namespace tolvane {

void TTolvane::Set_Tool(int n) {
  Cur_Tool = n;
  // Hiding the selection overlay means parking it far to the right.
  Select_Marker.B.Left = 10 * Client_Width();
  Select_Image.B.Left = 10 * Client_Width();
}

Speed_Button& TTolvane::Tool_Button(int n) {
  switch (n) {
    case 1:
      return Tool1;
    case 2:
      return Tool2;
    case 3:
      return Tool3;
    case 4:
      return Tool4;
    case 5:
      return Tool5;
    case 6:
      return Tool6;
    case 7:
      return Tool7;
    case 8:
      return Tool8;
  }
  throw std::out_of_range("no tool button " + std::to_string(n));
}

namespace {

// The tool buttons form one exclusive group: exactly one is down.
void Put_Down(TTolvane& t, int n) {
  for (int i = 1; i <= 8; ++i) t.Tool_Button(i).Down = i == n;
}

}  // namespace

void TTolvane::Tool1Click() {
  Put_Down(*this, Tool_Pencil);
  Set_Tool(Tool_Pencil);
}
void TTolvane::Tool2Click() {
  Put_Down(*this, Tool_Filled_Rect);
  Set_Tool(Tool_Filled_Rect);
}
void TTolvane::Tool3Click() {
  Put_Down(*this, Tool_Outline_Rect);
  Set_Tool(Tool_Outline_Rect);
}
void TTolvane::Tool4Click() {
  Put_Down(*this, Tool_Line);
  Set_Tool(Tool_Line);
}
void TTolvane::Tool5Click() {
  Put_Down(*this, Tool_Fill);
  Set_Tool(Tool_Fill);
}
void TTolvane::Tool6Click() {
  Put_Down(*this, Tool_Select);
  Set_Tool(Tool_Select);
}
void TTolvane::Tool7Click() {
  Put_Down(*this, Tool_Filled_Ellipse);
  Set_Tool(Tool_Filled_Ellipse);
}
void TTolvane::Tool8Click() {
  Put_Down(*this, Tool_Syringe);
  Set_Tool(Tool_Syringe);
}

namespace {

// View pixel to frame pixel. Integer division truncates toward zero, so the
// first -(factor-1)..-1 view pixels left of the view still give the first
// shown column.
int View_To_Frame(int v, int factor, int scroll) { return v / std::max(1, factor) + scroll; }

// The syringe: the working frame's pixel, never the view's, which may show the
// grid or the onion skin over it.
void Pick_Colour(TTolvane& t, int x, int y) {
  t.Selected_Colour1 = t.Working_Frame.GetPixel(x, y);
  t.Paint_Selected1();
}

// The pencil joins each point of a stroke to the one before with the raster
// line, which paints its start but not its end, then paints the end: a quick
// stroke leaves no gaps, however few moves the pointer reports. The previous
// point is the working frame's current position.
void Pencil_To(Raster_Image& frame, int x, int y, Colour c) {
  const Colour pen = frame.Pen_Colour;
  frame.Pen_Colour = c;
  frame.LineTo(x, y);
  frame.Pen_Colour = pen;
  frame.SetPixel(x, y, c);
}

}  // namespace

void TTolvane::ZoomMouseDown(Mouse_Button button, unsigned shift, int x, int y) {
  // The next tick would overwrite the stroke: it goes into the frame shown
  // once playback has stopped.
  Stop_Playback();
  if (!Document_Open()) return;

  if (shift & ss_Ctrl) {
    // The frame's pixel under the pointer; the backdrop beyond the frame
    // holds no colour of the frame, so nothing is picked there.
    const int fx = View_To_Frame(x, Zoom_Factor, ZH.Position);
    const int fy = View_To_Frame(y, Zoom_Factor, ZV.Position);
    if (fx >= 0 && fy >= 0 && fx < Working_Frame.Width() && fy < Working_Frame.Height())
      Pick_Colour(*this, fx, fy);
    return;
  }

  if (button == Mouse_Button::Right) {
    std::swap(Selected_Colour1, Selected_Colour2);
    Paint_Selected2();
    Paint_Selected1();
    return;
  }

  Zoom_Drag = true;
  if (Cur_Tool != Tool_Select) {
    Anim_Modified = true;
    Frame_Edited = true;
  }
  Take_Undo_Copy();
  Drag_X1 = View_To_Frame(x, Zoom_Factor, ZH.Position);
  Drag_Y1 = View_To_Frame(y, Zoom_Factor, ZV.Position);
  Working_Frame.Fill_Colour = Selected_Colour1;
  Working_Frame.Pen_Colour = Selected_Colour1;
  // The pencil and the syringe act at the press as at a move, on the point
  // clamped as a move's would be.
  const int cx = std::clamp(Drag_X1, 0, Frame_Size), cy = std::clamp(Drag_Y1, 0, Frame_Size);
  switch (Cur_Tool) {
    case Tool_Select:
      Select_Band_Press(x, y);
      break;
    case Tool_Pencil:
      Working_Frame.MoveToEx(cx, cy);
      Working_Frame.SetPixel(cx, cy, Selected_Colour1);
      Redraw_Zoom();
      break;
    case Tool_Syringe:
      Pick_Colour(*this, cx, cy);
      break;
    default:  // the shapes start at the first move, the fill at the release
      break;
  }
}

void TTolvane::ZoomMouseMove(unsigned shift, int x, int y) {
  if (!Zoom_Drag || (shift & ss_Ctrl)) return;

  // One beyond the last pixel is allowed so that shapes can reach the edge.
  const int cx = std::clamp(View_To_Frame(x, Zoom_Factor, ZH.Position), 0, Frame_Size);
  const int cy = std::clamp(View_To_Frame(y, Zoom_Factor, ZV.Position), 0, Frame_Size);

  switch (Cur_Tool) {
    case Tool_Pencil:
      Pencil_To(Working_Frame, cx, cy, Selected_Colour1);
      break;
    case Tool_Filled_Rect:
      // Unsorted corners: the press pixel is always in, the pointer's row and
      // column always out, whichever way the drag runs.
      BitBlt(Working_Frame, 0, 0, Undo_Frame);
      Working_Frame.FillRect({Drag_X1, Drag_Y1, cx, cy});
      break;
    case Tool_Outline_Rect:
      BitBlt(Working_Frame, 0, 0, Undo_Frame);
      Working_Frame.FrameRect({std::min(Drag_X1, cx), std::min(Drag_Y1, cy), std::max(Drag_X1, cx),
                               std::max(Drag_Y1, cy)});
      break;
    case Tool_Line:
      BitBlt(Working_Frame, 0, 0, Undo_Frame);
      Working_Frame.MoveToEx(Drag_X1, Drag_Y1);
      Working_Frame.LineTo(cx, cy);
      break;
    case Tool_Filled_Ellipse:
      BitBlt(Working_Frame, 0, 0, Undo_Frame);
      Working_Frame.Ellipse(Drag_X1, Drag_Y1, cx, cy);
      break;
    case Tool_Syringe:
      // Beyond the right or bottom edge this reads No_Colour (0xFFFFFFFF). The
      // variable keeps that value; drawing with it or showing it gives white,
      // since images store only the low 24 bits.
      Pick_Colour(*this, cx, cy);
      break;
    case Tool_Select:
      Select_Band_Move(x, y);
      break;
    default:  // fill acts at the release
      break;
  }
  Redraw_Zoom();
}

void TTolvane::ZoomMouseUp(Mouse_Button, unsigned shift, int x, int y) {
  // A release with Ctrl keeps the drag running.
  if (shift & ss_Ctrl) return;

  const int fx = View_To_Frame(x, Zoom_Factor, ZH.Position);
  const int fy = View_To_Frame(y, Zoom_Factor, ZV.Position);
  const auto before = Working_Frame.Serial();

  switch (Cur_Tool) {
    case Tool_Fill: {
      const Colour c = Working_Frame.GetPixel(fx, fy);
      Working_Frame.ExtFloodFill(fx, fy, c);
      Redraw_Zoom();
      break;
    }
    case Tool_Pencil:
      // A click without a drag (a right click) paints in the second colour.
      Working_Frame.SetPixel(fx, fy, Zoom_Drag ? Selected_Colour1 : Selected_Colour2);
      Redraw_Zoom();
      break;
    case Tool_Select:
      // Only a band that was pressed makes a selection: after a right or
      // Ctrl press the corners still describe the floating selection, and
      // lifting that again would fill its background.
      // The drag ends first, so that a failure to lift leaves no band running.
      if (Zoom_Drag) {
        Zoom_Drag = false;
        Select_Band_Release();
      }
      break;
    default:
      break;
  }

  // A right click with the pencil or the fill tool changes the frame without a
  // drawing press; mark it edited so that the next commit keeps the change.
  // Lifting a selection leaves the picture as it was and the flags with it.
  if (Cur_Tool != Tool_Select && Working_Frame.Serial() != before && Document_Open()) {
    Anim_Modified = true;
    Frame_Edited = true;
  }
  Zoom_Drag = false;
}

}  // namespace tolvane
