#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "export/export_form.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/dialog_widgets.h"

namespace tolvane {

// The Export GIF and Export Sheet dialogs: the controls they share and the
// ones of their own, each widget named as its control.
class Export_Dialog_View : public Form_View {
 public:
  Export_Dialog_View(Qt_Platform& p, TGif_Export_Form& form);
  Export_Dialog_View(Qt_Platform& p, TSheet_Export_Form& form);
  ~Export_Dialog_View() override;
  QWidget* Window() override;
  void Sync() override;

 private:
  explicit Export_Dialog_View(Qt_Platform& p, TExport_Form& form);
  void Add_Label(Label& c, const char* name);
  void Add_Spin(Spin_Edit& c, const char* name);
  void Add_Check(Check_Box& c, const char* name);
  void Add_Buttons();
  void Finish();

  Qt_Platform& p_;
  TExport_Form& f_;
  std::unique_ptr<Dialog_Window> window_;
  std::vector<std::function<void()>> syncs_;  // one per control
  bool syncing_ = false;
};

}  // namespace tolvane
