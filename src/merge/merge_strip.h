#pragma once
#include <functional>
#include <string>
#include <vector>

#include "document/editing_state.h"
#include "document/strip_edit.h"
#include "image/raster_image.h"

namespace tolvane {

// A strip another animation can be merged from: whole frames of the current
// frame size, at least one of them.
bool Valid_Merge_Strip(const Raster_Image& strip, int frame_size);

// The warning for a file that is not such a strip.
std::string Invalid_Merge_Text(int frame_size);

// The frames a transition puts in place of the animation's last `overlap`
// frames: those frames blended by `kind` with the merge strip's first ones,
// then the rest of the merge strip. step(i, overlap) runs before blended
// frame i is made.
Raster_Image Transition_Frames(const Editing_State& s, const Raster_Image& merge, int kind,
                               int overlap, const std::function<void(int, int)>& step);

// A merge with a transition: the animation's last `overlap` frames and the
// rest of the merge strip replaced by Transition_Frames. The frames are made
// before the strip changes, so a failure leaves the animation as it was.
// The new frames take the merge strip's `durations`.
void Merge_With_Transition(Editing_State& s, const Raster_Image& merge, int kind, int overlap,
                           const std::function<void(int, int)>& step,
                           const std::vector<int>& durations = {});

}  // namespace tolvane
