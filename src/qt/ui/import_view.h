#pragma once
#include <QWidget>
#include <memory>

#include "import/frame_extract_form.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"

namespace tolvane {

class Image_Widget;

// The retrieval dialog's picture window: shown and hidden as the form's
// Visible says, beside the modal dialog.
class Import_Picture_View : public Form_View {
 public:
  Import_Picture_View(Qt_Platform& p, TImport_View& form);
  ~Import_Picture_View() override;
  QWidget* Window() override;
  void Sync() override;

 private:
  class Picture_Window;
  Qt_Platform& p_;
  TImport_View& f_;
  std::unique_ptr<Picture_Window> window_;
  Image_Widget* image_ = nullptr;
};

}  // namespace tolvane
