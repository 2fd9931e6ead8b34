#include "recovery/recovery_keeper.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <utility>

#define XXH_STATIC_LINKING_ONLY  // for a fingerprint state kept across ticks
#include <xxhash.h>

#include "image/image_error.h"
#include "png/png.h"

namespace tolvane {

namespace {

std::int64_t Wall_Seconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::int64_t Recovery_Keeper::Delay_From_Environment() {
  const char* text = std::getenv("TOLVANE_RECOVERY_DELAY_MS");
  if (!text) return Delay_Ms;
  const std::string_view s(text);
  std::int64_t ms = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), ms);
  return ec == std::errc() && end == s.data() + s.size() && ms >= 1 ? ms : Delay_Ms;
}

int Recovery_Keeper::Run_Frames(int frame_size) {
  const std::size_t frame_bytes =
      std::size_t(std::max(frame_size, 1)) * std::size_t(std::max(frame_size, 1)) * sizeof(Colour);
  return int(std::max<std::size_t>(1, Run_Bytes / frame_bytes));
}

struct Recovery_Keeper::Hasher {
  XXH3_state_t State;
};

Recovery_Keeper::Recovery_Keeper(Recovery_Store& store, std::int64_t delay_ms)
    : store_(store), delay_ms_(delay_ms), hasher_(std::make_unique<Hasher>()) {}

Recovery_Keeper::~Recovery_Keeper() {
  if (worker_.joinable()) {
    worker_.request_stop();
    worker_.join();
  }
}

Recovery_Keeper::Signature Recovery_Keeper::Sign(const Editing_State& doc) {
  return {doc.Anim_Strip.Serial(),
          doc.Working_Frame.Serial(),
          doc.Frame_Edited,
          doc.Cur_Frame,
          doc.Frame_Size,
          doc.Frame_Total,
          doc.Section_Start,
          doc.Section_End,
          doc.Anim_File_Name,
          doc.Transparent_Colour,
          doc.Frame_Ms};
}

Recovery_Keeper::Look_Key Recovery_Keeper::Look_Of(const Editing_State& doc) {
  return {doc.Anim_Strip.Serial(), doc.Frame_Size, doc.Frame_Total};
}

void Recovery_Keeper::Collect() {
  if (!worker_.joinable() || !done_.load(std::memory_order_acquire)) return;
  worker_.join();
  done_.store(false, std::memory_order_relaxed);
  // The snapshots were the worker's alone: at rest they would be a second
  // copy of what changed, so they go back to the system, not to the spare
  // kept for the next large image.
  writing_.clear();
  writing_.shrink_to_fit();
  Release_Spare_Pixels();
  Written next = std::exchange(next_written_, {});
  if (cancelled_) return;
  if (failure_.empty()) {
    written_ = std::move(next);
    own_copy_ = true;
  } else {
    Failed(failure_);
  }
}

void Recovery_Keeper::End_Look() {
  look_.reset();
  look_hashes_ = {};
  changed_ = {};
}

void Recovery_Keeper::Failed(const std::string& message) {
  // Tried again 30 s after this attempt began, changed or not.
  if (!pending_since_) pending_since_ = write_started_;
  if (!reported_) unreported_ = message;
  reported_ = true;
}

void Recovery_Keeper::Wait() {
  if (!worker_.joinable()) return;
  while (!done_.load(std::memory_order_acquire))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  Collect();
}

std::optional<std::string> Recovery_Keeper::Take_Failure() {
  auto f = std::move(unreported_);
  unreported_.reset();
  return f;
}

int Recovery_Keeper::Tick(const Editing_State& doc, std::int64_t now_ms, bool busy) {
  Collect();
  const Signature sig = Sign(doc);
  if (!doc.Anim_Modified || doc.Anim_Strip.Empty()) {
    if (pending_since_ || look_ || own_copy_ || worker_.joinable()) Discard();
    seen_ = sig;
    last_look_ = now_ms;
    return Look_Ms;
  }
  if (sig != seen_) {
    // The change came after the last look: counting from it keeps the copy
    // within 30 s of the change however seldom the looks come.
    if (!pending_since_) pending_since_ = last_look_.value_or(now_ms);
    seen_ = sig;
    change_time_ = Wall_Seconds();
  }
  last_look_ = now_ms;
  if (!pending_since_) return Look_Ms;
  const std::int64_t due = *pending_since_ + delay_ms_;
  if (now_ms < due) return int(std::min<std::int64_t>(due - now_ms, Look_Ms));
  if (busy || worker_.joinable()) return 100;
  try {
    store_.Open();
    if (!Copy_Step(doc)) return Step_Ms;
  } catch (const std::exception& e) {
    // No folder or no memory for the snapshots: the document is untouched.
    End_Look();
    pending_since_.reset();
    write_started_ = now_ms;
    Failed(e.what());
    return Look_Ms;
  }
  Start_Write(doc, now_ms);
  return Look_Ms;
}

// Takes the next piece of the look: fingerprints the strip a run at a time
// and copies each run that differs from what its file holds; true when the
// whole strip has been looked at and is still the same.
bool Recovery_Keeper::Copy_Step(const Editing_State& doc) {
  const Raster_Image& strip = doc.Anim_Strip;
  const int size = doc.Frame_Size, total = doc.Frame_Total;
  if (size <= 0 || total <= 0 || strip.Height() != size ||
      std::int64_t(strip.Width()) != std::int64_t(size) * total)
    throw Toolkit_Error("the strip does not match its frames");
  if (look_ != Look_Of(doc)) {
    End_Look();
    look_ = Look_Of(doc);
    look_run_ = look_row_ = 0;
    look_copying_ = false;
    XXH3_64bits_reset(&hasher_->State);
  }
  const int per_run = Run_Frames(size);
  const int runs = (total + per_run - 1) / per_run;
  // With nothing to compare with, every run is copied, and fingerprinted
  // from its copy while that is still in the cache.
  const bool compared = written_.Frame_Size == size && written_.Frame_Total == total &&
                        written_.Hashes.size() == std::size_t(runs);
  std::size_t budget = Step_Bytes;
  while (look_run_ < runs && budget > 0) {
    const int first = look_run_ * per_run, frames = std::min(per_run, total - first);
    const std::size_t row_bytes = std::size_t(frames) * std::size_t(size) * sizeof(Colour);
    if (!look_copying_ && compared) {
      for (; look_row_ < size && budget > 0; ++look_row_) {
        XXH3_64bits_update(&hasher_->State, strip.Row(look_row_) + std::size_t(first) * size,
                           row_bytes);
        budget -= std::min(budget, row_bytes);
      }
      if (look_row_ < size) break;
      look_hashes_.push_back(XXH3_64bits_digest(&hasher_->State));
      XXH3_64bits_reset(&hasher_->State);
      look_row_ = 0;
      if (written_.Hashes[std::size_t(look_run_)] == look_hashes_.back()) {
        ++look_run_;
        continue;
      }
    }
    if (!look_copying_) {
      changed_.push_back({look_run_, Raster_Image::Unfilled(frames * size, size)});
      look_copying_ = true;
    }
    Raster_Image& pixels = changed_.back().Pixels;
    for (; look_row_ < size && budget > 0; ++look_row_) {
      Colour* to = pixels.Row(look_row_);
      std::memcpy(to, strip.Row(look_row_) + std::size_t(first) * size, row_bytes);
      if (!compared) XXH3_64bits_update(&hasher_->State, to, row_bytes);
      budget -= std::min(budget, row_bytes);
    }
    if (look_row_ < size) break;
    if (!compared) {
      look_hashes_.push_back(XXH3_64bits_digest(&hasher_->State));
      XXH3_64bits_reset(&hasher_->State);
    }
    look_row_ = 0;
    look_copying_ = false;
    ++look_run_;
  }
  if (look_run_ < runs) return false;
  // Drawing lives in the working frame until it is committed. It is taken
  // last, with one run at most, so that playing or drawing while the strip
  // is looked at does not make the look start over; its run counts as drawn.
  if (!doc.Frame_Edited || doc.Cur_Frame < 0 || doc.Cur_Frame >= total ||
      doc.Working_Frame.Width() != size || doc.Working_Frame.Height() != size)
    return true;
  const int run = doc.Cur_Frame / per_run, first = run * per_run;
  const int frames = std::min(per_run, total - first);
  const std::size_t at = std::size_t(doc.Cur_Frame - first) * size;
  auto snapshot = std::find_if(changed_.begin(), changed_.end(),
                               [run](const Changed_Run& c) { return c.Index == run; });
  if (snapshot == changed_.end()) {
    XXH3_64bits_reset(&hasher_->State);
    for (int y = 0; y < size; ++y) {
      const Colour* row = strip.Row(y) + std::size_t(first) * size;
      XXH3_64bits_update(&hasher_->State, row, at * sizeof(Colour));
      XXH3_64bits_update(&hasher_->State, doc.Working_Frame.Row(y),
                         std::size_t(size) * sizeof(Colour));
      XXH3_64bits_update(&hasher_->State, row + at + size,
                         (std::size_t(frames - 1) * size - at) * sizeof(Colour));
    }
    look_hashes_[std::size_t(run)] = XXH3_64bits_digest(&hasher_->State);
    if (compared && written_.Hashes[std::size_t(run)] == look_hashes_[std::size_t(run)])
      return true;
    changed_.push_back({run, Raster_Image::Unfilled(frames * size, size)});
    snapshot = changed_.end() - 1;
    for (int y = 0; y < size; ++y)
      std::memcpy(snapshot->Pixels.Row(y), strip.Row(y) + std::size_t(first) * size,
                  std::size_t(frames) * size * sizeof(Colour));
  }
  for (int y = 0; y < size; ++y)
    std::memcpy(snapshot->Pixels.Row(y) + at, doc.Working_Frame.Row(y),
                std::size_t(size) * sizeof(Colour));
  const Raster_Image& pixels = snapshot->Pixels;
  look_hashes_[std::size_t(run)] =
      XXH3_64bits(pixels.Data(), std::size_t(pixels.Width()) * size * sizeof(Colour));
  // The strip's run changed only where the working frame lies over it.
  if (compared && written_.Hashes[std::size_t(run)] == look_hashes_[std::size_t(run)])
    changed_.erase(snapshot);
  return true;
}

void Recovery_Keeper::Start_Write(const Editing_State& doc, std::int64_t now_ms) {
  Recovery_Info info;
  info.Path = doc.Anim_File_Name.empty() ? New_Anim_Name : doc.Anim_File_Name;
  info.Frame_Size = doc.Frame_Size;
  info.Frame_Total = doc.Frame_Total;
  info.Section_Start = doc.Section_Start;
  info.Section_End = doc.Section_End;
  info.Transparent = doc.Transparent_Colour;
  if (doc.Has_Own_Durations()) info.Frame_Ms = doc.Frame_Ms;
  info.Time = change_time_;
  info.Run_Frames = Run_Frames(doc.Frame_Size);
  // Unchanged runs keep the files they have; changed ones get new names, so
  // that the files the metadata names now stay whole until it names others.
  ++generation_;
  next_written_ = {doc.Frame_Size, doc.Frame_Total, {}, std::move(look_hashes_)};
  if (written_.Frame_Size == doc.Frame_Size && written_.Frame_Total == doc.Frame_Total)
    next_written_.Names = written_.Names;
  next_written_.Names.resize(next_written_.Hashes.size());
  for (const Changed_Run& run : changed_)
    next_written_.Names[std::size_t(run.Index)] = store_.Run_Name(generation_, run.Index);
  info.Runs = next_written_.Names;
  writing_ = std::move(changed_);
  End_Look();
  pending_since_.reset();
  write_started_ = now_ms;
  ++writes_;
  runs_written_ += int(writing_.size());
  cancelled_ = false;
  failure_.clear();
  worker_ =
      std::jthread([this, info = std::move(info)](std::stop_token stop) { Write(stop, info); });
}

void Recovery_Keeper::Write(std::stop_token stop, Recovery_Info info) {
  std::vector<std::string> made;
  const auto stoppable = [&stop](int fd, const void* data, std::size_t size) -> long {
    if (stop.stop_requested()) {
      errno = ECANCELED;
      return -1;
    }
    return long(::write(fd, data, size));
  };
  try {
    // A discard or the end of the program stops the encoding at the next
    // block; the safe save then leaves no file. The copy is soon replaced,
    // so it is deflated at the fastest level.
    for (const Changed_Run& run : writing_) {
      Png_Rows rows = Png_Rows_Of(run.Pixels);
      rows.Fast = true;
      const std::string path = store_.Path_Of(info.Runs[std::size_t(run.Index)]);
      Write_Png(path, rows, std::nullopt, stoppable);
      made.push_back(path);
    }
    std::lock_guard lock(files_);
    if (!cancelled_) {
      store_.Write_Info(info);
      made.clear();
      // The runs the old metadata named and this one does not.
      store_.Remove_Unnamed(info);
    }
  } catch (const std::exception& e) {
    failure_ = e.what();
  }
  {
    std::lock_guard lock(files_);
    std::error_code ignored;
    for (const std::string& path : made) std::filesystem::remove(path, ignored);
  }
  done_.store(true, std::memory_order_release);
}

void Recovery_Keeper::Discard() {
  pending_since_.reset();
  End_Look();
  {
    std::lock_guard lock(files_);
    cancelled_ = true;
    if (worker_.joinable()) worker_.request_stop();
    store_.Remove_Own();
  }
  own_copy_ = false;
  written_ = {};
}

void Recovery_Keeper::Adopted(const Editing_State& doc) {
  pending_since_.reset();
  End_Look();
  written_ = {};
  own_copy_ = true;
  seen_ = Sign(doc);
  change_time_ = Wall_Seconds();
}

}  // namespace tolvane
