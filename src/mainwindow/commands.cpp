#include "mainwindow/commands.h"

#include "mainwindow/tolvane.h"
#include "mainwindow/tolvane_layout.h"

namespace tolvane {

namespace {

using T = TTolvane;
using C = Main_Controls;
using R = Enable_Rule;

constexpr Command Menu(Menu_Item C::*item, Menu_Item C::*menu, const char* name,
                       const char* caption, R rule = R::Always) {
  return {item, menu, name, caption, "", "", nullptr, rule, false, true, nullptr};
}

constexpr Command Separator(Menu_Item C::*item, Menu_Item C::*menu, const char* name) {
  return {item, menu, name, "-", "", "", nullptr, R::Always, false, true, nullptr};
}

constexpr Command Item(Menu_Item C::*item, Menu_Item C::*menu, const char* name,
                       const char* caption, void (T::*click)(), const char* key = "",
                       R rule = R::Always) {
  return {item, menu, name, caption, key, "", click, rule, false, true, nullptr};
}

constexpr Command Also(Command c, const char* alt_key) {
  c.Alt_Shortcut = alt_key;
  return c;
}

constexpr Command Checked(Command c) {
  c.Check_Item = true;
  return c;
}

// Held down, a toggle would flicker between its two states.
constexpr Command No_Repeat(Command c) {
  c.Auto_Repeat = false;
  return c;
}

constexpr Command Effect(Menu_Item C::*item, const char* name, const char* caption) {
  return {item, &C::Effects1,        name, caption, "", "", nullptr, R::Always, false,
          true, &T::Brightness1Click};
}

const Command Table[] = {
    Menu(&C::File1, nullptr, "File1", "&File"),
    Item(&C::Load1, &C::File1, "Load1", "&Load", &T::Load1Click, "Ctrl+O"),
    Item(&C::Import1, &C::File1, "Import1", "&Import Frames...", &T::Import1Click),
    Item(&C::ImportPCX1, &C::File1, "ImportPCX1", "Import &PCX...", &T::ImportPCX1Click),
    // Ctrl+S marks the section start; Save takes a key no other item has.
    Item(&C::Save1, &C::File1, "Save1", "&Save", &T::Save1Click, "F2", R::Open),
    Item(&C::SaveAs1, &C::File1, "SaveAs1", "Save &As...", &T::SaveAs1Click, "Ctrl+Shift+S",
         R::Open),
    Item(&C::ExportGIF1, &C::File1, "ExportGIF1", "Export &GIF...", &T::ExportGIF1Click, "",
         R::Open),
    Item(&C::ExportSheet1, &C::File1, "ExportSheet1", "Export Sh&eet...", &T::ExportSheet1Click, "",
         R::Open),
    Item(&C::MergeFiles1, &C::File1, "MergeFiles1", "&Merge Files...", &T::MergeFiles1Click, "",
         R::Open),
    Item(&C::New1, &C::File1, "New1", "&New...", &T::New1Click, "Ctrl+N"),
    Separator(&C::N1, &C::File1, "N1"),
    Menu(&C::About1, &C::File1, "About1", "&Help"),
    Item(&C::UserGuide1, &C::About1, "UserGuide1", "User &Guide", &T::UserGuide1Click, "F1"),
    Item(&C::About2, &C::About1, "About2", "&About...", &T::About2Click),
    Item(&C::WhatsNew1, &C::About1, "WhatsNew1", "&What's New...", &T::WhatsNew1Click),
    Item(&C::Exit1, &C::File1, "Exit1", "E&xit", &T::Exit1Click, "Ctrl+Q"),

    Menu(&C::Edit1, nullptr, "Edit1", "&Edit", R::Open),
    Item(&C::Copy2, &C::Edit1, "Copy2", "&Copy (To Clipboard)", &T::Copy2Click, "Ctrl+C"),
    Item(&C::Cut1, &C::Edit1, "Cut1", "Cu&t (To Clipboard)", &T::Cut1Click, "Ctrl+X"),
    Item(&C::Paste2, &C::Edit1, "Paste2", "&Paste (From Clipboard)", &T::Paste2Click, "Ctrl+V"),
    Separator(&C::N2, &C::Edit1, "N2"),
    Item(&C::FlipHorizontal1, &C::Edit1, "FlipHorizontal1", "Flip &Horizontal",
         &T::FlipHorizontal1Click),
    Item(&C::FlipVertical1, &C::Edit1, "FlipVertical1", "Flip &Vertical", &T::FlipVertical1Click),
    Item(&C::NudgeLeft1, &C::Edit1, "NudgeLeft1", "Nudge Left", &T::Nudge1Click, "Shift+Left"),
    Item(&C::NudgeRight1, &C::Edit1, "NudgeRight1", "Nudge Right", &T::Nudge2Click, "Shift+Right"),
    Item(&C::NudgeUp1, &C::Edit1, "NudgeUp1", "Nudge Up", &T::Nudge3Click, "Shift+Up"),
    Item(&C::NudgeDown1, &C::Edit1, "NudgeDown1", "Nudge Down", &T::Nudge4Click, "Shift+Down"),
    Separator(&C::N7, &C::Edit1, "N7"),
    Menu(&C::Tools1, &C::Edit1, "Tools1", "T&ools"),
    Checked(Item(&C::Pencil1, &C::Tools1, "Pencil1", "&Pencil", &T::Tool1Click, "P")),
    Checked(Item(&C::FilledRectangle1, &C::Tools1, "FilledRectangle1", "Filled &Rectangle",
                 &T::Tool2Click, "R")),
    Checked(Item(&C::OutlineRectangle1, &C::Tools1, "OutlineRectangle1", "&Outline Rectangle",
                 &T::Tool3Click, "O")),
    Checked(Item(&C::Line1, &C::Tools1, "Line1", "&Line", &T::Tool4Click, "L")),
    Checked(Item(&C::Fill1, &C::Tools1, "Fill1", "&Fill", &T::Tool5Click, "F")),
    Checked(Item(&C::Select1, &C::Tools1, "Select1", "&Select", &T::Tool6Click, "S")),
    Checked(Item(&C::FilledEllipse1, &C::Tools1, "FilledEllipse1", "Filled &Ellipse",
                 &T::Tool7Click, "E")),
    Checked(Item(&C::Syringe1, &C::Tools1, "Syringe1", "S&yringe", &T::Tool8Click, "Y")),
    No_Repeat(Item(&C::SwapColours1, &C::Edit1, "SwapColours1", "S&wap Colours",
                   &T::SwapColours1Click, "X")),
    Checked(Item(&C::TransparentColour1, &C::Edit1, "TransparentColour1", "Transparent Co&lour",
                 &T::TransparentColour1Click)),
    Separator(&C::N3, &C::Edit1, "N3"),
    Item(&C::Undo1, &C::Edit1, "Undo1", "&Undo", &T::Undo1Click, "Ctrl+U", R::Undo),
    Item(&C::StepBackward1, &C::Edit1, "StepBackward1", "Step &Backward", &T::StepBackward1Click,
         "Ctrl+Z", R::Step_Back),
    Also(Item(&C::StepForward1, &C::Edit1, "StepForward1", "Step &Forward", &T::StepForward1Click,
              "Ctrl+Shift+Z", R::Step_Forward),
         "Ctrl+Y"),

    Menu(&C::Frame1, nullptr, "Frame1", "F&rame", R::Open),
    Item(&C::Clear1, &C::Frame1, "Clear1", "C&lear", &T::Clear1Click),
    Item(&C::Copy1, &C::Frame1, "Copy1", "&Copy (To Buffer)", &T::Copy1Click, "Shift+Ins"),
    Item(&C::Paste1, &C::Frame1, "Paste1", "&Paste (From Buffer)", &T::Paste1Click, "Ins",
         R::Buffer),
    Separator(&C::N4, &C::Frame1, "N4"),
    Item(&C::CopyToClipboard1, &C::Frame1, "CopyToClipboard1", "C&opy (To Clipboard)",
         &T::CopyToClipboard1Click),
    Item(&C::PasteFromClipboard1, &C::Frame1, "PasteFromClipboard1", "P&aste (From Clipboard)",
         &T::PasteFromClipboard1Click),
    Separator(&C::N5, &C::Frame1, "N5"),
    Item(&C::Add1, &C::Frame1, "Add1", "&Add", &T::Add1Click, "Ctrl+A"),
    Item(&C::Delete1, &C::Frame1, "Delete1", "&Delete", &T::Delete1Click, "Del"),
    Item(&C::Insert1, &C::Frame1, "Insert1", "&Insert", &T::Insert1Click, "Ctrl+I"),
    Item(&C::Resize1, &C::Frame1, "Resize1", "&Resize", &T::Resize1Click),
    Item(&C::FrameTiming1, &C::Frame1, "FrameTiming1", "Frame &Timing...", &T::FrameTiming1Click),
    Separator(&C::N8, &C::Frame1, "N8"),
    Item(&C::FirstFrame1, &C::Frame1, "FirstFrame1", "&First Frame", &T::SpeedButton2Click, "Home"),
    Item(&C::PreviousFrame1, &C::Frame1, "PreviousFrame1", "Pre&vious Frame", &T::Prev_FrameClick,
         "Left"),
    Item(&C::NextFrame1, &C::Frame1, "NextFrame1", "&Next Frame", &T::Next_FrameClick, "Right"),
    Item(&C::LastFrame1, &C::Frame1, "LastFrame1", "Las&t Frame", &T::SpeedButton12Click, "End"),
    No_Repeat(
        Item(&C::PlayStop1, &C::Frame1, "PlayStop1", "Pla&y / Stop", &T::PlayStop1Click, "Space")),

    Menu(&C::Section1, nullptr, "Section1", "&Section", R::Sections),
    Item(&C::MarkFrameAsStartOfSection1, &C::Section1, "MarkFrameAsStartOfSection1",
         "Mark Frame as &Start of Section", &T::MarkFrameAsStartOfSection1Click, "Ctrl+S"),
    Item(&C::MarkFrameAsEndOfSection1, &C::Section1, "MarkFrameAsEndOfSection1",
         "Mark Frame as &End of Section", &T::MarkFrameAsEndOfSection1Click, "Ctrl+E"),
    Item(&C::ResetMarks1, &C::Section1, "ResetMarks1", "&Reset Marks", &T::ResetMarks1Click,
         "Ctrl+R"),

    Menu(&C::View1, nullptr, "View1", "&View"),
    Checked(Item(&C::OnionSkin1, &C::View1, "OnionSkin1", "&Onion Skin", &T::OnionSkin1Click)),
    Checked(Item(&C::PixelGrid1, &C::View1, "PixelGrid1", "&Pixel Grid", &T::PixelGrid1Click)),
    Checked(Item(&C::ShowTransparency1, &C::View1, "ShowTransparency1", "Show &Transparency",
                 &T::ShowTransparency1Click)),
    Separator(&C::N6, &C::View1, "N6"),
    // Where "+" needs Shift, the key under it zooms in too.
    Also(Item(&C::ZoomIn1, &C::View1, "ZoomIn1", "Zoom &In", &T::Zoom_InClick, "Ctrl++"), "Ctrl+="),
    Item(&C::ZoomOut1, &C::View1, "ZoomOut1", "Zoom O&ut", &T::Zoom_OutClick, "Ctrl+-"),
    Item(&C::Fit1, &C::View1, "Fit1", "&Fit", &T::Fit1Click, "Ctrl+0"),

    Menu(&C::Effects1, nullptr, "Effects1", "Effe&cts", R::Open),
    Effect(&C::Brightness1, "Brightness1", "&Brightness..."),
    Effect(&C::Rotate1, "Rotate1", "&Rotate..."),
    Effect(&C::Squash1, "Squash1", "S&quash..."),
    Effect(&C::Spin1, "Spin1", "S&pin..."),

    Menu(&C::Palette1, nullptr, "Palette1", "&Palette"),
    Item(&C::LoadPalette1, &C::Palette1, "LoadPalette1", "&Load Palette...", &T::LoadPalette1Click),
    Item(&C::SavePaletteAs1, &C::Palette1, "SavePaletteAs1", "&Save Palette As...",
         &T::SavePaletteAs1Click),
    Item(&C::PaletteFromAnimation1, &C::Palette1, "PaletteFromAnimation1",
         "Palette from &Animation", &T::PaletteFromAnimation1Click, "", R::Open),
    Item(&C::ReplaceColour1, &C::Palette1, "ReplaceColour1", "&Replace Colour...",
         &T::ReplaceColour1Click, "", R::Open),
    Item(&C::DefaultPalette1, &C::Palette1, "DefaultPalette1", "&Default Palette",
         &T::DefaultPalette1Click),
    Separator(&C::NP1, &C::Palette1, "NP1"),
    Checked(Item(&C::PaletteWindow1, &C::Palette1, "PaletteWindow1", "Palette &Window",
                 &T::PaletteWindow1Click)),
    Item(&C::PreviousColour1, &C::Palette1, "PreviousColour1", "Pre&vious Colour",
         &T::PreviousColour1Click, "["),
    Item(&C::NextColour1, &C::Palette1, "NextColour1", "Ne&xt Colour", &T::NextColour1Click, "]"),
};

const Command* Row_Of(Menu_Item C::*item) {
  for (const Command& c : Table)
    if (c.Item == item) return &c;
  return nullptr;
}

}  // namespace

std::span<const Command> Commands() { return Table; }

void Lay_Out_Commands(TTolvane& t) {
  for (const Command& c : Table) {
    Menu_Item& m = t.Controls.*c.Item;
    m.Caption = c.Caption;
    m.Shortcut = c.Shortcut;
    m.Alt_Shortcut = c.Alt_Shortcut;
    m.Check_Item = c.Check_Item;
    m.Auto_Repeat = c.Auto_Repeat;
  }
}

bool Rule_Holds(Enable_Rule rule, const TTolvane& t) {
  switch (rule) {
    case R::Always:
      return true;
    case R::Open:
      return t.Opened;
    case R::Undo:
      return t.Undo_Available;
    case R::Buffer:
      return t.Buffer_Filled;
    case R::Sections:
      return t.Sections_Offered;
    case R::Step_Back:
      return t.Anim_History.Can_Back();
    case R::Step_Forward:
      return t.Anim_History.Can_Forward();
  }
  return false;
}

const Command* Command_For_Key(std::string_view key) {
  if (key.empty()) return nullptr;
  for (const Command& c : Table)
    if (c.Runs() && (key == c.Shortcut || key == c.Alt_Shortcut)) return &c;
  return nullptr;
}

void Run(TTolvane& t, const Command& c) {
  if (c.Click)
    (t.*c.Click)();
  else if (c.Item_Click)
    (t.*c.Item_Click)(t.Controls.*c.Item);
  t.Show_State();
}

bool Press_Key(TTolvane& t, std::string_view key) {
  const Command* c = Command_For_Key(key);
  if (!c) return false;
  for (const Command* row = c; row; row = row->Menu ? Row_Of(row->Menu) : nullptr)
    if (!Rule_Holds(row->Rule, t)) return false;
  Run(t, *c);
  return true;
}

void TTolvane::Show_State() {
  for (const Command& c : Table) (Controls.*c.Item).Enabled = Rule_Holds(c.Rule, *this);
  Show_Tool(*this);
  Controls.OnionSkin1.Checked = Aids.Onion_Skin;
  Controls.PixelGrid1.Checked = Aids.Pixel_Grid;
  Controls.ShowTransparency1.Checked = Aids.Transparency;
  Controls.TransparentColour1.Checked = Transparent_Colour.has_value();
  Controls.Bevel1.Visible = Opened;
  Controls.PaletteWindow1.Checked = Controls.Pal_Tool.Visible;
  Show_Palette_Cells();

  const bool playing = Player.Playing();
  Controls.Play.Enabled = Opened && !playing;
  Controls.Stop.Enabled = playing;
  Controls.Repeat_Anim.Down = Player.Loop();
  Controls.DSP_Panel.Color = playing ? Playing_Border : Face_Colour;
  Controls.Anim_Timer.Enabled = playing;
  // The frame on show holds for its own duration, if it has one.
  Controls.Anim_Timer.Interval = Player.Interval(Frame_Duration(Cur_Frame));
  Controls.Play_Speed.Position = Player.Fps();
  Controls.Label1.Caption = std::to_string(Player.Fps()) + " fps";
}

}  // namespace tolvane
