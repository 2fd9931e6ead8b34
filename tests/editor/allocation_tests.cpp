#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "editor/editor_fixture.h"

// GCC cannot see that these pair up with the malloc below.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Counts every allocation of this test binary while a test watches.
namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t n) {
  if (counting) ++allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tolvane::testing {
namespace {

using Allocation = Editor_Test;

long Allocations_During(const std::function<void()>& f) {
  allocations = 0;
  counting = true;
  f();
  counting = false;
  return allocations;
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
