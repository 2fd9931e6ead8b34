#pragma once
#include <QWidget>
#include <memory>

#include "mainwindow/about_form.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

// The About box and start-up splash: a borderless window with one picture.
class About_View : public Form_View {
 public:
  About_View(Qt_Platform& p, TAbout_Form& form);
  ~About_View() override;
  QWidget* Window() override;
  void Sync() override;
  Timer_Driver& Timer1() { return *timer_; }

 private:
  class Picture;
  Qt_Platform& p_;
  TAbout_Form& f_;
  std::unique_ptr<Picture> window_;
  std::unique_ptr<Timer_Driver> timer_;
};

}  // namespace tolvane
