#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "gif/gif.h"
#include "image/round_even.h"

namespace tolvane {

namespace {

constexpr std::size_t Max_Gif_Colours = 256;

struct Entry {
  Colour colour;
  std::uint64_t count;
};

unsigned Channel(Colour c, int ch) { return (c >> (8 * ch)) & 0xFF; }

// A box of the median cut: a run of histogram entries.
struct Box {
  std::size_t begin, end;
  int widest = 0;       // channel with the largest spread
  unsigned spread = 0;  // that spread
};

void Measure(const std::vector<Entry>& hist, Box& box) {
  std::array<unsigned, 3> lo{255, 255, 255}, hi{0, 0, 0};
  for (std::size_t i = box.begin; i < box.end; ++i)
    for (int ch = 0; ch < 3; ++ch) {
      lo[ch] = std::min(lo[ch], Channel(hist[i].colour, ch));
      hi[ch] = std::max(hi[ch], Channel(hist[i].colour, ch));
    }
  box.spread = 0;
  for (int ch = 0; ch < 3; ++ch)
    if (hi[ch] - lo[ch] > box.spread || ch == 0) {
      box.spread = hi[ch] - lo[ch];
      box.widest = ch;
    }
}

// Splits a box at the pixel-weighted median of its widest channel; both
// halves keep at least one colour. Counting the channel's values keeps each
// split linear in the box's colours.
Box Split(std::vector<Entry>& hist, Box& box) {
  const int ch = box.widest;
  std::array<std::uint64_t, 256> weight{};
  std::uint64_t total = 0;
  for (std::size_t i = box.begin; i < box.end; ++i) {
    weight[Channel(hist[i].colour, ch)] += hist[i].count;
    total += hist[i].count;
  }
  unsigned top = 255;
  while (weight[top] == 0) --top;
  // The lower half takes the values up to the median, never all of them:
  // the spread is not zero, so a smaller value is there.
  unsigned cut = 0;
  for (std::uint64_t seen = weight[0]; 2 * seen < total; seen += weight[++cut]) {
  }
  if (cut >= top) {
    cut = top - 1;
    while (weight[cut] == 0) --cut;
  }
  const auto middle = std::partition(
      hist.begin() + std::ptrdiff_t(box.begin), hist.begin() + std::ptrdiff_t(box.end),
      [ch, cut](const Entry& e) { return Channel(e.colour, ch) <= cut; });
  Box upper{std::size_t(middle - hist.begin()), box.end};
  box.end = upper.begin;
  Measure(hist, box);
  Measure(hist, upper);
  return upper;
}

Colour Mean(const std::vector<Entry>& hist, const Box& box) {
  std::array<std::uint64_t, 3> sum{};
  std::uint64_t n = 0;
  for (std::size_t i = box.begin; i < box.end; ++i) {
    for (int ch = 0; ch < 3; ++ch)
      sum[ch] += std::uint64_t(Channel(hist[i].colour, ch)) * hist[i].count;
    n += hist[i].count;
  }
  Colour c = 0;
  for (int ch = 0; ch < 3; ++ch)
    c |= Colour(Round_Even((long double)sum[ch] / (long double)n)) << (8 * ch);
  return c;
}

Gif_Palette Median_Cut(std::vector<Entry> hist, std::size_t limit) {
  std::vector<Box> boxes{{0, hist.size()}};
  Measure(hist, boxes[0]);
  while (boxes.size() < limit) {
    // The box with the widest spread goes next; the first of equals, so
    // that the result never depends on anything but the pictures.
    std::size_t pick = boxes.size();
    for (std::size_t i = 0; i < boxes.size(); ++i)
      if (boxes[i].end - boxes[i].begin > 1 &&
          (pick == boxes.size() || boxes[i].spread > boxes[pick].spread))
        pick = i;
    if (pick == boxes.size()) break;
    boxes.push_back(Split(hist, boxes[pick]));
  }
  Gif_Palette palette;
  palette.Colours.reserve(boxes.size());
  palette.Index.reserve(hist.size());
  for (const Box& b : boxes) {
    const auto entry = static_cast<unsigned char>(palette.Colours.size());
    palette.Colours.push_back(Mean(hist, b));
    for (std::size_t i = b.begin; i < b.end; ++i) palette.Index.emplace(hist[i].colour, entry);
  }
  return palette;
}

// The palette of the area's colours but `skip`; limit entries at most.
Gif_Palette Palette_Of(const Raster_Image& image, const Rect& area, std::optional<Colour> skip,
                       std::size_t limit) {
  std::unordered_map<Colour, std::uint64_t> counts;
  for (int y = area.Top; y < area.Bottom; ++y) {
    const Colour* row = image.Row(y);
    Colour run = No_Colour;
    std::uint64_t* slot = nullptr;
    for (int x = area.Left; x < area.Right; ++x) {
      const Colour c = row[x] & Colour_Mask;
      if (c != run) {
        run = c;
        slot = &counts[c];
      }
      ++*slot;
    }
  }
  if (skip) counts.erase(*skip & Colour_Mask);
  std::vector<Entry> hist;
  hist.reserve(counts.size());
  for (const auto& [c, n] : counts) hist.push_back({c, n});
  std::sort(hist.begin(), hist.end(),
            [](const Entry& a, const Entry& b) { return a.colour < b.colour; });

  counts.clear();
  if (hist.size() > limit) return Median_Cut(std::move(hist), limit);
  Gif_Palette p;
  p.Exact = true;
  for (const Entry& e : hist) {
    p.Index.emplace(e.colour, static_cast<unsigned char>(p.Colours.size()));
    p.Colours.push_back(e.colour);
  }
  return p;
}

}  // namespace

Gif_Palette Make_Gif_Palette(const Raster_Image& image, const Rect& area) {
  return Palette_Of(image, area, std::nullopt, Max_Gif_Colours);
}

Gif_Palette Make_Gif_Palette(const Raster_Image& image, const Rect& area, Colour transparent) {
  Gif_Palette p = Palette_Of(image, area, transparent, Max_Gif_Colours - 1);
  p.Transparent = int(p.Colours.size());
  p.Colours.push_back(transparent & Colour_Mask);
  return p;
}

unsigned char Gif_Colour_Map::Index(Colour c) {
  c &= Colour_Mask;
  if (c == last_) return last_index_;
  last_ = c;
  if (palette_.Transparent >= 0 && c == palette_.Colours[std::size_t(palette_.Transparent)])
    return last_index_ = static_cast<unsigned char>(palette_.Transparent);
  if (const auto it = palette_.Index.find(c); it != palette_.Index.end())
    return last_index_ = it->second;
  if (const auto it = others_.find(c); it != others_.end()) return last_index_ = it->second;
  std::size_t best = 0;
  long best_d = -1;
  for (std::size_t i = 0; i < palette_.Colours.size(); ++i) {
    if (int(i) == palette_.Transparent) continue;  // only the colour itself is clear
    const Colour p = palette_.Colours[i];
    long d = 0;
    for (int ch = 0; ch < 3; ++ch) {
      const long diff = long(Channel(c, ch)) - long(Channel(p, ch));
      d += diff * diff;
    }
    if (best_d < 0 || d < best_d) {
      best_d = d;
      best = i;
    }
  }
  last_index_ = static_cast<unsigned char>(best);
  others_.emplace(c, last_index_);
  return last_index_;
}

}  // namespace tolvane
