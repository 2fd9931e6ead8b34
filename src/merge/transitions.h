#pragma once
#include <string>

#include "image/raster_image.h"
#include "image/round_even.h"

namespace tolvane {

// The transition kinds, numbered as the dialog hands them over. No_Transition
// is what a name matching none of them gives.
enum Trans_Kinds : int {
  No_Transition = 0,
  tk_Merge = 1,
  tk_Slide_Horizontal,
  tk_Slide_Vertical,
  tk_Squeeze_Horizontal,
  tk_Squeeze_Vertical,
  tk_Wipe_Horizontal,
  tk_Wipe_Vertical,
  tk_Split_Horizontal,
  tk_Split_Vertical,
  tk_Collapse,
  tk_Centre_Out,
  Trans_Kind_Count = tk_Centre_Out
};

// The kind a typed or chosen name selects: letters a..z upper-cased, then an
// exact comparison with the upper-case names. 0 when none matches.
int Trans_Kind_Of(const std::string& name);

// Builds transition frame s (1..r) of an overlap of r frames into Out, from
// the outgoing frame A and the incoming frame B. All three are FS x FS. Kind
// No_Transition leaves Out untouched. Each kind runs from A (s near 1) towards
// B (s near r).
void Build_Transition_Frame(Raster_Image& out, const Raster_Image& a, const Raster_Image& b,
                            int kind, int s, int r);

// The cross-fade on its own: every channel becomes Round((1 - t) x a + t x b)
// with t = s / (r + 1) held as a double and the rest in extended precision.
// Writes every pixel of Out.
void Cross_Fade(Raster_Image& out, const Raster_Image& a, const Raster_Image& b, int s, int r);

}  // namespace tolvane
