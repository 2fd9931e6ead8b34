#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "import/frame_extract_form.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/dialog_widgets.h"

class QGroupBox;

namespace tolvane {

class Image_Widget;

// The "Frame Retrieval..." dialog. Widgets carry their control's name as
// object name; a number field's line edit is "<name>_Text".
class Frame_Extract_View : public Form_View {
 public:
  Frame_Extract_View(Qt_Platform& p, TFrame_Extract& form);
  ~Frame_Extract_View() override;
  QWidget* Window() override;
  void Sync() override;

 private:
  struct Binding {
    const Control* control;
    QWidget* widget;
    std::function<void()> extra;  // state beyond bounds, visible, enabled
  };

  void Build();
  void Add_Spin(Spin_Edit& s, const char* name);
  void Add_Group(Radio_Group& g, const char* name);

  Qt_Platform& p_;
  TFrame_Extract& f_;
  std::unique_ptr<Dialog_Window> window_;
  std::vector<Binding> bindings_;
  std::vector<Radio_Box> groups_;
  void Add_To_Tab_Order(const Radio_Group& g);
  bool syncing_ = false;
};

}  // namespace tolvane
