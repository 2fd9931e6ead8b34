// Merge Files with a cross-fade.
//
// Cross_Fade_Frames runs the pixel loop over 30 pairs of 128-pixel frames;
// Memcpy_Frames copies the same 30 frames' bytes, the floor it is measured
// against (aim: within 4x). Merge_Command is the whole command on a
// 1,000-frame strip of 128 pixels: reading the file, the transition frames,
// appending the rest and showing the frame (aim: under 50 ms). Its argument is
// the merged file's frame count with an overlap of 30: 30 replaces the last
// 30 frames, 60 also widens the strip by 30 frames.

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "bench_platform.h"
#include "bmp/bmp.h"
#include "mainwindow/application.h"
#include "merge/transitions.h"

namespace tolvane {
namespace {

constexpr int Fade_Frames = 30, Fade_Size = 128;
constexpr std::size_t Frame_Bytes = std::size_t(Fade_Size) * Fade_Size * sizeof(Colour);

std::vector<Raster_Image> Random_Frames(int count, std::mt19937& gen) {
  std::vector<Raster_Image> frames;
  for (int i = 0; i < count; ++i) {
    Raster_Image im(Fade_Size, Fade_Size);
    Colour* p = im.Data();
    for (int k = 0; k < Fade_Size * Fade_Size; ++k) p[k] = gen() & Colour_Mask;
    frames.push_back(std::move(im));
  }
  return frames;
}

// The argument is the overlap r, steps 1..30 of it. With r + 1 odd (30) no
// channel can be a tie; with r + 1 a power of two (31) single precision is
// exact; otherwise (29) near-ties are found and recomputed exactly.
void BM_Cross_Fade_Frames(benchmark::State& state) {
  const int r = int(state.range(0));
  std::mt19937 gen(7);
  const std::vector<Raster_Image> a = Random_Frames(Fade_Frames, gen),
                                  b = Random_Frames(Fade_Frames, gen);
  std::vector<Raster_Image> out(Fade_Frames, Raster_Image(Fade_Size, Fade_Size));
  for (auto _ : state) {
    for (int s = 1; s <= Fade_Frames; ++s) Cross_Fade(out[s - 1], a[s - 1], b[s - 1], s, r);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * Fade_Frames * Frame_Bytes);
}
BENCHMARK(BM_Cross_Fade_Frames)->Arg(30)->Arg(31)->Arg(29)->Unit(benchmark::kMicrosecond);

void BM_Memcpy_Frames(benchmark::State& state) {
  std::vector<std::vector<Colour>> from(Fade_Frames, std::vector<Colour>(Frame_Bytes / 4, 1)),
      to(Fade_Frames, std::vector<Colour>(Frame_Bytes / 4, 2));
  for (auto _ : state) {
    for (int i = 0; i < Fade_Frames; ++i) std::memcpy(to[i].data(), from[i].data(), Frame_Bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * Fade_Frames * Frame_Bytes);
}
BENCHMARK(BM_Memcpy_Frames)->Unit(benchmark::kMicrosecond);

// Picks the merge file, says Yes to the transition and chooses a cross-fade
// over 30 frames.
class Merge_Platform : public Bench_Platform {
 public:
  explicit Merge_Platform(std::string path) : Bench_Platform(id_Yes), path_(std::move(path)) {}
  bool Execute_Open_Dialog(File_Dialog& d) override {
    d.File_Name = path_;
    return true;
  }
  void Run_Modal(TForm& form) override {
    auto& dialog = dynamic_cast<TAdd_Trans&>(form);
    dialog.Trans_Type.Text = "Merge";
    dialog.overlap.Text = std::to_string(Fade_Frames);
    dialog.OkClick();
  }

 private:
  std::string path_;
};

void BM_Merge_Command(benchmark::State& state) {
  const int merged_frames = int(state.range(0)), frames = 1000;
  const auto dir = std::filesystem::temp_directory_path() / "tolvane-merge-bench";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "merge.bmp").string();
  std::mt19937 gen(11);
  {
    Raster_Image file(merged_frames * Fade_Size, Fade_Size);
    Colour* p = file.Data();
    for (int k = 0; k < file.Width() * Fade_Size; ++k) p[k] = gen() & Colour_Mask;
    Write_Bmp(path, file);
  }
  Merge_Platform platform(path);
  Application app(platform);
  app.Create_Forms();
  TTolvane& t = *app.Tolvane;
  Raster_Image strip(frames * Fade_Size, Fade_Size);
  Colour* p = strip.Data();
  for (int k = 0; k < strip.Width() * Fade_Size; ++k) p[k] = gen() & Colour_Mask;
  t.Frame_Size = Fade_Size;
  t.Session.Install_Strip(strip);
  for (auto _ : state) {
    t.MergeFiles1Click();
    state.PauseTiming();
    if (t.Frame_Total != frames + merged_frames - Fade_Frames)
      state.SkipWithError("the merge did not run");
    // A strip exactly as loaded: widening must allocate, as the first merge does.
    t.Anim_Strip = Raster_Image();
    t.Anim_Strip = strip;
    t.Frame_Total = frames;
    state.ResumeTiming();
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Merge_Command)->Arg(30)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane
