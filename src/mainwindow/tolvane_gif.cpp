#include <algorithm>
#include <cstdint>
#include <string>

#include "gif/gif.h"
#include "mainwindow/progress_shown.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

// Exports of more pixels than this show the progress panel; smaller ones
// finish before it could be read.
constexpr std::int64_t Progress_Pixels = std::int64_t{1} << 18;

// The document's name with the extension .gif in place of its own.
std::string Gif_Name_For(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || dot <= name_start) return path + ".gif";
  return path.substr(0, dot) + ".gif";
}

}  // namespace

void TTolvane::ExportGIF1Click() {
  if (!ExportGIF1.Enabled) return;
  Stop_Playback();
  Commit_Frame();
  GifDialog1.File_Name = Gif_Name_For(Anim_File_Name);
  if (!P.Execute_Save_Dialog(GifDialog1)) return;
  const std::string path = GifDialog1.File_Name;

  const int first = std::clamp(Section_Start, 0, Frame_Total - 1);
  const int last = std::clamp(Section_End, first, Frame_Total - 1);
  const int frames = last - first + 1;
  const bool show_progress =
      std::int64_t(frames) * Frame_Size * Frame_Size > Progress_Pixels && frames > 1;
  Run_Command(P, [&] {
    // The frames are copied first: pumping events while writing lets other
    // commands run, and they may change the strip.
    Raster_Image section(frames * Frame_Size, Frame_Size);
    Copy_Rect(section, {0, 0, section.Width(), Frame_Size}, Anim_Strip,
              {Frame_Left(first), 0, Frame_Left(last + 1), Frame_Size});
    const Gif_Animation animation{
        section, Frame_Size, 0, frames - 1, Gif_Delay(Play_Speed.Position), Repeat_Anim.Down};
    if (!show_progress) {
      Write_Gif(path, animation);
      return;
    }
    Progress_Shown progress(*this, frames, "Exporting GIF...");
    Write_Gif(path, animation, progress.Stepper());
  });
}

}  // namespace tolvane
