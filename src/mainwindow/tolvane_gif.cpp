#include <cstdint>
#include <string>

#include "export/export_form.h"
#include "export/sheet_file.h"
#include "gif/gif.h"
#include "mainwindow/application.h"
#include "mainwindow/progress_shown.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

// Exports of more pixels than this show the progress panel; smaller ones
// finish before it could be read.
constexpr std::int64_t Progress_Pixels = std::int64_t{1} << 18;

}  // namespace

void TTolvane::ExportGIF1Click() {
  if (!Controls.ExportGIF1.Enabled) return;
  Stop_Playback();
  Commit_Frame();
  TGif_Export_Form& form = *App.Gif_Export_Form;
  form.Set_Document(Frame_Total, Frame_Size, Section_Start, Section_End, Player.Fps());
  form.Loop_On = Player.Loop();
  form.Document_Transparent = Transparent_Colour.has_value();
  form.Frame_Ms = Frame_Ms;
  Show_Modal(P, form);
  if (!form.Accepted) return;
  Controls.GifDialog1.File_Name = With_Extension(Anim_File_Name, ".gif");
  if (!P.Execute_Save_Dialog(Controls.GifDialog1)) return;
  const std::string path = Controls.GifDialog1.File_Name;

  const Frame_Span frames = form.Frames();
  const int scale = form.Scale_Value();
  const bool show_progress =
      std::int64_t(frames.Count) * Frame_Size * Frame_Size * scale * scale > Progress_Pixels &&
      frames.Count > 1;
  Run_Command(P, [&] {
    // The frames are copied first: pumping events while writing lets other
    // commands run, and they may change the strip.
    Raster_Image section(frames.Count * Frame_Size, Frame_Size);
    Copy_Rect(section, {0, 0, section.Width(), Frame_Size}, Anim_Strip,
              {Frame_Left(frames.First), 0, Frame_Left(frames.Last() + 1), Frame_Size});
    Gif_Animation animation{section,          Frame_Size,   0,
                            frames.Count - 1, Player.Fps(), form.Loop.Checked};
    animation.Scale = scale;
    animation.Dither = form.Dither.Checked;
    animation.Frame_Ms.assign(Frame_Ms.begin() + frames.First,
                              Frame_Ms.begin() + frames.Last() + 1);
    // The document's own transparent colour first; the Mount colour when
    // the user asks for one and the document has none.
    if (Transparent_Colour)
      animation.Transparent = Transparent_Colour;
    else if (form.Transparent.Checked)
      animation.Transparent = Mount_Colour;
    Gif_Written written;
    if (!show_progress) {
      written = Write_Gif(path, animation);
    } else {
      Progress_Shown progress(*this, frames.Count, "Exporting GIF...");
      written = Write_Gif(path, animation, progress.Stepper());
    }
    for (int& frame : written.Reduced) frame += frames.First;
    if (!written.Reduced.empty())
      P.Show_Message_Box(Reduced_Frames_Text(written.Reduced, form.Dither.Checked),
                         Msg_Kind::Information, mb_OK);
  });
}

}  // namespace tolvane
