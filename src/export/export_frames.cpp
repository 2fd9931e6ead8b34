#include "export/export_frames.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "image/image_error.h"

namespace tolvane {

Frame_Span Frames_To_Export(bool section, int section_start, int section_end, int frame_total) {
  if (frame_total < 1) return {0, 0};
  if (!section) return {0, frame_total};
  const int first = std::clamp(section_start, 0, frame_total - 1);
  const int last = std::clamp(section_end, first, frame_total - 1);
  return {first, last - first + 1};
}

Rect Sheet_Layout::Cell_Rect(int i) const {
  const int left = (i % Columns) * (Cell + Padding), top = (i / Columns) * (Cell + Padding);
  return {left, top, left + Cell, top + Cell};
}

Sheet_Layout Lay_Out_Sheet(int frames, int frame_size, int columns, int scale, int padding) {
  Sheet_Layout l;
  frames = std::max(frames, 1);
  l.Columns = std::clamp(columns, 1, frames);
  l.Rows = (frames + l.Columns - 1) / l.Columns;
  l.Padding = std::max(padding, 0);
  const std::int64_t cell = std::int64_t(frame_size) * std::max(scale, 1);
  const std::int64_t width = l.Columns * cell + (l.Columns - 1) * std::int64_t(l.Padding);
  const std::int64_t height = l.Rows * cell + (l.Rows - 1) * std::int64_t(l.Padding);
  if (cell < 1 || width * height > Max_Image_Pixels)
    throw Toolkit_Error("A sheet of " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels is too large");
  l.Cell = int(cell);
  l.Width = int(width);
  l.Height = int(height);
  return l;
}

void Scale_Into(Raster_Image& dst, int x, int y, const Raster_Image& src, const Rect& area,
                int scale) {
  const int width = area.Right - area.Left;
  for (int sy = area.Top; sy < area.Bottom; ++sy) {
    const Colour* in = src.Row(sy) + area.Left;
    const int top = y + (sy - area.Top) * scale;
    Colour* first = dst.Row(top) + x;
    Colour* out = first;
    for (int sx = 0; sx < width; ++sx) out = std::fill_n(out, scale, in[sx]);
    // The other rows of the block are copies of the first.
    for (int k = 1; k < scale; ++k) std::copy(first, out, dst.Row(top + k) + x);
  }
  dst.Touch();
}

Raster_Image Make_Sheet(const Raster_Image& strip, int frame_size, Frame_Span frames,
                        const Sheet_Layout& layout, Colour mount) {
  Raster_Image sheet(layout.Width, layout.Height, mount & Colour_Mask);
  const int scale = layout.Cell / std::max(frame_size, 1);
  for (int i = 0; i < frames.Count; ++i) {
    const Rect cell = layout.Cell_Rect(i);
    const int left = (frames.First + i) * frame_size;
    Scale_Into(sheet, cell.Left, cell.Top, strip, {left, 0, left + frame_size, frame_size}, scale);
  }
  return sheet;
}

Sheet_Rows::Sheet_Rows(const Raster_Image& strip, int frame_size, Frame_Span frames,
                       const Sheet_Layout& layout, Colour mount)
    : strip_(strip),
      frame_size_(std::max(frame_size, 1)),
      scale_(layout.Cell / std::max(frame_size, 1)),
      frames_(frames),
      layout_(layout),
      mount_(mount & Colour_Mask),
      line_{std::vector<Colour>(std::size_t(layout.Width)),
            std::vector<Colour>(std::size_t(layout.Width))} {}

const Colour* Sheet_Rows::Row(int y) {
  const int pitch = layout_.Cell + layout_.Padding;
  const int cell_row = y / pitch, within = y % pitch;
  const long key = within >= layout_.Cell ? -2 : long(cell_row) * frame_size_ + within / scale_;
  if (key == made_) return line_[now_].data();
  made_ = key;
  // A new row goes into the other line, so the same memory means the same row.
  now_ ^= 1;
  std::vector<Colour>& line = line_[now_];
  if (key == -2) {
    std::fill(line.begin(), line.end(), mount_);
    return line.data();
  }
  const int source_y = within / scale_;
  for (int c = 0; c < layout_.Columns; ++c) {
    const int i = cell_row * layout_.Columns + c;
    Colour* out = line.data() + std::size_t(c) * pitch;
    if (i >= frames_.Count) {
      std::fill_n(out, layout_.Cell, mount_);
    } else {
      const Colour* in = strip_.Row(source_y) + std::size_t(frames_.First + i) * frame_size_;
      for (int sx = 0; sx < frame_size_; ++sx) out = std::fill_n(out, scale_, in[sx]);
    }
    if (c + 1 < layout_.Columns)
      std::fill_n(line.data() + std::size_t(c) * pitch + layout_.Cell, layout_.Padding, mount_);
  }
  return line.data();
}

}  // namespace tolvane
