// BMP reading and writing. Each reports bytes/s of the file's pixel data
// (RLE: of the decoded picture); BM_Bmp_Memcpy copies the same byte counts,
// so the ratio of the two is the cost as a multiple of memcpy.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <vector>

#include "bench_folder.h"
#include "bmp/bmp.h"

namespace tolvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

Bytes Header(int w, int h, int bits, int compression, std::size_t palette_bytes,
             std::size_t data_bytes) {
  Bytes b(54 + palette_bytes, 0);
  b[0] = 'B', b[1] = 'M';
  Put(b, 2, std::uint32_t(b.size() + data_bytes), 4);
  Put(b, 10, std::uint32_t(b.size()), 4);
  Put(b, 14, 40, 4);
  Put(b, 18, std::uint32_t(w), 4);
  Put(b, 22, std::uint32_t(h), 4);
  Put(b, 26, 1, 2);
  Put(b, 28, std::uint32_t(bits), 2);
  Put(b, 30, std::uint32_t(compression), 4);
  Put(b, 34, std::uint32_t(data_bytes), 4);
  return b;
}

// An uncompressed file of random pixels.
Bytes Plain_File(int w, int h, int bits) {
  const std::size_t row = (std::size_t(w) * bits / 8 + 3) & ~std::size_t{3};
  Bytes b = Header(w, h, bits, 0, 0, row * h);
  const std::size_t start = b.size();
  b.resize(start + row * h);
  std::mt19937 rng(1);
  for (std::size_t i = start; i < b.size(); i += 4) {
    const std::uint32_t v = rng();
    std::memcpy(&b[i], &v, std::min<std::size_t>(4, b.size() - i));
  }
  return b;
}

// A sprite-sheet-like RLE8 file: runs of 1 to 40 pixels, every fourth stretch
// of 3 to 30 distinct pixels sent as an absolute run.
Bytes Rle8_File(int w, int h, std::size_t& picture_bytes) {
  std::mt19937 rng(2);
  Bytes codes;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w;) {
      if (rng() % 4 == 0) {
        const int n = std::min<int>(3 + int(rng() % 28), w - x);
        if (n >= 3) {
          codes.push_back(0);
          codes.push_back(std::uint8_t(n));
          for (int i = 0; i < n; ++i) codes.push_back(std::uint8_t(rng()));
          if (n & 1) codes.push_back(0);
          x += n;
          continue;
        }
      }
      const int n = std::min<int>(1 + int(rng() % 40), w - x);
      codes.push_back(std::uint8_t(n));
      codes.push_back(std::uint8_t(rng()));
      x += n;
    }
    codes.push_back(0);
    codes.push_back(0);
  }
  codes.push_back(0);
  codes.push_back(1);
  Bytes b = Header(w, h, 8, 1, 1024, codes.size());
  for (int i = 0; i < 256; ++i) Put(b, 54 + 4 * i, std::uint32_t(i * 0x010101), 4);
  b.insert(b.end(), codes.begin(), codes.end());
  picture_bytes = std::size_t(w) * h * 4;
  return b;
}

const std::filesystem::path& Bench_Dir() {
  static const Bench_Folder folder("bmp");
  return folder.Path();
}

struct Sample {
  Bytes file;
  std::size_t counted;  // bytes reported as processed
  std::string path;
};

// Files are built once per shape and kept for the whole run.
const Sample& Get_Sample(int w, int h, int bits) {
  static std::map<std::tuple<int, int, int>, Sample> cache;
  auto key = std::make_tuple(w, h, bits);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  Sample s;
  if (bits == 8) {
    s.file = Rle8_File(w, h, s.counted);
  } else {
    s.file = Plain_File(w, h, bits);
    s.counted = s.file.size() - 54;
  }
  s.path = (Bench_Dir() / ("in-" + std::to_string(w) + "x" + std::to_string(h) + "-" +
                           std::to_string(bits) + ".bmp"))
               .string();
  std::ofstream(s.path, std::ios::binary)
      .write(reinterpret_cast<const char*>(s.file.data()), std::streamsize(s.file.size()));
  return cache.emplace(key, std::move(s)).first->second;
}

void BM_Bmp_Memcpy(benchmark::State& state) {
  const std::size_t n = std::size_t(state.range(0));
  std::vector<char> a(n, 1), b(n, 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), n);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(n));
}
// Pixel bytes of the strip at 24 and 32 bits, of 4096 x 4096 at 24 and 32
// bits (the latter also the decoded picture of any 4096 x 4096 read).
BENCHMARK(BM_Bmp_Memcpy)
    ->Arg(16384 * 128 * 3)
    ->Arg(16384 * 128 * 4)
    ->Arg(4096 * 4096 * 3)
    ->Arg(4096 * 4096 * 4)
    ->Unit(benchmark::kMillisecond);

// Args: width, height, bits (8 stands for RLE8).
void BM_Bmp_Decode_Memory(benchmark::State& state) {
  const Sample& s = Get_Sample(int(state.range(0)), int(state.range(1)), int(state.range(2)));
  for (auto _ : state) {
    Raster_Image img = Decode_Bmp(s.file.data(), s.file.size());
    benchmark::DoNotOptimize(img.Data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(s.counted));
}

void BM_Bmp_Read_File(benchmark::State& state) {
  const Sample& s = Get_Sample(int(state.range(0)), int(state.range(1)), int(state.range(2)));
  for (auto _ : state) {
    Raster_Image img = Read_Bmp(s.path);
    benchmark::DoNotOptimize(img.Data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(s.counted));
}

void Read_Shapes(benchmark::internal::Benchmark* b) {
  // The strip beside the same pixels in rows a quarter as wide: what differs
  // is per-row work.
  b->Args({16384, 128, 24})->Args({4096, 512, 24})->Args({16384, 128, 32});
  b->Args({4096, 4096, 24})->Args({4096, 4096, 32})->Args({4096, 4096, 8});
  b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Bmp_Decode_Memory)->Apply(Read_Shapes);
BENCHMARK(BM_Bmp_Read_File)->Apply(Read_Shapes);

// What every read of a new picture pays before decoding a byte: allocating
// and clearing the Raster_Image (page faults of a fresh 64 MiB buffer).
void BM_Bmp_New_Picture(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  for (auto _ : state) {
    Raster_Image img(w, h, 0);
    benchmark::DoNotOptimize(img.Data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * w * h * 4);
}
BENCHMARK(BM_Bmp_New_Picture)
    ->Args({16384, 128})
    ->Args({4096, 4096})
    ->Unit(benchmark::kMillisecond);

// The writer always writes 24 bits; the picture is 0x00BBGGRR in memory,
// and the file gets w x h x 3 pixel bytes. Args: width, height, and 1 to
// write the file (temporary file, then rename), 0 to hand the bytes to a
// write function that drops them, which leaves our own share of the cost,
// or 2 to append them to a vector reserved for the file, as a save to memory
// does.
void BM_Bmp_Write(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Raster_Image img(w, h);
  std::mt19937 rng(3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.Row(y)[x] = rng() & 0xFFFFFF;
  const std::string path = (Bench_Dir() / "out.bmp").string();
  const Bmp_Write_Function drop = [](int, const void* data, std::size_t size) {
    benchmark::DoNotOptimize(data);
    return long(size);
  };
  const std::size_t file_bytes = 54 + ((std::size_t(w) * 3 + 3) & ~std::size_t{3}) * h;
  for (auto _ : state) {
    if (state.range(2) == 1) {
      Write_Bmp(path, img);
    } else if (state.range(2) == 0) {
      Write_Bmp(path, img, drop);
    } else {
      std::vector<std::uint8_t> out;
      out.reserve(file_bytes);
      Write_Bmp(path, img, [&out](int, const void* data, std::size_t size) {
        const auto* b = static_cast<const std::uint8_t*>(data);
        out.insert(out.end(), b, b + size);
        return long(size);
      });
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * w * h * 3);
}
BENCHMARK(BM_Bmp_Write)
    ->Args({16384, 128, 1})
    ->Args({4096, 4096, 1})
    ->Args({16384, 128, 0})
    ->Args({4096, 4096, 0})
    ->Args({16384, 128, 2})
    ->Args({4096, 4096, 2})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane
