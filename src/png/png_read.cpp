#include <libdeflate.h>
#include <spng.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/image_error.h"
#include "io/read_only_file.h"
#include "png/png.h"
#include "png/png_rows.h"

namespace tolvane {

namespace {

// The box's text; the reason follows it there and on the command line.
[[noreturn]] void Not_Valid(const std::string& reason) {
  throw Toolkit_Error("PNG image is not valid", reason);
}
// libspng's words where plain ones say it better to the user.
[[noreturn]] void Not_Valid(int spng_error) {
  switch (spng_error) {
    case SPNG_IO_EOF:
    case SPNG_IO_ERROR:
    case SPNG_EOF:
    case SPNG_EIO:
      Not_Valid("the file ends early");
    case SPNG_EIDAT_TOO_SHORT:
      Not_Valid("the file ends inside its pixels");
    case SPNG_EIDAT_STREAM:
    case SPNG_EZLIB:
      Not_Valid("its pixels are damaged");
    case SPNG_ECHUNK_CRC:
      Not_Valid("a checksum does not match: the file is damaged");
    default:
      Not_Valid(spng_strerror(spng_error));
  }
}

// Below this many pixels a picture is cheap enough to allocate whatever the
// file holds; above it the file must be big enough to hold its compressed
// rows, deflate packing at most 1032 bytes into one.
constexpr std::uint64_t Free_Pixels = std::uint64_t{1} << 22;
constexpr std::uint64_t Deflate_Ratio = 1032;
// Ancillary chunks (text, ICC profiles) are kept within these bounds, so a
// hostile file cannot make the decoder hoard memory besides the picture.
constexpr std::size_t Chunk_Limit = std::size_t{8} << 20;
constexpr std::size_t Cache_Limit = std::size_t{32} << 20;

constexpr std::uint64_t Whole_File_Limit = std::uint64_t{256} << 20;

constexpr std::uint8_t Signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

// Where the pixels of each Adam7 pass sit in a row.
constexpr int Pass_X_Start[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr int Pass_X_Step[7] = {8, 8, 4, 4, 2, 2, 1};

struct Context_Free {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Context = std::unique_ptr<spng_ctx, Context_Free>;

// Each chunk's CRC already covers the compressed rows, so deflate's own
// checksum of them adds nothing but time.
Context New_Decoder() {
  Context ctx(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32));
  if (!ctx) throw std::bad_alloc();
  return ctx;
}

struct File_Stream {
  int fd;
  bool failed = false;  // the device failed, as opposed to the data ending
  int error = 0;
};

int Read_Stream(spng_ctx*, void* user, void* dest, std::size_t length) {
  auto& s = *static_cast<File_Stream*>(user);
  auto* out = static_cast<std::uint8_t*>(dest);
  std::size_t done = 0;
  while (done < length) {
    const ssize_t r = ::read(s.fd, out + done, length - done);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      s.failed = true;
      s.error = errno;
      return SPNG_IO_ERROR;
    }
    if (r == 0) return SPNG_IO_EOF;
    done += std::size_t(r);
  }
  return 0;
}

std::uint64_t Raw_Bytes(const spng_ihdr& ihdr) {
  int channels = 1;
  switch (ihdr.color_type) {
    case SPNG_COLOR_TYPE_TRUECOLOR:
      channels = 3;
      break;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
      channels = 2;
      break;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
      channels = 4;
      break;
    default:
      break;
  }
  const std::uint64_t row_bits = std::uint64_t(ihdr.width) * channels * ihdr.bit_depth;
  return std::uint64_t(ihdr.height) * (1 + (row_bits + 7) / 8);
}

// One decoded RGBA row (8 or 16 bits per sample, host order) into colour
// values, only at the columns from x0 in steps of dx.
template <typename Sample>
void Convert_Row(const std::uint8_t* row, int width, int x0, int dx, Colour background,
                 Colour* out) {
  constexpr std::uint32_t max = sizeof(Sample) == 1 ? 255 : 65535;
  const unsigned bg[3] = {Red_Of(background), Green_Of(background), Blue_Of(background)};
  for (int x = x0; x < width; x += dx) {
    Sample s[4];
    std::memcpy(s, row + std::size_t(x) * sizeof(s), sizeof(s));
    if constexpr (sizeof(Sample) == 1) {
      if (s[3] == max) {
        out[x] = Rgb(s[0], s[1], s[2]);
        continue;
      }
    }
    out[x] =
        Rgb(Composite_Channel(s[0], s[3], bg[0], max), Composite_Channel(s[1], s[3], bg[1], max),
            Composite_Channel(s[2], s[3], bg[2], max));
  }
}

// Markers in the unused top byte while a keyed picture is decoded: the
// transparent colour is chosen once every opaque pixel is known.
constexpr Colour Clear_Mark = 0x01000000u;
constexpr Colour Partial_Mark = 0x02000000u;

// A partly transparent pixel kept until the colour it blends over is known.
struct Partial_Pixel {
  std::int64_t Index;
  std::uint16_t Rgba[4];
  std::uint32_t Max;
};

template <typename Sample>
void Mark_Row(const std::uint8_t* row, int width, int x0, int dx, std::int64_t row_index,
              Colour* out, std::vector<Partial_Pixel>& partial) {
  constexpr std::uint32_t max = sizeof(Sample) == 1 ? 255 : 65535;
  for (int x = x0; x < width; x += dx) {
    Sample s[4];
    std::memcpy(s, row + std::size_t(x) * sizeof(s), sizeof(s));
    if (s[3] == max)
      out[x] = Rgb(Composite_Channel(s[0], max, 0, max), Composite_Channel(s[1], max, 0, max),
                   Composite_Channel(s[2], max, 0, max));
    else if (s[3] == 0)
      out[x] = Clear_Mark;
    else {
      out[x] = Partial_Mark;
      partial.push_back({row_index + x, {s[0], s[1], s[2], s[3]}, max});
    }
  }
}

// The colour the file's tRNS chunk makes transparent, at 8 bits, if it names
// one: the key of a grey or truecolour picture, or the first palette entry
// with alpha 0.
std::optional<Colour> Trns_Colour(spng_ctx* ctx, const spng_ihdr& ihdr) {
  spng_trns trns{};
  if (spng_get_trns(ctx, &trns) != 0) return std::nullopt;
  const std::uint32_t max = (1u << ihdr.bit_depth) - 1;
  auto scale = [&](std::uint32_t v) { return Composite_Channel(v, max, 0, max); };
  switch (ihdr.color_type) {
    case SPNG_COLOR_TYPE_GRAYSCALE: {
      const std::uint32_t g = ihdr.bit_depth == 16 ? scale(trns.gray) : trns.gray * 255 / max;
      return Rgb(g, g, g);
    }
    case SPNG_COLOR_TYPE_TRUECOLOR:
      return Rgb(scale(trns.red), scale(trns.green), scale(trns.blue));
    case SPNG_COLOR_TYPE_INDEXED: {
      spng_plte plte{};
      if (spng_get_plte(ctx, &plte) != 0) return std::nullopt;
      for (std::uint32_t i = 0; i < trns.n_type3_entries && i < plte.n_entries; ++i)
        if (trns.type3_alpha[i] == 0)
          return Rgb(plte.entries[i].red, plte.entries[i].green, plte.entries[i].blue);
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

// Gives the marked pixels their colours: the transparent colour chosen among
// those no opaque pixel uses, and blends over it.
void Resolve_Marks(Png_Picture& picture, std::vector<Partial_Pixel>& partial,
                   std::optional<Colour> key, Colour preferred, std::span<const Colour> avoid) {
  Raster_Image& image = picture.Image;
  const std::int64_t width = image.Width();
  Colour_Set used(std::size_t{1} << 24);
  bool clear = !partial.empty();
  for (int y = 0; y < image.Height(); ++y) {
    const Colour* row = image.Row(y);
    for (std::int64_t x = 0; x < width; ++x)
      if (row[x] <= Colour_Mask)
        used[row[x]] = true;
      else
        clear = true;
  }
  // An alpha channel that is opaque everywhere is no transparency.
  if (!clear) return;
  if (key && used[*key]) key.reset();
  picture.Transparent = key ? key : Free_Colour(used, preferred, avoid);
  // Every colour taken: the see-through pixels take the preferred colour and
  // the picture has no transparent colour.
  const Colour key_colour = picture.Transparent.value_or(preferred);
  const unsigned bg[3] = {Red_Of(key_colour), Green_Of(key_colour), Blue_Of(key_colour)};
  std::sort(partial.begin(), partial.end(),
            [](const Partial_Pixel& a, const Partial_Pixel& b) { return a.Index < b.Index; });
  picture.Partly_Transparent = std::int64_t(partial.size());
  std::size_t next = 0;
  for (int y = 0; y < image.Height(); ++y) {
    Colour* row = image.Row(y);
    for (std::int64_t x = 0; x < width; ++x) {
      if (row[x] == Clear_Mark) {
        row[x] = key_colour;
      } else if (row[x] == Partial_Mark && next < partial.size()) {
        const Partial_Pixel& p = partial[next++];
        row[x] = Rgb(Composite_Channel(p.Rgba[0], p.Rgba[3], bg[0], p.Max),
                     Composite_Channel(p.Rgba[1], p.Rgba[3], bg[1], p.Max),
                     Composite_Channel(p.Rgba[2], p.Rgba[3], bg[2], p.Max));
      }
    }
  }
}

enum class Row_Kind { Rgb, Rgba, Index };

std::uint32_t Big_Endian(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

struct Decompressor_Free {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// The compressed rows of a file held in memory, or nothing when the file is
// not laid out as nearly every file is: every chunk's CRC sound, the IDAT
// chunks in one run, then IEND. Anything else is left to libspng, which knows every rule.
std::optional<std::vector<std::uint8_t>> Idat_Stream(std::span<const std::uint8_t> file) {
  std::size_t at = sizeof(Signature);
  std::vector<std::uint8_t> stream;
  bool in_idat = false;
  while (at + 12 <= file.size()) {
    const std::uint32_t length = Big_Endian(&file[at]);
    if (length > 0x7FFFFFFFu || file.size() - at - 12 < length) return std::nullopt;
    const std::uint8_t* type = &file[at + 4];
    if (libdeflate_crc32(0, type, 4 + std::size_t(length)) != Big_Endian(type + 4 + length))
      return std::nullopt;
    const bool idat = std::memcmp(type, "IDAT", 4) == 0;
    if (in_idat || idat) {
      const bool iend = std::memcmp(type, "IEND", 4) == 0;
      if (!idat && !iend) return std::nullopt;
      if (iend) return length == 0 ? std::optional(std::move(stream)) : std::nullopt;
      stream.insert(stream.end(), type + 4, type + 4 + length);
      in_idat = true;
    }
    at += 12 + std::size_t(length);
  }
  return std::nullopt;
}

// The whole compressed stream inflated in one call by libdeflate, several
// times faster than zlib a row at a time, into the tail of the picture's own
// pixels: each row is unfiltered into a scratch row and converted to the
// front, which never reaches rows not yet read. Nothing when the file is not
// one this path takes; libspng then decodes it, and decides what is wrong.
std::optional<Png_Picture> Decode_Whole(std::span<const std::uint8_t> file, const spng_ihdr& ihdr,
                                        Row_Kind kind, const Colour* table, Colour background,
                                        Colour outside) {
  const std::optional<std::vector<std::uint8_t>> stream = Idat_Stream(file);
  if (!stream) return std::nullopt;
  const std::size_t width = ihdr.width, height = ihdr.height;
  const int channels = kind == Row_Kind::Rgb ? 3 : kind == Row_Kind::Rgba ? 4 : 1;
  const std::size_t row_bytes = (width * std::size_t(channels) * ihdr.bit_depth + 7) / 8;
  const int bpp = std::max(1, channels * ihdr.bit_depth / 8);
  const std::size_t raw = (1 + row_bytes) * height;
  const std::size_t row_room = width * sizeof(Colour);
  const std::size_t extra_rows =
      raw > row_room * height ? (raw - row_room * height + row_room - 1) / row_room : 0;
  if (std::uint64_t(width) * (height + extra_rows) > std::uint64_t(Max_Image_Pixels))
    return std::nullopt;

  Png_Picture picture{Raster_Image::Unfilled(int(width), int(height + extra_rows)), std::nullopt,
                      0};
  Raster_Image& image = picture.Image;
  auto* bytes = reinterpret_cast<std::uint8_t*>(image.Data());
  std::uint8_t* const source = bytes + row_room * (height + extra_rows) - raw;
  const std::unique_ptr<libdeflate_decompressor, Decompressor_Free> inflater(
      libdeflate_alloc_decompressor());
  if (!inflater) throw std::bad_alloc();
  std::size_t used = 0;
  if (libdeflate_zlib_decompress_ex(inflater.get(), stream->data(), stream->size(), source, raw,
                                    &used, nullptr) != LIBDEFLATE_SUCCESS ||
      used != stream->size())
    return std::nullopt;

  std::vector<std::uint8_t> rows(2 * row_bytes, 0);
  std::uint8_t* prev = rows.data();
  std::uint8_t* cur = prev + row_bytes;
  Colour seen = 0;
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* in = source + y * (1 + row_bytes);
    if (!Unfilter_Row(in[0], in + 1, prev, row_bytes, bpp, cur)) return std::nullopt;
    Colour* out = reinterpret_cast<Colour*>(bytes + y * row_room);
    if (kind == Row_Kind::Rgb)
      Rgb_To_Colours(cur, width, out);
    else if (kind == Row_Kind::Rgba)
      Rgba_To_Colours(cur, width, background, out);
    else
      seen |= Indices_To_Colours(cur, width, ihdr.bit_depth, table, out);
    std::swap(prev, cur);
  }
  if (seen & outside) return std::nullopt;
  image.Set_Height(int(height));
  image.Fill_Colour = Raster_Image().Fill_Colour;
  return picture;
}

// The common layouts decoded a whole row at a time: 8-bit truecolour, with
// alpha when no transparent colour is kept, and palette pictures of any depth
// through a table of their colours (composited over the background when the
// palette has alpha). Others take the general path: none here.
std::optional<Png_Picture> Decode_Rows(spng_ctx* ctx, const spng_ihdr& ihdr, bool has_trns,
                                       Colour background, bool keyed,
                                       std::span<const std::uint8_t> whole) {
  if (ihdr.interlace_method != SPNG_INTERLACE_NONE) return std::nullopt;
  enum { Rgb_Rows, Rgba_Rows, Index_Rows } kind;
  int fmt;
  if (ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR && ihdr.bit_depth == 8 && !has_trns) {
    kind = Rgb_Rows;
    fmt = SPNG_FMT_PNG;  // the same bytes as RGB8, without a per-pixel copy
  } else if (ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA && ihdr.bit_depth == 8 && !keyed) {
    kind = Rgba_Rows;
    fmt = SPNG_FMT_RGBA8;
  } else if (ihdr.color_type == SPNG_COLOR_TYPE_INDEXED && !(keyed && has_trns)) {
    kind = Index_Rows;
    fmt = SPNG_FMT_PNG;
  } else {
    return std::nullopt;
  }
  // Indices past the palette's end mark their colour so the picture is refused.
  constexpr Colour Outside = 0xFF000000u;
  Colour table[256];
  if (kind == Index_Rows) {
    spng_plte plte{};
    if (const int e = spng_get_plte(ctx, &plte)) Not_Valid(e);
    spng_trns trns{};
    if (has_trns && spng_get_trns(ctx, &trns) != 0) trns.n_type3_entries = 0;
    const unsigned bg[3] = {Red_Of(background), Green_Of(background), Blue_Of(background)};
    for (std::uint32_t i = 0; i < 256; ++i) {
      if (i >= plte.n_entries) {
        table[i] = Outside;
        continue;
      }
      const spng_plte_entry& p = plte.entries[i];
      const std::uint32_t a = i < trns.n_type3_entries ? trns.type3_alpha[i] : 255;
      table[i] =
          Rgb(Composite_Channel(p.red, a, bg[0], 255), Composite_Channel(p.green, a, bg[1], 255),
              Composite_Channel(p.blue, a, bg[2], 255));
    }
  }
  const Row_Kind row_kind = kind == Rgb_Rows    ? Row_Kind::Rgb
                            : kind == Rgba_Rows ? Row_Kind::Rgba
                                                : Row_Kind::Index;
  // The chunks before the pixels are libspng's to judge either way.
  if (const int e = spng_decode_chunks(ctx)) Not_Valid(e);
  if (!whole.empty())
    if (std::optional<Png_Picture> quick =
            Decode_Whole(whole, ihdr, row_kind, table, background, Outside))
      return quick;
  if (const int e = spng_decode_image(ctx, nullptr, 0, fmt, SPNG_DECODE_PROGRESSIVE)) Not_Valid(e);

  const std::size_t width = ihdr.width;
  Png_Picture picture{Raster_Image(int(width), int(ihdr.height), background), std::nullopt, 0};
  Raster_Image& image = picture.Image;
  image.Fill_Colour = Raster_Image().Fill_Colour;
  const std::size_t row_bytes = kind == Rgb_Rows    ? width * 3
                                : kind == Rgba_Rows ? width * 4
                                                    : (width * ihdr.bit_depth + 7) / 8;
  std::vector<std::uint8_t> row(row_bytes);
  Colour seen = 0;
  int ret;
  do {
    spng_row_info info{};
    ret = spng_get_row_info(ctx, &info);
    if (ret != 0) break;
    ret = spng_decode_row(ctx, row.data(), row.size());
    if (ret != 0 && ret != SPNG_EOI) break;
    if (info.row_num >= ihdr.height) Not_Valid("a row outside the picture");
    Colour* out = image.Row(int(info.row_num));
    if (kind == Rgb_Rows)
      Rgb_To_Colours(row.data(), width, out);
    else if (kind == Rgba_Rows)
      Rgba_To_Colours(row.data(), width, background, out);
    else
      seen |= Indices_To_Colours(row.data(), width, ihdr.bit_depth, table, out);
  } while (ret == 0);
  if (ret != SPNG_EOI) Not_Valid(ret);
  if (seen & Outside) Not_Valid("a palette index outside the palette");
  if (const int e = spng_decode_chunks(ctx)) Not_Valid(e);
  return picture;
}

// The text chunks libspng found sound, read once the chunks after the pixels are.
void Read_Text(spng_ctx* ctx, Png_Picture& picture) {
  std::uint32_t texts = 0;
  if (spng_get_text(ctx, nullptr, &texts) != 0 || texts == 0) return;
  std::vector<spng_text> chunks(texts);
  if (spng_get_text(ctx, chunks.data(), &texts) != 0) return;
  for (std::uint32_t i = 0; i < texts; ++i)
    picture.Text.emplace_back(std::string(chunks[i].keyword, strnlen(chunks[i].keyword, 80)),
                              std::string(chunks[i].text, chunks[i].length));
}

// Decodes from a context whose source is set; size is the file's size.
// Keyed: a picture with transparency gets a transparent colour of its own
// (the file's key, else a free colour from `background` on); otherwise its
// see-through pixels are composited over `background`.
Png_Picture Decode(spng_ctx* ctx, std::uint64_t size, Colour background, bool keyed,
                   std::span<const Colour> avoid = {}, std::span<const std::uint8_t> whole = {}) {
  // A bad checksum anywhere means a damaged file, not one to guess at.
  spng_set_crc_action(ctx, SPNG_CRC_ERROR, SPNG_CRC_ERROR);
  const auto most = std::uint32_t(std::min<std::int64_t>(Max_Image_Pixels, 0x7FFFFFFF));
  spng_set_image_limits(ctx, most, most);
  spng_set_chunk_limits(ctx, Chunk_Limit, Cache_Limit);

  spng_ihdr ihdr{};
  if (const int e = spng_get_ihdr(ctx, &ihdr)) Not_Valid(e);
  const std::uint64_t pixels = std::uint64_t(ihdr.width) * ihdr.height;
  if (ihdr.width == 0 || ihdr.height == 0) Not_Valid("no pixels");
  if (pixels > std::uint64_t(Max_Image_Pixels)) Not_Valid(Too_Large(ihdr.width, ihdr.height));
  if (pixels > Free_Pixels && size * Deflate_Ratio < Raw_Bytes(ihdr))
    Not_Valid("the file is far too short for " + std::to_string(ihdr.width) + " x " +
              std::to_string(ihdr.height) + " pixels");

  const int width = int(ihdr.width), height = int(ihdr.height);
  spng_trns trns{};
  // Asking for it reads the chunks before the pixels. A failure that leaves
  // libspng unable to go on is told as it is: every later call would only
  // say "non-recoverable state".
  const int trns_error = spng_get_trns(ctx, &trns);
  if (trns_error != 0 && trns_error != SPNG_ECHUNKAVAIL &&
      spng_get_trns(ctx, &trns) == SPNG_EBADSTATE)
    Not_Valid(trns_error);
  const bool has_trns = trns_error == 0;
  if (std::optional<Png_Picture> quick =
          Decode_Rows(ctx, ihdr, has_trns, background, keyed, whole)) {
    Read_Text(ctx, *quick);
    return std::move(*quick);
  }

  const bool wide = ihdr.bit_depth == 16;
  const int fmt = wide ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
  if (const int e =
          spng_decode_image(ctx, nullptr, 0, fmt, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE))
    Not_Valid(e);

  keyed = keyed && (ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                    ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || has_trns);
  std::vector<Partial_Pixel> partial;
  Png_Picture picture{Raster_Image(width, height, background), std::nullopt, 0};
  Raster_Image& image = picture.Image;
  image.Fill_Colour = Raster_Image().Fill_Colour;
  std::vector<std::uint8_t> row(std::size_t(width) * (wide ? 8 : 4));
  const bool interlaced = ihdr.interlace_method != SPNG_INTERLACE_NONE;
  int ret;
  do {
    spng_row_info info{};
    ret = spng_get_row_info(ctx, &info);
    if (ret != 0) break;
    ret = spng_decode_row(ctx, row.data(), row.size());
    if (ret != 0 && ret != SPNG_EOI) break;
    if (info.row_num >= std::uint32_t(height)) Not_Valid("a row outside the picture");
    const int pass = interlaced ? std::clamp(info.pass, 0, 6) : 6;
    Colour* out = image.Row(int(info.row_num));
    const std::int64_t row_index = std::int64_t(info.row_num) * width;
    if (keyed && wide)
      Mark_Row<std::uint16_t>(row.data(), width, Pass_X_Start[pass], Pass_X_Step[pass], row_index,
                              out, partial);
    else if (keyed)
      Mark_Row<std::uint8_t>(row.data(), width, Pass_X_Start[pass], Pass_X_Step[pass], row_index,
                             out, partial);
    else if (wide)
      Convert_Row<std::uint16_t>(row.data(), width, Pass_X_Start[pass], Pass_X_Step[pass],
                                 background, out);
    else
      Convert_Row<std::uint8_t>(row.data(), width, Pass_X_Start[pass], Pass_X_Step[pass],
                                background, out);
  } while (ret == 0);
  if (ret != SPNG_EOI) Not_Valid(ret);
  // The chunks after the picture up to IEND must be whole too: a file cut
  // short is damaged even when its pixels happened to be complete.
  if (const int e = spng_decode_chunks(ctx)) Not_Valid(e);
  if (keyed) Resolve_Marks(picture, partial, Trns_Colour(ctx, ihdr), background, avoid);
  Read_Text(ctx, picture);
  return picture;
}

}  // namespace

bool Is_Png_Signature(const std::uint8_t* data, std::size_t size) {
  return size >= sizeof(Signature) && std::memcmp(data, Signature, sizeof(Signature)) == 0;
}

Png_Picture Decode_Png_Keyed(const std::uint8_t* data, std::size_t size, Colour preferred,
                             std::span<const Colour> avoid) {
  if (!Is_Png_Signature(data, size)) Not_Valid("not a PNG file");
  Context ctx = New_Decoder();
  if (const int e = spng_set_png_buffer(ctx.get(), data, size)) Not_Valid(e);
  return Decode(ctx.get(), size, preferred, true, avoid, {data, size});
}

Raster_Image Decode_Png(const std::uint8_t* data, std::size_t size, Colour background) {
  if (!Is_Png_Signature(data, size)) Not_Valid("not a PNG file");
  Context ctx = New_Decoder();
  if (const int e = spng_set_png_buffer(ctx.get(), data, size)) Not_Valid(e);
  return std::move(Decode(ctx.get(), size, background, false, {}, {data, size}).Image);
}

Raster_Image Decode_Png_Plain(const std::uint8_t* data, std::size_t size, Colour background) {
  if (!Is_Png_Signature(data, size)) Not_Valid("not a PNG file");
  Context ctx = New_Decoder();
  if (const int e = spng_set_png_buffer(ctx.get(), data, size)) Not_Valid(e);
  return std::move(Decode(ctx.get(), size, background, false).Image);
}

namespace {

Png_Picture Read_File(const std::string& path, Colour background, bool keyed,
                      std::span<const Colour> avoid = {}) {
  Read_Only_File f(path);
  Context ctx = New_Decoder();
  // A file of a usual size is read whole, for the one-call inflate; a larger
  // one streams, so its bytes are never held beside its picture.
  if (f.Size() <= Whole_File_Limit) {
    std::vector<std::uint8_t> bytes(f.Size());
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t r = ::read(f.Fd(), bytes.data() + got, bytes.size() - got);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) throw Toolkit_Error("Stream read error", System_Reason(errno));
      if (r == 0) break;
      got += std::size_t(r);
    }
    bytes.resize(got);
    if (!Is_Png_Signature(bytes.data(), bytes.size())) Not_Valid("not a PNG file");
    if (const int e = spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size())) Not_Valid(e);
    return Decode(ctx.get(), bytes.size(), background, keyed, avoid, bytes);
  }
  File_Stream stream{f.Fd()};
  if (const int e = spng_set_png_stream(ctx.get(), Read_Stream, &stream)) Not_Valid(e);
  try {
    return Decode(ctx.get(), f.Size(), background, keyed, avoid);
  } catch (const Toolkit_Error&) {
    if (stream.failed) throw Toolkit_Error("Stream read error", System_Reason(stream.error));
    throw;
  }
}

}  // namespace

Raster_Image Read_Png(const std::string& path, Colour background, Png_Text* text) {
  Png_Picture picture = Reading_File(path, [&] { return Read_File(path, background, false); });
  if (text) *text = std::move(picture.Text);
  return std::move(picture.Image);
}

Png_Picture Read_Png_Keyed(const std::string& path, Colour preferred,
                           std::span<const Colour> avoid) {
  return Reading_File(path, [&] { return Read_File(path, preferred, true, avoid); });
}

}  // namespace tolvane
