#pragma once
// The replacement operator new of the test binaries that link
// tolvane_test_failing_new: it counts allocations, and fails them, while a
// test watches. A replacement is global to its binary, so only the binaries
// that watch link it; the others keep the standard one.
#include <cstddef>

namespace tolvane::testing {

// From now on counts every allocation of at least min_bytes; the fail_at-th
// of them (from 1) throws std::bad_alloc, and with and_after every later one
// too. fail_at 0: none fails.
void Watch_Allocations(std::size_t min_bytes = 0, long fail_at = 0, bool and_after = false);
// Stops watching; returns how many allocations were counted.
long Stop_Watching();

}  // namespace tolvane::testing
