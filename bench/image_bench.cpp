// Raster image primitives against a plain memcpy of the same bytes: compare
// the bytes_per_second of each primitive with BM_Memcpy at the same size.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "image/raster_image.h"

namespace tolvane {
namespace {

constexpr Colour White = 0xFFFFFF, Black = 0x000000, Red = 0x0000FF;

void BM_Memcpy(benchmark::State& state) {
  const std::size_t bytes = std::size_t(state.range(0));
  std::vector<char> from(bytes, 1), to(bytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}
constexpr std::int64_t Frame_Bytes = 32 * 32 * 4;
constexpr std::int64_t Zoom_Bytes = 128 * 128 * 4;
constexpr std::int64_t Strip_Bytes = 10000LL * 32 * 32 * 4;
constexpr std::int64_t Big_Bytes = 4096LL * 4096 * 4;
constexpr std::int64_t Strip64_Bytes = 10000LL * 64 * 64 * 4;
BENCHMARK(BM_Memcpy)
    ->Arg(Frame_Bytes)
    ->Arg(Zoom_Bytes)
    ->Arg(Strip_Bytes)
    ->Arg(Big_Bytes)
    ->Arg(Strip64_Bytes);

// One frame out of a 10,000-frame strip: the clipped copy touches only the
// frame's 1,024 pixels, so it should run near a memcpy of the frame, far from
// one of the strip.
void BM_BitBlt_Frame_From_Strip(benchmark::State& state) {
  const Raster_Image strip(10000 * 32, 32, Red);
  Raster_Image frame(32, 32);
  int k = 0;
  for (auto _ : state) {
    BitBlt(frame, -32 * (k % 10000), 0, strip);
    benchmark::DoNotOptimize(frame.Data());
    k += 7919;
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * Frame_Bytes);
}
BENCHMARK(BM_BitBlt_Frame_From_Strip);

// A random spanning-tree maze: cells on even coordinates, passages of one
// pixel, walls black. Every corridor is one pixel wide, so a scanline fill
// gets runs of one pixel in vertical passages.
Raster_Image Make_Maze(int n) {
  Raster_Image img(n, n, Black);
  const int cells = n / 2;
  std::vector<std::uint8_t> seen(std::size_t(cells) * cells, 0);
  std::vector<int> stack{0};
  seen[0] = 1;
  std::mt19937 rng(1234);
  Colour* px = img.Data();
  px[0] = White;
  while (!stack.empty()) {
    const int c = stack.back();
    const int cx = c % cells, cy = c / cells;
    int options[4], count = 0;
    if (cx > 0 && !seen[c - 1]) options[count++] = c - 1;
    if (cx + 1 < cells && !seen[c + 1]) options[count++] = c + 1;
    if (cy > 0 && !seen[c - cells]) options[count++] = c - cells;
    if (cy + 1 < cells && !seen[c + cells]) options[count++] = c + cells;
    if (count == 0) {
      stack.pop_back();
      continue;
    }
    const int next = options[rng() % count];
    const int nx = next % cells, ny = next / cells;
    seen[next] = 1;
    px[std::size_t(2 * ny) * n + 2 * nx] = White;
    px[std::size_t(cy + ny) * n + (cx + nx)] = White;  // the wall between them
    stack.push_back(next);
  }
  return img;
}

// Fills alternate between two colours so that every iteration fills the
// whole region without restoring the picture.
long long Count(const Raster_Image& img, Colour c) {
  long long n = 0;
  const Colour* p = img.Data();
  for (std::size_t i = 0, e = std::size_t(img.Width()) * img.Height(); i < e; ++i) n += p[i] == c;
  return n;
}

void Fill_Back_And_Forth(benchmark::State& state, Raster_Image& img, int x, int y) {
  // Each run starts from white whatever the last run left.
  if (img.GetPixel(x, y) == Red) {
    img.Fill_Colour = White;
    img.ExtFloodFill(x, y, Red);
  }
  // The region must be connected, or the benchmark would time a partial fill.
  const long long region = Count(img, White);
  img.Fill_Colour = Red;
  img.ExtFloodFill(x, y, White);
  const bool whole = Count(img, Red) == region;
  img.Fill_Colour = White;
  img.ExtFloodFill(x, y, Red);
  if (!whole) {
    state.SkipWithError("the fill does not reach the whole region");
    return;
  }
  state.counters["region_pixels"] = double(region);
  Colour from = White, to = Red;
  for (auto _ : state) {
    img.Fill_Colour = to;
    img.ExtFloodFill(x, y, from);
    std::swap(from, to);
    benchmark::DoNotOptimize(img.Data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * Big_Bytes);
}

void BM_FloodFill_Maze_4096(benchmark::State& state) {
  static Raster_Image maze = Make_Maze(4096);
  Fill_Back_And_Forth(state, maze, 0, 0);
}
BENCHMARK(BM_FloodFill_Maze_4096)->Unit(benchmark::kMillisecond);

void BM_FloodFill_Open_4096(benchmark::State& state) {
  static Raster_Image open(4096, 4096, White);
  Fill_Back_And_Forth(state, open, 2048, 2048);
}
BENCHMARK(BM_FloodFill_Open_4096)->Unit(benchmark::kMillisecond);

// The zoom view: a 32 x 32 frame enlarged by 4 onto 128 x 128.
void BM_StretchBlt_Zoom(benchmark::State& state) {
  Raster_Image frame(32, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) frame.SetPixel(x, y, Colour(x * 4096 + y * 7));
  Raster_Image zoom(128, 128);
  for (auto _ : state) {
    StretchBlt(zoom, {0, 0, 128, 128}, frame);
    benchmark::DoNotOptimize(zoom.Data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * Zoom_Bytes);
}
BENCHMARK(BM_StretchBlt_Zoom);

}  // namespace
}  // namespace tolvane
