// Any bytes: a picture within the pixel limit or a Toolkit_Error, nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "document/bmp.h"
#include "image/image_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const tolvane::Raster_Image img = tolvane::Decode_Bmp(data, size);
    if (std::int64_t(img.Width()) * img.Height() > tolvane::Max_Image_Pixels) std::abort();
  } catch (const tolvane::Toolkit_Error&) {
  }
  return 0;
}
