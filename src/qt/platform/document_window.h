#pragma once
#include <QString>
#include <QTextBrowser>

namespace tolvane {

// A window that shows one Markdown document read-only, with its pictures and
// links: a link to a heading scrolls to it, a link to the web goes to the
// desktop's browser. Escape closes it.
class Document_Window : public QTextBrowser {
 public:
  Document_Window();
  // Pictures and relative links are found from folder.
  void Show_Markdown(const QString& title, const QString& markdown, const QString& folder);
};

}  // namespace tolvane
