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

void Recovery_Keeper::Collect() {
  if (!worker_.joinable() || !done_.load(std::memory_order_acquire)) return;
  worker_.join();
  done_.store(false, std::memory_order_relaxed);
  // The snapshot was the worker's alone: at rest it would be a second copy of
  // the whole strip, so it goes back to the system, not to the spare kept
  // for the next large image. The next copy, 30 s on, takes a new one.
  shadow_ = Raster_Image();
  Release_Spare_Pixels();
  if (cancelled_) return;
  if (failure_.empty())
    strip_ = new_strip_;
  else
    Failed(failure_);
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
    if (pending_since_ || copied_rows_ >= 0 || !strip_.empty() || worker_.joinable()) Discard();
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
    // No folder or no memory for the snapshot: the document is untouched.
    copied_rows_ = -1;
    shadow_ = Raster_Image();
    pending_since_.reset();
    write_started_ = now_ms;
    Failed(e.what());
    return Look_Ms;
  }
  Start_Write(doc, now_ms);
  return Look_Ms;
}

// Copies the next rows of the strip into the shadow; true when all of it
// is there and still the strip's.
bool Recovery_Keeper::Copy_Step(const Editing_State& doc) {
  const Raster_Image& strip = doc.Anim_Strip;
  if (copied_rows_ < 0 || strip.Serial() != copied_serial_ || shadow_.Width() != strip.Width() ||
      shadow_.Height() != strip.Height()) {
    if (shadow_.Width() != strip.Width() || shadow_.Height() != strip.Height())
      shadow_ = Raster_Image::Unfilled(strip.Width(), strip.Height());
    copied_rows_ = 0;
    copied_serial_ = strip.Serial();
  }
  const std::size_t row_bytes = std::size_t(strip.Width()) * sizeof(Colour);
  const int rows = int(std::max<std::size_t>(1, Step_Bytes / std::max<std::size_t>(row_bytes, 1)));
  const int end = std::min(strip.Height(), copied_rows_ + rows);
  if (end > copied_rows_)
    std::memcpy(shadow_.Row(copied_rows_), strip.Row(copied_rows_),
                row_bytes * std::size_t(end - copied_rows_));
  copied_rows_ = end;
  return copied_rows_ == strip.Height();
}

void Recovery_Keeper::Start_Write(const Editing_State& doc, std::int64_t now_ms) {
  copied_rows_ = -1;
  // Drawing lives in the working frame until it is committed.
  if (doc.Frame_Edited) BitBlt(shadow_, doc.Frame_Left(doc.Cur_Frame), 0, doc.Working_Frame);
  Recovery_Info info;
  info.Path = doc.Anim_File_Name.empty() ? New_Anim_Name : doc.Anim_File_Name;
  info.Frame_Size = doc.Frame_Size;
  info.Frame_Total = doc.Frame_Total;
  info.Section_Start = doc.Section_Start;
  info.Section_End = doc.Section_End;
  info.Transparent = doc.Transparent_Colour;
  if (doc.Has_Own_Durations()) info.Frame_Ms = doc.Frame_Ms;
  info.Time = change_time_;
  info.Strip = store_.Strip_Name(++generation_);
  pending_since_.reset();
  write_started_ = now_ms;
  ++writes_;
  cancelled_ = false;
  failure_.clear();
  new_strip_ = info.Strip;
  worker_ = std::jthread([this, info = std::move(info), old = strip_](std::stop_token stop) {
    Write(stop, info, old);
  });
}

void Recovery_Keeper::Write(std::stop_token stop, Recovery_Info info, std::string old_strip) {
  const std::string strip = store_.Path_Of(info.Strip);
  try {
    // A discard or the end of the program stops the encoding at the next
    // block; the safe save then leaves no file. The copy is soon replaced,
    // so it is deflated at the fastest level.
    Png_Rows rows = Png_Rows_Of(shadow_);
    rows.Fast = true;
    Write_Png(strip, rows, std::nullopt,
              [&stop](int fd, const void* data, std::size_t size) -> long {
                if (stop.stop_requested()) {
                  errno = ECANCELED;
                  return -1;
                }
                return long(::write(fd, data, size));
              });
    std::lock_guard lock(files_);
    std::error_code ignored;
    if (cancelled_) {
      std::filesystem::remove(strip, ignored);
    } else {
      try {
        store_.Write_Info(info);
      } catch (...) {
        std::filesystem::remove(strip, ignored);
        throw;
      }
      if (!old_strip.empty()) std::filesystem::remove(store_.Path_Of(old_strip), ignored);
    }
  } catch (const std::exception& e) {
    failure_ = e.what();
  }
  done_.store(true, std::memory_order_release);
}

void Recovery_Keeper::Discard() {
  pending_since_.reset();
  copied_rows_ = -1;
  {
    std::lock_guard lock(files_);
    cancelled_ = true;
    if (worker_.joinable()) worker_.request_stop();
    store_.Remove_Own();
  }
  strip_.clear();
  if (!worker_.joinable()) shadow_ = Raster_Image();
}

void Recovery_Keeper::Adopted(const Editing_State& doc, const std::string& strip) {
  pending_since_.reset();
  copied_rows_ = -1;
  strip_ = strip;
  seen_ = Sign(doc);
  change_time_ = Wall_Seconds();
}

}  // namespace tolvane
