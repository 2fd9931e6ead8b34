#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "bmp/bmp.h"
#include "image/cpu_features.h"
#include "image/image_error.h"
#include "io/safe_save.h"

namespace tolvane {

namespace {

constexpr std::size_t Block_Bytes = 256 * 1024;

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

#if defined(__x86_64__) || defined(__i386__)
// Byte 64 k + j of the B, G, R bytes of 64 pixels (byte 3 p + c of pixel p)
// is byte 4 p + 2 - c of their colours. Byte vector k picks it from colour
// vectors k and k + 1 (pixels 16 k to 16 k + 31).
struct Narrow_Table {
  alignas(64) std::uint8_t v[3][64];
  constexpr Narrow_Table() : v() {
    for (int k = 0; k < 3; ++k)
      for (int j = 0; j < 64; ++j) {
        const int o = 64 * k + j, p = o / 3, c = o % 3;
        v[k][j] = std::uint8_t(4 * p + 2 - c - 64 * k);
      }
  }
};
constexpr Narrow_Table Narrow_Order;

// Sixty-four pixels per step: three byte permutes of two colour vectors
// each fill three whole 64-byte stores; then sixteen at a time with a
// 48-byte masked store. Stores stay inside the row's pixel bytes; returns
// the number of pixels done.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int Permute_Row(const Colour* src, int w,
                                                                       std::uint8_t* out) {
  __m512i order[3];
  for (int k = 0; k < 3; ++k) order[k] = _mm512_load_si512(Narrow_Order.v[k]);
  int x = 0;
  for (; x + 64 <= w; x += 64, out += 192) {
    const __m512i a = _mm512_loadu_si512(src + x), b = _mm512_loadu_si512(src + x + 16),
                  c = _mm512_loadu_si512(src + x + 32), d = _mm512_loadu_si512(src + x + 48);
    _mm512_storeu_si512(out, _mm512_permutex2var_epi8(a, order[0], b));
    _mm512_storeu_si512(out + 64, _mm512_permutex2var_epi8(b, order[1], c));
    _mm512_storeu_si512(out + 128, _mm512_permutex2var_epi8(c, order[2], d));
  }
  // (The zero-masked permute spares a false warning about an undefined
  // operand.)
  for (; x + 16 <= w; x += 16, out += 48)
    _mm512_mask_storeu_epi8(
        out, (__mmask64{1} << 48) - 1,
        _mm512_maskz_permutexvar_epi8(~__mmask64{0}, order[0], _mm512_loadu_si512(src + x)));
  return x;
}

// Four pixels per byte shuffle while the 16-byte store stays inside the
// row's pixel bytes (the padding after them must stay zero); returns the
// number of pixels done.
__attribute__((target("ssse3"))) int Shuffle_Row(const Colour* src, int w, std::uint8_t* out) {
  const __m128i order =
      _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -128, -128, -128, -128);
  int x = 0;
  for (; x + 6 <= w; x += 4, out += 12) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(in, order));
  }
  return x;
}
#else
int Permute_Row(const Colour*, int, std::uint8_t*) { return 0; }
int Shuffle_Row(const Colour*, int, std::uint8_t*) { return 0; }
#endif

// A spinning thread's pause: it gives the core to its sibling and spares
// the memory bus.
inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#else
  std::this_thread::yield();
#endif
}

// 0x00BBGGRR colours to B, G, R bytes.
void Row24(const Colour* src, int w, std::uint8_t* out) {
  int x = Have_Avx512_Vbmi() ? Permute_Row(src, w, out) : 0;
  if (Have_Ssse3()) x += Shuffle_Row(src + x, w - x, out + 3 * std::size_t(x));
  out += 3 * std::size_t(x);
  // Four pixels make three words.
  for (; x + 4 <= w; x += 4, out += 12) {
    const std::uint32_t a = __builtin_bswap32(src[x]) >> 8, b = __builtin_bswap32(src[x + 1]) >> 8,
                        c = __builtin_bswap32(src[x + 2]) >> 8,
                        d = __builtin_bswap32(src[x + 3]) >> 8;
    const std::uint32_t words[3] = {a | b << 24, b >> 8 | c << 16, c >> 16 | d << 8};
    std::memcpy(out, words, 12);
  }
  for (; x < w; ++x, out += 3) {
    out[0] = std::uint8_t(Blue_Of(src[x]));
    out[1] = std::uint8_t(Green_Of(src[x]));
    out[2] = std::uint8_t(Red_Of(src[x]));
  }
}

// Turns rows into file bytes a block at a time: the header goes out with
// the first rows, one write fewer; no buffer is cleared, as each row's
// padding is zeroed where it is made.
class Row_Blocks {
 public:
  Row_Blocks(const Raster_Image& image, std::uint64_t file_size, std::size_t row_bytes,
             std::uint64_t pixel_bytes)
      : image_(image),
        row_bytes_(row_bytes),
        block_rows_(std::clamp<std::size_t>(Block_Bytes / std::max<std::size_t>(row_bytes, 1), 1,
                                            std::max(image.Height(), 1))),
        blocks_(int((std::size_t(image.Height()) + block_rows_ - 1) / block_rows_)) {
    std::memset(header_, 0, Header);
    header_[0] = 'B';
    header_[1] = 'M';
    Put32(header_ + 2, std::uint32_t(file_size));
    Put32(header_ + 10, Header);
    Put32(header_ + 14, 40);
    Put32(header_ + 18, std::uint32_t(image.Width()));
    Put32(header_ + 22, std::uint32_t(image.Height()));
    Put16(header_ + 26, 1);
    Put16(header_ + 28, 24);
    Put32(header_ + 34, std::uint32_t(pixel_bytes));
  }

  static constexpr std::size_t Header = 54;
  int Blocks() const { return blocks_; }
  // Room for a block with the header in front of it.
  std::size_t Buffer_Bytes() const { return Header + block_rows_ * row_bytes_; }

  // Fills buffer with block k; returns where its bytes start and how many.
  std::pair<const std::uint8_t*, std::size_t> Make(int k, std::uint8_t* buffer) const {
    const int w = image_.Width();
    const std::size_t pixels = 3 * std::size_t(w);
    int y = image_.Height() - 1 - int(std::size_t(k) * block_rows_);
    std::uint8_t* const start = buffer + Header;
    std::uint8_t* out = start;
    for (std::size_t rows = 0; rows < block_rows_ && y >= 0; ++rows, --y, out += row_bytes_) {
      Row24(image_.Row(y), w, out);
      std::memset(out + pixels, 0, row_bytes_ - pixels);
    }
    if (k > 0) return {start, std::size_t(out - start)};
    std::memcpy(buffer, header_, Header);
    return {buffer, std::size_t(out - buffer)};
  }

 private:
  const Raster_Image& image_;
  std::size_t row_bytes_, block_rows_;
  int blocks_;
  std::uint8_t header_[Header];
};

bool Write_Serially(const Byte_Sink& sink, const Row_Blocks& blocks) {
  const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(blocks.Buffer_Bytes());
  for (int k = 0; k < blocks.Blocks(); ++k) {
    const auto [data, size] = blocks.Make(k, buffer.get());
    if (!sink(data, size)) return false;
  }
  return true;
}

// Spinning a while costs less than sleeping and being woken for the tens
// of microseconds a block takes; past that the thread sleeps.
template <typename Ready>
void Wait_Until(const std::atomic<int>& count, Ready ready) {
  for (int spins = 0;; ++spins) {
    const int now = count.load(std::memory_order_acquire);
    if (ready(now)) return;
    if (spins < 4096)
      Pause();
    else
      count.wait(now, std::memory_order_acquire);
  }
}

// One helper thread serves every save, started at the first large one:
// starting a thread per save costs tens of microseconds, a tenth of a
// strip's save. It runs one job at a time; a save that finds it busy makes
// all its blocks itself. The thread is never joined, so that neither the
// program's exit nor a forked child, which has no such thread, can wait for
// it.
class Row_Helper {
 public:
  using Job = void (*)(void*);
  static Row_Helper* Get() {
    static Row_Helper* const helper = Make();
    return helper;
  }
  // Offers job(context) to the helper; false if it is busy.
  bool Start(Job job, void* context) {
    bool idle = false;
    if (!busy_.compare_exchange_strong(idle, true, std::memory_order_acquire)) return false;
    job_ = job;
    context_ = context;
    state_.store(Offered, std::memory_order_release);
    state_.notify_one();
    return true;
  }
  // Withdraws the job if the helper has not taken it, or else waits until
  // it has returned.
  void Finish() {
    int state = Offered;
    if (!state_.compare_exchange_strong(state, Idle, std::memory_order_acq_rel)) {
      Wait_Until(state_, [](int now) { return now == Done; });
      state_.store(Idle, std::memory_order_relaxed);
    }
    busy_.store(false, std::memory_order_release);
  }

 private:
  enum : int { Idle, Offered, Taken, Done };
  static Row_Helper* Make() {
    auto* helper = new Row_Helper;
    try {
      std::thread([helper] { helper->Run(); }).detach();
      return helper;
    } catch (const std::system_error&) {
      delete helper;
      return nullptr;
    }
  }
  void Run() {
    for (;;) {
      int state = state_.load(std::memory_order_acquire);
      if (state != Offered) {
        state_.wait(state, std::memory_order_acquire);
        continue;
      }
      if (!state_.compare_exchange_strong(state, Taken, std::memory_order_acq_rel)) continue;
      job_(context_);
      state_.store(Done, std::memory_order_release);
      state_.notify_one();
    }
  }
  std::atomic<bool> busy_{false};
  std::atomic<int> state_{Idle};
  Job job_ = nullptr;
  void* context_ = nullptr;
};

// A second core turns rows into bytes while this thread hands the made
// blocks to the sink: for a large picture the sink's copy (or the kernel's)
// costs as much as the conversion, and the two overlap. The sink is called
// only from this thread, in order.
bool Write_Pipelined(const Byte_Sink& sink, const Row_Blocks& blocks) {
  Row_Helper* const helper = Row_Helper::Get();
  if (!helper) return Write_Serially(sink, blocks);
  constexpr int Slots = 4;
  enum : int { Open, Making, Made, Own };
  struct Shared {
    const Row_Blocks& blocks;
    // The helper makes block k in slot k % Slots; each block has a state.
    std::uint8_t* slots;
    std::unique_ptr<std::atomic<int>[]> state;
    std::pair<const std::uint8_t*, std::size_t> made[Slots] = {};
    // Blocks handed to the sink: block k's slot is free once block
    // k - Slots is handed.
    std::atomic<int> handed{0};
    std::atomic<bool> quit{false};
  };
  const int count = blocks.Blocks();
  const std::size_t slot_bytes = blocks.Buffer_Bytes();
  // The helper's slots, then this thread's own block.
  const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>((Slots + 1) * slot_bytes);
  std::uint8_t* const own = buffer.get() + Slots * slot_bytes;
  Shared shared{blocks, buffer.get(), std::make_unique<std::atomic<int>[]>(std::size_t(count))};
  const bool started = helper->Start(
      [](void* context) {
        Shared& s = *static_cast<Shared*>(context);
        for (int k = 0;; ++k) {
          Wait_Until(s.handed, [k](int now) { return now > k - Slots; });
          k = std::max(k, s.handed.load(std::memory_order_acquire));  // skip what is handed
          if (k >= s.blocks.Blocks() || s.quit.load(std::memory_order_relaxed)) return;
          int open = Open;
          if (!s.state[k].compare_exchange_strong(open, Making, std::memory_order_acq_rel))
            continue;
          std::uint8_t* const slot = s.slots + std::size_t(k % Slots) * s.blocks.Buffer_Bytes();
          s.made[k % Slots] = s.blocks.Make(k, slot);
          s.state[k].store(Made, std::memory_order_release);
        }
      },
      &shared);
  if (!started) return Write_Serially(sink, blocks);
  // However this ends (a refusing or throwing sink), the helper is told to
  // stop and waited for before the slots go.
  struct Release {
    Shared& s;
    Row_Helper& helper;
    ~Release() {
      s.quit.store(true, std::memory_order_relaxed);
      s.handed.store(s.blocks.Blocks() + Slots, std::memory_order_release);
      s.handed.notify_one();
      helper.Finish();
    }
  } release{shared, *helper};
  // This thread makes a block itself when the helper has not begun it, or
  // has not finished it in the time making it here takes. A helper that is
  // slow to wake, or gets little of its core, never holds the save up: once
  // it falls behind, it is let go and this thread makes the rest.
  using Clock = std::chrono::steady_clock;
  Clock::duration own_time = std::chrono::microseconds(50);
  auto make_own = [&](int k) {
    const Clock::time_point start = Clock::now();
    const auto block = blocks.Make(k, own);
    own_time = Clock::now() - start;
    return block;
  };
  for (int k = 0; k < count; ++k) {
    std::atomic<int>& state = shared.state[k];
    int open = Open;
    std::pair<const std::uint8_t*, std::size_t> block;
    if (state.compare_exchange_strong(open, Own, std::memory_order_acq_rel)) {
      block = make_own(k);
    } else {
      const Clock::time_point give_up = Clock::now() + own_time;
      for (int spins = 1; state.load(std::memory_order_acquire) != Made; ++spins) {
        if (spins % 64 == 0 && Clock::now() > give_up) break;
        Pause();
      }
      if (state.load(std::memory_order_acquire) == Made) {
        block = shared.made[k % Slots];
      } else {
        shared.quit.store(true, std::memory_order_relaxed);
        block = make_own(k);
      }
    }
    if (!sink(block.first, block.second)) return false;
    shared.handed.store(k + 1, std::memory_order_release);
    shared.handed.notify_one();
  }
  return true;
}

// A thread only where there is a second core to run it.
bool Pipeline_Allowed() {
  static const bool allowed = std::thread::hardware_concurrency() > 1;
  return allowed;
}

// Below this many bytes, sharing the work with another thread costs more
// than it saves.
constexpr std::uint64_t Pipeline_Bytes = 1 << 20;

bool Write_Rows(const Byte_Sink& sink, const Raster_Image& image, std::uint64_t file_size,
                std::size_t row_bytes, std::uint64_t pixel_bytes) {
  const Row_Blocks blocks(image, file_size, row_bytes, pixel_bytes);
  if (pixel_bytes >= Pipeline_Bytes && blocks.Blocks() > 1 && Pipeline_Allowed())
    return Write_Pipelined(sink, blocks);
  return Write_Serially(sink, blocks);
}

}  // namespace

void Write_Bmp(const std::string& path, const Raster_Image& image) {
  Write_Bmp(path, image, Bmp_Write_Function());
}

void Write_Bmp(const std::string& path, const Raster_Image& image,
               const Bmp_Write_Function& write_fn) {
  const int w = image.Width(), h = image.Height();
  const std::size_t row_bytes = (std::size_t(w) * 3 + 3) & ~std::size_t{3};
  const std::uint64_t pixel_bytes = std::uint64_t(row_bytes) * h;
  const std::uint64_t file_size = 54 + pixel_bytes;
  if (file_size > UINT32_MAX) throw Toolkit_Error("Cannot create file " + path);
  Save_File(
      path,
      [&](const Byte_Sink& sink) {
        return Write_Rows(sink, image, file_size, row_bytes, pixel_bytes);
      },
      write_fn);
}

}  // namespace tolvane
