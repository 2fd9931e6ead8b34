#pragma once
#include <cstddef>
#include <optional>
#include <vector>

#include "image/colour.h"

namespace tolvane {

// One flag per colour value 0 .. 0xFFFFFF: the colours a picture uses.
using Colour_Set = std::vector<bool>;

// The first colour from `preferred` upward (wrapping at 0xFFFFFF) that is
// not in `used`; none when every colour is. The readers give a file's
// see-through pixels this colour, so that no opaque pixel turns clear.
inline std::optional<Colour> Free_Colour(const Colour_Set& used, Colour preferred) {
  // Up from the preferred colour, round the cube: a fixed order, so the same
  // picture always gets the same colour.
  for (Colour k = 0; k <= Colour_Mask; ++k) {
    const Colour c = (preferred + k) & Colour_Mask;
    if (c >= used.size() || !used[c]) return c;
  }
  return std::nullopt;
}

}  // namespace tolvane
