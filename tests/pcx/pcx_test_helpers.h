#pragma once
// Shared by the pcx_*_tests.cpp files: a PCX writer that can state any
// header, right or wrong, and the decoder run on a file.
#include <array>
#include <optional>

#include "image/image_error.h"
#include "pcx/pcx.h"
#include "support/bmp_test_helpers.h"
#include "support/fake_platform.h"

namespace tolvane::pcx_testing {

using bmp_testing::Bytes;

// Run-length codes one plane the way common writers do: runs of 2 to 63,
// and single bytes of C0 or more as runs of 1.
inline void Encode_Plane(const std::uint8_t* plane, std::size_t n, Bytes& out) {
  for (std::size_t i = 0; i < n;) {
    std::size_t run = 1;
    while (i + run < n && run < 63 && plane[i + run] == plane[i]) ++run;
    if (run > 1 || plane[i] >= 0xC0) out.push_back(std::uint8_t(0xC0 | run));
    out.push_back(plane[i]);
    i += run;
  }
}

struct Pcx_Parts {
  std::uint8_t manufacturer = 10, version = 5, encoding = 1, bits = 8, planes = 1;
  std::uint16_t xmin = 0, ymin = 0, xmax = 0, ymax = 0, line_bytes = 1;
  std::array<std::uint8_t, 48> header_palette{};
  std::uint8_t reserved = 0;
  Bytes data;  // the coded picture, as it is written
};

// Sets a header palette entry.
inline void Set_Entry(Pcx_Parts& p, int i, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  p.header_palette[3 * i] = r, p.header_palette[3 * i + 1] = g, p.header_palette[3 * i + 2] = b;
}

// Codes raw lines: each line is `planes` planes of line_bytes bytes.
inline Bytes Encode_Lines(const Bytes& raw, std::size_t plane_bytes) {
  Bytes out;
  for (std::size_t at = 0; at < raw.size(); at += plane_bytes)
    Encode_Plane(raw.data() + at, std::min(plane_bytes, raw.size() - at), out);
  return out;
}

inline Bytes Build_Pcx(const Pcx_Parts& p) {
  Bytes b(128 + p.data.size(), 0);
  b[0] = p.manufacturer, b[1] = p.version, b[2] = p.encoding, b[3] = p.bits;
  bmp_testing::Put(b, 4, p.xmin, 2);
  bmp_testing::Put(b, 6, p.ymin, 2);
  bmp_testing::Put(b, 8, p.xmax, 2);
  bmp_testing::Put(b, 10, p.ymax, 2);
  std::copy(p.header_palette.begin(), p.header_palette.end(), b.begin() + 16);
  b[64] = p.reserved;
  b[65] = p.planes;
  bmp_testing::Put(b, 66, p.line_bytes, 2);
  std::copy(p.data.begin(), p.data.end(), b.begin() + 128);
  return b;
}

// A 256-colour palette block: the marker then 768 bytes, entry i = f(i).
template <class F>
Bytes Palette_Block(F f, std::uint8_t marker = 0x0C) {
  Bytes b{marker};
  for (int i = 0; i < 256; ++i) {
    const Colour c = f(i);
    b.push_back(std::uint8_t(Red_Of(c)));
    b.push_back(std::uint8_t(Green_Of(c)));
    b.push_back(std::uint8_t(Blue_Of(c)));
  }
  return b;
}

inline Colour Ramp(int i) { return Rgb(i, 255 - i, (i * 7) & 0xFF); }

// The outcome of Decode_Pcx on a file: the picture, or what the user saw.
struct Outcome {
  bool decoded = false;
  Raster_Image picture;
  std::vector<std::string> messages;
  std::string error;  // a Toolkit_Error's text
};

inline Outcome Decode_File(const std::string& path, testing::Fake_Platform* platform = nullptr,
                           TLoading_Window* loading = nullptr) {
  testing::Fake_Platform own;
  testing::Fake_Platform& p = platform ? *platform : own;
  Outcome o;
  o.picture = Raster_Image(2, 1, 0x123456);  // what a refusal must leave
  try {
    o.decoded = Decode_Pcx(p, loading, path, o.picture);
  } catch (const Toolkit_Error& e) {
    o.error = e.what();
  }
  o.messages = p.Message_Texts();
  return o;
}

}  // namespace tolvane::pcx_testing
