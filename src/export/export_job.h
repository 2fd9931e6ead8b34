#pragma once
#include <optional>
#include <ostream>
#include <string>

#include "image/colour.h"

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
  Colour Mount = 0;  // transparent colour and padding; the settings' default
};

// Exit statuses of a run.
inline constexpr int Exit_Done = 0, Exit_Failed = 1, Exit_Bad_Options = 2;

// Reads In (BMP or PNG, any strip Load accepts) and writes Out. Returns
// Exit_Done; Exit_Failed when In cannot be read or is no strip, or Out cannot
// be written; Exit_Bad_Options when the section lies outside In's frames. The
// program's message goes to err, one line.
int Run_Export_Job(const Export_Job& job, std::ostream& err);

}  // namespace tolvane
