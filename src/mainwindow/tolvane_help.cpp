#include <filesystem>

#include "mainwindow/help_documents.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

// Shows the first of the places that exists; false when none does.
bool Show_First(Platform& p, const std::vector<std::string>& places, const std::string& title) {
  const std::string path = First_Existing(places);
  if (path.empty()) return false;
  Run_Command(p, [&] {
    p.Show_Document(title, Read_Document(path), std::filesystem::path(path).parent_path().string());
  });
  return true;
}

}  // namespace

void TTolvane::UserGuide1Click() {
  const auto places = Document_Places(P.Executable_Path(), "guide.md");
  if (Show_First(P, places, "Tolvane User Guide")) return;
  std::string text = "The user guide is missing. Tolvane looked for it in:";
  for (const std::string& place : places) text += "\n" + place;
  P.Show_Message_Box(text, Msg_Kind::Warning, mb_OK);
}

void TTolvane::WhatsNew1Click() {
  if (!Show_First(P, Document_Places(P.Executable_Path(), "whats_new.md"),
                  std::string("What's New in ") + Application_Title))
    P.Show_Message_Box(
        "Unable to open the Whats New information (File might be missing or already open) ",
        Msg_Kind::Warning, mb_OK);
}

}  // namespace tolvane
