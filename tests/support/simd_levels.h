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
