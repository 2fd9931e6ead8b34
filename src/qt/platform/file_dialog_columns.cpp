#include "qt/platform/file_dialog_columns.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>

namespace tolvane {

void Fit_File_Columns(QFileDialog& dialog) {
  auto* view = dialog.findChild<QTreeView*>("treeView");
  auto* model = dialog.findChild<QFileSystemModel*>();
  if (!view || !model) return;
  QHeaderView* header = view->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  auto fit = [view, model] {
    for (int column = 1; column < model->columnCount(); ++column)
      view->resizeColumnToContents(column);
  };
  fit();
  QObject::connect(model, &QFileSystemModel::directoryLoaded, view, fit);
}

}  // namespace tolvane
