#pragma once
#include <span>
#include <string_view>

#include "platform/controls.h"

namespace tolvane {

class TTolvane;
struct Main_Controls;

// What a command's menu item needs to be enabled, read from the document's
// and playback's own state, never from another control.
enum class Enable_Rule {
  Always,
  Open,          // a document is open
  Undo,          // an undo copy is on offer
  Buffer,        // the frame buffer holds a frame
  Sections,      // the section commands are offered
  Step_Back,     // the history holds a step back
  Step_Forward,  // the history holds a step forward
};

// One menu entry: a menu, a separator or a command. The Qt menu is built
// from these rows alone, in their order.
struct Command {
  Menu_Item Main_Controls::*Item;
  Menu_Item Main_Controls::*Menu;  // the menu it sits in; null for the menu bar
  const char* Name;                // the item's control name
  const char* Caption;             // "-" for a separator
  const char* Shortcut;
  const char* Alt_Shortcut;   // a second key, not shown in the menu
  void (TTolvane::*Click)();  // none for menus and separators
  Enable_Rule Rule;
  bool Check_Item;
  bool Auto_Repeat;
  // The effects share one handler that is told the item chosen.
  void (TTolvane::*Item_Click)(const Menu_Item&);

  bool Runs() const { return Click || Item_Click; }
};

std::span<const Command> Commands();

// Captions, keys and check marks of every item, as at start-up.
void Lay_Out_Commands(TTolvane& t);

bool Rule_Holds(Enable_Rule rule, const TTolvane& t);

// The row whose item carries the key (either of its keys); null for none.
const Command* Command_For_Key(std::string_view key);

// Runs the row's command and shows the state it leaves.
void Run(TTolvane& t, const Command& c);

// A key as the menu bar takes it: it runs its command only while the item
// and every menu above it are enabled. True when a command ran.
bool Press_Key(TTolvane& t, std::string_view key);

}  // namespace tolvane
