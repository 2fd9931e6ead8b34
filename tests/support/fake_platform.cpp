#include "support/fake_platform.h"

namespace tolvane::testing {

int Fake_Platform::Show_Message_Box(const std::string& text, Msg_Kind kind, unsigned buttons) {
  Messages.push_back({text, kind, buttons});
  if (On_Message) On_Message();
  if (!Answers.empty()) {
    const int a = Answers.front();
    Answers.pop_front();
    return a;
  }
  if (buttons & mb_Cancel) return id_Cancel;
  if (buttons & mb_No) return id_No;
  return id_OK;
}

void Fake_Platform::Show_Error_Box(const std::string& text) { Errors.push_back(text); }

static bool Answer_File(std::deque<std::optional<std::string>>& answers, File_Dialog& d) {
  if (answers.empty()) return false;
  auto a = answers.front();
  answers.pop_front();
  if (!a) return false;
  d.File_Name = *a;
  return true;
}

bool Fake_Platform::Execute_Open_Dialog(File_Dialog& d) {
  Open_Seen.push_back(d);
  return Answer_File(Open_Answers, d);
}

bool Fake_Platform::Execute_Save_Dialog(File_Dialog& d) {
  Save_Seen.push_back(d);
  return Answer_File(Save_Answers, d);
}

bool Fake_Platform::Execute_Colour_Dialog(Colour_Dialog& d) {
  Colour_Seen.push_back(d);
  if (Colour_Answers.empty()) return false;
  auto a = Colour_Answers.front();
  Colour_Answers.pop_front();
  if (!a) return false;
  d.Color = *a;
  return true;
}

void Fake_Platform::Run_Modal(TForm& form) {
  Modal_Seen.push_back(form.Name);
  if (!Modal_Scripts.empty()) {
    auto script = std::move(Modal_Scripts.front());
    Modal_Scripts.pop_front();
    script(form);
  }
  if (form.Modal_Result == mr_None) form.Close();
}

void Fake_Platform::Set_Wait_Cursor(bool on) {
  ++Wait_Cursor_Calls;
  Wait_Cursor_On = on ? 1 : 0;
}

void Fake_Platform::Process_Messages() {
  ++Pumps;
  if (On_Pump) On_Pump();
}

bool Fake_Platform::Clipboard_Image_Size(int& width, int& height) {
  if (!Clipboard) return false;
  width = Clipboard_Reported_Size ? Clipboard_Reported_Size->first : Clipboard->Width();
  height = Clipboard_Reported_Size ? Clipboard_Reported_Size->second : Clipboard->Height();
  return true;
}

bool Fake_Platform::Clipboard_Get(Raster_Image& image) {
  ++Clipboard_Reads;
  if (!Clipboard) return false;
  image = *Clipboard;
  return true;
}

std::vector<std::string> Fake_Platform::Message_Texts() const {
  std::vector<std::string> out;
  for (const auto& m : Messages) out.push_back(m.Text);
  return out;
}

}  // namespace tolvane::testing
