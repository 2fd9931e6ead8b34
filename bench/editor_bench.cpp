#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <string>

#include "bench_platform.h"
#include "mainwindow/application.h"

namespace tolvane {
namespace {

// The main window with one open frame of `size` pixels that has some picture
// in it, so that restoring from the undo copy moves real pixels.
struct Editor {
  Bench_Platform P{id_No};
  Application App{P};
  TTolvane& T;

  explicit Editor(int size) : T((App.Create_Forms(), *App.Tolvane)) {
    Raster_Image strip(size, size);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) strip.SetPixel(x, y, Rgb(x * 2, y * 2, (x ^ y) & 0xFF));
    T.Frame_Size = size;
    T.Session.Install_Strip(strip);
  }
};

// One rubber-band move: restore from the undo copy, draw the shape, redraw
// the 128 x 128 view. The pointer alternates between two points so that every
// move changes the shape.
void Rubber_Band_Move(benchmark::State& state, int tool, int size) {
  Editor e(size);
  TTolvane& t = e.T;
  t.Set_Tool(tool);
  t.ZoomMouseDown(Mouse_Button::Left, ss_None, 6, 9);
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    t.ZoomMouseMove(ss_None, flip ? 121 : 87, flip ? 110 : 125);
    benchmark::DoNotOptimize(t.Controls.Zoom.Picture.Data());
  }
  t.ZoomMouseUp(Mouse_Button::Left, ss_None, 87, 125);
  state.SetLabel(std::to_string(size) + " px frame at factor " + std::to_string(t.View.Factor()));
}

void BM_Move_Filled_Rectangle_128(benchmark::State& s) { Rubber_Band_Move(s, 2, 128); }
void BM_Move_Ellipse_128(benchmark::State& s) { Rubber_Band_Move(s, 7, 128); }
void BM_Move_Line_128(benchmark::State& s) { Rubber_Band_Move(s, 4, 128); }
void BM_Move_Filled_Rectangle_32(benchmark::State& s) { Rubber_Band_Move(s, 2, 32); }
void BM_Move_Ellipse_32(benchmark::State& s) { Rubber_Band_Move(s, 7, 32); }
void BM_Move_Line_32(benchmark::State& s) { Rubber_Band_Move(s, 4, 32); }
BENCHMARK(BM_Move_Filled_Rectangle_128);
BENCHMARK(BM_Move_Ellipse_128);
BENCHMARK(BM_Move_Line_128);
BENCHMARK(BM_Move_Filled_Rectangle_32);
BENCHMARK(BM_Move_Ellipse_32);
BENCHMARK(BM_Move_Line_32);

// The view alone, with part of it backdrop (a 50 px frame at factor 2).
void BM_Redraw_Zoom(benchmark::State& state) {
  Editor e(int(state.range(0)));
  for (auto _ : state) {
    e.T.Redraw_Zoom();
    benchmark::DoNotOptimize(e.T.Controls.Zoom.Picture.Data());
  }
  state.SetLabel("factor " + std::to_string(e.T.View.Factor()));
}
BENCHMARK(BM_Redraw_Zoom)->Arg(128)->Arg(32)->Arg(50);

}  // namespace
}  // namespace tolvane
