#include "qt/ui/frame_timing_view.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "qt/ui/view_helpers.h"

namespace tolvane {

Frame_Timing_View::Frame_Timing_View(Qt_Platform& p, TFrame_Timing_Form& form) : p_(p), f_(form) {
  window_ = std::make_unique<Dialog_Window>(
      p_, [this] { f_.OkClick(); }, [this] { f_.Close(); }, [this] { f_.Close(); });
  QWidget* w = window_.get();
  w->setObjectName(Q(f_.Name));
  w->setFont(Program_Font());

  timing_ = Make_Group(f_.Timing, "Timing");
  applies_to_ = Make_Group(f_.Applies_To, "Applies_To");
  const Spin_Field spin = Make_Spin_Field(
      w, "Duration", f_.Duration.B, [this](const std::string& t) { f_.Duration.Text = t; },
      [this](int step) { p_.Dispatch([this, step] { f_.Duration.Step(step); }); },
      [this] { p_.Dispatch([this] { f_.Duration.Exit(); }); });
  spin_ = spin.box;
  spin_text_ = spin.text;
  const Ok_Cancel buttons = Make_Ok_Cancel(
      w, p_, f_.Ok, f_.Cancel, [this] { f_.OkClick(); }, [this] { f_.CancelClick(); });
  ok_ = buttons.ok;
  cancel_ = buttons.cancel;

  spin_->raise();
  std::vector<QWidget*> order(timing_.items.begin(), timing_.items.end());
  order.push_back(spin_text_);
  order.insert(order.end(), applies_to_.items.begin(), applies_to_.items.end());
  order.insert(order.end(), {ok_, cancel_});
  Set_Tab_Order(order);
  window_->Tab_Order = order;
  p_.Register_View(f_, *this);
  Sync();
}

Frame_Timing_View::~Frame_Timing_View() { p_.Unregister_View(f_); }

QWidget* Frame_Timing_View::Window() { return window_.get(); }

Radio_Box Frame_Timing_View::Make_Group(Radio_Group& g, const char* name) {
  return Make_Radio_Box(window_.get(), g, name, 16, 4, [this, &g](int i) {
    if (!syncing_) p_.Dispatch([&g, i] { g.Select(i); });
  });
}

void Frame_Timing_View::Sync() {
  syncing_ = true;
  Sync_Dialog_Frame(*window_, f_);
  for (Radio_Box* g : {&timing_, &applies_to_}) {
    Place_Widget(*g->box, *g->group);
    g->Sync();
  }
  Place_Widget(*spin_, f_.Duration);
  if (spin_text_->text() != Q(f_.Duration.Text)) spin_text_->setText(Q(f_.Duration.Text));
  Place_Widget(*ok_, f_.Ok);
  Place_Widget(*cancel_, f_.Cancel);
  syncing_ = false;
}

}  // namespace tolvane
