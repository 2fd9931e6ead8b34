#include <QTemporaryDir>

#include <fstream>
#include <vector>

#include "pcx/pcx.h"
#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

// A 24-bit PCX file whose row y is red y, green 2y, blue 100, in runs.
std::string Write_Rows_Pcx(const QString& dir, int width, int height) {
  std::vector<unsigned char> b(128, 0);
  b[0] = 10, b[1] = 5, b[2] = 1, b[3] = 8, b[65] = 3;
  b[8] = (width - 1) & 0xFF, b[9] = (width - 1) >> 8;
  b[10] = (height - 1) & 0xFF, b[11] = (height - 1) >> 8;
  b[66] = width & 0xFF, b[67] = width >> 8;
  for (int y = 0; y < height; ++y)
    for (int value : {y, 2 * y, 100})
      for (int left = width; left > 0; left -= 63) {
        b.push_back(0xC0 | std::min(left, 63));
        b.push_back((unsigned char)value);
      }
  const std::string path = (dir + "/rows.pcx").toStdString();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
  return path;
}

TEST_F(Program_Test, LoadingWindowShowsTheRowsWhileAPcxDecodes) {
  QTemporaryDir dir;
  const std::string path = Write_Rows_Pcx(dir.path(), 90, 60);
  QWidget* window = Views->Loading().Window();
  bool shown = false, on_top = false;
  QString title;
  QSize size;
  QImage painted;
  int rows = 0;
  QTimer::singleShot(0, [&] {  // runs in the decoder's first pumps
    shown = window->isVisible();
    on_top = window->windowFlags() & Qt::WindowStaysOnTopHint;
    title = window->windowTitle();
    size = window->size();
    rows = App.Loading_Window->Rows_Shown;
    painted = window->grab().toImage();
  });
  Raster_Image target;
  bool decoded = false;
  // Called directly, as a dialog's show handler would: no sync after it.
  decoded = Decode_Pcx(P, App.Loading_Window.get(), path, target);
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(on_top);
  EXPECT_EQ(title, "Loading");
  EXPECT_EQ(size, QSize(90, 60));
  ASSERT_GT(rows, 0);
  ASSERT_LT(rows, 60);
  // The decoded rows are shown; those still to come are not.
  EXPECT_EQ(painted.pixelColor(45, rows - 1), QColor(rows - 1, 2 * (rows - 1), 100));
  EXPECT_NE(painted.pixelColor(45, 59), QColor(59, 118, 100));
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(target.At(45, 59), Rgb(59, 118, 100));
}

}  // namespace
}  // namespace tolvane::ui_testing
