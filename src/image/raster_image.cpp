#include "image/raster_image.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include <sys/mman.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "image/cpu_features.h"
#include "image/image_error.h"

namespace tolvane {

std::uint64_t Next_Serial() noexcept {
  static std::atomic<std::uint64_t> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

namespace {

// Large pictures (a 4096 x 4096 sprite sheet) spend most of their allocation
// in page faults; asking for huge pages on the buffer cuts that several times.
void Prefer_Huge_Pages(void* data, std::size_t bytes) {
  constexpr std::uintptr_t huge = std::uintptr_t{2} << 20;
  if (bytes < 2 * huge) return;
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + huge - 1) & ~(huge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(huge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// Buffers from this size up are worth keeping for reuse; smaller ones are
// recycled well by malloc itself.
constexpr std::size_t Large_Bytes = std::size_t{4} << 20;
// Larger ones go back at once: holding a gigabyte nobody uses is worse than
// the faults it would save.
constexpr std::size_t Spare_Limit = std::size_t{256} << 20;

struct Spare_Block {
  std::mutex lock;
  void* data = nullptr;
  std::size_t bytes = 0;
} spare;

// Half-open interval [lo, hi) clipped to [0, limit).
struct Span {
  int lo, hi;
  bool empty() const { return hi <= lo; }
};

Span Clip(long long lo, long long hi, int limit) {
  lo = std::max<long long>(lo, 0);
  hi = std::min<long long>(hi, limit);
  if (hi < lo) hi = lo;
  return {int(lo), int(hi)};
}

}  // namespace

void* Allocate_Pixels(std::size_t bytes) {
  if (bytes >= Large_Bytes) {
    std::lock_guard<std::mutex> hold(spare.lock);
    // A spare much larger than asked for is left for a later, larger image.
    if (spare.data && spare.bytes >= bytes && spare.bytes - bytes <= bytes / 4) {
      void* p = spare.data;
      spare.data = nullptr;
      return p;
    }
  }
  void* p = ::operator new(bytes);
  Prefer_Huge_Pages(p, bytes);
  return p;
}

void Free_Pixels(void* p, std::size_t bytes) noexcept {
  if (bytes >= Large_Bytes && bytes <= Spare_Limit) {
    std::lock_guard<std::mutex> hold(spare.lock);
    std::swap(p, spare.data);
    std::swap(bytes, spare.bytes);
    if (!p) return;
  }
  ::operator delete(p);
}

void Release_Spare_Pixels() noexcept {
  void* p = nullptr;
  {
    std::lock_guard<std::mutex> hold(spare.lock);
    std::swap(p, spare.data);
    spare.bytes = 0;
  }
  ::operator delete(p);
}

Raster_Image::Raster_Image(int width, int height, Colour fill) : Fill_Colour(fill) {
  Set_Size(width, height);
}

Raster_Image Raster_Image::Unfilled(int width, int height) {
  Raster_Image image;
  image.Resize(width, height, false);
  return image;
}

void Raster_Image::Set_Size(int w, int h) { Resize(w, h, true); }

void Raster_Image::Resize(int w, int h, bool fill_new) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  if (w == width_ && h == height_) return;
  const std::int64_t count = std::int64_t(w) * h;
  if (count > Max_Image_Pixels)
    throw Toolkit_Error("Not enough memory for an image of " + std::to_string(w) + " x " +
                        std::to_string(h) + " pixels");
  const Colour fill = Fill_Colour & Colour_Mask;
  const int keep_w = std::min(w, width_), keep_h = std::min(h, height_);
  if (std::size_t(count) <= pixels_.capacity() && !pixels_.empty()) {
    // Rearrange the rows in place: adding or deleting a frame of a long strip
    // then costs one pass of memmove instead of a fresh allocation.
    if (std::size_t(count) > pixels_.size()) pixels_.resize(std::size_t(count));
    Colour* p = pixels_.data();
    // Rows of an unchanged width are already in place.
    auto move_row = [&](int y) {
      if (w == width_) return;
      std::memmove(p + std::size_t(y) * w, p + std::size_t(y) * width_,
                   std::size_t(keep_w) * sizeof(Colour));
      std::fill(p + std::size_t(y) * w + keep_w, p + std::size_t(y) * w + w, fill);
    };
    if (w >= width_) {  // rows move to higher addresses: last row first
      for (int y = keep_h - 1; y >= 0; --y) move_row(y);
    } else {
      for (int y = 0; y < keep_h; ++y) move_row(y);
    }
    std::fill(p + std::size_t(keep_h) * w, p + std::size_t(count), fill);
    pixels_.resize(std::size_t(count));
  } else {
    std::vector<Colour, Pixel_Allocator<Colour>> fresh;
    try {
      // Some room to grow, so that a strip gaining frames one by one does not
      // reallocate each time.
      fresh.reserve(std::size_t(count + count / 8));
      if (fill_new)
        fresh.assign(std::size_t(count), fill);
      else
        fresh.resize(std::size_t(count));
    } catch (const std::bad_alloc&) {
      throw Toolkit_Error("Out of memory for an image of " + std::to_string(w) + " x " +
                          std::to_string(h) + " pixels");
    }
    for (int y = 0; y < keep_h; ++y)
      std::memcpy(fresh.data() + std::size_t(y) * w, pixels_.data() + std::size_t(y) * width_,
                  std::size_t(keep_w) * sizeof(Colour));
    pixels_.swap(fresh);
  }
  width_ = w;
  height_ = h;
  serial_ = Next_Serial();
}

Colour Raster_Image::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return No_Colour;
  return At(x, y);
}

void Raster_Image::SetPixel(int x, int y, Colour c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[std::size_t(y) * width_ + x] = c & Colour_Mask;
  serial_ = Next_Serial();
}

void Raster_Image::Fill_Span(int y, int x0, int x1, Colour c) {
  if (x1 <= x0) return;
  Colour* row = pixels_.data() + std::size_t(y) * width_;
  std::fill(row + x0, row + x1, c & Colour_Mask);
}

void Raster_Image::FillRect(const Rect& r) {
  // Reversed edges cover Right+1..Left, so a rectangle from a start point to a
  // current point always holds the start and never the current row and column.
  long long x0 = r.Left, x1 = r.Right, y0 = r.Top, y1 = r.Bottom;
  if (x1 < x0) {
    x0 = r.Right + 1LL;
    x1 = r.Left + 1LL;
  }
  if (y1 < y0) {
    y0 = r.Bottom + 1LL;
    y1 = r.Top + 1LL;
  }
  const Span xs = Clip(x0, x1, width_), ys = Clip(y0, y1, height_);
  if (xs.empty() || ys.empty()) return;
  for (int y = ys.lo; y < ys.hi; ++y) Fill_Span(y, xs.lo, xs.hi, Fill_Colour);
  serial_ = Next_Serial();
}

void Raster_Image::FrameRect(const Rect& r) {
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  const Span xs = Clip(r.Left, r.Right, width_);
  if (r.Top >= 0 && r.Top < height_) Fill_Span(r.Top, xs.lo, xs.hi, Fill_Colour);
  if (r.Bottom - 1 >= 0 && r.Bottom - 1 < height_)
    Fill_Span(r.Bottom - 1, xs.lo, xs.hi, Fill_Colour);
  const Span ys = Clip(r.Top, r.Bottom, height_);
  for (int y = ys.lo; y < ys.hi; ++y) {
    SetPixel(r.Left, y, Fill_Colour);
    SetPixel(r.Right - 1, y, Fill_Colour);
  }
  serial_ = Next_Serial();
}

void Raster_Image::Ellipse(int x1, int y1, int x2, int y2) {
  const int left = std::min(x1, x2), right = std::max(x1, x2);
  const int top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (left == right || top == bottom) return;
  const long long w = (long long)right - left, h = (long long)bottom - top;
  // Only the rows that can show are computed; the shape is defined on pixel
  // centres so that it is symmetric about both axes and touches all four sides.
  const double a = w / 2.0, b = h / 2.0, cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
  auto first_col = [&](long long j) -> long long {  // leftmost column of row j, relative
    if (j < 0 || j >= h) return w;                  // outside: empty row
    const long long jj = std::min(j, h - 1 - j);    // mirror for exact symmetry
    // The row(s) at the centre reach both sides; sampled at pixel centres, an
    // even, flat box (100 x 2) would otherwise miss its left and right columns.
    if (jj == (h - 1) / 2) return 0;
    const double t = (jj - cy) / b;
    const double half = a * std::sqrt(std::max(0.0, 1.0 - t * t));
    long long x0 = (long long)std::ceil(cx - half - 1e-9);
    return std::clamp(x0, 0LL, (w - 1) / 2);
  };
  const Span rows = Clip(top, (long long)bottom, height_);
  for (int y = rows.lo; y < rows.hi; ++y) {
    const long long j = (long long)y - top;
    const long long x0 = first_col(j), x1 = w - 1 - x0;
    // Interior pixels lie inside the spans of both neighbouring rows too.
    long long in0 = x0 + 1, in1 = x1 - 1;
    if (j == 0 || j == h - 1) {
      in0 = x1 + 1;
      in1 = x1;
    } else {
      const long long up = first_col(j - 1), down = first_col(j + 1);
      in0 = std::max(in0, std::max(up, down));
      in1 = std::min(in1, w - 1 - std::max(up, down));
    }
    auto span = [&](long long a0, long long a1, Colour c) {  // inclusive, relative
      if (a1 < a0) return;
      const Span xs = Clip(left + a0, left + a1 + 1, width_);
      Fill_Span(y, xs.lo, xs.hi, c);
    };
    if (in1 < in0) {
      span(x0, x1, Pen_Colour);
    } else {
      span(x0, in0 - 1, Pen_Colour);
      span(in0, in1, Fill_Colour);
      span(in1 + 1, x1, Pen_Colour);
    }
  }
  serial_ = Next_Serial();
}

void Raster_Image::LineTo(int x, int y) {
  long long x0 = Pos_X, y0 = Pos_Y;
  const long long x1 = x, y1 = y;
  const long long dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  long long err = dx + dy;
  while (x0 != x1 || y0 != y1) {  // the end point itself is not drawn
    if (x0 >= 0 && y0 >= 0 && x0 < width_ && y0 < height_)
      pixels_[std::size_t(y0) * width_ + std::size_t(x0)] = Pen_Colour & Colour_Mask;
    const long long e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  Pos_X = x;
  Pos_Y = y;
  serial_ = Next_Serial();
}

void Raster_Image::ExtFloodFill(int x, int y, Colour c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const Colour fill = Fill_Colour & Colour_Mask;
  if (At(x, y) != c || fill == c) return;
  // Span fill with an explicit stack. A seed is a run x1..x2 of row y to
  // scan, reached from row y - dy; only the parts of the row it came from
  // that stick out past the parent run are scanned again, so each pixel is
  // read a small, fixed number of times.
  struct Seed {
    int x1, x2, y, dy;
  };
  thread_local std::vector<Seed> stack;
  stack.clear();
  stack.push_back({x, x, y, 1});
  stack.push_back({x, x, y - 1, -1});
  Colour* const px = pixels_.data();
  const int w = width_, h = height_;
  while (!stack.empty()) {
    auto [x1, x2, sy, dy] = stack.back();
    stack.pop_back();
    if (sy < 0 || sy >= h) continue;
    Colour* const row = px + std::size_t(sy) * w;
    int lx = x1;
    if (row[lx] == c) {
      while (lx > 0 && row[lx - 1] == c) row[--lx] = fill;
      if (lx < x1) stack.push_back({lx, x1 - 1, sy - dy, -dy});
    }
    while (x1 <= x2) {
      while (x1 < w && row[x1] == c) row[x1++] = fill;
      if (x1 > lx) stack.push_back({lx, x1 - 1, sy + dy, dy});
      if (x1 - 1 > x2) stack.push_back({x2 + 1, x1 - 1, sy - dy, -dy});
      ++x1;
      while (x1 < x2 && row[x1] != c) ++x1;
      lx = x1;
    }
  }
  // A huge fill leaves a big stack behind; do not keep it for the whole run.
  if (stack.capacity() > (std::size_t{1} << 16)) std::vector<Seed>().swap(stack);
  serial_ = Next_Serial();
}

void Copy_Rect(Raster_Image& dst, const Rect& d, const Raster_Image& src, const Rect& s) {
  // Clip destination and source together so that the two stay in step.
  long long dx0 = d.Left, dy0 = d.Top, sx0 = s.Left, sy0 = s.Top;
  long long w = std::min<long long>((long long)d.Right - d.Left, (long long)s.Right - s.Left);
  long long h = std::min<long long>((long long)d.Bottom - d.Top, (long long)s.Bottom - s.Top);
  auto clip_start = [&](long long& a, long long& b, long long& len) {
    const long long cut = std::max({0LL, -a, -b});
    a += cut;
    b += cut;
    len -= cut;
  };
  clip_start(dx0, sx0, w);
  clip_start(dy0, sy0, h);
  w = std::min({w, dst.Width() - dx0, src.Width() - sx0});
  h = std::min({h, dst.Height() - dy0, src.Height() - sy0});
  if (w <= 0 || h <= 0) return;
  const bool same = &dst == &src;
  const std::size_t bytes = std::size_t(w) * sizeof(Colour);
  // Within one image, walk rows away from the overlap and memmove each row.
  const bool upward = same && dy0 > sy0;
  for (long long k = 0; k < h; ++k) {
    const long long r = upward ? h - 1 - k : k;
    Colour* to = dst.Row(int(dy0 + r)) + dx0;
    const Colour* from = src.Row(int(sy0 + r)) + sx0;
    if (same)
      std::memmove(to, from, bytes);
    else
      std::memcpy(to, from, bytes);
  }
}

void BitBlt(Raster_Image& dst, int x, int y, const Raster_Image& src) {
  Copy_Rect(dst, {x, y, x + src.Width(), y + src.Height()}, src, {0, 0, src.Width(), src.Height()});
}

namespace {

// Destination positions covered by one axis of a scaled copy, and for each the
// source index (nearest pixel: the source pixel under the destination pixel's centre).
struct Axis_Map {
  Span covered;              // clipped destination range
  long long first_dest = 0;  // destination position of source index 0 (mirror: last)
  bool mirrored = false;
  long long n = 0, src_len = 0, src_start = 0;
  long long Source(long long pos) const {
    const long long i = mirrored ? first_dest - pos : pos - first_dest;
    return src_start + (2 * i + 1) * src_len / (2 * n);
  }
};

Axis_Map Map_Axis(int d0, int d1, int s0, int s1, int limit) {
  Axis_Map m;
  m.src_start = s0;
  m.src_len = (long long)s1 - s0;
  if (d1 >= d0) {
    m.n = (long long)d1 - d0;
    m.first_dest = d0;
    m.covered = Clip(d0, d1, limit);
  } else {
    m.n = (long long)d0 - d1;
    m.first_dest = d0;
    m.mirrored = true;
    m.covered = Clip((long long)d1 + 1, (long long)d0 + 1, limit);
  }
  return m;
}

// out[i] = in[cols[i]] for a row; returns how many were done. Eight pixels a
// step where the processor can gather.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) std::size_t Gather_Columns(const Colour* in, const int* cols,
                                                           std::size_t n, Colour* out) {
  const int* table = reinterpret_cast<const int*>(in);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cols + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_i32gather_epi32(table, at, 4));
  }
  return i;
}

// Halving: out[i] = row[first + 2 * i], from plain loads, which the memory
// prefetcher follows better than gathers. The loads start at an even column
// and are aligned once a few pixels are done, so none of them straddles two
// cache lines; they stay below row[width].
template <int Odd>
__attribute__((target("avx2"))) std::size_t Every_Second_From(const Colour* p, std::size_t i,
                                                              std::size_t n, std::size_t avail,
                                                              Colour* out) {
  for (; i + 8 <= n && 2 * i + 16 <= avail; i += 8) {
    const __m256 a = _mm256_loadu_ps(reinterpret_cast<const float*>(p + 2 * i));
    const __m256 b = _mm256_loadu_ps(reinterpret_cast<const float*>(p + 2 * i + 8));
    const __m256 picked =
        _mm256_shuffle_ps(a, b, Odd ? _MM_SHUFFLE(3, 1, 3, 1) : _MM_SHUFFLE(2, 0, 2, 0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_permute4x64_epi64(_mm256_castps_si256(picked), 0xD8));
  }
  return i;
}

std::size_t Every_Second(const Colour* row, int first, std::size_t n, int width, Colour* out) {
  const int odd = first & 1;
  const Colour* p = row + (first - odd);  // p[2 * i + odd] is out[i]
  std::size_t i = 0;
  for (; i < 4 && i < n && reinterpret_cast<std::uintptr_t>(p + 2 * i) % 32 != 0; ++i)
    out[i] = p[2 * i + odd];
  const std::size_t avail = std::size_t(width - (first - odd));
  return odd ? Every_Second_From<1>(p, i, n, avail, out)
             : Every_Second_From<0>(p, i, n, avail, out);
}
#else
std::size_t Gather_Columns(const Colour*, const int*, std::size_t, Colour*) { return 0; }
std::size_t Every_Second(const Colour*, int, std::size_t, int, Colour*) { return 0; }
#endif

}  // namespace

void StretchBlt(Raster_Image& dst, const Rect& d, const Raster_Image& src, const Rect& s) {
  if (s.Right <= s.Left || s.Bottom <= s.Top || d.Right == d.Left || d.Bottom == d.Top) return;
  // Equal sizes within one image (shifting frames in the strip) need no copy
  // aside: Copy_Rect handles the overlap.
  if (d.Right - d.Left == s.Right - s.Left && d.Bottom - d.Top == s.Bottom - s.Top) {
    Copy_Rect(dst, d, src, s);
    return;
  }
  if (&dst == &src) {  // overlapping scaled copy: read from a copy
    const Raster_Image aside = src;
    StretchBlt(dst, d, aside, s);
    return;
  }
  const Axis_Map mx = Map_Axis(d.Left, d.Right, s.Left, s.Right, dst.Width());
  const Axis_Map my = Map_Axis(d.Top, d.Bottom, s.Top, s.Bottom, dst.Height());
  if (mx.covered.empty() || my.covered.empty()) return;
  thread_local std::vector<int> cols;
  cols.resize(std::size_t(mx.covered.hi - mx.covered.lo));
  bool cols_inside = true, halving = true;
  for (int X = mx.covered.lo; X < mx.covered.hi; ++X) {
    const long long sx = mx.Source(X);
    cols_inside = cols_inside && sx >= 0 && sx < src.Width();
    cols[X - mx.covered.lo] = int(sx);
    halving = halving && (X == mx.covered.lo || sx == cols[X - mx.covered.lo - 1] + 2);
  }
  halving = halving && cols_inside && Have_Avx2();
  long long prev_sy = -1;
  int prev_Y = -1;
  for (int Y = my.covered.lo; Y < my.covered.hi; ++Y) {
    const long long sy = my.Source(Y);
    if (sy < 0 || sy >= src.Height()) continue;
    Colour* out = dst.Row(Y) + mx.covered.lo;
    // Enlargements repeat rows: copy the one just made. Not when some columns
    // have no source pixel, as those keep each row's own old pixels.
    if (sy == prev_sy && cols_inside) {
      std::memcpy(out, dst.Row(prev_Y) + mx.covered.lo, cols.size() * sizeof(Colour));
    } else {
      const Colour* in = src.Row(int(sy));
      if (cols_inside) {
        std::size_t i = halving       ? Every_Second(in, cols[0], cols.size(), src.Width(), out)
                        : Have_Avx2() ? Gather_Columns(in, cols.data(), cols.size(), out)
                                      : 0;
        for (; i < cols.size(); ++i) out[i] = in[cols[i]];
      } else {
        for (std::size_t i = 0; i < cols.size(); ++i)
          if (cols[i] >= 0 && cols[i] < src.Width()) out[i] = in[cols[i]];
      }
    }
    prev_sy = sy;
    prev_Y = Y;
  }
}

void StretchBlt(Raster_Image& dst, const Rect& d, const Raster_Image& src) {
  StretchBlt(dst, d, src, {0, 0, src.Width(), src.Height()});
}

}  // namespace tolvane
