#include <benchmark/benchmark.h>

#include <string>

#include "bench_folder.h"
#include "bench_platform.h"
#include "gif/gif.h"
#include "mainwindow/application.h"

namespace tolvane {
namespace {

// Three frames of `size` with a picture in each, the middle one current.
struct Strip_Editor {
  Bench_Platform P{id_No};
  Application App{P};
  TTolvane& T;

  explicit Strip_Editor(int size) : T((App.Create_Forms(), *App.Tolvane)) {
    Raster_Image strip(3 * size, size);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < 3 * size; ++x) strip.SetPixel(x, y, Rgb(x * 2, y * 2, (x ^ y) & 0xFF));
    T.Frame_Size = size;
    T.Install_Strip(strip);
    T.Next_FrameClick();
  }
};

// The zoom view with the aids off (the path every edit takes), and with
// either or both on.
void BM_Redraw_Zoom_Aids(benchmark::State& state) {
  Strip_Editor e(int(state.range(0)));
  if (e.T.OnionSkin1.Checked != bool(state.range(1) & 1)) e.T.OnionSkin1Click();
  if (e.T.PixelGrid1.Checked != bool(state.range(1) & 2)) e.T.PixelGrid1Click();
  for (auto _ : state) {
    e.T.Redraw_Zoom();
    benchmark::DoNotOptimize(e.T.Zoom.Picture.Data());
  }
  static const char* const aids[] = {"no aids", "onion skin", "grid", "onion skin and grid"};
  state.SetLabel("factor " + std::to_string(e.T.View.Factor()) + ", " + aids[state.range(1)]);
}
BENCHMARK(BM_Redraw_Zoom_Aids)->ArgsProduct({{32, 128}, {0, 1, 2, 3}});

// A 16-frame 64 px section to a GIF in memory: exact palette, and the
// quantizer for a picture of thousands of colours.
void BM_Write_Gif(benchmark::State& state) {
  const int size = 64, frames = 16;
  Raster_Image strip(size * frames, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < strip.Width(); ++x)
      strip.SetPixel(x, y, state.range(0) ? Rgb(x, y * 4, x / size * 16) : Rgb(x / 32 * 8, 0, 0));
  const Bench_Folder folder("gif");
  const std::string path = (folder.Path() / "anim.gif").string();
  long bytes = 0;
  const auto keep = [&](int, const void*, std::size_t n) -> long {
    bytes += long(n);
    return long(n);
  };
  for (auto _ : state) Write_Gif(path, {strip, size, 0, frames - 1, 10, true}, {}, keep);
  state.SetLabel(state.range(0) ? "quantized" : "exact palette");
  state.SetItemsProcessed(state.iterations() * std::int64_t(size) * size * frames);
}
BENCHMARK(BM_Write_Gif)->Arg(0)->Arg(1);

}  // namespace
}  // namespace tolvane
