#pragma once
#include "platform/form.h"
#include "platform/platform.h"

namespace tolvane {

// "Frame Timing" dialog: the current frame's or the section's duration in
// milliseconds, or back to following the speed bar. Created once; the
// caller sets the exchanged values before each showing.
class TFrame_Timing_Form : public TForm {
 public:
  explicit TFrame_Timing_Form(Platform& p);
  Platform& P;

  Radio_Group Timing;  // 0 follows the speed, 1 holds for Duration
  Spin_Edit Duration;
  Radio_Group Applies_To;  // 0 the current frame, 1 the section
  Button Ok, Cancel;

  // Exchanged with the caller: in, the current frame's duration
  // (Follow_Speed for none) and whether a section of several frames is
  // there to choose; out, the duration chosen and where it goes.
  int Frame_Ms = 0;
  bool Section_Offered = false;
  bool Whole_Section = false;
  bool Timing_Accepted = false;

  void FormShow() override;
  void TimingClick();
  void OkClick();
  void CancelClick();
};

}  // namespace tolvane
