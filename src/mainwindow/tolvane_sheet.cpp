#include <string>

#include "export/export_form.h"
#include "export/sheet_file.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

void TTolvane::ExportSheet1Click() {
  if (!Controls.ExportSheet1.Enabled) return;
  Stop_Playback();
  Commit_Frame();
  TSheet_Export_Form& form = *App.Sheet_Export_Form;
  form.Set_Document(Frame_Total, Frame_Size, Section_Start, Section_End, Player.Fps());
  form.Loop_On = Player.Loop();
  Show_Modal(P, form);
  if (!form.Accepted) return;
  // A PNG document's own name would offer to replace the strip with its sheet.
  std::string name = With_Extension(Anim_File_Name, ".png");
  if (name == Anim_File_Name) name = With_Extension(Anim_File_Name, "") + "-sheet.png";
  Controls.SheetDialog1.File_Name = name;
  if (!P.Execute_Save_Dialog(Controls.SheetDialog1)) return;

  // Nothing here pumps events, so the strip can be read in place.
  Run_Command(P, [&] {
    // The wait cursor goes before an error box shows.
    struct Waiting {
      Platform& p;
      explicit Waiting(Platform& platform) : p(platform) { p.Set_Wait_Cursor(true); }
      ~Waiting() { p.Set_Wait_Cursor(false); }
    } waiting(P);
    Write_Sheet(Controls.SheetDialog1.File_Name,
                {Anim_Strip, Frame_Size, form.Frames(), form.Columns_Value(), form.Scale_Value(),
                 form.Padding_Value(), Mount_Colour, Player.Fps(), form.Loop.Checked,
                 /*Frames_Hash=*/false, Transparent_Colour, Frame_Ms});
  });
}

}  // namespace tolvane
