#include "platform/platform.h"

namespace tolvane {

int Show_Modal(Platform& p, TForm& form) {
  form.Modal_Result = mr_None;
  form.Visible = true;
  try {
    form.FormShow();
    if (form.Modal_Result == mr_None && form.Visible) p.Run_Modal(form);
  } catch (...) {
    // A form that failed to show is closed, not left on the screen.
    form.Visible = false;
    if (form.Modal_Result == mr_None) form.Modal_Result = mr_Cancel;
    throw;
  }
  form.Visible = false;
  return form.Modal_Result;
}

std::string Error_Box_Text(const std::string& text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') return text + ".";
  return text;
}

}  // namespace tolvane
