#include <QComboBox>
#include <QFileDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "bmp/bmp.h"
#include "merge/transitions.h"
#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

class Add_Trans_Test : public Program_Test {
 protected:
  QWidget* Dialog() { return Views->Add_Trans().Window(); }
  template <class W>
  W* In_Dialog(const char* name) {
    W* w = Dialog()->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  TAdd_Trans& Form() { return *App.Add_Trans; }

  // Shows the dialog for two animations of 6 and 4 frames; the user's part
  // runs once it is up.
  void Show(std::function<void()> user) {
    Form().Anim1_Frames = 6;
    Form().Anim2_Frames = 4;
    QTimer::singleShot(0, [this, user] {
      EXPECT_TRUE(Dialog()->isVisible());
      user();
    });
    Show_Modal(P, Form());
  }

  void Type_Name(const QString& name) {
    QLineEdit* edit = In_Dialog<QComboBox>("Trans_Type")->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, name);
  }
};

TEST_F(Add_Trans_Test, ShowsItsControlsCentredAtItsSize) {
  QSize size;
  QPoint centre;
  QStringList items;
  QString text, label4, label5, caption;
  int marked = -1;
  Show([&] {
    caption = Dialog()->windowTitle();
    size = Dialog()->size();
    centre = Dialog()->geometry().center();
    auto* combo = In_Dialog<QComboBox>("Trans_Type");
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    text = combo->currentText();
    marked = combo->currentIndex();
    label4 = In_Dialog<QLabel>("Label4")->text();
    label5 = In_Dialog<QLabel>("Label5")->text();
    QTest::mouseClick(In_Dialog<QPushButton>("Cancel"), Qt::LeftButton);
  });
  EXPECT_EQ(caption, "Add Transition...");
  EXPECT_EQ(size, QSize(217, 177));
  const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((centre - screen).manhattanLength(), 6)  // window frames may shift it
      << centre.x() << "," << centre.y() << " " << screen.x() << "," << screen.y();
  EXPECT_EQ(items,
            QStringList({"Collapse", "Centre Out", "Merge", "Slide Horizontal", "Slide Vertical",
                         "Split Horizontal", "Split Vertical", "Squeeze Horizontal",
                         "Squeeze Vertical", "Wipe Horizontal", "Wipe Vertical"}));
  EXPECT_EQ(text, "Merge");
  EXPECT_EQ(marked, 2) << "the list opens on the entry shown";
  EXPECT_EQ(label4, "6 Frames");
  EXPECT_EQ(label5, "4 Frames");
  EXPECT_FALSE(Form().Trans_Accepted);
}

TEST_F(Add_Trans_Test, EnterAcceptsAndEscapeCancelsWhereverTheFocusIs) {
  const struct {
    const char* typed;
    const char* focus;  // the field holding the focus when the key comes
    Qt::Key key;
    bool accepted;
    int kind;
  } cases[] = {{"slide vertical", "Trans_Type", Qt::Key_Return, true, tk_Slide_Vertical},
               {"Wipe Horizontal", "overlap_Text", Qt::Key_Enter, true, tk_Wipe_Horizontal},
               {"collapse", "Trans_Type", Qt::Key_Escape, false, -1},
               {"Merge", "overlap_Text", Qt::Key_Escape, false, -1}};
  for (const auto& c : cases) {
    Form().Trans_Kind = -1;
    Show([&] {
      Type_Name(c.typed);
      QWidget* target = std::string(c.focus) == "Trans_Type"
                            ? In_Dialog<QComboBox>("Trans_Type")->lineEdit()
                            : In_Dialog<QWidget>(c.focus);
      target->setFocus();
      QTest::keyClick(target, c.key);
    });
    EXPECT_EQ(Form().Trans_Accepted, c.accepted) << c.typed;
    EXPECT_EQ(Form().Trans_Kind, c.kind) << c.typed;
    EXPECT_FALSE(Dialog()->isVisible());
  }
}

// The whole command through the real dialogs, by keyboard: the file, Enter
// for the transition question (Yes is its default) and Enter in the dialog.
TEST_F(Add_Trans_Test, MergeFilesRunsThroughTheRealDialogs) {
  QTemporaryDir dir;
  T().Frame_Size = 16;
  T().Session.Install_Strip(Raster_Image(3 * 16, 16, 0x0000FF));
  P.Sync_Views();
  const QString path = QDir(dir.path()).filePath("more.bmp");
  Write_Bmp(path.toStdString(), Raster_Image(5 * 16, 16, 0xFF0000));
  std::vector<QString> seen;
  std::function<void()> act = [&] {
    QWidget* top = QApplication::activeModalWidget();
    if (!top) {
      QTimer::singleShot(20, act);
      return;
    }
    seen.push_back(top->windowTitle());
    if (auto* files = qobject_cast<QFileDialog*>(top)) {
      auto* name = files->findChild<QLineEdit*>("fileNameEdit");
      name->setText(path);
      QTest::keyClick(name, Qt::Key_Return);
    } else if (top == Dialog()) {
      Type_Name("Slide Horizontal");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      return;
    } else {
      QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : top,
                      Qt::Key_Return);
    }
    QTimer::singleShot(20, act);
  };
  QTimer::singleShot(0, act);
  Choose(T().Controls.MergeFiles1);
  EXPECT_EQ(seen, std::vector<QString>({"Merge...", "Confirm", "Add Transition..."}));
  EXPECT_EQ(Form().Trans_Kind, tk_Slide_Horizontal);
  EXPECT_EQ(T().Frame_Total, 3 + 5 - 3);
  EXPECT_TRUE(T().Anim_Modified);
}

}  // namespace
}  // namespace tolvane::ui_testing
