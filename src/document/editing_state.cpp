#include "document/editing_state.h"

#include <algorithm>

#include "image/raster_image.h"

namespace tolvane {

void Editing_State::Commit_Frame() {
  Anim_History.Record_Pending(*this);
  if (Frame_Edited) BitBlt(Anim_Strip, Frame_Left(Cur_Frame), 0, Working_Frame);
}

int Clamp_Duration(int ms) {
  return ms < 1 ? Follow_Speed : std::clamp(ms, Min_Frame_Ms, Max_Frame_Ms);
}

bool Editing_State::Has_Own_Durations() const {
  return std::any_of(Frame_Ms.begin(), Frame_Ms.end(), [](int ms) { return ms != Follow_Speed; });
}

std::string Editing_State::Check_Invariants() const {
  auto square = [&](const Raster_Image& im) {
    return im.Width() == Frame_Size && im.Height() == Frame_Size;
  };
  if (Frame_Total < 1) return "Frame_Total < 1";
  if (Anim_Strip.Width() != Frame_Total * Frame_Size || Anim_Strip.Height() != Frame_Size)
    return "strip is not Frame_Total x Frame_Size by Frame_Size";
  if (Cur_Frame < 0 || Cur_Frame >= Frame_Total) return "Cur_Frame outside the strip";
  if (Section_Start < 0 || Section_Start > Section_End || Section_End >= Frame_Total)
    return "section outside the strip";
  if (Frame_Ms.size() != std::size_t(Frame_Total)) return "not one duration per frame";
  for (int ms : Frame_Ms)
    if (ms != Clamp_Duration(ms)) return "a duration outside its range";
  if (!square(Working_Frame) || !square(Undo_Frame) || !square(Frame_Buffer))
    return "a frame-sized image is not Frame_Size square";
  if (!Frame_Edited) {
    for (int y = 0; y < Frame_Size; ++y)
      for (int x = 0; x < Frame_Size; ++x)
        if (Working_Frame.At(x, y) != Anim_Strip.At(Frame_Left(Cur_Frame) + x, y))
          return "working frame differs from the strip while not edited";
  }
  return {};
}

}  // namespace tolvane
