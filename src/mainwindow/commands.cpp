#include "mainwindow/commands.h"

#include "mainwindow/tolvane.h"
#include "mainwindow/tolvane_layout.h"

namespace tolvane {

namespace {

using T = TTolvane;
using R = Enable_Rule;

constexpr Command Menu(Menu_Item T::*item, Menu_Item T::*menu, const char* name,
                       const char* caption, R rule = R::Always) {
  return {item, menu, name, caption, "", "", nullptr, rule, false, true, nullptr};
}

constexpr Command Separator(Menu_Item T::*item, Menu_Item T::*menu, const char* name) {
  return {item, menu, name, "-", "", "", nullptr, R::Always, false, true, nullptr};
}

constexpr Command Item(Menu_Item T::*item, Menu_Item T::*menu, const char* name,
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

constexpr Command Effect(Menu_Item T::*item, const char* name, const char* caption) {
  return {item, &T::Effects1,        name, caption, "", "", nullptr, R::Always, false,
          true, &T::Brightness1Click};
}

const Command Table[] = {
    Menu(&T::File1, nullptr, "File1", "&File"),
    Item(&T::Load1, &T::File1, "Load1", "&Load", &T::Load1Click),
    Item(&T::Import1, &T::File1, "Import1", "&Import Frames...", &T::Import1Click),
    Item(&T::ImportPCX1, &T::File1, "ImportPCX1", "Import &PCX...", &T::ImportPCX1Click),
    Item(&T::Save1, &T::File1, "Save1", "&Save", &T::Save1Click, "", R::Open),
    Item(&T::SaveAs1, &T::File1, "SaveAs1", "Save &As...", &T::SaveAs1Click, "", R::Open),
    Item(&T::ExportGIF1, &T::File1, "ExportGIF1", "Export &GIF...", &T::ExportGIF1Click, "",
         R::Open),
    Item(&T::ExportSheet1, &T::File1, "ExportSheet1", "Export Sh&eet...", &T::ExportSheet1Click, "",
         R::Open),
    Item(&T::MergeFiles1, &T::File1, "MergeFiles1", "&Merge Files...", &T::MergeFiles1Click, "",
         R::Open),
    Item(&T::New1, &T::File1, "New1", "&New...", &T::New1Click),
    Separator(&T::N1, &T::File1, "N1"),
    Menu(&T::About1, &T::File1, "About1", "&Help"),
    Item(&T::About2, &T::About1, "About2", "&About...", &T::About2Click),
    Item(&T::WhatsNew1, &T::About1, "WhatsNew1", "&What's New...", &T::WhatsNew1Click),
    Item(&T::Exit1, &T::File1, "Exit1", "E&xit", &T::Exit1Click),

    Menu(&T::Edit1, nullptr, "Edit1", "&Edit", R::Open),
    Item(&T::Copy2, &T::Edit1, "Copy2", "&Copy (To Clipboard)", &T::Copy2Click, "Ctrl+C"),
    Item(&T::Cut1, &T::Edit1, "Cut1", "Cu&t (To Clipboard)", &T::Cut1Click, "Ctrl+X"),
    Item(&T::Paste2, &T::Edit1, "Paste2", "&Paste (From Clipboard)", &T::Paste2Click, "Ctrl+V"),
    Separator(&T::N2, &T::Edit1, "N2"),
    Item(&T::FlipHorizontal1, &T::Edit1, "FlipHorizontal1", "Flip &Horizontal",
         &T::FlipHorizontal1Click),
    Item(&T::FlipVertical1, &T::Edit1, "FlipVertical1", "Flip &Vertical", &T::FlipVertical1Click),
    Item(&T::NudgeLeft1, &T::Edit1, "NudgeLeft1", "Nudge Left", &T::Nudge1Click, "Shift+Left"),
    Item(&T::NudgeRight1, &T::Edit1, "NudgeRight1", "Nudge Right", &T::Nudge2Click, "Shift+Right"),
    Item(&T::NudgeUp1, &T::Edit1, "NudgeUp1", "Nudge Up", &T::Nudge3Click, "Shift+Up"),
    Item(&T::NudgeDown1, &T::Edit1, "NudgeDown1", "Nudge Down", &T::Nudge4Click, "Shift+Down"),
    Separator(&T::N7, &T::Edit1, "N7"),
    Menu(&T::Tools1, &T::Edit1, "Tools1", "T&ools"),
    Checked(Item(&T::Pencil1, &T::Tools1, "Pencil1", "&Pencil", &T::Tool1Click, "P")),
    Checked(Item(&T::FilledRectangle1, &T::Tools1, "FilledRectangle1", "Filled &Rectangle",
                 &T::Tool2Click, "R")),
    Checked(Item(&T::OutlineRectangle1, &T::Tools1, "OutlineRectangle1", "&Outline Rectangle",
                 &T::Tool3Click, "O")),
    Checked(Item(&T::Line1, &T::Tools1, "Line1", "&Line", &T::Tool4Click, "L")),
    Checked(Item(&T::Fill1, &T::Tools1, "Fill1", "&Fill", &T::Tool5Click, "F")),
    Checked(Item(&T::Select1, &T::Tools1, "Select1", "&Select", &T::Tool6Click, "S")),
    Checked(Item(&T::FilledEllipse1, &T::Tools1, "FilledEllipse1", "Filled &Ellipse",
                 &T::Tool7Click, "E")),
    Checked(Item(&T::Syringe1, &T::Tools1, "Syringe1", "S&yringe", &T::Tool8Click, "Y")),
    No_Repeat(Item(&T::SwapColours1, &T::Edit1, "SwapColours1", "S&wap Colours",
                   &T::SwapColours1Click, "X")),
    Separator(&T::N3, &T::Edit1, "N3"),
    Item(&T::Undo1, &T::Edit1, "Undo1", "&Undo", &T::Undo1Click, "Ctrl+U", R::Undo),
    Item(&T::StepBackward1, &T::Edit1, "StepBackward1", "Step &Backward", &T::StepBackward1Click,
         "Ctrl+Z", R::Step_Back),
    Also(Item(&T::StepForward1, &T::Edit1, "StepForward1", "Step &Forward", &T::StepForward1Click,
              "Ctrl+Shift+Z", R::Step_Forward),
         "Ctrl+Y"),

    Menu(&T::Frame1, nullptr, "Frame1", "F&rame", R::Open),
    Item(&T::Clear1, &T::Frame1, "Clear1", "C&lear", &T::Clear1Click),
    Item(&T::Copy1, &T::Frame1, "Copy1", "&Copy (To Buffer)", &T::Copy1Click, "Shift+Ins"),
    Item(&T::Paste1, &T::Frame1, "Paste1", "&Paste (From Buffer)", &T::Paste1Click, "Ins",
         R::Buffer),
    Separator(&T::N4, &T::Frame1, "N4"),
    Item(&T::CopyToClipboard1, &T::Frame1, "CopyToClipboard1", "C&opy (To Clipboard)",
         &T::CopyToClipboard1Click),
    Item(&T::PasteFromClipboard1, &T::Frame1, "PasteFromClipboard1", "P&aste (From Clipboard)",
         &T::PasteFromClipboard1Click),
    Separator(&T::N5, &T::Frame1, "N5"),
    Item(&T::Add1, &T::Frame1, "Add1", "&Add", &T::Add1Click, "Ctrl+A"),
    Item(&T::Delete1, &T::Frame1, "Delete1", "&Delete", &T::Delete1Click, "Del"),
    Item(&T::Insert1, &T::Frame1, "Insert1", "&Insert", &T::Insert1Click, "Ctrl+I"),
    Item(&T::Resize1, &T::Frame1, "Resize1", "&Resize", &T::Resize1Click),
    Separator(&T::N8, &T::Frame1, "N8"),
    Item(&T::FirstFrame1, &T::Frame1, "FirstFrame1", "&First Frame", &T::SpeedButton2Click, "Home"),
    Item(&T::PreviousFrame1, &T::Frame1, "PreviousFrame1", "Pre&vious Frame", &T::Prev_FrameClick,
         "Left"),
    Item(&T::NextFrame1, &T::Frame1, "NextFrame1", "&Next Frame", &T::Next_FrameClick, "Right"),
    Item(&T::LastFrame1, &T::Frame1, "LastFrame1", "Las&t Frame", &T::SpeedButton12Click, "End"),
    No_Repeat(
        Item(&T::PlayStop1, &T::Frame1, "PlayStop1", "Pla&y / Stop", &T::PlayStop1Click, "Space")),

    Menu(&T::Section1, nullptr, "Section1", "&Section", R::Sections),
    Item(&T::MarkFrameAsStartOfSection1, &T::Section1, "MarkFrameAsStartOfSection1",
         "Mark Frame as &Start of Section", &T::MarkFrameAsStartOfSection1Click, "Ctrl+S"),
    Item(&T::MarkFrameAsEndOfSection1, &T::Section1, "MarkFrameAsEndOfSection1",
         "Mark Frame as &End of Section", &T::MarkFrameAsEndOfSection1Click, "Ctrl+E"),
    Item(&T::ResetMarks1, &T::Section1, "ResetMarks1", "&Reset Marks", &T::ResetMarks1Click,
         "Ctrl+R"),

    Menu(&T::View1, nullptr, "View1", "&View"),
    Checked(Item(&T::OnionSkin1, &T::View1, "OnionSkin1", "&Onion Skin", &T::OnionSkin1Click)),
    Checked(Item(&T::PixelGrid1, &T::View1, "PixelGrid1", "&Pixel Grid", &T::PixelGrid1Click)),
    Separator(&T::N6, &T::View1, "N6"),
    // Where "+" needs Shift, the key under it zooms in too.
    Also(Item(&T::ZoomIn1, &T::View1, "ZoomIn1", "Zoom &In", &T::Zoom_InClick, "Ctrl++"), "Ctrl+="),
    Item(&T::ZoomOut1, &T::View1, "ZoomOut1", "Zoom O&ut", &T::Zoom_OutClick, "Ctrl+-"),
    Item(&T::Fit1, &T::View1, "Fit1", "&Fit", &T::Fit1Click, "Ctrl+0"),

    Menu(&T::Effects1, nullptr, "Effects1", "Effe&cts", R::Open),
    Effect(&T::Brightness1, "Brightness1", "&Brightness..."),
    Effect(&T::Rotate1, "Rotate1", "&Rotate..."),
    Effect(&T::Squash1, "Squash1", "S&quash..."),
    Effect(&T::Spin1, "Spin1", "S&pin..."),
};

const Command* Row_Of(Menu_Item T::*item) {
  for (const Command& c : Table)
    if (c.Item == item) return &c;
  return nullptr;
}

}  // namespace

std::span<const Command> Commands() { return Table; }

void Lay_Out_Commands(TTolvane& t) {
  for (const Command& c : Table) {
    Menu_Item& m = t.*c.Item;
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
    (t.*c.Item_Click)(t.*c.Item);
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
  for (const Command& c : Table) (this->*c.Item).Enabled = Rule_Holds(c.Rule, *this);
  Show_Tool(*this);
  OnionSkin1.Checked = Aids.Onion_Skin;
  PixelGrid1.Checked = Aids.Pixel_Grid;
  Bevel1.Visible = Opened;

  const bool playing = Player.Playing();
  Play.Enabled = Opened && !playing;
  Stop.Enabled = playing;
  Repeat_Anim.Down = Player.Loop();
  DSP_Panel.Color = playing ? Playing_Border : Face_Colour;
  Anim_Timer.Enabled = playing;
  Anim_Timer.Interval = Player.Interval();
  Play_Speed.Position = Player.Fps();
  Label1.Caption = std::to_string(Player.Fps()) + " fps";
}

}  // namespace tolvane
