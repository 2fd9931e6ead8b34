// A retrieval run of 1,000 cells (a 1920 x 1200 sheet of 48-pixel cells,
// all rows) into 64-pixel frames, through the dialog's Ok, for each
// conversion. It must take well under a second; compare with Memcpy_Strip,
// which copies the finished strip's bytes once.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_platform.h"
#include "import/frame_extract_form.h"

namespace tolvane {
namespace {

constexpr int Cell = 48, Columns = 40, Rows = 25, Out = 64;

Raster_Image Sprite_Sheet() {
  Raster_Image sheet(Columns * Cell, Rows * Cell, 0x404040);
  for (int r = 0; r < Rows; ++r)
    for (int c = 0; c < Columns; ++c) {
      const int x = c * Cell, y = r * Cell;
      sheet.Fill_Colour = Colour((r * Columns + c) * 2654435761u) & Colour_Mask;
      sheet.Pen_Colour = 0x000000;
      sheet.Ellipse(x + 4, y + 4, x + Cell - 4, y + Cell - 4);
    }
  return sheet;
}

void BM_Retrieval_Run(benchmark::State& state) {
  Bench_Platform p(id_OK);
  TFrame_Extract f(p);
  Colour mount = 0x00FF00;
  f.Mount_Colour = &mount;
  f.Source_Picture = Sprite_Sheet();
  f.Frame_W.Max = f.Source_Picture.Width();
  f.Frame_H.Max = f.Source_Picture.Height();
  f.Field_Set(f.Frame_W, Cell);
  f.Field_Set(f.Frame_H, Cell);
  f.Field_Set(f.dest_fs, Out);
  f.Lines.Select(1);
  f.Adjust_Type.Select(int(state.range(0)));
  if (state.range(0) == ct_Crop) {
    f.Crop.B.Left = (128 - Cell) / 2;
    f.Crop.B.Top = (128 - Cell) / 2;
  }
  for (auto _ : state) {
    f.Visible = true;
    f.Modal_Result = mr_None;
    f.OkClick();
    if (!f.Retrieval_Done || f.Retrieved_Strip.Width() != Rows * Columns * Out)
      state.SkipWithError("the run did not retrieve 1,000 frames");
    benchmark::DoNotOptimize(f.Retrieved_Strip.Data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * Rows * Columns * Out * Out * 4);
}
BENCHMARK(BM_Retrieval_Run)
    ->Arg(ct_Crop)
    ->Arg(ct_Scale)
    ->Arg(ct_Stretch)
    ->Arg(ct_Mount)
    ->Unit(benchmark::kMillisecond);

void BM_Retrieval_Memcpy_Strip(benchmark::State& state) {
  const std::size_t bytes = std::size_t(Rows) * Columns * Out * Out * sizeof(Colour);
  std::vector<char> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}
BENCHMARK(BM_Retrieval_Memcpy_Strip)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane
