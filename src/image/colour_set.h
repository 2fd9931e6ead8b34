#pragma once
#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "image/colour.h"

namespace tolvane {

// One flag per colour value 0 .. 0xFFFFFF: the colours a picture uses.
using Colour_Set = std::vector<bool>;

// The first colour from `preferred` upward (wrapping at 0xFFFFFF) that is
// neither in `used` nor one of `avoid`; none when every colour is. The
// readers give a file's see-through pixels this colour, so that no opaque
// pixel turns clear. Load avoids the drawing colours: the default Mount
// colour and pencil are both black, and a black transparent colour would
// make the pencil erase.
inline std::optional<Colour> Free_Colour(const Colour_Set& used, Colour preferred,
                                         std::span<const Colour> avoid = {}) {
  // Up from the preferred colour, round the cube: a fixed order, so the same
  // picture always gets the same colour.
  for (Colour k = 0; k <= Colour_Mask; ++k) {
    const Colour c = (preferred + k) & Colour_Mask;
    if ((c >= used.size() || !used[c]) && std::find(avoid.begin(), avoid.end(), c) == avoid.end())
      return c;
  }
  return std::nullopt;
}

}  // namespace tolvane
