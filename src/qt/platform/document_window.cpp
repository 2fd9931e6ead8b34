#include "qt/platform/document_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

#include "platform/platform.h"
#include "qt/platform/qt_platform.h"

namespace tolvane {

Document_Window::Document_Window() {
  setObjectName("Document_Window");
  setWindowFlag(Qt::Window);
  // The program ends with its main window, whether or not a document is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  setOpenExternalLinks(true);
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);
  const QScreen* s = QGuiApplication::primaryScreen();
  const int height = s ? s->availableGeometry().height() * 9 / 10 : 800;
  resize(760, std::min(height, 900));
  Centre_On_Screen(*this);
}

void Document_Window::Show_Markdown(const QString& title, const QString& markdown,
                                    const QString& folder) {
  setWindowTitle(title);
  setSearchPaths({folder});
  setMarkdown(markdown);
  // Qt's Markdown reader names no heading; links within the document name
  // them by their anchors.
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    if (b.blockFormat().headingLevel() == 0) continue;
    QTextCursor c(b);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat anchor;
    anchor.setAnchor(true);
    anchor.setAnchorNames({QString::fromStdString(Heading_Anchor(b.text().toStdString()))});
    c.mergeCharFormat(anchor);
  }
  show();
  raise();
  activateWindow();
}

}  // namespace tolvane
