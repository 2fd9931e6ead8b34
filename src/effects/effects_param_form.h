#pragma once
#include "platform/form.h"
#include "platform/platform.h"

namespace tolvane {

// The effect parameter dialog ("Brightness...", "Rotate...", "Squash...",
// "Spin..."). The command sets Effect_Kind, Frames_Available and the source
// preview before it opens the dialog, and reads the Effect_ values after it.
class TEffects_Param_Form : public TForm {
 public:
  enum Kind { Brightness = 1, Rotate = 2, Squash = 3, Spin = 4 };

  explicit TEffects_Param_Form(Platform& p);
  Platform& P;

  Bevel Bevel2, Bevel3;
  Image_Control Source_DSP, Dest_DSP;
  Track_Bar Level_Bar;
  Label Label1, Label2, Label3, Label4, Label5;
  Spin_Edit No_Frames;
  Check_Box Add_New, Vertical_Effect, Reverse;
  Panel Set_Mount;
  Button Ok, Cancel;
  Colour_Dialog ColorDialog1;

  // Set by the command before the dialog opens.
  int Effect_Kind = Brightness;
  int Frames_Available = 1;  // frames from the current one to the last, both included
  // Written by Ok.
  int Effect_Frames = 2;
  bool Effect_Insert = true;
  bool Effect_Reverse = false;
  int Effect_Level = 0;
  bool Effect_Vertical = false;
  bool Effect_Accepted = false;

  Colour* Mount_Colour = nullptr;  // the main window's; set by the application

  void FormShow() override;
  void Level_BarChange();  // also the click handler of Vertical_Effect
  void Add_NewClick();
  void Set_MountClick();
  void OkClick();
  void CancelClick();

 private:
  Colour Mount() const { return Mount_Colour ? *Mount_Colour : 0; }
  void Centre_In(Image_Control& image, const Bevel& frame);
};

}  // namespace tolvane
