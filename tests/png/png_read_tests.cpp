// Damaged and hostile PNGs and a failing write.
#include <gtest/gtest.h>
#include <spng.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "image/image_error.h"
#include "png/png.h"
#include "support/bmp_test_helpers.h"

namespace tolvane {
namespace {

using namespace bmp_testing;

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (24 - 8 * i));
}
std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

struct Chunk {
  std::size_t at, length;  // at: the length field
};
// The first chunk of the given type.
Chunk Find(const Bytes& png, const char* type) {
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::size_t length = Get32(png, at);
    if (std::memcmp(&png[at + 4], type, 4) == 0) return {at, length};
    at += 12 + length;
  }
  return {0, 0};
}
void Fix_Crc(Bytes& png, Chunk c) {
  Put32(png, c.at + 8 + c.length, Crc32(&png[c.at + 4], c.length + 4));
}

// Whether zlib inflates the file's IDAT chunks, joined, to `raw` bytes with
// a sound checksum, as readers that check it need.
bool Idat_Inflates(const Bytes& png, std::size_t raw) {
  Bytes stream;
  for (std::size_t at = 8; at + 12 <= png.size(); at += 12 + Get32(png, at))
    if (std::memcmp(&png[at + 4], "IDAT", 4) == 0)
      stream.insert(stream.end(), png.begin() + long(at + 8),
                    png.begin() + long(at + 8 + Get32(png, at)));
  Bytes out(raw + 1);
  uLongf size = uLongf(out.size());
  return uncompress(out.data(), &size, stream.data(), uLong(stream.size())) == Z_OK && size == raw;
}

Bytes Valid_Png(const Temp_Dir& dir) {
  Write_Png(dir / "base.png", Test_Picture(64, 64));
  return Read_File(dir / "base.png");
}

// A file libspng encodes with one filter for every row.
Bytes Encoded(const std::vector<std::uint8_t>& samples, int width, int height, int colour_type,
              int depth, int filter) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_option(ctx, SPNG_FILTER_CHOICE, filter);
  spng_ihdr ihdr{std::uint32_t(width),
                 std::uint32_t(height),
                 std::uint8_t(depth),
                 std::uint8_t(colour_type),
                 0,
                 0,
                 0};
  spng_set_ihdr(ctx, &ihdr);
  if (colour_type == SPNG_COLOR_TYPE_INDEXED) {
    spng_plte plte{};
    plte.n_entries = 1u << depth;
    for (std::uint32_t i = 0; i < plte.n_entries; ++i)
      plte.entries[i] = {std::uint8_t(i * 37), std::uint8_t(255 - i), std::uint8_t(i * 11), 255};
    spng_set_plte(ctx, &plte);
  }
  int error =
      spng_encode_image(ctx, samples.data(), samples.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  std::size_t size = 0;
  auto* out = static_cast<std::uint8_t*>(spng_get_png_buffer(ctx, &size, &error));
  Bytes png(out, out + size);
  std::free(out);
  spng_ctx_free(ctx);
  return png;
}

// The one-call inflate and the row by row decoding agree on every layout the
// former takes, under each filter, for noise and flat runs alike.
TEST(PngRead, TheWholeStreamPathMatchesLibspngsRows) {
  struct Layout {
    int colour_type, depth, channels;
  };
  const Layout layouts[] = {{SPNG_COLOR_TYPE_TRUECOLOR, 8, 3},
                            {SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 8, 4},
                            {SPNG_COLOR_TYPE_INDEXED, 8, 1},
                            {SPNG_COLOR_TYPE_INDEXED, 4, 1},
                            {SPNG_COLOR_TYPE_INDEXED, 1, 1}};
  const int filters[] = {SPNG_FILTER_CHOICE_NONE, SPNG_FILTER_CHOICE_SUB,   SPNG_FILTER_CHOICE_UP,
                         SPNG_FILTER_CHOICE_AVG,  SPNG_FILTER_CHOICE_PAETH, SPNG_FILTER_CHOICE_ALL};
  std::mt19937 rng(3);
  const int width = 37, height = 23;
  for (const Layout& l : layouts) {
    const std::size_t row = (std::size_t(width) * l.channels * l.depth + 7) / 8;
    std::vector<std::uint8_t> samples(row * height);
    for (std::size_t i = 0; i < samples.size(); ++i)
      samples[i] = i % row < row / 2 ? std::uint8_t(rng()) : std::uint8_t(i / row * 40);
    if (l.colour_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA)
      for (std::size_t i = 3; i < samples.size(); i += 8) samples[i] = i % 3 ? 255 : 0;
    for (const int filter : filters) {
      const Bytes png = Encoded(samples, width, height, l.colour_type, l.depth, filter);
      const Raster_Image fast = Decode_Png(png.data(), png.size(), 0x123456);
      EXPECT_TRUE(Same_Pixels(fast, Decode_Png_Plain(png.data(), png.size(), 0x123456)))
          << "colour type " << l.colour_type << " depth " << l.depth << " filter " << filter;
      if (l.colour_type == SPNG_COLOR_TYPE_TRUECOLOR) {
        EXPECT_EQ(fast.At(30, 9),
                  Rgb(samples[9 * row + 90], samples[9 * row + 91], samples[9 * row + 92]));
      }
    }
  }
}

TEST(PngHostile, DamagedFilesAreRefusedWithinBoundedMemory) {
  Temp_Dir dir;
  const Bytes base = Valid_Png(dir);
  const Chunk ihdr = Find(base, "IHDR"), idat = Find(base, "IDAT");
  ASSERT_EQ(ihdr.at, 8u);
  ASSERT_GT(idat.length, 16u);
  auto variant = [&](auto change) {
    Bytes b = base;
    change(b);
    return b;
  };
  auto with_size = [&](std::uint32_t w, std::uint32_t h) {
    return variant([&](Bytes& b) {
      Put32(b, ihdr.at + 8, w);
      Put32(b, ihdr.at + 12, h);
      Fix_Crc(b, ihdr);
    });
  };
  const std::vector<std::pair<const char*, Bytes>> files = {
      {"bad IHDR CRC", variant([&](Bytes& b) { b[ihdr.at + 8 + ihdr.length] ^= 1; })},
      {"bad IDAT CRC", variant([&](Bytes& b) { b[idat.at + 8 + idat.length + 3] ^= 0x40; })},
      {"bad zlib header, CRC mended", variant([&](Bytes& b) {
         b[idat.at + 8] ^= 0x0F;
         Fix_Crc(b, idat);
       })},
      {"IDAT too short for the rows, CRC mended", variant([&](Bytes& b) {
         Put32(b, idat.at, std::uint32_t(idat.length / 3));
         b.erase(b.begin() + long(idat.at + 8 + idat.length / 3),
                 b.begin() + long(idat.at + 8 + idat.length));
         Fix_Crc(b, Chunk{idat.at, idat.length / 3});
       })},
      {"IDAT cut short", Bytes(base.begin(), base.begin() + long(idat.at + 8 + idat.length / 2))},
      {"no IEND", Bytes(base.begin(), base.begin() + long(idat.at + 12 + idat.length))},
      {"only the signature", Bytes(base.begin(), base.begin() + 8)},
      {"huge IHDR", with_size(0x7FFFFFFF, 0x7FFFFFFF)},
      {"2^32 pixels", with_size(65536, 65536)},
      {"2^28 pixels a tiny file cannot fill", with_size(16384, 16384)},
      {"zero width", with_size(0, 64)},
      {"not a PNG", Bytes{'B', 'M', 0, 0}},
  };
  EXPECT_EXIT(
      {
        Cap_Memory(48 << 20);
        int failures = 0;
        for (const auto& [name, b] : files) {
          try {
            Decode_Png(b.data(), b.size(), 0);
            std::fprintf(stderr, "%s: accepted\n", name);
            ++failures;
          } catch (const Toolkit_Error& e) {
            if (std::string(e.what()) != "PNG image is not valid") {
              std::fprintf(stderr, "%s: %s\n", name, e.what());
              ++failures;
            }
          }
        }
        std::exit(failures);
      },
      ::testing::ExitedWithCode(0), "");
  // The file reader refuses the same way.
  Write_File(dir / "cut.png", files[3].second);
  try {
    Read_Png(dir / "cut.png", 0);
    ADD_FAILURE() << "a file cut short was read";
  } catch (const Toolkit_Error& e) {
    EXPECT_STREQ(e.what(), "PNG image is not valid");
  }
}

TEST(PngWrite, AFailedWriteKeepsTheOldFile) {
  Temp_Dir dir;
  const std::string path = dir / "keep.png";
  const Raster_Image old_picture = Test_Picture(32, 32, 1);
  Write_Png(path, old_picture);
  const Bytes before = Read_File(path);
  for (std::size_t allowed : {std::size_t{0}, std::size_t{40}, std::size_t{1000}}) {
    std::size_t written = 0;
    const auto disk_full = [&](int fd, const void* data, std::size_t size) -> long {
      if (written >= allowed) {
        errno = ENOSPC;
        return -1;
      }
      const std::size_t n = std::min(size, allowed - written);
      written += n;
      return long(::write(fd, data, n));
    };
    try {
      Write_Png(path, Test_Picture(200, 200, 2), disk_full);
      ADD_FAILURE() << "a full disk reported success";
    } catch (const Toolkit_Error& e) {
      EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_EQ(Read_File(path), before);
  }
}

// A picture deflated whole reads back as the row by row one does: palette
// pictures at every depth, with repeated rows (written as Up) before a row of
// index 0, and truecolour ones, the large one deflated in two halves on two
// threads; with a transparent colour and with text.
TEST(PngWrite, TheWholePicturePathMatchesTheRowByRowOne) {
  Temp_Dir dir;
  std::mt19937 rng(4);
  for (const int colours : {2, 3, 16, 200, 4000, 1 << 24}) {
    const int w = colours >= 4000 ? 1031 : 61, h = colours >= 4000 ? 1400 : 40;
    // Black, the first colour, is index 0; its rows follow rows alike.
    Raster_Image picture(w, h, Rgb(0, 0, 0));
    for (int y = 0; y < h; ++y)
      for (int x = y < 8 || y >= h / 2 ? 1 : 0; x < w && (y < h / 2 || y >= h * 3 / 4); ++x)
        picture.SetPixel(
            x, y,
            y < 8 || y >= h * 3 / 4 ? Colour((x * 7 + y / 4 + rng() % 2) % colours) : Rgb(0, 9, 9));
    for (const bool keyed : {false, true}) {
      const std::optional<Colour> key = keyed ? std::optional(Rgb(250, 0, 0)) : std::nullopt;
      picture.SetPixel(w - 1, h - 1, key.value_or(0));
      Bytes files[2];
      for (const bool row_by_row : {false, true}) {
        Png_Rows rows = Png_Rows_Of(picture, key);
        rows.Row_By_Row = row_by_row;
        const std::string path = dir / "p.png";
        Write_Png(path, rows, key, {}, {{"Tolvane-Durations", "100,200"}});
        files[row_by_row] = Read_File(path);
        if (colours > 256) {
          EXPECT_TRUE(Idat_Inflates(files[row_by_row], std::size_t(1 + 3 * w) * h));
        }
        const Png_Picture back = Read_Png_Keyed(path, 0);
        EXPECT_TRUE(Same_Pixels(back.Image, picture)) << colours << row_by_row;
        EXPECT_EQ(back.Transparent, key) << colours << row_by_row;
        EXPECT_EQ(back.Text, Png_Text({{"Tolvane-Durations", "100,200"}}));
      }
      EXPECT_LT(files[0].size(), files[1].size() * 11 / 10) << colours;
    }
  }
}

// The Mount colour when free, else the next free one up, wrapping round;
// never a drawing colour.
TEST(Png_Transparent_Colour, IsTheFirstFreeColourFromTheMountColourOn) {
  Colour_Set used(std::size_t{1} << 24);
  EXPECT_EQ(Free_Colour(used, 0x123456), Colour{0x123456});
  const Colour drawing[] = {0xFFFFFF, 0x123456};
  EXPECT_EQ(Free_Colour(used, 0x123456, drawing), Colour{0x123457});
  used[0x123456] = used[0x123457] = true;
  EXPECT_EQ(Free_Colour(used, 0x123456), Colour{0x123458});
  used[0xFFFFFF] = true;
  EXPECT_EQ(Free_Colour(used, 0xFFFFFF), Colour{0});
  used.assign(used.size(), true);
  used[0x42] = false;
  EXPECT_EQ(Free_Colour(used, 0x123456), Colour{0x42});
  used[0x42] = true;
  EXPECT_EQ(Free_Colour(used, 0x123456), std::nullopt);
}

}  // namespace
}  // namespace tolvane
