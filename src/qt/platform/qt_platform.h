#pragma once
#include <QString>
#include <exception>
#include <map>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "qt/platform/form_view.h"

class QWidget;

namespace tolvane {

class Document_Window;

// Moves a window to the middle of the screen's free area, at its current size.
void Centre_On_Screen(QWidget& w);

// The platform services over Qt 6 Widgets.
class Qt_Platform : public Platform {
 public:
  Qt_Platform();
  ~Qt_Platform() override;
  Qt_Platform(const Qt_Platform&) = delete;
  Qt_Platform& operator=(const Qt_Platform&) = delete;

  // Views register themselves for their forms; Run_Modal shows the view of
  // the form it is given.
  void Register_View(const TForm& form, Form_View& view);
  void Unregister_View(const TForm& form);
  Form_View* View_Of(const TForm& form) const;
  void Sync_Views();

  // True while a long operation pumps events: views then drop timer ticks
  // and commands, so nothing changes the state under the running command.
  bool Busy() const { return busy_ > 0; }

  // Every event a view forwards to a form goes through here: dropped while
  // busy, run with the toolkit error box on failure, and followed by a sync
  // of all views so they show what the handler changed. Nothing may escape
  // into Qt's event loop: that would end the program and lose unsaved work.
  template <class F>
  void Dispatch(F&& handler) {
    if (Busy()) return;
    try {
      Run_Command(*this, handler);
      Sync_Views();
    } catch (const std::exception& e) {
      Report_Unexpected(e.what());
    } catch (...) {
      Report_Unexpected("Unexpected error");
    }
  }

  int Show_Message_Box(const std::string& text, Msg_Kind kind, unsigned buttons) override;
  void Show_Error_Box(const std::string& text) override;
  bool Execute_Open_Dialog(File_Dialog& d) override;
  bool Execute_Save_Dialog(File_Dialog& d) override;
  bool Execute_Colour_Dialog(Colour_Dialog& d) override;
  void Run_Modal(TForm& form) override;
  void Set_Wait_Cursor(bool on) override;
  void Process_Messages() override;
  void Show_Document(const std::string& title, const std::string& markdown,
                     const std::string& folder) override;
  std::string Executable_Path() override;
  std::string Settings_Path() override;
  std::string Recovery_Folder() override;
  int Screen_Width() override;
  int Screen_Height() override;
  void Clipboard_Put(const Raster_Image& image) override;
  bool Clipboard_Has_Image() override;
  bool Clipboard_Image_Size(int& width, int& height) override;
  bool Clipboard_Get(Raster_Image& image) override;
  void Set_Clipboard_Transparent(std::optional<Colour> colour) override { clipboard_key_ = colour; }

 private:
  std::optional<Colour> clipboard_key_;
  bool Run_File_Dialog(File_Dialog& d, bool save);
  void Report_Unexpected(const char* what);

  std::map<const TForm*, Form_View*> views_;
  std::map<const File_Dialog*, QString> last_dirs_;
  std::map<std::string, std::unique_ptr<Document_Window>> documents_;  // by title
  int busy_ = 0;
  int wait_cursors_ = 0;
};

}  // namespace tolvane
