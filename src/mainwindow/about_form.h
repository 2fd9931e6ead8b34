#pragma once
#include "platform/form.h"

namespace tolvane {

// About box; at start-up it is a 3-second splash.
class TAbout_Form : public TForm {
 public:
  TAbout_Form();
  bool Splash_Mode = false;
  Image_Control Image2;  // 322 x 202; the view paints the program's own picture
  Timer Timer1;

  void FormShow() override;
  void Image2Click();
  void Timer1Timer();
};

}  // namespace tolvane
