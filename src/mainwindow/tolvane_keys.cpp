#include "mainwindow/tolvane.h"
#include "mainwindow/tolvane_layout.h"

namespace tolvane {

namespace {

void Item(Menu_Item& m, const char* caption, const char* shortcut = "") {
  m.Caption = caption;
  m.Shortcut = shortcut;
}

// The Tools items by the tool each chooses.
struct Tool_Item_Of {
  int Tool;
  Menu_Item TTolvane::*Item;
};
constexpr Tool_Item_Of Tool_Items[] = {{Tool_Pencil, &TTolvane::Pencil1},
                                       {Tool_Filled_Rect, &TTolvane::FilledRectangle1},
                                       {Tool_Outline_Rect, &TTolvane::OutlineRectangle1},
                                       {Tool_Line, &TTolvane::Line1},
                                       {Tool_Fill, &TTolvane::Fill1},
                                       {Tool_Select, &TTolvane::Select1},
                                       {Tool_Filled_Ellipse, &TTolvane::FilledEllipse1},
                                       {Tool_Syringe, &TTolvane::Syringe1}};

}  // namespace

void Lay_Out_Key_Items(TTolvane& t) {
  t.Copy2.Shortcut = "Ctrl+C";
  t.Cut1.Shortcut = "Ctrl+X";
  t.Paste2.Shortcut = "Ctrl+V";
  Item(t.N6, "-");
  Item(t.ZoomIn1, "Zoom &In", "Ctrl++");
  // Where "+" needs Shift, the key under it zooms in too.
  t.ZoomIn1.Alt_Shortcut = "Ctrl+=";
  Item(t.ZoomOut1, "Zoom O&ut", "Ctrl+-");
  Item(t.Fit1, "&Fit", "Ctrl+0");

  Item(t.NudgeLeft1, "Nudge Left", "Shift+Left");
  Item(t.NudgeRight1, "Nudge Right", "Shift+Right");
  Item(t.NudgeUp1, "Nudge Up", "Shift+Up");
  Item(t.NudgeDown1, "Nudge Down", "Shift+Down");
  Item(t.N7, "-");
  Item(t.Tools1, "T&ools");
  Item(t.Pencil1, "&Pencil", "P");
  Item(t.FilledRectangle1, "Filled &Rectangle", "R");
  Item(t.OutlineRectangle1, "&Outline Rectangle", "O");
  Item(t.Line1, "&Line", "L");
  Item(t.Fill1, "&Fill", "F");
  Item(t.Select1, "&Select", "S");
  Item(t.FilledEllipse1, "Filled &Ellipse", "E");
  Item(t.Syringe1, "S&yringe", "Y");
  for (const Tool_Item_Of& i : Tool_Items) (t.*i.Item).Check_Item = true;
  t.Pencil1.Checked = true;
  Item(t.SwapColours1, "S&wap Colours", "X");
  // Held down, a toggle would flicker between its two states.
  t.SwapColours1.Auto_Repeat = false;

  Item(t.N8, "-");
  Item(t.FirstFrame1, "&First Frame", "Home");
  Item(t.PreviousFrame1, "Pre&vious Frame", "Left");
  Item(t.NextFrame1, "&Next Frame", "Right");
  Item(t.LastFrame1, "Las&t Frame", "End");
  Item(t.PlayStop1, "Pla&y / Stop", "Space");
  t.PlayStop1.Auto_Repeat = false;
}

void TTolvane::Fit1Click() {
  if (!Document_Open()) return;
  Commit_Frame();
  // The selection overlay is placed in view pixels and would no longer match.
  if (View.Fit_Whole(Frame_Size) && Cur_Tool == Tool_Select) Tool1Click();
  Update_Zoom_Range();
  Show_Frame();
}

void TTolvane::SwapColours1Click() {
  if (!Document_Open()) return;
  Mouse.Swap_Colours();
}

void TTolvane::PlayStop1Click() {
  if (Stop.Enabled)
    StopClick();
  else if (Play.Enabled)
    PlayClick();
}

void TTolvane::Check_Tool_Item() {
  for (const Tool_Item_Of& i : Tool_Items) (this->*i.Item).Checked = i.Tool == Cur_Tool;
}

}  // namespace tolvane
