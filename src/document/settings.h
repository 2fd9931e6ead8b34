#pragma once
#include <string>
#include <vector>

#include "document/export_choices.h"
#include "image/colour.h"

namespace tolvane {

inline constexpr const char* Settings_File_Name = "Tolvane.INI";

// $XDG_CONFIG_HOME/tolvane/Tolvane.INI, else ~/.config/tolvane/Tolvane.INI.
std::string Default_Settings_Path();
// The program's folder under an XDG base folder: $<variable>/tolvane, or
// <home>/<fallback>/tolvane when the variable is unset or not absolute.
std::string Xdg_Folder(const char* variable, const char* fallback);

// A profile (INI) file: "[Section]" lines and "key=value" lines, names matched
// without regard to case. Each write goes through to the file at once and
// keeps every line it does not own.
class Ini_File {
 public:
  explicit Ini_File(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }

  std::string Read_String(const std::string& section, const std::string& key,
                          const std::string& fallback) const;
  // Decimal with optional sign, "0x.." or "$.." hexadecimal; anything else
  // gives the fallback.
  int Read_Integer(const std::string& section, const std::string& key, int fallback) const;

  // Throw Toolkit_Error("Unable to write to Tolvane.INI") when the file cannot
  // be written. The folder is created when missing.
  void Write_String(const std::string& section, const std::string& key, const std::string& value);
  void Write_Integer(const std::string& section, const std::string& key, int value);

 private:
  std::string path_;
};

// What the program keeps between runs.
struct Settings_Values {
  Colour Selected1 = 0, Selected2 = 0xFFFFFF, Custom1 = 0, Custom2 = 0, Mount = 0;
  std::string Dir;
  int FPS = 10;  // brought into 1..30 on reading
  // "View" "OnionSkin" and "PixelGrid": a number other than 0 is on; 0, no
  // number and no key are off.
  bool Onion_Skin = false, Pixel_Grid = false;
  Export_Choices Export;  // "Export": the export dialogs' choices
  // "Window" "Width", "Height": the main window's client size while not
  // maximised, 0 for none kept (negative numbers read as 0); "Maximised" as
  // the view aids are read.
  int Window_Width = 0, Window_Height = 0;
  bool Window_Maximised = false;
  // "Edit" "HistoryMB": the cap of the document's history in megabytes, 0
  // for none; brought into 0..Max_History_MB, no number gives the default.
  int History_MB = 256;
  // "View" "Transparency": the transparent colour shown as a checkerboard;
  // "Files" "AskBmpTransparency": Save as BMP asks before it drops the
  // transparent colour; "Files" "AskBmpTimings": the same for the frames'
  // own durations. All on unless the key says 0.
  bool Show_Transparency = true, Ask_Bmp_Transparency = true, Ask_Bmp_Timings = true;
  // "Palette" "Colours": the loaded palette as RRGGBB words, none for the
  // default one (a value that is not such a list of 1 to 256 colours reads
  // as none); "Palette" "File": the file it came from.
  std::vector<Colour> Palette;
  std::string Palette_File;
  friend bool operator==(const Settings_Values&, const Settings_Values&) = default;
};

inline constexpr int Max_History_MB = 1 << 20;

Settings_Values Read_Settings_File(const Ini_File& ini);
// The same from a file's contents.
Settings_Values Parse_Settings(const std::string& text);
// Writes in the fixed order; a failure stops at the failing key (throws).
void Write_Settings_File(Ini_File& ini, const Settings_Values& v);

}  // namespace tolvane
