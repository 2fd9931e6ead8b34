#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/raster_image.h"

namespace tolvane {

// Windows bitmap files. Failures throw Toolkit_Error with the user's texts:
// "Cannot open file <path>", "Bitmap image is not valid", "Stream read error",
// "Cannot create file <path>", "Stream write error".

// Reads any BMP variant the program accepts into colour values.
Raster_Image Read_Bmp(const std::string& path);
Raster_Image Decode_Bmp(const std::uint8_t* data, std::size_t size);

// Writes 24 bits per pixel, bottom-up. The file is written beside the target
// under a temporary name and renamed over it, so a failed save leaves the old
// file as it was.
void Write_Bmp(const std::string& path, const Raster_Image& image);

}  // namespace tolvane
