#include "editor/palette_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "document/picture_file.h"
#include "image/image_error.h"
#include "io/read_only_file.h"
#include "io/safe_save.h"

namespace tolvane {

namespace {

// Palette files are a few kilobytes; anything far larger is not one.
constexpr std::uint64_t Max_Text_Bytes = 1 << 20;

Colour Rgb(int r, int g, int b) { return Colour(r) | Colour(g) << 8 | Colour(b) << 16; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// The lines without their endings, a byte-order mark dropped.
std::vector<std::string_view> Lines(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    lines.push_back(Trim(text.substr(0, nl)));
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return lines;
}

// A line quoted in a message, cut short when long.
std::string Quoted(std::string_view line) {
  std::string q(line.substr(0, 40));
  for (char& c : q)
    if (!std::isprint(static_cast<unsigned char>(c))) c = '?';
  return "\"" + q + (line.size() > 40 ? "...\"" : "\"");
}

Palette_Read Fault(int line, std::string error) { return {{}, std::move(error), line}; }

// "R G B" with an optional name after them, each from 0 to 255.
bool Rgb_Line(std::string_view line, Colour& c) {
  int v[3];
  for (int& x : v) {
    line = Trim(line);
    std::size_t n = 0;
    x = 0;
    while (n < line.size() && n < 4 && std::isdigit(static_cast<unsigned char>(line[n])))
      x = x * 10 + (line[n++] - '0');
    if (n == 0 || x > 255 ||
        (n < line.size() && !std::isspace(static_cast<unsigned char>(line[n]))))
      return false;
    line.remove_prefix(n);
  }
  c = Rgb(v[0], v[1], v[2]);
  return true;
}

bool Add(Palette_Read& r, Colour c) {
  if (r.Colours.size() == Max_Palette_Colours) return false;
  r.Colours.push_back(c);
  return true;
}

const std::string Too_Many = "more than " + std::to_string(Max_Palette_Colours) + " colours";
const std::string Not_Rgb = " is not a colour (red, green and blue from 0 to 255)";

Palette_Read No_Colours(Palette_Read r) {
  if (r.Ok() && r.Colours.empty()) return Fault(0, "the file holds no colours");
  return r;
}

std::string Lower_Extension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string Read_Text(const std::string& path) {
  Read_Only_File f(path);
  if (f.Size() > Max_Text_Bytes)
    throw Toolkit_Error("Cannot read palette " + path + ": the file is too large for a palette",
                        "too large for a palette", path);
  std::string text(std::size_t(f.Size()), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::read(f.Fd(), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string reason = System_Reason(errno);
      throw Toolkit_Error("Cannot read palette " + path + ": " + reason, reason, path);
    }
    if (n == 0) break;
    done += std::size_t(n);
  }
  text.resize(done);
  return text;
}

}  // namespace

Palette_Format Palette_Format_Of(const std::string& path, std::string_view head) {
  const std::string ext = Lower_Extension(path);
  if (ext == ".gpl") return Palette_Format::Gpl;
  if (ext == ".hex") return Palette_Format::Hex;
  if (ext == ".pal") return Palette_Format::Jasc;
  if (ext == ".png" || ext == ".bmp") return Palette_Format::Picture;
  if (head.starts_with("GIMP Palette")) return Palette_Format::Gpl;
  if (head.starts_with("JASC-PAL")) return Palette_Format::Jasc;
  if (head.starts_with("\x89PNG") || head.starts_with("BM")) return Palette_Format::Picture;
  return Palette_Format::Hex;
}

Palette_Read Parse_Gpl(std::string_view text) {
  const auto lines = Lines(text);
  if (lines.empty() || lines[0] != "GIMP Palette")
    return Fault(1, "the file does not begin with \"GIMP Palette\"");
  Palette_Read r;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view l = lines[i];
    const int line = int(i + 1);
    // Comments and the header's "Name:" and "Columns:" lines.
    if (l.empty() || l[0] == '#' || l.starts_with("Name:") || l.starts_with("Columns:") ||
        l.starts_with("Channels:"))
      continue;
    Colour c;
    if (!Rgb_Line(l, c)) return Fault(line, Quoted(l) + Not_Rgb);
    if (!Add(r, c)) return Fault(line, Too_Many);
  }
  return No_Colours(std::move(r));
}

Palette_Read Parse_Hex(std::string_view text) {
  const auto lines = Lines(text);
  Palette_Read r;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view l = lines[i];
    const int line = int(i + 1);
    if (l.empty() || l[0] == ';') continue;
    if (l[0] == '#') l.remove_prefix(1);
    if (l.size() != 6 || !std::all_of(l.begin(), l.end(), [](char ch) {
          return std::isxdigit(static_cast<unsigned char>(ch));
        }))
      return Fault(line, Quoted(lines[i]) + " is not a colour RRGGBB");
    const int v = std::stoi(std::string(l), nullptr, 16);
    if (!Add(r, Rgb(v >> 16, (v >> 8) & 0xFF, v & 0xFF))) return Fault(line, Too_Many);
  }
  return No_Colours(std::move(r));
}

Palette_Read Parse_Jasc(std::string_view text) {
  const auto lines = Lines(text);
  if (lines.empty() || lines[0] != "JASC-PAL")
    return Fault(1, "the file does not begin with \"JASC-PAL\"");
  if (lines.size() < 2 || lines[1] != "0100") return Fault(2, "the version is not \"0100\"");
  int count = 0;
  const std::string_view n = lines.size() > 2 ? lines[2] : std::string_view();
  if (n.empty() || n.size() > 4 ||
      !std::all_of(n.begin(), n.end(), [](char ch) { return ch >= '0' && ch <= '9'; }) ||
      (count = std::stoi(std::string(n))) < 1 || count > int(Max_Palette_Colours))
    return Fault(3, Quoted(n) + " is not a number of colours from 1 to " +
                        std::to_string(Max_Palette_Colours));
  Palette_Read r;
  for (int k = 0; k < count; ++k) {
    const std::size_t i = 3 + std::size_t(k);
    if (i >= lines.size())
      return Fault(
          3, "the file names " + std::to_string(count) + " colours and holds " + std::to_string(k));
    Colour c;
    if (!Rgb_Line(lines[i], c)) return Fault(int(i + 1), Quoted(lines[i]) + Not_Rgb);
    r.Colours.push_back(c);
  }
  return r;
}

Palette_Read Swatch_Colours(const Raster_Image& picture, std::optional<Colour> transparent) {
  Palette_Read r;
  std::unordered_set<Colour> seen;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const Colour c = picture.Row(y)[x] & Colour_Mask;
      if (c == transparent || !seen.insert(c).second) continue;
      if (!Add(r, c)) return Fault(y + 1, Too_Many);
    }
  return No_Colours(std::move(r));
}

std::vector<Colour> Read_Palette_File(const std::string& path) {
  Palette_Read r;
  std::string text;
  Palette_Format format = Palette_Format_Of(path, {});
  if (format != Palette_Format::Picture) {
    text = Read_Text(path);
    format = Palette_Format_Of(path, text);
  }
  switch (format) {
    case Palette_Format::Gpl:
      r = Parse_Gpl(text);
      break;
    case Palette_Format::Hex:
      r = Parse_Hex(text);
      break;
    case Palette_Format::Jasc:
      r = Parse_Jasc(text);
      break;
    case Palette_Format::Picture: {
      Read_Notes notes;
      const Keyed_Picture p = Read_Picture_Keyed(path, 0xFF00FF, &notes);
      // The rows a short file lacks would come in as colours of their own.
      r = notes.Cut_Short ? Fault(0, "the file is cut short")
                          : Swatch_Colours(p.Image, p.Transparent);
      break;
    }
  }
  if (r.Ok()) return std::move(r.Colours);
  const std::string where =
      r.Line > 0 ? (format == Palette_Format::Picture ? "row " : "line ") + std::to_string(r.Line)
                 : std::string();
  const std::string reason = where.empty() ? r.Error : where + ": " + r.Error;
  throw Toolkit_Error("Cannot read palette " + path + ", " + reason, reason, path);
}

std::string Gpl_Text(const std::vector<Colour>& colours, const std::string& name) {
  std::string text = "GIMP Palette\nName: " + name + "\nColumns: 16\n#\n";
  char line[40];
  for (const Colour c : colours) {
    const int r = int(c & 0xFF), g = int(c >> 8 & 0xFF), b = int(c >> 16 & 0xFF);
    std::snprintf(line, sizeof line, "%3d %3d %3d\t#%02x%02x%02x\n", r, g, b, r, g, b);
    text += line;
  }
  return text;
}

std::string Hex_Text(const std::vector<Colour>& colours) {
  std::string text;
  char line[16];
  for (const Colour c : colours) {
    std::snprintf(line, sizeof line, "%02x%02x%02x\n", int(c & 0xFF), int(c >> 8 & 0xFF),
                  int(c >> 16 & 0xFF));
    text += line;
  }
  return text;
}

void Write_Palette_File(const std::string& path, const std::vector<Colour>& colours) {
  const std::string text = Lower_Extension(path) == ".hex"
                               ? Hex_Text(colours)
                               : Gpl_Text(colours, std::filesystem::path(path).stem().string());
  Save_File(path, [&](const Byte_Sink& sink) { return sink(text.data(), text.size()); });
}

Used_Colours Most_Used_Colours(const Raster_Image& image, std::size_t cap) {
  std::unordered_map<Colour, std::uint64_t> counts;
  for (int y = 0; y < image.Height(); ++y) {
    const Colour* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) ++counts[row[x] & Colour_Mask];
  }
  std::vector<std::pair<Colour, std::uint64_t>> order(counts.begin(), counts.end());
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  Used_Colours u;
  u.Distinct = order.size();
  for (std::size_t i = 0; i < order.size() && i < cap; ++i) u.Colours.push_back(order[i].first);
  return u;
}

}  // namespace tolvane
