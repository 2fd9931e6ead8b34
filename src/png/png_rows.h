#pragma once
#include <cstddef>
#include <cstdint>

#include "image/colour.h"

namespace tolvane {

// Whole-row conversions between PNG samples and colour values, the hot loops
// of reading and writing a strip. Each has a plain form and, where the
// processor has it, a vector form that gives the same result; the plain
// forms stay callable so the two can be compared.

// 8-bit RGB samples to colour values.
void Rgb_To_Colours(const std::uint8_t* rgb, std::size_t n, Colour* out);
void Rgb_To_Colours_Plain(const std::uint8_t* rgb, std::size_t n, Colour* out);

// 8-bit RGBA samples composited over `background`, exactly as
// Composite_Channel does at 8 bits.
void Rgba_To_Colours(const std::uint8_t* rgba, std::size_t n, Colour background, Colour* out);
void Rgba_To_Colours_Plain(const std::uint8_t* rgba, std::size_t n, Colour background, Colour* out);

// Packed palette indices of `depth` bits (1, 2, 4 or 8), first pixel in the
// high bits, through a 256-entry table. Returns the OR of every value
// written, so a caller that marks unusable entries in the top byte learns
// whether one was used.
Colour Indices_To_Colours(const std::uint8_t* packed, std::size_t n, int depth, const Colour* table,
                          Colour* out);

// Colour values to 8-bit RGB samples.
void Colours_To_Rgb(const Colour* in, std::size_t n, std::uint8_t* rgb);
void Colours_To_Rgb_Plain(const Colour* in, std::size_t n, std::uint8_t* rgb);

}  // namespace tolvane
