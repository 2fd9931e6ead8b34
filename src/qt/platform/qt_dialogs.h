#pragma once
#include <QStringList>
#include <string>

namespace tolvane {

// "Bitmap Files (*.BMP)|*.BMP|All Files (*.*)|*.*" as Qt name filters, one
// per description: "Bitmap Files (*.BMP)", "All Files (*)". The patterns of
// each pair replace what the description shows in brackets, since Qt filters
// by the bracketed text; "*.*" becomes "*", which it means on Windows.
QStringList Qt_Name_Filters(const std::string& filter);

}  // namespace tolvane
