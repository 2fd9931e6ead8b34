// Exports of 1,000 frames of 64 pixels. As a sheet at scale 1 (one row, the
// default, and 32 columns) the export should take about as long as writing the
// same pixels as one PNG strip (Png_Strip); as a GIF at scale 4 it should end
// well under 2 s. Memcpy_* copy the output pixels once, for scale: the sheet's
// 4-byte pixels, and the GIF's 1-byte palette indices at scale 4.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench_folder.h"
#include "export/sheet_file.h"
#include "gif/gif.h"
#include "png/png.h"

namespace tolvane {
namespace {

constexpr int Frames = 1000, Size = 64;

// Pixel art: a few colours in shapes that move from frame to frame.
const Raster_Image& Strip() {
  static const Raster_Image strip = [] {
    const Colour ink[] = {0x000000, 0xFFFFFF, 0x2040C0, 0x30A050, 0xE0C020, 0x804020};
    Raster_Image s(Frames * Size, Size);
    for (int i = 0; i < Frames; ++i)
      for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
          const int dx = x - 32 - i % 9, dy = y - 32 + i % 7;
          const int ring = (dx * dx + dy * dy) / (90 + i % 40);
          s.SetPixel(i * Size + x, y, ink[(ring + (x / 8 + y / 16) % 2) % 6]);
        }
    return s;
  }();
  return strip;
}

void BM_Sheet_Export(benchmark::State& state) {
  const Bench_Folder dir("export");
  const std::string path = (dir.Path() / "sheet.png").string();
  const int columns = int(state.range(0));
  for (auto _ : state) Write_Sheet(path, {Strip(), Size, {0, Frames}, columns, 1, 0, 0, 10, true});
}
BENCHMARK(BM_Sheet_Export)->Arg(Frames)->Arg(32)->Unit(benchmark::kMillisecond);

void BM_Png_Strip(benchmark::State& state) {
  const Bench_Folder dir("export");
  const std::string path = (dir.Path() / "strip.png").string();
  for (auto _ : state) Write_Png(path, Strip());
}
BENCHMARK(BM_Png_Strip)->Unit(benchmark::kMillisecond);

void BM_Gif_Scale4(benchmark::State& state) {
  const Bench_Folder dir("export");
  const std::string path = (dir.Path() / "anim.gif").string();
  for (auto _ : state) {
    Gif_Animation gif{Strip(), Size, 0, Frames - 1, 10, true};
    gif.Scale = 4;
    Write_Gif(path, gif);
  }
}
BENCHMARK(BM_Gif_Scale4)->Unit(benchmark::kMillisecond);

void Copy_Bytes(benchmark::State& state, std::size_t bytes) {
  std::vector<unsigned char> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

void BM_Memcpy_Sheet_Pixels(benchmark::State& state) {
  Copy_Bytes(state, std::size_t(Frames) * Size * Size * sizeof(Colour));
}
BENCHMARK(BM_Memcpy_Sheet_Pixels)->Unit(benchmark::kMillisecond);

void BM_Memcpy_Gif_Pixels(benchmark::State& state) {
  Copy_Bytes(state, std::size_t(Frames) * (4 * Size) * (4 * Size));
}
BENCHMARK(BM_Memcpy_Gif_Pixels)->Unit(benchmark::kMillisecond);

// The same 1,000 frames at scale 4 in 32 columns: a sheet of 8192 x 8192.
// The same 1,000 frames at scale 4 in 32 columns: a sheet of 8192 x 8192.
void BM_Sheet_Scale4(benchmark::State& state) {
  const Bench_Folder dir("export");
  const std::string path = (dir.Path() / "sheet.png").string();
  for (auto _ : state) Write_Sheet(path, {Strip(), Size, {0, Frames}, 32, 4, 0, 0, 10, true});
  state.counters["file_bytes"] = double(std::filesystem::file_size(path));
}
BENCHMARK(BM_Sheet_Scale4)->Unit(benchmark::kMillisecond)->UseRealTime();

// ImageMagick's append does the same job from the strip as a PNG: rows of 32
// frames cut off, each scaled by 4, stacked, written as a palette PNG as
// ours; timed whole, as a process, in the same run. Its default policy
// refuses a picture this large, so it runs under one of the bench's own that
// allows 4 GiB. Each reports its file's size.
void BM_ImageMagick_Sheet_Scale4(benchmark::State& state) {
  const Bench_Folder dir("export");
  const std::string strip = (dir.Path() / "strip.png").string();
  const std::string sheet = (dir.Path() / "sheet.png").string();
  Write_Png(strip, Strip());
  std::ofstream(dir.Path() / "policy.xml")
      << "<policymap>\n"
         "<policy domain=\"resource\" name=\"memory\" value=\"4GiB\"/>\n"
         "<policy domain=\"resource\" name=\"map\" value=\"4GiB\"/>\n"
         "<policy domain=\"resource\" name=\"disk\" value=\"8GiB\"/>\n"
         "<policy domain=\"resource\" name=\"area\" value=\"1GP\"/>\n"
         "<policy domain=\"resource\" name=\"width\" value=\"128KP\"/>\n"
         "</policymap>\n";
  const std::string command = "MAGICK_CONFIGURE_PATH='" + dir.Path().string() + "' convert '" +
                              strip + "' -crop " + std::to_string(32 * Size) + "x" +
                              std::to_string(Size) + " +repage -scale 400% -background black " +
                              "-append '" + sheet + "'";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) return state.SkipWithError("convert failed");
  state.counters["file_bytes"] = double(std::filesystem::file_size(sheet));
}
BENCHMARK(BM_ImageMagick_Sheet_Scale4)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Memcpy_Sheet_Scale4_Pixels(benchmark::State& state) {
  Copy_Bytes(state, std::size_t(32 * 4 * Size) * (32 * 4 * Size) * sizeof(Colour));
}
BENCHMARK(BM_Memcpy_Sheet_Scale4_Pixels)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane
