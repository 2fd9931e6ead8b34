#include "qt/ui/image_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "qt/platform/qt_image.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

Image_Widget::Image_Widget(const Raster_Image& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void Image_Widget::Sync() {
  if (picture_.Serial() == shown_serial_ && picture_.Data() == shown_data_ &&
      picture_.Width() == shown_w_ && picture_.Height() == shown_h_)
    return;
  shown_serial_ = picture_.Serial();
  shown_data_ = picture_.Data();
  shown_w_ = picture_.Width();
  shown_h_ = picture_.Height();
  update();
}

void Image_Widget::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  if (picture_.Width() < width() || picture_.Height() < height())
    p.fillRect(e->rect(), palette().color(QPalette::Window));
  if (!picture_.Empty()) p.drawImage(0, 0, Wrap_Image(picture_));
  if (Paint_Over) Paint_Over(p);
}

void Image_Widget::mousePressEvent(QMouseEvent* e) {
  const auto b = Button_Of(e->button());
  if (b && On_Press) {
    const QPoint at = e->position().toPoint();
    On_Press(*b, Shift_Of(e->modifiers()), at.x(), at.y());
  }
}

void Image_Widget::mouseMoveEvent(QMouseEvent* e) {
  if (On_Move) {
    const QPoint at = e->position().toPoint();
    On_Move(Shift_Of(e->modifiers()), at.x(), at.y());
  }
}

void Image_Widget::mouseReleaseEvent(QMouseEvent* e) {
  const auto b = Button_Of(e->button());
  if (b && On_Release) {
    const QPoint at = e->position().toPoint();
    On_Release(*b, Shift_Of(e->modifiers()), at.x(), at.y());
  }
}

}  // namespace tolvane
