#pragma once

namespace tolvane {

class TTolvane;

// Places the main window's controls and sets up its menu items as they are
// at start-up.
void Lay_Out_Controls(TTolvane& t);

// The current tool's button down and its Tools item checked
// (mainwindow/tolvane_tools.cpp).
void Show_Tool(TTolvane& t);

// Sizes and places the thumbnails, the preview, the labels and the window for
// Frame_Size and Thumb_Slots, and hides the progress panel.
void Place_Frame_Views(TTolvane& t);

}  // namespace tolvane
