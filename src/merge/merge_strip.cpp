#include "merge/merge_strip.h"

#include <limits>

#include "image/image_error.h"

namespace tolvane {

bool Valid_Merge_Strip(const Raster_Image& strip, int frame_size) {
  // Width 0 is a multiple of any size too, but holds no frame to merge.
  return frame_size > 0 && strip.Height() == frame_size && strip.Width() >= frame_size &&
         strip.Width() % frame_size == 0;
}

std::string Invalid_Merge_Text(int frame_size) {
  const std::string fs = std::to_string(frame_size);
  std::string text = "This file does not contain valid animation frames. All frames must be ";
  text += fs;
  text += 'x';
  text += fs;
  return text;
}

void Check_Strip_Size(std::int64_t width, int height) {
  const bool fits = width >= 0 && width <= std::numeric_limits<int>::max() &&
                    (height == 0 || width <= Max_Image_Pixels / height);
  if (fits) return;
  std::string text = "Not enough memory for an image of ";
  text += std::to_string(width);
  text += " x ";
  text += std::to_string(height);
  text += " pixels";
  throw Toolkit_Error(text);
}

}  // namespace tolvane
