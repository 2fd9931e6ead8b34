#include "qt/ui/about_view.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace tolvane {

class About_View::Picture : public QWidget {
 public:
  explicit Picture(About_View& view) : view_(view), picture_(":/about.png") {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);  // for Escape and Enter
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const Bounds& b = view_.f_.Image2.B;
    p.drawPixmap(QRect(b.Left, b.Top, b.Width, b.Height), picture_);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    const Bounds& b = view_.f_.Image2.B;
    if (e->button() == Qt::LeftButton &&
        QRect(b.Left, b.Top, b.Width, b.Height).contains(e->position().toPoint()))
      view_.p_.Dispatch([this] { view_.f_.Image2Click(); });
  }
  void keyPressEvent(QKeyEvent* e) override {
    // Like any dialog's Ok and Cancel; the box has no buttons of its own.
    switch (e->key()) {
      case Qt::Key_Escape:
      case Qt::Key_Return:
      case Qt::Key_Enter:
        view_.p_.Dispatch([this] { view_.f_.Image2Click(); });
        return;
      default:
        QWidget::keyPressEvent(e);
    }
  }
  void closeEvent(QCloseEvent* e) override {
    // Alt+F4 and the like: the form decides, Run_Modal hides the window.
    e->ignore();
    view_.p_.Dispatch([this] { view_.f_.Close(); });
  }

 private:
  About_View& view_;
  QPixmap picture_;
};

About_View::About_View(Qt_Platform& p, TAbout_Form& form) : p_(p), f_(form) {
  window_ = std::make_unique<Picture>(*this);
  window_->setObjectName(QString::fromStdString(f_.Name));
  // Borderless, so nobody sees it; it names the window for the desktop.
  window_->setWindowTitle("About Tolvane");
  timer_ = std::make_unique<Timer_Driver>(p_, f_.Timer1, [this] { f_.Timer1Timer(); });
  p_.Register_View(f_, *this);
}

About_View::~About_View() { p_.Unregister_View(f_); }

QWidget* About_View::Window() { return window_.get(); }

void About_View::Sync() {
  const QSize size(f_.Window.Width, f_.Window.Height);
  if (size.isValid() && !size.isEmpty() && window_->size() != size) window_->setFixedSize(size);
  if (!window_->isVisible() && f_.Visible) {
    // About to be shown: centred on the screen.
    Centre_On_Screen(*window_);
  }
  timer_->Sync();
}

}  // namespace tolvane
