#pragma once
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "image/colour.h"
#include "image/image_error.h"
#include "image/raster_image.h"

namespace tolvane {

// One export run from the command line, without a window: a strip file in,
// a GIF or a sprite sheet (with its JSON) out.
struct Export_Job {
  enum class Kind { Gif, Sheet } What = Kind::Gif;
  std::string In, Out;
  int Scale = 1;    // 1..8
  int Fps = 10;     // 1..30
  int Columns = 0;  // 0: all frames in one row
  int Padding = 0;  // 0..16
  // Frames first..last, 1-based as the section line shows them; none: all.
  std::optional<std::pair<int, int>> Section;
  bool Loop = true;
  // A file with its own transparent colour gives a transparent GIF and sheet
  // in it; Transparent makes the Mount colour see-through in a GIF of a
  // file without one.
  bool Transparent = false;
  bool Dither = true;        // GIF frames of over 256 colours
  bool Frames_Hash = false;  // the sheet's JSON frames keyed by filename
  Colour Mount = 0;          // transparent colour and padding; the settings' default
};

// Exit statuses of a run.
inline constexpr int Exit_Done = 0, Exit_Failed = 1, Exit_Bad_Options = 2;

// What is wrong with the files a job names before anything is read, as a
// bad option's text: OUT (or the sheet's JSON) is IN itself, by device and
// inode when both exist, by their absolute paths otherwise; or OUT's name
// does not end in the export's extension (.gif, .png). Empty when fine.
std::string Job_Files_Problem(const Export_Job& job);

// The command line's words for a failure: "cannot open in.png: permission
// denied", "cannot read in.bmp: the file ends inside its headers", "cannot
// write out.gif: no space left on device". path is the file the job was
// handling, for errors that name none, and verb what it was doing with it
// ("read", "write"), for errors that do not tell.
std::string Failure_Text(const Toolkit_Error& e, const std::string& path, const std::string& verb);

// Writes the strip read from job.In to job.Out. Returns Exit_Done;
// Exit_Failed when the strip has no square frames, or Out cannot be written;
// Exit_Bad_Options when the section lies outside the frames. The program's
// message goes to err, one line; the frames a GIF had to reduce to 256
// colours are told there too.
// transparent is the strip file's own transparent colour, if it has one;
// durations its frames' own durations (0 follows Fps; none: all do).
int Run_Export_Job(const Export_Job& job, const Raster_Image& strip,
                   std::optional<Colour> transparent, std::ostream& err,
                   const std::vector<int>& durations = {});

}  // namespace tolvane
