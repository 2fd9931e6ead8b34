#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "qt/platform/qt_dialogs.h"
#include "qt/platform/qt_image.h"
#include "qt/platform/qt_platform.h"

namespace tolvane {
namespace {

TEST(Message_Box, ButtonsAreInOrderWithTheirCaptionsAndAnswers) {
  Qt_Platform p;
  QStringList buttons;
  QString title;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    QList<QPushButton*> all = box->findChildren<QPushButton*>();
    std::sort(all.begin(), all.end(),
              [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    for (QPushButton* b : all) buttons << b->text();
    QTest::mouseClick(box->findChild<QPushButton*>("7"), Qt::LeftButton);
  });
  EXPECT_EQ(p.Show_Message_Box("Save?", Msg_Kind::Confirmation, mb_Yes | mb_No | mb_Cancel), id_No);
  EXPECT_EQ(title, "Confirm");
  EXPECT_EQ(buttons, QStringList({"&Yes", "&No", "Cancel"}));
}

int Answer_With_Key(Qt_Platform& p, Msg_Kind kind, unsigned buttons, Qt::Key key,
                    QString* title = nullptr) {
  QTimer::singleShot(0, [=] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    if (title) *title = box->windowTitle();
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : box;
    QTest::keyClick(target, key);
  });
  return p.Show_Message_Box("text", kind, buttons);
}

TEST(Message_Box, EnterAndEscapeFollowTheButtons) {
  Qt_Platform p;
  QString title;
  EXPECT_EQ(Answer_With_Key(p, Msg_Kind::Confirmation, mb_Yes | mb_No | mb_Cancel, Qt::Key_Return),
            id_Yes);
  EXPECT_EQ(Answer_With_Key(p, Msg_Kind::Confirmation, mb_Yes | mb_No | mb_Cancel, Qt::Key_Escape),
            id_Cancel);
  EXPECT_EQ(Answer_With_Key(p, Msg_Kind::Warning, mb_Yes | mb_No, Qt::Key_Escape, &title), id_No);
  EXPECT_EQ(title, "Warning");
  EXPECT_EQ(Answer_With_Key(p, Msg_Kind::Warning, mb_OK, Qt::Key_Escape), id_OK);
  EXPECT_EQ(Answer_With_Key(p, Msg_Kind::Information, mb_OK, Qt::Key_Return, &title), id_OK);
  EXPECT_EQ(title, "Information");
  EXPECT_EQ(Answer_With_Key(p, Msg_Kind::Error, mb_OK | mb_Cancel, Qt::Key_Enter, &title), id_OK);
  EXPECT_EQ(title, "Error");
}

TEST(Message_Box, CloseButtonAnswersCancelWhateverTheButtons) {
  Qt_Platform p;
  for (unsigned buttons : {unsigned(mb_OK), unsigned(mb_Yes | mb_No)}) {
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(p.Show_Message_Box("text", Msg_Kind::Warning, buttons), id_Cancel);
  }
}

TEST(Message_Box, ErrorBoxIsTitledWithTheApplication) {
  Qt_Platform p;
  QString title, text;
  QStringList buttons;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    title = box->windowTitle();
    text = box->findChild<QLabel*>("Text")->text();
    for (QPushButton* b : box->findChildren<QPushButton*>()) buttons << b->text();
    QTest::keyClick(box, Qt::Key_Escape);
  });
  p.Show_Error_Box("Bitmap image is not valid.");
  EXPECT_EQ(title, "Tolvane v2");
  EXPECT_EQ(text, "Bitmap image is not valid.");
  EXPECT_EQ(buttons, QStringList({"OK"}));
}

// A view whose sync fails, as a bug deep in a view would.
struct Failing_View : Form_View {
  bool fail = false;
  QWidget* Window() override { return nullptr; }
  void Sync() override {
    if (fail) throw std::out_of_range("no such frame");
  }
};

TEST(Dispatch, AnyExceptionBecomesTheErrorBoxAndInputIsNotLeftBlocked) {
  Qt_Platform p;
  TForm form;
  Failing_View view;
  p.Register_View(form, view);
  QStringList shown;
  auto answer_boxes = [&] {
    QTimer::singleShot(0, [&] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        shown << box->findChild<QLabel*>("Text")->text();
        QTest::keyClick(box, Qt::Key_Escape);
      }
    });
  };
  answer_boxes();
  p.Dispatch([] { throw std::out_of_range("no such tool"); });
  // The sync that follows a handler, and the one while events are pumped.
  view.fail = true;
  answer_boxes();
  p.Dispatch([] {});
  answer_boxes();
  p.Dispatch([&] { p.Process_Messages(); });
  view.fail = false;
  EXPECT_EQ(shown, QStringList({"no such tool.", "no such frame.", "no such frame."}));
  EXPECT_FALSE(p.Busy());
  bool ran = false;
  p.Dispatch([&] { ran = true; });
  EXPECT_TRUE(ran);
  p.Unregister_View(form);
}

TEST(File_Dialog_Filter, WindowsFilterBecomesQtNameFilters) {
  EXPECT_EQ(Qt_Name_Filters("Bitmap Files (*.BMP)|*.BMP|All Files (*.*)|*.*"),
            QStringList({"Bitmap Files (*.BMP)", "All Files (*)"}));
  EXPECT_EQ(Qt_Name_Filters("Pictures|*.BMP;*.PCX"), QStringList({"Pictures (*.BMP *.PCX)"}));
  EXPECT_TRUE(Qt_Name_Filters("").isEmpty());
}

// The names the open dialog lists in its folder, once it has read it.
QStringList Listed_Names(QFileDialog& dialog, int expected) {
  auto* list = dialog.findChild<QListView*>("listView");
  if (!list) return {};
  (void)QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) >= expected; },
                        3000);
  QStringList names;
  for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
    names << list->model()->index(r, 0, list->rootIndex()).data().toString();
  names.sort();
  return names;
}

TEST(File_Dialog, OpenListsBitmapsWhateverTheirCaseAndReturnsTheFullPath) {
  QTemporaryDir dir;
  for (const char* name : {"lower.bmp", "UPPER.BMP", "Mixed.Bmp", "notes.txt"}) {
    QFile f(QDir(dir.path()).filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  Qt_Platform p;
  File_Dialog d;
  d.Title = "Load Animation";
  d.Filter = "Bitmap Files (*.BMP)|*.BMP|All Files (*.*)|*.*";
  d.File_Name = QDir(dir.path()).filePath("UPPER.BMP").toStdString();
  QStringList listed;
  QString title;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle();
    listed = Listed_Names(*dialog, 3);
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText("lower.bmp");
    QTest::keyClick(name, Qt::Key_Return);
  });
  ASSERT_TRUE(p.Execute_Open_Dialog(d));
  EXPECT_EQ(title, "Load Animation");
  EXPECT_EQ(listed, QStringList({"Mixed.Bmp", "UPPER.BMP", "lower.bmp"}));
  EXPECT_EQ(QString::fromStdString(d.File_Name), QDir(dir.path()).filePath("lower.bmp"));
  EXPECT_EQ(d.Filter_Index, 1);
}

TEST(File_Dialog, CancelLeavesTheNameAlone) {
  Qt_Platform p;
  File_Dialog d;
  d.Filter = "Bitmap Files (*.BMP)|*.BMP";
  d.File_Name = "NewAnim.BMP";
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_FALSE(p.Execute_Save_Dialog(d));
  EXPECT_EQ(d.File_Name, "NewAnim.BMP");
}

TEST(Colour_Conversion, RoundTripsExactly) {
  for (Colour c : {0x000000u, 0xFFFFFFu, 0x0000FFu, 0x00FF00u, 0xFF0000u, 0x123456u, 0x800080u}) {
    const QColor q = To_QColor(c);
    EXPECT_EQ(q.red(), int(c & 0xFF));
    EXPECT_EQ(q.blue(), int(c >> 16));
    EXPECT_EQ(From_QColor(q), c);
  }
}

TEST(Image_Wrap, ShowsThePixelsWithoutConversion) {
  Raster_Image img(3, 2, 0x000000);
  img.SetPixel(0, 0, 0x0000FF);  // red
  img.SetPixel(1, 0, 0x00FF00);  // green
  img.SetPixel(2, 1, 0xFF0000);  // blue
  const QImage q = Wrap_Image(img);
  EXPECT_EQ(q.constBits(), reinterpret_cast<const uchar*>(img.Data()));
  // Painted, the fourth byte (0 in our pixels) must not count as alpha.
  QImage shown(3, 2, QImage::Format_RGB32);
  shown.fill(Qt::magenta);
  QPainter(&shown).drawImage(0, 0, q);
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(255, 0, 0));
  EXPECT_EQ(shown.pixelColor(1, 0), QColor(0, 255, 0));
  EXPECT_EQ(shown.pixelColor(2, 1), QColor(0, 0, 255));
  EXPECT_EQ(shown.pixelColor(0, 1), QColor(0, 0, 0));
}

TEST(Clipboard, ImageRoundTrips) {
  Qt_Platform p;
  Raster_Image img(4, 3, 0x112233);
  img.SetPixel(3, 2, 0xABCDEF);
  p.Clipboard_Put(img);
  ASSERT_TRUE(p.Clipboard_Has_Image());
  Raster_Image back;
  ASSERT_TRUE(p.Clipboard_Get(back));
  EXPECT_TRUE(Same_Pixels(img, back));
  QApplication::clipboard()->setText("no picture");
  EXPECT_FALSE(p.Clipboard_Has_Image());
}

TEST(Run_Modal, FormWithoutAViewIsClosedRatherThanHanging) {
  Qt_Platform p;
  TForm f;
  EXPECT_EQ(Show_Modal(p, f), mr_Cancel);
  EXPECT_FALSE(f.Visible);
}

TEST(Wait_Cursor, IsBalanced) {
  Qt_Platform p;
  p.Set_Wait_Cursor(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  p.Set_Wait_Cursor(false);
  p.Set_Wait_Cursor(false);  // an extra restore must not pop someone else's cursor
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tolvane
