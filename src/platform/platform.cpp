#include "platform/platform.h"

#include <chrono>

namespace tolvane {

std::int64_t Platform::Steady_Ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

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

std::string Error_Box_Text(const Toolkit_Error& e) {
  const std::string text = Error_Box_Text(std::string(e.what()));
  if (e.Reason().empty() || e.File().empty() || text.find(e.Reason()) != std::string::npos)
    return text;
  return text + "\n\n" + Error_Box_Text(File_Name_Part(e.File()) + ": " + e.Reason());
}

std::string Heading_Anchor(std::string_view heading) {
  // ASCII only, whatever the locale: the bytes of other letters stay as they are.
  std::string anchor;
  for (const char c : heading) {
    if (c >= 'A' && c <= 'Z')
      anchor += char(c - 'A' + 'a');
    else if (c == ' ')
      anchor += '-';
    else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
             static_cast<unsigned char>(c) >= 0x80)
      anchor += c;
  }
  return anchor;
}

}  // namespace tolvane
