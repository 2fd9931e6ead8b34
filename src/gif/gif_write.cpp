#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "gif/gif.h"
#include "image/image_error.h"
#include "image/round_even.h"

namespace tolvane {

namespace {

// giflib hands its output over in pieces of a few hundred bytes; they go to
// the file in larger blocks.
class Gif_Output {
 public:
  explicit Gif_Output(const Byte_Sink& sink) : sink_(sink) { buffer_.reserve(Block_Bytes); }

  // Called from inside giflib, which cannot pass exceptions on: nothing
  // here allocates, and a sink that throws counts as a failed write.
  static int Write(GifFileType* gif, const GifByteType* data, int size) noexcept {
    auto* out = static_cast<Gif_Output*>(gif->UserData);
    if (out->failed_ || size < 0) return 0;
    try {
      if (out->buffer_.size() + std::size_t(size) > Block_Bytes && !out->Flush()) return 0;
      if (std::size_t(size) > Block_Bytes) return out->sink_(data, std::size_t(size)) ? size : 0;
      out->buffer_.insert(out->buffer_.end(), data, data + size);
    } catch (...) {
      out->failed_ = true;
      return 0;
    }
    return size;
  }

  bool Flush() {
    if (!failed_ && !buffer_.empty() && !sink_(buffer_.data(), buffer_.size())) failed_ = true;
    buffer_.clear();
    return !failed_;
  }

 private:
  static constexpr std::size_t Block_Bytes = 64 * 1024;
  const Byte_Sink& sink_;
  std::vector<GifByteType> buffer_;
  bool failed_ = false;
};

// Closes the encoder on every path; giflib frees it even when the closing
// write fails.
struct Gif_Closer {
  GifFileType* gif;
  ~Gif_Closer() {
    if (gif) {
      int error = 0;
      EGifCloseFile(gif, &error);
    }
  }
  bool Close() {
    int error = 0;
    const bool ok = EGifCloseFile(gif, &error) == GIF_OK;
    gif = nullptr;
    return ok;
  }
};

// The colour table has a power-of-two size of at least 2; the unused entries
// stay black.
ColorMapObject* Make_Colour_Map(const Gif_Palette& palette) {
  int size = 2;
  while (std::size_t(size) < palette.Colours.size()) size *= 2;
  std::vector<GifColorType> colours(std::size_t(size), GifColorType{0, 0, 0});
  for (std::size_t i = 0; i < palette.Colours.size(); ++i) {
    const Colour c = palette.Colours[i];
    colours[i] = {GifByteType(Red_Of(c)), GifByteType(Green_Of(c)), GifByteType(Blue_Of(c))};
  }
  ColorMapObject* map = GifMakeMapObject(size, colours.data());
  if (!map) throw std::bad_alloc();
  return map;
}

bool Put_Loop_Forever(GifFileType* gif) {
  static const GifByteType netscape[] = "NETSCAPE2.0";
  static const GifByteType forever[] = {1, 0, 0};  // sub-block 1: repeat count 0
  return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, netscape) == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, forever) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool Put_Frame(GifFileType* gif, const Gif_Animation& a, const Gif_Palette& palette, int frame,
               Gif_Colour_Map& map, std::vector<GifByteType>& line) {
  GraphicsControlBlock gcb{};
  // A transparent pixel must show what lies behind the animation, not the
  // frame before: each frame is cleared before the next is drawn.
  gcb.DisposalMode = palette.Transparent >= 0 ? DISPOSE_BACKGROUND : DISPOSAL_UNSPECIFIED;
  gcb.UserInputFlag = false;
  gcb.DelayTime = a.Delay;
  gcb.TransparentColor = palette.Transparent >= 0 ? palette.Transparent : NO_TRANSPARENT_COLOR;
  GifByteType control[4];
  EGifGCBToExtension(&gcb, control);
  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control) != GIF_OK) return false;
  const int size = a.Frame_Size, scale = a.Scale, out_size = size * scale;
  if (EGifPutImageDesc(gif, 0, 0, out_size, out_size, false, nullptr) != GIF_OK) return false;
  const int left = frame * size;
  for (int y = 0; y < size; ++y) {
    const Colour* row = a.Strip.Row(y) + left;
    GifByteType* out = line.data();
    for (int x = 0; x < size; ++x) {
      const GifByteType index = map.Index(row[x]);
      for (int k = 0; k < scale; ++k) *out++ = index;
    }
    for (int k = 0; k < scale; ++k)
      if (EGifPutLine(gif, line.data(), out_size) != GIF_OK) return false;
  }
  return true;
}

bool Encode(const Byte_Sink& sink, const Gif_Animation& a, const Gif_Palette& palette,
            const Gif_Progress& progress) {
  Gif_Output out(sink);
  int error = 0;
  Gif_Closer closer{EGifOpen(&out, &Gif_Output::Write, &error)};
  if (!closer.gif) throw std::bad_alloc();
  GifFileType* gif = closer.gif;
  EGifSetGifVersion(gif, true);

  ColorMapObject* colour_map = Make_Colour_Map(palette);
  const int out_size = a.Frame_Size * a.Scale;
  const int put = EGifPutScreenDesc(gif, out_size, out_size, 8, 0, colour_map);
  GifFreeMapObject(colour_map);  // giflib keeps a copy of its own
  if (put != GIF_OK) return false;
  if (a.Loop && !Put_Loop_Forever(gif)) return false;

  Gif_Colour_Map map(palette);
  std::vector<GifByteType> line(static_cast<std::size_t>(out_size));
  const int total = a.Last - a.First + 1;
  for (int i = 0; i < total; ++i) {
    if (!Put_Frame(gif, a, palette, a.First + i, map, line)) return false;
    if (progress) progress(i + 1, total);
  }
  if (!closer.Close()) return false;
  return out.Flush();
}

}  // namespace

int Gif_Delay(int fps) { return int(Round_Even(100.0L / (long double)std::max(1, fps))); }

void Write_Gif(const std::string& path, const Gif_Animation& animation,
               const Gif_Progress& progress) {
  Write_Gif(path, animation, progress, Write_Function());
}

void Write_Gif(const std::string& path, const Gif_Animation& a, const Gif_Progress& progress,
               const Write_Function& write_fn) {
  // The format counts pixels in 16 bits.
  const std::int64_t out_size = std::int64_t(a.Frame_Size) * std::max(a.Scale, 1);
  if (out_size > 65535)
    throw Toolkit_Error("Frames of " + std::to_string(out_size) +
                        " pixels are too large for a GIF");
  if (a.Frame_Size < 1 || a.Scale < 1 || a.First < 0 || a.Last < a.First ||
      std::int64_t(a.Last + 1) * a.Frame_Size > a.Strip.Width() || a.Strip.Height() < a.Frame_Size)
    throw Toolkit_Error("Cannot create file " + path);
  const Rect area{a.First * a.Frame_Size, 0, (a.Last + 1) * a.Frame_Size, a.Frame_Size};
  const Gif_Palette palette = a.Transparent ? Make_Gif_Palette(a.Strip, area, *a.Transparent)
                                            : Make_Gif_Palette(a.Strip, area);
  Save_File(
      path, [&](const Byte_Sink& sink) { return Encode(sink, a, palette, progress); }, write_fn);
}

}  // namespace tolvane
