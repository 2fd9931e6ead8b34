#pragma once

namespace tolvane {

// Right and Bottom are exclusive. Each primitive says how it treats a rectangle
// whose Right < Left (or Bottom < Top).
struct Rect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace tolvane
