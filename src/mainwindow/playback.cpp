#include "mainwindow/playback.h"

#include <algorithm>

namespace tolvane {

int Playback::Interval() const {
  // Integer arithmetic keeps the ties exact.
  const int q = 1000 / fps_, r = 1000 % fps_;
  if (2 * r > fps_ || (2 * r == fps_ && q % 2 != 0)) return q + 1;
  return q;
}

void Playback::Set_Fps(int fps) { fps_ = std::clamp(fps, Min_Fps, Max_Fps); }

Playback::Step Playback::Tick(int frame, int start, int end, int total) {
  const int next = frame + 1;
  if (next <= end) return {next, false};
  if (loop_) return {start, false};
  playing_ = false;
  return {total - 1, true};
}

}  // namespace tolvane
