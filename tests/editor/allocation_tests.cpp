#include <gtest/gtest.h>

#include "editor/editor_fixture.h"
#include "support/failing_new.h"

namespace tolvane::testing {
namespace {

using Allocation = Editor_Test;

long Allocations_During(const std::function<void()>& f) {
  Watch_Allocations();
  f();
  return Stop_Watching();
}

TEST_F(Allocation, RubberBandMovesAndRedrawsAllocateNothing) {
  for (int size : {128, 32, 50}) {
    if (T().Anim_Modified) P.Answers.push_back(id_No);
    New_Anim(size);
    T().Redraw_Zoom();  // the first scaled copy may size its column table
    EXPECT_EQ(Allocations_During([&] { T().Redraw_Zoom(); }), 0) << size;
    for (int tool : {Tool_Filled_Rect, Tool_Outline_Rect, Tool_Line, Tool_Filled_Ellipse}) {
      T().Set_Tool(tool);
      Press(5, 5);
      Move(100, 90);
      EXPECT_EQ(Allocations_During([&] {
                  Move(120, 30);
                  Move(3, 127);
                }),
                0)
          << "tool " << tool << " at " << size;
      Release(3, 127);
    }
  }
}

}  // namespace
}  // namespace tolvane::testing
