#include "document/history.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "document/editing_state.h"
#include "document/strip_edit.h"

namespace tolvane {

namespace {

std::size_t Pixel_Bytes(int w, int h) { return std::size_t(w) * std::size_t(h) * sizeof(Colour); }

// The smallest rectangle holding every pixel where two images of one size
// differ; empty (Right == Left) when none does.
Rect Changed_Rect(const Raster_Image& a, const Raster_Image& b) {
  Rect r{a.Width(), a.Height(), 0, 0};
  const std::size_t row_bytes = Pixel_Bytes(a.Width(), 1);
  for (int y = 0; y < a.Height(); ++y) {
    const Colour *pa = a.Row(y), *pb = b.Row(y);
    if (std::memcmp(pa, pb, row_bytes) == 0) continue;
    int left = 0, right = a.Width();
    while (pa[left] == pb[left]) ++left;
    while (pa[right - 1] == pb[right - 1]) --right;
    r = {std::min(r.Left, left), std::min(r.Top, y), std::max(r.Right, right), y + 1};
  }
  return r.Right > r.Left ? r : Rect{};
}

}  // namespace

History::Shape History::Shape_Of(const Editing_State& s) {
  return {s.Frame_Size,         s.Frame_Total,
          s.Cur_Frame,          s.Anim_Strip.Fill_Colour,
          s.Transparent_Colour, s.Has_Own_Durations() ? s.Frame_Ms : std::vector<int>()};
}

std::size_t History::Bytes_Of(const Step& step) {
  std::size_t bytes = sizeof(Step) + step.Name.size() + step.Parts.size() * sizeof(Part) +
                      (step.Before.Frame_Ms.size() + step.After.Frame_Ms.size()) * sizeof(int);
  for (const Part& p : step.Parts) bytes += p.Held.Bytes();
  return bytes;
}

bool History::Changes(const Editing_State& s, const Step& step) {
  const Shape now = Shape_Of(s);
  if (now.Frame_Size != step.Before.Frame_Size || now.Frame_Total != step.Before.Frame_Total ||
      now.Fill != step.Before.Fill || now.Frame_Ms != step.Before.Frame_Ms)
    return true;
  // Each part that holds what its area now holds leaves the strip as it is
  // when taken back, and so do all of them together.
  for (const Part& p : step.Parts) {
    if (p.Kind == Part::Strip) {
      if (p.Held.Width() != s.Anim_Strip.Width() || p.Held.Height() != s.Anim_Strip.Height() ||
          !p.Held.Same_As(s.Anim_Strip, 0, 0))
        return true;
      continue;
    }
    if (p.Kind != Part::Pixels || !p.Held.Same_As(s.Anim_Strip, p.Area.Left, p.Area.Top))
      return true;
  }
  return false;
}

void History::Cut() {
  if (!steps_.empty()) cut_ = true;
}

void History::Set_Cap(std::size_t bytes) {
  cap_ = bytes;
  if (cap_ == 0) {
    Clear();
    base_ = Raster_Image();
    base_frame_ = -1;
    return;
  }
  Trim();
}

std::string History::Back_Name() const { return Can_Back() ? steps_[cursor_ - 1].Name : ""; }

std::string History::Forward_Name() const { return Can_Forward() ? steps_[cursor_].Name : ""; }

void History::Clear() {
  steps_.clear();
  cursor_ = bytes_ = 0;
  saved_.reset();
}

void History::Start(const Editing_State& s, bool saved) {
  Clear();
  if (saved) saved_ = 0;
  Rebase(s);
}

// A record that failed: the history goes, the change goes on, and the rest of
// the step being recorded is not kept either.
void History::Fail() {
  Clear();
  if (depth_ > 0) failed_ = true;
}

// Oldest first; once nothing lies behind the document, the newest of the
// steps ahead of it.
void History::Trim() {
  if (bytes_ > cap_) Cut();
  while (bytes_ > cap_ && !steps_.empty()) {
    if (cursor_ > 0) {
      bytes_ -= steps_.front().Bytes;
      steps_.pop_front();
      --cursor_;
      if (saved_) saved_ = *saved_ > 0 ? std::optional<std::size_t>(*saved_ - 1) : std::nullopt;
    } else {
      bytes_ -= steps_.back().Bytes;
      steps_.pop_back();
      if (saved_ && *saved_ > steps_.size()) saved_.reset();
    }
  }
}

void History::Begin(const Editing_State& s, const std::string& name) {
  // What the working frame gained before this command is a step of its own.
  if (depth_ == 0) Record_Pending(s);
  Open(s, name);
}

void History::Open(const Editing_State& s, const std::string& name) {
  if (applying_) return;
  if (depth_ == 0) {
    open_ = Step{name, Shape_Of(s), {}, {}, {}};
    failed_ = false;
    unchecked_ = false;
  }
  ++depth_;
}

void History::End(const Editing_State& s) noexcept { Close(s, true); }

void History::Close(const Editing_State& s, bool check) noexcept {
  if (applying_ || depth_ == 0 || --depth_ > 0) return;
  Step step = std::move(open_);
  open_ = Step{};
  try {
    step.After = Shape_Of(s);
  } catch (...) {  // no memory for the durations: the change goes unrecorded
    Clear();
    failed_ = true;
  }
  // A command that changed nothing (a Resize to the same size) is no step.
  const bool keep = !failed_ && cap_ > 0 &&
                    (step.Before.Transparent != step.After.Transparent ||
                     step.Before.Frame_Ms != step.After.Frame_Ms ||
                     (!step.Parts.empty() && (!check || unchecked_ || Changes(s, step))));
  failed_ = false;
  if (!keep) return;
  try {
    step.Bytes = Bytes_Of(step);
    // A new change drops the steps ahead, and with them a saved one.
    for (std::size_t i = cursor_; i < steps_.size(); ++i) bytes_ -= steps_[i].Bytes;
    steps_.erase(steps_.begin() + std::ptrdiff_t(cursor_), steps_.end());
    if (saved_ && *saved_ > cursor_) saved_.reset();
    bytes_ += step.Bytes;
    steps_.push_back(std::move(step));
    ++cursor_;
    Trim();
  } catch (...) {
    Clear();
  }
}

void History::Add(Part part) {
  try {
    // The cap counts what the steps keep, compressed.
    std::size_t held = part.Held.Bytes();
    for (const Part& p : open_.Parts) held += p.Held.Bytes();
    if (held > cap_) {
      Cut();
      Fail();
      return;
    }
    open_.Parts.push_back(std::move(part));
  } catch (...) {
    Fail();
  }
}

Raster_Image History::Keep(const Raster_Image& strip, const Rect& r) {
  if (!Recording()) return {};
  // The copy is kept compressed, so only what the step holds already tells
  // whether it can fit; Add tells the rest.
  std::size_t held = 0;
  for (const Part& p : open_.Parts) held += p.Held.Bytes();
  if (held > cap_) {
    Cut();
    Fail();
    return {};
  }
  try {
    Raster_Image copy = Raster_Image::Unfilled(r.Right - r.Left, r.Bottom - r.Top);
    BitBlt(copy, -r.Left, -r.Top, strip);
    return copy;
  } catch (...) {  // out of memory: Toolkit_Error or bad_alloc
    Fail();
    return {};
  }
}

void History::Changed_Pixels(const Rect& r, Raster_Image before) {
  if (!Recording() || before.Empty()) return;
  try {
    Add({Part::Pixels, r, Held_Pixels(before)});
  } catch (...) {
    Fail();
  }
}

void History::Inserted_Frames(int at, int count) {
  if (Recording() && count > 0) Add({Part::Frames_In, {at, 0, at + count, 0}, {}});
}

void History::Removed_Frames(int at, int count, Raster_Image frames) {
  if (!Recording() || frames.Empty()) return;
  try {
    Add({Part::Frames_Out, {at, 0, at + count, 0}, Held_Pixels(frames)});
  } catch (...) {
    Fail();
  }
}

void History::Replaced_Strip(Raster_Image old) {
  if (!Recording()) return;
  try {
    Add({Part::Strip, {}, Held_Pixels(old)});
  } catch (...) {
    Fail();
  }
}

void History::Record_Edit(const Editing_State& s, const std::string& name) noexcept {
  Record_Changes(s, name, true);
}

void History::Record_Pending(const Editing_State& s) noexcept {
  Record_Changes(s, pending_name_, false);
}

void History::Record_Changes(const Editing_State& s, const std::string& name,
                             bool must_fit) noexcept {
  if (cap_ == 0 || applying_) return;
  try {
    Record_Frame_Changes(s, name, must_fit);
  } catch (...) {  // no memory for the step's name: nothing was opened
    Fail();
    Rebase(s);
  }
}

void History::Record_Frame_Changes(const Editing_State& s, const std::string& name, bool must_fit) {
  const Raster_Image& frame = s.Working_Frame;
  const bool fits = base_frame_ == s.Cur_Frame && base_frame_ < s.Frame_Total &&
                    base_.Width() == frame.Width() && base_.Height() == frame.Height() &&
                    frame.Width() == s.Frame_Size && frame.Height() == s.Frame_Size;
  if (!fits) {
    // A change made without a base cannot be taken back: the history could
    // not go back past it.
    if (must_fit) {
      Clear();
      Rebase(s);
    }
    return;
  }
  const Rect r = Changed_Rect(base_, frame);
  if (r.Right == r.Left) return;
  const int left = s.Frame_Left(base_frame_);
  Open(s, name);
  Changed_Pixels({left + r.Left, r.Top, left + r.Right, r.Bottom}, Keep(base_, r));
  unchecked_ = true;
  Copy_Rect(base_, r, frame, r);
  // The working frame changed, and the strip gets the change only after this.
  Close(s, false);
}

void History::Rebase(const Editing_State& s) {
  if (cap_ == 0) return;
  try {
    if (base_.Width() != s.Working_Frame.Width() || base_.Height() != s.Working_Frame.Height())
      base_ = Raster_Image::Unfilled(s.Working_Frame.Width(), s.Working_Frame.Height());
    BitBlt(base_, 0, 0, s.Working_Frame);
    base_frame_ = s.Cur_Frame;
  } catch (...) {
    base_ = Raster_Image();
    base_frame_ = -1;
    Fail();
  }
}

// Each kind gets every memory it needs before it changes the document, so a
// part is taken whole or not at all.
void History::Apply(Part& part, Editing_State& s) {
  const int first = part.Area.Left, count = part.Area.Right - part.Area.Left;
  switch (part.Kind) {
    case Part::Pixels: {
      Held_Pixels keep(s.Anim_Strip, part.Area);
      part.Held.Unpack_Into(s.Anim_Strip, part.Area.Left, part.Area.Top);
      part.Held = std::move(keep);
      break;
    }
    case Part::Frames_In: {
      Raster_Image frames = Raster_Image::Unfilled(count * s.Frame_Size, s.Frame_Size);
      BitBlt(frames, -s.Frame_Left(first), 0, s.Anim_Strip);
      Held_Pixels keep(frames);
      Remove_Frames(s, first, count);
      part.Held = std::move(keep);
      part.Kind = Part::Frames_Out;
      break;
    }
    case Part::Frames_Out:
      Insert_Frames(s, first, part.Held.Unpack());
      part.Held = Held_Pixels();
      part.Kind = Part::Frames_In;
      break;
    case Part::Strip: {
      Raster_Image other = part.Held.Unpack();
      Held_Pixels keep(s.Anim_Strip);
      std::swap(s.Anim_Strip, other);
      s.Anim_Strip.Touch();
      part.Held = std::move(keep);
      break;
    }
  }
}

void History::Take(Editing_State& s, Step& step, bool back, const std::function<void()>& then) {
  struct Applying {
    bool& on;
    explicit Applying(bool& b) : on(b) { on = true; }
    ~Applying() { on = false; }
  } applying(applying_);
  const int n = int(step.Parts.size());
  auto part = [&](int k) -> Part& { return step.Parts[std::size_t(back ? n - 1 - k : k)]; };
  auto set = [&s](const Shape& to) {
    s.Frame_Ms = to.Frame_Ms.empty() ? std::vector<int>(std::size_t(to.Frame_Total), Follow_Speed)
                                     : to.Frame_Ms;
    s.Frame_Size = to.Frame_Size;
    s.Frame_Total = to.Frame_Total;
    s.Cur_Frame = to.Cur_Frame;
    s.Anim_Strip.Fill_Colour = to.Fill;
    s.Transparent_Colour = to.Transparent;
  };
  const Shape from = Shape_Of(s);
  const Shape& to = back ? step.Before : step.After;
  int done = 0;
  try {
    for (; done < n; ++done) Apply(part(done), s);
    set(to);
    if (then) then();
  } catch (...) {
    try {
      while (done > 0) Apply(part(--done), s);
      set(from);
    } catch (...) {
      // The way back failed too: keep the strip whole as it is, without a
      // history that no longer matches it.
      Clear();
      s.Frame_Total = std::max(1, s.Anim_Strip.Width() / std::max(1, s.Frame_Size));
      s.Cur_Frame = std::clamp(s.Cur_Frame, 0, s.Frame_Total - 1);
      s.Frame_Ms.resize(std::size_t(s.Frame_Total), Follow_Speed);
    }
    throw;
  }
  bytes_ -= step.Bytes;
  step.Bytes = Bytes_Of(step);
  bytes_ += step.Bytes;
}

void History::Back(Editing_State& s, const std::function<void()>& then) {
  if (!Can_Back()) return;
  Take(s, steps_[cursor_ - 1], true, then);
  --cursor_;
  // A step taken back that now holds more than the cap cannot be redone.
  if (steps_[cursor_].Bytes > cap_) {
    for (std::size_t i = cursor_; i < steps_.size(); ++i) bytes_ -= steps_[i].Bytes;
    steps_.erase(steps_.begin() + std::ptrdiff_t(cursor_), steps_.end());
    if (saved_ && *saved_ > cursor_) saved_.reset();
  }
  Trim();
}

void History::Forward(Editing_State& s, const std::function<void()>& then) {
  if (!Can_Forward()) return;
  Take(s, steps_[cursor_], false, then);
  ++cursor_;
  Trim();
}

Step_Scope::Step_Scope(Editing_State& s, const std::string& name) : s_(s) {
  s.Anim_History.Begin(s, name);
}

Step_Scope::~Step_Scope() { s_.Anim_History.End(s_); }

Frame_Edit_Scope::Frame_Edit_Scope(Editing_State& s, std::string name)
    : s_(s), name_(std::move(name)) {
  s.Anim_History.Record_Pending(s);
  s.Anim_History.Name_Edit(name_);
}

Frame_Edit_Scope::~Frame_Edit_Scope() { s_.Anim_History.Record_Edit(s_, name_); }

}  // namespace tolvane
