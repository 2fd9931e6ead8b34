#pragma once
#include <algorithm>
#include <atomic>

namespace tolvane {

// The vector instruction sets the fast paths are built for, each level
// implying the ones below it. Each fast path runs only where Simd_Level() is
// at least its own level; below that its plain (or lower) path runs.
enum class Simd { Plain, Ssse3, Avx2, Avx512_Vbmi };

// The highest level this processor has; asked once.
inline Simd Detected_Simd() {
#if defined(__x86_64__) || defined(__i386__)
  static const Simd level = [] {
    if (!__builtin_cpu_supports("ssse3")) return Simd::Plain;
    if (!__builtin_cpu_supports("avx2")) return Simd::Ssse3;
    if (!__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512bw") ||
        !__builtin_cpu_supports("avx512vbmi"))
      return Simd::Avx2;
    return Simd::Avx512_Vbmi;
  }();
  return level;
#else
  return Simd::Plain;
#endif
}

namespace simd_detail {
inline std::atomic<Simd> cap{Simd::Avx512_Vbmi};
}

// The level the fast paths use: what the processor has, no higher than the
// cap.
inline Simd Simd_Level() {
  return std::min(Detected_Simd(), simd_detail::cap.load(std::memory_order_relaxed));
}

// Caps the level while it lives, so that tests run the lower paths on a
// processor that has the higher ones. Caps nest; each restores the one
// before.
class Simd_Cap {
 public:
  explicit Simd_Cap(Simd most) : before_(simd_detail::cap.exchange(most)) {}
  ~Simd_Cap() { simd_detail::cap.store(before_); }
  Simd_Cap(const Simd_Cap&) = delete;
  Simd_Cap& operator=(const Simd_Cap&) = delete;

 private:
  Simd before_;
};

inline bool Have_Ssse3() { return Simd_Level() >= Simd::Ssse3; }
inline bool Have_Avx2() { return Simd_Level() >= Simd::Avx2; }
inline bool Have_Avx512_Vbmi() { return Simd_Level() >= Simd::Avx512_Vbmi; }

}  // namespace tolvane
