#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

// F1 (Help > User Guide) shows the guide from the build's docs, with its
// pictures, and its contents' links go to their headings.
TEST_F(Program_Test, UserGuideShowsTheGuideWithPicturesAndWorkingLinks) {
  QTest::keyClick(Main_Window(), Qt::Key_F1);
  QTextBrowser* guide = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && qobject_cast<QTextBrowser*>(w)) guide = qobject_cast<QTextBrowser*>(w);
  ASSERT_NE(guide, nullptr);
  EXPECT_EQ(guide->document()->firstBlock().text(), "Tolvane user guide");
  EXPECT_FALSE(
      guide->loadResource(QTextDocument::ImageResource, QUrl("images/workspace.png")).isNull());
  guide->setSource(QUrl("#keys"));  // what a click on "Keys" in the contents does
  EXPECT_GT(guide->verticalScrollBar()->value(), 0);
}

}  // namespace
}  // namespace tolvane::ui_testing
