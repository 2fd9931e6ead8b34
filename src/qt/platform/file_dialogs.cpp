#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include "qt/platform/file_dialog_columns.h"
#include "qt/platform/qt_dialogs.h"
#include "qt/platform/qt_image.h"
#include "qt/platform/qt_platform.h"

namespace tolvane {

QStringList Qt_Name_Filters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    QStringList patterns;
    for (QString p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      p = p.trimmed();
      patterns << (p == "*.*" ? QString("*") : p);
    }
    static const QRegularExpression bracketed(R"(\s*\([^()]*\)\s*$)");
    description.remove(bracketed);
    result << description + " (" + patterns.join(' ') + ")";
  }
  return result;
}

bool Qt_Platform::Run_File_Dialog(File_Dialog& d, bool save) {
  Sync_Views();  // the windows behind show what the command has changed so far
  QFileDialog dialog(nullptr, QString::fromStdString(d.Title));
  // Qt's own dialog behaves the same on every desktop and under a bare X server.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // Windows users type *.BMP and expect to see a.bmp.
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  Fit_File_Columns(dialog);

  const QStringList filters = Qt_Name_Filters(d.Filter);
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) {
    int index = d.Filter_Index - 1;
    if (index < 0 || index >= filters.size()) index = 0;
    dialog.selectNameFilter(filters[index]);
  }

  QFileInfo given(QString::fromStdString(d.File_Name));
  QString dir;
  if (!d.File_Name.empty() && given.fileName() != QString::fromStdString(d.File_Name))
    dir = given.absolutePath();  // the name carries a folder
  else if (auto it = last_dirs_.find(&d); it != last_dirs_.end())
    dir = it->second;
  if (!dir.isEmpty() && QDir(dir).exists()) dialog.setDirectory(dir);
  if (!given.fileName().isEmpty()) dialog.selectFile(given.fileName());

  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!d.Overwrite_Prompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }

  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const QString path = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
  d.File_Name = path.toStdString();
  last_dirs_[&d] = QFileInfo(path).absolutePath();
  if (qsizetype i = filters.indexOf(dialog.selectedNameFilter()); i >= 0)
    d.Filter_Index = int(i) + 1;
  return true;
}

bool Qt_Platform::Execute_Open_Dialog(File_Dialog& d) { return Run_File_Dialog(d, false); }
bool Qt_Platform::Execute_Save_Dialog(File_Dialog& d) { return Run_File_Dialog(d, true); }

bool Qt_Platform::Execute_Colour_Dialog(Colour_Dialog& d) {
  for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i)
    QColorDialog::setCustomColor(i, To_QColor(d.Custom_Colours[i]));
  QColorDialog dialog(To_QColor(d.Color));
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  const bool chosen = dialog.exec() == QDialog::Accepted;
  for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i)
    d.Custom_Colours[i] = From_QColor(QColorDialog::customColor(i));
  if (chosen) d.Color = From_QColor(dialog.selectedColor());
  return chosen;
}

}  // namespace tolvane
