#include "gif/gif_read.h"

#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "image/colour_set.h"
#include "image/image_error.h"
#include "io/read_only_file.h"

namespace tolvane {

namespace {

[[noreturn]] void Not_Valid(const std::string& reason) {
  throw Toolkit_Error("GIF image is not valid", reason);
}

// Where the bytes come from: memory, or a file read in blocks (giflib asks
// for a byte or a sub-block at a time).
struct Source {
  const std::uint8_t* Data = nullptr;
  std::size_t Size = 0, Pos = 0;
  int Fd = -1;
  std::vector<std::uint8_t> Buffer;
  bool At_End = false;  // a read came back short: the data ended
  bool Failed = false;  // the device failed
  int Error = 0;

  bool Refill() {
    Buffer.resize(64 * 1024);
    for (;;) {
      const ssize_t r = ::read(Fd, Buffer.data(), Buffer.size());
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) {
        Failed = true;
        Error = errno;
      }
      Data = Buffer.data();
      Size = r > 0 ? std::size_t(r) : 0;
      Pos = 0;
      return r > 0;
    }
  }
};

// Called from inside giflib, which cannot pass exceptions on.
int Read_Source(GifFileType* gif, GifByteType* out, int length) noexcept {
  auto& s = *static_cast<Source*>(gif->UserData);
  int done = 0;
  while (done < length) {
    if (s.Pos == s.Size && (s.Fd < 0 || !s.Refill())) {
      s.At_End = true;
      break;
    }
    const std::size_t n = std::min(s.Size - s.Pos, std::size_t(length - done));
    std::memcpy(out + done, s.Data + s.Pos, n);
    s.Pos += n;
    done += int(n);
  }
  return done;
}

struct Gif_Closer {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using Gif_Handle = std::unique_ptr<GifFileType, Gif_Closer>;

// A giflib failure in words; `where` names the part of the file it read.
[[noreturn]] void Fail(int error, const Source& s, const std::string& where) {
  if (s.Failed) throw Toolkit_Error("Stream read error", System_Reason(s.Error));
  switch (error) {
    case D_GIF_ERR_NOT_ENOUGH_MEM:
      throw std::bad_alloc();
    case D_GIF_ERR_NOT_GIF_FILE:
      Not_Valid("not a GIF file");
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_NO_SCRN_DSCR:
    case D_GIF_ERR_NO_IMAG_DSCR:
      Not_Valid("the file ends inside " + where);
    case D_GIF_ERR_IMAGE_DEFECT:
    case D_GIF_ERR_EOF_TOO_SOON:
      Not_Valid("the picture data of " + where + " is damaged");
    case D_GIF_ERR_WRONG_RECORD:
      Not_Valid("an unknown block in " + where);
    default: {
      const char* text = GifErrorString(error);
      Not_Valid(std::string(text ? text : "unknown error") + " in " + where);
    }
  }
}

std::string Pixels_Text(std::int64_t n) {
  return std::to_string(n) + " pixels, more than the " + std::to_string(Max_Gif_Pixels) +
         " a GIF may have";
}

// A pixel no frame has covered, until the transparent colour is chosen; the
// top byte is never set in a colour.
constexpr Colour Clear_Mark = 0x01000000u;

// The canvas row of the i-th row a frame stores, with interlacing: rows 0, 8,
// 16, ... first, then 4, 12, ..., then 2, 6, ..., then the odd rows.
int Stored_Row(int i, int height, bool interlaced) {
  if (!interlaced) return i;
  static constexpr int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int p = 0; p < 4; ++p) {
    const int count = height > start[p] ? (height - start[p] + step[p] - 1) / step[p] : 0;
    if (i < count) return start[p] + i * step[p];
    i -= count;
  }
  return -1;
}

// What the graphic control block before a frame asks of it.
struct Frame_Control {
  int Disposal = DISPOSAL_UNSPECIFIED;
  int Transparent = NO_TRANSPARENT_COLOR;
  int Delay_Cs = 0;
};

// Gives the clear pixels their colour: the file's own when no opaque pixel
// uses it, else a free one.
void Choose_Transparent(Gif_Frames& gif, std::optional<Colour> key, Colour preferred) {
  Colour_Set used(std::size_t{1} << 24);
  bool clear = false;
  for (const Raster_Image& frame : gif.Frames) {
    const Colour* p = frame.Data();
    for (std::size_t i = 0, n = std::size_t(frame.Width()) * frame.Height(); i < n; ++i)
      if (p[i] <= Colour_Mask)
        used[p[i]] = true;
      else
        clear = true;
  }
  if (!clear) return;
  if (key && used[*key]) key.reset();
  gif.Transparent = key ? key : Free_Colour(used, preferred);
  // Every colour taken: the clear pixels take the preferred one and the
  // animation has no transparent colour.
  const Colour fill = gif.Transparent.value_or(preferred);
  for (Raster_Image& frame : gif.Frames) {
    Colour* p = frame.Data();
    std::replace(p, p + std::size_t(frame.Width()) * frame.Height(), Clear_Mark, fill);
  }
}

Gif_Frames Decode(Source& source, Colour preferred) {
  int error = 0;
  Gif_Handle handle(DGifOpen(&source, Read_Source, &error));
  if (!handle) Fail(error, source, "its headers");
  GifFileType* gif = handle.get();
  const int width = gif->SWidth, height = gif->SHeight;
  if (width <= 0 || height <= 0) Not_Valid("the canvas has no pixels");
  const std::int64_t canvas_pixels = std::int64_t(width) * height;
  if (canvas_pixels > Max_Gif_Pixels)
    Not_Valid("the canvas of " + std::to_string(width) + " x " + std::to_string(height) + " is " +
              Pixels_Text(canvas_pixels));

  Gif_Frames result;
  result.Width = width;
  result.Height = height;
  std::vector<Colour> canvas(std::size_t(canvas_pixels), Clear_Mark), saved;
  std::vector<GifByteType> line;
  std::int64_t decoded = 0;
  std::optional<Colour> file_key;
  Frame_Control control;
  const auto after = [&] {
    return result.Frames.empty() ? std::string("its headers")
                                 : "the blocks after frame " + std::to_string(result.Frames.size());
  };
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
      // The last frame was whole and only the closing byte is missing.
      if (source.At_End && !source.Failed && !result.Frames.empty()) break;
      Fail(gif->Error, source, after());
    }
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) Fail(gif->Error, source, after());
      GraphicsControlBlock gcb{};
      if (code == GRAPHICS_EXT_FUNC_CODE && block &&
          DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
        control = {gcb.DisposalMode, gcb.TransparentColor, gcb.DelayTime};
      while (block)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) Fail(gif->Error, source, after());
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) Fail(D_GIF_ERR_WRONG_RECORD, source, after());

    const int n = int(result.Frames.size());
    const std::string where = "frame " + std::to_string(n + 1);
    if (DGifGetImageDesc(gif) == GIF_ERROR) Fail(gif->Error, source, where);
    if (n == Max_Gif_Frames)
      Not_Valid("more than the " + std::to_string(Max_Gif_Frames) + " frames a GIF may have");
    if ((n + 1) * canvas_pixels > Max_Gif_Pixels)
      Not_Valid(std::to_string(n + 1) + " frames of " + std::to_string(width) + " x " +
                std::to_string(height) + " make " + Pixels_Text((n + 1) * canvas_pixels));
    const GifImageDesc& d = gif->Image;
    if (d.Width <= 0 || d.Height <= 0) Not_Valid(where + " has no pixels");
    // A frame far larger than its canvas could take long to decode for the
    // little of it that shows.
    decoded += std::int64_t(d.Width) * d.Height;
    if (decoded > Max_Gif_Pixels)
      Not_Valid("the frames up to " + where + " hold " + Pixels_Text(decoded));
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    if (!map || !map->Colors) Not_Valid(where + " has no colour table");
    // Indices past the table's end are black.
    Colour palette[256] = {};
    const int colours = std::clamp(map->ColorCount, 0, 256);
    for (int i = 0; i < colours; ++i)
      palette[i] = Rgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    const int clear_index = control.Transparent;
    if (!file_key && clear_index >= 0 && clear_index < colours) file_key = palette[clear_index];

    if (control.Disposal == DISPOSE_PREVIOUS) saved = canvas;
    line.resize(std::size_t(d.Width));
    // The part of the frame on the canvas, columns left to right.
    const int left = std::min(width, d.Left),
              right = std::max(left, std::min(width, d.Left + d.Width));
    for (int i = 0; i < d.Height; ++i) {
      if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) Fail(gif->Error, source, where);
      const int y = d.Top + Stored_Row(i, d.Height, d.Interlace);
      if (y < 0 || y >= height) continue;
      Colour* row = canvas.data() + std::size_t(y) * width;
      for (int x = left; x < right; ++x) {
        const int index = line[std::size_t(x - d.Left)];
        if (index != clear_index) row[x] = palette[index];
      }
    }
    Raster_Image frame = Raster_Image::Unfilled(width, height);
    std::copy(canvas.begin(), canvas.end(), frame.Data());
    result.Frames.push_back(std::move(frame));
    result.Delays_Ms.push_back(control.Delay_Cs * 10);

    if (control.Disposal == DISPOSE_BACKGROUND) {
      const int bottom = std::min(height, d.Top + d.Height);
      for (int y = d.Top; y < bottom; ++y)
        std::fill(canvas.begin() + std::ptrdiff_t(y) * width + left,
                  canvas.begin() + std::ptrdiff_t(y) * width + right, Clear_Mark);
    } else if (control.Disposal == DISPOSE_PREVIOUS) {
      canvas.swap(saved);
    }
    control = {};
  }
  if (result.Frames.empty()) Not_Valid("no frames");
  Choose_Transparent(result, file_key, preferred);
  return result;
}

}  // namespace

bool Is_Gif_Signature(const std::uint8_t* data, std::size_t size) {
  return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

Gif_Frames Decode_Gif(const std::uint8_t* data, std::size_t size, Colour preferred) {
  Source source;
  source.Data = data;
  source.Size = size;
  return Decode(source, preferred);
}

Gif_Frames Read_Gif(const std::string& path, Colour preferred) {
  return Reading_File(path, [&] {
    const Read_Only_File file(path);
    Source source;
    source.Fd = file.Fd();
    try {
      return Decode(source, preferred);
    } catch (const Toolkit_Error& e) {
      if (e.Reason().empty() || std::string(e.what()) != "GIF image is not valid") throw;
      throw Toolkit_Error("The GIF " + File_Name_Part(path) + " cannot be read: " + e.Reason(),
                          e.Reason(), path);
    }
  });
}

Raster_Image Gif_Strip(Gif_Frames& gif) {
  const int count = int(gif.Frames.size()), w = gif.Width, h = gif.Height;
  // The frames' limit keeps count x w within an int and the strip's bound.
  Raster_Image strip = Raster_Image::Unfilled(count * w, h);
  Colour* out = strip.Data();
  for (int i = 0; i < count; ++i) {
    const Colour* in = gif.Frames[std::size_t(i)].Data();
    for (int y = 0; y < h; ++y)
      std::copy(in + std::size_t(y) * w, in + std::size_t(y + 1) * w,
                out + std::size_t(y) * count * w + std::size_t(i) * w);
    gif.Frames[std::size_t(i)] = Raster_Image();
  }
  return strip;
}

}  // namespace tolvane
