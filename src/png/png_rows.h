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

// Undoes a row's filter (0 none, 1 sub, 2 up, 3 average, 4 Paeth): `in` is
// the filtered row of n bytes, `prev` the row above as unfiltered (zeros for
// the first row), bpp the bytes of one pixel (1 below 8 bits). False for a
// filter type that does not exist.
bool Unfilter_Row(int filter, const std::uint8_t* in, const std::uint8_t* prev, std::size_t n,
                  int bpp, std::uint8_t* out);
bool Unfilter_Row_Plain(int filter, const std::uint8_t* in, const std::uint8_t* prev, std::size_t n,
                        int bpp, std::uint8_t* out);

// Colour values to 8-bit RGB samples.
void Colours_To_Rgb(const Colour* in, std::size_t n, std::uint8_t* rgb);
void Colours_To_Rgb_Plain(const Colour* in, std::size_t n, std::uint8_t* rgb);

}  // namespace tolvane
