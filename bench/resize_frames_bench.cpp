// Rebuilding a long strip at a new frame size must cost what its pixels cost:
// compare with BM_Memcpy at the size of the new strip (10,000 frames of 64).
#include <benchmark/benchmark.h>

#include "document/resize_frames.h"

namespace tolvane {
namespace {

void BM_Resize_Frames_10000(benchmark::State& state) {
  const int frames = 10000, from = 32, to = 64;
  const Raster_Image original(frames * from, from, 0x336699);
  for (auto _ : state) {
    state.PauseTiming();
    Raster_Image strip = original;
    state.ResumeTiming();
    Resize_Frames(strip, to, 0, int(state.range(0)), frames, [] {});
    benchmark::DoNotOptimize(strip.Data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * frames * to * to * 4);
}
BENCHMARK(BM_Resize_Frames_10000)->Arg(Crop_Mount)->Arg(Stretch)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane
