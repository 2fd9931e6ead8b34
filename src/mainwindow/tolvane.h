#pragma once
#include <memory>
#include <string>

#include "document/editing_state.h"
#include "document/export_choices.h"
#include "document/settings.h"
#include "editor/floating_selection.h"
#include "editor/palette.h"
#include "editor/tools.h"
#include "editor/zoom_view.h"
#include "mainwindow/document_session.h"
#include "mainwindow/main_controls.h"
#include "mainwindow/playback.h"
#include "platform/controls.h"
#include "platform/form.h"
#include "platform/platform.h"

namespace tolvane {

struct Application;

// The preview's border while playing.
inline constexpr Colour Playing_Border = 0x0000FF;

// The main window. Owns the editing state for the whole run; its handlers are
// split by concern over several files in mainwindow/, and forward to the
// parts that hold the mechanisms:
//   tolvane_create.cpp    creation, closing, About, progress
//   tolvane_help.cpp      the user guide and What's New
//   tolvane_layout.cpp    where the controls sit at start-up
//   commands.cpp          the menus' commands with their keys and enabled rules,
//                         and the controls' state derived after each command
//   playback.cpp          playback's own state and its tick
//   document_session.cpp  Load, Save, Save As, New, installing a strip, closing
//   session_recovery.cpp  recovery copies of unsaved work
//   tolvane_display.cpp   Show_Frame, Layout_Frame_Views, navigation, Resize
//   tolvane_playback.cpp  speed, Play, Stop, timer, sections
//   tolvane_frames.cpp    Add, Insert, Delete, Clear, frame buffer
//   tolvane_import.cpp    Import Frames, Import PCX, frame retrieval
//   tolvane_zoom.cpp      zoom buttons, scrolling, the wheel, view aids (View)
//   tolvane_tools.cpp     tool choice and the zoom view's mouse (Mouse)
//   tolvane_selection.cpp dragging the selection (Selection)
//   tolvane_palette.cpp   palette and colour swatches
//   tolvane_palettes.cpp  the Palette menu, its cells and Replace Colour
//   tolvane_undo.cpp      undo, nudge, flip
//   tolvane_clipboard.cpp clipboard copy, cut and paste
//   tolvane_effects.cpp   the effect sequences
//   tolvane_merge.cpp     Merge Files
//   tolvane_gif.cpp       Export GIF
//   tolvane_sheet.cpp     Export Sheet
//   tolvane_window.cpp    the window as the user sizes it
//   tolvane_keys.cpp      the items that carry the daily keys, Fit
//   tolvane_history.cpp   Step Backward, Step Forward
class TTolvane : public TForm, public Editing_State, public Editor_Host {
 public:
  explicit TTolvane(Application& app);

  Application& App;
  Platform& P;

  // The controls by their names, as the views show them.
  Main_Controls Controls;

  int Thumb_Slots = 5;

  // The editor's parts: the zoom view (factor, scrolling, redraw), the
  // floating selection and the zoom view's mouse protocol with the tools.
  Zoom_View View{Controls.Zoom, Controls.ZH, Controls.ZV, Controls.Label5};
  Floating_Selection Selection{Working_Frame, View, Controls.Select_Marker, Controls.Select_Image,
                               *this};
  Zoom_Mouse Mouse{*this, View, Selection, *this};

  Playback Player;
  // The zoom view's drawing aids (View menu), kept in the settings file.
  struct View_Aids {
    bool Onion_Skin = false;
    bool Pixel_Grid = false;
    bool Transparency = true;  // the transparent colour as a checkerboard
  } Aids;
  // What the actual-size preview (Controls.Frame) shows: the working frame,
  // with the transparency aid as the zoom view has it.
  Frame_Preview Preview;
  const Raster_Image& Preview_Picture() { return Preview.Picture(*this, Aids.Transparency); }

  bool Document_Open() const override { return Opened; }
  // Every control's Enabled, Checked and Down, and the playback controls,
  // from the document's and playback's state; run after each command.
  void Show_State();
  // The editing state's invariants and the selection's background's size.
  std::string Check_Invariants() const;

  // Start-up and end.
  void FormCreate();
  void FormShow() override;
  void Close() override;  // Exit1Click and the title-bar button come here
  bool Closed = false;    // set when a close request was granted
  void Exit1Click();
  void About2Click();

  // Help: the user guide and the release notes, each in a window of its own.
  void UserGuide1Click();
  void WhatsNew1Click();
  std::string Settings_File() const;
  void Read_Settings();
  void Write_Settings();
  // What the settings file keeps, as the window now has it.
  Settings_Values Current_Settings() const;
  // Settings are also written soon after they change, once a burst of
  // changes has settled (Keep_Settings, on the recovery timer's ticks), so
  // that a crash loses none. A failure of such a write is told once.
  struct Settings_Watch {
    Settings_Values Written, Seen;
    std::int64_t Seen_Ms = 0;
    bool Failure_Told = false;
  } Settings_Kept;
  void Keep_Settings();

  // Progress panel protocol for long operations.
  void Progress_Show(int steps, const std::string& caption);
  void Progress_Step(int i, int n);
  void Progress_Hide();

  // Files: the session does the work.
  Document_Session Session{*this};
  void Load1Click() { Session.Load(); }
  void Save1Click() { Session.Save(); }
  void SaveAs1Click() { Session.Save_As(); }
  void New1Click() { Session.New(); }

  // Frame import: Import Frames, Import PCX and Load's retrieval branch hand
  // a picture to the retrieval dialog and install what it retrieves.
  void Import1Click();
  void ImportPCX1Click();
  // Frames retrieved into an open animation are a step named `step` of its
  // history; with none open they begin a history.
  void Retrieve_Frames(const std::string& path, const std::string& step);

  // Display and navigation.
  void Show_Frame();
  // The frame counter, with the current frame's own duration, and which
  // thumbnails show frames with durations of their own.
  void Show_Counter();
  // The current frame's thumbnail drawn from the working frame, without a
  // commit: after each stroke and each command that changed the frame.
  void Show_Working_Thumb();
  // Sizes the views and the window for Frame_Size; the strip is not touched.
  void Layout_Frame_Views();
  void SpeedButton2Click();  // first
  void Prev_FrameClick();
  void Next_FrameClick();
  void SpeedButton12Click();  // last
  void Resize1Click();

  // Playback and sections.
  void Play_SpeedChange();
  void PlayClick();
  void StopClick();
  // Stops a running playback as Stop does, so that a command acts on the frame
  // the counter and the zoom view show; nothing while stopped. Every command
  // that changes frames calls it before it asks or changes anything.
  void Stop_Playback();
  void Anim_TimerTimer();
  void Repeat_AnimClick();
  void Show_Section();
  void MarkFrameAsStartOfSection1Click();
  void MarkFrameAsEndOfSection1Click();
  void ResetMarks1Click();
  // A section over every frame before Add, Insert or a merge covers every
  // frame after it, so that a new animation plays whole; any other section
  // stays as it was.
  bool Section_Whole() const { return Section_Start == 0 && Section_End == Frame_Total - 1; }
  void Keep_Section_Whole(bool was_whole);

  // Merge Files (mainwindow/tolvane_merge.cpp); the strip, the overlap and
  // the kind come through the transition dialog App.Add_Trans.
  void MergeFiles1Click();
  // Asks for a plain append or a transition and merges: true when it did.
  bool Merge_As_Asked();
  void Append_Merge_Strip();
  void Build_Transition();

  // Frame list.
  void Add1Click();
  void Insert1Click();
  void Delete1Click();
  void Clear1Click();
  void Copy1Click();
  void Paste1Click();

  // Zoom view.
  void Redraw_Zoom() override;
  void Update_Zoom_Range();
  void Zoom_OutClick();
  void Zoom_InClick();
  void ZHChange();
  void ZVChange();
  // The mouse wheel over the zoom view (deltas as a wheel reports them, 120 a
  // notch): it scrolls down and up, with Shift left and right, one scroll-bar
  // step per notch; with Ctrl it zooms in and out. Not while dragging.
  void ZoomMouseWheel(unsigned shift, int delta_x, int delta_y);

  // Tools and the zoom view's mouse protocol (x, y in view pixels).
  void Set_Tool(int n);
  // Drops a floating selection without changing the tool: its pixels stay
  // where they lie in the working frame.
  void Drop_Selection() { Set_Tool(Cur_Tool); }
  void Tool1Click();
  void Tool2Click();
  void Tool3Click();
  void Tool4Click();
  void Tool5Click();
  void Tool6Click();
  void Tool7Click();
  void Tool8Click();
  Speed_Button& Tool_Button(int n);
  void ZoomMouseDown(Mouse_Button button, unsigned shift, int x, int y);
  void ZoomMouseMove(unsigned shift, int x, int y);
  void ZoomMouseUp(Mouse_Button button, unsigned shift, int x, int y);

  // Palette.
  void Paint_Palette();  // custom cells and both swatches from the colours
  void Paint_Selected1() override;
  void Paint_Selected2() override;
  void PalMouseUp(Mouse_Button button, unsigned shift, int x, int y);
  void CustomMouseUp(Mouse_Button button, unsigned shift, int x, int y);

  // The Palette menu (mainwindow/tolvane_palettes.cpp): the whole palette,
  // loaded, saved or taken from the animation, its cells beside the tools
  // and in a tool window, and Replace Colour. Kept in the settings file.
  Palette_State Palette;
  void LoadPalette1Click();
  void SavePaletteAs1Click();
  void PaletteFromAnimation1Click();
  void ReplaceColour1Click();
  void DefaultPalette1Click();
  void PaletteWindow1Click();
  void PreviousColour1Click();
  void NextColour1Click();
  // A release over the cells beside the tools or in the tool window: left
  // picks the first colour, right the second.
  void Pal_CellsMouseUp(Mouse_Button button, unsigned shift, int x, int y);
  void Pal_ToolMouseUp(Mouse_Button button, unsigned shift, int x, int y);
  void Pal_ToolClose();
  // Places and paints both sets of cells for the palette, the drawing
  // colours and the room the window gives; only what changed is painted.
  void Show_Palette_Cells();
  struct Cells_Painted {
    std::vector<Colour> Colours;
    Colour First = 0, Second = 0;
    int Pitch = -1;
    friend bool operator==(const Cells_Painted&, const Cells_Painted&) = default;
  } Cells_Shown;
  static constexpr Palette_Grid Tool_Grid{16, 13};

  // Undo, nudge and flip.
  void Take_Undo_Copy() override;
  // The select tool is active and a selection is shown: nudge, flip, copy
  // and cut act on the selection.
  bool Selection_Mode() const;
  void Undo1Click();
  void Nudge1Click();  // left
  void Nudge2Click();  // right
  void Nudge3Click();  // up
  void Nudge4Click();  // down
  void FlipHorizontal1Click();
  void FlipVertical1Click();

  // Effects: one command for the four menu items; the sender is the item
  // chosen (Brightness1, Rotate1, Squash1 or Spin1).
  void Brightness1Click(const Menu_Item& sender);
  // Opens the effect dialog on the current frame: true when it was accepted.
  bool Ask_Effect(const Menu_Item& sender);
  // Selection (x, y of the grab area's events relative to it) and the
  // clipboard exchange.
  void Select_ImageMouseDown(Mouse_Button button, unsigned shift, int x, int y);
  void Select_ImageMouseMove(unsigned shift, int x, int y);
  void Select_ImageMouseUp(Mouse_Button button, unsigned shift, int x, int y);
  void Copy2Click();
  void Cut1Click();
  void Paste2Click();
  void CopyToClipboard1Click();
  void PasteFromClipboard1Click();

  // Export GIF (File menu, after Save As; mainwindow/tolvane_gif.cpp): the
  // current section as an animated GIF. Enabled with Save As.
  void ExportGIF1Click();

  // Export Sheet (File menu, after Export GIF; mainwindow/tolvane_sheet.cpp):
  // the frames as a PNG sprite sheet with a JSON file beside it. Enabled
  // with Save As.
  void ExportSheet1Click();
  // The export dialogs' choices, kept in the settings file.
  Export_Choices Export;

  // View menu, after Section (editor/view_aids.cpp): drawing aids in the
  // zoom view only, kept in the settings file.
  void OnionSkin1Click();
  void PixelGrid1Click();

  // Transparency (tolvane_transparency.cpp): the view aid, the command that
  // sets or removes the transparent colour, and Save as BMP's question.
  void ShowTransparency1Click();
  void TransparentColour1Click();
  bool Ask_Bmp_Transparency = true;
  // The menu's check and the swatches follow the transparent colour (each
  // redraw of the zoom view, after whatever changed it).
  void Show_Transparent_Colour();
  std::optional<Colour> Swatch_Transparent;
  // False when the user keeps the document unsaved rather than lose its
  // transparent colour in the BMP `path`.
  bool Go_On_Without_Transparency(const std::string& path);

  // Frame timing (tolvane_timing.cpp): Frame > Frame Timing through
  // App.Frame_Timing_Form, and Save as BMP's question when frames have
  // durations of their own, which a BMP cannot keep.
  void FrameTiming1Click();
  bool Ask_Bmp_Timings = true;
  bool Go_On_Without_Timings(const std::string& path);

  // The window as the user sizes it (mainwindow/tolvane_window.cpp). Its
  // client area never gets smaller than the size Layout_Frame_Views gives the
  // frame size, Min_Client_Width x Min_Client_Height, where every control
  // keeps its place; beyond it the zoom view takes the extra width and
  // height, the thumbnail row, the preview and the labels keep to the
  // bottom-left, and the speed control stays beside the view. The size asked
  // for is kept, so that a new frame size lays the window out for it again.
  int Min_Client_Width = 373, Min_Client_Height = 222;
  int Asked_Width = 0, Asked_Height = 0;  // 0: the minimum
  // What [Window] in the settings keeps: the last client size while not
  // maximised, and whether the window is maximised.
  int Normal_Width = 0, Normal_Height = 0;
  bool Maximised = false;
  void FormResize(int client_width, int client_height);
  void Window_State_Change(bool maximised);
  // Moves the controls that follow the window's size to their places at the
  // minimum, and back out to the size asked for; Layout_Frame_Views places
  // the rest in between.
  void Unstretch_Window();
  void Stretch_Window();

  // Commands that exist for their keys (mainwindow/tolvane_keys.cpp), in the
  // menus that show the keys: zooming in View; nudges, the tools and the
  // colour swap in Edit; moving between frames and playing in Frame.
  // The largest factor from 1 to 32 at which the whole frame fits the view.
  void Fit1Click();
  void SwapColours1Click();
  // Play while stopped, Stop while playing; as the buttons, only when enabled.
  void PlayStop1Click();
  // Edit menu, after Undo (mainwindow/tolvane_history.cpp): the document's
  // history, enabled while there is a step to take.
  void StepBackward1Click();
  void StepForward1Click();
  // The first time in a session that the history dropped steps to stay
  // within its cap, says so once (on a tick of the recovery timer, between
  // commands).
  bool History_Cut_Told = false;
  void Tell_History_Cut();
};

}  // namespace tolvane
