#include <QCheckBox>
#include <QSlider>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

class Effects_Dialog_Test : public Program_Test {
 protected:
  QWidget* Dialog() { return Views->Effects_Param().Window(); }

  template <class W>
  W* In_Dialog(const char* name) {
    W* w = Dialog()->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  // Opens the effect from its menu item; `user` works the open dialog.
  void Run_Effect(const Menu_Item& item, std::function<void()> user) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
      EXPECT_TRUE(Dialog()->isVisible());
      user();
      acted = true;
    });
    Choose(item);
    ASSERT_TRUE(acted);
    QApplication::processEvents();
  }

  void Type_Frames(const char* count) {
    auto* field = In_Dialog<QLineEdit>("No_Frames_Text");
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, count);
  }
};

TEST_F(Effects_Dialog_Test, RotateShowsItsControlsAndEnterAccepts) {
  New_Anim(1);
  Run_Effect(T().Controls.Rotate1, [&] {
    EXPECT_EQ(Dialog()->windowTitle(), "Rotate...");
    EXPECT_EQ(Dialog()->size(), QSize(289, 265));
    EXPECT_EQ(In_Dialog<QPushButton>("Ok")->geometry(), QRect(128, 232, 73, 25));
    EXPECT_EQ(In_Dialog<QPushButton>("Cancel")->geometry(), QRect(208, 232, 73, 25));
    for (auto [name, left] : {std::pair{"Source_DSP", 56}, std::pair{"Dest_DSP", 200}}) {
      QWidget* preview = In_Dialog<QWidget>(name);
      EXPECT_EQ(QRect(preview->mapTo(Dialog(), QPoint(0, 0)), preview->size()),
                QRect(left, 56, 32, 32));
    }
    EXPECT_TRUE(In_Dialog<QWidget>("Set_Mount")->isVisible());
    EXPECT_FALSE(In_Dialog<QCheckBox>("Vertical_Effect")->isVisible());
    auto* bar = In_Dialog<QSlider>("Level_Bar");
    EXPECT_EQ(bar->tickInterval(), 36);
    EXPECT_EQ(In_Dialog<QLabel>("Label2")->text(), "-360");
    bar->setValue(90);
    EXPECT_EQ(In_Dialog<QLabel>("Label4")->text(), "90");
    Type_Frames("3");
    QTest::keyClick(In_Dialog<QLineEdit>("No_Frames_Text"), Qt::Key_Return);
  });
  EXPECT_FALSE(Dialog()->isVisible());
  EXPECT_EQ(T().Frame_Total, 3);
  EXPECT_EQ(T().Cur_Frame, 2);
  EXPECT_EQ(Text_Of("Label2"), "Frame 3 of 3");
}

TEST_F(Effects_Dialog_Test, BigFramesShowTheirMiddleInsideThePreviewFrames) {
  P.Dispatch([&] {
    T().Frame_Size = 200;
    T().Session.Install_Strip(Raster_Image(200, 200));
  });
  Run_Effect(T().Controls.Brightness1, [&] {
    for (auto [name, frame] : {std::pair{"Source_DSP", QRect(7, 7, 130, 130)},
                               std::pair{"Dest_DSP", QRect(151, 7, 130, 130)}}) {
      QWidget* preview = In_Dialog<QWidget>(name);
      const QRect shown = preview->visibleRegion().boundingRect().translated(
          preview->mapTo(Dialog(), QPoint(0, 0)));
      EXPECT_TRUE(frame.contains(shown)) << name;
      EXPECT_FALSE(shown.isEmpty()) << name;
    }
    QTest::keyClick(Dialog(), Qt::Key_Escape);
  });
}

TEST_F(Effects_Dialog_Test, EscapeCancelsAndTheVerticalBoxRedrawsThePreview) {
  New_Anim(1);
  Run_Effect(T().Controls.Squash1, [&] {
    EXPECT_EQ(Dialog()->windowTitle(), "Squash...");
    auto* vertical = In_Dialog<QCheckBox>("Vertical_Effect");
    EXPECT_TRUE(vertical->isVisible());
    EXPECT_EQ(vertical->text(), "Squash Vertical");
    In_Dialog<QSlider>("Level_Bar")->setValue(50);
    QTest::mouseClick(vertical, Qt::LeftButton, {}, QPoint(6, vertical->height() / 2));
    EXPECT_TRUE(App.Effects_Param_Form->Vertical_Effect.Checked);
    Type_Frames("5");
    QTest::keyClick(Dialog(), Qt::Key_Escape);
  });
  EXPECT_FALSE(Dialog()->isVisible());
  EXPECT_FALSE(App.Effects_Param_Form->Effect_Accepted);
  EXPECT_EQ(T().Frame_Total, 1);
}

TEST_F(Effects_Dialog_Test, ClicksAndTicksDuringTheRunAreDropped) {
  New_Anim(1);
  Choose(T().Controls.Add1);
  Choose(T().Controls.Add1);
  Click("SpeedButton2");
  // Acts only while the run pumps events: a click on Next Frame and a
  // playback tick, both as the views forward them.
  int probes = 0;
  bool ran = false;
  QTimer probe;
  probe.setInterval(0);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (!P.Busy()) return;
    ++probes;
    Click("Next_Frame");
    P.Dispatch([&] {
      T().Anim_TimerTimer();
      ran = true;
    });
  });
  Run_Effect(T().Controls.Brightness1, [&] {
    Type_Frames("8");
    probe.start();
    QTest::mouseClick(In_Dialog<QPushButton>("Ok"), Qt::LeftButton);
  });
  probe.stop();
  EXPECT_GT(probes, 0);
  EXPECT_FALSE(ran);
  EXPECT_EQ(T().Frame_Total, 10);
  EXPECT_EQ(T().Cur_Frame, 7);
  EXPECT_EQ(Text_Of("Label2"), "Frame 8 of 10");
  EXPECT_EQ(T().Check_Invariants(), "");
}

}  // namespace
}  // namespace tolvane::ui_testing
