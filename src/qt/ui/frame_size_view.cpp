#include "qt/ui/frame_size_view.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

#include "qt/ui/dialog_widgets.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

Frame_Size_View::Frame_Size_View(Qt_Platform& p, TFrame_Size_Form& form) : p_(p), f_(form) {
  window_ = std::make_unique<Dialog_Window>(
      p_, [this] { f_.OkClick(); }, [this] { f_.Close(); }, [this] { f_.Close(); });
  QWidget* w = window_.get();
  w->setObjectName(Q(f_.Name));
  w->setFont(Program_Font());

  new_size_ = Make_Group(f_.New_Size, "New_Size");
  adjust_method_ = Make_Group(f_.Adjust_Method, "Adjust_Method");

  const Spin_Field spin = Make_Spin_Field(
      w, "SpinEdit1", f_.SpinEdit1.B, [this](const std::string& t) { f_.SpinEdit1.Text = t; },
      [this](int step) { p_.Dispatch([this, step] { f_.SpinEdit1.Step(step); }); },
      [this] { p_.Dispatch([this] { f_.SpinEdit1.Exit(); }); });
  spin_ = spin.box;
  spin_text_ = spin.text;

  auto* colour = new Click_Panel(w, [this] { p_.Dispatch([this] { f_.Panel1Click(); }); });
  colour->setObjectName("Panel1");
  colour_ = colour;

  const Ok_Cancel buttons = Make_Ok_Cancel(
      w, p_, f_.Ok, f_.Cancel, [this] { f_.OkClick(); }, [this] { f_.CancelClick(); });
  ok_ = buttons.ok;
  cancel_ = buttons.cancel;

  // The spin edit and the colour panel sit over the groups.
  spin_->raise();
  colour_->raise();
  // Reading order: each group with the control inside it.
  std::vector<QWidget*> order(new_size_.items.begin(), new_size_.items.end());
  order.push_back(spin_text_);
  order.insert(order.end(), adjust_method_.items.begin(), adjust_method_.items.end());
  order.insert(order.end(), {colour_, ok_, cancel_});
  Set_Tab_Order(order);
  window_->Tab_Order = order;
  p_.Register_View(f_, *this);
  Sync();
}

Frame_Size_View::~Frame_Size_View() { p_.Unregister_View(f_); }

QWidget* Frame_Size_View::Window() { return window_.get(); }

Radio_Box Frame_Size_View::Make_Group(Radio_Group& g, const char* name) {
  return Make_Radio_Box(window_.get(), g, name, 16, 4, [this, &g](int i) {
    if (!syncing_) p_.Dispatch([&g, i] { g.Select(i); });
  });
}

void Frame_Size_View::Sync_Group(Radio_Box& g) {
  Place_Widget(*g.box, *g.group);
  g.Sync();
}

void Frame_Size_View::Sync() {
  syncing_ = true;
  QWidget* w = window_.get();
  Sync_Dialog_Frame(*w, f_);

  Sync_Group(new_size_);
  Sync_Group(adjust_method_);
  Place_Widget(*spin_, f_.SpinEdit1);
  if (spin_text_->text() != Q(f_.SpinEdit1.Text)) spin_text_->setText(Q(f_.SpinEdit1.Text));
  Place_Widget(*colour_, f_.Panel1);
  colour_->Show_Colour(f_.Panel1.Color);
  // For New the swatch lies beyond the dialog's edge: no tab stop there.
  const bool inside = f_.Panel1.B.Left < f_.Window.Width;
  colour_->setFocusPolicy(inside ? Qt::StrongFocus : Qt::NoFocus);
  Place_Widget(*ok_, f_.Ok);
  Place_Widget(*cancel_, f_.Cancel);
  syncing_ = false;
}

}  // namespace tolvane
