#include "document/strip_edit.h"

#include <limits>
#include <string>
#include <utility>

#include "image/image_error.h"

namespace tolvane {

namespace {

int Frames_In(const Editing_State& s, const Raster_Image& frames) {
  return frames.Width() / s.Frame_Size;
}

// The one place a strip grows: to `total` frames, appended to the right in
// the strip's Fill_Colour. This is the step that can fail, and it comes
// before any frame moves.
void Grow_To(Editing_State& s, std::int64_t total) {
  const std::int64_t width = total * s.Frame_Size;
  Check_Strip_Size(width, s.Frame_Size);
  s.Anim_Strip.Set_Width(int(width));
}

// Room for `count` frames before frame `at`, the frames from `at` on moved
// behind it. The room keeps the pixels of the frames that were there.
void Open_Gap(Editing_State& s, int at, int count) {
  const int old_width = s.Anim_Strip.Width();
  Grow_To(s, std::int64_t(s.Frame_Total) + count);
  s.Frame_Total += count;
  const int left = s.Frame_Left(at);
  if (left < old_width)
    Copy_Rect(s.Anim_Strip, {s.Frame_Left(at + count), 0, s.Anim_Strip.Width(), s.Frame_Size},
              s.Anim_Strip, {left, 0, old_width, s.Frame_Size});
}

}  // namespace

void Check_Strip_Size(std::int64_t width, int height) {
  const bool fits = width >= 0 && width <= std::numeric_limits<int>::max() &&
                    (height == 0 || width <= Max_Image_Pixels / height);
  if (fits) return;
  std::string text = "Not enough memory for an image of ";
  text += std::to_string(width);
  text += " x ";
  text += std::to_string(height);
  text += " pixels";
  throw Toolkit_Error(text);
}

void Append_Blank_Frame(Editing_State& s) { Open_Gap(s, s.Frame_Total, 1); }

void Insert_Blank_Frame(Editing_State& s, int at, Colour colour) {
  Open_Gap(s, at, 1);
  s.Anim_Strip.Fill_Colour = colour;
  s.Anim_Strip.FillRect({s.Frame_Left(at), 0, s.Frame_Left(at + 1), s.Frame_Size});
}

void Insert_Frames(Editing_State& s, int at, const Raster_Image& frames) {
  Open_Gap(s, at, Frames_In(s, frames));
  BitBlt(s.Anim_Strip, s.Frame_Left(at), 0, frames);
}

void Append_Frames(Editing_State& s, const Raster_Image& frames) {
  Insert_Frames(s, s.Frame_Total, frames);
}

void Replace_Frames(Editing_State& s, int at, const Raster_Image& frames) {
  const std::int64_t end = std::int64_t(at) + Frames_In(s, frames);
  if (end > s.Frame_Total) {
    Grow_To(s, end);
    s.Frame_Total = int(end);
  }
  BitBlt(s.Anim_Strip, s.Frame_Left(at), 0, frames);
}

void Remove_Frame(Editing_State& s, int at) {
  // The following frames move up over the removed one, then the strip's last
  // frame is cut off: both in place, no second strip.
  const int left = s.Frame_Left(at), width = s.Anim_Strip.Width();
  Copy_Rect(s.Anim_Strip, {left, 0, width - s.Frame_Size, s.Frame_Size}, s.Anim_Strip,
            {left + s.Frame_Size, 0, width, s.Frame_Size});
  s.Anim_Strip.Set_Width(width - s.Frame_Size);
  --s.Frame_Total;
}

void Replace_Strip(Editing_State& s, Raster_Image strip, int frame_size,
                   const std::function<void()>& then) {
  Raster_Image old_strip = std::move(s.Anim_Strip);
  const int old_size = s.Frame_Size, old_total = s.Frame_Total;
  s.Anim_Strip = std::move(strip);
  s.Frame_Size = frame_size;
  s.Frame_Total = s.Anim_Strip.Width() / frame_size;
  try {
    then();
  } catch (...) {
    s.Anim_Strip = std::move(old_strip);
    s.Frame_Size = old_size;
    s.Frame_Total = old_total;
    throw;
  }
}

}  // namespace tolvane
