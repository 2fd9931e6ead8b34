#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/picture_file.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

void TTolvane::Retrieve_Frames(const std::string& path, const std::string& step) {
  TFrame_Extract& form = *App.Frame_Extract;
  Raster_Image strip;
  std::optional<Colour> transparent;
  std::vector<int> durations;
  const bool done = Run_Command(P, [&] {
    form.Import_File_Name = path;
    Show_Modal(P, form);
    // The dialog keeps its own image for the next use; the copy is made
    // before the open document is touched, so running out of memory here
    // changes nothing.
    if (form.Retrieval_Done) strip = form.Retrieved_Strip;
    transparent = form.Retrieved_Transparent;
    durations = form.Retrieved_Durations;
  });
  if (!done || !form.Retrieval_Done || strip.Empty()) return;
  const bool was_open = Document_Open();
  const bool installed = Run_Command(P, [&] {
    std::optional<Step_Scope> recorded;
    if (was_open) recorded.emplace(*this, step);
    const int size = strip.Height();
    Session.Install(std::move(strip), size, New_Anim_Name, transparent, durations);
    Anim_Modified = true;  // a new animation, not yet saved
  });
  if (!installed) return;
  // The animation has no file now that any step could be saved in.
  if (was_open)
    Anim_History.Forget_Saved();
  else
    Anim_History.Start(*this, false);
}

void TTolvane::Import1Click() {
  if (!Session.Ask_Save_Changes()) return;
  Controls.OpenDialog1.Title = "Import...";
  Controls.OpenDialog1.Filter = Open_Filter;
  Controls.OpenDialog1.Filter_Index = 1;
  if (!P.Execute_Open_Dialog(Controls.OpenDialog1)) return;
  const std::string path = Controls.OpenDialog1.File_Name;
  // Only a check that the file is a picture; the dialog reads it itself.
  if (!Run_Command(P, [&] { Read_Picture(path, Mount_Colour); })) return;
  Retrieve_Frames(path, "Import Frames");
}

void TTolvane::ImportPCX1Click() {
  if (!Session.Ask_Save_Changes()) return;
  Controls.OpenDialog1.Title = "Import PCX...";
  Controls.OpenDialog1.Filter =
      "Bitmap Files (*.BMP)|*.BMP|PCX Files (*.PCX)|*.PCX|All Files (*.*)|*.*|PNG Files "
      "(*.PNG)|*.PNG";
  Controls.OpenDialog1.Filter_Index = 2;
  Controls.OpenDialog1.File_Name = "*.PCX";
  if (!P.Execute_Open_Dialog(Controls.OpenDialog1)) return;
  Retrieve_Frames(Controls.OpenDialog1.File_Name, "Import PCX");
}

}  // namespace tolvane
