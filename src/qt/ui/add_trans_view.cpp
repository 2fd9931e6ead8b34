#include "qt/ui/add_trans_view.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "qt/ui/dialog_widgets.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

// Enter presses Ok and Escape Cancel wherever the focus is, also inside the
// editable list and the number field, which would otherwise keep the keys.
class Add_Trans_View::Keys : public QObject {
 public:
  explicit Keys(Add_Trans_View& view) : view_(view) {}

  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (view_.trans_type_->view()->isVisible()) return false;  // the list is dropped down
    if (key == Qt::Key_Escape) {
      view_.p_.Dispatch([this] { view_.f_.CancelClick(); });
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (!Press_Focused_Button(*view_.Window())) view_.p_.Dispatch([this] { view_.f_.OkClick(); });
      return true;
    }
    return false;
  }

 private:
  Add_Trans_View& view_;
};

class Add_Trans_View::Dialog : public QWidget {
 public:
  explicit Dialog(Add_Trans_View& view) : view_(view) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
  }

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();  // Run_Modal hides the window once the form has closed
    view_.p_.Dispatch([this] { view_.f_.Close(); });
  }
  void keyPressEvent(QKeyEvent* e) override {
    if (!view_.keys_->eventFilter(this, e)) QWidget::keyPressEvent(e);
  }
  void showEvent(QShowEvent* e) override {
    QWidget::showEvent(e);
    Focus_First(view_.tab_order_);
  }

 private:
  Add_Trans_View& view_;
};

Add_Trans_View::Add_Trans_View(Qt_Platform& p, TAdd_Trans& form) : p_(p), f_(form) {
  window_ = std::make_unique<Dialog>(*this);
  keys_ = std::make_unique<Keys>(*this);
  QWidget* w = window_.get();
  w->setObjectName(Q(f_.Name));
  w->setFont(Program_Font());

  Make_Label(f_.Label2, "Label2");
  Make_Label(f_.Label4, "Label4");
  Make_Label(f_.Label3, "Label3");
  Make_Label(f_.Label5, "Label5");
  Make_Label(f_.Label6, "Label6");
  Make_Label(f_.Label1, "Label1");

  trans_type_ = new QComboBox(w);
  trans_type_->setObjectName("Trans_Type");
  trans_type_->setEditable(true);
  trans_type_->setInsertPolicy(QComboBox::NoInsert);
  trans_type_->setMaxVisibleItems(int(f_.Trans_Type.Items.size()));
  for (const std::string& item : f_.Trans_Type.Items) trans_type_->addItem(Q(item));
  QObject::connect(trans_type_, &QComboBox::currentTextChanged,
                   [this](const QString& text) { f_.Trans_Type.Text = text.toStdString(); });
  trans_type_->installEventFilter(keys_.get());
  trans_type_->lineEdit()->installEventFilter(keys_.get());

  const Spin_Field overlap = Make_Spin_Field(
      w, "overlap", f_.overlap.B, [this](const std::string& t) { f_.overlap.Text = t; },
      [this](int step) { p_.Dispatch([this, step] { f_.overlap.Step(step); }); },
      [this] { p_.Dispatch([this] { f_.overlap.Exit(); }); });
  overlap_ = overlap.box;
  overlap_text_ = overlap.text;
  overlap_text_->installEventFilter(keys_.get());

  const Ok_Cancel buttons = Make_Ok_Cancel(
      w, p_, f_.Ok, f_.Cancel, [this] { f_.OkClick(); }, [this] { f_.CancelClick(); });
  ok_ = buttons.ok;
  cancel_ = buttons.cancel;
  tab_order_ = {trans_type_, overlap_text_, ok_, cancel_};
  Set_Tab_Order(tab_order_);

  p_.Register_View(f_, *this);
  Sync();
}

Add_Trans_View::~Add_Trans_View() { p_.Unregister_View(f_); }

QWidget* Add_Trans_View::Window() { return window_.get(); }

QLabel* Add_Trans_View::Make_Label(const Label& l, const char* name) {
  auto* label = new QLabel(window_.get());
  label->setObjectName(name);
  labels_.push_back({&l, label});
  return label;
}

void Add_Trans_View::Sync() {
  QWidget* w = window_.get();
  Sync_Dialog_Frame(*w, f_);

  for (auto& [label, widget] : labels_) {
    Place_Widget(*widget, *label);
    if (widget->text() != Q(label->Caption)) widget->setText(Q(label->Caption));
  }
  Place_Widget(*trans_type_, f_.Trans_Type);
  if (trans_type_->currentText() != Q(f_.Trans_Type.Text)) {
    // A text that is one of the entries also marks it in the dropped-down list.
    const int entry = trans_type_->findText(Q(f_.Trans_Type.Text), Qt::MatchExactly);
    if (entry >= 0) trans_type_->setCurrentIndex(entry);
    trans_type_->setEditText(Q(f_.Trans_Type.Text));
  }
  Place_Widget(*overlap_, f_.overlap);
  if (overlap_text_->text() != Q(f_.overlap.Text)) overlap_text_->setText(Q(f_.overlap.Text));
  Place_Widget(*ok_, f_.Ok);
  Place_Widget(*cancel_, f_.Cancel);
}

}  // namespace tolvane
