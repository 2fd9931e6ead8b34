#pragma once
#include <cstdint>

namespace tolvane {

// 0x00BBGGRR: red in the low byte. In memory on little-endian machines this is
// R, G, B, 0, which Qt's Format_RGBX8888 shows without conversion.
using Colour = std::uint32_t;

// What a read outside an image returns. It is not a colour: drawing stores only
// the low 24 bits, so this value paints as white.
inline constexpr Colour No_Colour = 0xFFFFFFFFu;
inline constexpr Colour Colour_Mask = 0x00FFFFFFu;

inline constexpr Colour Rgb(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
inline constexpr unsigned Red_Of(Colour c) { return c & 0xFF; }
inline constexpr unsigned Green_Of(Colour c) { return (c >> 8) & 0xFF; }
inline constexpr unsigned Blue_Of(Colour c) { return (c >> 16) & 0xFF; }

}  // namespace tolvane
