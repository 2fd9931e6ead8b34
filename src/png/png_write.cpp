#include <spng.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "io/safe_save.h"
#include "png/png.h"

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

// The strip's colours when there are 256 or fewer, the transparent colour
// first (so tRNS needs one entry) even where no pixel has it, so that the
// file names it; none beyond that.
std::optional<std::vector<Colour>> Palette_Of(const Raster_Image& image, Colour transparent) {
  std::vector<Colour> colours{transparent};
  std::unordered_set<Colour> seen{transparent};
  Colour last = transparent;
  for (int y = 0; y < image.Height(); ++y) {
    const Colour* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) {
      const Colour c = row[x] & Colour_Mask;
      if (c == last || !seen.insert(c).second) continue;
      last = c;
      if (colours.size() == 256) return std::nullopt;
      colours.push_back(c);
    }
  }
  std::sort(colours.begin() + 1, colours.end());
  return colours;
}

// Encodes row by row, so no second copy of a large strip is made. With a
// transparent colour its pixels are written see-through: a palette picture
// with tRNS when the colours fit, else truecolour with a tRNS key.
bool Encode(const Byte_Sink& sink, const Raster_Image& image, std::optional<Colour> transparent,
            const Png_Text& text = {}) {
  std::unique_ptr<spng_ctx, Context_Free> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) throw std::bad_alloc();
  Sink_Stream stream{sink};
  if (spng_set_png_stream(ctx.get(), Write_Stream, &stream) != 0) return false;
  std::optional<std::vector<Colour>> palette;
  if (transparent) palette = Palette_Of(image, *transparent);
  spng_ihdr ihdr{};
  ihdr.width = std::uint32_t(image.Width());
  ihdr.height = std::uint32_t(image.Height());
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  if (palette) {
    ihdr.color_type = SPNG_COLOR_TYPE_INDEXED;
    const std::size_t n = palette->size();
    ihdr.bit_depth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
  }
  if (spng_set_ihdr(ctx.get(), &ihdr) != 0) return false;
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
  const int w = image.Width();
  std::vector<std::uint8_t> row(std::size_t(w) * 3);
  std::unordered_map<Colour, std::uint8_t> index;
  if (palette)
    for (std::size_t i = 0; i < palette->size(); ++i) index[(*palette)[i]] = std::uint8_t(i);
  const int depth = ihdr.bit_depth, per_byte = 8 / depth;
  int ret = 0;
  for (int y = 0; y < image.Height(); ++y) {
    const Colour* src = image.Row(y);
    std::uint8_t* out = row.data();
    if (palette) {
      std::fill(row.begin(), row.end(), 0);
      for (int x = 0; x < w; ++x) {
        const unsigned shift = unsigned(8 - depth * (x % per_byte + 1));
        out[x / per_byte] |= std::uint8_t(index[src[x] & Colour_Mask] << shift);
      }
    } else {
      for (int x = 0; x < w; ++x, out += 3) {
        out[0] = std::uint8_t(Red_Of(src[x]));
        out[1] = std::uint8_t(Green_Of(src[x]));
        out[2] = std::uint8_t(Blue_Of(src[x]));
      }
    }
    const std::size_t bytes = palette ? (std::size_t(w) * depth + 7) / 8 : row.size();
    ret = spng_encode_row(ctx.get(), row.data(), bytes);
    if (ret != 0 && ret != SPNG_EOI) return false;
  }
  return ret == SPNG_EOI && !stream.failed;
}

}  // namespace

void Write_Png(const std::string& path, const Raster_Image& image) {
  Write_Png(path, image, Write_Function());
}

void Write_Png(const std::string& path, const Raster_Image& image, const Write_Function& write_fn) {
  Save_File(
      path, [&](const Byte_Sink& sink) { return Encode(sink, image, std::nullopt); }, write_fn);
}

void Write_Png(const std::string& path, const Raster_Image& image,
               std::optional<Colour> transparent, const Write_Function& write_fn,
               const Png_Text& text) {
  Save_File(
      path, [&](const Byte_Sink& sink) { return Encode(sink, image, transparent, text); },
      write_fn);
}

}  // namespace tolvane
