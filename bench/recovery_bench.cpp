// The pause a recovery copy puts into the window's thread when it starts, on
// a strip of 10,000 frames of 128 pixels (655 MB). The snapshot is taken a
// piece per tick; Recovery_Snapshot_Pause reports the longest tick of one
// whole snapshot (its iteration time; worst_ms the longest of all) and how
// many ticks it took, beside Recovery_Memcpy_Strip, one copy of the whole
// strip, which is what a snapshot in one go would cost.

#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <fstream>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <numeric>
#include <vector>

#include "bench_folder.h"
#include "recovery/recovery_keeper.h"

namespace tolvane {
namespace {

constexpr int Frames = 10000, Size = 128;

// The process's resident bytes now.
double Resident_Bytes() {
  long total = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> total >> resident;
  return double(resident) * double(sysconf(_SC_PAGESIZE));
}

// Makes the document an unsaved one of white frames.
void Make_Unsaved_Strip(Editing_State& doc, int frames) {
  doc.Frame_Size = Size;
  doc.Frame_Total = frames;
  doc.Section_End = frames - 1;
  doc.Anim_Strip = Raster_Image(frames * Size, Size);
  doc.Working_Frame = Raster_Image(Size, Size);
  doc.Anim_Modified = true;
}

void BM_Recovery_Snapshot_Pause(benchmark::State& state) {
  Bench_Folder folder("recovery");
  Recovery_Store store(folder.Path().string());
  Recovery_Keeper keeper(store);
  Editing_State doc;
  Make_Unsaved_Strip(doc, Frames);
  std::int64_t now = 0;
  keeper.Tick(doc, now);
  int ticks = 0;
  double worst = 0;  // the first snapshot's, whose buffer is new, counts too
  for (auto _ : state) {
    doc.Anim_Strip.SetPixel(0, 0, Colour(now) & Colour_Mask);
    now += Recovery_Keeper::Delay_Ms;
    double longest = 0;
    for (const int writes = keeper.Writes(); keeper.Writes() == writes; now += 10, ++ticks) {
      const auto start = std::chrono::steady_clock::now();
      keeper.Tick(doc, now);
      longest = std::max(
          longest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetIterationTime(longest);
    worst = std::max(worst, longest);
    keeper.Discard();  // stops the encoding: only the window's side is measured
    keeper.Wait();
  }
  state.counters["ticks"] = benchmark::Counter(ticks, benchmark::Counter::kAvgIterations);
  state.counters["worst_ms"] = worst * 1000;
}
BENCHMARK(BM_Recovery_Snapshot_Pause)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The CPU of one recovery copy after a stroke, window and worker together,
// on 2,048 frames of 128 pixels of sprite art (134 MB); the aim is under
// 0.3 s. Compare Recovery_Memcpy_Strip/2048. first_ms: the first copy's
// CPU, which writes every run; later_ms: the mean of the others, which
// rewrite only what the stroke changed. rest_over_strip: what the
// process holds at rest after the copies beyond what it held with the strip
// just made, as a share of the strip's bytes (the aim is under 0.2).
void BM_Recovery_Copy_Cpu(benchmark::State& state) {
  constexpr int Long = 2048;
  Bench_Folder folder("recovery");
  Recovery_Store store(folder.Path().string());
  Recovery_Keeper keeper(store);
  Editing_State doc;
  Make_Unsaved_Strip(doc, Long);
  const Colour ink[] = {0x000000, 0xFFFFFF, 0x2040C0, 0x30A050, 0xE0C020, 0x804020};
  for (int i = 0; i < Long; ++i)
    for (int y = 0; y < Size; ++y)
      for (int x = 0; x < Size; ++x) {
        const int dx = x - 64 - i % 9, dy = y - 64 + i % 7;
        doc.Anim_Strip.Row(y)[i * Size + x] =
            ink[((dx * dx + dy * dy) / (90 + i % 40) + (x / 8 + y / 16) % 2) % 6];
      }
  const double opened = Resident_Bytes();
  std::int64_t now = 0;
  keeper.Tick(doc, now);
  const auto cpu = [] {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
  };
  std::vector<double> copies;
  for (auto _ : state) {
    doc.Anim_Strip.SetPixel(5, 5, doc.Anim_Strip.GetPixel(5, 5) ^ 0xFFFFFF);  // a stroke
    now += Recovery_Keeper::Delay_Ms;
    const double start = cpu();
    for (const int writes = keeper.Writes(); keeper.Writes() == writes; now += 10)
      keeper.Tick(doc, now);
    keeper.Wait();
    copies.push_back(cpu() - start);
    state.SetIterationTime(copies.back());
  }
  state.counters["first_ms"] = copies.front() * 1000;
  if (copies.size() > 1)
    state.counters["later_ms"] =
        (std::accumulate(copies.begin() + 1, copies.end(), 0.0)) / double(copies.size() - 1) * 1000;
  keeper.Tick(doc, now);  // the window's next look collects the finished copy
  state.counters["rest_over_strip"] =
      (Resident_Bytes() - opened) / (double(Long) * Size * Size * sizeof(Colour));
}
BENCHMARK(BM_Recovery_Copy_Cpu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Recovery_Memcpy_Strip(benchmark::State& state) {
  const std::size_t bytes = std::size_t(state.range(0)) * Size * Size * sizeof(Colour);
  std::vector<char> from(bytes, 1), to(bytes, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
  }
}
BENCHMARK(BM_Recovery_Memcpy_Strip)
    ->Arg(Frames)
    ->Arg(2048)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
}  // namespace tolvane
