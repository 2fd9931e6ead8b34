#include "qt/ui/replace_colour_view.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "qt/ui/view_helpers.h"

namespace tolvane {

Replace_Colour_View::Replace_Colour_View(Qt_Platform& p, TReplace_Colour_Form& form)
    : p_(p), f_(form) {
  window_ = std::make_unique<Dialog_Window>(
      p_, [this] { f_.OkClick(); }, [this] { f_.Close(); }, [this] { f_.Close(); });
  QWidget* w = window_.get();
  w->setObjectName(Q(f_.Name));
  w->setFont(Program_Font());
  replace_in_ = Make_Radio_Box(w, f_.Replace_In, "Replace_In", 16, 4, [this](int i) {
    if (!syncing_) p_.Dispatch([this, i] { f_.Replace_In.Select(i); });
  });
  const Ok_Cancel buttons = Make_Ok_Cancel(
      w, p_, f_.Ok, f_.Cancel, [this] { f_.OkClick(); }, [this] { f_.CancelClick(); });
  ok_ = buttons.ok;
  cancel_ = buttons.cancel;
  std::vector<QWidget*> order(replace_in_.items.begin(), replace_in_.items.end());
  order.insert(order.end(), {ok_, cancel_});
  Set_Tab_Order(order);
  window_->Tab_Order = order;
  p_.Register_View(f_, *this);
  Sync();
}

Replace_Colour_View::~Replace_Colour_View() { p_.Unregister_View(f_); }

QWidget* Replace_Colour_View::Window() { return window_.get(); }

void Replace_Colour_View::Sync() {
  syncing_ = true;
  Sync_Dialog_Frame(*window_, f_);
  Place_Widget(*replace_in_.box, *replace_in_.group);
  replace_in_.Sync();
  Place_Widget(*ok_, f_.Ok);
  Place_Widget(*cancel_, f_.Cancel);
  syncing_ = false;
}

}  // namespace tolvane
