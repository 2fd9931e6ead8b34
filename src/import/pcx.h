#pragma once
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
  TLoading_Window() { Name = "Loading_Window"; Caption = "Loading"; }
  Image_Control Picture;
};

// Decodes the PCX file at path into target, showing the picture in loading
// (which may be null) and pumping events once per line.
// Returns true when target now holds the picture. A refused file (not a PCX,
// too big) shows its warning box and returns false with target unchanged.
// Failures of the file itself (cannot be opened, shorter than its header)
// throw Toolkit_Error; target is unchanged and the window is hidden.
bool Decode_Pcx(Platform& p, TLoading_Window* loading, const std::string& path,
                Raster_Image& target);

}  // namespace tolvane
