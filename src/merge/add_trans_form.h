#pragma once
#include "platform/form.h"

namespace tolvane {

// Transition dialog. Merging is not built yet: the form exists so that the
// forms are created in their fixed order.
class TAdd_Trans : public TForm {
 public:
  TAdd_Trans() { Name = "Add_Trans"; Caption = "Add Transition..."; }
};

}  // namespace tolvane
