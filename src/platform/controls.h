#pragma once
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "image/colour.h"
#include "image/raster_image.h"

// The state of a form's controls as plain values. Forms own these; the Qt views
// show them and forward the user's input to the forms' handlers.
namespace tolvane {

struct Bounds {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct Control {
  Bounds B;
  bool Visible = true;
  bool Enabled = true;
  std::string Hint;  // shown when the pointer rests on the control
};

struct Label : Control {
  std::string Caption;
  enum class Align { Left, Center, Right } Alignment = Align::Left;
};

// The button-face system colour; views show it in the desktop's own shade.
inline constexpr Colour Face_Colour = 0xFF00000Fu;

struct Panel : Control {
  Colour Color = Face_Colour;
};

enum class Mouse_Button { Left, Right, Middle };

// Keys and buttons held during a mouse event.
enum Shift_State : unsigned { ss_None = 0, ss_Shift = 1, ss_Alt = 2, ss_Ctrl = 4 };

struct Bevel : Control {};

struct Image_Control : Control {
  Raster_Image Picture;
};

struct Speed_Button : Control {
  int Group_Index = 0;  // buttons sharing a non-zero group are exclusive
  bool Allow_All_Up = false;
  bool Down = false;
};

struct Button : Control {
  std::string Caption;
};

struct Menu_Item {
  std::string Caption;       // "&" marks the access key; "-" is a separator
  std::string Shortcut;      // in Qt's portable text form, e.g. "Ctrl+U", "Shift+Ins"
  std::string Alt_Shortcut;  // a second key for the same command, not shown in the menu
  bool Enabled = true;
  bool Visible = true;
  bool Check_Item = false;  // shows a check mark while Checked
  bool Checked = false;
  bool Auto_Repeat = true;  // a held shortcut key runs the command again
};

// Sets a value control's position, brought into min..max, and runs its change
// handler when the position changed: by the user or by the program alike.
inline void Move_Position(int& position, int p, int min, int max,
                          const std::function<void()>& on_change) {
  if (p < min) p = min;
  if (p > max) p = max;
  if (p == position) return;
  position = p;
  if (on_change) on_change();
}

// A value control whose change handler runs whenever its value changes, by the
// user or by the program.
struct Scroll_Bar : Control {
  int Position = 0, Min = 0, Max = 100;
  int Small_Change = 1, Large_Change = 1;
  std::function<void()> On_Change;
  void Set_Position(int p) { Move_Position(Position, p, Min, Max, On_Change); }
  void Set_Max(int m) {
    Max = m;
    if (Position > Max) {
      Position = Max;
      if (On_Change) On_Change();
    }
  }
};

struct Track_Bar : Control {
  int Position = 0, Min = 0, Max = 10;
  int Frequency = 1;  // tick spacing; 0 shows no ticks
  std::function<void()> On_Change;
  void Set_Position(int p) { Move_Position(Position, p, Min, Max, On_Change); }
};

// Check box: setting Checked from the program runs the click handler, as a
// user's click does, whenever the state changes.
struct Check_Box : Control {
  std::string Caption;
  bool Checked = false;
  std::function<void()> On_Click;
  void Set_Checked(bool c) {
    if (c == Checked) return;
    Checked = c;
    if (On_Click) On_Click();
  }
};

struct Progress_Bar : Control {
  int Position = 0, Min = 0, Max = 100;
};

struct Timer {
  bool Enabled = false;
  int Interval = 1000;  // milliseconds
};

// Radio group: Item_Index is -1 when nothing is selected. Setting it from the
// program runs the click handler, as a user's click does.
struct Radio_Group : Control {
  std::string Caption;
  std::vector<std::string> Items;
  int Columns = 1;
  int Item_Index = -1;
  std::function<void()> On_Click;
  void Select(int i) {
    if (i == Item_Index) return;
    Item_Index = i;
    if (On_Click) On_Click();
  }
};

// Number field with up/down buttons. Text is what the user typed; Value()
// reads it as a decimal integer (Min when it is no number).
struct Spin_Edit : Control {
  int Min = 0, Max = 100;
  std::string Text = "0";
  int Value() const;                  // Number(), or Min when the text is none
  std::optional<int> Number() const;  // the text as a decimal integer
  void Set_Value(int v);              // brought into Min..Max unless Min == Max
  void Step(int delta);               // the up/down buttons
  void Exit();                        // losing the focus clamps the text
};

// Editable drop-down list: Text is what its field shows, typed or picked
// from Items.
struct Combo_Box : Control {
  std::vector<std::string> Items;
  std::string Text;
};

struct File_Dialog {
  std::string Title;
  std::string Filter;  // "Description|*.EXT|Description|*.*"
  int Filter_Index = 1;
  std::string File_Name;
  bool Overwrite_Prompt = false;
};

struct Colour_Dialog {
  Colour Color = 0;
  bool Full_Open = false;
  Colour Custom_Colours[16] = {};
};

}  // namespace tolvane
