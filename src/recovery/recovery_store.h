#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "image/raster_image.h"

namespace tolvane {

// What a recovery copy's metadata file says about its strip.
struct Recovery_Info {
  std::string Path;  // the document's file, or "NewAnim.BMP"
  int Frame_Size = 0, Frame_Total = 0;
  int Section_Start = 0, Section_End = 0;
  std::int64_t Time = 0;              // the last change, in seconds since 1970
  std::string Strip;                  // the one PNG of a copy in one file, else empty
  int Declined = 0;                   // how often a start offered it and heard No
  std::optional<Colour> Transparent;  // the document's transparent colour
  std::vector<int> Frame_Ms = {};     // the frames' durations; empty: all follow
  // A copy in runs: run k is a PNG of frames [k * Run_Frames, (k + 1) *
  // Run_Frames), the last one shorter; names hold no comma.
  int Run_Frames = 0;
  std::vector<std::string> Runs = {};
  // The files in the recovery folder that hold the pictures.
  std::vector<std::string> Files() const { return Runs.empty() ? std::vector{Strip} : Runs; }
  friend bool operator==(const Recovery_Info&, const Recovery_Info&) = default;
};

// The metadata file: key=value lines. Parsing gives nothing for a file that
// is not whole, names no strip, or names both a strip and runs, or holds
// numbers that do not fit together.
std::string Format_Recovery_Info(const Recovery_Info& info);
std::optional<Recovery_Info> Parse_Recovery_Info(std::string_view text);

// $XDG_STATE_HOME/tolvane/recovery, by default ~/.local/state/tolvane/recovery.
std::string Default_Recovery_Folder();

// A copy whose process has gone, with its strip read back and checked.
struct Recovered_Copy {
  std::string Key;
  Recovery_Info Info;
  Raster_Image Strip;
};

// The recovery folder. Each running program keeps its copy under a key of
// its process id and start time, "<pid>-<ms>": <key>.lock, held with flock
// for the life of the process, tells a living owner from a dead one even
// when the id has been reused; <key>.meta names the pictures, runs of frames
// <key>-<n>-<k>.png (or, from earlier versions and adopted from them, one
// strip <key>-<n>.png). The metadata is written last, so a copy is whatever
// it names.
class Recovery_Store {
 public:
  explicit Recovery_Store(std::string folder);
  ~Recovery_Store();
  Recovery_Store(const Recovery_Store&) = delete;
  Recovery_Store& operator=(const Recovery_Store&) = delete;

  const std::string& Folder() const { return folder_; }
  const std::string& Key() const { return key_; }
  std::string Path_Of(const std::string& name) const { return folder_ + "/" + name; }
  std::string Meta_Path() const { return Path_Of(key_ + ".meta"); }
  std::string Strip_Name(int generation) const;
  std::string Run_Name(int generation, int run) const;

  // Makes the folder and takes this process's lock; throws Toolkit_Error.
  // Once done, later calls return at once.
  void Open();
  // Writes this process's metadata safely; throws Toolkit_Error.
  void Write_Info(const Recovery_Info& info);
  // Removes this process's copy: metadata first, then every picture.
  void Remove_Own();
  // Removes this process's pictures that `info`, just written, does not name.
  void Remove_Unnamed(const Recovery_Info& info);

  // Copies whose process is gone, oldest change first, each locked by this
  // store until it is adopted, declined or released; their strips are not
  // read yet. Copies whose metadata is bad are moved to damaged/, and what a
  // process left without ever writing a copy is removed.
  std::vector<Recovered_Copy> Take_Orphans();
  // Reads the copy's strip: false, and the copy moved to damaged/, when it
  // cannot be read or does not match its metadata.
  bool Read_Strip(Recovered_Copy& copy);
  // The names of the documents whose copies were moved to Damaged_Folder()
  // since the last call, so that the start can say so once.
  std::vector<std::string> Take_Damaged() { return std::exchange(damaged_, {}); }
  std::string Damaged_Folder() const { return Path_Of("damaged"); }
  // Leaves the copy as it is for a later start.
  void Release(const Recovered_Copy& copy) { Unlock(copy.Key); }
  // The copy becomes this process's own, its next write replaces it.
  // Throws Toolkit_Error (or filesystem_error).
  void Adopt(const Recovered_Copy& copy);
  // No to the offer: the copy is kept for one more start, then deleted.
  void Decline(const Recovered_Copy& copy);

 private:
  void Unlock(const std::string& key);
  void Remove_Key(const std::string& key, bool keep_lock);
  // `name`: the document the copy was of, as the user knows it.
  void Move_Damaged(const std::string& key, const std::string& name);

  std::string folder_;
  std::string key_;
  int own_lock_ = -1;
  std::map<std::string, int> orphan_locks_;
  std::vector<std::string> damaged_;
};

}  // namespace tolvane
