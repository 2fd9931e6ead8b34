#include <stdexcept>
#include <string>

#include "mainwindow/tolvane.h"
#include "mainwindow/tolvane_layout.h"

namespace tolvane {

namespace {

// The tool buttons and Tools items by the tool each chooses; the buttons form
// one exclusive group.
struct Tool_Controls_Of {
  int Tool;
  Speed_Button Main_Controls::*Button;
  Menu_Item Main_Controls::*Item;
};
constexpr Tool_Controls_Of Tool_Controls[] = {
    {Tool_Pencil, &Main_Controls::Tool1, &Main_Controls::Pencil1},
    {Tool_Filled_Rect, &Main_Controls::Tool2, &Main_Controls::FilledRectangle1},
    {Tool_Outline_Rect, &Main_Controls::Tool3, &Main_Controls::OutlineRectangle1},
    {Tool_Line, &Main_Controls::Tool4, &Main_Controls::Line1},
    {Tool_Fill, &Main_Controls::Tool5, &Main_Controls::Fill1},
    {Tool_Select, &Main_Controls::Tool6, &Main_Controls::Select1},
    {Tool_Filled_Ellipse, &Main_Controls::Tool7, &Main_Controls::FilledEllipse1},
    {Tool_Syringe, &Main_Controls::Tool8, &Main_Controls::Syringe1}};

}  // namespace

void Show_Tool(TTolvane& t) {
  for (const Tool_Controls_Of& c : Tool_Controls) {
    (t.Controls.*c.Button).Down = c.Tool == t.Cur_Tool;
    (t.Controls.*c.Item).Checked = c.Tool == t.Cur_Tool;
  }
}

void TTolvane::Set_Tool(int n) {
  Cur_Tool = n;
  Selection.Drop();
}

Speed_Button& TTolvane::Tool_Button(int n) {
  for (const Tool_Controls_Of& c : Tool_Controls)
    if (c.Tool == n) return Controls.*c.Button;
  throw std::out_of_range("no tool button " + std::to_string(n));
}

void TTolvane::Tool1Click() { Set_Tool(Tool_Pencil); }
void TTolvane::Tool2Click() { Set_Tool(Tool_Filled_Rect); }
void TTolvane::Tool3Click() { Set_Tool(Tool_Outline_Rect); }
void TTolvane::Tool4Click() { Set_Tool(Tool_Line); }
void TTolvane::Tool5Click() { Set_Tool(Tool_Fill); }
void TTolvane::Tool6Click() { Set_Tool(Tool_Select); }
void TTolvane::Tool7Click() { Set_Tool(Tool_Filled_Ellipse); }
void TTolvane::Tool8Click() { Set_Tool(Tool_Syringe); }

void TTolvane::ZoomMouseDown(Mouse_Button button, unsigned shift, int x, int y) {
  // While playing, the zoom view still shows the frame Play was pressed on
  // and the preview another: a press only stops, so that the user sees the
  // frame before drawing on it.
  if (Player.Playing()) {
    Stop_Playback();
    Mouse.Stop_Only();
    return;
  }
  if (!Document_Open()) return;
  Mouse.Press(button, shift, x, y);
}

void TTolvane::ZoomMouseMove(unsigned shift, int x, int y) { Mouse.Move(shift, x, y); }

void TTolvane::ZoomMouseUp(Mouse_Button, unsigned shift, int x, int y) {
  Mouse.Release(shift, x, y);
  if (!Mouse.Dragging()) Show_Working_Thumb();
}

}  // namespace tolvane
