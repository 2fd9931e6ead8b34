#pragma once
#include <string>

#include "platform/controls.h"

namespace tolvane {

inline constexpr int mr_None = 0, mr_Ok = 1, mr_Cancel = 2;

// A top-level window's state. A modal form runs until Close() or a handler
// sets Modal_Result.
class TForm {
 public:
  virtual ~TForm() = default;
  std::string Name;
  std::string Caption;
  Bounds Window;  // Left, Top on the screen; Width, Height of the client area
  bool Visible = false;
  int Modal_Result = mr_None;

  int Client_Width() const { return Window.Width; }
  int Client_Height() const { return Window.Height; }

  // In the middle of a screen of the given size.
  void Centre_On(int screen_width, int screen_height) {
    Window.Left = (screen_width - Window.Width) / 2;
    Window.Top = (screen_height - Window.Height) / 2;
  }
  // A button ends the modal run with its result.
  void End_Modal(int result) {
    Modal_Result = result;
    Visible = false;
  }

  virtual void FormShow() {}
  // Closing by the title-bar button or Escape lands here too.
  virtual void Close() {
    if (Modal_Result == mr_None) Modal_Result = mr_Cancel;
    Visible = false;
  }
};

}  // namespace tolvane
