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
  Speed_Button TTolvane::*Button;
  Menu_Item TTolvane::*Item;
};
constexpr Tool_Controls_Of Tool_Controls[] = {
    {Tool_Pencil, &TTolvane::Tool1, &TTolvane::Pencil1},
    {Tool_Filled_Rect, &TTolvane::Tool2, &TTolvane::FilledRectangle1},
    {Tool_Outline_Rect, &TTolvane::Tool3, &TTolvane::OutlineRectangle1},
    {Tool_Line, &TTolvane::Tool4, &TTolvane::Line1},
    {Tool_Fill, &TTolvane::Tool5, &TTolvane::Fill1},
    {Tool_Select, &TTolvane::Tool6, &TTolvane::Select1},
    {Tool_Filled_Ellipse, &TTolvane::Tool7, &TTolvane::FilledEllipse1},
    {Tool_Syringe, &TTolvane::Tool8, &TTolvane::Syringe1}};

}  // namespace

void Show_Tool(TTolvane& t) {
  for (const Tool_Controls_Of& c : Tool_Controls) {
    (t.*c.Button).Down = c.Tool == t.Cur_Tool;
    (t.*c.Item).Checked = c.Tool == t.Cur_Tool;
  }
}

void TTolvane::Set_Tool(int n) {
  Cur_Tool = n;
  Selection.Drop();
}

Speed_Button& TTolvane::Tool_Button(int n) {
  for (const Tool_Controls_Of& c : Tool_Controls)
    if (c.Tool == n) return this->*c.Button;
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
  // The next tick would overwrite the stroke: it goes into the frame shown
  // once playback has stopped.
  Stop_Playback();
  if (!Document_Open()) return;
  Mouse.Press(button, shift, x, y);
}

void TTolvane::ZoomMouseMove(unsigned shift, int x, int y) { Mouse.Move(shift, x, y); }

void TTolvane::ZoomMouseUp(Mouse_Button, unsigned shift, int x, int y) {
  Mouse.Release(shift, x, y);
}

}  // namespace tolvane
