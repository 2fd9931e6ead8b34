// Any bytes: composed frames within the limits, each of the canvas's size,
// with one delay each and no mark left in a pixel; or a Toolkit_Error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "gif/gif_read.h"
#include "image/image_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A small file may declare a canvas of millions of pixels; filling it
  // dominates a run and finds nothing the size tests do not.
  if (size >= 10 && std::uint32_t(data[6] | data[7] << 8) * std::uint32_t(data[8] | data[9] << 8) >
                        (std::uint32_t{1} << 16))
    return 0;
  try {
    const tolvane::Gif_Frames gif = tolvane::Decode_Gif(data, size, 0x123456);
    if (gif.Frames.empty() || gif.Frames.size() != gif.Delays_Ms.size() ||
        std::int64_t(gif.Frames.size()) * gif.Width * gif.Height > tolvane::Max_Gif_Pixels)
      std::abort();
    for (const tolvane::Raster_Image& frame : gif.Frames) {
      if (frame.Width() != gif.Width || frame.Height() != gif.Height) std::abort();
      for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x)
          if (frame.At(x, y) > tolvane::Colour_Mask) std::abort();
    }
  } catch (const tolvane::Toolkit_Error&) {
  }
  return 0;
}
