#pragma once
#include <vector>

#include "image/raster_image.h"
#include "platform/form.h"
#include "platform/platform.h"

namespace tolvane {

// "Add Transition..." dialog, and the values a merge hands over through it.
class TAdd_Trans : public TForm {
 public:
  explicit TAdd_Trans(Platform& p);
  Platform& P;

  Label Label2, Label4, Label3, Label5, Label6, Label1;
  Combo_Box Trans_Type;
  Spin_Edit overlap;
  Button Ok, Cancel;

  // Shared with the merge command; set afresh by each merge.
  Raster_Image Merge_Strip;
  std::vector<int> Merge_Durations;  // its frames' durations, one a frame
  int Anim1_Frames = 0;
  int Anim2_Frames = 0;
  bool Trans_Accepted = false;
  int Trans_Kind = 0;

  void FormShow() override;
  void OkClick();
  void CancelClick();

  // The overlap in use: the field's number brought into 1..min(Anim1_Frames,
  // Anim2_Frames); a text that is no number counts as 1.
  int Overlap() const;

  // The warning for a name that is none of the transitions.
  static std::string Unknown_Name_Text(const std::string& typed);
};

}  // namespace tolvane
