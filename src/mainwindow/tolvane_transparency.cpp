#include "mainwindow/tolvane.h"
#include "mainwindow/transparency.h"

namespace tolvane {

std::string Partly_Transparent_Text(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " pixel was" : " pixels were") +
         " partly transparent. They are now solid, blended over the transparent colour.";
}

}  // namespace tolvane
