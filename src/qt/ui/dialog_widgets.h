#pragma once
#include <QFrame>
#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/controls.h"
#include "platform/form.h"
#include "qt/platform/qt_platform.h"

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace tolvane {

// A dialog's window. Enter accepts, as in any dialog whose Ok is the default
// button; Escape and the title-bar button cancel. Each runs its form handler
// through Dispatch; closing is left to Run_Modal once the form has closed.
class Dialog_Window : public QWidget {
 public:
  Dialog_Window(Qt_Platform& p, std::function<void()> on_ok, std::function<void()> on_escape,
                std::function<void()> on_close);

  // The controls in reading order (Set_Tab_Order); each showing starts on
  // the first that takes the focus.
  std::vector<QWidget*> Tab_Order;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  Qt_Platform& p_;
  std::function<void()> ok_, escape_, close_;
};

// A number field's text box: losing the focus runs on_exit, where the form
// clamps the text.
class Spin_Text : public QLineEdit {
 public:
  Spin_Text(QWidget* parent, std::function<void()> on_exit)
      : QLineEdit(parent), on_exit_(std::move(on_exit)) {}

 protected:
  void focusOutEvent(QFocusEvent* e) override;

 private:
  std::function<void()> on_exit_;
};

// A number field: a box named `name` at bounds b holding the text box
// (name_Text) and up/down arrows (name_Up, name_Down). Typing reports the new
// text, the arrows report +1 or -1, losing the focus reports the exit; the
// caller decides what goes through Dispatch.
struct Spin_Field {
  QWidget* box;
  Spin_Text* text;
};
Spin_Field Make_Spin_Field(QWidget* parent, const QString& name, const Bounds& b,
                           std::function<void(const std::string&)> on_edit,
                           std::function<void(int)> on_step, std::function<void()> on_exit);

// A radio group: a box named `name` holding one button per item (name_0,
// name_1, ...). The items fill the columns top to bottom, as a radio group
// arranges them, between `top` and `bottom` pixels inside the box; a click
// reports the item's index.
struct Radio_Box {
  Radio_Group* group = nullptr;
  QGroupBox* box = nullptr;
  std::vector<QRadioButton*> items;
  // Checks the form's item without reporting a click.
  void Sync() const;
};
Radio_Box Make_Radio_Box(QWidget* parent, Radio_Group& g, const char* name, int top, int bottom,
                         std::function<void(int)> on_click);

// A colour swatch: a sunken panel that reports left clicks, and Space or
// Enter while it has the focus.
class Click_Panel : public QFrame {
 public:
  Click_Panel(QWidget* parent, std::function<void()> on_click);
  // Fills the panel with c (the window's face colour for Face_Colour).
  void Show_Colour(Colour c);

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 private:
  std::function<void()> on_click_;
};

// A check box for c: a click reaches the form unless the view is syncing
// (syncing), and a function added to syncs shows the form's state.
QCheckBox* Make_Check_Box(QWidget* parent, Qt_Platform& p, Check_Box& c, const char* name,
                          const bool& syncing, std::vector<std::function<void()>>& syncs);

// Ok, the default button, and Cancel, with their glyphs; a click dispatches
// the handler given.
struct Ok_Cancel {
  QPushButton* ok;
  QPushButton* cancel;
};
Ok_Cancel Make_Ok_Cancel(QWidget* parent, Qt_Platform& p, const Button& ok, const Button& cancel,
                         std::function<void()> on_ok, std::function<void()> on_cancel);

// Chains the widgets' tab order as given, the last back to the first (the
// items of a radio group side by side: Qt makes the group one stop).
void Set_Tab_Order(const std::vector<QWidget*>& order);
// Gives the focus to the first of them that the Tab key would stop at.
void Focus_First(const std::vector<QWidget*>& order);
// Enter on a focused push button other than the default presses it, as Space
// does; true when it did.
bool Press_Focused_Button(QWidget& dialog);

// Shows a dialog form's caption and client size, and its place until shown.
void Sync_Dialog_Frame(QWidget& w, const TForm& f);

// A label's alignment as Qt's, text at the top of its box.
Qt::Alignment Alignment_Of(Label::Align a);

}  // namespace tolvane
