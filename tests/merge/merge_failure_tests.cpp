// A merge whose strip cannot grow: allocations of this test binary above a
// set size fail, as they would near the memory's end.

#include <gtest/gtest.h>

#include "bmp/bmp.h"
#include "support/failing_new.h"
#include "support/tolvane_fixture.h"

namespace tolvane::testing {
namespace {

using Merge_Failure = Tolvane_Test;

TEST_F(Merge_Failure, AStripThatCannotGrowLeavesTheAnimationExactlyAsItWas) {
  const struct {
    bool transition;
    const char* kind;
  } cases[] = {{false, ""}, {true, "Wipe Horizontal"}, {true, "Merge"}, {true, "Collapse"}};
  for (const auto& c : cases) {
    P.Errors.clear();
    Load_Strip(Solid_Strip({1, 2, 3, 4}, 16));
    T().SpeedButton12Click();
    T().Working_Frame.SetPixel(2, 2, 0x123456);  // an edit the merge commits first
    T().Frame_Edited = true;
    T().Undo_Available = true;
    Write_Bmp(Path("merge.bmp"), Solid_Strip({101, 102, 103, 104, 105, 106, 107, 108}, 16));
    T().Commit_Frame();
    const Raster_Image before = T().Anim_Strip;

    P.Open_Answers.push_back(Path("merge.bmp"));
    P.Answers.push_back(c.transition ? id_Yes : id_No);
    P.On_Modal<TAdd_Trans>([&](TAdd_Trans& f) {
      f.Trans_Type.Text = c.kind;
      f.overlap.Text = "2";
      f.OkClick();
      // Anything as large as the merged strip now fails to allocate; the
      // merge file, smaller, was read before.
      Watch_Allocations(std::size_t(10) * 16 * 16 * sizeof(Colour), 1, true);
    });
    if (!c.transition) Watch_Allocations(std::size_t(12) * 16 * 16 * sizeof(Colour), 1, true);
    T().MergeFiles1Click();
    Stop_Watching();
    if (!c.transition) P.Modal_Scripts.clear();

    ASSERT_EQ(P.Errors.size(), 1u) << c.kind;
    EXPECT_EQ(P.Errors[0].rfind("Out of memory for an image of", 0), 0u) << P.Errors[0];
    EXPECT_TRUE(Same_Pixels(T().Anim_Strip, before)) << c.kind;
    EXPECT_EQ(T().Frame_Total, 4);
    EXPECT_FALSE(T().Anim_Modified) << "the animation was saved as it still is";
    EXPECT_TRUE(T().Undo_Available);
    EXPECT_LT(T().Controls.Progress_Panel.B.Left, 0);
    EXPECT_EQ(P.Wait_Cursor_On, 0);
    EXPECT_EQ(T().Working_Frame.GetPixel(2, 2), 0x123456u);
    EXPECT_EQ(T().Check_Invariants(), "");
  }
}

}  // namespace
}  // namespace tolvane::testing
