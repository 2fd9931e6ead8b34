// Any settings file reads to values in their ranges and never throws.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tolvane::Settings_Values v =
      tolvane::Parse_Settings(std::string(reinterpret_cast<const char*>(data), size));
  if (v.FPS < 1 || v.FPS > 30) std::abort();
  const tolvane::Export_Choices& e = v.Export;
  if (e.Gif_Scale < 1 || e.Gif_Scale > 8 || e.Sheet_Scale < 1 || e.Sheet_Scale > 8 ||
      e.Sheet_Padding < 0 || e.Sheet_Padding > 16 || e.Sheet_Columns < 0)
    std::abort();
  if (v.History_MB < 0 || v.History_MB > tolvane::Max_History_MB) std::abort();
  return 0;
}
