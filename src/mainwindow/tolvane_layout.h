#pragma once

namespace tolvane {

class TTolvane;

// Places the main window's controls and sets up its menu items as they are
// at start-up.
void Lay_Out_Controls(TTolvane& t);

}  // namespace tolvane
