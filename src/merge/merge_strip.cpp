#include "merge/merge_strip.h"

#include "merge/transitions.h"

namespace tolvane {

bool Valid_Merge_Strip(const Raster_Image& strip, int frame_size) {
  // Width 0 is a multiple of any size too, but holds no frame to merge.
  return frame_size > 0 && strip.Height() == frame_size && strip.Width() >= frame_size &&
         strip.Width() % frame_size == 0;
}

std::string Invalid_Merge_Text(int frame_size) {
  const std::string fs = std::to_string(frame_size);
  std::string text = "This file does not contain valid animation frames. All frames must be ";
  text += fs;
  text += 'x';
  text += fs;
  return text;
}

Raster_Image Transition_Frames(const Editing_State& s, const Raster_Image& merge, int kind,
                               int overlap, const std::function<void(int, int)>& step) {
  const int fs = s.Frame_Size, f1 = s.Frame_Total, f2 = merge.Width() / fs, r = overlap;
  // Kind No_Transition leaves `out` as made: white frames.
  Raster_Image out(fs, fs), a(fs, fs), b(fs, fs), frames(f2 * fs, fs);
  if (f2 > r) Copy_Rect(frames, {r * fs, 0, f2 * fs, fs}, merge, {r * fs, 0, f2 * fs, fs});
  for (int i = 1; i <= r; ++i) {
    step(i, r);
    BitBlt(b, -fs * (i - 1), 0, merge);
    BitBlt(a, -s.Frame_Left(f1 - r + i - 1), 0, s.Anim_Strip);
    Build_Transition_Frame(out, a, b, kind, i, r);
    BitBlt(frames, (i - 1) * fs, 0, out);
  }
  return frames;
}

void Merge_With_Transition(Editing_State& s, const Raster_Image& merge, int kind, int overlap,
                           const std::function<void(int, int)>& step,
                           const std::vector<int>& durations) {
  const Raster_Image frames = Transition_Frames(s, merge, kind, overlap, step);
  Replace_Frames(s, s.Frame_Total - overlap, frames,
                 Fit_Durations(durations, frames.Width() / s.Frame_Size));
}

}  // namespace tolvane
