#include <filesystem>
#include <string>

#include "document/picture_file.h"
#include "document/strip_edit.h"
#include "mainwindow/application.h"
#include "mainwindow/progress_shown.h"
#include "mainwindow/tolvane.h"
#include "merge/merge_strip.h"

namespace tolvane {

namespace {

// Merge_Strip lives only while the command runs.
struct Release_On_Exit {
  Raster_Image& image;
  ~Release_On_Exit() { image = Raster_Image(); }
};

}  // namespace

void TTolvane::MergeFiles1Click() {
  Stop_Playback();
  TAdd_Trans& form = *App.Add_Trans;
  Controls.OpenDialog1.Title = "Merge...";
  Controls.OpenDialog1.Filter = Open_Filter;
  Controls.OpenDialog1.Filter_Index = 1;
  if (!P.Execute_Open_Dialog(Controls.OpenDialog1)) return;
  const std::string path = Controls.OpenDialog1.File_Name;

  Release_On_Exit release{form.Merge_Strip};
  // The open dialog may list PNG files since Load: a PNG strip merges too.
  Png_Text text;
  if (!Run_Command(P, [&] { form.Merge_Strip = Read_Picture(path, Mount_Colour, nullptr, &text); }))
    return;
  if (!Valid_Merge_Strip(form.Merge_Strip, Frame_Size)) {
    P.Show_Message_Box(Invalid_Merge_Text(Frame_Size), Msg_Kind::Warning, mb_OK);
    return;
  }
  const File_Durations durations = Durations_In(text, form.Merge_Strip.Width() / Frame_Size);
  form.Merge_Durations = durations.Ms;
  if (durations.Damaged)
    P.Show_Message_Box(Damaged_Durations_Text(std::filesystem::path(path).filename().string()),
                       Msg_Kind::Warning, mb_OK);
  Drop_Selection();
  Step_Scope step(*this, "Merge Files");
  Commit_Frame();

  // The flags change only once the frames have: a merge that failed leaves
  // the animation as it was.
  const bool whole = Section_Whole();
  if (Merge_As_Asked()) {
    Anim_Modified = true;
    Frame_Edited = true;
    // The undo copy belongs to a picture the merge may have replaced.
    Undo_Available = false;
  }
  Show_Frame();
  Keep_Section_Whole(whole);
}

bool TTolvane::Merge_As_Asked() {
  TAdd_Trans& form = *App.Add_Trans;
  const int answer = P.Show_Message_Box(
      "Do you wish to include a transition between the two animations (Be warned this is "
      "temperamental)?",
      Msg_Kind::Confirmation, mb_Yes | mb_No | mb_Cancel);
  if (answer == id_No) return Run_Command(P, [&] { Append_Merge_Strip(); });
  // Escape and the close button answer Cancel: the user wants neither.
  if (answer != id_Yes) return false;
  form.Anim1_Frames = Frame_Total;
  form.Anim2_Frames = form.Merge_Strip.Width() / Frame_Size;
  Show_Modal(P, form);
  return form.Trans_Accepted && Run_Command(P, [&] { Build_Transition(); });
}

void TTolvane::Append_Merge_Strip() {
  Append_Frames(*this, App.Add_Trans->Merge_Strip, App.Add_Trans->Merge_Durations);
}

void TTolvane::Build_Transition() {
  const TAdd_Trans& form = *App.Add_Trans;
  const int overlap = form.Overlap();
  Progress_Shown progress(*this, overlap, "Merging Animations...");
  Merge_With_Transition(*this, form.Merge_Strip, form.Trans_Kind, overlap, progress.Stepper(),
                        form.Merge_Durations);
}

}  // namespace tolvane
