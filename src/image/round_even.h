#pragma once
#include <cmath>

namespace tolvane {

// Nearest integer, ties to the even one (0.5 -> 0, 2.5 -> 2, 3.5 -> 4): the
// rounding every generated frame uses. llrint rounds in the current mode,
// which the program never changes from to-nearest-even.
inline long long Round_Even(long double x) { return std::llrint(x); }

}  // namespace tolvane
