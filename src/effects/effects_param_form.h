#pragma once
#include "platform/form.h"

namespace tolvane {

// Effect parameter dialog. Effects are not built yet: the form exists so that
// the forms are created in their fixed order.
class TEffects_Param_Form : public TForm {
 public:
  TEffects_Param_Form() { Name = "Effects_Param_Form"; }
};

}  // namespace tolvane
