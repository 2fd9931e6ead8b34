#pragma once
#include "image/colour.h"
#include "image/raster_image.h"
#include "image/rect.h"

#include <vector>

namespace tolvane {

// The frames an export takes: First and Count frames from it.
struct Frame_Span {
  int First = 0, Count = 0;
  int Last() const { return First + Count - 1; }
};

// Every frame of the strip, or the marked section brought inside it (an end
// before the start makes a one-frame section at the start, as the section
// line shows it).
Frame_Span Frames_To_Export(bool section, int section_start, int section_end, int frame_total);

// Where each frame lies on a sprite sheet: cells of Cell x Cell pixels (the
// frame size times the scale), Columns to a row, Padding pixels between
// neighbouring cells and none around the sheet.
struct Sheet_Layout {
  int Cell = 0;
  int Columns = 1, Rows = 1;
  int Padding = 0;
  int Width = 0, Height = 0;
  // The place of frame i (0 = the first exported).
  Rect Cell_Rect(int i) const;
};

// Columns are brought into 1..frames. Throws Toolkit_Error when the sheet
// would be larger than a picture may be.
Sheet_Layout Lay_Out_Sheet(int frames, int frame_size, int columns, int scale, int padding);

// Copies the area of src into dst with its top left at (x, y), every pixel
// becoming a scale x scale block.
void Scale_Into(Raster_Image& dst, int x, int y, const Raster_Image& src, const Rect& area,
                int scale);

// The sheet of the frames of a strip: each scaled into its cell; the padding
// and the cells left over in the last row are the mount colour.
Raster_Image Make_Sheet(const Raster_Image& strip, int frame_size, Frame_Span frames,
                        const Sheet_Layout& layout, Colour mount);

// The sheet's rows one at a time, as Make_Sheet would have them, without
// holding the whole sheet: Row(y) gives row y, in the same memory as the row
// before when the two are alike (the rows of a scaled pixel, and padding).
class Sheet_Rows {
 public:
  Sheet_Rows(const Raster_Image& strip, int frame_size, Frame_Span frames,
             const Sheet_Layout& layout, Colour mount);
  const Colour* Row(int y);

 private:
  const Raster_Image& strip_;
  int frame_size_, scale_;
  Frame_Span frames_;
  Sheet_Layout layout_;
  Colour mount_;
  std::vector<Colour> line_[2];
  int now_ = 0;     // the line last made
  long made_ = -1;  // which source line it holds; -2 for padding
};

}  // namespace tolvane
