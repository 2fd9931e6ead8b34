#pragma once

class QFileDialog;

namespace tolvane {

// Gives Qt's own file dialog readable columns at its opening size: the name
// takes what the size, type and date columns leave, and those are as wide as
// their contents each time a folder has been read. The user can still drag
// them wider or narrower.
void Fit_File_Columns(QFileDialog& dialog);

}  // namespace tolvane
