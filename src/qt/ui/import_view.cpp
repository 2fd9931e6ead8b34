#include "qt/ui/import_view.h"

#include <QCloseEvent>

#include "qt/ui/image_widget.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

class Import_Picture_View::Picture_Window : public QWidget {
 public:
  explicit Picture_Window(Import_Picture_View& view) : view_(view) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
  }

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();  // the form decides; Sync hides the window
    view_.p_.Dispatch([this] { view_.f_.Close(); });
  }

 private:
  Import_Picture_View& view_;
};

Import_Picture_View::Import_Picture_View(Qt_Platform& p, TImport_View& form) : p_(p), f_(form) {
  window_ = std::make_unique<Picture_Window>(*this);
  window_->setObjectName(Q(f_.Name));
  image_ = new Image_Widget(f_.Image1.Picture, window_.get());
  image_->setObjectName("Image1");
  p_.Register_View(f_, *this);
}

Import_Picture_View::~Import_Picture_View() { p_.Unregister_View(f_); }

QWidget* Import_Picture_View::Window() { return window_.get(); }

void Import_Picture_View::Sync() {
  QWidget* w = window_.get();
  if (!f_.Visible) {
    if (w->isVisible()) w->hide();
    return;
  }
  Place_Widget(*image_, f_.Image1);
  image_->Sync();
  if (w->windowTitle() != Q(f_.Caption)) w->setWindowTitle(Q(f_.Caption));
  const QSize client(std::max(1, f_.Window.Width), std::max(1, f_.Window.Height));
  if (w->size() != client) w->setFixedSize(client);
  if (!w->isVisible()) {
    w->move(f_.Window.Left, f_.Window.Top);
    w->show();
  }
}

}  // namespace tolvane
