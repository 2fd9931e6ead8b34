#pragma once
class QWidget;

namespace tolvane {

// The Qt face of one form: it shows the form's state and forwards the user's
// input to the form's handlers. The platform keeps a view per form so that
// Run_Modal can show it.
class Form_View {
 public:
  virtual ~Form_View() = default;
  virtual QWidget* Window() = 0;
  // Brings the widgets in line with the form; cheap enough to run after
  // every handler.
  virtual void Sync() = 0;
};

}  // namespace tolvane
