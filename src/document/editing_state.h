#pragma once
#include <optional>
#include <string>
#include <vector>

#include "document/history.h"
#include "image/raster_image.h"

namespace tolvane {

// The open animation and the editing state around it. The strip holds every
// frame side by side: frame i is columns i*Frame_Size .. (i+1)*Frame_Size-1.
//
// Invariants while a document is open:
//  1. Anim_Strip is Frame_Total*Frame_Size x Frame_Size, Frame_Total >= 1;
//  2. 0 <= Cur_Frame < Frame_Total;
//  3. 0 <= Section_Start <= Section_End < Frame_Total;
//  4. Working_Frame, Undo_Frame, Frame_Buffer are Frame_Size square;
//  5. !Frame_Edited implies Working_Frame equals frame Cur_Frame of the strip;
//  6. Frame_Ms holds Frame_Total durations, each Follow_Speed or within
//     Min_Frame_Ms..Max_Frame_Ms.
// The drawing tools by the number Cur_Tool holds; button ToolN selects N.
enum Tool_Kind : int {
  Tool_Pencil = 1,
  Tool_Filled_Rect,
  Tool_Outline_Rect,
  Tool_Line,
  Tool_Fill,
  Tool_Select,
  Tool_Filled_Ellipse,
  Tool_Syringe
};

// A frame's duration: its own time in milliseconds, or Follow_Speed, which
// lasts as long as the speed bar says.
inline constexpr int Follow_Speed = 0, Min_Frame_Ms = 10, Max_Frame_Ms = 10000;

// A duration brought into Min_Frame_Ms..Max_Frame_Ms; Follow_Speed (and any
// value below 1) stays Follow_Speed.
int Clamp_Duration(int ms);

struct Editing_State {
  Raster_Image Anim_Strip;
  int Frame_Size = 32;
  int Frame_Total = 1;
  int Cur_Frame = 0;
  int Section_Start = 0;
  int Section_End = 0;
  bool Anim_Modified = false;
  std::string Anim_File_Name;
  // Each frame's duration, frame i at [i]. The strip edits carry them with
  // their frames; a loader hands them over with its strip (Replace_Strip).
  std::vector<int> Frame_Ms = std::vector<int>(1, Follow_Speed);

  Raster_Image Working_Frame{32, 32};  // the preview's picture; tools draw here
  bool Frame_Edited = false;
  Raster_Image Frame_Buffer{32, 32};
  Raster_Image Undo_Frame{32, 32};
  int Buffer_Ms = Follow_Speed;  // the duration of the frame in Frame_Buffer

  // A document is open: from the first Load, Import or New on.
  bool Opened = false;
  // Undo_Frame holds the current frame as it was before its last change.
  bool Undo_Available = false;
  // Frame_Buffer holds a copied frame.
  bool Buffer_Filled = false;
  // The section commands are offered: after Load and Add, not after New,
  // and after Delete while more than one frame is left.
  bool Sections_Offered = false;

  Colour Selected_Colour1 = 0x000000;
  Colour Selected_Colour2 = 0xFFFFFF;
  Colour Custom_Colour1 = 0;
  Colour Custom_Colour2 = 0;
  Colour Mount_Colour = 0;
  // The colour whose pixels are see-through in PNG files and exports; none
  // until a transparent picture is loaded or the user sets one.
  std::optional<Colour> Transparent_Colour;
  int Cur_Tool = Tool_Pencil;

  // Every change of the strip and of the working frame, for stepping back.
  History Anim_History;

  // Writes the working frame back into the strip when it holds changes. The
  // caller clears Frame_Edited where its command says so. Changes of the
  // working frame that no step holds yet become one first.
  void Commit_Frame();

  // Frame i's own duration, or Follow_Speed (also for a frame outside).
  int Frame_Duration(int i) const {
    return i >= 0 && std::size_t(i) < Frame_Ms.size() ? Frame_Ms[std::size_t(i)] : Follow_Speed;
  }
  // Some frame has a duration of its own.
  bool Has_Own_Durations() const;

  // The strip's left column of frame i.
  int Frame_Left(int i) const { return i * Frame_Size; }

  // Empty when the invariants hold, else what is wrong (for tests and asserts).
  std::string Check_Invariants() const;
};

inline constexpr const char* New_Anim_Name = "NewAnim.BMP";

}  // namespace tolvane
