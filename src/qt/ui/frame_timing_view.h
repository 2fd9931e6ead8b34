#pragma once
#include <QWidget>
#include <memory>

#include "mainwindow/frame_timing_form.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/dialog_widgets.h"

class QLineEdit;
class QPushButton;

namespace tolvane {

// The "Frame Timing" dialog.
class Frame_Timing_View : public Form_View {
 public:
  Frame_Timing_View(Qt_Platform& p, TFrame_Timing_Form& form);
  ~Frame_Timing_View() override;
  QWidget* Window() override;
  void Sync() override;

 private:
  Radio_Box Make_Group(Radio_Group& g, const char* name);

  Qt_Platform& p_;
  TFrame_Timing_Form& f_;
  std::unique_ptr<Dialog_Window> window_;
  Radio_Box timing_, applies_to_;
  QWidget* spin_ = nullptr;
  QLineEdit* spin_text_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool syncing_ = false;
};

}  // namespace tolvane
