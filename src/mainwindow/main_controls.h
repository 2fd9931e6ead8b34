#pragma once

#include <vector>

#include "platform/controls.h"

namespace tolvane {

// The open and save dialogs' filter for animation files.
inline constexpr const char* Bmp_Filter = "Bitmap Files (*.BMP)|*.BMP|All Files (*.*)|*.*";
// The same for pictures the program opens and saves, with PNG after them.
inline constexpr const char* Picture_Filter =
    "Bitmap Files (*.BMP)|*.BMP|All Files (*.*)|*.*|PNG Files (*.PNG)|*.PNG";
// Load, Import Frames and Merge Files open on every picture they read: the
// bitmap filter alone would hide PNG sheets and animated GIFs.
inline constexpr const char* Open_Filter =
    "All Pictures (*.bmp *.png *.gif)|*.bmp;*.png;*.gif|Bitmap Files (*.BMP)|*.BMP|All Files "
    "(*.*)|*.*|PNG Files (*.PNG)|*.PNG|GIF Files (*.GIF)|*.GIF";
inline constexpr const char* Gif_Filter = "GIF Files (*.GIF)|*.GIF";
inline constexpr const char* Sheet_Filter = "PNG Files (*.PNG)|*.PNG";
// Palettes: every format Load Palette reads, and the two Save Palette As writes.
inline constexpr const char* Palette_Filter =
    "Palettes (*.gpl *.hex *.pal *.png *.bmp)|*.gpl;*.hex;*.pal;*.png;*.bmp|All Files (*.*)|*.*";
inline constexpr const char* Palette_Save_Filter =
    "GIMP Palette (*.gpl)|*.gpl|Hex List (*.hex)|*.hex";

// The main window's controls by their names: what the views show. Their
// Enabled, Checked and Down follow the document's and playback's state
// (TTolvane::Show_State); their places follow the frame size and the
// window's size.
struct Main_Controls {
  // Menu bar (the command table gives captions, keys and order).
  Menu_Item File1, Load1, Import1, ImportPCX1, Save1, SaveAs1, ExportGIF1, ExportSheet1,
      MergeFiles1, New1, N1, About1, UserGuide1, About2, WhatsNew1, Exit1;
  Menu_Item Edit1, Copy2, Cut1, Paste2, N2, FlipHorizontal1, FlipVertical1, NudgeLeft1, NudgeRight1,
      NudgeUp1, NudgeDown1, N7, Tools1, Pencil1, FilledRectangle1, OutlineRectangle1, Line1, Fill1,
      Select1, FilledEllipse1, Syringe1, SwapColours1, TransparentColour1, N3, Undo1, StepBackward1,
      StepForward1;
  Menu_Item Frame1, Clear1, Copy1, Paste1, N4, CopyToClipboard1, PasteFromClipboard1, N5, Add1,
      Delete1, Insert1, Resize1, FrameTiming1, N8, FirstFrame1, PreviousFrame1, NextFrame1,
      LastFrame1, PlayStop1;
  Menu_Item Section1, MarkFrameAsStartOfSection1, MarkFrameAsEndOfSection1, ResetMarks1;
  Menu_Item View1, OnionSkin1, PixelGrid1, ShowTransparency1, N6, ZoomIn1, ZoomOut1, Fit1;
  Menu_Item Effects1, Brightness1, Rotate1, Squash1, Spin1;
  Menu_Item Palette1, LoadPalette1, SavePaletteAs1, PaletteFromAnimation1, ReplaceColour1,
      DefaultPalette1, NP1, PaletteWindow1, PreviousColour1, NextColour1;

  // Tool panel (children of Panel1; bounds relative to it).
  Panel Panel1;
  Speed_Button Tool1, Tool2, Tool3, Tool4, Tool5, Tool6, Tool7, Tool8;
  Speed_Button Nudge1, Nudge2, Nudge3, Nudge4, Zoom_Out, Zoom_In;
  Label Label5;

  // Palette (children of Panel2).
  Panel Panel2;
  Image_Control Pal, Col_Select, Custom;
  Bevel Bevel4, Bevel5, Bevel6;
  // The whole palette: in the tool column when the window has room below
  // the tools (client pixels), and in a small tool window of its own
  // (Visible: the window is shown; bounds within it).
  Image_Control Pal_Cells, Pal_Tool;

  // Navigation and playback buttons.
  Speed_Button SpeedButton2, SpeedButton12, Prev_Frame, Next_Frame, Play, Stop, Repeat_Anim;

  // Zoom view (Zoom, Bevel3, Select_Marker, Select_Image are children of Panel3).
  Panel Panel3;
  Bevel Bevel3;
  Image_Control Zoom;
  Scroll_Bar ZH, ZV;
  Bevel Select_Marker;
  Control Select_Image;

  Track_Bar Play_Speed;
  Label Label1;

  // Thumbnails, preview and labels. Frame (child of DSP_Panel) shows
  // TTolvane::Preview_Picture, the working frame at actual size.
  Image_Control Frames;
  // Thumbnail slot i shows a frame with a duration of its own: the view marks it.
  std::vector<bool> Frames_Timed;
  Bevel Bevel1, Bevel2, Bevel7, Bevel8, Bevel9;
  Panel DSP_Panel;
  Control Frame;
  Label Label2, Label3;

  // Progress panel (children relative to it).
  Panel Progress_Panel;
  Label Progress_Caption, Progress;
  Progress_Bar Prog_Bar;

  Timer Anim_Timer;
  File_Dialog OpenDialog1, SaveDialog1;
  Colour_Dialog ColorDialog1;
  File_Dialog GifDialog1{.Title = "Export GIF...",
                         .Filter = Gif_Filter,
                         .Filter_Index = 1,
                         .File_Name = "",
                         .Overwrite_Prompt = true};
  File_Dialog SheetDialog1{.Title = "Export Sheet...",
                           .Filter = Sheet_Filter,
                           .Filter_Index = 1,
                           .File_Name = "",
                           .Overwrite_Prompt = true};
  File_Dialog PaletteDialog1{.Title = "Load Palette...",
                             .Filter = Palette_Filter,
                             .Filter_Index = 1,
                             .File_Name = "",
                             .Overwrite_Prompt = false};
  File_Dialog PaletteSaveDialog1{.Title = "Save Palette As...",
                                 .Filter = Palette_Save_Filter,
                                 .Filter_Index = 1,
                                 .File_Name = "",
                                 .Overwrite_Prompt = true};
};

}  // namespace tolvane
