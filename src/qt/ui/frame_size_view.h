#pragma once
#include <QWidget>
#include <memory>
#include <vector>

#include "mainwindow/frame_size_form.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/dialog_widgets.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QFrame;

namespace tolvane {

// The "Frame Size..." dialog.
class Frame_Size_View : public Form_View {
 public:
  Frame_Size_View(Qt_Platform& p, TFrame_Size_Form& form);
  ~Frame_Size_View() override;
  QWidget* Window() override;
  void Sync() override;

 private:
  Radio_Box Make_Group(Radio_Group& g, const char* name);
  void Sync_Group(Radio_Box& g);

  Qt_Platform& p_;
  TFrame_Size_Form& f_;
  std::unique_ptr<Dialog_Window> window_;
  Radio_Box new_size_, adjust_method_;
  QWidget* spin_ = nullptr;
  QLineEdit* spin_text_ = nullptr;
  Click_Panel* colour_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool syncing_ = false;
};

}  // namespace tolvane
