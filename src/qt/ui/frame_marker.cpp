#include "qt/ui/frame_marker.h"

#include <QPainter>

namespace tolvane {

Frame_Marker::Frame_Marker(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Frame_Marker::paintEvent(QPaintEvent*) {
  const int w = width(), h = height();
  if (w < 4 || h < 4) return;
  QPainter p(this);
  // Black, unlike the row's own border, stands out against the grey row.
  p.fillRect(0, 0, w, 1, Qt::black);
  p.fillRect(0, h - 1, w, 1, Qt::black);
  p.fillRect(0, 0, 1, h, Qt::black);
  p.fillRect(w - 1, 0, 1, h, Qt::black);
  // The inner ring lit from the top left, as a raised bevel.
  const QColor light = Qt::white, dark(0x80, 0x80, 0x80);
  p.fillRect(1, 1, w - 2, 1, light);
  p.fillRect(1, 1, 1, h - 2, light);
  p.fillRect(1, h - 2, w - 2, 1, dark);
  p.fillRect(w - 2, 1, 1, h - 2, dark);
}

}  // namespace tolvane
