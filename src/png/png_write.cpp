#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

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

}  // namespace

std::optional<std::vector<Colour>> Png_Colours(const Raster_Image& image, const Rect& area,
                                               const std::vector<Colour>& first) {
  Colour_Index seen;
  for (const Colour c : first) seen.Insert(c & Colour_Mask);
  for (int y = area.Top; y < area.Bottom; ++y) {
    const Colour* row = image.Row(y);
    Colour last = No_Colour;
    for (int x = area.Left; x < area.Right; ++x) {
      const Colour c = row[x] & Colour_Mask;
      if (c == last) continue;
      last = c;
      if (seen.Insert(c) < 0) return std::nullopt;
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
  Colour last = No_Colour;
  int i = 0;
  std::uint8_t* to = depth == 8 ? out : indices;
  for (int x = 0; x < w; ++x) {
    const Colour c = src[x] & Colour_Mask;
    if (c != last) {
      i = index.Find(last = c);
      if (i < 0) return false;
    }
    to[x] = std::uint8_t(i);
  }
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
