#include "editor/tools.h"

#include <algorithm>
#include <utility>

namespace tolvane {

// The working frame's pixel, never the view's, which may show the grid or the
// onion skin over it.
void Stroke::Pick_Colour(int x, int y) {
  Doc.Selected_Colour1 = Doc.Working_Frame.GetPixel(x, y);
  Host.Paint_Selected1();
}

namespace {

// The pencil joins each point of a stroke to the one before with the raster
// line, which paints its start but not its end, then paints the end: a quick
// stroke leaves no gaps, however few moves the pointer reports. The previous
// point is the working frame's current position.
struct Pencil : Drawing_Tool {
  void Press(Stroke& s) const override {
    s.Doc.Working_Frame.MoveToEx(s.X, s.Y);
    s.Doc.Working_Frame.SetPixel(s.X, s.Y, s.Doc.Selected_Colour1);
    s.Host.Redraw_Zoom();
  }
  void Move(Stroke& s) const override {
    Raster_Image& frame = s.Doc.Working_Frame;
    const Colour pen = frame.Pen_Colour;
    frame.Pen_Colour = s.Doc.Selected_Colour1;
    frame.LineTo(s.X, s.Y);
    frame.Pen_Colour = pen;
    frame.SetPixel(s.X, s.Y, s.Doc.Selected_Colour1);
  }
  // A click without a drag (a right click) paints in the second colour.
  void Release(Stroke& s) const override {
    s.Doc.Working_Frame.SetPixel(s.X, s.Y,
                                 s.Dragged ? s.Doc.Selected_Colour1 : s.Doc.Selected_Colour2);
    s.Host.Redraw_Zoom();
  }
};

// The rectangle from corner to corner with both corner pixels in it.
Rect Spanned(int x1, int y1, int x2, int y2) {
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
}

// The shapes cover the press pixel and the pointer's, whichever way the drag
// runs, so a click draws the one pixel under it. They are drawn into the
// working frame itself, over the undo copy laid back at every move: the shape
// left at the release is the last move's.
struct Shape : Drawing_Tool {
  void Press(Stroke& s) const override {
    Move(s);
    s.Host.Redraw_Zoom();
  }
  void Move(Stroke& s) const override {
    BitBlt(s.Doc.Working_Frame, 0, 0, s.Doc.Undo_Frame);
    // A pointer beyond the edge stands on the last pixel: the shape reaches
    // the edge and no further.
    const int last = s.Doc.Frame_Size - 1;
    Draw(s.Doc.Working_Frame, s.Anchor_X, s.Anchor_Y, std::min(s.X, last), std::min(s.Y, last));
  }
  virtual void Draw(Raster_Image& frame, int x1, int y1, int x2, int y2) const = 0;
};

struct Filled_Rect : Shape {
  void Draw(Raster_Image& frame, int x1, int y1, int x2, int y2) const override {
    frame.FillRect(Spanned(x1, y1, x2, y2));
  }
};

struct Outline_Rect : Shape {
  void Draw(Raster_Image& frame, int x1, int y1, int x2, int y2) const override {
    frame.FrameRect(Spanned(x1, y1, x2, y2));
  }
};

struct Line : Shape {
  // The raster line leaves out its end; the end is painted after it.
  void Draw(Raster_Image& frame, int x1, int y1, int x2, int y2) const override {
    frame.MoveToEx(x1, y1);
    frame.LineTo(x2, y2);
    frame.SetPixel(x2, y2, frame.Pen_Colour);
  }
};

struct Filled_Ellipse : Shape {
  void Draw(Raster_Image& frame, int x1, int y1, int x2, int y2) const override {
    const Rect r = Spanned(x1, y1, x2, y2);
    frame.Ellipse(r.Left, r.Top, r.Right, r.Bottom);
  }
};

struct Fill : Drawing_Tool {
  // At the release point; outside the frame it fills nothing.
  void Release(Stroke& s) const override {
    Raster_Image& frame = s.Doc.Working_Frame;
    frame.ExtFloodFill(s.X, s.Y, frame.GetPixel(s.X, s.Y));
    s.Host.Redraw_Zoom();
  }
};

struct Syringe : Drawing_Tool {
  void Press(Stroke& s) const override { s.Pick_Colour(s.X, s.Y); }
  // Beyond the right or bottom edge this reads No_Colour (0xFFFFFFFF). The
  // variable keeps that value; drawing with it or showing it gives white,
  // since images store only the low 24 bits.
  void Move(Stroke& s) const override { s.Pick_Colour(s.X, s.Y); }
};

struct Select : Drawing_Tool {
  bool Draws() const override { return false; }
  void Press(Stroke& s) const override { s.Selection.Band_Press(s.View_X, s.View_Y); }
  void Move(Stroke& s) const override { s.Selection.Band_Move(s.View_X, s.View_Y); }
  // Only a band that was pressed makes a selection: after a right or Ctrl
  // press the corners still describe the floating selection, and lifting
  // that again would fill its background.
  void Release(Stroke& s) const override {
    if (s.Dragged && s.Selection.Lift()) s.Host.Redraw_Zoom();
  }
};

}  // namespace

const Drawing_Tool& Tool_For(int kind) {
  static const Pencil pencil;
  static const Filled_Rect filled_rect;
  static const Outline_Rect outline_rect;
  static const Line line;
  static const Fill fill;
  static const Select select;
  static const Filled_Ellipse filled_ellipse;
  static const Syringe syringe;
  // In the order of the Cur_Tool values, Tool_Pencil first.
  static const Drawing_Tool* const tools[] = {&pencil, &filled_rect, &outline_rect,   &line,
                                              &fill,   &select,      &filled_ellipse, &syringe};
  return kind >= Tool_Pencil && kind <= Tool_Syringe ? *tools[kind - Tool_Pencil] : pencil;
}

const char* Tool_Name(int kind) {
  static const char* const names[] = {"Pencil", "Filled Rectangle", "Outline Rectangle", "Line",
                                      "Fill",   "Select",           "Filled Ellipse",    "Syringe"};
  return kind >= Tool_Pencil && kind <= Tool_Syringe ? names[kind - Tool_Pencil] : names[0];
}

Stroke Zoom_Mouse::At(int x, int y, int fx, int fy) {
  return {doc_, selection_, host_, anchor_x_, anchor_y_, fx, fy, x, y, dragging_};
}

void Zoom_Mouse::Press(Mouse_Button button, unsigned shift, int x, int y) {
  if (shift & ss_Ctrl) {
    // The frame's pixel under the pointer; the backdrop beyond the frame
    // holds no colour of the frame, so nothing is picked there.
    const int fx = view_.Frame_X(x), fy = view_.Frame_Y(y);
    const Raster_Image& frame = doc_.Working_Frame;
    if (fx >= 0 && fy >= 0 && fx < frame.Width() && fy < frame.Height())
      At(x, y, fx, fy).Pick_Colour(fx, fy);
    return;
  }
  if (button == Mouse_Button::Right) {
    Swap_Colours();
    return;
  }
  Begin_Stroke(x, y);
}

void Zoom_Mouse::Swap_Colours() {
  std::swap(doc_.Selected_Colour1, doc_.Selected_Colour2);
  host_.Paint_Selected2();
  host_.Paint_Selected1();
}

void Zoom_Mouse::Begin_Stroke(int x, int y) {
  const Drawing_Tool& tool = Tool_For(doc_.Cur_Tool);
  // A stroke is one step of the history, from the press to the release.
  doc_.Anim_History.Record_Pending(doc_);
  doc_.Anim_History.Name_Edit(Tool_Name(doc_.Cur_Tool));
  dragging_ = true;
  if (tool.Draws()) {
    doc_.Anim_Modified = true;
    doc_.Frame_Edited = true;
  }
  host_.Take_Undo_Copy();
  anchor_x_ = view_.Frame_X(x);
  anchor_y_ = view_.Frame_Y(y);
  doc_.Working_Frame.Fill_Colour = doc_.Selected_Colour1;
  doc_.Working_Frame.Pen_Colour = doc_.Selected_Colour1;
  // The tools act at the press as at a move, on the point clamped as a
  // move's would be, except that a press before the frame's first column or
  // row (the backdrop around a centred frame) stays outside it.
  Stroke s = At(x, y, std::clamp(anchor_x_, -1, doc_.Frame_Size),
                std::clamp(anchor_y_, -1, doc_.Frame_Size));
  tool.Press(s);
}

void Zoom_Mouse::Move(unsigned shift, int x, int y) {
  if (!dragging_ || (shift & ss_Ctrl)) return;
  // One beyond the last pixel is allowed so that shapes can reach the edge.
  Stroke s = At(x, y, std::clamp(view_.Frame_X(x), 0, doc_.Frame_Size),
                std::clamp(view_.Frame_Y(y), 0, doc_.Frame_Size));
  Tool_For(doc_.Cur_Tool).Move(s);
  host_.Redraw_Zoom();
}

void Zoom_Mouse::Release(unsigned shift, int x, int y) {
  if (std::exchange(stop_only_, false)) return;
  // A release with Ctrl keeps the drag running.
  if (shift & ss_Ctrl) return;
  End_Stroke(x, y);
}

void Zoom_Mouse::End_Stroke(int x, int y) {
  const Drawing_Tool& tool = Tool_For(doc_.Cur_Tool);
  Stroke s = At(x, y, view_.Frame_X(x), view_.Frame_Y(y));
  const auto before = doc_.Working_Frame.Serial();
  // The drag ends first, so that a failure to lift a selection leaves no
  // band running.
  dragging_ = false;
  tool.Release(s);
  // A right click with the pencil or the fill tool changes the frame without
  // a drawing press; mark it edited so that the next commit keeps the change.
  if (tool.Draws() && doc_.Working_Frame.Serial() != before && host_.Document_Open()) {
    doc_.Anim_Modified = true;
    doc_.Frame_Edited = true;
  }
  doc_.Anim_History.Record_Edit(doc_, Tool_Name(doc_.Cur_Tool));
}

}  // namespace tolvane
