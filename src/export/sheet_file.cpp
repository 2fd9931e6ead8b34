#include "export/sheet_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>

#include "gif/gif.h"
#include "image/image_error.h"
#include "platform/platform.h"
#include "png/png.h"

namespace tolvane {

namespace fs = std::filesystem;
using nlohmann::ordered_json;

std::string Sheet_Json(const Sheet_Layout& layout, int frames, const Sheet_Meta& meta) {
  const auto size = [](int w, int h) { return ordered_json{{"w", w}, {"h", h}}; };
  const std::string stem = fs::path(meta.Image).stem().string();
  ordered_json list = meta.Frames_Hash ? ordered_json::object() : ordered_json::array();
  std::vector<int> ms(std::size_t(std::max(frames, 0)), 0);
  std::copy_n(meta.Frame_Ms.begin(), std::min(ms.size(), meta.Frame_Ms.size()), ms.begin());
  const std::vector<int> delays = Gif_Delays(meta.Fps, ms);
  for (int i = 0; i < frames; ++i) {
    const Rect r = layout.Cell_Rect(i);
    const std::string name = stem + " " + std::to_string(i);
    ordered_json entry = {
        {"filename", name},
        {"frame", {{"x", r.Left}, {"y", r.Top}, {"w", layout.Cell}, {"h", layout.Cell}}},
        {"rotated", false},
        {"trimmed", false},
        {"spriteSourceSize", {{"x", 0}, {"y", 0}, {"w", layout.Cell}, {"h", layout.Cell}}},
        {"sourceSize", size(layout.Cell, layout.Cell)},
        {"duration", ms[std::size_t(i)] > 0 ? ms[std::size_t(i)] : 10 * delays[std::size_t(i)]}};
    if (meta.Frames_Hash)
      list[name] = std::move(entry);
    else
      list.push_back(std::move(entry));
  }
  const ordered_json tag = {
      {"name", stem}, {"from", 0}, {"to", std::max(frames - 1, 0)}, {"direction", "forward"}};
  const ordered_json doc = {{"frames", list},
                            {"meta",
                             {{"app", Application_Title},
                              {"version", TOLVANE_VERSION},
                              {"image", meta.Image},
                              {"format", meta.Transparent ? "RGBA8888" : "RGB888"},
                              {"size", size(layout.Width, layout.Height)},
                              {"scale", std::to_string(meta.Scale)},
                              {"frameSize", size(layout.Cell, layout.Cell)},
                              {"fps", meta.Fps},
                              {"loop", meta.Loop},
                              {"frameTags", ordered_json::array({tag})}}}};
  return doc.dump(1) + "\n";
}

std::string With_Extension(const std::string& path, const std::string& ext) {
  const auto slash = path.find_last_of('/');
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || dot <= name_start) return path + ext;
  return path.substr(0, dot) + ext;
}

namespace {

// The bytes of a file, or nothing when there is none or it cannot be read.
std::optional<std::string> Old_Contents(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Save_Text(const std::string& path, const std::string& text, const Write_Function& write_fn) {
  Save_File(
      path, [&](const Byte_Sink& sink) { return sink(text.data(), text.size()); }, write_fn);
}

}  // namespace

void Write_Sheet(const std::string& path, const Sheet_Export& s, const Write_Function& write_fn) {
  const std::string json_path = Json_Path_For(path);
  if (fs::path(json_path).lexically_normal() == fs::path(path).lexically_normal())
    throw Toolkit_Error("The sheet and its JSON cannot both be " + path);
  const Sheet_Layout layout =
      Lay_Out_Sheet(s.Frames.Count, s.Frame_Size, s.Columns, s.Scale, s.Padding);
  // The sheet goes out a row at a time: at scale 4 it is sixteen times the
  // strip's frames, too much to assemble first.
  const Colour fill = s.Transparent.value_or(s.Mount) & Colour_Mask;
  Sheet_Rows rows(s.Strip, s.Frame_Size, s.Frames, layout, fill);
  std::vector<Colour> first;
  // The fill shows in padding and in the cells left over in the last row;
  // a transparent colour is named first even where no pixel has it.
  if (s.Transparent || layout.Padding > 0 || s.Frames.Count < layout.Columns * layout.Rows)
    first.push_back(fill);
  const Png_Rows png{layout.Width, layout.Height, [&rows](int y, Colour*) { return rows.Row(y); },
                     Png_Colours(s.Strip,
                                 {s.Frames.First * s.Frame_Size, 0,
                                  (s.Frames.Last() + 1) * s.Frame_Size, s.Frame_Size},
                                 first)};
  std::vector<int> ms;
  for (int i = s.Frames.First; i <= s.Frames.Last() && std::size_t(i) < s.Frame_Ms.size(); ++i)
    ms.push_back(s.Frame_Ms[std::size_t(i)]);
  const std::string json = Sheet_Json(layout, s.Frames.Count,
                                      {fs::path(path).filename().string(), s.Scale, s.Fps, s.Loop,
                                       s.Frames_Hash, s.Transparent.has_value(), ms});

  const std::optional<std::string> old_json = Old_Contents(json_path);
  Save_Text(json_path, json, write_fn);
  try {
    Write_Png(path, png, s.Transparent, write_fn);
  } catch (...) {
    // Best effort: the sheet's own failure is the one to report.
    try {
      if (old_json)
        Save_Text(json_path, *old_json, {});
      else
        std::remove(json_path.c_str());
    } catch (...) {
    }
    throw;
  }
}

}  // namespace tolvane
