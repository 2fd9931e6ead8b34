#pragma once
#include <optional>

namespace tolvane {

// The command line's options: an export, --help or --version runs without a
// window and returns the exit status; nothing of the kind (no options, or a
// file to open, or Qt's own options) returns nothing, and the window opens.
// Decided before any application object exists: a run that exports never
// makes one, never needs a display and never touches the settings file.
std::optional<int> Run_Command_Line(int argc, char* argv[]);

}  // namespace tolvane
