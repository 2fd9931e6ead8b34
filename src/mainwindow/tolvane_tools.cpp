#include <stdexcept>
#include <string>

#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

// The tool buttons by the tool each chooses; they form one exclusive group.
struct Tool_Button_Of {
  int Tool;
  Speed_Button TTolvane::*Button;
};
constexpr Tool_Button_Of Tool_Buttons[] = {
    {Tool_Pencil, &TTolvane::Tool1},         {Tool_Filled_Rect, &TTolvane::Tool2},
    {Tool_Outline_Rect, &TTolvane::Tool3},   {Tool_Line, &TTolvane::Tool4},
    {Tool_Fill, &TTolvane::Tool5},           {Tool_Select, &TTolvane::Tool6},
    {Tool_Filled_Ellipse, &TTolvane::Tool7}, {Tool_Syringe, &TTolvane::Tool8}};

// Puts the tool's button down, the others up, and makes it the current tool.
void Choose(TTolvane& t, Tool_Kind tool) {
  for (const Tool_Button_Of& b : Tool_Buttons) (t.*b.Button).Down = b.Tool == tool;
  t.Set_Tool(tool);
}

}  // namespace

void TTolvane::Set_Tool(int n) {
  Cur_Tool = n;
  Check_Tool_Item();
  Selection.Drop();
}

Speed_Button& TTolvane::Tool_Button(int n) {
  for (const Tool_Button_Of& b : Tool_Buttons)
    if (b.Tool == n) return this->*b.Button;
  throw std::out_of_range("no tool button " + std::to_string(n));
}

void TTolvane::Tool1Click() { Choose(*this, Tool_Pencil); }
void TTolvane::Tool2Click() { Choose(*this, Tool_Filled_Rect); }
void TTolvane::Tool3Click() { Choose(*this, Tool_Outline_Rect); }
void TTolvane::Tool4Click() { Choose(*this, Tool_Line); }
void TTolvane::Tool5Click() { Choose(*this, Tool_Fill); }
void TTolvane::Tool6Click() { Choose(*this, Tool_Select); }
void TTolvane::Tool7Click() { Choose(*this, Tool_Filled_Ellipse); }
void TTolvane::Tool8Click() { Choose(*this, Tool_Syringe); }

void TTolvane::ZoomMouseDown(Mouse_Button button, unsigned shift, int x, int y) {
  // While playing, the zoom view still shows the frame Play was pressed on
  // and the preview another: a press only stops, so that the user sees the
  // frame before drawing on it.
  if (Anim_Timer.Enabled) {
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
