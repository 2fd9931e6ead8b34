#pragma once
#include <cstdint>
#include <string>

#include "image/raster_image.h"

namespace tolvane {

// A strip another animation can be merged from: whole frames of the current
// frame size, at least one of them.
bool Valid_Merge_Strip(const Raster_Image& strip, int frame_size);

// The warning for a file that is not such a strip.
std::string Invalid_Merge_Text(int frame_size);

// Throws the toolkit's out-of-memory error when a strip of width x height
// (computed by the caller in 64 bits) is beyond what an image may hold.
void Check_Strip_Size(std::int64_t width, int height);

}  // namespace tolvane
