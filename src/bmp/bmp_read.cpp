#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "bmp/bmp.h"
#include "image/cpu_features.h"
#include "image/image_error.h"
#include "io/read_only_file.h"

namespace tolvane {

namespace {

// The box's texts; the reasons follow them there and on the command line.
[[noreturn]] void Not_Valid(const std::string& reason) {
  throw Toolkit_Error("Bitmap image is not valid", reason);
}
[[noreturn]] void Read_Error(const std::string& reason = "the file ends inside its headers") {
  throw Toolkit_Error("Stream read error", reason);
}

// Below this many pixels a picture is cheap enough to allocate whatever the
// file holds; above it the file must be able to fill a fair share of it.
constexpr std::uint64_t Free_Pixels = std::uint64_t{1} << 22;
// Densest legal RLE fills 255 pixels from 2 bytes; allow twice that.
constexpr std::uint64_t Rle_Pixels_Per_Byte = 256;
// The pixels of a file cut short that its data does not reach.
constexpr Colour Cut_Colour = 0xFFFFFF;
// Uncompressed rows are decoded in blocks of about this many bytes.
constexpr std::size_t Block_Bytes = 256 * 1024;

std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
std::int32_t I32(const std::uint8_t* p) { return std::int32_t(U32(p)); }

// A bounded reader: never hands out more than the data holds.
class Source {
 public:
  explicit Source(std::uint64_t size) : size_(size) {}
  virtual ~Source() = default;
  std::uint64_t Size() const { return size_; }
  std::uint64_t Pos() const { return pos_; }

  // Up to n bytes from the current position, which moves past them; got is
  // less than n only at the end of the data. The bytes stay valid until the
  // next call.
  const std::uint8_t* Take(std::size_t n, std::size_t& got) {
    got = std::size_t(std::min<std::uint64_t>(n, size_ - pos_));
    const std::uint8_t* p = Fetch(got);
    pos_ += got;
    return p;
  }
  // Exactly n bytes, or the stream is too short.
  const std::uint8_t* Need(std::size_t n) {
    std::size_t got;
    const std::uint8_t* p = Take(n, got);
    if (got < n) Read_Error();
    return p;
  }
  void Skip_To(std::uint64_t pos) {
    pos = std::min(pos, size_);
    if (pos > pos_) Seek(pos);
    pos_ = std::max(pos, pos_);
  }

 protected:
  virtual const std::uint8_t* Fetch(std::size_t n) = 0;  // n bytes at pos_, all present
  virtual void Seek(std::uint64_t pos) = 0;
  std::uint64_t size_;
  std::uint64_t pos_ = 0;
};

class Memory_Source final : public Source {
 public:
  Memory_Source(const std::uint8_t* data, std::size_t size) : Source(size), data_(data) {}

 private:
  const std::uint8_t* Fetch(std::size_t) override { return data_ + pos_; }
  void Seek(std::uint64_t) override {}
  const std::uint8_t* data_;
};

class File_Source final : public Source {
 public:
  File_Source(int fd, std::uint64_t size) : Source(size), fd_(fd) {}

 private:
  const std::uint8_t* Fetch(std::size_t n) override {
    if (buffer_.size() < n) buffer_.resize(n);
    std::size_t done = 0;
    while (done < n) {
      const ssize_t r = ::read(fd_, buffer_.data() + done, n - done);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) Read_Error(System_Reason(errno));
      if (r == 0) Read_Error("the file shrank while it was read");
      done += std::size_t(r);
    }
    return buffer_.data();
  }
  void Seek(std::uint64_t pos) override {
    if (::lseek(fd_, off_t(pos), SEEK_SET) < 0) Read_Error(System_Reason(errno));
  }
  int fd_;
  std::vector<std::uint8_t> buffer_;
};

struct Header_And_Palette {
  Bmp_Header H;
  std::array<Colour, 256> Palette{};  // entries the file lacks stay black
};

bool Accepted_Header_Size(std::uint32_t size) {
  switch (size) {
    case 12:
    case 16:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
      return true;
    default:
      return false;
  }
}

// A mask must be one run of set bits within the pixel, and channels must not
// share bits. A zero mask is allowed: that channel reads 0.
void Check_Masks(const std::uint32_t (&m)[3], int bits) {
  const std::uint64_t limit = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  for (std::uint32_t mask : m) {
    if (mask > limit) Not_Valid("a colour mask is wider than the pixel");
    if (mask == 0) continue;
    const std::uint32_t run = mask >> std::countr_zero(mask);
    if ((run & (run + 1)) != 0) Not_Valid("a colour mask has gaps");
  }
  if ((m[0] & m[1]) || (m[0] & m[2]) || (m[1] & m[2])) Not_Valid("colour masks overlap");
}

std::uint64_t Row_Bytes(const Bmp_Header& h) {
  return (std::uint64_t(h.Width) * h.Bit_Count + 31) / 32 * 4;
}

Header_And_Palette Parse(Source& in) {
  Header_And_Palette out;
  Bmp_Header& h = out.H;
  h.File_Size = in.Size();

  std::size_t got;
  const std::uint8_t* file = in.Take(14, got);
  if (got >= 2 && (file[0] != 'B' || file[1] != 'M')) Not_Valid("not a BMP file");
  if (got < 14) Read_Error();
  h.Pixel_Offset = U32(file + 10);

  const std::uint32_t info_size = U32(in.Need(4));
  if (!Accepted_Header_Size(info_size))
    Not_Valid("unknown header size " + std::to_string(info_size));
  std::uint8_t info[124] = {};
  std::memcpy(info + 4, in.Need(info_size - 4), info_size - 4);

  std::int64_t width, height;
  int planes;
  std::uint32_t compression = 0, colours_used = 0;
  const bool os2_v2 = info_size == 16 || info_size == 64;
  if (info_size == 12) {
    width = U16(info + 4);
    height = U16(info + 6);
    planes = U16(info + 8);
    h.Bit_Count = U16(info + 10);
    h.Palette_Entry_Bytes = 3;
  } else {
    width = I32(info + 4);
    height = I32(info + 8);
    planes = U16(info + 12);
    h.Bit_Count = U16(info + 14);
    compression = U32(info + 16);
    colours_used = U32(info + 32);
  }

  if (planes != 1) Not_Valid("planes not 1");
  switch (h.Bit_Count) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      Not_Valid(std::to_string(h.Bit_Count) + " bits per pixel");
  }
  // OS/2 2.x gives 3 and 4 other meanings (Huffman, RLE24) that we do not read.
  const bool compression_fits =
      compression == 0 || (compression == 1 && h.Bit_Count == 8) ||
      (compression == 2 && h.Bit_Count == 4) ||
      (compression == 3 && !os2_v2 && (h.Bit_Count == 16 || h.Bit_Count == 32));
  if (!compression_fits)
    Not_Valid("compression " + std::to_string(compression) + " at " + std::to_string(h.Bit_Count) +
              " bits per pixel");
  h.Compression = int(compression);

  if (width <= 0 || height == 0) Not_Valid("no pixels");
  h.Top_Down = height < 0;
  height = height < 0 ? -height : height;  // int64: -INT32_MIN is fine
  if (h.Top_Down && (compression == 1 || compression == 2)) Not_Valid("top-down run lengths");
  const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
  if (pixels > std::uint64_t(Max_Image_Pixels)) Not_Valid(Too_Large(width, height));
  h.Width = int(width);
  h.Height = int(height);

  if (h.Bit_Count == 16) {
    h.Masks[0] = 0x7C00, h.Masks[1] = 0x03E0, h.Masks[2] = 0x001F;
  } else if (h.Bit_Count == 32) {
    h.Masks[0] = 0xFF0000, h.Masks[1] = 0x00FF00, h.Masks[2] = 0x0000FF;
  }
  if (compression == 3) {
    const std::uint8_t* m = info_size >= 52 ? info + 40 : in.Need(12);
    for (int i = 0; i < 3; ++i) h.Masks[i] = U32(m + 4 * i);
    Check_Masks(h.Masks, h.Bit_Count);
  }

  const std::uint64_t headers_end = in.Pos();
  if (h.Pixel_Offset < headers_end) Not_Valid("the pixel data starts inside the headers");
  if (h.Pixel_Offset > in.Size()) Read_Error("the file ends before its pixel data");

  if (h.Bit_Count <= 8) {
    const std::uint32_t most = 1u << h.Bit_Count;
    std::uint64_t entries = colours_used == 0 ? most : std::min(colours_used, most);
    // Some files name more entries than fit before the pixels; those that
    // would overlap the pixel data are not colours.
    entries =
        std::min<std::uint64_t>(entries, (h.Pixel_Offset - headers_end) / h.Palette_Entry_Bytes);
    h.Palette_Entries = int(entries);
    const std::uint8_t* p = in.Need(std::size_t(entries) * h.Palette_Entry_Bytes);
    for (std::uint64_t i = 0; i < entries; ++i, p += h.Palette_Entry_Bytes)
      out.Palette[i] = Rgb(p[2], p[1], p[0]);
  }

  // What the file can fill bounds what we allocate.
  const std::uint64_t data_bytes = in.Size() - h.Pixel_Offset;
  std::uint64_t fillable;
  if (compression == 1 || compression == 2) {
    fillable = data_bytes * Rle_Pixels_Per_Byte;
  } else {
    const std::uint64_t rows = data_bytes / Row_Bytes(h) + 1;
    fillable = 2 * std::min(rows, std::uint64_t(h.Height)) * std::uint64_t(h.Width);
  }
  if (pixels > Free_Pixels && pixels > fillable)
    Not_Valid("the file is far too short for " + std::to_string(width) + " x " +
              std::to_string(height) + " pixels");
  return out;
}

// Widening of an n-bit channel to 8 bits.
std::uint32_t Widen(std::uint32_t v, int n) {
  if (n <= 0) return 0;
  if (n >= 8) return v >> (n - 8);
  std::uint32_t r = 0;
  for (int shift = 8 - n; shift > -n; shift -= n) r |= shift >= 0 ? v << shift : v >> -shift;
  return r & 0xFF;
}

// Maps a 16- or 32-bit pixel through three masks to a colour.
class Mask_Map {
 public:
  explicit Mask_Map(const std::uint32_t (&masks)[3]) {
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t m = masks[c];
      shift_[c] = m ? std::countr_zero(m) : 0;
      bits_[c] = std::popcount(m);
      mask_[c] = m;
      if (bits_[c] <= 8)
        for (std::uint32_t v = 0; v < (1u << bits_[c]); ++v)
          table_[c][v] = std::uint8_t(Widen(v, bits_[c]));
    }
  }
  Colour operator()(std::uint32_t px) const {
    return Channel(px, 0) | Channel(px, 1) << 8 | Channel(px, 2) << 16;
  }

 private:
  std::uint32_t Channel(std::uint32_t px, int c) const {
    const std::uint32_t v = (px & mask_[c]) >> shift_[c];
    return bits_[c] <= 8 ? table_[c][v] : v >> (bits_[c] - 8);
  }
  std::uint32_t mask_[3];
  int shift_[3], bits_[3];
  std::uint8_t table_[3][256] = {};
};

// Byte k * 64 + j of 64 pixels of 0x00BBGGRR (byte 4 p + c of pixel p) is
// byte 3 p + 2 - c of their 192 B, G, R bytes. Colour vector k (pixels 16 k
// to 16 k + 15) picks it from the two byte vectors that start at
// Widen_From[k] * 64 bytes. High bytes get index 0; the permute's mask
// zeroes them.
constexpr int Widen_From[4] = {0, 0, 1, 2};
struct Widen_Table {
  alignas(64) std::uint8_t v[4][64];
  constexpr Widen_Table() : v() {
    for (int k = 0; k < 4; ++k)
      for (int j = 0; j < 64; ++j) {
        const int p = 16 * k + j / 4, c = j % 4;
        v[k][j] = std::uint8_t(c == 3 ? 0 : 3 * p + 2 - c - 64 * Widen_From[k]);
      }
  }
};
constexpr Widen_Table Widen_Order;

struct Row_Decoder {
  const Bmp_Header& h;
  const std::array<Colour, 256>& palette;
  Mask_Map masks;
  bool plain32;
  bool permute8;
  // The palette split by channel (red, green, blue bytes), for byte permutes.
  alignas(64) std::uint8_t channels[3][256];

  Row_Decoder(const Bmp_Header& header, const std::array<Colour, 256>& pal)
      : h(header),
        palette(pal),
        masks(header.Masks),
        plain32(header.Bit_Count == 32 && header.Masks[0] == 0xFF0000 &&
                header.Masks[1] == 0xFF00 && header.Masks[2] == 0xFF),
        permute8(header.Bit_Count == 8 && Have_Avx512_Vbmi()) {
    if (permute8)
      for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c) channels[c][i] = std::uint8_t(pal[std::size_t(i)] >> (8 * c));
  }

  // Decodes the pixels of one row whose bytes are all among the n given.
  void operator()(const std::uint8_t* s, std::size_t n, Colour* dst) const {
    const std::uint64_t whole = std::uint64_t(n) * 8 / h.Bit_Count;
    const int w = int(std::min<std::uint64_t>(whole, std::uint64_t(h.Width)));
    switch (h.Bit_Count) {
      case 1:
        for (int x = 0; x < w; ++x) dst[x] = palette[(s[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4: {
        int x = 0;
        for (; x + 1 < w; x += 2, ++s) {
          dst[x] = palette[*s >> 4];
          dst[x + 1] = palette[*s & 15];
        }
        if (x < w) dst[x] = palette[*s >> 4];
        break;
      }
      case 8: {
        int x = permute8 ? Permute_Row8(s, channels, dst, w) : 0;
        if (Have_Avx2()) x += Gather_Row8(s + x, palette.data(), dst + x, w - x);
        for (; x < w; ++x) dst[x] = palette[s[x]];
        break;
      }
      case 16:
        for (int x = 0; x < w; ++x) dst[x] = masks(U16(s + 2 * x));
        break;
      case 24:
        Row24(s, n, dst, w);
        break;
      case 32:
        if (plain32)
          Row32(s, n, dst, w);
        else
          for (int x = 0; x < w; ++x) dst[x] = masks(U32(s + 4 * x));
        break;
    }
  }

  // B, G, R bytes to 0x00BBGGRR. n is the number of bytes readable at s.
  static void Row24(const std::uint8_t* s, std::size_t n, Colour* dst, int w) {
    int x = Have_Avx512_Vbmi() ? Permute_Row24(s, n, dst, w) : 0;
    if (Have_Ssse3())
      x += Shuffle_Row<3>(s + 3 * std::size_t(x), n - 3 * std::size_t(x), dst + x, w - x);
    s += 3 * std::size_t(x);
    // Four pixels from three words at a time.
    for (; x + 4 <= w; x += 4, s += 12) {
      std::uint32_t a, b, c;
      std::memcpy(&a, s, 4);
      std::memcpy(&b, s + 4, 4);
      std::memcpy(&c, s + 8, 4);
      dst[x] = __builtin_bswap32(a << 8);
      dst[x + 1] = __builtin_bswap32((a >> 24) << 8 | b << 16);
      dst[x + 2] = __builtin_bswap32((b >> 16) << 8 | c << 24);
      dst[x + 3] = __builtin_bswap32(c & 0xFFFFFF00u);
    }
    for (; x < w; ++x, s += 3) dst[x] = Rgb(s[2], s[1], s[0]);
  }
  // B, G, R, x bytes: swap red and blue, drop the fourth byte.
  static void Row32(const std::uint8_t* s, std::size_t n, Colour* dst, int w) {
    int x = Have_Avx2()    ? Shuffle_Row32_Wide(s, dst, w)
            : Have_Ssse3() ? Shuffle_Row<4>(s, n, dst, w)
                           : 0;
    for (; x < w; ++x) {
      std::uint32_t v;
      std::memcpy(&v, s + 4 * std::size_t(x), 4);
      dst[x] = (v >> 16 & 0xFF) | (v & 0xFF00) | (v & 0xFF) << 16;
    }
  }

#if defined(__x86_64__) || defined(__i386__)
  // Four pixels per byte shuffle, as long as 16 bytes can be loaded; returns
  // the number of pixels done.
  template <int Bytes>
  __attribute__((target("ssse3"))) static int Shuffle_Row(const std::uint8_t* s, std::size_t n,
                                                          Colour* dst, int w) {
    const __m128i order =
        Bytes == 3 ? _mm_setr_epi8(2, 1, 0, -128, 5, 4, 3, -128, 8, 7, 6, -128, 11, 10, 9, -128)
                   : _mm_setr_epi8(2, 1, 0, -128, 6, 5, 4, -128, 10, 9, 8, -128, 14, 13, 12, -128);
    int x = 0;
    for (; x + 4 <= w && std::size_t(x) * Bytes + 16 <= n; x += 4) {
      const __m128i in =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + std::size_t(x) * Bytes));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_shuffle_epi8(in, order));
    }
    return x;
  }
  // Eight 32-bit pixels per shuffle; a row holds all w of them.
  __attribute__((target("avx2"))) static int Shuffle_Row32_Wide(const std::uint8_t* s, Colour* dst,
                                                                int w) {
    const __m256i order =
        _mm256_setr_epi8(2, 1, 0, -128, 6, 5, 4, -128, 10, 9, 8, -128, 14, 13, 12, -128, 2, 1, 0,
                         -128, 6, 5, 4, -128, 10, 9, 8, -128, 14, 13, 12, -128);
    int x = 0;
    for (; x + 8 <= w; x += 8) {
      const __m256i in =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * std::size_t(x)));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x), _mm256_shuffle_epi8(in, order));
    }
    return x;
  }
  // Sixty-four pixels per step from three 64-byte loads: each colour vector
  // takes its bytes from two of them by one byte permute, which also zeroes
  // the high byte; then sixteen at a time from one masked load, which
  // touches no byte past the pixels.
  __attribute__((target("avx512f,avx512bw,avx512vbmi"))) static int Permute_Row24(
      const std::uint8_t* s, std::size_t n, Colour* dst, int w) {
    __m512i order[4];
    for (int k = 0; k < 4; ++k) order[k] = _mm512_load_si512(Widen_Order.v[k]);
    const __mmask64 colour_bytes = 0x7777777777777777;
    int x = 0;
    for (; x + 64 <= w && 3 * std::size_t(x) + 192 <= n; x += 64) {
      const std::uint8_t* p = s + 3 * std::size_t(x);
      const __m512i a = _mm512_loadu_si512(p), b = _mm512_loadu_si512(p + 64),
                    c = _mm512_loadu_si512(p + 128);
      _mm512_storeu_si512(dst + x, _mm512_maskz_permutex2var_epi8(colour_bytes, a, order[0], b));
      _mm512_storeu_si512(dst + x + 16,
                          _mm512_maskz_permutex2var_epi8(colour_bytes, a, order[1], b));
      _mm512_storeu_si512(dst + x + 32,
                          _mm512_maskz_permutex2var_epi8(colour_bytes, b, order[2], c));
      _mm512_storeu_si512(dst + x + 48,
                          _mm512_maskz_permutex2var_epi8(colour_bytes, c, order[3], c));
    }
    for (; x + 16 <= w && 3 * std::size_t(x) + 48 <= n; x += 16) {
      const __m512i a = _mm512_maskz_loadu_epi8((__mmask64{1} << 48) - 1, s + 3 * std::size_t(x));
      _mm512_storeu_si512(dst + x, _mm512_maskz_permutexvar_epi8(colour_bytes, order[0], a));
    }
    return x;
  }
  // Sixty-four palette lookups per step: each channel is a 256-byte table
  // looked up by two 128-entry byte permutes, then the three channel bytes
  // are interleaved into pixels.
  __attribute__((target("avx512f,avx512bw,avx512vbmi"))) static int Permute_Row8(
      const std::uint8_t* s, const std::uint8_t (&channels)[3][256], Colour* dst, int w) {
    if (w < 64) return 0;
    __m512i table[3][4];
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 4; ++k) table[c][k] = _mm512_load_si512(channels[c] + 64 * k);
    const __m512i zero = _mm512_setzero_si512();
    int x = 0;
    for (; x + 64 <= w; x += 64) {
      const __m512i idx = _mm512_loadu_si512(s + x);
      const __mmask64 high = _mm512_movepi8_mask(idx);
      __m512i v[3];
      for (int c = 0; c < 3; ++c)
        v[c] = _mm512_mask_blend_epi8(high, _mm512_permutex2var_epi8(table[c][0], idx, table[c][1]),
                                      _mm512_permutex2var_epi8(table[c][2], idx, table[c][3]));
      const __m512i rg_lo = _mm512_unpacklo_epi8(v[0], v[1]),
                    rg_hi = _mm512_unpackhi_epi8(v[0], v[1]);
      const __m512i b_lo = _mm512_unpacklo_epi8(v[2], zero),
                    b_hi = _mm512_unpackhi_epi8(v[2], zero);
      // Each 128-bit lane L of p[k] holds pixels 16 L + 4 k .. 16 L + 4 k + 3;
      // two rounds of lane shuffles put them in order. (The masked form of
      // the shuffle spares a false warning about an undefined operand.)
      const __m512i p0 = _mm512_unpacklo_epi16(rg_lo, b_lo),
                    p1 = _mm512_unpackhi_epi16(rg_lo, b_lo);
      const __m512i p2 = _mm512_unpacklo_epi16(rg_hi, b_hi),
                    p3 = _mm512_unpackhi_epi16(rg_hi, b_hi);
      const __m512i t0 = _mm512_maskz_shuffle_i64x2(0xFF, p0, p1, 0x44),
                    t1 = _mm512_maskz_shuffle_i64x2(0xFF, p2, p3, 0x44);
      const __m512i t2 = _mm512_maskz_shuffle_i64x2(0xFF, p0, p1, 0xEE),
                    t3 = _mm512_maskz_shuffle_i64x2(0xFF, p2, p3, 0xEE);
      _mm512_storeu_si512(dst + x, _mm512_maskz_shuffle_i64x2(0xFF, t0, t1, 0x88));
      _mm512_storeu_si512(dst + x + 16, _mm512_maskz_shuffle_i64x2(0xFF, t0, t1, 0xDD));
      _mm512_storeu_si512(dst + x + 32, _mm512_maskz_shuffle_i64x2(0xFF, t2, t3, 0x88));
      _mm512_storeu_si512(dst + x + 48, _mm512_maskz_shuffle_i64x2(0xFF, t2, t3, 0xDD));
    }
    return x;
  }
  // Sixteen palette lookups per step; the table has all 256 entries, so any
  // index is safe.
  __attribute__((target("avx2"))) static int Gather_Row8(const std::uint8_t* s,
                                                         const Colour* palette, Colour* dst,
                                                         int w) {
    const int* table = reinterpret_cast<const int*>(palette);
    int x = 0;
    for (; x + 16 <= w; x += 16) {
      const __m128i idx = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
      const __m256i lo = _mm256_i32gather_epi32(table, _mm256_cvtepu8_epi32(idx), 4);
      const __m256i hi =
          _mm256_i32gather_epi32(table, _mm256_cvtepu8_epi32(_mm_srli_si128(idx, 8)), 4);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x), lo);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x + 8), hi);
    }
    return x;
  }
#else
  template <int Bytes>
  static int Shuffle_Row(const std::uint8_t*, std::size_t, Colour*, int) {
    return 0;
  }
  static int Gather_Row8(const std::uint8_t*, const Colour*, Colour*, int) { return 0; }
  static int Permute_Row8(const std::uint8_t*, const std::uint8_t (&)[3][256], Colour*, int) {
    return 0;
  }
  static int Shuffle_Row32_Wide(const std::uint8_t*, Colour*, int) { return 0; }
  static int Permute_Row24(const std::uint8_t*, std::size_t, Colour*, int) { return 0; }
#endif
};

// Decodes into an unfilled image: rows or row ends the data does not reach
// are white. Returns whether the data was cut short.
bool Decode_Plain(Source& in, const Header_And_Palette& hp, Raster_Image& image) {
  constexpr Colour missing = Cut_Colour;
  const Bmp_Header& h = hp.H;
  const Row_Decoder decode(h, hp.Palette);
  const std::size_t row_bytes = std::size_t(Row_Bytes(h));
  const std::size_t pixel_bytes = (std::size_t(h.Width) * std::size_t(h.Bit_Count) + 7) / 8;
  const int block_rows = int(std::max<std::size_t>(1, Block_Bytes / row_bytes));
  auto line = [&](int row) { return image.Row(h.Top_Down ? row : h.Height - 1 - row); };
  int row = 0;
  bool partial = false;
  while (row < h.Height) {
    const int rows = std::min(block_rows, h.Height - row);
    const std::size_t want = std::size_t(rows) * row_bytes;
    std::size_t got;
    const std::uint8_t* p = in.Take(want, got);
    const bool cut = got < want;
    for (int i = 0; i < rows && got > 0; ++i, ++row) {
      const std::size_t n = std::min(got, row_bytes);
      if (n < row_bytes) {
        std::fill_n(line(row), h.Width, missing);
        // A row missing only its padding lacks no pixel.
        partial = partial || n < pixel_bytes;
      }
      decode(p, n, line(row));
      p += n;
      got -= n;
    }
    if (cut) break;
  }
  const bool cut = partial || row < h.Height;
  for (; row < h.Height; ++row) std::fill_n(line(row), h.Width, missing);
  return cut;
}

// Decodes into an unfilled image. The coding visits pixels in file order, so
// whatever an end of line or a delta jumps over is filled with the missing
// colour as the cursor moves past it; what the data does not reach when it
// ends before its end-of-picture code is white. Returns whether it did.
bool Decode_Rle(const std::uint8_t* p, const std::uint8_t* end, const Header_And_Palette& hp,
                Colour missing, Raster_Image& image) {
  const Bmp_Header& h = hp.H;
  const auto& pal = hp.Palette;
  const bool four = h.Compression == 2;
  const int width = h.Width;
  int row = 0, x = 0;
  bool ended = false;
  Colour* line = image.Row(h.Height - 1);
  auto next_rows = [&](int n) {
    std::fill(line + x, line + width, missing);
    for (int r = row + 1; r < std::min(row + n, h.Height); ++r)
      std::fill_n(image.Row(h.Height - 1 - r), width, missing);
    row += n;
    x = 0;
    if (row < h.Height) line = image.Row(h.Height - 1 - row);
  };
  while (row < h.Height && end - p >= 2) {
    const int count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      const int n = std::min(count, width - x);
      if (!four) {
        std::fill_n(line + x, n, pal[value]);
      } else {
        const Colour c[2] = {pal[value >> 4], pal[value & 15]};
        for (int i = 0; i < n; ++i) line[x + i] = c[i & 1];
      }
      x += n;
    } else if (value == 0) {
      next_rows(1);
    } else if (value == 1) {
      ended = true;
      break;
    } else if (value == 2) {
      if (end - p < 2) break;
      const int to_x = std::min(x + p[0], width), dy = p[1];
      p += 2;
      if (dy) {
        next_rows(dy);
        if (row < h.Height) std::fill_n(line, to_x, missing);
      } else {
        std::fill(line + x, line + to_x, missing);
      }
      x = to_x;
    } else {
      const std::size_t bytes = four ? (std::size_t(value) + 1) / 2 : std::size_t(value);
      const std::size_t have = std::min<std::size_t>(bytes, std::size_t(end - p));
      const int present = four ? int(std::min<std::size_t>(value, have * 2)) : int(have);
      const int n = std::min(present, width - x);
      if (!four) {
        for (int i = 0; i < n; ++i) line[x + i] = pal[p[i]];
      } else {
        for (int i = 0; i < n; ++i) line[x + i] = pal[i & 1 ? p[i >> 1] & 15 : p[i >> 1] >> 4];
      }
      x += n;
      if (have < bytes) break;
      p += std::min<std::size_t>((bytes + 1) & ~std::size_t{1}, std::size_t(end - p));
    }
  }
  const bool cut = !ended && row < h.Height;
  if (cut) missing = Cut_Colour;
  if (row < h.Height) next_rows(h.Height - row);
  return cut;
}

Raster_Image Decode(Source& in, Read_Notes* notes) {
  const Header_And_Palette hp = Parse(in);
  const Bmp_Header& h = hp.H;
  const Colour missing = h.Bit_Count <= 8 ? hp.Palette[0] : 0;
  Raster_Image image = Raster_Image::Unfilled(h.Width, h.Height);
  in.Skip_To(h.Pixel_Offset);
  bool cut = false;
  if (h.Compression == 1 || h.Compression == 2) {
    // The coded data is read whole, but no further than any legal coding of
    // this picture could need (runs of one pixel, an end of line per row).
    const std::uint64_t most =
        4 * std::uint64_t(h.Width) * h.Height + 2 * std::uint64_t(h.Height) + 4096;
    std::size_t got;
    const std::uint8_t* p = in.Take(std::size_t(std::min(most, in.Size() - in.Pos())), got);
    cut = Decode_Rle(p, p + got, hp, missing, image);
  } else {
    cut = Decode_Plain(in, hp, image);
  }
  if (notes) notes->Cut_Short = cut;
  return image;
}

}  // namespace

Bmp_Header Parse_Bmp_Header(const std::uint8_t* data, std::size_t size) {
  Memory_Source in(data, size);
  return Parse(in).H;
}

Bmp_Header Read_Bmp_Header(const std::string& path) {
  return Reading_File(path, [&] {
    Read_Only_File f(path);
    File_Source in(f.Fd(), f.Size());
    return Parse(in).H;
  });
}

Raster_Image Decode_Bmp(const std::uint8_t* data, std::size_t size, Read_Notes* notes) {
  Memory_Source in(data, size);
  return Decode(in, notes);
}

Raster_Image Read_Bmp(const std::string& path, Read_Notes* notes) {
  return Reading_File(path, [&] {
    Read_Only_File f(path);
    File_Source in(f.Fd(), f.Size());
    return Decode(in, notes);
  });
}

}  // namespace tolvane
