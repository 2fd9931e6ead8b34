#pragma once
#include <cstdint>
#include <string>

namespace tolvane {

// What Load says of a PNG's partly transparent pixels, made solid over the
// transparent colour.
std::string Partly_Transparent_Text(std::int64_t count);

}  // namespace tolvane
