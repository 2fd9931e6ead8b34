#include <algorithm>
#include <filesystem>

#include "document/strip_edit.h"
#include "editor/palette_file.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

// The cells beside the tools start below the palette and the frame buttons.
constexpr int Cells_Left = 8, Cells_Top = 152;

std::string Lower_Extension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

void TTolvane::Show_Palette_Cells() {
  const std::vector<Colour> colours = Palette_Colours(Palette, Custom_Colour1, Custom_Colour2);
  // The tool column has room below the tools once the window is taller than
  // its smallest; the cells shrink to fit it, and go when even the smallest
  // would not.
  const int room = Controls.Bevel9.B.Top - 2 - Cells_Top;
  int pitch = 11;
  while (pitch >= 6 && Palette_Grid{16, pitch}.Height(colours.size()) > room) --pitch;
  if (pitch < 6) pitch = 0;
  Controls.Pal_Cells.Visible = pitch > 0;
  const Cells_Painted now{colours, Selected_Colour1, Selected_Colour2, pitch};
  if (now == Cells_Shown) return;
  Cells_Shown = now;
  if (pitch) {
    const Palette_Grid grid{16, pitch};
    Paint_Palette_Cells(Controls.Pal_Cells.Picture, colours, grid, Selected_Colour1,
                        Selected_Colour2);
    Controls.Pal_Cells.B = {Cells_Left, Cells_Top, grid.Width(colours.size()),
                            grid.Height(colours.size())};
  }
  Paint_Palette_Cells(Controls.Pal_Tool.Picture, colours, Tool_Grid, Selected_Colour1,
                      Selected_Colour2);
  Controls.Pal_Tool.B = {0, 0, Tool_Grid.Width(colours.size()), Tool_Grid.Height(colours.size())};
}

namespace {

void Pick_Cell(TTolvane& t, const Palette_Grid& grid, Mouse_Button button, int x, int y) {
  const std::vector<Colour> colours =
      Palette_Colours(t.Palette, t.Custom_Colour1, t.Custom_Colour2);
  const int i = grid.Cell_At(x, y, colours.size());
  if (i < 0) return;
  if (button == Mouse_Button::Right) {
    t.Selected_Colour2 = colours[std::size_t(i)];
    t.Paint_Selected2();
  } else {
    t.Selected_Colour1 = colours[std::size_t(i)];
    t.Palette.Index = i;
    t.Paint_Selected1();
  }
}

void Step_First_Colour(TTolvane& t, int delta) {
  const std::vector<Colour> colours =
      Palette_Colours(t.Palette, t.Custom_Colour1, t.Custom_Colour2);
  const int i = Step_Palette(colours, t.Palette.Index, t.Selected_Colour1, delta);
  if (i < 0) return;
  t.Palette.Index = i;
  t.Selected_Colour1 = colours[std::size_t(i)];
  t.Paint_Selected1();
}

}  // namespace

void TTolvane::Pal_CellsMouseUp(Mouse_Button button, unsigned, int x, int y) {
  if (Cells_Shown.Pitch > 0) Pick_Cell(*this, Palette_Grid{16, Cells_Shown.Pitch}, button, x, y);
}

void TTolvane::Pal_ToolMouseUp(Mouse_Button button, unsigned, int x, int y) {
  Pick_Cell(*this, Tool_Grid, button, x, y);
}

void TTolvane::Pal_ToolClose() { Controls.Pal_Tool.Visible = false; }

void TTolvane::PaletteWindow1Click() { Controls.Pal_Tool.Visible = !Controls.Pal_Tool.Visible; }

void TTolvane::PreviousColour1Click() { Step_First_Colour(*this, -1); }

void TTolvane::NextColour1Click() { Step_First_Colour(*this, 1); }

void TTolvane::DefaultPalette1Click() { Palette = {}; }

void TTolvane::LoadPalette1Click() {
  if (!P.Execute_Open_Dialog(Controls.PaletteDialog1)) return;
  const std::string path = Controls.PaletteDialog1.File_Name;
  // A file that cannot be read leaves the palette as it was.
  Run_Command(P, [&] { Palette = {Read_Palette_File(path), path, -1}; });
}

void TTolvane::SavePaletteAs1Click() {
  if (Controls.PaletteSaveDialog1.File_Name.empty() && !Palette.File.empty())
    Controls.PaletteSaveDialog1.File_Name =
        std::filesystem::path(Palette.File).replace_extension(".gpl").string();
  if (!P.Execute_Save_Dialog(Controls.PaletteSaveDialog1)) return;
  std::string path = Controls.PaletteSaveDialog1.File_Name;
  // The name chooses the format; without one of the two it takes the filter's.
  const std::string ext = Lower_Extension(path);
  if (ext != ".gpl" && ext != ".hex")
    path += Controls.PaletteSaveDialog1.Filter_Index == 2 ? ".hex" : ".gpl";
  const std::vector<Colour> colours = Palette_Colours(Palette, Custom_Colour1, Custom_Colour2);
  Run_Command(P, [&] { Write_Palette_File(path, colours); });
}

void TTolvane::PaletteFromAnimation1Click() {
  if (!Document_Open()) return;
  Stop_Playback();
  Drop_Selection();
  Commit_Frame();
  Used_Colours used = Most_Used_Colours(Anim_Strip);
  Palette = {std::move(used.Colours), "", -1};
  if (used.Distinct > Max_Palette_Colours)
    P.Show_Message_Box("The animation uses " + std::to_string(used.Distinct) +
                           " colours. The palette holds the " +
                           std::to_string(Max_Palette_Colours) + " used most.",
                       Msg_Kind::Information, mb_OK);
}

void TTolvane::ReplaceColour1Click() {
  if (!Document_Open()) return;
  Stop_Playback();
  Drop_Selection();
  TReplace_Colour_Form& form = *App.Replace_Colour_Form;
  Show_Modal(P, form);
  if (!form.Accepted) return;
  Commit_Frame();
  int first = Cur_Frame, last = Cur_Frame;
  if (form.Replace_In.Item_Index == TReplace_Colour_Form::Section) {
    first = Section_Start;
    last = Section_End;
  } else if (form.Replace_In.Item_Index == TReplace_Colour_Form::All_Frames) {
    first = 0;
    last = Frame_Total - 1;
  }
  if (Replace_Colour(*this, first, last, Selected_Colour1, Selected_Colour2) == 0) return;
  Anim_Modified = true;
  if (Cur_Frame >= first && Cur_Frame <= last) {
    Frame_Edited = false;
    // The undo copy would bring back the colour just replaced.
    Undo_Available = false;
  }
  Show_Frame();
}

}  // namespace tolvane
