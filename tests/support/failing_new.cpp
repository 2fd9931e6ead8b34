#include "support/failing_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> watching{false};
std::atomic<std::size_t> min_bytes{0};
std::atomic<long> seen{0}, fail_at{0};
std::atomic<bool> and_after{false};
}  // namespace

namespace tolvane::testing {

void Watch_Allocations(std::size_t min, long fail, bool after) {
  min_bytes = min;
  fail_at = fail;
  and_after = after;
  seen = 0;
  watching = true;
}

long Stop_Watching() {
  watching = false;
  return seen;
}

}  // namespace tolvane::testing

// GCC cannot see that these pair up with the malloc below.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
  if (watching && n >= min_bytes) {
    const long k = ++seen;
    if (fail_at > 0 && (k == fail_at || (and_after && k > fail_at))) throw std::bad_alloc();
  }
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
