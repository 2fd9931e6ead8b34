#pragma once
#include "image/colour.h"
#include "image/raster_image.h"
#include "image/round_even.h"

namespace tolvane {

// The four effects, each working in place on one image. Rotate, Squash and
// Spin show Mount_Colour where the turned or shrunk picture leaves the image
// uncovered. The arithmetic is fixed so that every run on every machine gives
// the same pixels: ties round to even, sines and cosines of degrees are
// 64-bit values, and products and sums are formed in long double (80-bit).

// Sine and cosine of whole degrees, held as 64-bit values.
double Sin_Degrees(long double degrees);
double Cos_Degrees(long double degrees);

// Adds Round(level x 2.55) to each channel, clamped to 0..255.
void Apply_Brightness(Raster_Image& image, int level);

// Turns the picture about its centre, clockwise for positive degrees.
void Apply_Rotate(Raster_Image& image, int degrees, Colour mount);

// Takes percent of the width (or of the height when vertical) away, half on
// each side, and stretches the picture into what is left.
void Apply_Squash(Raster_Image& image, int percent, bool vertical, Colour mount);

// Narrows the picture (vertical) or flattens it to |cos(degrees)| of its size,
// as if it were turned about its vertical or horizontal axis.
void Apply_Spin(Raster_Image& image, int degrees, bool vertical, Colour mount);

// Where a turn puts things: the turned picture is Width x Height and lands in
// the image with its top-left at (Left, Top), clipped.
struct Rotate_Bounds {
  int Width = 0, Height = 0, Left = 0, Top = 0;
  friend bool operator==(const Rotate_Bounds&, const Rotate_Bounds&) = default;
};
Rotate_Bounds Rotate_Placement(int width, int height, int degrees);

}  // namespace tolvane
