#include <QMenu>
#include <QSet>

#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

struct Item_Case {
  const char* name;
  const char* caption;
  const char* shortcut;
  bool enabled;  // at start-up, counting the menus above it
};

QStringList Titles(const QList<QAction*>& actions) {
  QStringList t;
  for (QAction* a : actions) t << (a->isSeparator() ? QString("-") : a->text());
  return t;
}

TEST_F(Program_Test, MenuBarHasTheFiveMenusWithTheirItems) {
  QMenuBar* bar = static_cast<QMainWindow*>(Main_Window())->menuBar();
  EXPECT_EQ(Titles(bar->actions()),
            QStringList({"&File", "&Edit", "F&rame", "&Section", "&View", "Effe&cts", "&Palette"}));
  auto items = [&](const Menu_Item& m) { return Titles(Views->Main().Menu(m)->actions()); };
  EXPECT_EQ(items(T().Controls.File1),
            QStringList({"&Load", "&Import Frames...", "Import &PCX...", "&Save", "Save &As...",
                         "Export &GIF...", "Export Sh&eet...", "&Merge Files...", "&New...", "-",
                         "&Help", "E&xit"}));
  EXPECT_EQ(items(T().Controls.About1),
            QStringList({"User &Guide", "&About...", "&What's New..."}));
  EXPECT_EQ(items(T().Controls.Edit1),
            QStringList({"&Copy (To Clipboard)", "Cu&t (To Clipboard)", "&Paste (From Clipboard)",
                         "-", "Flip &Horizontal", "Flip &Vertical", "Nudge Left", "Nudge Right",
                         "Nudge Up", "Nudge Down", "-", "T&ools", "S&wap Colours",
                         "Transparent Co&lour", "-", "&Undo", "Step &Backward", "Step &Forward"}));
  EXPECT_EQ(items(T().Controls.Tools1),
            QStringList({"&Pencil", "Filled &Rectangle", "&Outline Rectangle", "&Line", "&Fill",
                         "&Select", "Filled &Ellipse", "S&yringe"}));
  EXPECT_EQ(items(T().Controls.Frame1),
            QStringList({"C&lear", "&Copy (To Buffer)", "&Paste (From Buffer)", "-",
                         "C&opy (To Clipboard)", "P&aste (From Clipboard)", "-", "&Add", "&Delete",
                         "&Insert", "&Resize", "Frame &Timing...", "-", "&First Frame",
                         "Pre&vious Frame", "&Next Frame", "Las&t Frame", "Pla&y / Stop"}));
  EXPECT_EQ(items(T().Controls.Section1),
            QStringList({"Mark Frame as &Start of Section", "Mark Frame as &End of Section",
                         "&Reset Marks"}));
  EXPECT_EQ(items(T().Controls.Effects1),
            QStringList({"&Brightness...", "&Rotate...", "S&quash...", "S&pin..."}));
}

// Every item of the View and Effects menus has an access key of its own.
TEST_F(Program_Test, ViewAndEffectsItemsHaveAccessKeysThatDoNotClash) {
  for (const Menu_Item* menu : {&T().Controls.View1, &T().Controls.Effects1}) {
    QSet<QChar> keys;
    for (QAction* a : Views->Main().Menu(*menu)->actions()) {
      if (a->isSeparator()) continue;
      const int amp = a->text().indexOf('&');
      ASSERT_GE(amp, 0) << a->text().toStdString();
      EXPECT_FALSE(keys.contains(a->text()[amp + 1].toLower())) << a->text().toStdString();
      keys.insert(a->text()[amp + 1].toLower());
    }
  }
}

TEST_F(Program_Test, ShortcutsAndStartUpStates) {
  const Item_Case cases[] = {
      {"File1", "&File", "", true},
      {"Load1", "&Load", "Ctrl+O", true},
      {"Save1", "&Save", "F2", false},
      {"SaveAs1", "Save &As...", "Ctrl+Shift+S", false},
      {"MergeFiles1", "&Merge Files...", "", false},
      {"New1", "&New...", "Ctrl+N", true},
      {"UserGuide1", "User &Guide", "F1", true},
      {"About2", "&About...", "", true},
      {"Exit1", "E&xit", "Ctrl+Q", true},
      {"Edit1", "&Edit", "", false},
      {"Undo1", "&Undo", "Ctrl+U", false},
      {"Frame1", "F&rame", "", false},
      {"Copy1", "&Copy (To Buffer)", "Shift+Ins", false},
      {"Paste1", "&Paste (From Buffer)", "Ins", false},
      {"Add1", "&Add", "Ctrl+A", false},
      {"Delete1", "&Delete", "Del", false},
      {"Insert1", "&Insert", "Ctrl+I", false},
      {"MarkFrameAsStartOfSection1", "Mark Frame as &Start of Section", "Ctrl+S", false},
      {"MarkFrameAsEndOfSection1", "Mark Frame as &End of Section", "Ctrl+E", false},
      {"ResetMarks1", "&Reset Marks", "Ctrl+R", false},
      {"Effects1", "Effe&cts", "", false},
  };
  for (const Item_Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* a = Find<QAction>(c.name);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(), c.caption);
    EXPECT_EQ(a->shortcut().toString(QKeySequence::PortableText), c.shortcut);
    EXPECT_EQ(a->isEnabled(), c.enabled);
  }
}

TEST_F(Program_Test, ShortcutsOfADisabledMenuDoNothing) {
  // Ctrl+A (Add) is enabled as an item but its Frame menu is not: no frame
  // may be added before a document exists.
  EXPECT_TRUE(T().Controls.Add1.Enabled);
  QTest::keyClick(Main_Window(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(T().Frame_Total, 1);
  EXPECT_FALSE(T().Document_Open());

  New_Anim(1);
  Main_Window()->activateWindow();
  QApplication::processEvents();
  QTest::keyClick(Main_Window(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(T().Frame_Total, 2);
  EXPECT_EQ(Text_Of("Label2"), "Frame 1 of 2");
  EXPECT_TRUE(Find<QAction>("Save1")->isEnabled() || Find<QAction>("SaveAs1")->isEnabled());
  EXPECT_TRUE(Find<QAction>("Edit1")->isEnabled());
}

TEST_F(Program_Test, ToolButtonsFormOneExclusiveGroupWithHints) {
  const char* tools[] = {"Tool1", "Tool2", "Tool3", "Tool4", "Tool5", "Tool6", "Tool7", "Tool8"};
  EXPECT_TRUE(Find<QToolButton>("Tool1")->isChecked());
  for (const char* picked : {"Tool5", "Tool7", "Tool1"}) {
    Click(picked);
    for (const char* t : tools)
      EXPECT_EQ(Find<QToolButton>(t)->isChecked(), QString(t) == picked) << picked << " " << t;
  }
  EXPECT_EQ(Find<QToolButton>("Tool8")->toolTip(), "Syringe Tool");
  EXPECT_EQ(Find<QToolButton>("Next_Frame")->toolTip(), "Next Frame");
  EXPECT_EQ(Find<QToolButton>("Tool1")->geometry(), QRect(35, 8, 25, 25));
  EXPECT_EQ(Find<QToolButton>("Tool1")->iconSize(), QSize(15, 15));
  EXPECT_EQ(Find<QToolButton>("Play")->iconSize(), QSize(16, 16));
  EXPECT_EQ(Find<QToolButton>("Repeat_Anim")->iconSize(), QSize(9, 9));
  EXPECT_EQ(Find<QWidget>("Zoom")->geometry(), QRect(1, 1, 128, 128));
  EXPECT_EQ(Find<QWidget>("ZH")->geometry(), QRect(193, 129, 128, 13));
  EXPECT_EQ(Find<QWidget>("Play_Speed")->geometry(), QRect(340, 0, 29, 113));

  // The loop button toggles.
  EXPECT_TRUE(Find<QToolButton>("Repeat_Anim")->isChecked());
  Click("Repeat_Anim");
  EXPECT_FALSE(T().Controls.Repeat_Anim.Down);
  EXPECT_FALSE(Find<QToolButton>("Repeat_Anim")->isChecked());
}

}  // namespace
}  // namespace tolvane::ui_testing
