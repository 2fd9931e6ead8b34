#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

// The export dialogs through their real widgets: typing a scale redraws the
// info line; Enter accepts (the save dialog follows and the file is written),
// Escape cancels (nothing is asked or written).
TEST_F(Program_Test, ExportDialogsTakeEnterAndEscape) {
  QTemporaryDir dir;
  New_Anim(0);
  const struct {
    const Menu_Item* item;
    Qt::Key key;
    const char* file;
    const char* info;
  } rows[] = {
      {&T().Controls.ExportGIF1, Qt::Key_Escape, "a.gif", "1 frame of 48 x 48 pixels, 100 ms each"},
      {&T().Controls.ExportSheet1, Qt::Key_Return, "b.png", "1 frame in 1 row: 48 x 48 pixels"},
  };
  for (const auto& row : rows) {
    const QString path = QDir(dir.path()).filePath(row.file);
    QStringList seen;
    QString info;
    // Owns the pending ticks, so none outlives the locals they read.
    QObject ticks;
    std::function<void()> act = [&] {
      QWidget* top = QApplication::activeModalWidget();
      if (top) seen << top->windowTitle();
      if (auto* files = qobject_cast<QFileDialog*>(top)) {
        files->findChild<QLineEdit*>("fileNameEdit")->setText(path);
        QTest::keyClick(files->findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
        return;  // the last dialog: no timer may outlive the row's locals
      } else if (top) {
        auto* scale = top->findChild<QLineEdit*>("Scale_Text");
        scale->selectAll();
        QTest::keyClicks(scale, "3");
        info = top->findChild<QLabel*>("Info")->text();
        QTest::keyClick(scale, row.key);
      }
      if (!top || row.key == Qt::Key_Return) QTimer::singleShot(20, &ticks, act);
    };
    QTimer::singleShot(0, &ticks, act);
    Choose(*row.item);
    EXPECT_EQ(info.toStdString(), row.info);
    const bool accepted = row.key == Qt::Key_Return;
    EXPECT_EQ(seen.size(), accepted ? 2 : 1) << seen.join(", ").toStdString();
    EXPECT_EQ(QFile::exists(path), accepted) << row.file;
  }
}

}  // namespace
}  // namespace tolvane::ui_testing
