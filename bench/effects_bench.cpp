// The turn of one frame against a memcpy of the same frame (aim: within 15x),
// and a whole 50-frame rotate sequence inserted into a 1,000-frame strip of
// 128 pixels, through the command and its dialog (aim: under 100 ms).

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_platform.h"
#include "effects/effects.h"
#include "mainwindow/application.h"

namespace tolvane {
namespace {

Raster_Image Pattern(int size) {
  Raster_Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) image.SetPixel(x, y, Rgb(x * 3, y * 5, x ^ y));
  return image;
}

void BM_Memcpy_Frame(benchmark::State& state) {
  const Raster_Image source = Pattern(128);
  Raster_Image image = source;
  for (auto _ : state) {
    std::memcpy(image.Data(), source.Data(), std::size_t(128) * 128 * sizeof(Colour));
    benchmark::DoNotOptimize(image.Data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Memcpy_Frame);

// Turning the result again costs the same as turning the picture: every pixel
// of the frame is computed either way.
void BM_Apply_Rotate(benchmark::State& state) {
  Raster_Image image = Pattern(128);
  const int degrees = int(state.range(0));
  for (auto _ : state) {
    Apply_Rotate(image, degrees, 0x808080);
    benchmark::DoNotOptimize(image.Data());
  }
}
BENCHMARK(BM_Apply_Rotate)->Arg(45)->Arg(90)->Arg(30)->Arg(-137);

// The user answers the effect dialog: 50 frames, inserted, level 360.
class Effect_User : public Bench_Platform {
 public:
  Effect_User() : Bench_Platform(id_Yes) {}
  void Run_Modal(TForm& form) override {
    auto* d = dynamic_cast<TEffects_Param_Form*>(&form);
    if (!d) return form.Close();
    d->Level_Bar.Set_Position(360);
    d->No_Frames.Text = "50";
    d->OkClick();
  }
};

void BM_Rotate_Sequence(benchmark::State& state) {
  constexpr int frames = 1000, size = 128;
  Effect_User user;
  Application app(user);
  app.Create_Forms();
  TTolvane& t = *app.Tolvane;
  Raster_Image strip(frames * size, size);
  for (int i = 0; i < frames; ++i) {
    strip.Fill_Colour = Colour(i * 2654435761u) & Colour_Mask;
    strip.FillRect({i * size, 0, (i + 1) * size, size});
  }
  t.Frame_Size = size;
  t.Session.Install_Strip(std::move(strip));
  for (auto _ : state) {
    t.Cur_Frame = frames / 2;
    t.Brightness1Click(t.Controls.Rotate1);
    state.PauseTiming();
    if (t.Frame_Total != frames + 49) state.SkipWithError("the sequence was not inserted");
    t.Anim_Strip.Set_Width(frames * size);
    t.Frame_Total = frames;
    t.Cur_Frame = frames / 2;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Rotate_Sequence)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane
