#pragma once
#include <QWidget>
#include <memory>

#include "pcx/pcx.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"

namespace tolvane {

// The "Loading" window of the PCX decoder: a small stay-on-top window that
// shows the picture as its rows are decoded. It is never modal; it shows and
// hides itself following the form's Visible.
class Loading_View : public Form_View {
 public:
  Loading_View(Qt_Platform& p, TLoading_Window& form);
  ~Loading_View() override;
  QWidget* Window() override;
  void Sync() override;

 private:
  class Picture;
  Qt_Platform& p_;
  TLoading_Window& f_;
  std::unique_ptr<Picture> window_;
  int rows_painted_ = 0;
};

}  // namespace tolvane
