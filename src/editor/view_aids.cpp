#include <algorithm>
#include <cstdint>

#include "editor/zoom_view.h"

namespace tolvane {

namespace {

// The onion skin's weight, in percent, of the frame before the working one.
constexpr unsigned Onion_Percent = 30;

// Grid lines appear from this factor up; below it they would hide the picture.
constexpr int Grid_Min_Factor = 4;

Colour Onion_Blend(Colour work, Colour prev) {
  Colour out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const unsigned w = (work >> shift) & 0xFF, p = (prev >> shift) & 0xFF;
    out |= Colour(((100 - Onion_Percent) * w + Onion_Percent * p + 50) / 100) << shift;
  }
  return out;
}

// The pixel's own colour halfway to black on light pixels and halfway to
// white on dark ones: the line shows on any colour and keeps its hue.
Colour Grid_Colour(Colour c) {
  const unsigned luma = (77 * Red_Of(c) + 150 * Green_Of(c) + 29 * Blue_Of(c)) >> 8;
  const Colour half = (c >> 1) & 0x7F7F7F;
  return luma >= 128 ? half : half + 0x808080;
}

// Light greys, so the checkerboard reads as "nothing here" on any theme.
constexpr Colour Checker_Light = 0xFFFFFF, Checker_Dark = 0xD6D6D6;

}  // namespace

void Draw_Checkerboard(Raster_Image& image, const Rect& area, Colour key, int origin_x,
                       int origin_y) {
  const int right = std::min(area.Right, image.Width());
  const int bottom = std::min(area.Bottom, image.Height());
  for (int y = std::max(0, area.Top); y < bottom; ++y) {
    Colour* row = image.Row(y);
    const int cy = (y + origin_y) / Checker_Cell;
    for (int x = std::max(0, area.Left); x < right; ++x)
      if ((row[x] & Colour_Mask) == key)
        row[x] = ((x + origin_x) / Checker_Cell + cy) % 2 ? Checker_Dark : Checker_Light;
  }
}

const Raster_Image& Frame_Preview::Picture(const Editing_State& doc, bool transparency) {
  const Raster_Image& frame = doc.Working_Frame;
  if (!transparency || !doc.Transparent_Colour) return frame;
  // An equal serial means equal pixels, so an unchanged frame costs nothing.
  if (key_ != doc.Transparent_Colour || source_serial_ != frame.Serial() ||
      shown_.Width() != frame.Width() || shown_.Height() != frame.Height()) {
    shown_ = frame;
    source_serial_ = frame.Serial();
    key_ = doc.Transparent_Colour;
    Draw_Checkerboard(shown_, {0, 0, shown_.Width(), shown_.Height()}, *key_);
    shown_.Touch();  // never the frame's serial, so the view repaints
  }
  return shown_;
}

void Draw_View_Aids(Raster_Image& view, const Editing_State& doc, int z, int h, int v,
                    bool onion_skin, bool pixel_grid, bool transparency, int ox, int oy) {
  const int fs = doc.Frame_Size, total = doc.Frame_Total, cur = doc.Cur_Frame;
  const Raster_Image& strip = doc.Anim_Strip;
  // The part of the view the frame covers; the backdrop gets no aids.
  const int width = int(std::min<long long>(view.Width() - ox, (long long)(fs - h) * z));
  const int height = int(std::min<long long>(view.Height() - oy, (long long)(fs - v) * z));
  if (width <= 0 || height <= 0) return;

  // Under the other aids, which draw over it as over any pixel.
  if (transparency && doc.Transparent_Colour)
    Draw_Checkerboard(view, {ox, oy, ox + width, oy + height}, *doc.Transparent_Colour, h * z - ox,
                      v * z - oy);

  // The frame before the current one; the first frame shows the last, as the
  // animation loops. A single frame has nothing to compare with.
  const bool onion = onion_skin && total > 1 && cur >= 0 && cur < total &&
                     strip.Width() >= std::int64_t(total) * fs && strip.Height() >= fs;
  if (onion) {
    const int prev_left = doc.Frame_Left(cur > 0 ? cur - 1 : total - 1);
    for (int y = 0; y < height; ++y) {
      const Colour* prev = strip.Row(y / z + v) + prev_left + h;
      Colour* out = view.Row(y + oy) + ox;
      // Each frame pixel is a run of z view pixels of one colour.
      for (int x = 0, c = 0; x < width; ++c) {
        const Colour mixed = Onion_Blend(out[x], prev[c]);
        for (const int end = std::min(width, x + z); x < end; ++x) out[x] = mixed;
      }
    }
  }

  if (pixel_grid && z >= Grid_Min_Factor) {
    // A line runs along the top and left edge of every frame pixel but those
    // of the frame's first row and column.
    for (int y = 0; y < height; ++y) {
      Colour* out = view.Row(y + oy) + ox;
      if (y % z == 0 && (y > 0 || v > 0)) {
        for (int x = 0; x < width; ++x) out[x] = Grid_Colour(out[x]);
        continue;
      }
      for (int x = (h > 0 ? 0 : z); x < width; x += z) out[x] = Grid_Colour(out[x]);
    }
  }
}

}  // namespace tolvane
