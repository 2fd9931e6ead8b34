#include "pcx/pcx.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "image/image_error.h"
#include "io/read_only_file.h"
#include "pcx/pcx_layout.h"

namespace tolvane {

namespace {

using pcx::Layout;
using pcx::Palette;

constexpr std::size_t Header_Bytes = 128;
constexpr std::uint64_t Max_Line_Bytes = 65521;
// Below this many pixels a picture is cheap enough to allocate whatever the
// file holds.
constexpr std::uint64_t Free_Pixels = std::uint64_t{1} << 22;
// One two-byte packet fills at most 63 bytes of a plane.
constexpr std::uint64_t Most_Run = 63;
// Runs are stored with one fixed-size fill, so planes carry this much slack.
constexpr std::size_t Run_Slack = 64;
constexpr std::size_t File_Buffer_Bytes = 64 * 1024;

[[noreturn]] void Read_Error(int error) {
  throw Toolkit_Error("Stream read error", System_Reason(error));
}

std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

// The file's bytes: random access for the header and the palette, and the
// coded stream from offset 128 as a window of bytes that Refill slides on.
class Source {
 public:
  explicit Source(std::uint64_t size) : size_(size) {}
  virtual ~Source() = default;
  std::uint64_t Size() const { return size_; }
  // Up to n bytes at offset; fewer at the end of the data.
  virtual std::size_t Read_At(std::uint64_t offset, std::uint8_t* out, std::size_t n) = 0;

  // The unread coded bytes are [Cur, End).
  const std::uint8_t* Cur = nullptr;
  const std::uint8_t* End = nullptr;
  // Keeps the unread bytes and appends the next ones; false when the data
  // has ended.
  virtual bool Refill() = 0;

 protected:
  std::uint64_t size_;
};

class Memory_Source final : public Source {
 public:
  Memory_Source(const std::uint8_t* data, std::size_t size) : Source(size), data_(data) {
    Cur = data + std::min(size, Header_Bytes);
    End = data + size;
  }
  std::size_t Read_At(std::uint64_t offset, std::uint8_t* out, std::size_t n) override {
    if (offset >= size_) return 0;
    n = std::size_t(std::min<std::uint64_t>(n, size_ - offset));
    std::memcpy(out, data_ + offset, n);
    return n;
  }
  bool Refill() override { return false; }

 private:
  const std::uint8_t* data_;
};

class File_Source final : public Source {
 public:
  File_Source(int fd, std::uint64_t size) : Source(size), fd_(fd), buffer_(File_Buffer_Bytes) {
    Cur = End = buffer_.data();
  }
  std::size_t Read_At(std::uint64_t offset, std::uint8_t* out, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t r = ::pread(fd_, out + done, n - done, off_t(offset + done));
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) Read_Error(errno);
      if (r == 0) break;
      done += std::size_t(r);
    }
    return done;
  }
  bool Refill() override {
    const std::size_t keep = std::size_t(End - Cur);
    std::memmove(buffer_.data(), Cur, keep);
    const std::size_t got = Read_At(next_, buffer_.data() + keep, buffer_.size() - keep);
    next_ += got;
    Cur = buffer_.data();
    End = Cur + keep + got;
    return got > 0;
  }

 private:
  int fd_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t next_ = Header_Bytes;
};

struct Plan {
  int Bits = 0, Planes = 0;
  std::size_t Line_Bytes = 0;  // per plane
  int Width = 0, Rows = 0;
  int Data_Pixels = 0;  // pixels of a row the line's bytes supply
  Layout Kind = Layout::Indexed;
  Palette Colours{};
};

Pcx_Verdict Make_Plan(Source& in, Plan& plan) {
  std::uint8_t h[Header_Bytes];
  if (in.Read_At(0, h, Header_Bytes) < Header_Bytes)
    throw Toolkit_Error("Read beyond end of file", "the file ends inside its 128-byte header");
  if (h[0] != 10) return Pcx_Verdict::Not_Valid;
  const int bits = h[3], planes = h[65];
  const std::uint64_t line_bytes = U16(h + 66);
  if (line_bytes * std::uint64_t(planes) > Max_Line_Bytes) return Pcx_Verdict::Too_Big;
  if (planes == 0 || line_bytes == 0) return Pcx_Verdict::Not_Valid;
  if (!pcx::Layout_Of(bits, planes, plan.Kind)) return Pcx_Verdict::Not_Valid;

  // Xmin may exceed Xmax: the size is the distance between them.
  const std::uint64_t width = std::uint64_t(std::abs(int(U16(h + 8)) - int(U16(h + 4)))) + 1;
  const std::uint64_t height = std::uint64_t(std::abs(int(U16(h + 10)) - int(U16(h + 6)))) + 1;
  if (width * height > std::uint64_t(Max_Image_Pixels)) return Pcx_Verdict::Too_Big;

  // Rows the file could fill even if every packet were the longest run.
  const std::uint64_t data_pixels = std::min(width, pcx::Pixels_Per_Line(plan.Kind, line_bytes));
  const std::uint64_t coded = in.Size() > Header_Bytes ? in.Size() - Header_Bytes : 0;
  const std::uint64_t least_line = std::uint64_t(planes) * ((line_bytes + Most_Run - 1) / Most_Run);
  const std::uint64_t fillable_rows = coded / least_line + 1;
  const std::uint64_t allowed = std::max(Free_Pixels, 2 * fillable_rows * data_pixels);
  const std::uint64_t rows = std::min(height, std::max<std::uint64_t>(1, allowed / width));

  plan.Bits = bits;
  plan.Planes = planes;
  plan.Line_Bytes = std::size_t(line_bytes);
  plan.Width = int(width);
  plan.Rows = int(rows);
  plan.Data_Pixels = int(data_pixels);

  Palette& pal = plan.Colours;
  switch (plan.Kind) {
    case Layout::Planar:
      if (planes == 1) {
        // Black and white whatever the header palette says.
        pal[1] = Rgb(255, 255, 255);
        break;
      }
      [[fallthrough]];
    case Layout::Two_Bit:
    case Layout::Four_Bit:
      for (int i = 0; i < 16; ++i) pal[i] = Rgb(h[16 + 3 * i], h[17 + 3 * i], h[18 + 3 * i]);
      break;
    case Layout::Indexed: {
      // The last 768 bytes, marker or not; a file too short for them lacks
      // its first entries, which stay black.
      std::uint8_t tail[768] = {};
      const std::uint64_t take = std::min<std::uint64_t>(in.Size(), 768);
      in.Read_At(in.Size() - take, tail + (768 - take), std::size_t(take));
      for (int i = 0; i < 256; ++i) pal[i] = Rgb(tail[3 * i], tail[3 * i + 1], tail[3 * i + 2]);
      break;
    }
    case Layout::Rgb:
      break;
  }
  return Pcx_Verdict::Decoded;
}

// Decodes the next plane of n bytes into dst, which has Run_Slack bytes of
// room past n. Returns false when the data ended first; the bytes it lacked
// read as zero. A run never carries over into the next plane.
bool Decode_Plane(Source& in, std::uint8_t* dst, std::size_t n) {
  std::size_t j = 0;
  for (;;) {
    const std::uint8_t* p = in.Cur;
    const std::uint8_t* const end = in.End;
    while (j < n && end - p >= 2) {  // a whole packet is at hand
      const std::uint8_t b = *p++;
      if (b < 0xC0) {
        dst[j++] = b;
      } else {
        std::memset(dst + j, *p++, Run_Slack);
        j += std::min<std::size_t>(b & 0x3F, n - j);
      }
    }
    in.Cur = p;
    if (j >= n) return true;
    if (!in.Refill()) break;
  }
  if (in.Cur < in.End) {
    const std::uint8_t b = *in.Cur++;
    if (b < 0xC0) {
      dst[j++] = b;
    } else {  // the run's value is past the end: zero
      const std::size_t count = std::min<std::size_t>(b & 0x3F, n - j);
      std::memset(dst + j, 0, count);
      j += count;
    }
  }
  std::memset(dst + j, 0, n - j);
  return false;
}

Colour Zero_Colour(const Plan& plan) { return plan.Colours[0]; }

// Decodes the picture row by row into picture (width x rows, its pixels
// unset), calling row_done after each row. Stops after the row in which the
// data ends: the rest gets the colour of zero bytes, as do pixels past a
// line's data.
void Decode_Rows(Source& in, const Plan& plan, Raster_Image& picture,
                 const std::function<void(int)>& row_done) {
  const std::size_t stride = plan.Line_Bytes + Run_Slack;
  std::vector<std::uint8_t> line(stride * std::size_t(plan.Planes));
  const pcx::Line_Painter paint(plan.Kind, plan.Planes, plan.Colours);
  const Colour zero = Zero_Colour(plan);
  int y = 0;
  while (y < plan.Rows) {
    bool more = true;
    for (int k = 0; k < plan.Planes; ++k)
      more = Decode_Plane(in, line.data() + std::size_t(k) * stride, plan.Line_Bytes) && more;
    Colour* row = picture.Row(y);
    paint(line.data(), stride, plan.Data_Pixels, row);
    std::fill(row + plan.Data_Pixels, row + plan.Width, zero);
    if (row_done) row_done(y);
    ++y;
    if (!more) break;
  }
  for (; y < plan.Rows; ++y) std::fill_n(picture.Row(y), plan.Width, zero);
}

// The Loading window shows only the rows decoded so far, so no pixel is set
// before its row is decoded.
Raster_Image New_Picture(const Plan& plan) { return Raster_Image::Unfilled(plan.Width, plan.Rows); }

// Hides the Loading window and lets go of its picture on every way out.
class Loading_Shown {
 public:
  explicit Loading_Shown(TLoading_Window* w) : w_(w) {}
  ~Loading_Shown() { Hide(); }
  void Hide() {
    if (!w_) return;
    w_->Visible = false;
    w_->Picture.Picture = Raster_Image();
    w_->Rows_Shown = 0;
  }
  Loading_Shown(const Loading_Shown&) = delete;
  Loading_Shown& operator=(const Loading_Shown&) = delete;

 private:
  TLoading_Window* w_;
};

// Decodes without a window; target is set only for a decoded picture.
Pcx_Verdict Decode_Whole(Source& in, Raster_Image& target) {
  Plan plan;
  const Pcx_Verdict verdict = Make_Plan(in, plan);
  if (verdict != Pcx_Verdict::Decoded) return verdict;
  Raster_Image picture = New_Picture(plan);
  Decode_Rows(in, plan, picture, {});
  target = std::move(picture);
  return verdict;
}

}  // namespace

Pcx_Verdict Decode_Pcx_Data(const std::uint8_t* data, std::size_t size, Raster_Image& target) {
  Memory_Source in(data, size);
  return Decode_Whole(in, target);
}

Pcx_Verdict Read_Pcx_File(const std::string& path, Raster_Image& target) {
  return Reading_File(path, [&] {
    Read_Only_File file(path);
    File_Source in(file.Fd(), file.Size());
    return Decode_Whole(in, target);
  });
}

namespace {

bool Decode_Shown(Platform& p, TLoading_Window* loading, const std::string& path,
                  Raster_Image& target) {
  Read_Only_File file(path);
  File_Source in(file.Fd(), file.Size());
  Plan plan;
  switch (Make_Plan(in, plan)) {
    case Pcx_Verdict::Not_Valid:
      p.Show_Message_Box(path + " is not a valid PCX file!", Msg_Kind::Warning, mb_OK);
      return false;
    case Pcx_Verdict::Too_Big:
      p.Show_Message_Box(path + " is TOO big to load!", Msg_Kind::Warning, mb_OK);
      return false;
    case Pcx_Verdict::Decoded:
      break;
  }

  // The window shows the picture being decoded: it is the same image.
  Raster_Image own;
  Raster_Image& picture = loading ? loading->Picture.Picture : own;
  Loading_Shown shown(loading);
  picture = New_Picture(plan);
  if (loading) {
    loading->Window = {(p.Screen_Width() - plan.Width) / 2, (p.Screen_Height() - plan.Rows) / 2,
                       plan.Width, plan.Rows};
    loading->Picture.B = {0, 0, plan.Width, plan.Rows};
    loading->Rows_Shown = 0;
    loading->Visible = true;
  }
  Decode_Rows(in, plan, picture, [&](int y) {
    if (loading) {
      loading->Rows_Shown = y + 1;
      picture.Touch();
    }
    p.Process_Messages();
  });
  target = std::move(picture);
  target.Touch();
  if (loading) {
    // A modal dialog opened next syncs only its own view: pump once more so
    // the window is gone before it.
    shown.Hide();
    p.Process_Messages();
  }
  return true;
}

}  // namespace

bool Decode_Pcx(Platform& p, TLoading_Window* loading, const std::string& path,
                Raster_Image& target) {
  return Reading_File(path, [&] { return Decode_Shown(p, loading, path, target); });
}

}  // namespace tolvane
