#include <cstdint>
#include <string>

#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"
#include "merge/merge_strip.h"
#include "merge/transitions.h"
#include "png/png_picture.h"

namespace tolvane {

namespace {

// Merge_Strip lives only while the command runs.
struct Release_On_Exit {
  Raster_Image& image;
  ~Release_On_Exit() { image = Raster_Image(); }
};

struct Progress_Panel_Shown {
  TTolvane& t;
  Progress_Panel_Shown(TTolvane& tolvane, int steps) : t(tolvane) {
    t.Progress_Show(steps, "Merging Animations...");
  }
  ~Progress_Panel_Shown() { t.Progress_Hide(); }
};

}  // namespace

void TTolvane::MergeFiles1Click() {
  Stop_Playback();
  TAdd_Trans& form = *App.Add_Trans;
  OpenDialog1.Title = "Merge...";
  OpenDialog1.Filter = Open_Filter;
  OpenDialog1.Filter_Index = 1;
  if (!P.Execute_Open_Dialog(OpenDialog1)) return;
  const std::string path = OpenDialog1.File_Name;

  Release_On_Exit release{form.Merge_Strip};
  // The open dialog may list PNG files since Load: a PNG strip merges too.
  if (!Run_Command(P, [&] { form.Merge_Strip = Read_Picture(path, Mount_Colour); })) return;
  if (!Valid_Merge_Strip(form.Merge_Strip, Frame_Size)) {
    P.Show_Message_Box(Invalid_Merge_Text(Frame_Size), Msg_Kind::Warning, mb_OK);
    return;
  }

  Set_Tool(Cur_Tool);
  Commit_Frame();

  const int answer = P.Show_Message_Box(
      "Do you wish to include a transition between the two animations (Be warned this is "
      "temperamental)?",
      Msg_Kind::Confirmation, mb_Yes | mb_No);
  bool merged = false;
  if (answer == id_No) {
    merged = Run_Command(P, [&] { Append_Merge_Strip(); });
  } else {
    form.Anim1_Frames = Frame_Total;
    form.Anim2_Frames = form.Merge_Strip.Width() / Frame_Size;
    Show_Modal(P, form);
    if (form.Trans_Accepted) merged = Run_Command(P, [&] { Build_Transition(); });
  }
  // The flags change only once the frames have: a merge that failed leaves
  // the animation as it was.
  if (merged) {
    Anim_Modified = true;
    Frame_Edited = true;
    // The undo copy belongs to a picture the merge may have replaced.
    Undo1.Enabled = false;
  }
  Show_Frame();
}

void TTolvane::Append_Merge_Strip() {
  const Raster_Image& merge = App.Add_Trans->Merge_Strip;
  const std::int64_t width = std::int64_t(Anim_Strip.Width()) + merge.Width();
  Check_Strip_Size(width, Frame_Size);
  Anim_Strip.Set_Width(int(width));
  BitBlt(Anim_Strip, Frame_Left(Frame_Total), 0, merge);
  Frame_Total = int(width / Frame_Size);
}

void TTolvane::Build_Transition() {
  const TAdd_Trans& form = *App.Add_Trans;
  const Raster_Image& merge = form.Merge_Strip;
  const int fs = Frame_Size, f1 = Frame_Total, f2 = form.Anim2_Frames, r = form.Overlap();
  Raster_Image out(fs, fs), a(fs, fs), b(fs, fs);

  // The strip grows to its final width before any frame of it is replaced:
  // if it cannot, the animation stays exactly as it was.
  const std::int64_t width = (std::int64_t(f1) + f2 - r) * fs;
  Check_Strip_Size(width, fs);
  Anim_Strip.Set_Width(int(width));

  {
    Progress_Panel_Shown panel(*this, r);
    for (int s = 1; s <= r; ++s) {
      Progress_Step(s, r);
      const int target = f1 - r + s - 1;
      BitBlt(b, -fs * (s - 1), 0, merge);
      BitBlt(a, -Frame_Left(target), 0, Anim_Strip);
      Build_Transition_Frame(out, a, b, form.Trans_Kind, s, r);
      BitBlt(Anim_Strip, Frame_Left(target), 0, out);
    }
    if (f2 > r)
      Copy_Rect(Anim_Strip, {f1 * fs, 0, int(width), fs}, merge, {r * fs, 0, f2 * fs, fs});
    Frame_Total = int(width / fs);
  }
}

}  // namespace tolvane
