#include "mainwindow/document_session.h"

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

std::string Opened_Caption(const std::string& path) {
  return std::string(Application_Title) + " - " + File_Name_Part(path);
}

}  // namespace

Document_Session::Document_Session(TTolvane& t) : t_(t) {}

Document_Session::~Document_Session() = default;

bool Document_Session::Ask_Save_Changes() {
  if (!t_.Anim_Modified) return true;
  const int answer =
      t_.P.Show_Message_Box("The current file has been modified. Do you want to save the changes?",
                            Msg_Kind::Confirmation, mb_Yes | mb_No | mb_Cancel);
  if (answer == id_Cancel) return false;
  if (answer == id_Yes) {
    Save();
    // Going on after a save that wrote nothing would discard the user's work.
    return saved_;
  }
  return true;
}

void Document_Session::Load() {
  if (!Ask_Save_Changes()) return;
  File_Dialog& open = t_.Controls.OpenDialog1;
  open.Title = "Open...";
  open.Filter = Open_Filter;
  open.Filter_Index = 1;
  if (!t_.P.Execute_Open_Dialog(open)) return;
  Load_File(open.File_Name);
}

void Document_Session::Open_Start_File() {
  if (start_file_.empty()) return;
  std::string path = std::move(start_file_);
  start_file_.clear();
  // A recovered document is not replaced unasked.
  if (!Ask_Save_Changes()) return;
  std::error_code failed;
  const auto absolute = std::filesystem::absolute(path, failed);
  if (!failed) path = absolute.string();
  // The next Load starts beside it, as after choosing it in the dialog.
  t_.Controls.OpenDialog1.File_Name = path;
  // Load reads no PCX; the desktop offers PCX pictures too, so they go to
  // frame retrieval as Import PCX would hand them on.
  if (Is_Pcx_Name(path))
    t_.Retrieve_Frames(path, "Import PCX");
  else
    Load_File(path);
}

void Document_Session::Load_File(const std::string& path) {
  Raster_Image picture;
  Read_Notes notes;
  std::optional<Colour> transparent;
  std::int64_t partly = 0;
  Png_Text text;
  int gif_width = 0, gif_height = 0;
  std::vector<int> gif_delays;
  if (!Run_Command(t_.P, [&] {
        // Never a drawing colour, which would then draw see-through.
        const Colour drawing[] = {t_.Selected_Colour1 & Colour_Mask,
                                  t_.Selected_Colour2 & Colour_Mask};
        Keyed_Picture read = Read_Picture_Keyed(path, t_.Mount_Colour, &notes, drawing);
        picture = std::move(read.Image);
        transparent = read.Transparent;
        partly = read.Partly_Transparent;
        text = std::move(read.Text);
        gif_width = read.Frame_Width;
        gif_height = read.Frame_Height;
        gif_delays = std::move(read.Delays_Ms);
      }))
    return;

  if (gif_width > 0) {
    // An animated GIF: square frames are a strip as they are; others are
    // cut one cell per frame by frame retrieval, which reads the file again.
    if (gif_width != gif_height) {
      picture = Raster_Image();
      t_.Retrieve_Frames(path, "Frame Retrieval");
      return;
    }
    // Saving goes to a file of the program's own formats, never over the GIF.
    Run_Command(t_.P, [&] {
      Check_Frame_Size_Fits(gif_height);
      Install(std::move(picture), gif_height, New_Anim_Name, transparent, gif_delays);
      t_.Anim_Modified = true;
      t_.Anim_History.Start(t_, false);
    });
    return;
  }

  // A picture without one whole frame is no strip: it would leave no frame.
  if (picture.Width() > 0 && picture.Height() > 0 && picture.Width() % picture.Height() == 0) {
    const File_Durations durations = Durations_In(text, picture.Width() / picture.Height());
    const bool installed = Run_Command(t_.P, [&] {
      const int size = picture.Height();
      Check_Frame_Size_Fits(size);
      Install(std::move(picture), size, path, transparent, durations.Ms);
      t_.Anim_History.Start(t_, true);
    });
    // The pictures are sound; only their timing is lost.
    if (installed && durations.Damaged)
      t_.P.Show_Message_Box(Damaged_Durations_Text(File_Name_Part(path)), Msg_Kind::Warning, mb_OK);
    // What the file holds is shown, but not as if it were whole.
    if (installed && notes.Cut_Short)
      t_.P.Show_Message_Box(
          File_Name_Part(path) + " ended early: the rows it lacks have been filled with white.",
          Msg_Kind::Warning, mb_OK);
    // Told once, since those pixels are solid from now on.
    if (installed && partly > 0)
      t_.P.Show_Message_Box(Partly_Transparent_Text(partly), Msg_Kind::Information, mb_OK);
    return;
  }
  const int answer = t_.P.Show_Message_Box(
      "This is not a valid animation bitmap. It must contain only square frames. Do you wish "
      "to attempt frame retrieval?",
      Msg_Kind::Warning, mb_Yes | mb_No);
  if (answer == id_No) return;
  picture = Raster_Image();  // the dialog reads the file again itself
  t_.Retrieve_Frames(path, "Frame Retrieval");
}

void Document_Session::Install(Raster_Image picture, int frame_size, const std::string& path,
                               std::optional<Colour> transparent,
                               const std::vector<int>& durations) {
  // The old document's frame size, name and flag come back if the new one
  // cannot be installed, so that a later Save cannot replace its file with
  // something else.
  const int old_size = t_.Frame_Size;
  std::string old_name = t_.Anim_File_Name;
  const bool old_modified = t_.Anim_Modified;
  try {
    t_.Frame_Size = frame_size;
    t_.Anim_File_Name = path;
    t_.Anim_Modified = false;
    Install_Strip(std::move(picture), transparent, durations);
  } catch (...) {
    t_.Frame_Size = old_size;
    t_.Anim_File_Name = std::move(old_name);
    t_.Anim_Modified = old_modified;
    throw;
  }
}

// New and every install end the same way: the new strip becomes the open
// document, shown from its first frame with the whole of it as the section.
// Allocates nothing beyond what showing a frame takes.
void Document_Session::Opened(std::string caption, bool sections) {
  TTolvane& t = t_;
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
  Discard_Recovery();
}

void Document_Session::Install_Strip(Raster_Image picture, std::optional<Colour> transparent,
                                     const std::vector<int>& durations) {
  TTolvane& t = t_;
  // A floating selection belongs to the frames being replaced, and a running
  // playback to the old document.
  t.Drop_Selection();
  t.Stop_Playback();
  // The old strip holds the whole document, for a step back to it.
  t.Commit_Frame();
  std::string caption = Opened_Caption(t.Anim_File_Name);
  // The new strip goes in first so that the layout does not allocate the
  // old one anew; if the layout fails, the old strip comes back.
  // The transparent colour belongs to the strip: one step holds both.
  Step_Scope step(t, "Replace Strip");
  const std::optional<Colour> old_transparent = t.Transparent_Colour;
  t.Transparent_Colour = transparent;
  try {
    Replace_Strip(
        t, std::move(picture), t.Frame_Size, [&t] { t.Layout_Frame_Views(); }, durations);
  } catch (...) {
    t.Transparent_Colour = old_transparent;
    throw;
  }
  t.Anim_Strip.Fill_Colour = 0xFFFFFF;
  t.Anim_Strip.Touch();
  Opened(std::move(caption), true);
}

void Document_Session::Save() {
  saved_ = false;
  t_.Commit_Frame();
  t_.Frame_Edited = false;
  if (Upper(t_.Anim_File_Name) == Upper(New_Anim_Name)) {
    Save_Through_Dialog();
    return;
  }
  if (!t_.Go_On_Without_Transparency(t_.Anim_File_Name)) return;
  if (!t_.Go_On_Without_Timings(t_.Anim_File_Name)) return;
  if (Run_Command(t_.P, [&] {
        Write_Picture(t_.Anim_File_Name, t_.Anim_Strip, t_.Transparent_Colour, t_.Frame_Ms);
      }))
    Saved_To(t_.Anim_File_Name);
}

void Document_Session::Save_Through_Dialog() {
  if (!t_.P.Execute_Save_Dialog(t_.Controls.SaveDialog1)) return;
  const std::string path = t_.Controls.SaveDialog1.File_Name;
  if (!t_.Go_On_Without_Transparency(path)) return;
  if (!t_.Go_On_Without_Timings(path)) return;
  if (!Run_Command(t_.P,
                   [&] { Write_Picture(path, t_.Anim_Strip, t_.Transparent_Colour, t_.Frame_Ms); }))
    return;
  Saved_To(path);
  t_.Caption = "Tolvane - " + File_Name_Part(path);
}

void Document_Session::Saved_To(const std::string& path) {
  t_.Anim_Modified = false;
  t_.Anim_History.Mark_Saved();
  t_.Anim_File_Name = path;
  saved_ = true;
  Discard_Recovery();
}

void Document_Session::Save_As() {
  saved_ = false;
  t_.Commit_Frame();
  t_.Frame_Edited = false;
  File_Dialog& save = t_.Controls.SaveDialog1;
  save.Title = "Save As...";
  save.File_Name = t_.Anim_File_Name;
  // The document's own format is offered first.
  const bool png = Upper(t_.Anim_File_Name).ends_with(".PNG");
  save.Filter = png ? Png_First_Filter : Picture_Filter;
  save.Filter_Index = 1;
  save.Overwrite_Prompt = true;
  Save_Through_Dialog();
}

void Document_Session::New() {
  TTolvane& t = t_;
  if (!Ask_Save_Changes()) return;
  TFrame_Size_Form& form = *t.App.Frame_Size_Form;
  form.New_Frame_Size = t.Frame_Size;
  form.Adjust_Method.Visible = false;
  Show_Modal(t.P, form);
  if (!form.Size_Accepted) return;
  t.Drop_Selection();
  t.Stop_Playback();
  // The new frame's strip and images come first; if they cannot be had, the
  // open document stays as it was.
  const int size = form.New_Frame_Size;
  const bool laid_out = Run_Command(t.P, [&] {
    Replace_Strip(t, Raster_Image(size, size, t.Selected_Colour2), size,
                  [&t] { t.Layout_Frame_Views(); });
  });
  if (!laid_out) return;
  t.Anim_Strip.Fill_Colour = t.Selected_Colour2;
  t.Anim_File_Name = New_Anim_Name;
  t.Transparent_Colour.reset();
  t.Anim_Modified = false;
  // One frame: nothing to mark a section in yet.
  Opened(Opened_Caption(t.Anim_File_Name), false);
  t.Anim_History.Start(t, true);
}

bool Document_Session::Close_Query() {
  // Closing after a save that wrote nothing would lose the user's work.
  const bool may_close = Ask_Save_Changes();
  t_.Write_Settings();
  if (may_close) Discard_Recovery();
  return may_close;
}

}  // namespace tolvane
