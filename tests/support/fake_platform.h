#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace tolvane::testing {

// A scripted user for the platform services. Tests queue answers; every
// request is recorded so that tests can check what the user was shown.
class Fake_Platform : public Platform {
 public:
  struct Message {
    std::string Text;
    Msg_Kind Kind;
    unsigned Buttons;
  };

  // Message boxes: answers are taken in order; with none queued the box is
  // dismissed with Escape (Cancel, else No, else OK).
  std::deque<int> Answers;
  std::vector<Message> Messages;
  std::vector<std::string> Errors;   // toolkit error boxes, text as shown
  std::function<void()> On_Message;  // lets a test look at what the user sees while asked

  // File dialogs: a path chooses it, nullopt cancels. With none queued: cancel.
  std::deque<std::optional<std::string>> Open_Answers, Save_Answers;
  std::vector<File_Dialog> Open_Seen, Save_Seen;  // the dialog as it was opened

  std::deque<std::optional<Colour>> Colour_Answers;
  std::vector<Colour_Dialog> Colour_Seen;

  // Modal forms: each script plays the user of one modal run; with none
  // queued the form is closed (as by its close button).
  std::deque<std::function<void(TForm&)>> Modal_Scripts;
  std::vector<std::string> Modal_Seen;  // form names, in order

  // Typed convenience: the script runs on the form cast to its class.
  template <class Form, class F>
  void On_Modal(F script) {
    Modal_Scripts.push_back([script](TForm& f) { script(dynamic_cast<Form&>(f)); });
  }

  int Wait_Cursor_On = 0, Wait_Cursor_Calls = 0, Pumps = 0;
  std::function<void()> On_Pump;  // lets a test act "between" pumped events

  struct Document {
    std::string Title, Text, Folder;
  };
  std::vector<Document> Documents;  // the documents shown, in order
  std::string Exe_Path = "/opt/tolvane/tolvane";
  std::string Settings = "Tolvane.INI";
  std::string Recovery;  // the recovery folder: none unless a test names one
  std::int64_t Now = 0;  // the steady clock, moved by the tests

  int Screen_W = 1024, Screen_H = 768;

  std::optional<Raster_Image> Clipboard;
  // A size the clipboard reports instead of the picture's own; Clipboard_Get
  // calls are counted, so tests can check a size is refused unread.
  std::optional<std::pair<int, int>> Clipboard_Reported_Size;
  int Clipboard_Reads = 0;

  int Show_Message_Box(const std::string& text, Msg_Kind kind, unsigned buttons) override;
  void Show_Error_Box(const std::string& text) override;
  bool Execute_Open_Dialog(File_Dialog& d) override;
  bool Execute_Save_Dialog(File_Dialog& d) override;
  bool Execute_Colour_Dialog(Colour_Dialog& d) override;
  void Run_Modal(TForm& form) override;
  void Set_Wait_Cursor(bool on) override;
  void Process_Messages() override;
  void Show_Document(const std::string& title, const std::string& markdown,
                     const std::string& folder) override {
    Documents.push_back({title, markdown, folder});
  }
  std::string Executable_Path() override { return Exe_Path; }
  std::string Settings_Path() override { return Settings; }
  std::string Recovery_Folder() override { return Recovery; }
  std::int64_t Steady_Ms() override { return Now; }
  int Screen_Width() override { return Screen_W; }
  int Screen_Height() override { return Screen_H; }
  void Clipboard_Put(const Raster_Image& image) override { Clipboard = image; }
  bool Clipboard_Has_Image() override { return Clipboard.has_value(); }
  bool Clipboard_Image_Size(int& width, int& height) override;
  bool Clipboard_Get(Raster_Image& image) override;

  // The texts of all message boxes shown so far, in order.
  std::vector<std::string> Message_Texts() const;
};

}  // namespace tolvane::testing
