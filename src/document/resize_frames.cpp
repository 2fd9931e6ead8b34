#include "document/resize_frames.h"

#include <climits>
#include <string>
#include <utility>

#include "image/image_error.h"

namespace tolvane {

Raster_Image Resize_Frames(Raster_Image& strip, int n, Colour mount, int method, int frame_count,
                           const std::function<void()>& pump) {
  const int h = strip.Height();
  if ((long long)frame_count * n > INT_MAX)
    throw Toolkit_Error("Not enough memory for " + std::to_string(frame_count) + " frames of " +
                        std::to_string(n) + " x " + std::to_string(n) + " pixels");
  // Allocate the result before touching the strip, so that a size too large to
  // allocate leaves the strip as it was.
  Raster_Image result(frame_count * n, n);
  Raster_Image a(h, h);
  Raster_Image b(n, n, mount);
  // Truncated toward zero: 15 -> 32 gives 8, 32 -> 15 gives -8 (not -9).
  const int d = (n - h) / 2;
  for (int l = 1; l <= frame_count; ++l) {
    // A negative offset clips the strip to this one frame's pixels.
    BitBlt(a, -(l - 1) * h, 0, strip);
    b.Fill_Colour = mount;
    b.FillRect({0, 0, n, n});
    if (pump) pump();
    if (method == Crop_Mount)
      BitBlt(b, d, d, a);
    else
      StretchBlt(b, {0, 0, n, n}, a);
    if (pump) pump();
    BitBlt(result, (l - 1) * n, 0, b);
  }
  // Moved in, not copied: nothing may fail once the strip changes.
  result.Pen_Colour = strip.Pen_Colour;
  result.Fill_Colour = strip.Fill_Colour;
  Raster_Image old = std::exchange(strip, std::move(result));
  strip.Touch();
  return old;
}

}  // namespace tolvane
