#pragma once
#include <functional>
#include <optional>
#include <string>

namespace tolvane {

class Ini_File;

// The choices of the Export GIF and Export Sheet dialogs, kept between runs
// in the settings file's "Export" section.
struct Export_Choices {
  bool Gif_Section = false;  // "Section a to b" rather than "All frames"
  int Gif_Scale = 1;         // 1..8
  bool Gif_Transparent = false;
  bool Sheet_Section = false;
  int Sheet_Columns = 0;  // 0: the frame count, one row
  int Sheet_Scale = 1;    // 1..8
  int Sheet_Padding = 0;  // 0..16
  friend bool operator==(const Export_Choices&, const Export_Choices&) = default;
};

// The integer of a key of the "Export" section, if there is one.
using Export_Key_Reader = std::function<std::optional<int>(const char* key)>;

// Numbers outside a choice's range are brought into it; missing keys and
// text that is no number give the defaults.
Export_Choices Read_Export_Choices(const Export_Key_Reader& read);
void Write_Export_Choices(Ini_File& ini, const Export_Choices& c);

}  // namespace tolvane
