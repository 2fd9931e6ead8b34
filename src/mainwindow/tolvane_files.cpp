#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "document/picture_file.h"
#include "document/strip_edit.h"
#include "image/image_error.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"
#include "mainwindow/transparency.h"

namespace tolvane {

namespace {

std::string File_Name_Part(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr const char* Png_First_Filter =
    "PNG Files (*.PNG)|*.PNG|Bitmap Files (*.BMP)|*.BMP|All Files (*.*)|*.*";

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

// The thumbnail row holds up to five frames: refuse frame sizes whose views
// could not be allocated before anything of the open document is touched.
void Check_Frame_Size_Fits(int frame_size) {
  const int slots = frame_size > 64 ? 3 : 5;
  if (std::int64_t(frame_size) * frame_size * slots > Max_Image_Pixels)
    throw Toolkit_Error("Frames of " + std::to_string(frame_size) +
                        " pixels are too large to show");
}

}  // namespace

bool TTolvane::Ask_Save_Changes() {
  if (!Anim_Modified) return true;
  const int answer =
      P.Show_Message_Box("The current file has been modified. Do you want to save the changes?",
                         Msg_Kind::Confirmation, mb_Yes | mb_No | mb_Cancel);
  if (answer == id_Cancel) return false;
  if (answer == id_Yes) {
    Save1Click();
    // Going on after a save that wrote nothing would discard the user's work.
    return Save_Succeeded;
  }
  return true;
}

void TTolvane::Load1Click() {
  if (!Ask_Save_Changes()) return;
  OpenDialog1.Title = "Open...";
  OpenDialog1.Filter = Open_Filter;
  OpenDialog1.Filter_Index = 1;
  if (!P.Execute_Open_Dialog(OpenDialog1)) return;
  Load_File(OpenDialog1.File_Name);
}

void TTolvane::Open_Start_File() {
  if (Start_File.empty()) return;
  std::string path = Start_File;
  Start_File.clear();
  std::error_code failed;
  const auto absolute = std::filesystem::absolute(path, failed);
  if (!failed) path = absolute.string();
  // The next Load starts beside it, as after choosing it in the dialog.
  OpenDialog1.File_Name = path;
  // Load reads no PCX; the desktop offers PCX pictures too, so they go to
  // frame retrieval as Import PCX would hand them on.
  if (Is_Pcx_Name(path))
    Retrieve_Frames(path, "Import PCX");
  else
    Load_File(path);
}

void TTolvane::Load_File(const std::string& path) {
  Raster_Image picture;
  Read_Notes notes;
  std::optional<Colour> transparent;
  std::int64_t partly = 0;
  if (!Run_Command(P, [&] {
        Png_Picture read = Read_Picture_Keyed(path, Mount_Colour, &notes);
        picture = std::move(read.Image);
        transparent = read.Transparent;
        partly = read.Partly_Transparent;
      }))
    return;

  // A picture without one whole frame is no strip: it would leave no frame.
  if (picture.Width() > 0 && picture.Height() > 0 && picture.Width() % picture.Height() == 0) {
    const bool installed = Run_Command(P, [&] {
      const int size = picture.Height();
      Check_Frame_Size_Fits(size);
      Install_Document(std::move(picture), size, path, transparent);
      Anim_History.Start(*this, true);
    });
    // What the file holds is shown, but not as if it were whole.
    if (installed && notes.Cut_Short)
      P.Show_Message_Box(
          File_Name_Part(path) + " ended early: the rows it lacks have been filled with white.",
          Msg_Kind::Warning, mb_OK);
    // Told once, since those pixels are solid from now on.
    if (installed && partly > 0)
      P.Show_Message_Box(Partly_Transparent_Text(partly), Msg_Kind::Information, mb_OK);
    return;
  }
  const int answer = P.Show_Message_Box(
      "This is not a valid animation bitmap. It must contain only square frames. Do you wish "
      "to attempt frame retrieval?",
      Msg_Kind::Warning, mb_Yes | mb_No);
  if (answer == id_No) return;
  picture = Raster_Image();  // the dialog reads the file again itself
  Retrieve_Frames(path, "Frame Retrieval");
}

void TTolvane::Install_Document(Raster_Image picture, int frame_size, const std::string& path,
                                std::optional<Colour> transparent) {
  // The old document's frame size, name and flag come back if the new one
  // cannot be installed, so that a later Save cannot replace its file with
  // something else.
  const int old_size = Frame_Size;
  std::string old_name = Anim_File_Name;
  const bool old_modified = Anim_Modified;
  try {
    Frame_Size = frame_size;
    Anim_File_Name = path;
    Anim_Modified = false;
    Install_Strip(std::move(picture), transparent);
  } catch (...) {
    Frame_Size = old_size;
    Anim_File_Name = std::move(old_name);
    Anim_Modified = old_modified;
    throw;
  }
}

void TTolvane::Install_Strip(Raster_Image picture, std::optional<Colour> transparent) {
  // A floating selection belongs to the frames being replaced, and a running
  // playback to the old document.
  Drop_Selection();
  Stop_Playback();
  // The old strip holds the whole document, for a step back to it.
  Commit_Frame();
  std::string caption = std::string(Application_Title) + " - " + File_Name_Part(Anim_File_Name);
  // The new strip goes in first so that the layout does not allocate the
  // old one anew; if the layout fails, the old strip comes back.
  // The transparent colour belongs to the strip: one step holds both.
  Step_Scope step(*this, "Replace Strip");
  const std::optional<Colour> old_transparent = Transparent_Colour;
  Transparent_Colour = transparent;
  try {
    Replace_Strip(*this, std::move(picture), Frame_Size, [this] { Layout_Frame_Views(false); });
  } catch (...) {
    Transparent_Colour = old_transparent;
    throw;
  }
  // Nothing below allocates more than a caption: the new document is in.
  Frame_Edited = false;
  Save1.Enabled = SaveAs1.Enabled = ExportGIF1.Enabled = MergeFiles1.Enabled = true;
  ExportSheet1.Enabled = true;
  Edit1.Enabled = Frame1.Enabled = Section1.Enabled = Effects1.Enabled = true;
  Anim_Strip.Fill_Colour = 0xFFFFFF;
  Anim_Strip.Touch();
  Caption = std::move(caption);
  Cur_Frame = 0;
  Show_Frame();
  Undo1.Enabled = false;
  Bevel1.Visible = true;
  Play.Enabled = true;
  Section_Start = 0;
  Section_End = Frame_Total - 1;
  Show_Section();
  Update_Zoom_Range();
  Discard_Recovery();
}

void TTolvane::Save1Click() {
  Save_Succeeded = false;
  Commit_Frame();
  Frame_Edited = false;
  if (Upper(Anim_File_Name) != Upper(New_Anim_Name)) {
    if (!Go_On_Without_Transparency(Anim_File_Name)) return;
    if (Run_Command(P, [&] { Write_Picture(Anim_File_Name, Anim_Strip, Transparent_Colour); })) {
      Anim_Modified = false;
      Anim_History.Mark_Saved();
      Save_Succeeded = true;
      Discard_Recovery();
    }
    return;
  }
  Save_Through_Dialog();
}

void TTolvane::Save_Through_Dialog() {
  if (!P.Execute_Save_Dialog(SaveDialog1)) return;
  const std::string path = SaveDialog1.File_Name;
  if (!Go_On_Without_Transparency(path)) return;
  if (!Run_Command(P, [&] { Write_Picture(path, Anim_Strip, Transparent_Colour); })) return;
  Anim_Modified = false;
  Anim_History.Mark_Saved();
  Anim_File_Name = path;
  Caption = "Tolvane - " + File_Name_Part(path);
  Save_Succeeded = true;
  Discard_Recovery();
}

void TTolvane::SaveAs1Click() {
  Save_Succeeded = false;
  Commit_Frame();
  Frame_Edited = false;
  SaveDialog1.Title = "Save As...";
  SaveDialog1.File_Name = Anim_File_Name;
  // The document's own format is offered first.
  const bool png = Upper(Anim_File_Name).ends_with(".PNG");
  SaveDialog1.Filter = png ? Png_First_Filter : Picture_Filter;
  SaveDialog1.Filter_Index = 1;
  SaveDialog1.Overwrite_Prompt = true;
  Save_Through_Dialog();
}

void TTolvane::New1Click() {
  if (!Ask_Save_Changes()) return;
  TFrame_Size_Form& form = *App.Frame_Size_Form;
  form.New_Frame_Size = Frame_Size;
  form.Adjust_Method.Visible = false;
  Show_Modal(P, form);
  if (!form.Size_Accepted) return;
  Drop_Selection();
  Stop_Playback();
  // The new frame's images come first; if they cannot be had, the open
  // document stays as it was.
  const int old_size = Frame_Size, old_total = Frame_Total;
  Frame_Size = form.New_Frame_Size;
  Frame_Total = 1;
  const bool laid_out = Run_Command(P, [&] { Layout_Frame_Views(false); });
  if (!laid_out) {
    Frame_Size = old_size;
    Frame_Total = old_total;
    return;
  }
  Save1.Enabled = SaveAs1.Enabled = ExportGIF1.Enabled = MergeFiles1.Enabled = true;
  ExportSheet1.Enabled = true;
  Edit1.Enabled = Frame1.Enabled = Effects1.Enabled = true;
  Section1.Enabled = false;
  Cur_Frame = 0;
  Anim_Strip.Fill_Colour = Selected_Colour2;
  Anim_Strip.FillRect({0, 0, Anim_Strip.Width(), Anim_Strip.Height()});
  Anim_File_Name = New_Anim_Name;
  Transparent_Colour.reset();
  Caption = std::string(Application_Title) + " - " + New_Anim_Name;
  Frame_Edited = false;
  Show_Frame();
  Undo1.Enabled = false;
  Bevel1.Visible = true;
  Anim_Modified = false;
  Play.Enabled = true;
  Section_Start = 0;
  Section_End = 0;
  Show_Section();
  Update_Zoom_Range();
  Anim_History.Start(*this, true);
  Discard_Recovery();
}

}  // namespace tolvane
