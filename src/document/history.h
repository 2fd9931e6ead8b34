#pragma once
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/held_pixels.h"
#include "image/raster_image.h"
#include "image/rect.h"

namespace tolvane {

struct Editing_State;

// The document's history: every change of the animation's content is one
// step, and the document steps back and forward through them. A step keeps
// only what its change touched: the pixels of a rectangle or of whole frames,
// where frames went in, or the strip a change replaced. Taking a step
// exchanges what it keeps with what the document holds, so a step holds one
// copy whichever way it was last taken. The steps' bytes are capped; the
// oldest go first.
//
// Strip edits record their parts between Begin and End (Step_Scope), which
// gather one command's edits into one step. Changes of the working frame are
// found by comparing it with a copy of it as last recorded, the base: at the
// end of each editing command (Frame_Edit_Scope) and whenever the working
// frame is committed, so that no change reaches the strip unrecorded.
class History {
 public:
  static constexpr std::size_t Default_Cap = std::size_t{256} << 20;

  History() = default;
  History(const History&) = delete;
  History& operator=(const History&) = delete;

  // 0 keeps no history at all; a smaller cap drops the oldest steps now.
  void Set_Cap(std::size_t bytes);
  std::size_t Cap() const { return cap_; }
  // What the steps hold, pixels and bookkeeping.
  std::size_t Bytes() const { return bytes_; }
  int Steps() const { return int(steps_.size()); }
  // The steps before Cursor() lie behind the document, the rest ahead of it.
  int Cursor() const { return int(cursor_); }
  bool Can_Back() const { return cursor_ > 0; }
  bool Can_Forward() const { return cursor_ < steps_.size(); }
  // The names of the commands that Back and Forward would take back or redo.
  std::string Back_Name() const;
  std::string Forward_Name() const;

  // A history that begins at the document as it is (New, Load); `saved`:
  // the document is what its file holds.
  void Start(const Editing_State& s, bool saved);
  // Every step goes, and with them which one was saved.
  void Clear();
  void Mark_Saved() { saved_ = cursor_; }
  void Forget_Saved() { saved_.reset(); }
  // The document is at the step last saved.
  bool At_Saved() const { return saved_ == cursor_; }
  // Steps have been dropped to stay within the cap, at some time so far.
  bool Was_Cut() const { return cut_; }

  // Recording a step. Nested pairs join the outermost, whose name the step
  // takes; End records it when a part was added. The parts are added just
  // after the change they describe, so a change that failed adds none.
  void Begin(const Editing_State& s, const std::string& name);
  void End(const Editing_State& s) noexcept;
  // Before a change: a copy of the pixels of r, for the step. Empty when
  // nothing is recorded; when the copy cannot be had or would not fit under
  // the cap, the history is cleared first and the change goes on unrecorded.
  Raster_Image Keep(const Raster_Image& strip, const Rect& r);
  void Changed_Pixels(const Rect& r, Raster_Image before);
  void Inserted_Frames(int at, int count);
  void Removed_Frames(int at, int count, Raster_Image frames);
  void Replaced_Strip(Raster_Image old);

  // The working frame. Record_Edit makes its changes since the base one step
  // named `name`; Record_Pending does the same for changes no command has
  // recorded yet (a drag still running), under the name Name_Edit gave last.
  // Rebase takes the working frame as it now is as the base (it was loaded).
  void Name_Edit(const std::string& name) { pending_name_ = name; }
  void Record_Edit(const Editing_State& s, const std::string& name) noexcept;
  void Record_Pending(const Editing_State& s) noexcept;
  void Rebase(const Editing_State& s);

  // Taking a step: the strip, Frame_Size, Frame_Total, Cur_Frame, the
  // strip's Fill_Colour, the frames' durations and the transparent colour
  // become what they were before (Back) or after
  // (Forward) the step's change; the working frame is the caller's. The
  // strip must hold the document (the working frame committed). `then` runs
  // with the step taken (to lay out views for a new frame size); when it or
  // the step fails, the document is put back and the error passed on.
  void Back(Editing_State& s, const std::function<void()>& then = {});
  void Forward(Editing_State& s, const std::function<void()>& then = {});

 private:
  struct Shape {
    int Frame_Size = 0, Frame_Total = 0, Cur_Frame = 0;
    Colour Fill = 0;
    std::optional<Colour> Transparent;
    std::vector<int> Frame_Ms;  // empty while every frame follows the speed
  };
  struct Part {
    // Pixels: Area of the strip, exchanged with Held. Frames_In: frames
    // Area.Left .. Area.Right - 1 are in the strip; Frames_Out: they are in
    // Held. Strip: the other strip is in Held. Held is kept compressed.
    enum Kind { Pixels, Frames_In, Frames_Out, Strip } Kind;
    Rect Area;
    Held_Pixels Held;
  };
  struct Step {
    std::string Name;
    Shape Before, After;
    std::vector<Part> Parts;
    std::size_t Bytes = 0;
  };

  static Shape Shape_Of(const Editing_State& s);
  static std::size_t Bytes_Of(const Step& step);
  // Whether taking the step back would change the document at all.
  static bool Changes(const Editing_State& s, const Step& step);
  void Cut();
  bool Recording() const { return cap_ > 0 && depth_ > 0 && !failed_ && !applying_; }
  void Add(Part part);
  void Fail();
  void Trim();
  void Open(const Editing_State& s, const std::string& name);
  // End; `check`: keep the step only if it changes the document.
  void Close(const Editing_State& s, bool check) noexcept;
  void Record_Changes(const Editing_State& s, const std::string& name, bool must_fit) noexcept;
  void Record_Frame_Changes(const Editing_State& s, const std::string& name, bool must_fit);
  void Take(Editing_State& s, Step& step, bool back, const std::function<void()>& then);
  void Apply(Part& part, Editing_State& s);

  std::deque<Step> steps_;
  std::size_t cursor_ = 0, bytes_ = 0, cap_ = Default_Cap;
  std::optional<std::size_t> saved_;

  Step open_;
  int depth_ = 0;
  bool failed_ = false, applying_ = false, cut_ = false;
  // The open step holds a change of the working frame, which the strip does
  // not show yet: it is kept without comparing it with the strip.
  bool unchecked_ = false;

  Raster_Image base_;
  int base_frame_ = -1;
  std::string pending_name_ = "Drawing";
};

// One command's strip edits as one step, from construction to destruction.
class Step_Scope {
 public:
  Step_Scope(Editing_State& s, const std::string& name);
  ~Step_Scope();
  Step_Scope(const Step_Scope&) = delete;
  Step_Scope& operator=(const Step_Scope&) = delete;

 private:
  Editing_State& s_;
};

// One command's changes of the working frame as one step: what was still
// unrecorded before it becomes a step of its own first.
class Frame_Edit_Scope {
 public:
  Frame_Edit_Scope(Editing_State& s, std::string name);
  ~Frame_Edit_Scope();
  Frame_Edit_Scope(const Frame_Edit_Scope&) = delete;
  Frame_Edit_Scope& operator=(const Frame_Edit_Scope&) = delete;

 private:
  Editing_State& s_;
  std::string name_;
};

}  // namespace tolvane
