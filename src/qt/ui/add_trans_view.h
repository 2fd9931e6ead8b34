#pragma once
#include <QWidget>
#include <memory>
#include <vector>

#include "merge/add_trans_form.h"
#include "qt/platform/form_view.h"
#include "qt/platform/qt_platform.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvane {

// The "Add Transition..." dialog.
class Add_Trans_View : public Form_View {
 public:
  Add_Trans_View(Qt_Platform& p, TAdd_Trans& form);
  ~Add_Trans_View() override;
  QWidget* Window() override;
  void Sync() override;

 private:
  class Dialog;
  class Keys;
  QLabel* Make_Label(const Label& l, const char* name);

  Qt_Platform& p_;
  TAdd_Trans& f_;
  std::unique_ptr<Dialog> window_;
  std::vector<QWidget*> tab_order_;
  std::unique_ptr<Keys> keys_;
  std::vector<std::pair<const Label*, QLabel*>> labels_;
  QComboBox* trans_type_ = nullptr;
  QWidget* overlap_ = nullptr;
  QLineEdit* overlap_text_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace tolvane
