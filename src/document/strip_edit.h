#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "document/editing_state.h"

namespace tolvane {

// Frame edits of the strip over the editing state. Each one first makes the
// room or the strip it needs, and only then moves or writes frames: when the
// strip cannot be had, the edit throws and the document is left whole. None
// of them commits the working frame; callers that keep its changes commit
// first. Frames given in an image stand side by side, Frame_Size square.
// Durations go with the frames (Editing_State::Frame_Ms): `durations` holds
// one per frame given, an empty one means they all follow the speed, and a
// value out of range is brought into it (Clamp_Duration).
// Each records its change in the document's history (one step, or a part of
// the step of the caller's Step_Scope); a failure to record clears the
// history and lets the edit go on.

// Throws the toolkit's out-of-memory error when a strip of width x height
// (computed by the caller in 64 bits) is beyond what an image may hold.
void Check_Strip_Size(std::int64_t width, int height);

// One frame after the last, in the strip's Fill_Colour, following the speed.
void Append_Blank_Frame(Editing_State& s);

// A frame of `colour` before frame `at`; the strip's Fill_Colour becomes
// `colour`.
void Insert_Blank_Frame(Editing_State& s, int at, Colour colour);

// The frames before frame `at`; the frames from `at` on move behind them.
void Insert_Frames(Editing_State& s, int at, const Raster_Image& frames,
                   const std::vector<int>& durations = {});

// The frames after the last.
void Append_Frames(Editing_State& s, const Raster_Image& frames,
                   const std::vector<int>& durations = {});

// The frames written over frame `at` and those after it; the strip grows
// where they reach past its end. Without durations the frames written over
// keep theirs and those added follow the speed.
void Replace_Frames(Editing_State& s, int at, const Raster_Image& frames,
                    const std::vector<int>& durations = {});

// Frames first..last take the duration ms (Follow_Speed: they follow the
// speed again), as one step named "Frame Timing".
void Set_Durations(Editing_State& s, int first, int last, int ms);

// Frame `at` taken out; the frames after it move up. Works within the strip
// it has, so it allocates no image beyond the history's copy of the frame.
void Remove_Frame(Editing_State& s, int at);

// The same for `count` frames from `at`, unrecorded (the history's own).
void Remove_Frames(Editing_State& s, int at, int count);

// `strip` becomes the document's strip with frames of `frame_size` and
// their `durations`, and `then` runs with it in place (the layout, which
// allocates the views). When `then` throws, the old strip, frame size, count
// and durations come back.
void Replace_Strip(Editing_State& s, Raster_Image strip, int frame_size,
                   const std::function<void()>& then, const std::vector<int>& durations = {});

// `durations` made one per frame of `count`: cut or filled with
// Follow_Speed, each value brought into its range.
std::vector<int> Fit_Durations(std::vector<int> durations, int count);

// Every frame rebuilt at `frame_size` (Resize_Frames: `method` 0 mounts or
// crops on `mount`, 1 stretches), pumping through `pump`; then `then` runs
// with it in place (the layout). When either throws, the old strip and frame
// size come back.
void Resize_Strip(Editing_State& s, int frame_size, Colour mount, int method,
                  const std::function<void()>& pump, const std::function<void()>& then);

// Every pixel of `from` in frames `first` to `last` made `to`; the history
// keeps only the rectangle around the pixels changed. Returns how many.
std::int64_t Replace_Colour(Editing_State& s, int first, int last, Colour from, Colour to);

}  // namespace tolvane
