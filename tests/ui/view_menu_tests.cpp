#include "program_fixture.h"

namespace tolvane::ui_testing {
namespace {

// The View menu's two check items follow the form both ways, and Export GIF
// is enabled with Save As.
TEST_F(Program_Test, ViewMenuChecksAndExportGifItem) {
  QMenu* view = Views->Main().Menu(T().Controls.View1);
  ASSERT_NE(view, nullptr);
  QStringList items;
  for (QAction* a : view->actions()) items << a->text();
  EXPECT_EQ(items, QStringList({"&Onion Skin", "&Pixel Grid", "Show &Transparency", "", "Zoom &In",
                                "Zoom O&ut", "&Fit"}));

  QAction* onion = Find<QAction>("OnionSkin1");
  QAction* grid = Find<QAction>("PixelGrid1");
  ASSERT_TRUE(onion && grid);
  EXPECT_TRUE(onion->isCheckable() && onion->isEnabled());
  EXPECT_FALSE(onion->isChecked());
  EXPECT_FALSE(grid->isChecked());
  Choose(T().Controls.PixelGrid1);
  EXPECT_TRUE(T().Controls.PixelGrid1.Checked);
  EXPECT_TRUE(grid->isChecked());
  EXPECT_FALSE(onion->isChecked());
  Choose(T().Controls.PixelGrid1);
  EXPECT_FALSE(T().Controls.PixelGrid1.Checked);
  EXPECT_FALSE(grid->isChecked());

  QAction* gif = Find<QAction>("ExportGIF1");
  ASSERT_NE(gif, nullptr);
  EXPECT_FALSE(gif->isEnabled());
  New_Anim(1);
  EXPECT_TRUE(gif->isEnabled());
  EXPECT_EQ(gif->isEnabled(), Find<QAction>("SaveAs1")->isEnabled());
}

}  // namespace
}  // namespace tolvane::ui_testing
