#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QTemporaryDir>

#include "bmp/bmp.h"
#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

class Retrieval_Dialog_Test : public Program_Test {
 protected:
  QTemporaryDir dir;

  QWidget* Dialog() { return Views->Frame_Extract().Window(); }
  template <class W>
  W* In_Dialog(const char* name) {
    W* w = Dialog()->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  // Opens the dialog on a 96 x 32 sheet and lets user act on the widgets.
  void Open(std::function<void()> user) {
    const std::string path = QDir(dir.path()).filePath("sheet.bmp").toStdString();
    Write_Bmp(path, Raster_Image(96, 32, 0x0000FF));
    TFrame_Extract& f = *App.Frame_Extract;
    f.Import_File_Name = path;
    bool acted = false;
    QTimer::singleShot(0, [&] {
      EXPECT_TRUE(Dialog()->isVisible());
      user();
      acted = true;
    });
    P.Dispatch([&] { Show_Modal(P, f); });
    EXPECT_TRUE(acted);
    EXPECT_FALSE(Dialog()->isVisible());
  }

  // Replaces a number field's text by typing, leaving the focus in it.
  void Type(const char* field, const QString& text) {
    auto* edit = In_Dialog<QLineEdit>(field);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
};

TEST_F(Retrieval_Dialog_Test, EnterInAFieldCommitsItsValueAndPressesOk) {
  struct Case {
    const char* field;
    QString text;
    std::string committed;
    int width, height;
  };
  for (const Case& c : {Case{"Frame_W_Text", "99999", "96", 32, 32},
                        Case{"dest_fs_Text", "99999", "128", 3 * 128, 128}}) {
    Open([&] {
      Type(c.field, c.text);
      QTest::keyClick(In_Dialog<QLineEdit>(c.field), Qt::Key_Return);
    });
    const TFrame_Extract& f = *App.Frame_Extract;
    ASSERT_TRUE(f.Retrieval_Done) << c.field << " " << c.text.toStdString();
    EXPECT_EQ(std::string(c.field).starts_with("dest_fs") ? f.dest_fs.Text : f.Frame_W.Text,
              c.committed);
    EXPECT_EQ(f.Retrieved_Strip.Width(), c.width);
    EXPECT_EQ(f.Retrieved_Strip.Height(), c.height);
  }
}

TEST_F(Retrieval_Dialog_Test, EscapeCancelsAndTheLayoutKeepsItsSize) {
  QSize size;
  QRect ok, frame, final_preview;
  Open([&] {
    size = Dialog()->size();
    ok = In_Dialog<QPushButton>("Ok")->geometry();
    frame = In_Dialog<QWidget>("Panel2")->geometry();
    final_preview = In_Dialog<QWidget>("Final_Preview")->geometry();
    Type("Frame_H_Text", "7");
    QTest::keyClick(In_Dialog<QLineEdit>("Frame_H_Text"), Qt::Key_Escape);
  });
  EXPECT_FALSE(App.Frame_Extract->Retrieval_Done);
  EXPECT_EQ(size, QSize(481, 233));
  EXPECT_EQ(ok.bottom() + 1 + 8, 233);
  EXPECT_EQ(frame.size(), QSize(128, 128));
  EXPECT_EQ(final_preview, QRect(345 + 48, 20 + 48, 32, 32));
}

}  // namespace
}  // namespace tolvane::ui_testing
