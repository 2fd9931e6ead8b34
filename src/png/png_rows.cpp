#include "png/png_rows.h"

#include <cstring>

#include "image/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TOLVANE_PNG_X86 1
#endif

namespace tolvane {

namespace {

// (value * alpha + background * (255 - alpha) + 127) / 255, which equals
// Composite_Channel at 8 bits without its 64-bit division.
inline std::uint32_t Blend(std::uint32_t v, std::uint32_t a, std::uint32_t bg) {
  return (v * a + bg * (255 - a) + 127) / 255;
}

inline Colour Blend_Pixel(const std::uint8_t* s, Colour background) {
  const std::uint32_t a = s[3];
  if (a == 255) return Rgb(s[0], s[1], s[2]);
  return Rgb(Blend(s[0], a, Red_Of(background)), Blend(s[1], a, Green_Of(background)),
             Blend(s[2], a, Blue_Of(background)));
}

#ifdef TOLVANE_PNG_X86
// Four pixels a step: 16 bytes are read for 12, so the last few go plain.
__attribute__((target("ssse3"))) std::size_t Rgb_To_Colours_Ssse3(const std::uint8_t* rgb,
                                                                  std::size_t n, Colour* out) {
  const __m128i order = _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
  std::size_t x = 0;
  for (; x + 6 <= n; x += 4) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_shuffle_epi8(in, order));
  }
  return x;
}

// Four pixels a step; each 16-byte store's last 4 bytes are overwritten by
// the next, so the store stays inside the row only while 4 more bytes fit.
__attribute__((target("ssse3"))) std::size_t Colours_To_Rgb_Ssse3(const Colour* in, std::size_t n,
                                                                  std::uint8_t* rgb) {
  const __m128i order =
      _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128);
  std::size_t x = 0;
  for (; x + 6 <= n; x += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 3 * x), _mm_shuffle_epi8(v, order));
  }
  return x;
}

// Whole opaque or whole clear runs of four pixels, the usual case in sprite
// art, take no arithmetic; mixed ones go pixel by pixel.
std::size_t Rgba_To_Colours_Sse2(const std::uint8_t* rgba, std::size_t n, Colour background,
                                 Colour* out) {
  const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
  const __m128i bg = _mm_set1_epi32(int(background & Colour_Mask));
  std::size_t x = 0;
  for (; x + 4 <= n; x += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + 4 * x));
    const __m128i a = _mm_and_si128(v, alpha);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, alpha)) == 0xFFFF)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_andnot_si128(alpha, v));
    else if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_setzero_si128())) == 0xFFFF)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), bg);
    else
      for (std::size_t i = x; i < x + 4; ++i) out[i] = Blend_Pixel(rgba + 4 * i, background);
  }
  return x;
}
#endif

}  // namespace

void Rgb_To_Colours_Plain(const std::uint8_t* rgb, std::size_t n, Colour* out) {
  for (std::size_t x = 0; x < n; ++x, rgb += 3) out[x] = Rgb(rgb[0], rgb[1], rgb[2]);
}

void Rgb_To_Colours(const std::uint8_t* rgb, std::size_t n, Colour* out) {
  std::size_t x = 0;
#ifdef TOLVANE_PNG_X86
  if (Have_Ssse3()) x = Rgb_To_Colours_Ssse3(rgb, n, out);
#endif
  Rgb_To_Colours_Plain(rgb + 3 * x, n - x, out + x);
}

void Rgba_To_Colours_Plain(const std::uint8_t* rgba, std::size_t n, Colour background,
                           Colour* out) {
  for (std::size_t x = 0; x < n; ++x) out[x] = Blend_Pixel(rgba + 4 * x, background);
}

void Rgba_To_Colours(const std::uint8_t* rgba, std::size_t n, Colour background, Colour* out) {
  std::size_t x = 0;
#ifdef TOLVANE_PNG_X86
  if (Have_Ssse3()) x = Rgba_To_Colours_Sse2(rgba, n, background, out);
#endif
  Rgba_To_Colours_Plain(rgba + 4 * x, n - x, background, out + x);
}

Colour Indices_To_Colours(const std::uint8_t* packed, std::size_t n, int depth, const Colour* table,
                          Colour* out) {
  Colour seen = 0;
  if (depth == 8) {
    for (std::size_t x = 0; x < n; ++x) seen |= out[x] = table[packed[x]];
    return seen;
  }
  const int per_byte = 8 / depth;
  const unsigned mask = (1u << depth) - 1;
  std::size_t x = 0;
  for (; x + std::size_t(per_byte) <= n; ++packed)
    for (int shift = 8 - depth; shift >= 0; shift -= depth)
      seen |= out[x++] = table[(*packed >> shift) & mask];
  for (int shift = 8 - depth; x < n; shift -= depth)
    seen |= out[x++] = table[(*packed >> shift) & mask];
  return seen;
}

void Colours_To_Rgb_Plain(const Colour* in, std::size_t n, std::uint8_t* rgb) {
  for (std::size_t x = 0; x < n; ++x, rgb += 3) {
    rgb[0] = std::uint8_t(Red_Of(in[x]));
    rgb[1] = std::uint8_t(Green_Of(in[x]));
    rgb[2] = std::uint8_t(Blue_Of(in[x]));
  }
}

void Colours_To_Rgb(const Colour* in, std::size_t n, std::uint8_t* rgb) {
  std::size_t x = 0;
#ifdef TOLVANE_PNG_X86
  if (Have_Ssse3()) x = Colours_To_Rgb_Ssse3(in, n, rgb);
#endif
  Colours_To_Rgb_Plain(in + x, n - x, rgb + 3 * x);
}

}  // namespace tolvane
