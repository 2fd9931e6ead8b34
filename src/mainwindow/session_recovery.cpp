#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "mainwindow/document_session.h"
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

bool Document_Session::Recovery_Ready() {
  if (keeper_) return true;
  const std::string folder = t_.P.Recovery_Folder();
  if (folder.empty()) return false;
  store_ = std::make_unique<Recovery_Store>(folder);
  keeper_ = std::make_unique<Recovery_Keeper>(*store_);
  return true;
}

void Document_Session::Recovery_Tick() {
  // Neither a copy nor a message box in the middle of a stroke or a drag.
  const bool dragging = t_.Mouse.Dragging() || t_.Selection.Dragging();
  if (!dragging) {
    t_.Keep_Settings();
    t_.Tell_History_Cut();
  }
  // Without a recovery folder the timer still keeps the settings.
  if (!Recovery_Ready()) return;
  Recovery_Timer.Interval = keeper_->Tick(t_, t_.P.Steady_Ms(), dragging);
  if (dragging) return;
  if (const auto failure = keeper_->Take_Failure())
    t_.P.Show_Message_Box("Tolvane could not write the recovery copy of " +
                              std::filesystem::path(t_.Anim_File_Name).filename().string() + " (" +
                              *failure + "). Until it can, save your work to keep it safe.",
                          Msg_Kind::Warning, mb_OK);
}

void Document_Session::Discard_Recovery() {
  if (keeper_) keeper_->Discard();
}

void Document_Session::Offer_Recovery() {
  if (!Recovery_Ready()) return;
  std::vector<Recovered_Copy> copies;
  Run_Command(t_.P, [&] { copies = store_->Take_Orphans(); });
  bool recovered = false;
  for (Recovered_Copy& copy : copies) {
    // One document at a time: the others wait for the next start.
    if (recovered) {
      store_->Release(copy);
      continue;
    }
    if (!store_->Read_Strip(copy)) continue;
    if (t_.P.Show_Message_Box(Offer_Text(copy.Info), Msg_Kind::Confirmation, mb_Yes | mb_No) !=
        id_Yes) {
      store_->Decline(copy);
      continue;
    }
    const Recovery_Info info = copy.Info;
    recovered = Run_Command(t_.P, [&] {
      Install(std::move(copy.Strip), info.Frame_Size, info.Path, info.Transparent, info.Frame_Ms);
      t_.Anim_Modified = true;
      t_.Section_Start = info.Section_Start;
      t_.Section_End = info.Section_End;
      t_.Show_Section();
    });
    if (!recovered) {
      store_->Release(copy);
      continue;
    }
    // Owned from now on, so that a crash before the next write loses nothing;
    // should that fail, the copy stays for the next start.
    if (!Run_Command(t_.P, [&] { store_->Adopt(copy), keeper_->Adopted(t_); }))
      store_->Release(copy);
  }
  // Copies that could not be read are kept aside, not offered again: say so
  // this once.
  const std::vector<std::string> damaged = store_->Take_Damaged();
  if (damaged.empty()) return;
  std::string names;
  for (const std::string& name : damaged) names += (names.empty() ? "" : ", ") + name;
  const bool one = damaged.size() == 1;
  t_.P.Show_Message_Box(std::string(one ? "The recovery copy of " : "The recovery copies of ") +
                            names + " could not be read. " + (one ? "It was" : "They were") +
                            " kept in " + store_->Damaged_Folder() + ".",
                        Msg_Kind::Warning, mb_OK);
}

}  // namespace tolvane
