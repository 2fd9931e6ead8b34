#include <QBuffer>
#include <QClipboard>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

// A document of 32 x 32 frames whose every pixel has its own colour.
void Fill_Distinct(TTolvane& t) {
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) t.Anim_Strip.SetPixel(x, y, Rgb(8 * x, 8 * y, 77));
  t.Show_Frame();
}

TEST_F(Program_Test, SelectionOverlaysSitAtTheFormsPlaceAndTakeTheDrag) {
  New_Anim(1);
  Fill_Distinct(T());
  Click("Tool6");
  auto* zoom = Find<Image_Widget>("Zoom");
  QTest::mousePress(zoom, Qt::LeftButton, {}, QPoint(9, 9));
  QTest::mouseMove(zoom, QPoint(15, 12));
  QTest::mouseMove(zoom, QPoint(21, 17));
  QTest::mouseRelease(zoom, Qt::LeftButton, {}, QPoint(21, 17));
  auto* marker = Find<QFrame>("Select_Marker");
  auto* grab = Find<QWidget>("Select_Image");
  EXPECT_EQ(marker->geometry(), QRect(9, 9, 13, 9));
  EXPECT_EQ(grab->geometry(), QRect(10, 10, 11, 7));
  EXPECT_TRUE(marker->isVisible());
  EXPECT_EQ(grab->cursor().shape(), Qt::SizeAllCursor);
  EXPECT_EQ(T().Selection.Bitmap().Width(), 3);

  // Two cells right and one down, in small steps; the area moves under the
  // pointer as it goes.
  QTest::mousePress(grab, Qt::LeftButton, {}, QPoint(2, 2));
  const QPoint start = grab->mapTo(Main_Window(), QPoint(2, 2));
  for (int step = 1; step <= 4; ++step) {
    const QPoint at = start + QPoint(2 * step, step);
    QTest::mouseMove(grab, grab->mapFrom(Main_Window(), at));
  }
  QTest::mouseRelease(grab, Qt::LeftButton, {}, grab->mapFrom(Main_Window(), start + QPoint(8, 4)));
  EXPECT_EQ(T().Selection.Area().Left, 4);
  EXPECT_EQ(T().Selection.Area().Top, 3);
  EXPECT_EQ(marker->geometry(), QRect(16, 12, 13, 9));
  EXPECT_EQ(grab->pos(), QPoint(17, 13));
  EXPECT_EQ(T().Working_Frame.At(4, 3), Rgb(16, 16, 77));

  // A press on the marker's border starts no band.
  QTest::mouseClick(marker, Qt::LeftButton, {}, QPoint(0, 4));
  EXPECT_EQ(T().Selection.Area().Left, 4);
  EXPECT_TRUE(T().Selection.Shown());
}

TEST_F(Program_Test, FrameCopiedFromTheMenuIsOnTheSystemClipboard) {
  New_Anim(1);
  Fill_Distinct(T());
  Choose(T().Controls.CopyToClipboard1);
  const QImage image = QApplication::clipboard()->image();
  ASSERT_EQ(image.size(), QSize(32, 32));
  for (int y = 0; y < 32; y += 5)
    for (int x = 0; x < 32; x += 3)
      EXPECT_EQ(image.pixel(x, y), qRgb(8 * x, 8 * y, 77)) << x << "," << y;
}

TEST(Qt_Clipboard, PicturesWithAlphaComeInOverWhite) {
  Qt_Platform p;
  QImage image(3, 1, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgba(10, 20, 30, 255));
  image.setPixel(1, 0, qRgba(0, 0, 0, 0));
  image.setPixel(2, 0, qRgba(200, 0, 100, 128));
  QApplication::clipboard()->setImage(image);
  int w = 0, h = 0;
  ASSERT_TRUE(p.Clipboard_Image_Size(w, h));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 1);
  Raster_Image back;
  ASSERT_TRUE(p.Clipboard_Get(back));
  EXPECT_EQ(back.At(0, 0), Rgb(10, 20, 30)) << "opaque pixels are exact";
  EXPECT_EQ(back.At(1, 0), Rgb(255, 255, 255));
  // 200 * 128/255 + 255 * 127/255, and so on, rounded.
  EXPECT_EQ(back.At(2, 0), Rgb(227, 127, 177));
  QApplication::clipboard()->setText("words");
  EXPECT_FALSE(p.Clipboard_Image_Size(w, h));
}

// Another program's clipboard needs a real X server: these run under their
// own Xvfb from tests/e2e/clipboard_other_program.sh.
class Other_Program : public Program_Test {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb" ||
        QStandardPaths::findExecutable("xclip").isEmpty())
      GTEST_SKIP() << "needs X11 and xclip";
    ASSERT_TRUE(dir_.isValid());
  }

  // xclip serves the file as the clipboard's picture from its own process.
  void Offer(const QString& file, const char* type) {
    // Taken back first, so that a picture offered earlier is not mistaken
    // for this one.
    QApplication::clipboard()->setText("none");
    QTest::qWait(50);
    const std::string command = "xclip -selection clipboard -t " + std::string(type) + " -i '" +
                                file.toStdString() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    QElapsedTimer waited;
    waited.start();
    while (!P.Clipboard_Has_Image() && waited.elapsed() < 5000) QTest::qWait(50);
    ASSERT_TRUE(P.Clipboard_Has_Image());
  }

  // Answers the next message box with OK and keeps its text. The box may
  // come only after the clipboard has been asked, so keep looking.
  void Answer_Next_Box() {
    auto* timer = new QTimer(Main_Window());
    QObject::connect(timer, &QTimer::timeout, [this, timer] {
      QWidget* box = QApplication::activeModalWidget();
      auto* text = box ? box->findChild<QLabel*>("Text") : nullptr;
      if (!text) return;
      answered_ = text->text();
      QTest::keyClick(box, Qt::Key_Escape);
      timer->deleteLater();
    });
    timer->start(50);
  }

  QTemporaryDir dir_;
  QString answered_;
};

TEST_F(Other_Program, PictureFromAnotherProgramPastesWithItsPixels) {
  New_Anim(1);
  QImage picture(5, 4, QImage::Format_ARGB32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) picture.setPixel(x, y, qRgba(50 * x, 60 * y, 13, 255));
  picture.setPixel(4, 3, qRgba(0, 0, 0, 0));
  const QString file = dir_.filePath("sprite.png");
  ASSERT_TRUE(picture.save(file));
  Offer(file, "image/png");

  Choose(T().Controls.Paste2);
  ASSERT_TRUE(T().Selection_Mode());
  ASSERT_EQ(T().Selection.Bitmap().Width(), 5);
  ASSERT_EQ(T().Selection.Bitmap().Height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const Colour want = x == 4 && y == 3 ? Rgb(255, 255, 255) : Rgb(50 * x, 60 * y, 13);
      EXPECT_EQ(T().Working_Frame.At(x, y), want) << x << "," << y;
    }
  // In a document with a transparent colour the clear pixel takes it.
  T().Transparent_Colour = Rgb(1, 2, 3);
  Choose(T().Controls.Paste2);
  EXPECT_EQ(T().Working_Frame.At(4, 3), Rgb(1, 2, 3));
}

TEST_F(Other_Program, HugePictureIsRefusedByItsSize) {
  New_Anim(1);
  // A PNG that declares 20000 x 20000 pixels (1.6 GB decoded) and holds
  // almost none of them.
  auto chunk = [](const char* type, const QByteArray& data) {
    QByteArray body = QByteArray(type) + data;
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : body) {
      crc ^= quint8(byte);
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s << quint32(data.size());
    s.writeRawData(body.constData(), int(body.size()));
    s << quint32(~crc);
    return out;
  };
  QByteArray header;
  QDataStream ihdr(&header, QIODevice::WriteOnly);
  ihdr << quint32(20000) << quint32(20000) << quint8(8) << quint8(2) << quint8(0) << quint8(0)
       << quint8(0);
  const QString file = dir_.filePath("huge.png");
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) +
          chunk("IDAT", qCompress(QByteArray(100, '\0')).mid(4)));
  f.close();
  Offer(file, "image/png");

  Answer_Next_Box();
  Choose(T().Controls.Paste2);
  EXPECT_EQ(answered_, "Image is bigger than frame (32x32). Unable to complete paste operation!");
  EXPECT_FALSE(T().Selection.Shown());
}

TEST_F(Other_Program, FrameCopiedHerePastesIntoAnotherProgram) {
  New_Anim(1);
  Fill_Distinct(T());
  T().Transparent_Colour = Rgb(8 * 3, 8 * 4, 77);  // pixel (3, 4) goes out clear
  Choose(T().Controls.CopyToClipboard1);
  QProcess xclip;
  xclip.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-o"});
  // This process owns the clipboard and must answer xclip's request.
  QElapsedTimer waited;
  waited.start();
  while (xclip.state() != QProcess::NotRunning && waited.elapsed() < 10000) QTest::qWait(20);
  ASSERT_EQ(xclip.exitCode(), 0);
  const QImage image = QImage::fromData(xclip.readAllStandardOutput(), "PNG");
  ASSERT_EQ(image.size(), QSize(32, 32));
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      ASSERT_EQ(image.pixel(x, y), qRgba(8 * x, 8 * y, 77, x == 3 && y == 4 ? 0 : 255))
          << x << "," << y;
}

}  // namespace
}  // namespace tolvane::ui_testing
