#pragma once
#include "platform/form.h"
#include "platform/platform.h"

namespace tolvane {

// "Replace Colour" dialog: where the first drawing colour becomes the second.
// Created once; keeps its choice between uses.
class TReplace_Colour_Form : public TForm {
 public:
  explicit TReplace_Colour_Form(Platform& p);
  Platform& P;

  enum Scope { Current_Frame, Section, All_Frames };
  Radio_Group Replace_In;
  Button Ok, Cancel;
  bool Accepted = false;

  void FormShow() override;
  void OkClick();
  void CancelClick();
};

}  // namespace tolvane
