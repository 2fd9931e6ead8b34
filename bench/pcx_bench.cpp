// PCX decoding of a 4096 x 4096 sprite sheet: 256 colours, 24 bits, and
// black and white (1 bit, sprite pixels where the colour index is odd). Each
// reports bytes/s of the decoded picture (4 bytes a pixel); BM_Pcx_Memcpy
// copies as many bytes, so the ratio of the two is the cost as a multiple of
// memcpy.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "bench_folder.h"
#include "bench_platform.h"
#include "pcx/pcx.h"

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int Side = 4096, Cell = 128;

// Colour index of a sprite sheet pixel: 128-pixel cells, each with shading
// bands behind an outlined ellipse, and one pixel in eight dithered.
int Sheet_Index(int x, int y) {
  const int lx = x % Cell, ly = y % Cell, cell = (x / Cell + y / Cell) % 4;
  const double dx = (lx - 63.5) / 56, dy = (ly - 63.5) / 44;
  const double r = dx * dx + dy * dy;
  int index;
  if (r < 0.93)
    index = 64 + 16 * cell + lx / 16;  // the sprite, shaded across
  else if (r < 1.07)
    index = 1;  // its outline
  else
    index = 16 + 8 * cell + ly / 16;  // background bands
  if ((x + 3 * y) % 8 == 0) index += 1;
  return index;
}

Colour Sheet_Colour(int index) { return Rgb(index * 3, 255 - index, (index * 41) & 0xFF); }

void Encode_Plane(const std::uint8_t* plane, std::size_t n, Bytes& out) {
  for (std::size_t i = 0; i < n;) {
    std::size_t run = 1;
    while (i + run < n && run < 63 && plane[i + run] == plane[i]) ++run;
    if (run > 1 || plane[i] >= 0xC0) out.push_back(std::uint8_t(0xC0 | run));
    out.push_back(plane[i]);
    i += run;
  }
}

Bytes Sheet_File(int bits) {
  const int planes = bits == 24 ? 3 : 1;
  const int line_bytes = bits == 1 ? Side / 8 : Side;
  Bytes b(128, 0);
  b[0] = 10, b[1] = 5, b[2] = 1, b[3] = std::uint8_t(bits == 1 ? 1 : 8);
  b[8] = (Side - 1) & 0xFF, b[9] = (Side - 1) >> 8;
  b[10] = (Side - 1) & 0xFF, b[11] = (Side - 1) >> 8;
  b[65] = std::uint8_t(planes);
  b[66] = std::uint8_t(line_bytes & 0xFF), b[67] = std::uint8_t(line_bytes >> 8);
  std::vector<std::uint8_t> line(std::size_t(Side) * planes);
  for (int y = 0; y < Side; ++y) {
    if (bits == 1) std::fill(line.begin(), line.end(), 0);
    for (int x = 0; x < Side; ++x) {
      const int index = Sheet_Index(x, y);
      if (bits == 1) {
        line[x / 8] |= std::uint8_t((index & 1) << (7 - x % 8));
      } else if (planes == 1) {
        line[x] = std::uint8_t(index);
      } else {
        const Colour c = Sheet_Colour(index);
        line[x] = std::uint8_t(Red_Of(c));
        line[Side + x] = std::uint8_t(Green_Of(c));
        line[2 * Side + x] = std::uint8_t(Blue_Of(c));
      }
    }
    for (int k = 0; k < planes; ++k)
      Encode_Plane(line.data() + std::size_t(k) * line_bytes, std::size_t(line_bytes), b);
  }
  if (bits == 8) {
    b.push_back(0x0C);
    for (int i = 0; i < 256; ++i) {
      const Colour c = Sheet_Colour(i);
      b.push_back(std::uint8_t(Red_Of(c)));
      b.push_back(std::uint8_t(Green_Of(c)));
      b.push_back(std::uint8_t(Blue_Of(c)));
    }
  }
  return b;
}

struct Sample {
  Bytes file;
  std::string path;
};

const Sample& Get_Sample(int bits) {
  static const Bench_Folder folder("pcx");
  static std::map<int, Sample> cache;
  auto it = cache.find(bits);
  if (it != cache.end()) return it->second;
  Sample s;
  s.file = Sheet_File(bits);
  s.path = (folder.Path() / ("sheet-" + std::to_string(bits) + ".pcx")).string();
  std::ofstream(s.path, std::ios::binary)
      .write(reinterpret_cast<const char*>(s.file.data()), std::streamsize(s.file.size()));
  return cache.emplace(bits, std::move(s)).first->second;
}

constexpr std::int64_t Picture_Bytes = std::int64_t(Side) * Side * 4;

// Arg: bytes a pixel. 4 is the decoded picture, the one to compare with;
// 1 and 3 are the file's own pixel bytes at 8 and 24 bits, for reference.
void BM_Pcx_Memcpy(benchmark::State& state) {
  const std::int64_t n = std::int64_t(Side) * Side * state.range(0);
  std::vector<char> a(std::size_t(n), 1), b(std::size_t(n), 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * n);
}
BENCHMARK(BM_Pcx_Memcpy)->Arg(4)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

// Arg: 1, 8 or 24 bits per pixel. The file's bytes in memory.
void BM_Pcx_Decode_Memory(benchmark::State& state) {
  const Sample& s = Get_Sample(int(state.range(0)));
  for (auto _ : state) {
    Raster_Image img;
    if (Decode_Pcx_Data(s.file.data(), s.file.size(), img) != Pcx_Verdict::Decoded)
      state.SkipWithError("not decoded");
    benchmark::DoNotOptimize(img.Data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * Picture_Bytes);
}
BENCHMARK(BM_Pcx_Decode_Memory)->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

// The same from the file, as the retrieval dialog reads it (no window).
void BM_Pcx_Read_File(benchmark::State& state) {
  const Sample& s = Get_Sample(int(state.range(0)));
  Bench_Platform p{id_OK};
  for (auto _ : state) {
    Raster_Image img;
    if (!Decode_Pcx(p, nullptr, s.path, img)) state.SkipWithError("not decoded");
    benchmark::DoNotOptimize(img.Data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * Picture_Bytes);
}
BENCHMARK(BM_Pcx_Read_File)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane
