#pragma once
// How the decoded planes of one PCX line become colours. Internal to the
// decoder; pcx.h describes the layouts it accepts.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/colour.h"

namespace tolvane::pcx {

enum class Layout {
  Planar,    // 1 bit in 1 to 4 planes, plane k gives bit k of the index
  Two_Bit,   // 2 bits in 1 plane, 4 pixels a byte
  Four_Bit,  // 4 bits in 1 plane, 2 pixels a byte
  Indexed,   // 8 bits in 1 plane
  Rgb,       // 8 bits in 3 planes (4 with alpha, which is dropped)
};

using Palette = std::array<Colour, 256>;

// The layout for bits x planes; false when we do not read it.
bool Layout_Of(int bits, int planes, Layout& layout);

// Pixels one plane of `line_bytes` bytes holds.
std::uint64_t Pixels_Per_Line(Layout layout, std::uint64_t line_bytes);

// Paints the lines of one picture; made once for it, as it may build a
// table for its layout.
class Line_Painter {
 public:
  Line_Painter(Layout layout, int planes, const Palette& palette);
  // Paints the first `pixels` pixels of a line whose planes start `stride`
  // bytes apart; `pixels` must not exceed what the planes hold.
  void operator()(const std::uint8_t* line, std::size_t stride, int pixels, Colour* row) const;

 private:
  Layout layout_;
  int planes_;
  Palette palette_;
  // Black and white (one plane of 1 bit): the eight colours of each byte.
  std::vector<std::array<Colour, 8>> eights_;
};

}  // namespace tolvane::pcx
