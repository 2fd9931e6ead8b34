#include "qt/ui/image_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <utility>

#include "qt/platform/qt_image.h"
#include "qt/ui/view_helpers.h"

namespace tolvane {

Image_Widget::Image_Widget(const Raster_Image& picture, QWidget* parent)
    : Image_Widget([&picture]() -> const Raster_Image& { return picture; }, parent) {}

Image_Widget::Image_Widget(Source source, QWidget* parent)
    : QWidget(parent), source_(std::move(source)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void Image_Widget::Sync() {
  const Raster_Image& picture = source_();
  if (picture.Serial() == shown_serial_ && picture.Data() == shown_data_ &&
      picture.Width() == shown_w_ && picture.Height() == shown_h_)
    return;
  shown_serial_ = picture.Serial();
  shown_data_ = picture.Data();
  shown_w_ = picture.Width();
  shown_h_ = picture.Height();
  update();
}

void Image_Widget::paintEvent(QPaintEvent* e) {
  const Raster_Image& picture = source_();
  QPainter p(this);
  if (picture.Width() < width() || picture.Height() < height())
    p.fillRect(e->rect(), palette().color(QPalette::Window));
  if (!picture.Empty()) p.drawImage(0, 0, Wrap_Image(picture));
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
