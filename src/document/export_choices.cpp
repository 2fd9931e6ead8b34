#include "document/export_choices.h"

#include <algorithm>

#include "document/settings.h"

namespace tolvane {

Export_Choices Read_Export_Choices(const Export_Key_Reader& read) {
  Export_Choices c;
  const auto number = [&](const char* key, int fallback, int min, int max) {
    return std::clamp(read(key).value_or(fallback), min, max);
  };
  const auto flag = [&](const char* key) { return read(key).value_or(0) != 0; };
  c.Gif_Section = flag("GifSection");
  c.Gif_Scale = number("GifScale", c.Gif_Scale, 1, 8);
  c.Gif_Transparent = flag("GifTransparent");
  c.Sheet_Section = flag("SheetSection");
  c.Sheet_Columns = std::max(read("SheetColumns").value_or(c.Sheet_Columns), 0);
  c.Sheet_Scale = number("SheetScale", c.Sheet_Scale, 1, 8);
  c.Sheet_Padding = number("SheetPadding", c.Sheet_Padding, 0, 16);
  return c;
}

void Write_Export_Choices(Ini_File& ini, const Export_Choices& c) {
  ini.Write_Integer("Export", "GifSection", c.Gif_Section ? 1 : 0);
  ini.Write_Integer("Export", "GifScale", c.Gif_Scale);
  ini.Write_Integer("Export", "GifTransparent", c.Gif_Transparent ? 1 : 0);
  ini.Write_Integer("Export", "SheetSection", c.Sheet_Section ? 1 : 0);
  ini.Write_Integer("Export", "SheetColumns", c.Sheet_Columns);
  ini.Write_Integer("Export", "SheetScale", c.Sheet_Scale);
  ini.Write_Integer("Export", "SheetPadding", c.Sheet_Padding);
}

}  // namespace tolvane
