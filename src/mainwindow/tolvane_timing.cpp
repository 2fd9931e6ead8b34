#include <filesystem>

#include "document/picture_file.h"
#include "document/strip_edit.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

void TTolvane::FrameTiming1Click() {
  if (!Document_Open()) return;
  Stop_Playback();
  TFrame_Timing_Form& form = *App.Frame_Timing_Form;
  form.Frame_Ms = Frame_Duration(Cur_Frame);
  form.Section_Offered = Sections_Offered && Section_End > Section_Start;
  Show_Modal(P, form);
  if (!form.Timing_Accepted) return;
  const int first = form.Whole_Section ? Section_Start : Cur_Frame;
  const int last = form.Whole_Section ? Section_End : Cur_Frame;
  bool changed = false;
  for (int i = first; i <= last; ++i) changed |= Frame_Duration(i) != form.Frame_Ms;
  if (!changed) return;
  if (!Run_Command(P, [&] { Set_Durations(*this, first, last, form.Frame_Ms); })) return;
  Anim_Modified = true;
  // The counter and the thumbnails' marks show the new durations.
  Commit_Frame();
  Show_Frame();
}

bool TTolvane::Go_On_Without_Timings(const std::string& path) {
  if (!Has_Own_Durations() || Is_Png_Name(path) || !Ask_Bmp_Timings) return true;
  const int answer = P.Show_Message_Box(
      "A BMP file keeps no frame timings: every frame of " +
          std::filesystem::path(path).filename().string() +
          " will follow the speed bar when it is opened again. Save anyway?\n\nYes saves. No "
          "saves and does not ask again. Cancel keeps the document unsaved.",
      Msg_Kind::Confirmation, mb_Yes | mb_No | mb_Cancel);
  if (answer == id_No) Ask_Bmp_Timings = false;
  return answer == id_Yes || answer == id_No;
}

}  // namespace tolvane
