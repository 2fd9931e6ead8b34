#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "document/bmp.h"
#include "document/cpu_features.h"
#include "image/image_error.h"

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
int Shuffle_Row(const Colour*, int, std::uint8_t*) { return 0; }
#endif

// 0x00BBGGRR colours to B, G, R bytes.
void Row24(const Colour* src, int w, std::uint8_t* out) {
  int x = Have_Ssse3() ? Shuffle_Row(src, w, out) : 0;
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

// The real file a save replaces: a symbolic link is followed so that the
// link survives and its target gets the new content.
std::string Save_Target(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      std::string r(real);
      std::free(real);
      return r;
    }
  }
  return path;
}

// Flushes a folder's entry list, so a rename in it survives a power loss.
void Sync_Folder_Of(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : target.substr(0, slash);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Removes what earlier saves of target left behind when they were killed
// part way: files named like our temporary files beside it.
void Remove_Stale_Temporaries(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : target.substr(0, slash);
  const std::string prefix =
      "." + (slash == std::string::npos ? target : target.substr(slash + 1)) + ".";
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (!std::all_of(name.begin() + prefix.size(), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
      continue;
    ::unlink((dir + "/" + name).c_str());
  }
  ::closedir(d);
}

class Temp_File {
 public:
  explicit Temp_File(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    name_ = dir + "." + base + ".XXXXXX";
    fd_ = ::mkstemp(name_.data());
    if (fd_ < 0) return;
    // Keep the permissions of the file we replace, or give a new one the
    // usual ones rather than mkstemp's 0600.
    struct stat st;
    mode_t mode;
    if (::stat(target.c_str(), &st) == 0) {
      mode = st.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
  }
  ~Temp_File() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(name_.c_str());
  }
  Temp_File(const Temp_File&) = delete;
  Temp_File& operator=(const Temp_File&) = delete;

  bool Open() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  // The data must be on the disk before the rename makes it the file.
  bool Sync_And_Close() {
    bool ok = ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    return ok;
  }
  bool Rename_To(const std::string& target) {
    kept_ = ::rename(name_.c_str(), target.c_str()) == 0;
    if (kept_) Sync_Folder_Of(target);
    return kept_;
  }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  int fd_ = -1;
  bool kept_ = false;
};

bool Write_All(const Bmp_Write_Function& write_fn, int fd, const std::uint8_t* p, std::size_t n) {
  while (n > 0) {
    const long r = write_fn(fd, p, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= std::size_t(r);
  }
  return true;
}

enum class Target_Mode { Replace, Direct, In_Place };

Target_Mode Mode_For(const std::string& target) {
  struct stat st;
  if (::stat(target.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return Target_Mode::Replace;
  if (!S_ISREG(st.st_mode)) return Target_Mode::Direct;
  return st.st_nlink > 1 ? Target_Mode::In_Place : Target_Mode::Replace;
}

// Copies the finished file at from over the contents of target.
void Copy_Into(const std::string& from, const std::string& target, const std::string& path) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = in < 0 ? -1 : ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (out < 0) {
    if (in >= 0) ::close(in);
    throw Toolkit_Error("Cannot create file " + path);
  }
  std::vector<char> buffer(Block_Bytes);
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      const ssize_t w = ::write(out, buffer.data() + done, std::size_t(n - done));
      if (w < 0 && errno == EINTR) continue;
      ok = w > 0;
      if (ok) done += w;
    }
    if (!ok) break;
  }
  ok = ::fsync(out) == 0 && ok;
  ok = ::close(out) == 0 && ok;
  ::close(in);
  if (!ok) throw Toolkit_Error("Stream write error");
}

bool Write_Rows(const Bmp_Write_Function& write_fn, int fd, const Raster_Image& image,
                std::uint64_t file_size, std::size_t row_bytes, std::uint64_t pixel_bytes) {
  const int w = image.Width(), h = image.Height();
  const std::size_t block_rows =
      std::max<std::size_t>(1, Block_Bytes / std::max<std::size_t>(row_bytes, 1));
  std::vector<std::uint8_t> buffer(std::max<std::size_t>(54, block_rows * row_bytes));
  std::uint8_t* head = buffer.data();
  std::memset(head, 0, 54);
  head[0] = 'B';
  head[1] = 'M';
  Put32(head + 2, std::uint32_t(file_size));
  Put32(head + 10, 54);
  Put32(head + 14, 40);
  Put32(head + 18, std::uint32_t(w));
  Put32(head + 22, std::uint32_t(h));
  Put16(head + 26, 1);
  Put16(head + 28, 24);
  Put32(head + 34, std::uint32_t(pixel_bytes));
  if (!Write_All(write_fn, fd, head, 54)) return false;

  // Padding bytes stay zero: each row block is written over the same buffer.
  std::memset(buffer.data(), 0, buffer.size());
  for (int y = h - 1; y >= 0;) {
    std::uint8_t* out = buffer.data();
    std::size_t rows = 0;
    for (; rows < block_rows && y >= 0; ++rows, --y, out += row_bytes) Row24(image.Row(y), w, out);
    if (!Write_All(write_fn, fd, buffer.data(), rows * row_bytes)) return false;
  }
  return true;
}

}  // namespace

void Write_Bmp(const std::string& path, const Raster_Image& image) {
  Write_Bmp(path, image, [](int fd, const void* data, std::size_t size) -> long {
    return long(::write(fd, data, size));
  });
}

void Write_Bmp(const std::string& path, const Raster_Image& image,
               const Bmp_Write_Function& write_fn) {
  const int w = image.Width(), h = image.Height();
  const std::size_t row_bytes = (std::size_t(w) * 3 + 3) & ~std::size_t{3};
  const std::uint64_t pixel_bytes = std::uint64_t(row_bytes) * h;
  const std::uint64_t file_size = 54 + pixel_bytes;
  if (file_size > UINT32_MAX) throw Toolkit_Error("Cannot create file " + path);

  const std::string target = Save_Target(path);
  const Target_Mode mode = Mode_For(target);
  if (mode == Target_Mode::Direct) {
    // A device or pipe: writing to it is the save; it cannot be replaced.
    // Non-blocking open: a pipe nobody reads fails instead of hanging.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw Toolkit_Error("Cannot create file " + path);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const bool ok = Write_Rows(write_fn, fd, image, file_size, row_bytes, pixel_bytes);
    const bool closed = ::close(fd) == 0;
    if (!ok || !closed) throw Toolkit_Error("Stream write error");
    return;
  }
  Temp_File temp(target);
  if (!temp.Open()) throw Toolkit_Error("Cannot create file " + path);
  if (!Write_Rows(write_fn, temp.Fd(), image, file_size, row_bytes, pixel_bytes))
    throw Toolkit_Error("Stream write error");

  if (!temp.Sync_And_Close()) throw Toolkit_Error("Stream write error");
  if (mode == Target_Mode::Replace) {
    if (!temp.Rename_To(target)) throw Toolkit_Error("Cannot create file " + path);
    Remove_Stale_Temporaries(target);
    return;
  }
  // A hard-linked file is rewritten in place so that every name keeps
  // seeing it; the complete temporary copy proved the data can be written.
  Copy_Into(temp.Name(), target, path);
  Remove_Stale_Temporaries(target);
}

}  // namespace tolvane
