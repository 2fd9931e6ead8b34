#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
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
// The copy is the strip in runs of frames of about Run_Bytes each, a PNG
// per run. The keeper remembers a fingerprint of each run it wrote; starting
// a copy fingerprints the strip, a few megabytes per tick so the window
// never stalls on a large strip, and takes snapshots of only the runs that
// changed. A strip that changes under the look makes it start over; a new
// frame size or count makes every run new. The working frame is laid over
// its run with the last piece, and that run's fingerprint is of it as drawn. A worker thread then
// encodes the changed runs, writes them with the safe save, one copy at a time, then the metadata
// naming old and new runs, and only then removes the runs it no longer names.
class Recovery_Keeper {
 public:
  static constexpr std::int64_t Delay_Ms = 30000;
  static constexpr int Look_Ms = 1000;  // how often Tick looks for changes
  static constexpr int Step_Ms = 10;    // between pieces of a snapshot
  static constexpr std::size_t Step_Bytes = std::size_t(4) << 20;
  static constexpr std::size_t Run_Bytes = std::size_t(1) << 20;
  // Frames per run for frames of `frame_size`: at least one.
  static int Run_Frames(int frame_size);

  // The delay is Delay_Ms unless the environment's TOLVANE_RECOVERY_DELAY_MS
  // gives a whole number of milliseconds of at least 1, so that scripted
  // runs need not wait half a minute for a copy.
  static std::int64_t Delay_From_Environment();
  explicit Recovery_Keeper(Recovery_Store& store, std::int64_t delay_ms = Delay_From_Environment());
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
  // copy is up to date, though its runs are rewritten at the next copy.
  void Adopted(const Editing_State& doc);

  // The first failed write's message, once per session; later failures are
  // retried 30 s after the last attempt without a word.
  std::optional<std::string> Take_Failure();

  bool Writing() const { return worker_.joinable(); }
  // Waits until the running write has ended.
  void Wait();
  int Writes() const { return writes_; }              // snapshots handed to the worker
  int Runs_Written() const { return runs_written_; }  // run files, all copies

 private:
  using Signature = std::tuple<std::uint64_t, std::uint64_t, bool, int, int, int, int, int,
                               std::string, std::optional<Colour>, std::vector<int>>;
  static Signature Sign(const Editing_State& doc);
  // What a look at the strip is of: it starts over when this changes.
  using Look_Key = std::tuple<std::uint64_t, int, int>;
  static Look_Key Look_Of(const Editing_State& doc);
  // A run that changed since it was last written, on its way to a file.
  struct Changed_Run {
    int Index;
    Raster_Image Pixels;
  };
  void Collect();
  void Failed(const std::string& message);
  void End_Look();
  bool Copy_Step(const Editing_State& doc);
  void Start_Write(const Editing_State& doc, std::int64_t now_ms);
  void Write(std::stop_token stop, Recovery_Info info);

  Recovery_Store& store_;
  const std::int64_t delay_ms_;
  std::optional<Signature> seen_;
  std::optional<std::int64_t> last_look_, pending_since_;
  std::int64_t change_time_ = 0;  // wall clock, seconds, of the last change seen
  std::int64_t write_started_ = 0;

  // The look under way, if any: the run and its row reached, whether that
  // run is being fingerprinted or copied, the fingerprints so far and the
  // snapshots of the runs that changed.
  std::optional<Look_Key> look_;
  int look_run_ = 0, look_row_ = 0;
  bool look_copying_ = false;
  struct Hasher;  // the fingerprint of the run under way
  std::unique_ptr<Hasher> hasher_;
  std::vector<std::uint64_t> look_hashes_;
  std::vector<Changed_Run> changed_;

  // The runs the metadata names now, with their fingerprints, and the frame
  // size and count they were cut for; empty after an adoption.
  struct Written {
    int Frame_Size = 0, Frame_Total = 0;
    std::vector<std::string> Names;
    std::vector<std::uint64_t> Hashes;
  };
  Written written_, next_written_;  // next: what the worker is writing
  bool own_copy_ = false;           // the metadata of this process exists
  int generation_ = 0;
  int runs_written_ = 0;

  std::mutex files_;  // the worker's last step against Discard
  bool cancelled_ = false;
  std::atomic<bool> done_{false};
  std::string failure_;               // the worker's, read after it is done
  std::vector<Changed_Run> writing_;  // the worker's
  std::optional<std::string> unreported_;
  bool reported_ = false;
  int writes_ = 0;
  std::jthread worker_;
};

}  // namespace tolvane
