#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/raster_image.h"
#include "platform/controls.h"
#include "recovery/recovery_keeper.h"
#include "recovery/recovery_store.h"

namespace tolvane {

class TTolvane;

// The open document's life: opening it (Load, a file named at start-up, a
// recovered copy, frames retrieved), New, saving, the question before it is
// replaced or the window closes, the caption that names it, and the recovery
// copies of its unsaved changes. The main window's File handlers call it.
class Document_Session {
 public:
  explicit Document_Session(TTolvane& t);
  ~Document_Session();

  // Asks to save unsaved changes: false when the calling command stops.
  bool Ask_Save_Changes();
  void Load();  // through the open dialog
  // Reads path (BMP, PNG or GIF) and installs a valid strip or offers frame
  // retrieval; a GIF of frames that are not square goes to retrieval unasked,
  // and one of square frames opens as a new, unsaved strip.
  void Load_File(const std::string& path);
  void New();
  void Save();
  void Save_As();
  // Whether the last Save or Save As wrote a file.
  bool Saved() const { return saved_; }
  // The window may close: the changes are saved or let go; the settings
  // are written either way.
  bool Close_Query();

  // Installs picture as the open document with frames of frame_size named
  // path; a failure leaves the old document, its size and name as they were.
  // durations: each frame's own in ms, Follow_Speed (0) for one that follows
  // the speed bar; empty: all follow (Fit_Durations makes them one a frame).
  void Install(Raster_Image picture, int frame_size, const std::string& path,
               std::optional<Colour> transparent = std::nullopt,
               const std::vector<int>& durations = {});
  // The same with Frame_Size and Anim_File_Name set beforehand.
  // transparent is the new strip's transparent colour, if it has one.
  void Install_Strip(Raster_Image picture, std::optional<Colour> transparent = std::nullopt,
                     const std::vector<int>& durations = {});

  // A file named on the command line, opened once the splash has closed,
  // without the open dialog; after recovery has offered its copies.
  void Set_Start_File(std::string path) { start_file_ = std::move(path); }
  void Open_Start_File();

  // Recovery copies: on each tick of the timer the keeper looks at the
  // document and writes a copy of unsaved changes; at start the copies of
  // programs that ended unsaved are offered. Nothing is kept when the
  // platform names no recovery folder.
  Timer Recovery_Timer{true, 1000};
  void Recovery_Tick();
  void Offer_Recovery();
  // The document was saved, closed or replaced: its copy goes.
  void Discard_Recovery();
  Recovery_Keeper* Keeper() { return keeper_.get(); }
  Recovery_Store* Store() { return store_.get(); }

 private:
  bool Recovery_Ready();  // makes the store and keeper once; false: none
  void Save_Through_Dialog();
  // The picture at path was written: it is the document's file now.
  void Saved_To(const std::string& path);
  void Opened(std::string caption, bool sections);

  TTolvane& t_;
  bool saved_ = false;
  std::string start_file_;
  std::unique_ptr<Recovery_Store> store_;
  std::unique_ptr<Recovery_Keeper> keeper_;
};

}  // namespace tolvane
