#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "gif/gif.h"
#include "image/image_error.h"

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

// The palette a frame of the area is written with.
Gif_Palette Palette_Of(const Gif_Animation& a, const Rect& area) {
  return a.Transparent ? Make_Gif_Palette(a.Strip, area, *a.Transparent)
                       : Make_Gif_Palette(a.Strip, area);
}

Rect Frame_Area(const Gif_Animation& a, int frame) {
  return {frame * a.Frame_Size, 0, (frame + 1) * a.Frame_Size, a.Frame_Size};
}

// Whether the global table gives every colour of a frame's own exact palette
// an entry of the same colour.
bool Holds(const Gif_Palette& global, const Gif_Palette& own) {
  if (!global.Exact || !own.Exact) return false;
  for (std::size_t i = 0; i < own.Colours.size(); ++i)
    if (int(i) != own.Transparent && !global.Index.contains(own.Colours[i])) return false;
  return true;
}

unsigned Channel(Colour c, int ch) { return (c >> (8 * ch)) & 0xFF; }

// One row of a frame as palette entries. With dither, each pixel's
// difference from its entry is spread over the pixels to come (Floyd and
// Steinberg's weights: 7/16 right; 3/16, 5/16, 1/16 below). errors holds two
// rows of three channels, one pixel wider on each side.
void Row_Indices(const Colour* row, int size, const Gif_Palette& palette, Gif_Colour_Map& map,
                 bool dither, std::vector<int>& errors, GifByteType* out) {
  if (!dither) {
    for (int x = 0; x < size; ++x) out[x] = map.Index(row[x]);
    return;
  }
  const std::size_t width = std::size_t(size) + 2;
  int* here = errors.data();
  int* below = errors.data() + 3 * width;
  const Colour clear =
      palette.Transparent >= 0 ? palette.Colours[std::size_t(palette.Transparent)] : No_Colour;
  for (int x = 0; x < size; ++x) {
    const Colour c = row[x] & Colour_Mask;
    if (c == clear) {
      out[x] = GifByteType(palette.Transparent);
      continue;
    }
    int want[3];
    Colour wanted = 0;
    for (int ch = 0; ch < 3; ++ch) {
      want[ch] = std::clamp(int(Channel(c, ch)) + here[3 * (x + 1) + ch] / 16, 0, 255);
      wanted |= Colour(want[ch]) << (8 * ch);
    }
    // Only the transparent colour itself is clear.
    const GifByteType index = map.Index(wanted == clear ? c : wanted);
    out[x] = index;
    const Colour got = palette.Colours[index];
    for (int ch = 0; ch < 3; ++ch) {
      const int e = want[ch] - int(Channel(got, ch));
      here[3 * (x + 2) + ch] += 7 * e;
      below[3 * x + ch] += 3 * e;
      below[3 * (x + 1) + ch] += 5 * e;
      below[3 * (x + 2) + ch] += e;
    }
  }
  std::copy(below, below + 3 * width, here);
  std::fill(below, below + 3 * width, 0);
}

bool Put_Frame(GifFileType* gif, const Gif_Animation& a, const Gif_Palette& palette, bool local,
               bool dither, int frame, int delay, std::vector<GifByteType>& line) {
  GraphicsControlBlock gcb{};
  // A transparent pixel must show what lies behind the animation, not the
  // frame before: each frame is cleared before the next is drawn.
  gcb.DisposalMode = palette.Transparent >= 0 ? DISPOSE_BACKGROUND : DISPOSAL_UNSPECIFIED;
  gcb.UserInputFlag = false;
  gcb.DelayTime = delay;
  gcb.TransparentColor = palette.Transparent >= 0 ? palette.Transparent : NO_TRANSPARENT_COLOR;
  GifByteType control[4];
  EGifGCBToExtension(&gcb, control);
  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control) != GIF_OK) return false;
  const int size = a.Frame_Size, scale = a.Scale, out_size = size * scale;
  ColorMapObject* own = local ? Make_Colour_Map(palette) : nullptr;
  // giflib drops the previous frame's local table unfreed when this frame
  // has none.
  if (!own && gif->Image.ColorMap) {
    GifFreeMapObject(gif->Image.ColorMap);
    gif->Image.ColorMap = nullptr;
  }
  const int put = EGifPutImageDesc(gif, 0, 0, out_size, out_size, false, own);
  GifFreeMapObject(own);  // giflib keeps a copy of its own
  if (put != GIF_OK) return false;
  Gif_Colour_Map map(palette);
  std::vector<GifByteType> indices(std::size_t(size), 0);
  std::vector<int> errors(dither ? 6 * (std::size_t(size) + 2) : 0, 0);
  const int left = frame * size;
  for (int y = 0; y < size; ++y) {
    Row_Indices(a.Strip.Row(y) + left, size, palette, map, dither, errors, indices.data());
    GifByteType* out = line.data();
    for (int x = 0; x < size; ++x)
      for (int k = 0; k < scale; ++k) *out++ = indices[std::size_t(x)];
    for (int k = 0; k < scale; ++k)
      if (EGifPutLine(gif, line.data(), out_size) != GIF_OK) return false;
  }
  return true;
}

// Shared: the global table holds every colour of every frame.
bool Encode(const Byte_Sink& sink, const Gif_Animation& a, const Gif_Palette& global, bool shared,
            const Gif_Progress& progress, Gif_Written& written) {
  Gif_Output out(sink);
  int error = 0;
  Gif_Closer closer{EGifOpen(&out, &Gif_Output::Write, &error)};
  if (!closer.gif) throw std::bad_alloc();
  GifFileType* gif = closer.gif;
  EGifSetGifVersion(gif, true);

  ColorMapObject* colour_map = Make_Colour_Map(global);
  const int out_size = a.Frame_Size * a.Scale;
  const int put = EGifPutScreenDesc(gif, out_size, out_size, 8, 0, colour_map);
  GifFreeMapObject(colour_map);  // giflib keeps a copy of its own
  if (put != GIF_OK) return false;
  if (a.Loop && !Put_Loop_Forever(gif)) return false;

  std::vector<GifByteType> line(static_cast<std::size_t>(out_size));
  const int total = a.Last - a.First + 1;
  std::vector<int> ms(static_cast<std::size_t>(total), 0);
  for (int i = 0; i < total; ++i)
    if (std::size_t(a.First + i) < a.Frame_Ms.size())
      ms[std::size_t(i)] = a.Frame_Ms[std::size_t(a.First + i)];
  const std::vector<int> delays = Gif_Delays(a.Fps, ms);
  for (int i = 0; i < total; ++i) {
    Gif_Palette own;
    bool local = false;
    if (i > 0 && !shared) {
      own = Palette_Of(a, Frame_Area(a, a.First + i));
      local = !Holds(global, own);
    }
    const Gif_Palette& palette = local ? own : global;
    if (!palette.Exact) written.Reduced.push_back(i);
    if (!Put_Frame(gif, a, palette, local, !palette.Exact && a.Dither, a.First + i,
                   delays[std::size_t(i)], line))
      return false;
    if (progress) progress(i + 1, total);
  }
  if (!closer.Close()) return false;
  return out.Flush();
}

}  // namespace

int Gif_Delay(int fps, int frame) {
  const std::int64_t f = std::max(1, fps);
  const auto end = [f](std::int64_t n) { return (200 * n + f) / (2 * f); };
  return int(end(std::int64_t(frame) + 1) - end(frame));
}

std::vector<int> Gif_Delays(int fps, const std::vector<int>& ms) {
  // Time counts in 1/fps ms, so that a frame that follows the speed adds
  // exactly 1000 and one of its own ms * fps.
  const std::int64_t f = std::max(1, fps);
  std::vector<int> delays;
  delays.reserve(ms.size());
  std::int64_t time = 0, end = 0;
  for (const int own : ms) {
    time += own > 0 ? own * f : 1000;
    const std::int64_t next = (time + 5 * f) / (10 * f);
    delays.push_back(int(next - end));
    end = next;
  }
  return delays;
}

std::string Reduced_Frames_Text(const std::vector<int>& frames, bool dithered) {
  constexpr std::size_t Named = 10;
  std::string text = frames.size() == 1 ? "Frame " : "Frames ";
  for (std::size_t i = 0; i < std::min(frames.size(), Named); ++i)
    text += (i == 0 ? "" : i + 1 == frames.size() ? " and " : ", ") + std::to_string(frames[i] + 1);
  if (frames.size() > Named) text += " and " + std::to_string(frames.size() - Named) + " more";
  return text + (frames.size() == 1 ? " has" : " have") +
         " more than 256 colours and lost some in the GIF" + (dithered ? ", dithered." : ".");
}

Gif_Written Write_Gif(const std::string& path, const Gif_Animation& animation,
                      const Gif_Progress& progress) {
  return Write_Gif(path, animation, progress, Write_Function());
}

Gif_Written Write_Gif(const std::string& path, const Gif_Animation& a, const Gif_Progress& progress,
                      const Write_Function& write_fn) {
  // The format counts pixels in 16 bits.
  const std::int64_t out_size = std::int64_t(a.Frame_Size) * std::max(a.Scale, 1);
  if (out_size > 65535)
    throw Toolkit_Error("Frames of " + std::to_string(out_size) +
                        " pixels are too large for a GIF");
  if (a.Frame_Size < 1 || a.Scale < 1 || a.First < 0 || a.Last < a.First ||
      std::int64_t(a.Last + 1) * a.Frame_Size > a.Strip.Width() || a.Strip.Height() < a.Frame_Size)
    throw Toolkit_Error("Cannot create file " + path);
  // The global table: every colour of the frames when they are 256 at most,
  // else the first frame's, shared by the frames it holds.
  Gif_Palette global =
      Palette_Of(a, {a.First * a.Frame_Size, 0, (a.Last + 1) * a.Frame_Size, a.Frame_Size});
  const bool shared = global.Exact;
  if (!shared) global = Palette_Of(a, Frame_Area(a, a.First));
  Gif_Written written;
  Save_File(
      path,
      [&](const Byte_Sink& sink) {
        written = {};
        return Encode(sink, a, global, shared, progress, written);
      },
      write_fn);
  return written;
}

}  // namespace tolvane
