#include <gtest/gtest.h>

#include "image/cpu_features.h"

namespace tolvane {
namespace {

// Caps lower the level every fast path asks for, never raise it above what
// the processor has, and nest.
TEST(Simd_Cap, LowersTheLevelWhileItLivesAndNests) {
  const Simd top = Detected_Simd();
  EXPECT_EQ(Simd_Level(), top);
  {
    const Simd_Cap plain(Simd::Plain);
    EXPECT_EQ(Simd_Level(), Simd::Plain);
    EXPECT_FALSE(Have_Ssse3() || Have_Avx2() || Have_Avx512_Vbmi());
    {
      const Simd_Cap avx2(Simd::Avx2);
      EXPECT_EQ(Simd_Level(), std::min(top, Simd::Avx2));
      EXPECT_EQ(Have_Avx2(), top >= Simd::Avx2);
      EXPECT_FALSE(Have_Avx512_Vbmi());
    }
    EXPECT_EQ(Simd_Level(), Simd::Plain);
  }
  EXPECT_EQ(Simd_Level(), top);
}

}  // namespace
}  // namespace tolvane
