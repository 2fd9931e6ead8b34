#pragma once
#include "image/raster_image.h"

namespace tolvane {

enum class Nudge { Left, Right, Up, Down };

// Rebuilds dst (the same size as src) from src moved by one pixel, the strip
// that falls off one edge re-entering at the opposite edge.
void Wrap_Shift(Raster_Image& dst, const Raster_Image& src, Nudge dir);

// Mirrored scaled copy of src onto dst of the same size.
void Mirror(Raster_Image& dst, const Raster_Image& src, bool horizontal);

}  // namespace tolvane
