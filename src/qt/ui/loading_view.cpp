#include "qt/ui/loading_view.h"

#include <QPaintEvent>
#include <QPainter>

#include "qt/platform/qt_image.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

class Loading_View::Picture : public QWidget {
 public:
  explicit Picture(TLoading_Window& form) : form_(form) {
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    p.fillRect(e->rect(), palette().color(QPalette::Window));
    // Only the rows decoded so far; the rest of the picture is still blank.
    const Raster_Image& picture = form_.Picture.Picture;
    const int rows = std::min(form_.Rows_Shown, picture.Height());
    if (picture.Empty() || rows <= 0) return;
    const QRect shown = e->rect() & QRect(0, 0, picture.Width(), rows);
    if (!shown.isEmpty()) p.drawImage(shown, Wrap_Image(picture), shown);
  }

 private:
  TLoading_Window& form_;
};

Loading_View::Loading_View(Qt_Platform& p, TLoading_Window& form) : p_(p), f_(form) {
  window_ = std::make_unique<Picture>(f_);
  window_->setObjectName(Q(f_.Name));
  p_.Register_View(f_, *this);
}

Loading_View::~Loading_View() { p_.Unregister_View(f_); }

QWidget* Loading_View::Window() { return window_.get(); }

void Loading_View::Sync() {
  QWidget* w = window_.get();
  if (!f_.Visible) {
    if (w->isVisible()) w->hide();
    rows_painted_ = 0;
    return;
  }
  if (w->windowTitle() != Q(f_.Caption)) w->setWindowTitle(Q(f_.Caption));
  const QSize client(std::max(1, f_.Window.Width), std::max(1, f_.Window.Height));
  if (w->size() != client) w->setFixedSize(client);
  if (!w->isVisible()) {
    w->move(f_.Window.Left, f_.Window.Top);
    w->show();
    w->raise();
    rows_painted_ = 0;
  }
  // Repaint only the rows decoded since the last sync.
  const int rows = f_.Rows_Shown;
  if (rows < rows_painted_) {
    w->update();
  } else if (rows > rows_painted_) {
    w->update(QRect(0, rows_painted_, w->width(), rows - rows_painted_));
  }
  rows_painted_ = rows;
}

}  // namespace tolvane
