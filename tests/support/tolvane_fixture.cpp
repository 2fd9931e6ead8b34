#include "support/tolvane_fixture.h"

#include <unistd.h>
#include <atomic>

namespace tolvane::testing {

Raster_Image Solid_Strip(std::initializer_list<Colour> frame_colours, int size) {
  Raster_Image strip(int(frame_colours.size()) * size, size);
  int i = 0;
  for (Colour c : frame_colours) {
    strip.Fill_Colour = c;
    strip.FillRect({i * size, 0, (i + 1) * size, size});
    ++i;
  }
  strip.Fill_Colour = 0xFFFFFF;
  return strip;
}

bool Frame_Is(const Raster_Image& strip, int size, int i, Colour c) {
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (strip.GetPixel(i * size + x, y) != c) return false;
  return true;
}

bool All_Pixels(const Raster_Image& image, Colour c) {
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      if (image.At(x, y) != c) return false;
  return true;
}

Tolvane_Test::Tolvane_Test() {
  static std::atomic<int> counter{0};
  Dir = std::filesystem::temp_directory_path() /
        ("tolvane-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(Dir);
  P.Settings = (Dir / "config" / "Tolvane.INI").string();
  App.Create_Forms();
}

Tolvane_Test::~Tolvane_Test() {
  std::error_code ec;
  std::filesystem::remove_all(Dir, ec);
}

Raster_Image Tolvane_Test::Document_Strip() {
  Raster_Image strip = T().Anim_Strip;
  if (T().Frame_Edited) BitBlt(strip, T().Frame_Left(T().Cur_Frame), 0, T().Working_Frame);
  return strip;
}

void Tolvane_Test::New_Anim(int size) {
  P.On_Modal<TFrame_Size_Form>([size](TFrame_Size_Form& f) {
    switch (size) {
      case 16:
        f.New_Size.Select(0);
        break;
      case 32:
        f.New_Size.Select(1);
        break;
      case 64:
        f.New_Size.Select(2);
        break;
      case 128:
        f.New_Size.Select(3);
        break;
      default:
        f.New_Size.Select(4);
        f.SpinEdit1.Text = std::to_string(size);
        f.SpinEdit1.Exit();
    }
    f.OkClick();
  });
  T().New1Click();
  T().Show_State();
}

}  // namespace tolvane::testing
