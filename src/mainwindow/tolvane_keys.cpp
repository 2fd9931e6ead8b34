#include "mainwindow/tolvane.h"

namespace tolvane {

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
  if (Player.Playing())
    StopClick();
  else if (Opened)
    PlayClick();
}

}  // namespace tolvane
