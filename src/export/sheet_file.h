#pragma once
#include <optional>
#include <string>
#include <vector>

#include "export/export_frames.h"
#include "io/safe_save.h"

namespace tolvane {

// What the JSON beside a sheet says besides the cells.
struct Sheet_Meta {
  std::string Image;  // the sheet's file name, without its folder
  int Scale = 1;
  int Fps = 10;
  bool Loop = true;
  // "frames" as an object keyed by filename rather than an array.
  bool Frames_Hash = false;
  bool Transparent = false;  // "format" "RGBA8888" rather than "RGB888"
  // The frames' own durations, 0 (or none) for one that follows Fps.
  std::vector<int> Frame_Ms = {};
};

// The sprite-sheet JSON in the common layout: "frames", one entry per frame
// with its "filename" (the sheet's name and the frame's number, so that two
// sheets never collide), "frame" rectangle in the sheet, "rotated",
// "trimmed", "spriteSourceSize", "sourceSize" and "duration" in ms (the
// frame's own duration, else the GIF's delay of the same frame, so both play
// alike); and "meta" with "app",
// "version", "image", "format", "size", "scale" (a text, as the layout has
// it), "frameSize", "fps", "loop" and "frameTags": one tag named after the
// sheet over all its frames, played forward, for frameworks that look for
// animations there.
std::string Sheet_Json(const Sheet_Layout& layout, int frames, const Sheet_Meta& meta);

// The path with the extension ext (".gif") in place of its own, or added
// when the name has none (a name that starts with its only dot has none).
std::string With_Extension(const std::string& path, const std::string& ext);
// The JSON's path: the sheet's with ".json" in place of its extension.
inline std::string Json_Path_For(const std::string& sheet_path) {
  return With_Extension(sheet_path, ".json");
}

// A sheet to write: frames of a strip laid out as the layout says.
struct Sheet_Export {
  const Raster_Image& Strip;
  int Frame_Size = 0;
  Frame_Span Frames;
  int Columns = 1, Scale = 1, Padding = 0;
  Colour Mount = 0;
  int Fps = 10;
  bool Loop = true;
  bool Frames_Hash = false;
  // The strip's see-through colour: its pixels and the padding are written
  // fully transparent.
  std::optional<Colour> Transparent = std::nullopt;
  // Each frame's own duration, frame i of the strip at [i] (as Gif_Animation).
  std::vector<int> Frame_Ms = {};
};

// Writes the sheet as a PNG at path and its JSON beside it, each through
// the safe save. The JSON goes first; if the PNG then fails, the JSON is put
// back as it was (or removed when there was none), so the pair is never
// left half new. Throws Toolkit_Error and std::bad_alloc; write_fn is the
// saves' write, for tests.
void Write_Sheet(const std::string& path, const Sheet_Export& sheet,
                 const Write_Function& write_fn = {});

}  // namespace tolvane
