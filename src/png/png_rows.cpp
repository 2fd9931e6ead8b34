#include "png/png_rows.h"

#include <algorithm>
#include <cstdlib>
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

// A pixel in and out of a register without going through memory, which
// would stall each step on a partial store.
template <int Bpp>
inline __m128i Load_Pixel(const std::uint8_t* p) {
  if constexpr (Bpp == 4) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(int(v));
  } else {
    std::uint16_t low;
    std::memcpy(&low, p, 2);
    return _mm_cvtsi32_si128(int(low | std::uint32_t(p[2]) << 16));
  }
}
template <int Bpp>
inline void Store_Pixel(std::uint8_t* p, __m128i v) {
  const auto x = std::uint32_t(_mm_cvtsi128_si32(v));
  if constexpr (Bpp == 4) {
    std::memcpy(p, &x, 4);
  } else {
    const auto low = std::uint16_t(x);
    std::memcpy(p, &low, 2);
    p[2] = std::uint8_t(x >> 16);
  }
}

// Up has no dependence along the row: 16 bytes a step.
std::size_t Unfilter_Up_Sse2(const std::uint8_t* in, const std::uint8_t* prev, std::size_t n,
                             std::uint8_t* out) {
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_add_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i))));
  for (; i < n; ++i) out[i] = std::uint8_t(in[i] + prev[i]);
  return n;
}

// Sub, average and Paeth depend on the pixel to the left, so they go a
// pixel at a time with all of its channels in one register. For 3 and 4
// bytes a pixel, whose rows are whole pixels.
template <int Bpp>
__attribute__((target("ssse3"))) void Unfilter_Pixels_Ssse3(int filter, const std::uint8_t* in,
                                                            const std::uint8_t* prev, std::size_t n,
                                                            std::uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  __m128i a = zero;
  if (filter == 1) {
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
      a = _mm_add_epi8(Load_Pixel<Bpp>(in + i), a);
      Store_Pixel<Bpp>(out + i, a);
    }
  } else if (filter == 3) {
    const __m128i one = _mm_set1_epi8(1);
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
      const __m128i b = Load_Pixel<Bpp>(prev + i);
      // avg_epu8 rounds up; the filter rounds down.
      const __m128i avg = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
      a = _mm_add_epi8(Load_Pixel<Bpp>(in + i), avg);
      Store_Pixel<Bpp>(out + i, a);
    }
  } else {
    // 16-bit lanes: p - a = b - c, p - b = a - c, p - c = their sum.
    __m128i c = zero;
    const __m128i low = _mm_set1_epi16(0xFF);
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
      const __m128i b = _mm_unpacklo_epi8(Load_Pixel<Bpp>(prev + i), zero);
      const __m128i x = _mm_unpacklo_epi8(Load_Pixel<Bpp>(in + i), zero);
      __m128i pa = _mm_sub_epi16(b, c);
      __m128i pb = _mm_sub_epi16(a, c);
      __m128i pc = _mm_abs_epi16(_mm_add_epi16(pa, pb));
      pa = _mm_abs_epi16(pa);
      pb = _mm_abs_epi16(pb);
      const __m128i least = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
      const __m128i take_a = _mm_cmpeq_epi16(least, pa);
      const __m128i take_b = _mm_andnot_si128(take_a, _mm_cmpeq_epi16(least, pb));
      const __m128i take_c = _mm_andnot_si128(_mm_or_si128(take_a, take_b), _mm_set1_epi16(-1));
      const __m128i nearest =
          _mm_or_si128(_mm_or_si128(_mm_and_si128(take_a, a), _mm_and_si128(take_b, b)),
                       _mm_and_si128(take_c, c));
      a = _mm_and_si128(_mm_add_epi16(nearest, x), low);
      Store_Pixel<Bpp>(out + i, _mm_packus_epi16(a, a));
      c = b;
    }
  }
}
#endif

inline std::uint8_t Paeth(int a, int b, int c) {
  const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  return std::uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

}  // namespace

bool Unfilter_Row_Plain(int filter, const std::uint8_t* in, const std::uint8_t* prev, std::size_t n,
                        int bpp, std::uint8_t* out) {
  const std::size_t first = std::min(n, std::size_t(bpp));
  switch (filter) {
    case 0:
      std::memcpy(out, in, n);
      return true;
    case 1:
      std::memcpy(out, in, first);
      for (std::size_t i = first; i < n; ++i) out[i] = std::uint8_t(in[i] + out[i - bpp]);
      return true;
    case 2:
      for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t(in[i] + prev[i]);
      return true;
    case 3:
      for (std::size_t i = 0; i < first; ++i) out[i] = std::uint8_t(in[i] + (prev[i] >> 1));
      for (std::size_t i = first; i < n; ++i)
        out[i] = std::uint8_t(in[i] + ((out[i - bpp] + prev[i]) >> 1));
      return true;
    case 4:
      for (std::size_t i = 0; i < first; ++i) out[i] = std::uint8_t(in[i] + prev[i]);
      for (std::size_t i = first; i < n; ++i)
        out[i] = std::uint8_t(in[i] + Paeth(out[i - bpp], prev[i], prev[i - bpp]));
      return true;
    default:
      return false;
  }
}

bool Unfilter_Row(int filter, const std::uint8_t* in, const std::uint8_t* prev, std::size_t n,
                  int bpp, std::uint8_t* out) {
#ifdef TOLVANE_PNG_X86
  if (Have_Ssse3() && filter >= 1 && filter <= 4) {
    if (filter == 2) {
      Unfilter_Up_Sse2(in, prev, n, out);
      return true;
    }
    if (bpp == 3 && n % 3 == 0) {
      Unfilter_Pixels_Ssse3<3>(filter, in, prev, n, out);
      return true;
    }
    if (bpp == 4 && n % 4 == 0) {
      Unfilter_Pixels_Ssse3<4>(filter, in, prev, n, out);
      return true;
    }
  }
#endif
  return Unfilter_Row_Plain(filter, in, prev, n, bpp, out);
}

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
