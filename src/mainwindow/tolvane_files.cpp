#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "document/strip_edit.h"
#include "image/image_error.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"
#include "png/png_picture.h"

namespace tolvane {

namespace {

std::string File_Name_Part(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

std::string Opened_Caption(const std::string& path) {
  return std::string(Application_Title) + " - " + File_Name_Part(path);
}

// The new strip is in: it becomes the open document, shown from its first
// frame with the whole of it as the section. Allocates nothing beyond what
// showing a frame takes.
void Show_Opened(TTolvane& t, std::string caption, bool sections) {
  t.Opened = true;
  t.Sections_Offered = sections;
  t.Caption = std::move(caption);
  t.Cur_Frame = 0;
  t.Frame_Edited = false;
  t.Show_Frame();
  t.Undo_Available = false;
  t.Section_Start = 0;
  t.Section_End = t.Frame_Total - 1;
  t.Show_Section();
  t.Update_Zoom_Range();
  t.Discard_Recovery();
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
  if (!Run_Command(P, [&] { picture = Read_Picture(path, Mount_Colour); })) return;

  // A picture without one whole frame is no strip: it would leave no frame.
  if (picture.Width() > 0 && picture.Height() > 0 && picture.Width() % picture.Height() == 0) {
    Run_Command(P, [&] {
      const int size = picture.Height();
      Check_Frame_Size_Fits(size);
      Install_Document(std::move(picture), size, path);
      Anim_History.Start(*this, true);
    });
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

void TTolvane::Install_Document(Raster_Image picture, int frame_size, const std::string& path) {
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
    Install_Strip(std::move(picture));
  } catch (...) {
    Frame_Size = old_size;
    Anim_File_Name = std::move(old_name);
    Anim_Modified = old_modified;
    throw;
  }
}

void TTolvane::Install_Strip(Raster_Image picture) {
  // A floating selection belongs to the frames being replaced, and a running
  // playback to the old document.
  Drop_Selection();
  Stop_Playback();
  // The old strip holds the whole document, for a step back to it.
  Commit_Frame();
  std::string caption = Opened_Caption(Anim_File_Name);
  // The new strip goes in first so that the layout does not allocate the
  // old one anew; if the layout fails, the old strip comes back.
  Replace_Strip(*this, std::move(picture), Frame_Size, [this] { Layout_Frame_Views(false); });
  Anim_Strip.Fill_Colour = 0xFFFFFF;
  Anim_Strip.Touch();
  Show_Opened(*this, std::move(caption), true);
}

void TTolvane::Save1Click() {
  Save_Succeeded = false;
  Commit_Frame();
  Frame_Edited = false;
  if (Upper(Anim_File_Name) != Upper(New_Anim_Name)) {
    if (Run_Command(P, [&] { Write_Picture(Anim_File_Name, Anim_Strip); })) {
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
  if (!Run_Command(P, [&] { Write_Picture(path, Anim_Strip); })) return;
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
  SaveDialog1.Filter = Picture_Filter;
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
  Anim_Strip.Fill_Colour = Selected_Colour2;
  Anim_Strip.FillRect({0, 0, Anim_Strip.Width(), Anim_Strip.Height()});
  Anim_File_Name = New_Anim_Name;
  Anim_Modified = false;
  // One frame: nothing to mark a section in yet.
  Show_Opened(*this, Opened_Caption(Anim_File_Name), false);
  Anim_History.Start(*this, true);
}

}  // namespace tolvane
