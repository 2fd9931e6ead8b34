#include "document/settings.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "image/image_error.h"

namespace tolvane {

namespace fs = std::filesystem;

std::string Default_Settings_Path() {
  return (fs::path(Xdg_Folder("XDG_CONFIG_HOME", ".config")) / Settings_File_Name).string();
}

std::string Xdg_Folder(const char* variable, const char* fallback) {
  const char* xdg = std::getenv(variable);
  // The XDG rules say a relative value is invalid and must be ignored.
  if (xdg && xdg[0] == '/') return (fs::path(xdg) / "tolvane").string();
  std::string home;
  if (const char* h = std::getenv("HOME"); h && h[0]) {
    home = h;
  } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
    home = pw->pw_dir;
  } else {
    home = ".";
  }
  return (fs::path(home) / fallback / "tolvane").string();
}

namespace {

// Longest value text a read returns, as the profile service's buffer allows.
constexpr std::size_t Max_Value_Length = 2047;

std::string Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t a = 0, b = s.size();
  while (a < b && blank(s[a])) ++a;
  while (b > a && blank(s[b - 1])) --b;
  return std::string(s.substr(a, b - a));
}

bool Same_Name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
           return lower(x) == lower(y);
         });
}

// One line of the file: its text and its own line ending ("\n", "\r\n" or
// nothing on a last line without one), so that rewriting keeps both.
struct Line {
  std::string text, ending;
};

struct Parsed {
  std::vector<Line> lines;
  bool exists = false;
};

// Lines with their own endings, so that rewriting keeps them.
std::vector<Line> Split_Lines(const std::string& s) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < s.size()) {
    const std::size_t nl = s.find('\n', start);
    Line line;
    if (nl == std::string::npos) {
      line.text = s.substr(start);
      start = s.size();
    } else {
      std::size_t end = nl;
      if (end > start && s[end - 1] == '\r') --end;
      line.text = s.substr(start, end - start);
      line.ending = s.substr(end, nl + 1 - end);
      start = nl + 1;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Loads the file. A missing file is empty; one that exists but cannot be read
// gives nothing, so a write never replaces what it could not see.
std::optional<Parsed> Load(const std::string& path) {
  Parsed p;
  std::error_code ec;
  if (!fs::exists(path, ec)) return p;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream all;
  all << in.rdbuf();
  if (in.bad()) return std::nullopt;
  p.exists = true;
  p.lines = Split_Lines(all.str());
  return p;
}

// The section a line opens, if it is a "[name]" line.
std::optional<std::string> Section_Name(std::string_view text, bool first_line) {
  if (first_line && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::string t = Trim(text);
  if (t.empty() || t[0] != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  return Trim(
      std::string_view(t).substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// The key of a "key=value" line, if it is one.
std::optional<std::string> Key_Name(std::string_view text) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return Trim(text.substr(0, eq));
}

// Where a key is, or where it belongs.
struct Location {
  std::optional<std::size_t> section;  // index of the "[section]" line
  std::optional<std::size_t> key;      // index of the key's line
  std::size_t section_end = 0;         // one past the section's last non-blank line
};

Location Find(const std::vector<Line>& lines, const std::string& section, const std::string& key) {
  Location loc;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = Section_Name(lines[i].text, i == 0);
    if (loc.section) {
      if (name) break;  // the next section starts
      if (!Trim(lines[i].text).empty()) loc.section_end = i + 1;
      if (!loc.key) {
        const auto k = Key_Name(lines[i].text);
        if (k && Same_Name(*k, key)) loc.key = i;
      }
    } else if (name && Same_Name(*name, section)) {
      loc.section = i;
      loc.section_end = i + 1;
    }
  }
  return loc;
}

[[noreturn]] void Write_Failed() {
  throw Toolkit_Error(std::string("Unable to write to ") + Settings_File_Name);
}

// Replaces the file's contents through a temporary file in the same folder,
// so a failure part way leaves the old file whole.
void Replace_File(const std::string& path, const std::string& contents) {
  std::error_code ec;
  fs::path target(path);
  // A linked settings file (kept with other dotfiles) stays linked: replace
  // the file it points to.
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    target = fs::weakly_canonical(target, ec);
    if (ec) Write_Failed();
  }
  const fs::path folder = target.parent_path();
  if (!folder.empty()) {
    fs::create_directories(folder, ec);
    if (ec) Write_Failed();
  }
  std::string tmpl = (folder.empty() ? fs::path(".") : folder).string() + "/." +
                     target.filename().string() + ".XXXXXX";
  const int fd = mkstemp(tmpl.data());
  if (fd < 0) Write_Failed();
  struct stat old {};
  const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  bool ok = fchmod(fd, mode) == 0;
  for (std::size_t done = 0; ok && done < contents.size();) {
    const ssize_t n = write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += std::size_t(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(tmpl.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(tmpl.c_str());
    Write_Failed();
  }
}

// Decimal with an optional sign, or hexadecimal after "0x"/"0X" (when longer
// than two characters) or "$". Hexadecimal spells the 32 bits, so 0xFFFFFFFF
// is -1. Anything else, and numbers beyond 32 bits, give nothing.
std::optional<int> Parse_Integer(const std::string& s) {
  auto hex = [](std::string_view digits) -> std::optional<int> {
    if (digits.empty()) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : digits) {
      int d;
      if (c >= '0' && c <= '9')
        d = c - '0';
      else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      else
        return std::nullopt;
      v = v * 16 + unsigned(d);
      if (v > 0xFFFFFFFFu) return std::nullopt;
    }
    return int(std::uint32_t(v));
  };
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    return hex(std::string_view(s).substr(2));
  if (!s.empty() && s[0] == '$') return hex(std::string_view(s).substr(1));
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return std::nullopt;
  std::int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    v = v * 10 + (s[i] - '0');
    if (v > std::int64_t{1} << 31) return std::nullopt;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return int(v);
}

}  // namespace

namespace {

// The value text of a key in a loaded file, if the key is there.
std::optional<std::string> Value_Of(const Parsed& p, const std::string& section,
                                    const std::string& key) {
  const Location loc = Find(p.lines, section, key);
  if (!loc.key) return std::nullopt;
  const std::string& text = p.lines[*loc.key].text;
  std::string value = Trim(std::string_view(text).substr(text.find('=') + 1));
  if (value.size() > Max_Value_Length) value.resize(Max_Value_Length);
  return value;
}

std::optional<int> Integer_Of(const Parsed& p, const std::string& section, const std::string& key) {
  const auto text = Value_Of(p, section, key);
  return text ? Parse_Integer(*text) : std::nullopt;
}

}  // namespace

std::string Ini_File::Read_String(const std::string& section, const std::string& key,
                                  const std::string& fallback) const {
  const auto p = Load(path_);
  return p ? Value_Of(*p, section, key).value_or(fallback) : fallback;
}

int Ini_File::Read_Integer(const std::string& section, const std::string& key, int fallback) const {
  const auto p = Load(path_);
  return p ? Integer_Of(*p, section, key).value_or(fallback) : fallback;
}

void Ini_File::Write_String(const std::string& section, const std::string& key,
                            const std::string& value) {
  // A line break would split the value into lines read back as other
  // settings; such a value cannot be stored.
  if (value.find_first_of("\r\n") != std::string::npos) Write_Failed();
  auto p = Load(path_);
  if (!p) Write_Failed();
  std::vector<Line>& lines = p->lines;
  // New lines follow the file's own line endings.
  std::string eol = "\n";
  for (const Line& l : lines)
    if (!l.ending.empty()) {
      eol = l.ending;
      break;
    }
  const Location loc = Find(lines, section, key);
  const std::string entry = key + "=" + value;
  auto insert_at = [&](std::size_t i, std::vector<Line> add) {
    if (i > 0 && lines[i - 1].ending.empty()) lines[i - 1].ending = eol;
    lines.insert(lines.begin() + std::ptrdiff_t(i), add.begin(), add.end());
  };
  if (loc.key) {
    // Settings are written soon after each change: the ones that did not
    // change cost no rewrite of the file.
    if (lines[*loc.key].text == entry) return;
    lines[*loc.key].text = entry;
  } else if (loc.section) {
    insert_at(loc.section_end, {{entry, eol}});
  } else {
    insert_at(lines.size(), {{"[" + section + "]", eol}, {entry, eol}});
  }
  std::string out;
  for (const Line& l : lines) out += l.text + l.ending;
  Replace_File(path_, out);
}

void Ini_File::Write_Integer(const std::string& section, const std::string& key, int value) {
  Write_String(section, key, std::to_string(value));
}

namespace {

// "RRGGBB RRGGBB ...": 1 to 256 colours, or none at all when any word is not one.
std::vector<Colour> Palette_Of(const std::string& text) {
  std::vector<Colour> colours;
  std::istringstream words(text);
  for (std::string w; words >> w;) {
    const auto v = Parse_Integer("$" + w);
    if (w.size() != 6 || !v || colours.size() == 256) return {};
    colours.push_back(Colour(*v >> 16 & 0xFF) | Colour(*v & 0xFF00) | Colour(*v & 0xFF) << 16);
  }
  return colours;
}

std::string Palette_Text(const std::vector<Colour>& colours) {
  std::string text;
  char word[8];
  for (const Colour c : colours) {
    std::snprintf(word, sizeof word, "%02X%02X%02X", unsigned(c & 0xFF), unsigned(c >> 8 & 0xFF),
                  unsigned(c >> 16 & 0xFF));
    text += (text.empty() ? "" : " ") + std::string(word);
  }
  return text;
}

Settings_Values Values_Of(const Parsed& p) {
  Settings_Values v;
  auto colour = [&](const char* key, Colour fallback) {
    return Colour(std::uint32_t(Integer_Of(p, "Colours", key).value_or(int(fallback))));
  };
  v.Selected1 = colour("Selected1", v.Selected1);
  v.Selected2 = colour("Selected2", v.Selected2);
  v.Custom1 = colour("Custom1", v.Custom1);
  v.Custom2 = colour("Custom2", v.Custom2);
  v.Mount = colour("Mount", v.Mount);
  v.Dir = Value_Of(p, "Last", "Dir").value_or("");
  v.FPS = std::clamp(Integer_Of(p, "Last", "FPS").value_or(v.FPS), 1, 30);
  v.Onion_Skin = Integer_Of(p, "View", "OnionSkin").value_or(0) != 0;
  v.Pixel_Grid = Integer_Of(p, "View", "PixelGrid").value_or(0) != 0;
  v.Export = Read_Export_Choices([&](const char* key) { return Integer_Of(p, "Export", key); });
  v.Window_Width = std::max(0, Integer_Of(p, "Window", "Width").value_or(0));
  v.Window_Height = std::max(0, Integer_Of(p, "Window", "Height").value_or(0));
  v.Window_Maximised = Integer_Of(p, "Window", "Maximised").value_or(0) != 0;
  v.History_MB =
      std::clamp(Integer_Of(p, "Edit", "HistoryMB").value_or(v.History_MB), 0, Max_History_MB);
  v.Show_Transparency = Integer_Of(p, "View", "Transparency").value_or(1) != 0;
  v.Ask_Bmp_Transparency = Integer_Of(p, "Files", "AskBmpTransparency").value_or(1) != 0;
  v.Ask_Bmp_Timings = Integer_Of(p, "Files", "AskBmpTimings").value_or(1) != 0;
  v.Palette = Palette_Of(Value_Of(p, "Palette", "Colours").value_or(""));
  v.Palette_File = v.Palette.empty() ? "" : Value_Of(p, "Palette", "File").value_or("");
  return v;
}

}  // namespace

Settings_Values Read_Settings_File(const Ini_File& ini) {
  // One read of the file for all keys; an unreadable file gives the defaults.
  return Values_Of(Load(ini.Path()).value_or(Parsed{}));
}

Settings_Values Parse_Settings(const std::string& text) {
  return Values_Of({Split_Lines(text), true});
}

void Write_Settings_File(Ini_File& ini, const Settings_Values& v) {
  // Colours are written as signed 32-bit numbers, so 0xFFFFFFFF is -1.
  ini.Write_Integer("Colours", "Selected1", int(v.Selected1));
  ini.Write_Integer("Colours", "Selected2", int(v.Selected2));
  ini.Write_Integer("Colours", "Custom1", int(v.Custom1));
  ini.Write_Integer("Colours", "Custom2", int(v.Custom2));
  ini.Write_Integer("Colours", "Mount", int(v.Mount));
  ini.Write_Integer("Last", "FPS", v.FPS);
  ini.Write_String("Last", "Dir", v.Dir);
  ini.Write_Integer("View", "OnionSkin", v.Onion_Skin ? 1 : 0);
  ini.Write_Integer("View", "PixelGrid", v.Pixel_Grid ? 1 : 0);
  Write_Export_Choices(ini, v.Export);
  ini.Write_Integer("Window", "Width", v.Window_Width);
  ini.Write_Integer("Window", "Height", v.Window_Height);
  ini.Write_Integer("Window", "Maximised", v.Window_Maximised ? 1 : 0);
  ini.Write_Integer("Edit", "HistoryMB", v.History_MB);
  ini.Write_Integer("View", "Transparency", v.Show_Transparency ? 1 : 0);
  ini.Write_Integer("Files", "AskBmpTransparency", v.Ask_Bmp_Transparency ? 1 : 0);
  ini.Write_Integer("Files", "AskBmpTimings", v.Ask_Bmp_Timings ? 1 : 0);
  // The default palette needs no lines: a file that holds no palette gets none.
  if (v.Palette.empty() && ini.Read_String("Palette", "Colours", "").empty()) return;
  ini.Write_String("Palette", "Colours", Palette_Text(v.Palette));
  // A name with a line break cannot be kept; the colours still are.
  const bool one_line = v.Palette_File.find_first_of("\r\n") == std::string::npos;
  ini.Write_String("Palette", "File", one_line ? v.Palette_File : "");
}

}  // namespace tolvane
