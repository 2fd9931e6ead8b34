#include "editor/transform.h"

namespace tolvane {

void Wrap_Shift(Raster_Image& dst, const Raster_Image& src, Nudge dir) {
  const int w = src.Width(), h = src.Height();
  if (w == 0 || h == 0) return;
  switch (dir) {
    case Nudge::Left:
      Copy_Rect(dst, {0, 0, w - 1, h}, src, {1, 0, w, h});
      Copy_Rect(dst, {w - 1, 0, w, h}, src, {0, 0, 1, h});
      break;
    case Nudge::Right:
      Copy_Rect(dst, {1, 0, w, h}, src, {0, 0, w - 1, h});
      Copy_Rect(dst, {0, 0, 1, h}, src, {w - 1, 0, w, h});
      break;
    case Nudge::Up:
      Copy_Rect(dst, {0, 0, w, h - 1}, src, {0, 1, w, h});
      Copy_Rect(dst, {0, h - 1, w, h}, src, {0, 0, w, 1});
      break;
    case Nudge::Down:
      Copy_Rect(dst, {0, 1, w, h}, src, {0, 0, w, h - 1});
      Copy_Rect(dst, {0, 0, w, 1}, src, {0, h - 1, w, h});
      break;
  }
}

void Mirror(Raster_Image& dst, const Raster_Image& src, bool horizontal) {
  const int w = src.Width(), h = src.Height();
  if (w == 0 || h == 0) return;
  if (horizontal)
    StretchBlt(dst, {w - 1, 0, -1, h}, src);
  else
    StretchBlt(dst, {0, h - 1, w, -1}, src);
}

}  // namespace tolvane
