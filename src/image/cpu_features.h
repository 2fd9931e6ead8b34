#pragma once

namespace tolvane {

// Whether the processor has SSSE3, for the codecs' byte-shuffle rows; asked
// once.
inline bool Have_Ssse3() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool have = __builtin_cpu_supports("ssse3");
  return have;
#else
  return false;
#endif
}

// Whether the processor has AVX2, for gathers (palette rows, scaled copies);
// asked once.
inline bool Have_Avx2() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
#else
  return false;
#endif
}

// Whether the processor has AVX-512 with byte permutes (VBMI), for the
// palette rows' table lookups; asked once.
inline bool Have_Avx512_Vbmi() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool have = __builtin_cpu_supports("avx512f") &&
                           __builtin_cpu_supports("avx512bw") &&
                           __builtin_cpu_supports("avx512vbmi");
  return have;
#else
  return false;
#endif
}

}  // namespace tolvane
