#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

// Both export dialogs through their real widgets: typing a scale redraws the
// info line; Enter accepts (the save dialog follows and the file is written),
// Escape cancels (nothing is asked or written).
TEST_F(Program_Test, ExportDialogsTakeEnterAndEscape) {
  QTemporaryDir dir;
  New_Anim(0);
  const struct {
    const Menu_Item* item;
    Export_Dialog_View* view;
    Qt::Key key;
    const char* file;
    const char* info;
  } rows[] = {
      {&T().ExportGIF1, &Views->Gif_Export(), Qt::Key_Return, "a.gif",
       "1 frame of 48 x 48 pixels, 100 ms each"},
      {&T().ExportGIF1, &Views->Gif_Export(), Qt::Key_Escape, "b.gif", nullptr},
      {&T().ExportSheet1, &Views->Sheet_Export(), Qt::Key_Return, "c.png",
       "1 frame in 1 row: 48 x 48 pixels"},
      {&T().ExportSheet1, &Views->Sheet_Export(), Qt::Key_Escape, "d.png", nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const QString path = QDir(dir.path()).filePath(row.file);
    std::vector<QString> seen;
    QString info;
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
        return;
      }
      auto* scale = top->findChild<QLineEdit*>("Scale_Text");
      scale->setFocus();
      scale->selectAll();
      QTest::keyClicks(scale, "3");
      info = top->findChild<QLabel*>("Info")->text();
      QTest::keyClick(scale, row.key);
      if (row.key == Qt::Key_Return) QTimer::singleShot(20, act);
    };
    QTimer::singleShot(0, act);
    Choose(*row.item);
    QApplication::processEvents();
    const QString title = row.view->Window()->windowTitle();
    if (row.info) {
      EXPECT_EQ(info.toStdString(), row.info);
      EXPECT_EQ(seen.size(), 2u);
      EXPECT_TRUE(QFile::exists(path));
    } else {
      EXPECT_EQ(seen, std::vector<QString>{title});
      EXPECT_FALSE(QFile::exists(path));
    }
    EXPECT_FALSE(row.view->Window()->isVisible());
  }
}

}  // namespace
}  // namespace tolvane::ui_testing
