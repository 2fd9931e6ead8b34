#pragma once
#include <functional>

#include "image/raster_image.h"

namespace tolvane {

enum Resize_Method_Kind { Crop_Mount = 0, Stretch = 1 };

// Rebuilds every frame of the strip at size n: method 0 centres each old frame
// on the mount colour (cropping a larger one around its centre, offsets
// truncated toward zero), method 1 scales it by nearest pixel. Pumps events
// through `pump` twice per frame. Returns the old strip.
Raster_Image Resize_Frames(Raster_Image& strip, int n, Colour mount, int method, int frame_count,
                           const std::function<void()>& pump);

}  // namespace tolvane
