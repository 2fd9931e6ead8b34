#include <libdeflate.h>
#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "image/colour_index.h"
#include "io/safe_save.h"
#include "png/png.h"
#include "png/png_rows.h"

namespace tolvane {

namespace {

struct Sink_Stream {
  const Byte_Sink& sink;
  bool failed = false;
};

int Write_Stream(spng_ctx*, void* user, void* data, std::size_t length) {
  auto& s = *static_cast<Sink_Stream*>(user);
  if (!s.sink(data, length)) {
    s.failed = true;
    return SPNG_IO_ERROR;
  }
  return 0;
}

struct Context_Free {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

// Whether the four pixels from p on all have the colour c (masked). Checked
// four at a time, a run of one colour passes at a glance, and the branch is
// as predictable in long runs as in short ones, where a test of each pixel
// against the one before mispredicts at every change.
inline bool Four_Alike(const Colour* p, Colour c) {
#if defined(__x86_64__) || defined(__i386__)
  const __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                  _mm_set1_epi32(int(Colour_Mask)));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(v, _mm_set1_epi32(int(c)))) == 0xFFFF;
#else
  return (((p[0] ^ c) | (p[1] ^ c) | (p[2] ^ c) | (p[3] ^ c)) & Colour_Mask) == 0;
#endif
}

}  // namespace

std::optional<std::vector<Colour>> Png_Colours(const Raster_Image& image, const Rect& area,
                                               const std::vector<Colour>& first) {
  Colour_Index seen;
  for (const Colour c : first) seen.Insert(c & Colour_Mask);
  const std::size_t row_bytes = std::size_t(std::max(0, area.Right - area.Left)) * sizeof(Colour);
  for (int y = area.Top; y < area.Bottom; ++y) {
    const Colour* row = image.Row(y);
    // A row like the one above, common in sprite art, adds no colour.
    if (y > area.Top && std::memcmp(row + area.Left, image.Row(y - 1) + area.Left, row_bytes) == 0)
      continue;
    Colour last = No_Colour;
    int x = area.Left;
    for (; x + 4 <= area.Right; x += 4) {
      if (Four_Alike(row + x, last)) continue;
      for (int k = 0; k < 4; ++k) {
        const Colour c = row[x + k] & Colour_Mask;
        if (seen.Find(c) < 0 && seen.Insert(c) < 0) return std::nullopt;
      }
      last = row[x + 3] & Colour_Mask;
    }
    for (; x < area.Right; ++x) {
      const Colour c = row[x] & Colour_Mask;
      if (seen.Find(c) < 0 && seen.Insert(c) < 0) return std::nullopt;
    }
  }
  // In the order they first appear, which deflates about a tenth smaller
  // than sorted on sprite art.
  return seen.Take_Colours();
}

namespace {

template <int Depth>
void Pack_Indices(std::uint8_t* indices, int w, std::uint8_t* out) {
  constexpr int Per_Byte = 8 / Depth;
  // The row's last byte is padded with index 0; the scratch row has room.
  std::fill(indices + w, indices + w + Per_Byte, std::uint8_t{0});
  const int bytes = (w + Per_Byte - 1) / Per_Byte;
  for (int b = 0; b < bytes; ++b) {
    unsigned byte = 0;
    for (int k = 0; k < Per_Byte; ++k) byte = (byte << Depth) | indices[b * Per_Byte + k];
    out[b] = std::uint8_t(byte);
  }
}

// One row of palette indices packed at `depth` bits, first pixel highest;
// false when a colour is not in the palette. Runs of one colour, the usual
// case in pixel art, look it up once; `indices` holds a row of scratch.
bool Pack_Row(const Colour* src, int w, int depth, const Colour_Index& index, std::uint8_t* indices,
              std::uint8_t* out) {
  std::uint8_t* to = depth == 8 ? out : indices;
  int missing = 0;
  Colour last = No_Colour;
  std::uint32_t last_four = 0;  // last's index four times
  int x = 0;
  for (; x + 4 <= w; x += 4) {
    if (Four_Alike(src + x, last)) {
      std::memcpy(to + x, &last_four, 4);
      continue;
    }
    for (int k = 0; k < 4; ++k) {
      const int i = index.Find(src[x + k] & Colour_Mask);
      missing |= i;
      to[x + k] = std::uint8_t(i);
    }
    last = src[x + 3] & Colour_Mask;
    last_four = 0x01010101u * to[x + 3];
  }
  for (; x < w; ++x) {
    const int i = index.Find(src[x] & Colour_Mask);
    missing |= i;
    to[x] = std::uint8_t(i);
  }
  if (missing < 0) return false;
  if (depth == 4) Pack_Indices<4>(indices, w, out);
  if (depth == 2) Pack_Indices<2>(indices, w, out);
  if (depth == 1) Pack_Indices<1>(indices, w, out);
  return true;
}

// Deflate settings, measured on sprite strips and a noisy picture against
// the common PNG writers: palette rows unfiltered at level 6 stay within a
// tenth of the smallest file at their speed; truecolour rows with the Sub
// filter and run-length matching at level 1 cost a quarter of level 6 with
// every filter, for a file 3% larger.
struct Deflate_Settings {
  int Level, Strategy, Filters;
};
constexpr Deflate_Settings Palette_Deflate{6, Z_DEFAULT_STRATEGY, SPNG_FILTER_CHOICE_NONE};
constexpr Deflate_Settings Truecolour_Deflate{1, Z_RLE, SPNG_FILTER_CHOICE_SUB};
constexpr Deflate_Settings Fast_Palette_Deflate{1, Z_DEFAULT_STRATEGY, SPNG_FILTER_CHOICE_NONE};

// A picture whose filtered rows fit in this many bytes is made whole and
// deflated in one go: a palette picture by libdeflate, at a quarter of
// zlib's time for a smaller file; a truecolour one by zlib in two halves on
// two threads. Larger ones go row by row, so no large second copy is made.
constexpr std::size_t Whole_Limit = std::size_t{64} << 20;
constexpr int Whole_Palette_Level = 6, Fast_Whole_Palette_Level = 1;
// Below this a second thread costs more than it saves.
constexpr std::size_t Split_Bytes = std::size_t{4} << 20;

// A chunk's length, type, data (in pieces) and CRC.
bool Put_Chunk(const Byte_Sink& sink, const char* type,
               std::initializer_list<std::span<const std::uint8_t>> data) {
  std::size_t length = 0;
  for (const auto& d : data) length += d.size();
  std::uint8_t head[8] = {std::uint8_t(length >> 24), std::uint8_t(length >> 16),
                          std::uint8_t(length >> 8), std::uint8_t(length)};
  std::memcpy(head + 4, type, 4);
  // libdeflate_crc32 given no buffer starts over, so empty pieces skip it.
  std::uint32_t crc = libdeflate_crc32(0, head + 4, 4);
  for (const auto& d : data)
    if (!d.empty()) crc = libdeflate_crc32(crc, d.data(), d.size());
  const std::uint8_t tail[4] = {std::uint8_t(crc >> 24), std::uint8_t(crc >> 16),
                                std::uint8_t(crc >> 8), std::uint8_t(crc)};
  if (!sink(head, 8)) return false;
  for (const auto& d : data)
    if (!d.empty() && !sink(d.data(), d.size())) return false;
  return sink(tail, 4);
}

// A keyword libspng would take: 1 to 79 printable Latin-1 characters,
// without leading, trailing or doubled spaces.
bool Sound_Keyword(const std::string& k) {
  if (k.empty() || k.size() > 79 || k.front() == ' ' || k.back() == ' ' ||
      k.find("  ") != std::string::npos)
    return false;
  return std::all_of(k.begin(), k.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 32 && u <= 126) || u >= 161;
  });
}

struct Compressor_Free {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// Left unset, not zeroed: every byte of the rows is written, and an output's
// bound is far more than deflate uses, so untouched pages cost nothing.
using Buffer = std::unique_ptr<std::uint8_t[]>;

// One run of rows as raw deflate, ending on a byte boundary (a full flush)
// unless it is the last, so that the runs join into one stream.
struct Deflated_Part {
  const std::uint8_t* In = nullptr;
  std::size_t Size = 0;
  bool Last = true;
  Buffer Out;
  std::size_t Out_Size = 0;
  uLong Adler = 1;
  bool Ok = false;
  void Run() {
    z_stream z{};
    if (deflateInit2(&z, Truecolour_Deflate.Level, Z_DEFLATED, -15, 8,
                     Truecolour_Deflate.Strategy) != Z_OK)
      return;
    const std::size_t bound = deflateBound(&z, uLong(Size)) + 64;
    Out.reset(new (std::nothrow) std::uint8_t[bound]);
    if (Out) {
      z.next_in = const_cast<Bytef*>(In);
      z.avail_in = uInt(Size);
      z.next_out = Out.get();
      z.avail_out = uInt(bound);
      const int r = deflate(&z, Last ? Z_FINISH : Z_FULL_FLUSH);
      Ok = (Last ? r == Z_STREAM_END : r == Z_OK) && z.avail_in == 0;
      Out_Size = z.total_out;
      Adler = adler32(adler32(0, nullptr, 0), In, uInt(Size));
    }
    deflateEnd(&z);
  }
};

// The zlib stream of truecolour rows: two halves deflated side by side when
// large, the second with no window of the first, joined with one checksum.
std::optional<std::vector<std::uint8_t>> Deflate_Truecolour(const std::uint8_t* raw,
                                                            std::size_t size,
                                                            std::size_t row_size) {
  const std::size_t rows = size / row_size;
  const std::size_t first = size >= Split_Bytes ? rows / 2 * row_size : size;
  Deflated_Part parts[2];
  parts[0].In = raw;
  parts[0].Size = first;
  parts[0].Last = first == size;
  parts[1].In = raw + first;
  parts[1].Size = size - first;
  std::optional<std::thread> helper;
  if (first < size) {
    try {
      helper.emplace([&parts] { parts[0].Run(); });
    } catch (const std::system_error&) {
      parts[0].Run();
    }
  } else {
    parts[0].Run();
  }
  if (first < size) parts[1].Run();
  if (helper) helper->join();
  if (!parts[0].Ok || (first < size && !parts[1].Ok)) return std::nullopt;
  const uLong adler = first < size
                          ? adler32_combine(parts[0].Adler, parts[1].Adler, z_off_t(size - first))
                          : parts[0].Adler;
  std::vector<std::uint8_t> stream = {0x78, 0x01};  // deflate, 32K window, fastest
  for (const Deflated_Part& p : parts)
    if (p.Out) stream.insert(stream.end(), p.Out.get(), p.Out.get() + p.Out_Size);
  for (int shift = 24; shift >= 0; shift -= 8) stream.push_back(std::uint8_t(adler >> shift));
  return stream;
}

// The whole picture's rows filtered and deflated in one go; the chunks are
// those the row by row path writes. Rows like the one above, which sprite art
// has often, need no packing, and Up makes them zeros, which deflate to almost
// nothing. Palette rows are unfiltered, truecolour ones Sub. Nothing when the
// deflating failed, for the row by row path to try.
std::optional<bool> Encode_Whole(const Byte_Sink& sink, const Png_Rows& rows,
                                 std::optional<Colour> transparent, int depth,
                                 const Png_Text& text) {
  for (const auto& [keyword, value] : text)
    if (!Sound_Keyword(keyword) || value.find('\0') != std::string::npos) return false;
  const std::optional<std::vector<Colour>>& palette = rows.Palette;
  Colour_Index index;
  if (palette)
    for (const Colour c : *palette) index.Insert(c & Colour_Mask);
  const int w = rows.Width;
  const std::size_t bytes = palette ? (std::size_t(w) * depth + 7) / 8 : std::size_t(w) * 3;
  const std::size_t raw_size = (1 + bytes) * std::size_t(rows.Height);
  Buffer raw(new std::uint8_t[raw_size]);
  std::vector<std::uint8_t> scratch_bytes(palette ? std::size_t(w) + 8 : bytes + 16);
  std::vector<Colour> scratch(static_cast<std::size_t>(w));
  const Colour* last = nullptr;            // the row above, unless it was in scratch
  std::vector<std::uint8_t> above(bytes);  // the row above, packed
  for (int y = 0; y < rows.Height; ++y) {
    std::uint8_t* row = raw.get() + std::size_t(y) * (1 + bytes);
    const Colour* src = rows.Row(y, scratch.data());
    bool same =
        last && (src == last || std::memcmp(src, last, std::size_t(w) * sizeof(Colour)) == 0);
    if (!same) {
      std::uint8_t* packed = palette ? row + 1 : scratch_bytes.data();
      if (!palette)
        Colours_To_Rgb(src, std::size_t(w), packed);
      else if (!Pack_Row(src, w, depth, index, scratch_bytes.data(), packed))
        throw std::invalid_argument("a colour missing from the PNG palette");
      same = y > 0 && std::memcmp(packed, above.data(), bytes) == 0;
      if (!same) std::memcpy(above.data(), packed, bytes);
      if (!same && !palette) {
        std::memcpy(row + 1, packed, std::min<std::size_t>(3, bytes));
        for (std::size_t i = 3; i < bytes; ++i)
          row[1 + i] = std::uint8_t(packed[i] - packed[i - 3]);
      }
    }
    row[0] = same ? 2 : palette ? 0 : 1;
    if (same) std::fill(row + 1, row + 1 + bytes, std::uint8_t{0});
    last = src != scratch.data() ? src : nullptr;
  }

  std::vector<std::uint8_t> stream;
  if (palette) {
    const std::unique_ptr<libdeflate_compressor, Compressor_Free> deflater(
        libdeflate_alloc_compressor(rows.Fast ? Fast_Whole_Palette_Level : Whole_Palette_Level));
    if (!deflater) throw std::bad_alloc();
    const std::size_t bound = libdeflate_zlib_compress_bound(deflater.get(), raw_size);
    Buffer packed(new std::uint8_t[bound]);
    const std::size_t size =
        libdeflate_zlib_compress(deflater.get(), raw.get(), raw_size, packed.get(), bound);
    if (size == 0) return std::nullopt;
    stream.assign(packed.get(), packed.get() + size);
  } else if (auto joined = Deflate_Truecolour(raw.get(), raw_size, 1 + bytes)) {
    stream = std::move(*joined);
  } else {
    return std::nullopt;
  }
  raw.reset();

  static constexpr std::uint8_t Signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  std::uint8_t ihdr[13] = {};
  for (int i = 0; i < 4; ++i) {
    ihdr[i] = std::uint8_t(std::uint32_t(w) >> (24 - 8 * i));
    ihdr[4 + i] = std::uint8_t(std::uint32_t(rows.Height) >> (24 - 8 * i));
  }
  ihdr[8] = std::uint8_t(depth);
  ihdr[9] = palette ? 3 : 2;
  std::vector<std::uint8_t> plte, trns;
  if (palette) {
    for (const Colour c : *palette)
      plte.insert(plte.end(),
                  {std::uint8_t(Red_Of(c)), std::uint8_t(Green_Of(c)), std::uint8_t(Blue_Of(c))});
    trns = {0};  // the transparent colour is the palette's first
  } else if (transparent) {
    trns = {0, std::uint8_t(Red_Of(*transparent)), 0, std::uint8_t(Green_Of(*transparent)),
            0, std::uint8_t(Blue_Of(*transparent))};
  }
  if (!sink(Signature, 8) || !Put_Chunk(sink, "IHDR", {ihdr}) ||
      (palette && !Put_Chunk(sink, "PLTE", {plte})) ||
      (transparent && !Put_Chunk(sink, "tRNS", {trns})))
    return false;
  for (const auto& [keyword, value] : text) {
    const std::uint8_t nul = 0;
    if (!Put_Chunk(sink, "tEXt",
                   {{reinterpret_cast<const std::uint8_t*>(keyword.data()), keyword.size()},
                    {&nul, 1},
                    {reinterpret_cast<const std::uint8_t*>(value.data()), value.size()}}))
      return false;
  }
  // IDAT chunks of at most 1 MiB, as streaming readers like them.
  constexpr std::size_t Most = std::size_t{1} << 20;
  for (std::size_t at = 0; at < stream.size(); at += Most)
    if (!Put_Chunk(sink, "IDAT", {{stream.data() + at, std::min(Most, stream.size() - at)}}))
      return false;
  return Put_Chunk(sink, "IEND", {});
}

// Encodes row by row, so no second copy of a large picture is made. With a
// palette the picture goes out as a palette picture, smaller and quicker to
// deflate. With a transparent colour its pixels are written see-through:
// tRNS on the palette (whose first entry it is), else a truecolour tRNS key.
bool Encode(const Byte_Sink& sink, const Png_Rows& rows, std::optional<Colour> transparent,
            const Png_Text& text = {}) {
  std::unique_ptr<spng_ctx, Context_Free> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) throw std::bad_alloc();
  Sink_Stream stream{sink};
  if (spng_set_png_stream(ctx.get(), Write_Stream, &stream) != 0) return false;
  const std::optional<std::vector<Colour>>& palette = rows.Palette;
  spng_ihdr ihdr{};
  ihdr.width = std::uint32_t(rows.Width);
  ihdr.height = std::uint32_t(rows.Height);
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  Colour_Index index;
  if (palette) {
    ihdr.color_type = SPNG_COLOR_TYPE_INDEXED;
    const std::size_t n = palette->size();
    if (n < 1 || n > 256)
      throw std::invalid_argument("a PNG palette of " + std::to_string(n) + " colours");
    ihdr.bit_depth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
    for (const Colour c : *palette) index.Insert(c & Colour_Mask);
  }
  const std::size_t row_bytes =
      palette ? (std::size_t(rows.Width) * ihdr.bit_depth + 7) / 8 : std::size_t(rows.Width) * 3;
  if (!rows.Row_By_Row && (1 + row_bytes) * std::size_t(rows.Height) <= Whole_Limit)
    if (const std::optional<bool> done =
            Encode_Whole(sink, rows, transparent, ihdr.bit_depth, text))
      return *done;
  if (spng_set_ihdr(ctx.get(), &ihdr) != 0) return false;
  const Deflate_Settings deflate = !palette    ? Truecolour_Deflate
                                   : rows.Fast ? Fast_Palette_Deflate
                                               : Palette_Deflate;
  if (spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, deflate.Level) != 0 ||
      spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_STRATEGY, deflate.Strategy) != 0 ||
      spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, deflate.Filters | SPNG_FILTER_CHOICE_UP) != 0)
    return false;
  spng_trns trns{};
  if (palette) {
    spng_plte plte{};
    plte.n_entries = std::uint32_t(palette->size());
    for (std::size_t i = 0; i < palette->size(); ++i) {
      const Colour c = (*palette)[i];
      plte.entries[i] = {std::uint8_t(Red_Of(c)), std::uint8_t(Green_Of(c)),
                         std::uint8_t(Blue_Of(c)), 255};
    }
    if (spng_set_plte(ctx.get(), &plte) != 0) return false;
    trns.n_type3_entries = 1;
    trns.type3_alpha[0] = 0;
  } else if (transparent) {
    trns.red = std::uint16_t(Red_Of(*transparent));
    trns.green = std::uint16_t(Green_Of(*transparent));
    trns.blue = std::uint16_t(Blue_Of(*transparent));
  }
  if (transparent && spng_set_trns(ctx.get(), &trns) != 0) return false;
  // libspng copies the chunks' text when it takes them.
  std::vector<spng_text> chunks(text.size());
  std::vector<std::string> values;
  values.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto& [keyword, value] = text[i];
    keyword.copy(chunks[i].keyword, sizeof(chunks[i].keyword) - 1);
    chunks[i].type = SPNG_TEXT;
    values.push_back(value);
    chunks[i].length = value.size();
    chunks[i].text = values.back().data();
  }
  if (!chunks.empty() && spng_set_text(ctx.get(), chunks.data(), std::uint32_t(chunks.size())) != 0)
    return false;
  if (spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG,
                        SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE) != 0)
    return false;
  // The encoder is set up for Up besides the usual filters; each row then
  // chooses.
  if (spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, deflate.Filters) != 0) return false;
  const int w = rows.Width;
  const std::size_t bytes =
      palette ? (std::size_t(w) * ihdr.bit_depth + 7) / 8 : std::size_t(w) * 3;
  std::vector<std::uint8_t> row(bytes), indices(palette ? std::size_t(w) + 8 : 0);
  std::vector<Colour> scratch(static_cast<std::size_t>(w));
  const Colour* last = nullptr;
  bool up = false;
  int ret = 0;
  for (int y = 0; y < rows.Height; ++y) {
    const Colour* src = rows.Row(y, scratch.data());
    // The same row again: its bytes are ready, and Up makes them zeros that
    // deflate to almost nothing.
    const bool again = src == last && src != scratch.data();
    if (again != up && spng_set_option(ctx.get(), SPNG_FILTER_CHOICE,
                                       again ? SPNG_FILTER_CHOICE_UP : deflate.Filters) != 0)
      return false;
    up = again;
    if (!again) {
      if (palette && !Pack_Row(src, w, ihdr.bit_depth, index, indices.data(), row.data()))
        throw std::invalid_argument("a colour missing from the PNG palette");
      if (!palette) Colours_To_Rgb(src, std::size_t(w), row.data());
    }
    last = src;
    ret = spng_encode_row(ctx.get(), row.data(), bytes);
    if (ret != 0 && ret != SPNG_EOI) return false;
  }
  return ret == SPNG_EOI && !stream.failed;
}

}  // namespace

Png_Rows Png_Rows_Of(const Raster_Image& image, std::optional<Colour> transparent) {
  std::vector<Colour> first;
  if (transparent) first.push_back(*transparent);
  return {image.Width(), image.Height(), [&image](int y, Colour*) { return image.Row(y); },
          Png_Colours(image, {0, 0, image.Width(), image.Height()}, first), false};
}

void Write_Png(const std::string& path, const Raster_Image& image) {
  Write_Png(path, image, Write_Function());
}

void Write_Png(const std::string& path, const Raster_Image& image, const Write_Function& write_fn) {
  Write_Png(path, image, std::nullopt, write_fn);
}

void Write_Png(const std::string& path, const Raster_Image& image,
               std::optional<Colour> transparent, const Write_Function& write_fn,
               const Png_Text& text) {
  Write_Png(path, Png_Rows_Of(image, transparent), transparent, write_fn, text);
}

void Write_Png(const std::string& path, const Png_Rows& rows, std::optional<Colour> transparent,
               const Write_Function& write_fn, const Png_Text& text) {
  Save_File(
      path, [&](const Byte_Sink& sink) { return Encode(sink, rows, transparent, text); }, write_fn);
}

}  // namespace tolvane
