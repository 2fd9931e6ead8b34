// Any bytes: a picture within the pixel limit or a Toolkit_Error, nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bmp/bmp.h"
#include "image/image_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    // A small file may declare millions of pixels; filling them dominates a
    // run and finds nothing the size tests do not. Stay on the decoding.
    const tolvane::Bmp_Header h = tolvane::Parse_Bmp_Header(data, size);
    if (std::int64_t(h.Width) * h.Height > (std::int64_t{1} << 16)) return 0;
    const tolvane::Raster_Image img = tolvane::Decode_Bmp(data, size);
    if (std::int64_t(img.Width()) * img.Height() > tolvane::Max_Image_Pixels) std::abort();
  } catch (const tolvane::Toolkit_Error&) {
  }
  return 0;
}
