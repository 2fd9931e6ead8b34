#include "effects/effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tolvane {

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;

void Fill_All(Raster_Image& image, Colour c) {
  Colour* p = image.Data();
  std::fill(p, p + std::size_t(image.Width()) * image.Height(), c & Colour_Mask);
}

// The geometry of one turn: the angle p the picture is mapped back by, the
// turned picture's size, its origin inside that picture and where it lands.
struct Turn {
  int p = 0;
  double sn = 0, cs = 1;
  long double ox = 0, oy = 0;
  Rotate_Bounds r;
};

Turn Plan_Turn(int w, int h, int degrees) {
  // Outside one full turn either way the angle is taken modulo 360, which
  // keeps -360..360 exactly as they are.
  if (degrees > 360 || degrees < -360) degrees %= 360;
  Turn t;
  t.p = -degrees;
  if (t.p < 0) t.p += 360;
  t.sn = Sin_Degrees(t.p);
  t.cs = Cos_Degrees(t.p);
  const long double W = w, H = h;
  const long long x1 = Round_Even(W * t.cs), y1 = Round_Even(W * t.sn);
  const long long x2 = Round_Even(-H * t.sn), y2 = Round_Even(H * t.cs);
  const long long x3 = Round_Even(W * t.cs - H * t.sn), y3 = Round_Even(W * t.sn + H * t.cs);
  const long long min_x = std::min({0LL, x1, x2, x3}), max_x = std::max({0LL, x1, x2, x3});
  const long long min_y = std::min({0LL, y1, y2, y3}), max_y = std::max({0LL, y1, y2, y3});
  t.r.Width = int(max_x - min_x);
  t.r.Height = int(max_y - min_y);
  if (t.p <= 90) {
    t.ox = 0;
    t.oy = W * t.sn - 1;
  } else if (t.p <= 180) {
    t.ox = W * Cos_Degrees(180 - t.p) - 1;
    t.oy = (long double)t.r.Height - 1;
  } else if (t.p <= 270) {
    t.ox = (long double)t.r.Width - 1;
    t.oy = H * Cos_Degrees(180 - t.p);
  } else {
    t.ox = H * Cos_Degrees(t.p - 270);
    t.oy = 0;
  }
  t.r.Left = (w - t.r.Width) / 2;
  t.r.Top = (h - t.r.Height) / 2;
  return t;
}

// For v(k) = v0 + k * step in 32.32 fixed point, k = 0..n-1: the first k
// whose integer part lies in 0..limit-1 and the first k after that run
// (both n when there is none). The integer part is monotonic in k.
int Covered_From(std::int64_t v0, std::int64_t step, int limit, int n) {
  const std::int64_t lo = 0, hi = std::int64_t(limit) << 32;  // inside: lo <= v < hi
  auto inside = [&](std::int64_t v) { return v >= lo && v < hi; };
  if (step == 0) return inside(v0) ? 0 : n;
  // Solve for the entry point, then correct it by stepping, as the division
  // only estimates it.
  std::int64_t k = 0;
  if (step > 0 && v0 < lo) k = (lo - v0 + step - 1) / step;
  if (step < 0 && v0 >= hi) k = (v0 - hi) / -step + 1;
  while (k > 0 && inside(v0 + (k - 1) * step)) --k;
  while (k < n && !inside(v0 + k * step)) {
    if ((step > 0 && v0 + k * step >= hi) || (step < 0 && v0 + k * step < lo)) return n;
    ++k;
  }
  return int(std::min<std::int64_t>(k, n));
}

int Covered_To(std::int64_t v0, std::int64_t step, int limit, int n) {
  const std::int64_t lo = 0, hi = std::int64_t(limit) << 32;
  auto inside = [&](std::int64_t v) { return v >= lo && v < hi; };
  const int from = Covered_From(v0, step, limit, n);
  if (from >= n) return n;
  if (step == 0) return n;
  std::int64_t k = step > 0 ? (hi - v0 + step - 1) / step : (v0 - lo) / -step + 1;
  k = std::clamp<std::int64_t>(k, from, n);
  while (k > from && !inside(v0 + (k - 1) * step)) --k;
  while (k < n && inside(v0 + k * step)) ++k;
  return int(k);
}

// Whether f + k * s (mod 2^32), for either pair and any k in 0..n-1, comes
// within m of 0 (the fractions of fixed-point values near an integer). Kept
// on its own so that the vector loop has the registers to itself.
[[gnu::noinline]] bool Near_Half(std::uint32_t fa, std::uint32_t sa, std::uint32_t fb,
                                 std::uint32_t sb, std::uint32_t m, int n) {
  // The fractions are kept with their top bit flipped, so that the unsigned
  // test "fraction + m < 2m" becomes a signed comparison, which SSE2 has.
  constexpr std::uint32_t flip = 0x80000000u;
  const std::int32_t below = std::int32_t((2 * m) ^ flip);
  std::int32_t la = std::int32_t((fa + m) ^ flip), lb = std::int32_t((fb + m) ^ flip);
  std::int32_t near = 0;
  for (int k = 0; k < n; ++k) {
    near |= (la < below) | (lb < below);
    la = std::int32_t(std::uint32_t(la) + sa);
    lb = std::int32_t(std::uint32_t(lb) + sb);
  }
  return near != 0;
}

}  // namespace

double Sin_Degrees(long double degrees) { return double(std::sin(degrees * Pi / 180)); }

double Cos_Degrees(long double degrees) { return double(std::cos(degrees * Pi / 180)); }

void Apply_Brightness(Raster_Image& image, int level) {
  const long long k = Round_Even(level * 2.55L);
  std::uint32_t lut[256];
  for (int v = 0; v < 256; ++v) lut[v] = std::uint32_t(std::clamp<long long>(v + k, 0, 255));
  Colour* p = image.Data();
  const std::size_t n = std::size_t(image.Width()) * image.Height();
  for (std::size_t i = 0; i < n; ++i) {
    const Colour c = p[i];
    p[i] = lut[Red_Of(c)] | lut[Green_Of(c)] << 8 | lut[Blue_Of(c)] << 16;
  }
}

Rotate_Bounds Rotate_Placement(int width, int height, int degrees) {
  return Plan_Turn(width, height, degrees).r;
}

// Every pixel (x, y) of the turned picture R is mapped back into the source:
// sx = Round(dx cs - dy sn), sy = Round(dx sn + dy cs) with dx = x - ox and
// dy = y - oy in long double. Only the part of R that lands in the image is
// computed, straight into the image. Along a row both values grow by a fixed
// step, so each row runs in 32.32 fixed point from its first pixel; a value
// that comes within the error margin of a half (where the fixed-point and the
// long double values could round apart) is recomputed in long double exactly
// as the formula says. Away from the halves both round alike, so the pixels
// are those of the long double formula.
void Apply_Rotate(Raster_Image& image, int degrees, Colour mount) {
  const int w = image.Width(), h = image.Height();
  if (w == 0 || h == 0) return;
  const Turn t = Plan_Turn(w, h, degrees);
  if (t.p == 0) return;  // R is the picture itself, copied back in place
  mount &= Colour_Mask;

  thread_local std::vector<Colour> source;  // the picture before the turn
  source.assign(image.Data(), image.Data() + std::size_t(w) * h);
  const Colour* src = source.data();

  auto exact = [&](int x, int y) -> Colour {
    const long double dx = (long double)x - t.ox, dy = (long double)y - t.oy;
    const long long sx = Round_Even(dx * t.cs - dy * t.sn);
    const long long sy = Round_Even(dx * t.sn + dy * t.cs);
    if (sx < 0 || sx >= w || sy < 0 || sy >= h) return mount;
    return src[std::size_t(sy) * w + std::size_t(sx)];
  };

  const double cs = t.cs, sn = t.sn;
  const double ox = double(t.ox), oy = double(t.oy);
  // Error against the long double values: a few units in the last place of
  // the largest magnitude for the double row start, plus half a fixed-point
  // unit per step along the row. The margin is far wider than both.
  const double magnitude = double(t.r.Width) + t.r.Height + std::fabs(ox) + std::fabs(oy) + 2;
  constexpr double one = 4294967296.0;  // 2^32, the fixed-point unit
  const double margin = 1e-9 * magnitude + (w + 4) / one;
  const bool fits = magnitude < 1e9 && margin < 0.01;
  const std::uint32_t m = std::uint32_t(margin * one) + 1;
  const std::int64_t step_a = std::llrint(cs * one), step_b = std::llrint(sn * one);

  // Columns and rows of the image that R covers.
  const int x_lo = std::max(0, t.r.Left), x_hi = std::min(w, t.r.Left + t.r.Width);
  const int y_lo = std::max(0, t.r.Top), y_hi = std::min(h, t.r.Top + t.r.Height);
  Colour* out_all = image.Data();
  for (int Y = 0; Y < h; ++Y) {
    Colour* out = out_all + std::size_t(Y) * w;
    if (Y < y_lo || Y >= y_hi || x_lo >= x_hi) {
      std::fill(out, out + w, mount);
      continue;
    }
    std::fill(out, out + x_lo, mount);
    std::fill(out + x_hi, out + w, mount);
    const int y = Y - t.r.Top;
    if (!fits) {
      for (int X = x_lo; X < x_hi; ++X) out[X] = exact(X - t.r.Left, y);
      continue;
    }
    // Both values with a half added, so that the integer part is the rounded
    // value and a half shows as a fraction near 0.
    const double dx = (x_lo - t.r.Left) - ox, dy = y - oy;
    std::int64_t a = std::llrint((dx * cs - dy * sn + 0.5) * one);
    std::int64_t b = std::llrint((dx * sn + dy * cs + 0.5) * one);
    // Most rows come nowhere near a half: a scan of the fractions alone (which
    // vectorises) lets them run without the check.
    const bool near = Near_Half(std::uint32_t(a), std::uint32_t(step_a), std::uint32_t(b),
                                std::uint32_t(step_b), m, x_hi - x_lo);
    if (!near) {
      // Every pixel rounds as the fixed-point value says: the covered run of
      // the row is found first, and the run is copied without a check.
      const int n = x_hi - x_lo;
      const int k0 = Covered_From(a, step_a, w, n), k1 = Covered_From(b, step_b, h, n);
      const int e0 = Covered_To(a, step_a, w, n), e1 = Covered_To(b, step_b, h, n);
      const int from = std::max(k0, k1), to = std::max(from, std::min(e0, e1));
      std::fill(out + x_lo, out + x_lo + from, mount);
      std::fill(out + x_lo + to, out + x_hi, mount);
      a += step_a * from;
      b += step_b * from;
      for (int X = x_lo + from; X < x_lo + to; ++X, a += step_a, b += step_b)
        out[X] = src[std::size_t(b >> 32) * w + std::size_t(a >> 32)];
      continue;
    }
    for (int X = x_lo; X < x_hi; ++X, a += step_a, b += step_b) {
      if ((std::uint32_t(a) + m < 2 * m) | (std::uint32_t(b) + m < 2 * m)) {
        out[X] = exact(X - t.r.Left, y);
        continue;
      }
      const std::uint64_t sx = std::uint64_t(a >> 32), sy = std::uint64_t(b >> 32);
      out[X] = (sx < std::uint64_t(w) && sy < std::uint64_t(h)) ? src[sy * w + sx] : mount;
    }
  }
  // The copy is kept for the next frame of a sequence, but not when it is big.
  if (source.size() > (std::size_t{1} << 20)) std::vector<Colour>().swap(source);
}

void Apply_Squash(Raster_Image& image, int percent, bool vertical, Colour mount) {
  const int w = image.Width(), h = image.Height();
  if (w == 0 || h == 0) return;
  const Raster_Image t = image;
  Rect r{0, 0, w, h};
  if (vertical) {
    const long long cut = Round_Even((long double)(std::int64_t(h) * percent) / 200);
    r.Top = int(cut);
    r.Bottom = int(h - cut);
  } else {
    const long long cut = Round_Even((long double)(std::int64_t(w) * percent) / 200);
    r.Left = int(cut);
    r.Right = int(w - cut);
  }
  Fill_All(image, mount);
  StretchBlt(image, r, t);
}

void Apply_Spin(Raster_Image& image, int degrees, bool vertical, Colour mount) {
  const int w = image.Width(), h = image.Height();
  if (w == 0 || h == 0) return;
  const Raster_Image t = image;
  Rect r{0, 0, w, h};
  const long double c = Cos_Degrees(degrees);
  if (vertical) {
    const long long size = std::llabs(Round_Even(w * c));
    r.Left = int((w - size) / 2);
    r.Right = int(r.Left + size);
  } else {
    const long long size = std::llabs(Round_Even(h * c));
    r.Top = int((h - size) / 2);
    r.Bottom = int(r.Top + size);
  }
  Fill_All(image, mount);
  StretchBlt(image, r, t);
}

}  // namespace tolvane
