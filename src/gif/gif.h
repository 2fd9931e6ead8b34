#pragma once
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "image/raster_image.h"
#include "io/safe_save.h"

namespace tolvane {

// Frames first..last (inclusive) of a strip of square frames, as an animated
// GIF: every frame whole. A frame of at most 256 colours (the transparent one
// included) keeps them exactly: it uses the global colour table when that
// holds them all, else a local table of its own. Only a frame of more
// colours is reduced to 256, by a median cut, and dithered unless Dither is
// off.
struct Gif_Animation {
  const Raster_Image& Strip;
  int Frame_Size = 0;
  int First = 0, Last = 0;
  int Fps = 10;      // the delays follow Gif_Delays
  bool Loop = true;  // play forever; otherwise once
  int Scale = 1;     // each pixel becomes a Scale x Scale block
  // Pixels of this colour are written as the transparent index; each frame
  // then clears to the background before the next, so none shows through.
  std::optional<Colour> Transparent = std::nullopt;
  // Error diffusion in the frames that must lose colours.
  bool Dither = true;
  // Each frame's own duration in ms, frame i of the strip at [i], 0 (or
  // none) for one that follows Fps.
  std::vector<int> Frame_Ms = {};
};

// What a write did: the frames (0 = First) reduced to 256 colours.
struct Gif_Written {
  std::vector<int> Reduced;
};

// The sentence that tells the user which frames (0-based, shown from 1) lost
// colours; the first ten are named.
std::string Reduced_Frames_Text(const std::vector<int>& frames, bool dithered);

// Told after each frame is written: frames done so far and the total.
using Gif_Progress = std::function<void(int done, int total)>;

// The delay of frame i (0 = the first written) at a playback speed, in
// centiseconds. Frame i ends at 100 (i + 1) / fps rounded, halves up, so the
// delays add up to the true time: at 12 fps they go 8, 9, 8, 8, 9, 8, ... and
// every 12 frames last 100.
int Gif_Delay(int fps, int frame);

// The delays of frames that last ms[i] milliseconds each, 0 for one that
// follows the speed (1000 / fps), in centiseconds. The same rule: each
// frame ends at its true end time rounded, halves up, so the delays add up
// to the true time. 100, 400, 100, 250 give 10, 40, 10, 25; 15, 15 give 2,
// 1; with none of their own they are Gif_Delay's.
std::vector<int> Gif_Delays(int fps, const std::vector<int>& ms);

// The colours the frames are written with. With at most 256 distinct colours
// they are the frames' own, sorted, and Exact is set; otherwise a median cut
// picks 256 (deterministic: the same pictures give the same palette).
struct Gif_Palette {
  std::vector<Colour> Colours;
  bool Exact = false;
  int Transparent = -1;  // the entry kept for the transparent colour, or -1
  // The entry of every colour of the area: its own, or the mean of the
  // median cut box it fell in.
  std::unordered_map<Colour, unsigned char> Index;
};
Gif_Palette Make_Gif_Palette(const Raster_Image& image, const Rect& area);
// The same with an entry of its own, the last, for the transparent colour;
// the other colours share the remaining 255 entries.
Gif_Palette Make_Gif_Palette(const Raster_Image& image, const Rect& area, Colour transparent);

// The palette entry of a colour: the one the palette gave it, and for a
// colour from outside the area the nearest by the sum of squared channel
// differences.
class Gif_Colour_Map {
 public:
  explicit Gif_Colour_Map(const Gif_Palette& palette) : palette_(palette) {}
  unsigned char Index(Colour c);

 private:
  const Gif_Palette& palette_;
  std::unordered_map<Colour, unsigned char> others_;
  // Pixel art repeats its colours along a row: the last answer is kept apart.
  Colour last_ = No_Colour;
  unsigned char last_index_ = 0;
};

// Writes the animation to path through a temporary file renamed over it, so
// a failure leaves an existing file as it was. Throws Toolkit_Error ("Cannot
// create file <path>", "Stream write error", or a frame too large for the
// format) and std::bad_alloc.
Gif_Written Write_Gif(const std::string& path, const Gif_Animation& animation,
                      const Gif_Progress& progress = {});
Gif_Written Write_Gif(const std::string& path, const Gif_Animation& animation,
                      const Gif_Progress& progress, const Write_Function& write_fn);

}  // namespace tolvane
