#pragma once
#include <QWidget>
#include <memory>

#include "mainwindow/replace_colour_form.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/dialog_widgets.h"

class QPushButton;

namespace tolvane {

// The "Replace Colour" dialog.
class Replace_Colour_View : public Form_View {
 public:
  Replace_Colour_View(Qt_Platform& p, TReplace_Colour_Form& form);
  ~Replace_Colour_View() override;
  QWidget* Window() override;
  void Sync() override;

 private:
  Qt_Platform& p_;
  TReplace_Colour_Form& f_;
  std::unique_ptr<Dialog_Window> window_;
  Radio_Box replace_in_;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool syncing_ = false;
};

}  // namespace tolvane
