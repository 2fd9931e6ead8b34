#include "pcx/pcx_layout.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tolvane::pcx {

namespace {

// Byte j of Spread[b] is bit 7 - j of b: one plane byte becomes the plane's
// bit of eight pixels, leftmost pixel in the low byte.
struct Spread_Table {
  std::uint64_t v[256];
  constexpr Spread_Table() : v() {
    for (int b = 0; b < 256; ++b)
      for (int j = 0; j < 8; ++j) v[b] |= std::uint64_t((b >> (7 - j)) & 1) << (8 * j);
  }
};
constexpr Spread_Table Spread;

void Paint_Planar(int planes, const Palette& pal, const std::uint8_t* line, std::size_t stride,
                  int pixels, Colour* row) {
  const int bytes = pixels / 8;
  for (int i = 0; i < bytes; ++i) {
    std::uint64_t index = 0;
    for (int k = 0; k < planes; ++k) index |= Spread.v[line[k * stride + i]] << k;
    Colour* out = row + 8 * i;
    for (int j = 0; j < 8; ++j) out[j] = pal[(index >> (8 * j)) & 0xFF];
  }
  for (int x = 8 * bytes; x < pixels; ++x) {
    unsigned index = 0;
    for (int k = 0; k < planes; ++k) index |= ((line[k * stride + x / 8] >> (7 - x % 8)) & 1) << k;
    row[x] = pal[index];
  }
}

// Eight pixels a byte from the table of their colours.
void Paint_Eights(const std::array<Colour, 8>* eights, const std::uint8_t* s, int pixels,
                  Colour* row) {
  int x = 0;
  for (; x + 8 <= pixels; x += 8, ++s) std::memcpy(row + x, eights[*s].data(), sizeof eights[0]);
  for (int j = 0; x < pixels; ++x, ++j) row[x] = eights[*s][std::size_t(j)];
}

void Paint_Two_Bit(const Palette& pal, const std::uint8_t* s, int pixels, Colour* row) {
  int x = 0;
  for (; x + 4 <= pixels; x += 4, ++s) {
    row[x] = pal[*s >> 6];
    row[x + 1] = pal[(*s >> 4) & 3];
    row[x + 2] = pal[(*s >> 2) & 3];
    row[x + 3] = pal[*s & 3];
  }
  for (int shift = 6; x < pixels; ++x, shift -= 2) row[x] = pal[(*s >> shift) & 3];
}

void Paint_Four_Bit(const Palette& pal, const std::uint8_t* s, int pixels, Colour* row) {
  int x = 0;
  for (; x + 2 <= pixels; x += 2, ++s) {
    row[x] = pal[*s >> 4];
    row[x + 1] = pal[*s & 15];
  }
  if (x < pixels) row[x] = pal[*s >> 4];
}

void Paint_Rgb(const std::uint8_t* r, const std::uint8_t* g, const std::uint8_t* b, int pixels,
               Colour* row) {
  int x = 0;
#if defined(__SSE2__)
  // Sixteen pixels at a time: red and green bytes pair up into the low
  // halves, blue with a zero into the high halves.
  const __m128i zero = _mm_setzero_si128();
  for (; x + 16 <= pixels; x += 16) {
    const __m128i rv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + x));
    const __m128i gv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(g + x));
    const __m128i bv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
    const __m128i rg_lo = _mm_unpacklo_epi8(rv, gv), rg_hi = _mm_unpackhi_epi8(rv, gv);
    const __m128i b_lo = _mm_unpacklo_epi8(bv, zero), b_hi = _mm_unpackhi_epi8(bv, zero);
    auto* out = reinterpret_cast<__m128i*>(row + x);
    _mm_storeu_si128(out, _mm_unpacklo_epi16(rg_lo, b_lo));
    _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(rg_lo, b_lo));
    _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(rg_hi, b_hi));
    _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(rg_hi, b_hi));
  }
#endif
  for (; x < pixels; ++x) row[x] = Rgb(r[x], g[x], b[x]);
}

}  // namespace

bool Layout_Of(int bits, int planes, Layout& layout) {
  if (bits == 1 && planes >= 1 && planes <= 4) {
    layout = Layout::Planar;
  } else if (bits == 2 && planes == 1) {
    layout = Layout::Two_Bit;
  } else if (bits == 4 && planes == 1) {
    layout = Layout::Four_Bit;
  } else if (bits == 8 && planes == 1) {
    layout = Layout::Indexed;
  } else if (bits == 8 && (planes == 3 || planes == 4)) {
    layout = Layout::Rgb;
  } else {
    return false;
  }
  return true;
}

std::uint64_t Pixels_Per_Line(Layout layout, std::uint64_t line_bytes) {
  switch (layout) {
    case Layout::Planar:
      return 8 * line_bytes;
    case Layout::Two_Bit:
      return 4 * line_bytes;
    case Layout::Four_Bit:
      return 2 * line_bytes;
    case Layout::Indexed:
    case Layout::Rgb:
      break;
  }
  return line_bytes;
}

Line_Painter::Line_Painter(Layout layout, int planes, const Palette& palette)
    : layout_(layout), planes_(planes), palette_(palette) {
  if (layout == Layout::Planar && planes == 1) {
    eights_.resize(256);
    for (int b = 0; b < 256; ++b)
      for (int j = 0; j < 8; ++j)
        eights_[std::size_t(b)][std::size_t(j)] = palette[(b >> (7 - j)) & 1];
  }
}

void Line_Painter::operator()(const std::uint8_t* line, std::size_t stride, int pixels,
                              Colour* row) const {
  switch (layout_) {
    case Layout::Planar:
      if (eights_.empty())
        Paint_Planar(planes_, palette_, line, stride, pixels, row);
      else
        Paint_Eights(eights_.data(), line, pixels, row);
      break;
    case Layout::Two_Bit:
      Paint_Two_Bit(palette_, line, pixels, row);
      break;
    case Layout::Four_Bit:
      Paint_Four_Bit(palette_, line, pixels, row);
      break;
    case Layout::Indexed:
      for (int x = 0; x < pixels; ++x) row[x] = palette_[line[x]];
      break;
    case Layout::Rgb:
      Paint_Rgb(line, line + stride, line + 2 * stride, pixels, row);
      break;
  }
}

}  // namespace tolvane::pcx
