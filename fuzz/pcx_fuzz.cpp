// Any bytes: a decoded picture within the pixel limit, a refusal, or a
// Toolkit_Error; a refusal leaves the target as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/image_error.h"
#include "import/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tolvane::Raster_Image target(3, 2, 0x123456);
  try {
    const auto result = tolvane::Decode_Pcx_Data(data, size, target);
    if (result != tolvane::Pcx_Verdict::Decoded &&
        (target.Width() != 3 || target.Height() != 2 || target.At(2, 1) != 0x123456))
      std::abort();
    if (std::int64_t(target.Width()) * target.Height() > tolvane::Max_Image_Pixels) std::abort();
  } catch (const tolvane::Toolkit_Error&) {
  }
  return 0;
}
