#pragma once
#include "platform/form.h"
#include "platform/platform.h"

namespace tolvane {

// "Frame Size..." dialog for New and Resize. Created once; keeps its controls'
// state between uses.
class TFrame_Size_Form : public TForm {
 public:
  explicit TFrame_Size_Form(Platform& p);
  Platform& P;

  Radio_Group New_Size;
  Spin_Edit SpinEdit1;
  Radio_Group Adjust_Method;
  Panel Panel1;
  Button Ok, Cancel;
  Colour_Dialog ColorDialog1;

  // Exchanged with the callers.
  int New_Frame_Size = 32;
  bool Size_Accepted = false;
  int Resize_Method = 0;           // 0 Crop/Mount, 1 Stretch
  Colour* Mount_Colour = nullptr;  // the main window's; set by the application

  void FormShow() override;
  void New_SizeClick();
  void OkClick();
  void CancelClick();
  void Panel1Click();
};

}  // namespace tolvane
