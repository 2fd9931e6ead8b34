#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/raster_image.h"
#include "platform/form.h"
#include "platform/platform.h"

namespace tolvane {

// The small "Loading" window that shows a PCX picture line by line while it
// decodes. Not modal: the decoder shows it, fills Picture row by row and
// hides it again; its view follows Visible.
class TLoading_Window : public TForm {
 public:
  TLoading_Window() {
    Name = "Loading_Window";
    Caption = "Loading";
  }
  Image_Control Picture;
  // Rows of Picture decoded so far; the view repaints only the new ones.
  int Rows_Shown = 0;
};

// Decodes the PCX file at path into target, showing the picture in loading
// (which may be null) and pumping events once per line.
// With a window, it pumps once more after hiding it, so that the window is
// gone when this returns.
// Returns true when target now holds the picture. A refused file (not a PCX,
// too big) shows its warning box and returns false with target unchanged.
// Failures of the file itself (cannot be opened, shorter than its header)
// throw Toolkit_Error naming the file and the reason; target is unchanged
// and the window is hidden.
bool Decode_Pcx(Platform& p, TLoading_Window* loading, const std::string& path,
                Raster_Image& target);

// Layouts read (bits per pixel per plane x planes): 1 x 1 black and white;
// 1 x 2, 1 x 3 and 1 x 4 planes combined into 4, 8 and 16 colours of the
// header palette; 2 x 1 and 4 x 1 packed pixels (most significant first) of
// the header palette's first 4 and 16 entries; 8 x 1 through the 768-byte
// palette at the end of the file; 8 x 3 red, green, blue planes; 8 x 4 red,
// green, blue, alpha with the alpha dropped. Anything else is not valid, as
// is a header with no planes or no bytes per line.
//
// Sizes: a line of more than 65521 coded bytes (bytes per line x planes) or a
// picture of more than Max_Image_Pixels is too big. Data that ends early, and
// pixels past the end of a line shorter than the picture, read as zero
// (palette entry 0, or black). A picture bigger than 4 Mpixels whose file
// could not fill it even at the densest coding gets only the rows the file
// could fill, so a small file never makes us allocate a huge picture.
enum class Pcx_Verdict { Decoded, Not_Valid, Too_Big };

// Decodes a PCX file held in memory, without window or messages. On Decoded
// target holds the picture; otherwise it is unchanged. A file shorter than
// its header throws Toolkit_Error("Read beyond end of file").
Pcx_Verdict Decode_Pcx_Data(const std::uint8_t* data, std::size_t size, Raster_Image& target);
// The same from a file, for callers without a window (the command line);
// also throws Toolkit_Error "Cannot open file <path>" and "Stream read error".
Pcx_Verdict Read_Pcx_File(const std::string& path, Raster_Image& target);

}  // namespace tolvane
