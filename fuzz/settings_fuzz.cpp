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
  if (v.History_MB < 0 || v.History_MB > tolvane::Max_History_MB) std::abort();
  return 0;
}
