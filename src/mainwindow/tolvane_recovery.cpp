#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

std::string Offer_Text(const Recovery_Info& info) {
  const std::time_t time = info.Time;
  std::tm local{};
  char when[40] = "";
  if (localtime_r(&time, &local)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
  return "Tolvane was closed without saving " +
         std::filesystem::path(info.Path).filename().string() + " (changed " + when +
         "). Recover it?";
}

}  // namespace

bool TTolvane::Recovery_Ready() {
  if (Recovery) return true;
  const std::string folder = P.Recovery_Folder();
  if (folder.empty()) return false;
  Recovery_Files = std::make_unique<Recovery_Store>(folder);
  Recovery = std::make_unique<Recovery_Keeper>(*Recovery_Files);
  return true;
}

void TTolvane::Recovery_TimerTimer() {
  // Neither a copy nor a message box in the middle of a stroke or a drag.
  const bool dragging = Mouse.Dragging() || Selection.Dragging();
  if (!dragging) {
    Keep_Settings();
    Tell_History_Cut();
  }
  // Without a recovery folder the timer still keeps the settings.
  if (!Recovery_Ready()) return;
  Recovery_Timer.Interval = Recovery->Tick(*this, P.Steady_Ms(), dragging);
  if (dragging) return;
  if (const auto failure = Recovery->Take_Failure())
    P.Show_Message_Box("Tolvane could not write the recovery copy of " +
                           std::filesystem::path(Anim_File_Name).filename().string() + " (" +
                           *failure + "). Until it can, save your work to keep it safe.",
                       Msg_Kind::Warning, mb_OK);
}

void TTolvane::Discard_Recovery() {
  if (Recovery) Recovery->Discard();
}

void TTolvane::Offer_Recovery() {
  if (!Recovery_Ready()) return;
  std::vector<Recovered_Copy> copies;
  Run_Command(P, [&] { copies = Recovery_Files->Take_Orphans(); });
  bool recovered = false;
  for (Recovered_Copy& copy : copies) {
    // One document at a time: the others wait for the next start.
    if (recovered) {
      Recovery_Files->Release(copy);
      continue;
    }
    if (!Recovery_Files->Read_Strip(copy)) continue;
    if (P.Show_Message_Box(Offer_Text(copy.Info), Msg_Kind::Confirmation, mb_Yes | mb_No) !=
        id_Yes) {
      Recovery_Files->Decline(copy);
      continue;
    }
    const Recovery_Info info = copy.Info;
    recovered = Run_Command(P, [&] {
      Install_Document(std::move(copy.Strip), info.Frame_Size, info.Path, info.Transparent);
      Anim_Modified = true;
      Section_Start = info.Section_Start;
      Section_End = info.Section_End;
      Show_Section();
    });
    if (!recovered) {
      Recovery_Files->Release(copy);
      continue;
    }
    // Owned from now on, so that a crash before the next write loses nothing;
    // should that fail, the copy stays for the next start.
    if (!Run_Command(P, [&] { Recovery->Adopted(*this, Recovery_Files->Adopt(copy)); }))
      Recovery_Files->Release(copy);
  }
  // Copies that could not be read are kept aside, not offered again: say so
  // this once.
  const std::vector<std::string> damaged = Recovery_Files->Take_Damaged();
  if (damaged.empty()) return;
  std::string names;
  for (const std::string& name : damaged) names += (names.empty() ? "" : ", ") + name;
  const bool one = damaged.size() == 1;
  P.Show_Message_Box(std::string(one ? "The recovery copy of " : "The recovery copies of ") +
                         names + " could not be read. " + (one ? "It was" : "They were") +
                         " kept in " + Recovery_Files->Damaged_Folder() + ".",
                     Msg_Kind::Warning, mb_OK);
}

}  // namespace tolvane
