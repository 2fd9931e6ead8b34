// Any palette text reads to at most 256 colours, or to an error with its
// line, and never throws.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editor/palette_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (auto parse : {tolvane::Parse_Gpl, tolvane::Parse_Hex, tolvane::Parse_Jasc}) {
    const tolvane::Palette_Read r = parse(text);
    if (r.Ok() && (r.Colours.empty() || r.Colours.size() > tolvane::Max_Palette_Colours))
      std::abort();
    for (const tolvane::Colour c : r.Colours)
      if (c > 0xFFFFFF) std::abort();
    if (!r.Ok() && r.Line < 0) std::abort();
  }
  return 0;
}
