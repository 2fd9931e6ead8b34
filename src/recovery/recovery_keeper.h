#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

#include "document/editing_state.h"
#include "image/raster_image.h"
#include "recovery/recovery_store.h"

namespace tolvane {

// Keeps a recovery copy of an unsaved document. The main window calls Tick
// between commands on its own thread; a copy is written 30 s after a change
// is first seen, and so never more often than every 30 s, and is removed
// once the document has no unsaved changes.
//
// Starting a copy takes a snapshot of the strip into a buffer of the
// keeper's own, a few megabytes per tick, so the window never stalls on a
// large strip; a strip that changes under the copy makes it start over. The
// working frame and the metadata are taken with the last piece. A worker
// thread then encodes the PNG and writes it with the safe save, one copy at
// a time, and the metadata after it.
class Recovery_Keeper {
 public:
  static constexpr std::int64_t Delay_Ms = 30000;
  static constexpr int Look_Ms = 1000;  // how often Tick looks for changes
  static constexpr int Step_Ms = 10;    // between pieces of a snapshot
  static constexpr std::size_t Step_Bytes = std::size_t(4) << 20;

  // The delay is Delay_Ms unless the environment's TOLVANE_RECOVERY_DELAY_MS
  // gives a whole number of milliseconds of at least 1, so that scripted
  // runs need not wait half a minute for a copy.
  static std::int64_t Delay_From_Environment();
  explicit Recovery_Keeper(Recovery_Store& store, std::int64_t delay_ms = Delay_From_Environment())
      : store_(store), delay_ms_(delay_ms) {}
  ~Recovery_Keeper();
  Recovery_Keeper(const Recovery_Keeper&) = delete;
  Recovery_Keeper& operator=(const Recovery_Keeper&) = delete;

  // One look at the document at now_ms on a steady clock. No snapshot starts
  // while busy (a stroke is being dragged). Returns the milliseconds after
  // which it wants the next look.
  int Tick(const Editing_State& doc, std::int64_t now_ms, bool busy = false);
  // Removes the copy: the document was saved, closed or replaced.
  void Discard();
  // The document was just installed from a copy the store adopted: that
  // copy is up to date.
  void Adopted(const Editing_State& doc, const std::string& strip);

  // The first failed write's message, once per session; later failures are
  // retried 30 s after the last attempt without a word.
  std::optional<std::string> Take_Failure();

  bool Writing() const { return worker_.joinable(); }
  // Waits until the running write has ended.
  void Wait();
  int Writes() const { return writes_; }  // snapshots handed to the worker

 private:
  using Signature = std::tuple<std::uint64_t, std::uint64_t, bool, int, int, int, int, int,
                               std::string, std::optional<Colour>, std::vector<int>>;
  static Signature Sign(const Editing_State& doc);
  void Collect();
  void Failed(const std::string& message);
  bool Copy_Step(const Editing_State& doc);
  void Start_Write(const Editing_State& doc, std::int64_t now_ms);
  void Write(std::stop_token stop, Recovery_Info info, std::string old_strip);

  Recovery_Store& store_;
  const std::int64_t delay_ms_;
  std::optional<Signature> seen_;
  std::optional<std::int64_t> last_look_, pending_since_;
  std::int64_t change_time_ = 0;  // wall clock, seconds, of the last change seen
  std::int64_t write_started_ = 0;

  Raster_Image shadow_;
  int copied_rows_ = -1;  // -1: no snapshot under way
  std::uint64_t copied_serial_ = 0;
  int generation_ = 0;
  std::string strip_;  // the strip the metadata names now, if any

  std::mutex files_;  // the worker's last step against Discard
  bool cancelled_ = false;
  std::atomic<bool> done_{false};
  std::string failure_;  // the worker's, read after it is done
  std::string new_strip_;
  std::optional<std::string> unreported_;
  bool reported_ = false;
  int writes_ = 0;
  std::jthread worker_;
};

}  // namespace tolvane
