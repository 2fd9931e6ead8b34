#include "recovery/recovery_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/picture_file.h"
#include "document/settings.h"
#include "image/image_error.h"
#include "io/safe_save.h"
#include "png/png.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// Paths may hold any byte but the line breaks that end a value.
std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

std::optional<std::string> Unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      out += s[i];
      continue;
    }
    if (++i == s.size()) return std::nullopt;
    if (s[i] == '\\')
      out += '\\';
    else if (s[i] == 'n')
      out += '\n';
    else if (s[i] == 'r')
      out += '\r';
    else
      return std::nullopt;
  }
  return out;
}

template <class T>
bool Parse_Number(std::string_view s, T& value) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

bool Starts_With(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// Whether a folder entry belongs to key: its files and the temporary files
// a save of them leaves when it is killed.
bool Of_Key(const std::string& name, const std::string& key) {
  for (const char* sep : {".", "-"})
    if (Starts_With(name, key + sep) || Starts_With(name, "." + key + sep)) return true;
  return false;
}

// A picture's name as the metadata may give it: a file of the folder itself.
bool Plain_Name(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos && name[0] != '.';
}

std::string Read_Text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

std::string Format_Recovery_Info(const Recovery_Info& info) {
  std::ostringstream s;
  s << "Path=" << Escape(info.Path) << "\nFrame_Size=" << info.Frame_Size
    << "\nFrame_Total=" << info.Frame_Total << "\nSection_Start=" << info.Section_Start
    << "\nSection_End=" << info.Section_End << "\nTime=" << info.Time;
  if (info.Runs.empty()) {
    s << "\nStrip=" << Escape(info.Strip);
  } else {
    std::string runs;
    for (const std::string& name : info.Runs) runs += (runs.empty() ? "" : ",") + name;
    s << "\nRun_Frames=" << info.Run_Frames << "\nRuns=" << Escape(runs);
  }
  s << "\nDeclined=" << info.Declined << "\n";
  if (info.Transparent) s << "Transparent=" << *info.Transparent << "\n";
  if (!info.Frame_Ms.empty()) s << "Frame_Ms=" << Durations_Text(info.Frame_Ms) << "\n";
  return s.str();
}

std::optional<Recovery_Info> Parse_Recovery_Info(std::string_view text) {
  Recovery_Info info;
  unsigned seen = 0;
  std::string_view durations;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // cut short
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    static constexpr std::string_view keys[] = {
        "Path",  "Frame_Size", "Frame_Total", "Section_Start", "Section_End", "Time",
        "Strip", "Declined",   "Transparent", "Frame_Ms",      "Run_Frames",  "Runs"};
    const auto at = std::find(std::begin(keys), std::end(keys), key);
    if (at == std::end(keys)) continue;  // a later version's key
    const auto i = unsigned(at - std::begin(keys));
    bool ok = true;
    if (i == 0 || i == 6) {
      auto s = Unescape(value);
      ok = s.has_value();
      if (ok) (i == 0 ? info.Path : info.Strip) = std::move(*s);
    } else if (i == 5) {
      ok = Parse_Number(value, info.Time);
    } else if (i == 9) {
      durations = value;
    } else if (i == 10) {
      ok = Parse_Number(value, info.Run_Frames);
    } else if (i == 11) {
      auto s = Unescape(value);
      ok = s.has_value();
      for (std::size_t at = 0; ok && at <= s->size();) {
        const std::size_t comma = std::min(s->find(',', at), s->size());
        info.Runs.push_back(s->substr(at, comma - at));
        at = comma + 1;
      }
    } else if (i == 8) {
      Colour c = 0;
      ok = Parse_Number(value, c) && c <= 0xFFFFFF;
      info.Transparent = c;
    } else {
      int* fields[] = {nullptr,           &info.Frame_Size, &info.Frame_Total, &info.Section_Start,
                       &info.Section_End, nullptr,          nullptr,           &info.Declined};
      ok = Parse_Number(value, *fields[i]);
    }
    if (!ok) return std::nullopt;
    seen |= 1u << i;
  }
  // Transparent and the durations are optional; the pictures are one strip
  // or runs, not both.
  constexpr unsigned required = 0xBF, strip = 1u << 6, runs = 3u << 10;
  const unsigned pictures = seen & (strip | runs);
  if ((seen & required) != required || (pictures != strip && pictures != runs)) return std::nullopt;
  const bool fits =
      info.Frame_Size > 0 && info.Frame_Total > 0 && info.Section_Start >= 0 &&
      info.Section_Start <= info.Section_End && info.Section_End < info.Frame_Total &&
      !info.Path.empty() && info.Declined >= 0 &&
      (info.Runs.empty() ||
       (info.Run_Frames > 0 &&
        std::int64_t(info.Runs.size()) ==
            (std::int64_t(info.Frame_Total) + info.Run_Frames - 1) / info.Run_Frames));
  const auto files = info.Files();
  if (!fits || !std::all_of(files.begin(), files.end(), Plain_Name)) return std::nullopt;
  // Durations that do not fit the frames are let go: the pictures matter more.
  if (!durations.empty())
    info.Frame_Ms = Parse_Durations(durations, info.Frame_Total).value_or(std::vector<int>());
  return info;
}

std::string Default_Recovery_Folder() {
  return (fs::path(Xdg_Folder("XDG_STATE_HOME", ".local/state")) / "recovery").string();
}

Recovery_Store::Recovery_Store(std::string folder) : folder_(std::move(folder)) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  key_ = std::to_string(::getpid()) + "-" + std::to_string(ms.count());
}

Recovery_Store::~Recovery_Store() {
  for (const auto& [key, fd] : orphan_locks_) ::close(fd);
  if (own_lock_ < 0) return;
  std::error_code ignored;
  if (!fs::exists(Meta_Path(), ignored)) fs::remove(Path_Of(key_ + ".lock"), ignored);
  ::close(own_lock_);
}

std::string Recovery_Store::Strip_Name(int generation) const {
  return key_ + "-" + std::to_string(generation) + ".png";
}

std::string Recovery_Store::Run_Name(int generation, int run) const {
  return key_ + "-" + std::to_string(generation) + "-" + std::to_string(run) + ".png";
}

void Recovery_Store::Open() {
  if (own_lock_ >= 0) return;
  std::error_code failed;
  fs::create_directories(folder_, failed);
  const std::string lock = Path_Of(key_ + ".lock");
  const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) throw Toolkit_Error("Cannot create file " + lock);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    throw Toolkit_Error("Cannot create file " + lock);
  }
  own_lock_ = fd;
}

void Recovery_Store::Write_Info(const Recovery_Info& info) {
  const std::string text = Format_Recovery_Info(info);
  Save_File(Meta_Path(), [&](const Byte_Sink& sink) { return sink(text.data(), text.size()); });
}

void Recovery_Store::Remove_Own() { Remove_Key(key_, true); }

void Recovery_Store::Remove_Unnamed(const Recovery_Info& info) {
  const std::vector<std::string> named = info.Files();
  std::error_code ignored;
  for (const auto& e : fs::directory_iterator(folder_, ignored)) {
    const std::string name = e.path().filename().string();
    if (Of_Key(name, key_) && e.is_regular_file(ignored) && name != key_ + ".lock" &&
        name != key_ + ".meta" && std::find(named.begin(), named.end(), name) == named.end())
      fs::remove(e.path(), ignored);
  }
}

void Recovery_Store::Remove_Key(const std::string& key, bool keep_lock) {
  std::error_code ignored;
  // The metadata goes first: without it, no start offers what is left.
  fs::remove(Path_Of(key + ".meta"), ignored);
  for (const auto& e : fs::directory_iterator(folder_, ignored)) {
    const std::string name = e.path().filename().string();
    if (!Of_Key(name, key) || (keep_lock && name == key + ".lock")) continue;
    fs::remove(e.path(), ignored);
  }
}

void Recovery_Store::Unlock(const std::string& key) {
  if (const auto it = orphan_locks_.find(key); it != orphan_locks_.end()) {
    ::close(it->second);
    orphan_locks_.erase(it);
  }
}

void Recovery_Store::Move_Damaged(const std::string& key, const std::string& name) {
  damaged_.push_back(name);
  std::error_code ignored;
  const fs::path damaged = Damaged_Folder();
  fs::create_directories(damaged, ignored);
  for (const auto& e : fs::directory_iterator(folder_, ignored)) {
    const std::string name = e.path().filename().string();
    if (!Of_Key(name, key) || name == key + ".lock" || !e.is_regular_file(ignored)) continue;
    fs::rename(e.path(), damaged / name, ignored);
  }
  Remove_Key(key, false);
}

bool Recovery_Store::Read_Strip(Recovered_Copy& copy) {
  const Recovery_Info& info = copy.Info;
  const std::int64_t width = std::int64_t(info.Frame_Size) * info.Frame_Total;
  try {
    if (info.Runs.empty()) {
      copy.Strip = Read_Png(Path_Of(info.Strip), 0xFFFFFF);
      if (copy.Strip.Width() == width && copy.Strip.Height() == info.Frame_Size) return true;
    } else if (width * info.Frame_Size <= Max_Image_Pixels) {
      // Each run must be whole and of its own size: a missing or short run
      // is a damaged copy, never a strip with a gap.
      copy.Strip = Raster_Image::Unfilled(int(width), info.Frame_Size);
      bool whole = true;
      for (std::size_t k = 0; whole && k < info.Runs.size(); ++k) {
        const Raster_Image run = Read_Png(Path_Of(info.Runs[k]), 0xFFFFFF);
        const std::int64_t first = std::int64_t(k) * info.Run_Frames;
        const std::int64_t frames =
            std::min<std::int64_t>(info.Run_Frames, info.Frame_Total - first);
        whole = run.Width() == frames * info.Frame_Size && run.Height() == info.Frame_Size;
        if (whole) BitBlt(copy.Strip, int(first * info.Frame_Size), 0, run);
      }
      if (whole) return true;
    }
  } catch (const std::exception&) {
    // Cut short, corrupt or missing: moved aside below.
  }
  copy.Strip = Raster_Image();
  Move_Damaged(copy.Key, fs::path(info.Path).filename().string());
  Unlock(copy.Key);
  return false;
}

std::vector<Recovered_Copy> Recovery_Store::Take_Orphans() {
  std::vector<std::string> keys;
  std::error_code failed;
  for (const auto& e : fs::directory_iterator(folder_, failed)) {
    const fs::path name = e.path().filename();
    const std::string ext = name.extension().string();
    if ((ext == ".meta" || ext == ".lock") && name.string()[0] != '.')
      keys.push_back(name.stem().string());
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());

  std::vector<Recovered_Copy> copies;
  for (const std::string& key : keys) {
    if (key == key_ || orphan_locks_.count(key)) continue;
    const std::string lock = Path_Of(key + ".lock");
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) continue;
    // Held: its program still runs, or another start is offering it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      continue;
    }
    orphan_locks_[key] = fd;
    std::error_code ignored;
    if (!fs::exists(Path_Of(key + ".meta"), ignored)) {
      Remove_Key(key, false);
      Unlock(key);
    } else if (const std::string text = Read_Text(Path_Of(key + ".meta"));
               auto info = Parse_Recovery_Info(text)) {
      copies.push_back({key, std::move(*info), {}});
    } else {
      // The document's path comes first in the file; a file cut before its
      // end may still name it.
      const std::size_t end = text.find('\n');
      const bool named = text.starts_with("Path=") && end != std::string::npos;
      Move_Damaged(key,
                   named ? fs::path(text.substr(5, end - 5)).filename().string() : key + ".meta");
      Unlock(key);
    }
  }
  std::stable_sort(copies.begin(), copies.end(),
                   [](const auto& a, const auto& b) { return a.Info.Time < b.Info.Time; });
  return copies;
}

void Recovery_Store::Adopt(const Recovered_Copy& copy) {
  Open();
  // Linked first and named by the new metadata before the old copy goes, so
  // that one of the two is whole at every moment.
  Recovery_Info info = copy.Info;
  if (info.Runs.empty()) info.Strip = Strip_Name(0);
  for (std::size_t k = 0; k < info.Runs.size(); ++k) info.Runs[k] = Run_Name(0, int(k));
  const std::vector<std::string> from = copy.Info.Files(), to = info.Files();
  for (std::size_t i = 0; i < from.size(); ++i) {
    std::error_code ignored;
    fs::remove(Path_Of(to[i]), ignored);
    fs::create_hard_link(Path_Of(from[i]), Path_Of(to[i]), ignored);
    if (ignored) fs::copy_file(Path_Of(from[i]), Path_Of(to[i]));
  }
  info.Declined = 0;
  Write_Info(info);
  Remove_Key(copy.Key, false);
  Unlock(copy.Key);
}

void Recovery_Store::Decline(const Recovered_Copy& copy) {
  if (copy.Info.Declined >= 1) {
    Remove_Key(copy.Key, false);
  } else {
    Recovery_Info info = copy.Info;
    info.Declined = 1;
    const std::string text = Format_Recovery_Info(info);
    try {
      Save_File(Path_Of(copy.Key + ".meta"),
                [&](const Byte_Sink& sink) { return sink(text.data(), text.size()); });
    } catch (const Toolkit_Error&) {
      // Unmarked, it is offered twice more; nothing is lost.
    }
  }
  Unlock(copy.Key);
}

}  // namespace tolvane
