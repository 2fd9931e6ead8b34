// The document history on a strip of 10,000 frames of 128 pixels (640 MB).
// The counter Recorded is the bytes a command's step holds, Frames the same
// in frames. Compare:
// - History_Stroke_Step_Back, a pencil stroke's step taken back (under 1 ms, under
//   100 KB recorded), with History_Memcpy of the bytes it records;
// - History_Delete and History_Delete_Step_Back (one frame recorded; about as long as each
//   other) with History_Memcpy of the strip, which both move once;
// - History_Effect_50_Frames (Brightness over 50 frames; about 50 frames recorded)
//   with History_Memcpy of 50 frames.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_program.h"
#include "document/editing_state.h"
#include "document/strip_edit.h"

namespace tolvane {
namespace {

constexpr int Frames = 10000, Size = 128;
constexpr std::size_t Frame_Bytes = std::size_t(Size) * Size * sizeof(Colour);
constexpr std::size_t Strip_Bytes = Frames * Frame_Bytes;

// One strip for every benchmark: each leaves it as it found it, on frame 0
// with an empty history.
Bench_Program& Big() {
  static Bench_Program prog(Frames, Size);
  prog.T.SpeedButton2Click();
  prog.T.Anim_History.Clear();
  return prog;
}

void Report(benchmark::State& state, std::size_t recorded) {
  state.counters["Recorded"] = double(recorded);
  state.counters["Frames"] = double(recorded) / double(Frame_Bytes);
}

void BM_History_Stroke_Step_Back(benchmark::State& state) {
  TTolvane& t = Big().T;
  t.Next_FrameClick();  // frame 0 is as black as the pencil
  t.Tool1Click();
  std::size_t recorded = 0;
  for (auto _ : state) {
    state.PauseTiming();
    t.ZoomMouseDown(Mouse_Button::Left, ss_None, 10, 10);
    t.ZoomMouseMove(ss_None, 100, 60);
    t.ZoomMouseUp(Mouse_Button::Left, ss_None, 100, 60);
    recorded = t.Anim_History.Bytes();
    state.ResumeTiming();
    t.StepBackward1Click();
  }
  t.SpeedButton2Click();
  Report(state, recorded);
}
BENCHMARK(BM_History_Stroke_Step_Back)->Unit(benchmark::kMicrosecond);

// Delete of frame 0 (every later frame moves) and its step back, one of them
// timed.
void Delete_Bench(benchmark::State& state, bool time_step_back) {
  TTolvane& t = Big().T;
  std::size_t recorded = 0;
  for (auto _ : state) {
    if (time_step_back) state.PauseTiming();
    t.Delete1Click();
    recorded = t.Anim_History.Bytes();
    if (time_step_back)
      state.ResumeTiming();
    else
      state.PauseTiming();
    t.StepBackward1Click();
    if (!time_step_back) state.ResumeTiming();
  }
  if (t.Frame_Total != Frames) state.SkipWithError("the strip lost a frame");
  Report(state, recorded);
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Strip_Bytes));
}
void BM_History_Delete(benchmark::State& state) { Delete_Bench(state, false); }
void BM_History_Delete_Step_Back(benchmark::State& state) { Delete_Bench(state, true); }
BENCHMARK(BM_History_Delete)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_History_Delete_Step_Back)->Unit(benchmark::kMillisecond);

// Brightness in change mode over 51 frames: the first is the source, the 50
// after it change.
void BM_History_Effect_50_Frames(benchmark::State& state) {
  Bench_Program& prog = Big();
  TTolvane& t = prog.T;
  prog.P.Play = [](TForm& form) {
    auto& f = dynamic_cast<TEffects_Param_Form&>(form);
    f.Level_Bar.Set_Position(100);
    f.Add_New.Set_Checked(false);
    f.No_Frames.Text = "51";
    f.OkClick();
  };
  std::size_t recorded = 0;
  for (auto _ : state) {
    t.Brightness1Click(t.Controls.Brightness1);
    state.PauseTiming();
    recorded = t.Anim_History.Bytes();
    t.StepBackward1Click();
    state.ResumeTiming();
  }
  prog.P.Play = nullptr;
  Report(state, recorded);
}
BENCHMARK(BM_History_Effect_50_Frames)->Unit(benchmark::kMillisecond);

// A whole-strip step on 2,048 frames of 128 pixels (134 MB) of sprite art:
// every frame replaced at once, as Resize or an effect over the strip does.
// The counter Recorded (what the step keeps, compressed) should stay under
// 16 MB and its step back under 0.5 s; compare History_Memcpy of this strip.
constexpr int Long_Frames = 2048;
constexpr std::size_t Long_Strip_Bytes = Long_Frames * Frame_Bytes;

Raster_Image Art_Strip(int shift) {
  const Colour ink[] = {0x000000, 0xFFFFFF, 0x2040C0, 0x30A050, 0xE0C020, 0x804020};
  Raster_Image strip(Long_Frames * Size, Size);
  for (int i = 0; i < Long_Frames; ++i)
    for (int y = 0; y < Size; ++y) {
      Colour* row = strip.Row(y) + i * Size;
      for (int x = 0; x < Size; ++x) {
        const int dx = x - 64 - i % 9, dy = y - 64 + i % 7;
        row[x] = ink[((dx * dx + dy * dy) / (90 + i % 40) + (x / 8 + y / 16) % 2 + shift) % 6];
      }
    }
  return strip;
}

void BM_History_Whole_Strip_Step_Back(benchmark::State& state) {
  Editing_State s;
  s.Frame_Size = Size;
  s.Frame_Total = Long_Frames;
  s.Anim_Strip = Art_Strip(0);
  s.Working_Frame = Raster_Image(Size, Size);
  s.Anim_History.Start(s, true);
  const Raster_Image changed = Art_Strip(1);
  std::size_t recorded = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Replace_Frames(s, 0, changed);
    recorded = s.Anim_History.Bytes();
    state.ResumeTiming();
    s.Anim_History.Back(s);
  }
  if (!Same_Pixels(s.Anim_Strip, Art_Strip(0))) state.SkipWithError("the step back lost pixels");
  Report(state, recorded);
}
BENCHMARK(BM_History_Whole_Strip_Step_Back)->Unit(benchmark::kMillisecond);

void BM_History_Memcpy(benchmark::State& state) {
  const std::size_t bytes = std::size_t(state.range(0));
  std::vector<char> from(bytes, 1), to(bytes, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}
BENCHMARK(BM_History_Memcpy)
    ->Arg(91 * 51 * sizeof(Colour))  // the stroke's rectangle
    ->Arg(50 * Frame_Bytes)
    ->Arg(Strip_Bytes)
    ->Arg(Long_Strip_Bytes)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tolvane
