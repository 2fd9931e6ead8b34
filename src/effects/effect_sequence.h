#pragma once
#include <functional>
#include <vector>

#include "image/raster_image.h"

namespace tolvane {

// An effect sequence as the effect dialog hands it over: N frames, the
// starting frame counted, growing from level 0 to `Level` (or back).
struct Effect_Sequence {
  int Kind = 1;  // TEffects_Param_Form::Kind
  int Frames = 2;
  int Level = 0;
  bool Insert = true;
  bool Reverse = false;
  bool Vertical = false;
};

// One generated frame: the frame it is made from in change mode, counted
// from the current frame, and its level (for Spin, its angle).
struct Effect_Step {
  int Source;
  int Value;
  friend bool operator==(const Effect_Step&, const Effect_Step&) = default;
};

// The N - 1 frames of the sequence in the order they are made. Position p
// runs from 2 to N (1 to N - 1 reversed), position 1 standing for the
// starting frame at level 0 and N for the full level.
std::vector<Effect_Step> Effect_Schedule(const Effect_Sequence& e);

// Where the made frames go, counted from the current frame: after it, or in
// its place when reversed.
inline int Effect_First_Frame(const Effect_Sequence& e) { return e.Reverse ? 0 : 1; }

// The sequence's frames side by side: in insert mode each made from frame
// `current` of the strip, in change mode each from its own frame. step(k, n)
// runs before frame k of n is made.
Raster_Image Make_Effect_Frames(const Effect_Sequence& e, const Raster_Image& strip, int frame_size,
                                int current, Colour mount,
                                const std::function<void(int, int)>& step);

}  // namespace tolvane
