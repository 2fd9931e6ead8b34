#include <QColorDialog>
#include <QGroupBox>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

TEST_F(Program_Test, ResizeDialogShowsTheExistingFramesChoiceAndMountColour) {
  New_Anim(1);
  QRect ok, cancel;
  int width = 0;
  bool methods_shown = false;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = Views->Frame_Size().Window();
    EXPECT_EQ(dialog->windowTitle(), "Frame Size...");
    width = dialog->width();
    ok = Find_In_Dialog<QPushButton>("Ok")->geometry();
    cancel = Find_In_Dialog<QPushButton>("Cancel")->geometry();
    methods_shown = Find_In_Dialog<QGroupBox>("Adjust_Method")->isVisible();
    // The mount colour panel opens the colour chooser.
    QTimer::singleShot(0, [] {
      auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(chooser, nullptr);
      chooser->setCurrentColor(QColor(0x12, 0x34, 0x56));
      QTest::keyClick(chooser, Qt::Key_Return);
    });
    QTest::mouseClick(Find_In_Dialog<QWidget>("Panel1"), Qt::LeftButton);
    auto* stretch = Find_In_Dialog<QRadioButton>("Adjust_Method_1");
    QTest::mouseClick(stretch, Qt::LeftButton, {}, QPoint(6, stretch->height() / 2));
    auto* size64 = Find_In_Dialog<QRadioButton>("New_Size_2");
    QTest::mouseClick(size64, Qt::LeftButton, {}, QPoint(6, size64->height() / 2));
    QTest::mouseClick(Find_In_Dialog<QPushButton>("Ok"), Qt::LeftButton);
  });
  Choose(T().Controls.Resize1);
  EXPECT_EQ(width, 297);
  EXPECT_EQ(ok, QRect(135, 112, 73, 25));
  EXPECT_EQ(cancel, QRect(216, 112, 73, 25));
  EXPECT_TRUE(methods_shown);
  EXPECT_EQ(T().Mount_Colour, 0x563412u);
  EXPECT_EQ(T().Frame_Size, 64);
  EXPECT_EQ(App.Frame_Size_Form->Resize_Method, 1);
  EXPECT_EQ(Views->Main().Client()->size(), QSize(405, 254));
}

TEST_F(Program_Test, NewDialogHidesTheExistingFramesChoice) {
  int width = 0;
  QRect ok;
  QTimer::singleShot(0, [&] {
    width = Views->Frame_Size().Window()->width();
    ok = Find_In_Dialog<QPushButton>("Ok")->geometry();
    EXPECT_FALSE(Find_In_Dialog<QGroupBox>("Adjust_Method")->isVisible());
    EXPECT_FALSE(Find_In_Dialog<QWidget>("SpinEdit1")->isEnabled());
    QTest::keyClick(Views->Frame_Size().Window(), Qt::Key_Escape);
  });
  Choose(T().Controls.New1);
  EXPECT_EQ(width, 169);
  EXPECT_EQ(ok, QRect(7, 112, 73, 25));
  EXPECT_FALSE(T().Document_Open()) << "Escape cancels New";
  EXPECT_FALSE(Views->Frame_Size().Window()->isVisible());
}

TEST_F(Program_Test, EnterAcceptsTheFrameSizeDialog) {
  QTimer::singleShot(0, [&] {
    Find_In_Dialog<QRadioButton>("New_Size_2")->click();
    QTest::keyClick(Views->Frame_Size().Window(), Qt::Key_Return);
  });
  Choose(T().Controls.New1);
  EXPECT_TRUE(T().Document_Open());
  EXPECT_EQ(T().Frame_Size, 64);
}

// Frame Timing through its widgets: the section's frames take 250 ms with
// Enter, the counter says so, and playback holds each frame for it.
TEST_F(Program_Test, FrameTimingSetsTheSectionAndPlaybackHoldsItsFrames) {
  New_Anim(1);
  for (int i = 0; i < 2; ++i) Choose(T().Controls.Add1);
  QTimer::singleShot(0, [&] {
    QWidget* dialog = Views->Frame_Timing().Window();
    dialog->findChild<QRadioButton*>("Timing_1")->click();
    auto* field = dialog->findChild<QLineEdit*>("Duration_Text");
    field->selectAll();
    QTest::keyClicks(field, "250");
    dialog->findChild<QRadioButton*>("Applies_To_1")->click();
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  Choose(T().Controls.FrameTiming1);
  EXPECT_EQ(T().Frame_Ms, (std::vector<int>{250, 250, 250}));
  EXPECT_EQ(Text_Of("Label2").toStdString(), "Frame 1 of 3 \u00b7 250 ms");
  Choose(T().Controls.PlayStop1);
  EXPECT_EQ(Views->Main().Anim_Timer().Qt_Timer().interval(), 250);
  Choose(T().Controls.PlayStop1);
}

// The timers are checked by what they are set to and what a tick does, not
// by waiting out their seconds.
TEST_F(Program_Test, SplashClosesAtItsThreeSecondTick) {
  QWidget* about = Views->About().Window();
  bool shown = false;
  int interval = 0;
  QTimer::singleShot(0, [&] {
    shown = about->isVisible();
    const QTimer& timer = Views->About().Timer1().Qt_Timer();
    interval = timer.isActive() ? timer.interval() : 0;
    Views->About().Timer1().Tick();
  });
  P.Dispatch([&] { T().FormShow(); });  // returns when the splash has closed
  EXPECT_TRUE(shown);
  EXPECT_EQ(interval, 3000);
  EXPECT_EQ(about->size(), QSize(322, 202));
  EXPECT_FALSE(about->isVisible());
}

TEST_F(Program_Test, AboutFromTheMenuHasNoTimerAndStaysUntilClicked) {
  QWidget* about = Views->About().Window();
  bool still_shown = false, timing = true;
  QTimer::singleShot(0, [&] {
    timing = Views->About().Timer1().Qt_Timer().isActive();
    QCoreApplication::processEvents();
    still_shown = about->isVisible();
    QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(100, 100));
  });
  Choose(T().Controls.About2);
  EXPECT_FALSE(timing);
  EXPECT_TRUE(still_shown);
  EXPECT_FALSE(about->isVisible());
}

}  // namespace
}  // namespace tolvane::ui_testing
