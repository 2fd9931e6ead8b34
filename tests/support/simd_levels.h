#pragma once
// Runs a test once at every dispatch level this processor has, the level
// capped for the test's length, so that the lower fast paths run under test
// on a processor that has the higher ones.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "image/cpu_features.h"

namespace tolvane {

inline const char* Simd_Name(Simd level) {
  static const char* const names[] = {"Plain", "Ssse3", "Avx2", "Avx512Vbmi"};
  return names[int(level)];
}
inline void PrintTo(Simd level, std::ostream* out) { *out << Simd_Name(level); }

}  // namespace tolvane

namespace tolvane::testing {

inline std::vector<Simd> Supported_Simd_Levels() {
  std::vector<Simd> out;
  for (int level = 0; level <= int(Detected_Simd()); ++level) out.push_back(Simd(level));
  return out;
}

inline std::string Simd_Name(const ::testing::TestParamInfo<Simd>& info) {
  return tolvane::Simd_Name(info.param);
}

// Widths for the tests of row paths: 1 to 70, and around 128, 192 and 256
// pixels, so that each step of every vector path and each tail length
// comes up.
inline std::vector<int> Row_Widths() {
  std::vector<int> out;
  for (int w = 1; w <= 70; ++w) out.push_back(w);
  for (int w : {127, 128, 129, 191, 192, 193, 255, 256, 257}) out.push_back(w);
  return out;
}

// What f() gives with the level capped at plain, the reference for the
// fast paths.
template <class F>
auto At_Plain(F f) {
  const Simd_Cap cap(Simd::Plain);
  return f();
}

// A fixture (over Base) whose tests run with the level capped at their
// parameter; instantiate it with TOLVANE_AT_EACH_SIMD_LEVEL.
template <class Base = ::testing::Test>
class At_Each_Simd_Level : public Base, public ::testing::WithParamInterface<Simd> {
 private:
  Simd_Cap cap_{this->GetParam()};
};

}  // namespace tolvane::testing

#define TOLVANE_AT_EACH_SIMD_LEVEL(Suite)                                                    \
  INSTANTIATE_TEST_SUITE_P(Simd, Suite,                                                      \
                           ::testing::ValuesIn(::tolvane::testing::Supported_Simd_Levels()), \
                           ::tolvane::testing::Simd_Name)
