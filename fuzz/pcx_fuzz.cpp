// Any bytes: a decoded picture within the pixel limit, a refusal, or a
// Toolkit_Error; a refusal leaves the target as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/image_error.h"
#include "pcx/pcx.h"

namespace {
int Field(const std::uint8_t* p) { return p[0] | p[1] << 8; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Pictures a small file may declare up to millions of pixels; filling them
  // dominates each run and finds nothing the size tests do not. Keep the
  // fuzzer on the decoding itself.
  if (size >= 12) {
    const long w = std::labs(long(Field(data + 8)) - Field(data + 4)) + 1;
    const long h = std::labs(long(Field(data + 10)) - Field(data + 6)) + 1;
    if (w * h > (1L << 16)) return 0;
  }
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
