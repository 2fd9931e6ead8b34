#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "effects/effects_param_form.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace tolvane {

class Dialog_Window;

class Image_Widget;

// The effect parameter dialog.
class Effects_Param_View : public Form_View {
 public:
  Effects_Param_View(Qt_Platform& p, TEffects_Param_Form& form);
  ~Effects_Param_View() override;
  QWidget* Window() override;
  void Sync() override;

 private:
  QLabel* Make_Label(Label& c, const char* name);
  QCheckBox* Make_Check(Check_Box& c, const char* name);

  Qt_Platform& p_;
  TEffects_Param_Form& f_;
  std::unique_ptr<Dialog_Window> window_;
  std::vector<std::function<void()>> syncs_;  // one per control
  bool syncing_ = false;
};

}  // namespace tolvane
