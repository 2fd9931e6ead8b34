#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/colour.h"
#include "image/raster_image.h"

namespace tolvane {

// Animated GIFs read through giflib, each frame composed as a viewer shows
// it: drawn over what the frames before it left, with their disposal done
// (none and leave keep the canvas, restore-background clears the frame's
// rectangle, restore-previous puts back the canvas as it was before the
// frame), the transparent index leaving the canvas below, interlaced rows in
// their places, the frame's own colour table before the global one, and the
// parts of a frame outside the canvas cut off. The canvas starts clear, and
// the background colour of the file is not used, as browsers do.
//
// Failures throw Toolkit_Error "GIF image is not valid" with the reason (the
// file ends early, damaged picture data, a canvas or frame count beyond the
// limits below, no frames), and std::bad_alloc. Reading a file by its path
// throws "Cannot open file <path>" and "Stream read error" as the other
// readers do, and its "not valid" text names the file.
struct Gif_Frames {
  int Width = 0, Height = 0;         // the canvas; every frame is this size
  std::vector<Raster_Image> Frames;  // 0x00BBGGRR, clear pixels in Transparent
  // Each frame's delay in milliseconds (the file's hundredths times 10);
  // 0 where the file gives none or 0, for the player's own speed: viewers
  // disagree on what a delay of 0 means, and the speed the user set is the
  // program's answer.
  std::vector<int> Delays_Ms;
  // The colour of the pixels no frame covers, when some frame has any: the
  // colour the file's transparent index names when no opaque pixel uses it,
  // else the first colour from `preferred` on that none uses (Free_Colour).
  std::optional<Colour> Transparent;
};

// The composed frames of all the animation may hold no more pixels than
// this (256 MB), so that they and the strip made of them fit together in
// memory; nor more frames than this.
inline constexpr std::int64_t Max_Gif_Pixels = std::int64_t{1} << 26;
inline constexpr int Max_Gif_Frames = 10000;

// "GIF87a" or "GIF89a".
bool Is_Gif_Signature(const std::uint8_t* data, std::size_t size);

Gif_Frames Decode_Gif(const std::uint8_t* data, std::size_t size, Colour preferred);
Gif_Frames Read_Gif(const std::string& path, Colour preferred);

// The frames side by side, the first at the left; each is let go once it is
// copied.
Raster_Image Gif_Strip(Gif_Frames& gif);

}  // namespace tolvane
