// Any bytes: a picture within the pixel limit or a Toolkit_Error, nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/image_error.h"
#include "png/png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A small file may declare millions of pixels; filling them dominates a
  // run and finds nothing the size tests do not. Stay on the decoding.
  if (size >= 24 && tolvane::Is_Png_Signature(data, size)) {
    auto be32 = [&](std::size_t at) {
      return std::uint32_t(data[at]) << 24 | std::uint32_t(data[at + 1]) << 16 |
             std::uint32_t(data[at + 2]) << 8 | data[at + 3];
    };
    if (std::uint64_t(be32(16)) * be32(20) > (std::uint64_t{1} << 16)) return 0;
  }
  try {
    const tolvane::Raster_Image img = tolvane::Decode_Png(data, size, 0x123456);
    if (std::int64_t(img.Width()) * img.Height() > tolvane::Max_Image_Pixels) std::abort();
    for (int y = 0; y < img.Height(); ++y)
      for (int x = 0; x < img.Width(); ++x)
        if (img.Row(y)[x] > tolvane::Colour_Mask) std::abort();
  } catch (const tolvane::Toolkit_Error&) {
  }
  return 0;
}
