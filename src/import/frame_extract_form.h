#pragma once
#include "platform/form.h"

namespace tolvane {

// Frame retrieval dialog and its picture window. Retrieval is not built yet:
// the forms exist so that the forms are created in their fixed order.
class TFrame_Extract : public TForm {
 public:
  TFrame_Extract() { Name = "Frame_Extract"; Caption = "Frame Retrieval..."; }
};

class TImport_View : public TForm {
 public:
  TImport_View() { Name = "Import_View"; }
};

}  // namespace tolvane
