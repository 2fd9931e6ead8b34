// Playback ticks and the frame list operations against the main window itself.
//
// A tick must cost one frame's copy whatever the strip's length (compare
// Tick/10 with Tick/10000); Add, Insert and Delete on 1,000 frames of 128
// pixels must run at block-copy speed (compare with Memcpy_Strip, which copies
// the same number of bytes once, and Memcpy_Strip_Fresh, which copies them into
// newly allocated memory as a resized strip must).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench_program.h"

namespace tolvane {
namespace {

using Program = Bench_Program;

constexpr int Big_Frames = 1000, Big_Size = 128;
constexpr std::size_t Big_Bytes = std::size_t(Big_Frames) * Big_Size * Big_Size * sizeof(Colour);

// Arguments: frames in the strip, frames in the looping section (at the end of
// the strip). Tick/10000/10 touches as few frames as Tick/10/10 and should cost
// the same; Tick/10000/10000 visits a new frame on every tick, so its rows come
// from memory rather than the cache, but it still copies one frame only.
void BM_Tick(benchmark::State& state) {
  const int frames = int(state.range(0)), section = int(state.range(1));
  Program prog(frames, 32);
  prog.T.Section_Start = frames - section;
  prog.T.Section_End = frames - 1;
  prog.T.SpeedButton12Click();
  prog.T.PlayClick();
  for (auto _ : state) {
    prog.T.Anim_TimerTimer();
    benchmark::DoNotOptimize(prog.T.Working_Frame.Data());
  }
  if (!prog.T.Player.Playing()) state.SkipWithError("playback stopped");
}
BENCHMARK(BM_Tick)->Args({10, 10})->Args({10000, 10})->Args({1000, 1000})->Args({10000, 10000});

void BM_Add(benchmark::State& state) {
  Program prog(Big_Frames, Big_Size);
  for (auto _ : state) {
    prog.T.Add1Click();
    state.PauseTiming();
    prog.Restore(Big_Frames);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Big_Bytes));
}
BENCHMARK(BM_Add)->Unit(benchmark::kMillisecond);

void BM_Insert(benchmark::State& state) {
  Program prog(Big_Frames, Big_Size);
  for (auto _ : state) {
    prog.T.Insert1Click();  // on frame 0: every frame moves
    state.PauseTiming();
    prog.Restore(Big_Frames);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Big_Bytes));
}
BENCHMARK(BM_Insert)->Unit(benchmark::kMillisecond);

void BM_Delete(benchmark::State& state) {
  Program prog(Big_Frames, Big_Size);
  for (auto _ : state) {
    prog.T.Delete1Click();  // frame 0: every later frame moves
    state.PauseTiming();
    prog.Restore(Big_Frames);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Big_Bytes));
}
BENCHMARK(BM_Delete)->Unit(benchmark::kMillisecond);

void BM_Memcpy_Strip(benchmark::State& state) {
  std::vector<Colour> from(Big_Bytes / sizeof(Colour), 1), to(Big_Bytes / sizeof(Colour), 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), Big_Bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Big_Bytes));
}
BENCHMARK(BM_Memcpy_Strip)->Unit(benchmark::kMillisecond);

// The same copy into a freshly allocated block, as a strip that changes width
// needs: the first touch of new pages is part of the price.
void BM_Memcpy_Strip_Fresh(benchmark::State& state) {
  std::vector<Colour> from(Big_Bytes / sizeof(Colour), 1);
  for (auto _ : state) {
    std::unique_ptr<Colour[]> to(new Colour[Big_Bytes / sizeof(Colour)]);
    std::memcpy(to.get(), from.data(), Big_Bytes);
    benchmark::DoNotOptimize(to.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Big_Bytes));
}
BENCHMARK(BM_Memcpy_Strip_Fresh)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane
