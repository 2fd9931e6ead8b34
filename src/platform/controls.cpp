#include "platform/controls.h"

#include <charconv>
#include <cstdint>

namespace tolvane {

int Spin_Edit::Value() const { return Number().value_or(Min); }

std::optional<int> Spin_Edit::Number() const {
  std::int64_t v = 0;
  const char* first = Text.data();
  const char* last = Text.data() + Text.size();
  while (first != last && *first == ' ') ++first;
  if (first != last && *first == '+') ++first;
  auto [p, ec] = std::from_chars(first, last, v);
  while (p != last && *p == ' ') ++p;
  if (ec != std::errc() || p != last || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return int(v);
}

void Spin_Edit::Set_Value(int v) {
  if (Min != Max) {
    if (v < Min) v = Min;
    if (v > Max) v = Max;
  }
  Text = std::to_string(v);
}

void Spin_Edit::Step(int delta) {
  // Saturate: the typed text may already be at the edge of int.
  const std::int64_t v = std::int64_t(Value()) + delta;
  Set_Value(int(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v));
}

void Spin_Edit::Exit() { Set_Value(Value()); }

}  // namespace tolvane
