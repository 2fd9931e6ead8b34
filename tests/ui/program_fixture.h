#pragma once
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "mainwindow/application.h"
#include "qt/platform/qt_platform.h"
#include "qt/ui/image_widget.h"
#include "qt/ui/program_views.h"

namespace tolvane::ui_testing {

// The real program on the offscreen platform: forms, views and the main
// window shown, without the start-up splash.
class Program_Test : public ::testing::Test {
 protected:
  Program_Test() {
    App.Create_Forms();
    Views = std::make_unique<Program_Views>(P, App);
    Views->Main().Show();
    QApplication::processEvents();
  }

  Qt_Platform P;
  Application App{P};
  std::unique_ptr<Program_Views> Views;

  TTolvane& T() { return *App.Tolvane; }
  QWidget* Main_Window() { return Views->Main().Window(); }

  template <class W>
  W* Find(const char* name) {
    W* w = Main_Window()->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  template <class W>
  W* Find_In_Dialog(const char* name) {
    W* w = Views->Frame_Size().Window()->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  // Runs a menu command the way a click on the item does.
  void Choose(const Menu_Item& item) {
    QAction* a = Views->Main().Action(item);
    ASSERT_NE(a, nullptr);
    ASSERT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    a->trigger();
  }

  void Click(const char* button) {
    auto* b = Find<QToolButton>(button);
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton);
  }

  // File > New through the real "Frame Size..." dialog: the user picks an
  // item (0..3 for 16, 32, 64, 128; 4 for "Other" with the given text in the
  // number field) and presses Ok.
  void New_Anim(int item, const QString& other_text = QString()) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
      QWidget* dialog = Views->Frame_Size().Window();
      EXPECT_TRUE(dialog->isVisible());
      auto* choice = Find_In_Dialog<QRadioButton>(qPrintable(QString("New_Size_%1").arg(item)));
      QTest::mouseClick(choice, Qt::LeftButton, {}, QPoint(6, choice->height() / 2));
      if (item == 4) {
        auto* field = Find_In_Dialog<QLineEdit>("SpinEdit1_Text");
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, other_text);
      }
      QTest::mouseClick(Find_In_Dialog<QPushButton>("Ok"), Qt::LeftButton);
      acted = true;
    });
    Choose(T().Controls.New1);
    ASSERT_TRUE(acted);
    QApplication::processEvents();
  }

  QString Text_Of(const char* label) { return Find<QLabel>(label)->text(); }
};

}  // namespace tolvane::ui_testing
