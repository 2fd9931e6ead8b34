#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/image_error.h"
#include "image/raster_image.h"
#include "platform/controls.h"
#include "platform/form.h"

namespace tolvane {

enum class Msg_Kind { Warning, Error, Information, Confirmation };

// Button sets for Show_Message_Box, combinable with |.
enum Msg_Buttons : unsigned { mb_Yes = 1, mb_No = 2, mb_OK = 4, mb_Cancel = 8 };

// Answers of a message box.
inline constexpr int id_OK = 1, id_Cancel = 2, id_Yes = 6, id_No = 7;

inline constexpr const char* Application_Title = "Tolvane v2";

// The toolkit services every form uses. Qt implements them for the program;
// tests use a scripted fake.
class Platform {
 public:
  virtual ~Platform() = default;

  // Modal, centred, titled by kind ("Warning", "Error", "Information", "Confirm").
  virtual int Show_Message_Box(const std::string& text, Msg_Kind kind, unsigned buttons) = 0;
  // The toolkit's error box: stop icon, one OK, title Application_Title.
  virtual void Show_Error_Box(const std::string& text) = 0;

  // Return false when cancelled; on success File_Name holds the full path.
  virtual bool Execute_Open_Dialog(File_Dialog& d) = 0;
  virtual bool Execute_Save_Dialog(File_Dialog& d) = 0;
  virtual bool Execute_Colour_Dialog(Colour_Dialog& d) = 0;

  // Shows a form modally until it closes. Callers go through Show_Modal().
  virtual void Run_Modal(TForm& form) = 0;

  virtual void Set_Wait_Cursor(bool on) = 0;
  // Repaints the windows; no user input and no timer tick is handled meanwhile.
  virtual void Process_Messages() = 0;

  // Shows Markdown text in a window of its own, beside the main window and not
  // modal; pictures and relative links are found from folder, and a link
  // "#anchor" goes to the heading whose Heading_Anchor is anchor. Showing a
  // title already open brings its window forward with the new text.
  virtual void Show_Document(const std::string& title, const std::string& markdown,
                             const std::string& folder) = 0;
  virtual std::string Executable_Path() = 0;
  virtual std::string Settings_Path() = 0;  // full path of Tolvane.INI
  // The folder of recovery copies of unsaved work; empty keeps none.
  virtual std::string Recovery_Folder() { return {}; }
  // Milliseconds on a clock that only goes forward, for timers that count.
  virtual std::int64_t Steady_Ms();

  virtual int Screen_Width() = 0;
  virtual int Screen_Height() = 0;

  virtual void Clipboard_Put(const Raster_Image& image) = 0;
  virtual bool Clipboard_Has_Image() = 0;
  // The width and height of the clipboard's picture, without reading its
  // pixels; false when it holds none.
  virtual bool Clipboard_Image_Size(int& width, int& height) = 0;
  virtual bool Clipboard_Get(Raster_Image& image) = 0;
  // The document's transparent colour for the clipboard's next pictures:
  // pixels of it go out with alpha 0, and see-through pixels that come in
  // take it (partly transparent ones blend over it). None: opaque out,
  // composited over white in.
  virtual void Set_Clipboard_Transparent(std::optional<Colour> colour) { (void)colour; }
};

// Opens the form modally: runs its FormShow, lets the user work, returns its
// Modal_Result.
int Show_Modal(Platform& p, TForm& form);

// The text of a toolkit error box: a full stop is added when the last
// character sorts after '.'.
std::string Error_Box_Text(const std::string& text);
// The box for a toolkit error: its text as above, then, when it carries a
// reason and a file that the text does not already give, a paragraph of the
// file's name and the reason: "PNG image is not valid.\n\nwalk.png: the file
// ends inside its pixels."
std::string Error_Box_Text(const Toolkit_Error& e);

// The anchor that names a Markdown heading in links, made as the usual
// Markdown hosts make it: lower case, letters, digits, '-' and '_' kept,
// spaces made '-', the rest dropped.
std::string Heading_Anchor(std::string_view heading);

// Runs a command; a Toolkit_Error or an allocation failure ends it with the
// toolkit's error box. Returns false when it failed.
template <class F>
bool Run_Command(Platform& p, F&& body);

}  // namespace tolvane

#include "platform/run_command.inl"
