#include <QCloseEvent>
#include <QFile>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <set>

#include "document/settings.h"
#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

struct Layout_Case {
  int item, frame_size, width, height, preview_left;
};

TEST_F(Program_Test, ClientAreaFollowsTheFrameSize) {
  EXPECT_EQ(Views->Main().Client()->size(), QSize(373, 222));
  EXPECT_EQ(Main_Window()->windowTitle(), "Tolvane v2");

  const Layout_Case cases[] = {{2, 64, 405, 254, 333},
                               {3, 128, 533, 318, 397},
                               {0, 16, 373, 206, 349},
                               {1, 32, 373, 222, 333}};
  for (const Layout_Case& c : cases) {
    SCOPED_TRACE(c.frame_size);
    New_Anim(c.item);
    ASSERT_EQ(T().Frame_Size, c.frame_size);
    QWidget* client = Views->Main().Client();
    EXPECT_EQ(client->size(), QSize(c.width, c.height));
    // The window is exactly the client area under the menu bar.
    auto* window = static_cast<QMainWindow*>(Main_Window());
    EXPECT_EQ(window->size(), QSize(c.width, c.height + window->menuBar()->height()));
    EXPECT_EQ(window->minimumSize(), window->size()) << "the smallest the window can be";
    EXPECT_EQ(Find<QWidget>("DSP_Panel")->x(), c.preview_left);
    EXPECT_EQ(Find<QWidget>("Frames")->size(),
              QSize(c.frame_size * (c.frame_size > 64 ? 3 : 5), c.frame_size));
    EXPECT_EQ(Find<QWidget>("Frame")->size(), QSize(c.frame_size, c.frame_size));
  }
}

TEST_F(Program_Test, NumberFieldIsClampedWhenOkTakesTheFocus) {
  New_Anim(4, "200");
  EXPECT_EQ(T().Frame_Size, 128);
  EXPECT_EQ(Find_In_Dialog<QLineEdit>("SpinEdit1_Text")->text(), "128");
  New_Anim(4, "abc");
  EXPECT_EQ(T().Frame_Size, 4);
}

TEST_F(Program_Test, NavigationButtonsUpdateTheCounter) {
  New_Anim(1);
  EXPECT_EQ(Text_Of("Label2"), "Frame 1 of 1");
  Choose(T().Controls.Add1);
  Choose(T().Controls.Add1);
  EXPECT_EQ(Text_Of("Label2"), "Frame 1 of 3");
  Click("SpeedButton12");
  EXPECT_EQ(Text_Of("Label2"), "Frame 3 of 3");
  Click("SpeedButton2");
  EXPECT_EQ(Text_Of("Label2"), "Frame 1 of 3");
  Click("Next_Frame");
  EXPECT_EQ(Text_Of("Label2"), "Frame 2 of 3");
  Click("SpeedButton12");
  EXPECT_EQ(Text_Of("Label2"), "Frame 3 of 3");
  Click("Prev_Frame");
  EXPECT_EQ(Text_Of("Label2"), "Frame 2 of 3");
  EXPECT_EQ(T().Cur_Frame, 1);
}

TEST_F(Program_Test, PaletteReleasesPickBothColours) {
  auto* pal = Find<Image_Widget>("Pal");
  QTest::mouseClick(pal, Qt::LeftButton, {}, QPoint(40, 12));  // yellow
  QTest::mouseClick(pal, Qt::RightButton, {}, QPoint(20, 3));  // maroon
  EXPECT_EQ(T().Selected_Colour1, 0x00FFFFu);
  EXPECT_EQ(T().Selected_Colour2, 0x000080u);
  // The swatch shows them: left part the first colour, right part the second.
  const QImage swatch = Find<QWidget>("Col_Select")->grab().toImage();
  EXPECT_EQ(swatch.pixelColor(3, 5), QColor(255, 255, 0));
  EXPECT_EQ(swatch.pixelColor(40, 5), QColor(128, 0, 0));
}

TEST_F(Program_Test, DraggingOnTheZoomViewDrawsAFilledRectangle) {
  New_Anim(1);  // 32 x 32 at 4:1, filled with the second colour (white)
  Click("Tool2");
  EXPECT_TRUE(Find<QToolButton>("Tool2")->isChecked());
  EXPECT_FALSE(Find<QToolButton>("Tool1")->isChecked());
  QTest::mouseClick(Find<Image_Widget>("Pal"), Qt::LeftButton, {}, QPoint(30, 12));  // lime

  auto* zoom = Find<Image_Widget>("Zoom");
  QTest::mousePress(zoom, Qt::LeftButton, {}, QPoint(9, 9));  // frame (2, 2)
  QTest::mouseMove(zoom, QPoint(20, 20));
  QTest::mouseMove(zoom, QPoint(41, 43));  // frame (10, 10)
  QTest::mouseRelease(zoom, Qt::LeftButton, {}, QPoint(41, 43));

  const Raster_Image& frame = T().Working_Frame;
  EXPECT_EQ(frame.GetPixel(2, 2), 0x00FF00u);
  EXPECT_EQ(frame.GetPixel(9, 9), 0x00FF00u);
  EXPECT_EQ(frame.GetPixel(10, 10), 0x00FF00u) << "the pointer's pixel is in";
  EXPECT_EQ(frame.GetPixel(11, 11), 0xFFFFFFu);
  EXPECT_EQ(frame.GetPixel(1, 5), 0xFFFFFFu);
  EXPECT_TRUE(T().Frame_Edited);

  // What the zoom widget paints is the form's zoom picture, 4 pixels a pixel.
  QApplication::processEvents();
  const QImage shown = zoom->grab().toImage();
  EXPECT_EQ(shown.pixelColor(8, 8), QColor(0, 255, 0));
  EXPECT_EQ(shown.pixelColor(43, 43), QColor(0, 255, 0));
  EXPECT_EQ(shown.pixelColor(44, 44), QColor(255, 255, 255));
}

TEST_F(Program_Test, DragOutsideTheViewIsClampedToTheFrame) {
  New_Anim(1);
  Click("Tool2");
  auto* zoom = Find<Image_Widget>("Zoom");
  QTest::mousePress(zoom, Qt::LeftButton, {}, QPoint(100, 100));  // frame (25, 25)
  QTest::mouseMove(zoom, QPoint(300, 400));                       // far outside
  QTest::mouseRelease(zoom, Qt::LeftButton, {}, QPoint(300, 400));
  EXPECT_EQ(T().Working_Frame.GetPixel(31, 31), T().Selected_Colour1);
  EXPECT_EQ(T().Working_Frame.GetPixel(24, 24), 0xFFFFFFu);
}

TEST_F(Program_Test, PlaybackRunsOnTheRealTimerUntilStopped) {
  New_Anim(0);
  for (int i = 0; i < 3; ++i) Choose(T().Controls.Add1);
  Click("SpeedButton2");
  Choose(T().Controls.MarkFrameAsStartOfSection1);
  Click("SpeedButton12");
  Choose(T().Controls.MarkFrameAsEndOfSection1);
  Find<QSlider>("Play_Speed")->setValue(30);
  EXPECT_EQ(Text_Of("Label1"), "30 fps");
  EXPECT_EQ(T().Controls.Anim_Timer.Interval, 33);

  const QColor face = Find<QWidget>("DSP_Panel")->palette().color(QPalette::Window);
  Click("Play");
  EXPECT_EQ(Find<QWidget>("DSP_Panel")->palette().color(QPalette::Window), QColor(255, 0, 0))
      << "the preview's border is red while playing";
  EXPECT_TRUE(Views->Main().Anim_Timer().Qt_Timer().isActive());
  EXPECT_FALSE(Find<QToolButton>("Play")->isEnabled());
  std::set<int> seen;
  (void)QTest::qWaitFor(
      [&] {
        seen.insert(T().Cur_Frame);
        return seen.size() == 4;
      },
      3000);
  EXPECT_EQ(seen.size(), 4u) << "looping playback visits every frame of the section";

  Click("Stop");
  EXPECT_FALSE(Views->Main().Anim_Timer().Qt_Timer().isActive());
  EXPECT_EQ(Find<QWidget>("DSP_Panel")->palette().color(QPalette::Window), face);
  const int stopped_at = T().Cur_Frame;
  QTest::qWait(200);
  EXPECT_EQ(T().Cur_Frame, stopped_at);
  EXPECT_EQ(Text_Of("Label2"), QString("Frame %1 of 4").arg(stopped_at + 1));
}

TEST_F(Program_Test, TimerTicksAreDroppedWhileALongOperationPumpsEvents) {
  New_Anim(0);
  Choose(T().Controls.Add1);
  Choose(T().Controls.Add1);
  Click("SpeedButton2");
  Choose(T().Controls.MarkFrameAsStartOfSection1);
  Click("SpeedButton12");
  Choose(T().Controls.MarkFrameAsEndOfSection1);
  Find<QSlider>("Play_Speed")->setValue(30);
  Click("Play");
  const int frame = T().Cur_Frame;
  // A tick that arrives while a long operation pumps events is dropped ...
  QTimer::singleShot(0, [&] { Views->Main().Anim_Timer().Tick(); });
  P.Dispatch([&] { P.Process_Messages(); });
  EXPECT_EQ(T().Cur_Frame, frame);
  // ... and one outside it moves the playback on.
  Views->Main().Anim_Timer().Tick();
  EXPECT_NE(T().Cur_Frame, frame);
  Click("Stop");
}

TEST_F(Program_Test, ProgressPanelIsCentredWhileALongOperationRuns) {
  auto* panel = Find<QWidget>("Progress_Panel");
  EXPECT_LT(panel->geometry().right(), 0) << "hidden outside the client area at start-up";
  P.Dispatch([&] { T().Progress_Show(5, "Applying Effect..."); });
  EXPECT_EQ(panel->geometry(), QRect((373 - 185) / 2, (222 - 81) / 2, 185, 81));
  EXPECT_EQ(Find<QLabel>("Progress_Caption")->text(), "Applying Effect...");
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

  // Each step pumps events, and the panel shows the step while it does.
  auto* bar = Find<QProgressBar>("Prog_Bar");
  P.Dispatch([&] { T().Progress_Step(1, 5); });
  EXPECT_EQ(Find<QLabel>("Progress")->text(), "Frame 1 of 5...");
  EXPECT_EQ(bar->maximum(), 5);
  EXPECT_EQ(bar->value(), 1);

  P.Dispatch([&] { T().Progress_Hide(); });
  EXPECT_LT(panel->geometry().right(), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Program_Test, ClosingAsksToSaveAndCancelKeepsTheWindow) {
  New_Anim(1);
  Click("Tool2");
  auto* zoom = Find<Image_Widget>("Zoom");
  QTest::mousePress(zoom, Qt::LeftButton, {}, QPoint(4, 4));
  QTest::mouseRelease(zoom, Qt::LeftButton, {}, QPoint(20, 20));
  ASSERT_TRUE(T().Anim_Modified);
  QFile::remove(QString::fromStdString(Default_Settings_Path()));

  QString question;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    question = box->windowTitle();
    QTest::mouseClick(box->findChild<QPushButton*>("2"), Qt::LeftButton);  // Cancel
  });
  EXPECT_FALSE(Main_Window()->close());
  EXPECT_EQ(question, "Confirm");
  EXPECT_TRUE(Main_Window()->isVisible());
  EXPECT_TRUE(T().Visible);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Default_Settings_Path())))
      << "every close request writes the settings";

  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box->findChild<QPushButton*>("7"), Qt::LeftButton);  // No
  });
  EXPECT_TRUE(Main_Window()->close());
  EXPECT_FALSE(Main_Window()->isVisible());
}

TEST_F(Program_Test, ExitClosesTheWindowThroughTheForm) {
  Choose(T().Controls.Exit1);
  EXPECT_FALSE(T().Visible);
  EXPECT_FALSE(Main_Window()->isVisible());
}

}  // namespace
}  // namespace tolvane::ui_testing
