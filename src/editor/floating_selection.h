#pragma once
#include "editor/zoom_view.h"
#include "image/raster_image.h"
#include "platform/controls.h"
#include "platform/form.h"

namespace tolvane {

// The select tool's floating selection: pixels lifted out of the working
// frame (or pasted) that float over the rest of it until dropped. While it
// floats, the working frame is its background with its pixels on top at
// (Left, Top). It is shown by two overlays over the zoom view, the marker
// outlining it and the grab area inside, placed in zoom panel pixels (the
// view sits at (1, 1) in the panel); dropping it parks them out of sight.
class Floating_Selection {
 public:
  Floating_Selection(Raster_Image& frame, const Zoom_View& view, Bevel& marker, Control& grab,
                     const TForm& window);

  // Shown: the marker lies within the window's client width.
  bool Shown() const;
  // Hides the overlays; the pixels stay where they lie in the working frame.
  void Drop();
  // The selection's rectangle in frame pixels (right and bottom excluded);
  // while a band is dragged, its corner cells in view cells.
  Rect Area() const { return {x1_, y1_, x2_, y2_}; }
  const Raster_Image& Bitmap() const { return bitmap_; }
  const Raster_Image& Background() const { return background_; }
  const Raster_Image& Scratch() const { return scratch_; }
  bool Dragging() const { return dragging_; }

  // The rubber band, in view pixels.
  void Band_Press(int x, int y);
  void Band_Move(int x, int y);
  // Ends the band and lifts the frame pixels it covers into the selection.
  // False when the band has no area in the frame: then nothing floats.
  bool Lift();

  // The grab area's mouse events, x and y relative to it. Drag_To is false
  // when no drag is on (or the selection went meanwhile); otherwise it has
  // moved the selection by whole frame pixels and rebuilt the working frame.
  void Grab(int x, int y);
  bool Drag_To(int x, int y);
  void Let_Go();
  // Keeps the overlays over the same frame pixels when the view scrolled by
  // (dx, dy) view pixels.
  void Move_Overlay_By(int dx, int dy);

  // op(bitmap, scratch) rebuilds the selection's pixels from a copy of them
  // (nudge and flip); the working frame is then rebuilt.
  template <class Op>
  void Transform(Op op) {
    Copy_To_Scratch();
    op(bitmap_, scratch_);
    Compose();
  }

  // A picture floated at frame pixel (x, y) over `background`, as a paste
  // makes it; the overlays go to the view's top-left corner.
  void Float(Raster_Image picture, int x, int y, const Raster_Image& background);

  // A background of a new frame size, made by the layout from Background().
  void Take_Background(Raster_Image background);
  // As at start-up: nothing floats, the background blank at `size`.
  void Reset(int size);

 private:
  void Compose();
  void Copy_To_Scratch();
  void Grab_Area_Inside_Marker();

  Raster_Image& frame_;
  const Zoom_View& view_;
  Bevel& marker_;
  Control& grab_;
  const TForm& window_;

  Raster_Image bitmap_, scratch_;
  Raster_Image background_{32, 32};
  int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
  bool dragging_ = false;
  int grab_x_ = 0, grab_y_ = 0;
  // How far the grab point's cell offset exceeds what the factor can absorb;
  // nonzero only at factors 1 and 2.
  int excess_x_ = 0, excess_y_ = 0;
};

}  // namespace tolvane
