#pragma once
// Shared by the bmp_*_tests.cpp files: files, tools and picture comparison.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "image/raster_image.h"

namespace tolvane::bmp_testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Read_File(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void Write_File(const std::filesystem::path& p, const Bytes& b) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// Caps the address space at what the process uses now plus `more` bytes; for
// forked children that must not allocate much.
inline void Cap_Memory(std::size_t more) {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  const rlim_t limit = pages * std::size_t(::sysconf(_SC_PAGESIZE)) + more;
  const rlimit cap{limit, limit};
  ::setrlimit(RLIMIT_AS, &cap);
}

class Temp_Dir {
 public:
  Temp_Dir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tolvane-bmp-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~Temp_Dir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Runs a shell command and returns its standard output; status gets the exit code.
inline std::string Run(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return out;
  }
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int raw = ::pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

// Debian's own tool first: a shell profile may put other programs of the
// same name earlier in PATH.
inline std::string Find_Tool(const std::string& name) {
  const std::string system = "/usr/bin/" + name;
  if (::access(system.c_str(), X_OK) == 0) return system;
  int status;
  std::string found = Run("command -v " + name + " 2>/dev/null", status);
  while (!found.empty() && (found.back() == '\n' || found.back() == '\r')) found.pop_back();
  return status == 0 ? found : std::string();
}

// A binary PPM (P6, maxval 255) as colour values; nullopt if it is not one.
inline std::optional<Raster_Image> Parse_Ppm(const std::string& data) {
  std::size_t pos = 0;
  auto token = [&]() -> std::string {
    while (pos < data.size()) {
      if (data[pos] == '#') {
        while (pos < data.size() && data[pos] != '\n') ++pos;
      } else if (std::isspace(static_cast<unsigned char>(data[pos]))) {
        ++pos;
      } else {
        break;
      }
    }
    const std::size_t start = pos;
    while (pos < data.size() && !std::isspace(static_cast<unsigned char>(data[pos]))) ++pos;
    return data.substr(start, pos - start);
  };
  if (token() != "P6") return std::nullopt;
  const int w = std::atoi(token().c_str()), h = std::atoi(token().c_str());
  const int maxval = std::atoi(token().c_str());
  ++pos;  // the single whitespace before the raster
  if (w <= 0 || h <= 0 || maxval != 255 || data.size() < pos + std::size_t(w) * h * 3)
    return std::nullopt;
  Raster_Image img(w, h);
  for (int y = 0; y < h; ++y) {
    Colour* row = img.Row(y);
    for (int x = 0; x < w; ++x, pos += 3)
      row[x] =
          Rgb(std::uint8_t(data[pos]), std::uint8_t(data[pos + 1]), std::uint8_t(data[pos + 2]));
  }
  return img;
}

inline std::optional<Raster_Image> Read_Ppm(const std::filesystem::path& p) {
  const Bytes b = Read_File(p);
  return Parse_Ppm(std::string(b.begin(), b.end()));
}

inline std::string Ppm_Bytes(const Raster_Image& img) {
  std::string out =
      "P6\n" + std::to_string(img.Width()) + " " + std::to_string(img.Height()) + "\n255\n";
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) {
      const Colour c = img.At(x, y);
      out += char(Red_Of(c));
      out += char(Green_Of(c));
      out += char(Blue_Of(c));
    }
  return out;
}

// Empty when the pictures agree within `tolerance` per channel; otherwise
// the size mismatch or the first differing pixel and the number that differ.
inline std::string Difference(const Raster_Image& got, const Raster_Image& want,
                              int tolerance = 0) {
  std::ostringstream s;
  if (got.Width() != want.Width() || got.Height() != want.Height()) {
    s << "size " << got.Width() << "x" << got.Height() << ", want " << want.Width() << "x"
      << want.Height();
    return s.str();
  }
  long count = 0;
  for (int y = 0; y < got.Height(); ++y)
    for (int x = 0; x < got.Width(); ++x) {
      const Colour a = got.At(x, y) & Colour_Mask, b = want.At(x, y) & Colour_Mask;
      const int dr = std::abs(int(Red_Of(a)) - int(Red_Of(b)));
      const int dg = std::abs(int(Green_Of(a)) - int(Green_Of(b)));
      const int db = std::abs(int(Blue_Of(a)) - int(Blue_Of(b)));
      if (dr > tolerance || dg > tolerance || db > tolerance) {
        if (count++ == 0)
          s << "pixel (" << x << ", " << y << ") is " << std::hex << a << ", want " << b
            << std::dec;
      }
    }
  if (count) s << "; " << count << " pixels differ";
  return s.str();
}

// A picture with smooth gradients, hard edges and noise, so that channel
// mix-ups, row order and padding faults all show.
inline Raster_Image Test_Picture(int w, int h, unsigned seed = 7) {
  Raster_Image img(w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y) {
    Colour* row = img.Row(y);
    for (int x = 0; x < w; ++x) {
      const unsigned r = (x * 255) / std::max(1, w - 1);
      const unsigned g = (y * 255) / std::max(1, h - 1);
      const unsigned b = ((x / 3 + y / 2) % 2) ? 200 : (rng() & 0xFF);
      row[x] = Rgb(r, g, b);
    }
  }
  return img;
}

}  // namespace tolvane::bmp_testing

namespace tolvane::bmp_testing {

// A bitmap assembled field by field, so tests can state any header, right or
// wrong. Palette entries are 0x00RRGGBB as written in the file (B, G, R, 0).
struct Bmp_Parts {
  std::uint32_t info_size = 40;
  std::int32_t width = 1, height = 1;
  std::uint16_t planes = 1, bits = 24;
  std::uint32_t compression = 0, colours_used = 0;
  std::vector<std::uint32_t> palette;
  std::vector<std::uint32_t> masks;     // written after a 40-byte header, or inside a larger one
  std::optional<std::uint32_t> offset;  // default: right after the palette
  Bytes pixels;
};

inline void Put(Bytes& b, std::size_t at, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}

inline Bytes Build_Bmp(const Bmp_Parts& p) {
  Bytes b(14 + p.info_size, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put(b, 14, p.info_size, 4);
  if (p.info_size == 12) {
    Put(b, 18, std::uint32_t(p.width), 2);
    Put(b, 20, std::uint32_t(p.height), 2);
    Put(b, 22, p.planes, 2);
    Put(b, 24, p.bits, 2);
  } else {
    Put(b, 18, std::uint32_t(p.width), 4);
    Put(b, 22, std::uint32_t(p.height), 4);
    Put(b, 26, p.planes, 2);
    Put(b, 28, p.bits, 2);
    if (p.info_size >= 20) Put(b, 30, p.compression, 4);
    if (p.info_size >= 40) Put(b, 46, p.colours_used, 4);
  }
  for (std::size_t i = 0; i < p.masks.size(); ++i) {
    if (p.info_size >= 52 && i < 4) {
      Put(b, 54 + 4 * i, p.masks[i], 4);
    } else {
      b.resize(b.size() + 4);
      Put(b, b.size() - 4, p.masks[i], 4);
    }
  }
  for (std::uint32_t c : p.palette) {
    const std::size_t at = b.size();
    b.resize(at + (p.info_size == 12 ? 3 : 4));
    Put(b, at, c, p.info_size == 12 ? 3 : 4);
  }
  Put(b, 10, p.offset ? *p.offset : std::uint32_t(b.size()), 4);
  b.insert(b.end(), p.pixels.begin(), p.pixels.end());
  Put(b, 2, std::uint32_t(b.size()), 4);
  return b;
}

}  // namespace tolvane::bmp_testing
