#include <QColorDialog>
#include <QDir>
#include <QTemporaryDir>
#include <functional>

#include "bmp/bmp.h"
#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

class Dialog_Keys_Test : public Program_Test {
 protected:
  QTemporaryDir dir;

  // Opens a dialog by `open`, runs `user` while it is up, then cancels it
  // with Escape if it is still there.
  void While_Open(QWidget* dialog, const std::function<void()>& open,
                  const std::function<void()>& user) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
      EXPECT_TRUE(dialog->isVisible());
      // Keys go to the active window's focus; offscreen, nothing activates
      // a shown window by itself.
      QApplication::setActiveWindow(dialog);
      EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
      user();
      acted = true;
      if (dialog->isVisible()) QTest::keyClick(dialog, Qt::Key_Escape);
    });
    open();
    EXPECT_TRUE(acted);
  }
  // The focus's name, then Tab, `stops` times: where the Tab key stops.
  static QStringList Tab_Walk(QWidget* dialog, int stops) {
    QStringList names;
    for (int i = 0; i < stops; ++i) {
      QWidget* f = dialog->focusWidget();
      names << (f ? f->objectName() : "(none)");
      QTest::keyClick(f ? f : dialog, Qt::Key_Tab);
    }
    return names;
  }
  static void Key(QWidget* dialog, Qt::Key key) {
    QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, key);
  }
};

// Each dialog opens on its first control and Tab runs in reading order, then
// Ok and Cancel and back round; a radio group is one stop, at its checked
// item; hidden and disabled controls are skipped.
TEST_F(Dialog_Keys_Test, TabRunsInReadingOrder) {
  New_Anim(1);
  const struct {
    const char* dialog;
    QWidget* window;
    std::function<void()> open;
    QStringList stops;
  } cases[] = {
      {"Resize",
       Views->Frame_Size().Window(),
       [&] { Choose(T().Controls.Resize1); },
       {"New_Size_1", "Adjust_Method_0", "Panel1", "Ok", "Cancel", "New_Size_1"}},
      {"New",
       Views->Frame_Size().Window(),
       [&] { Choose(T().Controls.New1); },
       {"New_Size_1", "Ok", "Cancel", "New_Size_1"}},
      {"Frame Retrieval",
       Views->Frame_Extract().Window(),
       [&] {
         const std::string path = QDir(dir.path()).filePath("sheet.bmp").toStdString();
         Write_Bmp(path, Raster_Image(96, 32, 0x0000FF));
         App.Frame_Extract->Import_File_Name = path;
         P.Dispatch([&] { Show_Modal(P, *App.Frame_Extract); });
       },
       {"Frame_W_Text", "Frame_H_Text", "dest_fs_Text", "top_border_Text", "Left_Border_Text",
        "Adjust_Type_2", "Set_Mount", "Lines_0", "Ok", "Cancel", "Frame_W_Text"}},
      {"Squash",
       Views->Effects_Param().Window(),
       [&] { Choose(T().Controls.Squash1); },
       {"Level_Bar", "No_Frames_Text", "Add_New", "Set_Mount", "Vertical_Effect", "Reverse", "Ok",
        "Cancel", "Level_Bar"}},
      {"Add Transition",
       Views->Add_Trans().Window(),
       [&] { P.Dispatch([&] { Show_Modal(P, *App.Add_Trans); }); },
       {"Trans_Type", "overlap_Text", "Ok", "Cancel", "Trans_Type"}},
      {"Frame Timing",
       Views->Frame_Timing().Window(),
       [&] { Choose(T().Controls.FrameTiming1); },
       {"Timing_0", "Ok", "Cancel", "Timing_0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialog);
    QStringList walked;
    While_Open(c.window, c.open, [&] { walked = Tab_Walk(c.window, int(c.stops.size())); });
    EXPECT_EQ(walked.join(", ").toStdString(), c.stops.join(", ").toStdString());
  }
}

// A focused colour swatch opens its colour dialog on Space and on Enter; a
// focused Cancel cancels on Enter.
TEST_F(Dialog_Keys_Test, SwatchOpensItsColourDialogFromTheKeyboard) {
  New_Anim(1);
  QWidget* dialog = Views->Frame_Size().Window();
  int chosen = 0;
  const auto choose_on = [&](Qt::Key key, QColor colour) {
    QTimer::singleShot(0, [&, colour] {
      auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(chooser, nullptr);
      ++chosen;
      chooser->setCurrentColor(colour);
      QTest::keyClick(chooser, Qt::Key_Return);
    });
    Key(dialog, key);
  };
  While_Open(
      dialog, [&] { Choose(T().Controls.Resize1); },
      [&] {
        dialog->findChild<QWidget*>("Panel1")->setFocus();
        choose_on(Qt::Key_Space, QColor(0x12, 0x34, 0x56));
        EXPECT_EQ(T().Mount_Colour, 0x563412u);
        choose_on(Qt::Key_Return, QColor(0x65, 0x43, 0x21));
        EXPECT_EQ(T().Mount_Colour, 0x214365u);
        EXPECT_TRUE(App.Frame_Size_Form->Visible)
            << "Enter on the swatch does not accept the dialog";
        dialog->findChild<QWidget*>("Cancel")->setFocus();
        Key(dialog, Qt::Key_Return);
        EXPECT_FALSE(App.Frame_Size_Form->Visible);
      });
  EXPECT_EQ(chosen, 2);
  EXPECT_FALSE(App.Frame_Size_Form->Size_Accepted);
}

}  // namespace
}  // namespace tolvane::ui_testing
