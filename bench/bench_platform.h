#pragma once
#include <filesystem>
#include <string>

#include "platform/platform.h"

namespace tolvane {

// A user who gives one fixed answer to every question, never picks a file and
// never pumps: benchmarks measure the commands, not the dialogs.
class Bench_Platform : public Platform {
 public:
  explicit Bench_Platform(int answer) : answer_(answer) {}
  int Show_Message_Box(const std::string&, Msg_Kind, unsigned) override { return answer_; }
  void Show_Error_Box(const std::string&) override {}
  bool Execute_Open_Dialog(File_Dialog&) override { return false; }
  bool Execute_Save_Dialog(File_Dialog&) override { return false; }
  bool Execute_Colour_Dialog(Colour_Dialog&) override { return false; }
  void Run_Modal(TForm& form) override { form.Close(); }
  void Set_Wait_Cursor(bool) override {}
  void Process_Messages() override {}
  void Show_Document(const std::string&, const std::string&, const std::string&) override {}
  std::string Executable_Path() override { return "/nonexistent/tolvane"; }
  std::string Settings_Path() override {
    return (std::filesystem::temp_directory_path() / "tolvane-bench-none" / "Tolvane.INI").string();
  }
  int Screen_Width() override { return 1024; }
  int Screen_Height() override { return 768; }
  void Clipboard_Put(const Raster_Image&) override {}
  bool Clipboard_Has_Image() override { return false; }
  bool Clipboard_Image_Size(int&, int&) override { return false; }
  bool Clipboard_Get(Raster_Image&) override { return false; }

 private:
  int answer_;
};

}  // namespace tolvane
