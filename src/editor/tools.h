#pragma once
#include "document/editing_state.h"
#include "editor/floating_selection.h"
#include "editor/zoom_view.h"
#include "platform/controls.h"

namespace tolvane {

// What the editor's mechanisms ask of the window they work in.
class Editor_Host {
 public:
  virtual bool Document_Open() const = 0;
  // Copies the working frame into Undo_Frame and offers Undo.
  virtual void Take_Undo_Copy() = 0;
  virtual void Redraw_Zoom() = 0;
  // Repaint the swatch of the first or the second drawing colour.
  virtual void Paint_Selected1() = 0;
  virtual void Paint_Selected2() = 0;

 protected:
  ~Editor_Host() = default;
};

// One event of a stroke as a tool sees it.
struct Stroke {
  Editing_State& Doc;
  Floating_Selection& Selection;
  Editor_Host& Host;
  int Anchor_X, Anchor_Y;  // the frame pixel of the press, not clamped
  int X, Y;                // the frame pixel now: clamped to 0..Frame_Size while moving
  int View_X, View_Y;      // the point in view pixels
  bool Dragged;            // at the release: whether a drawing press began the stroke

  // Selected_Colour1 becomes the working frame's pixel at (x, y).
  void Pick_Colour(int x, int y);
};

// A drawing tool: what it does at the press, at each move and at the release
// of a stroke. The shared protocol (Zoom_Mouse) takes the undo copy, sets the
// flags and colours and redraws after each move.
class Drawing_Tool {
 public:
  virtual ~Drawing_Tool() = default;
  // False for the select tool, whose press and release leave the picture
  // and the flags as they were.
  virtual bool Draws() const { return true; }
  virtual void Press(Stroke&) const {}
  virtual void Move(Stroke&) const {}
  virtual void Release(Stroke&) const {}
};

// The tool a Cur_Tool value names (Tool_Pencil .. Tool_Syringe); the pencil
// for any other value.
const Drawing_Tool& Tool_For(int kind);
// Its name, which its strokes' steps in the history take.
const char* Tool_Name(int kind);

// The zoom view's mouse protocol, the same for every tool. A stroke begins at
// a drawing press (left or middle button) and ends at the next release
// without Ctrl. x and y in view pixels.
class Zoom_Mouse {
 public:
  Zoom_Mouse(Editing_State& doc, const Zoom_View& view, Floating_Selection& selection,
             Editor_Host& host)
      : doc_(doc), view_(view), selection_(selection), host_(host) {}

  void Press(Mouse_Button button, unsigned shift, int x, int y);
  void Move(unsigned shift, int x, int y);
  void Release(unsigned shift, int x, int y);
  // Swaps the two drawing colours, as a right press does.
  void Swap_Colours();

  bool Dragging() const { return dragging_; }
  int Anchor_X() const { return anchor_x_; }
  int Anchor_Y() const { return anchor_y_; }
  // As at start-up: no stroke running.
  void Reset() { dragging_ = stop_only_ = false; }
  // The press did something else (stopped playback): its release draws nothing.
  void Stop_Only() { stop_only_ = true; }

 private:
  Stroke At(int x, int y, int fx, int fy);
  void Begin_Stroke(int x, int y);
  void End_Stroke(int x, int y);

  Editing_State& doc_;
  const Zoom_View& view_;
  Floating_Selection& selection_;
  Editor_Host& host_;
  bool dragging_ = false;  // a drawing press is being dragged
  bool stop_only_ = false;
  int anchor_x_ = 0, anchor_y_ = 0;
};

}  // namespace tolvane
