#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/colour.h"

namespace tolvane {

// Colour to palette index for at most 256 colours, in the order they came:
// open addressing in a table four times that size, so a lookup rarely goes
// past its first slot. Sprite art nearly always has so few colours, and a
// byte a pixel packs smaller and faster than four.
class Colour_Index {
 public:
  Colour_Index() { keys_.fill(Empty); }
  // The colour's index, added when new; -1 when the table is full or for
  // 0xFFFFFFFF, which marks an empty slot.
  int Insert(Colour c) {
    if (c == Empty) return -1;
    std::size_t i = Slot(c);
    while (keys_[i] != Empty) {
      if (keys_[i] == c) return values_[i];
      i = (i + 1) & (Slots - 1);
    }
    if (colours_.size() == 256) return -1;
    keys_[i] = c;
    values_[i] = std::uint8_t(colours_.size());
    colours_.push_back(c);
    return values_[i];
  }
  // The colour's index; -1 when it is not there.
  int Find(Colour c) const {
    if (c == Empty) return -1;
    std::size_t i = Slot(c);
    while (keys_[i] != c) {
      if (keys_[i] == Empty) return -1;
      i = (i + 1) & (Slots - 1);
    }
    return values_[i];
  }
  // The colours in the order they came.
  const std::vector<Colour>& Colours() const { return colours_; }
  std::vector<Colour> Take_Colours() { return std::move(colours_); }

 private:
  static constexpr std::size_t Slots = 1024;
  static constexpr Colour Empty = 0xFFFFFFFFu;
  static std::size_t Slot(Colour c) { return (c * 0x9E3779B1u) >> 22; }
  std::array<Colour, Slots> keys_;
  std::array<std::uint8_t, Slots> values_{};
  std::vector<Colour> colours_;
};

}  // namespace tolvane
