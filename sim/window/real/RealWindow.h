// What the real window system's side of the seam shares: reading a real window's
// kind, texts and entries back, and letting the system deliver what it has queued.
#pragma once

#include <string>
#include <vector>

#include "hostsim/Dialogs.h"

namespace hostsim::real {

// The class name as the window system spells it.
std::string className(HWND wnd);
// The kind by class and style, as the emulated window system keys its windows.
WindowKind kindOf(HWND wnd);
std::string windowText(HWND wnd);
// The entries of a list box or combo box, with their item data.
std::vector<ListEntry> entriesOf(HWND list);
// The edit field inside a combo box, or null.
HWND comboEdit(HWND combo);
// "control 1002", "dialog" and the like, for error texts.
std::string describe(HWND wnd);
// Delivers what the window system has queued (paints, focus changes) before the next action.
void settle();

// Real input on the display, each delivered before it returns. False when the window
// system took none.
// A left click at a point of the screen.
bool click(POINT onScreen);
// A key pressed and released, with Shift held when asked.
bool pressKey(WORD virtualKey, bool shift = false);
// A character typed as the keyboard types it.
bool typeCharacter(char c);

}  // namespace hostsim::real
