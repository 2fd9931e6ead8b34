#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

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
    T.Session.Install_Strip(strip);
    T.Next_FrameClick();
  }
};

// The zoom view with the aids off (the path every edit takes), and with
// either or both on.
void BM_Redraw_Zoom_Aids(benchmark::State& state) {
  Strip_Editor e(int(state.range(0)));
  if (e.T.Aids.Onion_Skin != bool(state.range(1) & 1)) e.T.OnionSkin1Click();
  if (e.T.Aids.Pixel_Grid != bool(state.range(1) & 2)) e.T.PixelGrid1Click();
  for (auto _ : state) {
    e.T.Redraw_Zoom();
    benchmark::DoNotOptimize(e.T.Controls.Zoom.Picture.Data());
  }
  static const char* const aids[] = {"no aids", "onion skin", "grid", "onion skin and grid"};
  state.SetLabel("factor " + std::to_string(e.T.View.Factor()) + ", " + aids[state.range(1)]);
}
BENCHMARK(BM_Redraw_Zoom_Aids)->ArgsProduct({{32, 128}, {0, 1, 2, 3}});

// A zoom view of 1920 x 1080 (a window of 2325 x 1270) with a 128-pixel frame
// at 8:1 and both aids on: the redraw must stay well inside one 60 Hz frame.
// BM_Copy_View_Bytes beside it copies as many bytes.
constexpr int Large_View_W = 1920, Large_View_H = 1080;

void BM_Redraw_Large_Zoom(benchmark::State& state) {
  Strip_Editor e(128);
  for (int i = 0; i < 7; ++i) e.T.Zoom_InClick();
  e.T.FormResize(e.T.Min_Client_Width - 128 + Large_View_W,
                 e.T.Min_Client_Height - 128 + Large_View_H);
  e.T.OnionSkin1Click();
  e.T.PixelGrid1Click();
  if (e.T.Controls.Zoom.Picture.Width() != Large_View_W ||
      e.T.Controls.Zoom.Picture.Height() != Large_View_H || e.T.View.Factor() != 8)
    state.SkipWithError("the view is not 1920 x 1080 at 8:1");
  for (auto _ : state) {
    e.T.Redraw_Zoom();
    benchmark::DoNotOptimize(e.T.Controls.Zoom.Picture.Data());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(Large_View_W) * Large_View_H * 4);
}
BENCHMARK(BM_Redraw_Large_Zoom)->Unit(benchmark::kMillisecond);

void BM_Copy_View_Bytes(benchmark::State& state) {
  const std::size_t bytes = std::size_t(Large_View_W) * Large_View_H * 4;
  std::vector<unsigned char> from(bytes, 1), to(bytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(bytes));
}
BENCHMARK(BM_Copy_View_Bytes)->Unit(benchmark::kMillisecond);

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
