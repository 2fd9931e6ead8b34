#pragma once
#include <QColor>
#include <QImage>

#include "image/raster_image.h"

namespace tolvane {

inline QColor To_QColor(Colour c) { return QColor(Red_Of(c), Green_Of(c), Blue_Of(c)); }
inline Colour From_QColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

// A read-only QImage over the image's own pixels: 0x00BBGGRR is R, G, B, X in
// memory, which is Format_RGBX8888. Valid until the image is resized or freed.
inline QImage Wrap_Image(const Raster_Image& image) {
  if (image.Empty()) return QImage();
  return QImage(reinterpret_cast<const uchar*>(image.Data()), image.Width(), image.Height(),
                qsizetype(image.Width()) * 4, QImage::Format_RGBX8888);
}

// Independent copies in both directions, for the clipboard. Pictures with
// alpha come in composited over white.
QImage To_QImage(const Raster_Image& image);
Raster_Image From_QImage(const QImage& image);
// The same keeping transparency as one colour: `key`'s pixels get alpha 0
// going out; coming in, see-through pixels take `key` and partly
// transparent ones blend over it.
QImage To_QImage_Keyed(const Raster_Image& image, Colour key);
Raster_Image From_QImage_Keyed(const QImage& image, Colour key);

}  // namespace tolvane
