#pragma once
#include <QWidget>
#include <cstdint>
#include <functional>

#include "image/raster_image.h"
#include "platform/controls.h"

class QPainter;

namespace tolvane {

// Shows a form's picture at actual size, straight from its pixels, and
// reports mouse events in its own coordinates.
class Image_Widget : public QWidget {
 public:
  Image_Widget(const Raster_Image& picture, QWidget* parent);
  // A picture the form makes on request (asked at each sync and paint).
  using Source = std::function<const Raster_Image&()>;
  Image_Widget(Source source, QWidget* parent);

  // Repaints when the picture changed since the last paint.
  void Sync();

  std::function<void(Mouse_Button, unsigned, int, int)> On_Press, On_Release;
  std::function<void(unsigned, int, int)> On_Move;
  // Drawn over the picture at each paint (marks the core's state asks for).
  std::function<void(QPainter&)> Paint_Over;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  Source source_;
  std::uint64_t shown_serial_ = ~std::uint64_t{0};
  const void* shown_data_ = nullptr;
  int shown_w_ = -1, shown_h_ = -1;
};

}  // namespace tolvane
