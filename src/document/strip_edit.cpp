#include "document/strip_edit.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "document/resize_frames.h"
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

// The durations of a state set up by hand are made one per frame, and room
// is made for `more`, so that putting them in later cannot fail.
void Ready_Durations(Editing_State& s, std::int64_t more) {
  s.Frame_Ms.resize(std::size_t(s.Frame_Total), Follow_Speed);
  s.Frame_Ms.reserve(std::size_t(s.Frame_Total + std::max<std::int64_t>(more, 0)));
}

// Room for `count` frames before frame `at`, the frames from `at` on moved
// behind it. The room keeps the pixels of the frames that were there; its
// durations are `durations` (fitted to count).
void Open_Gap(Editing_State& s, int at, int count, const std::vector<int>& durations = {}) {
  const int old_width = s.Anim_Strip.Width();
  const std::vector<int> added = Fit_Durations(durations, count);
  Ready_Durations(s, count);
  Grow_To(s, std::int64_t(s.Frame_Total) + count);
  s.Frame_Total += count;
  s.Frame_Ms.insert(s.Frame_Ms.begin() + at, added.begin(), added.end());
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

// Each edit records what it changed in the document's history: the frames
// it put in, or a copy of those it overwrites or takes out, made before the
// strip changes. A command's Step_Scope around it names the step.

void Append_Blank_Frame(Editing_State& s) {
  Step_Scope step(s, "Add");
  const int at = s.Frame_Total;
  Open_Gap(s, at, 1);
  s.Anim_History.Inserted_Frames(at, 1);
}

void Insert_Blank_Frame(Editing_State& s, int at, Colour colour) {
  Step_Scope step(s, "Insert");
  Open_Gap(s, at, 1);
  s.Anim_Strip.Fill_Colour = colour;
  s.Anim_Strip.FillRect({s.Frame_Left(at), 0, s.Frame_Left(at + 1), s.Frame_Size});
  s.Anim_History.Inserted_Frames(at, 1);
}

std::vector<int> Fit_Durations(std::vector<int> durations, int count) {
  durations.resize(std::size_t(std::max(count, 0)), Follow_Speed);
  for (int& ms : durations) ms = Clamp_Duration(ms);
  return durations;
}

void Insert_Frames(Editing_State& s, int at, const Raster_Image& frames,
                   const std::vector<int>& durations) {
  Step_Scope step(s, "Insert Frames");
  Open_Gap(s, at, Frames_In(s, frames), durations);
  BitBlt(s.Anim_Strip, s.Frame_Left(at), 0, frames);
  s.Anim_History.Inserted_Frames(at, Frames_In(s, frames));
}

void Append_Frames(Editing_State& s, const Raster_Image& frames,
                   const std::vector<int>& durations) {
  Insert_Frames(s, s.Frame_Total, frames, durations);
}

void Replace_Frames(Editing_State& s, int at, const Raster_Image& frames,
                    const std::vector<int>& durations) {
  Step_Scope step(s, "Replace Frames");
  const int old_total = s.Frame_Total;
  const std::int64_t end = std::int64_t(at) + Frames_In(s, frames);
  const std::vector<int> given =
      durations.empty() ? durations : Fit_Durations(durations, Frames_In(s, frames));
  Ready_Durations(s, end - old_total);
  const Rect overwritten{s.Frame_Left(at), 0,
                         s.Frame_Left(int(std::min<std::int64_t>(end, old_total))), s.Frame_Size};
  Raster_Image before;
  if (overwritten.Right > overwritten.Left) before = s.Anim_History.Keep(s.Anim_Strip, overwritten);
  if (end > s.Frame_Total) {
    Grow_To(s, end);
    s.Frame_Total = int(end);
  }
  BitBlt(s.Anim_Strip, s.Frame_Left(at), 0, frames);
  s.Frame_Ms.resize(std::size_t(s.Frame_Total), Follow_Speed);
  std::copy(given.begin(), given.end(), s.Frame_Ms.begin() + at);
  s.Anim_History.Changed_Pixels(overwritten, std::move(before));
  s.Anim_History.Inserted_Frames(old_total, s.Frame_Total - old_total);
}

void Remove_Frame(Editing_State& s, int at) {
  Step_Scope step(s, "Delete");
  Raster_Image frame =
      s.Anim_History.Keep(s.Anim_Strip, {s.Frame_Left(at), 0, s.Frame_Left(at + 1), s.Frame_Size});
  Remove_Frames(s, at, 1);
  s.Anim_History.Removed_Frames(at, 1, std::move(frame));
}

void Remove_Frames(Editing_State& s, int at, int count) {
  // The following frames move up over the removed ones, then the strip's end
  // is cut off: both in place, no second strip.
  const int left = s.Frame_Left(at), width = s.Anim_Strip.Width(), cut = count * s.Frame_Size;
  Copy_Rect(s.Anim_Strip, {left, 0, width - cut, s.Frame_Size}, s.Anim_Strip,
            {left + cut, 0, width, s.Frame_Size});
  s.Anim_Strip.Set_Width(width - cut);
  s.Frame_Ms.resize(std::size_t(s.Frame_Total), Follow_Speed);
  s.Frame_Ms.erase(s.Frame_Ms.begin() + at, s.Frame_Ms.begin() + at + count);
  s.Frame_Total -= count;
}

void Set_Durations(Editing_State& s, int first, int last, int ms) {
  Step_Scope step(s, "Frame Timing");
  Ready_Durations(s, 0);
  first = std::clamp(first, 0, s.Frame_Total - 1);
  last = std::clamp(last, first, s.Frame_Total - 1);
  std::fill(s.Frame_Ms.begin() + first, s.Frame_Ms.begin() + last + 1, Clamp_Duration(ms));
}

void Replace_Strip(Editing_State& s, Raster_Image strip, int frame_size,
                   const std::function<void()>& then, const std::vector<int>& durations) {
  Step_Scope step(s, "Replace Strip");
  std::vector<int> new_ms = Fit_Durations(durations, strip.Width() / frame_size);
  Raster_Image old_strip = std::move(s.Anim_Strip);
  const int old_size = s.Frame_Size, old_total = s.Frame_Total;
  std::vector<int> old_ms = std::move(s.Frame_Ms);
  s.Anim_Strip = std::move(strip);
  s.Frame_Size = frame_size;
  s.Frame_Total = s.Anim_Strip.Width() / frame_size;
  s.Frame_Ms = std::move(new_ms);
  try {
    then();
  } catch (...) {
    s.Anim_Strip = std::move(old_strip);
    s.Frame_Size = old_size;
    s.Frame_Total = old_total;
    s.Frame_Ms = std::move(old_ms);
    throw;
  }
  s.Anim_History.Replaced_Strip(std::move(old_strip));
}

void Resize_Strip(Editing_State& s, int frame_size, Colour mount, int method,
                  const std::function<void()>& pump, const std::function<void()>& then) {
  const int old_size = s.Frame_Size;
  Raster_Image old_strip =
      Resize_Frames(s.Anim_Strip, frame_size, mount, method, s.Frame_Total, pump);
  s.Frame_Size = frame_size;
  try {
    then();
  } catch (...) {
    s.Anim_Strip = std::move(old_strip);
    s.Frame_Size = old_size;
    throw;
  }
  s.Anim_History.Replaced_Strip(std::move(old_strip));
}

std::int64_t Replace_Colour(Editing_State& s, int first, int last, Colour from, Colour to) {
  from &= Colour_Mask;
  to &= Colour_Mask;
  Rect area{s.Frame_Left(last + 1), s.Frame_Size, s.Frame_Left(first), 0};
  for (int y = 0; y < s.Frame_Size; ++y) {
    const Colour* row = std::as_const(s.Anim_Strip).Row(y);
    for (int x = s.Frame_Left(first); x < s.Frame_Left(last + 1); ++x)
      if ((row[x] & Colour_Mask) == from)
        area = {std::min(area.Left, x), std::min(area.Top, y), std::max(area.Right, x + 1), y + 1};
  }
  if (area.Right <= area.Left || from == to) return 0;
  Step_Scope step(s, "Replace Colour");
  Raster_Image before = s.Anim_History.Keep(s.Anim_Strip, area);
  std::int64_t changed = 0;
  for (int y = area.Top; y < area.Bottom; ++y) {
    Colour* row = s.Anim_Strip.Row(y);
    for (int x = area.Left; x < area.Right; ++x)
      if ((row[x] & Colour_Mask) == from) {
        row[x] = to;
        ++changed;
      }
  }
  s.Anim_History.Changed_Pixels(area, std::move(before));
  return changed;
}

}  // namespace tolvane
