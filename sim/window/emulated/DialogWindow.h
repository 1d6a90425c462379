// The host's windows behind their stale-safe handles: dialogs, their controls and
// the host's own windows, shared by the window table, the controls and a person's
// actions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hostsim/Dialogs.h"

namespace hostsim::win {

// What a person may type into an edit field until told otherwise (EM_LIMITTEXT).
constexpr std::size_t kDefaultTextLimit = 30000;
// The limit that EM_LIMITTEXT 0 sets.
constexpr std::size_t kLargestTextLimit = 0x7FFFFFFE;

struct Window {
    HWND handle = nullptr;
    WindowKind kind = WindowKind::Host;
    std::string className;
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text;  // for a combo box, the text of its edit field
    HWND parent = nullptr;
    std::vector<HWND> children;  // creation order
    HINSTANCE instance = nullptr;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    LONG_PTR userData = 0;
    bool destroying = false;

    // Dialogs.
    DLGPROC dialogProc = nullptr;
    DialogHooks hooks;
    LONG_PTR msgResult = 0;
    LONG_PTR dialogUser = 0;
    std::string fontFace;
    int fontSize = 0;

    // Host windows.
    HostWindowHandler handler;

    // Windows of a class that a module registered.
    WNDPROC windowProc = nullptr;

    // Buttons.
    UINT check = BST_UNCHECKED;

    // Edit fields, and the edit field of a combo box.
    std::size_t textLimit = kDefaultTextLimit;
    DWORD selStart = 0, selEnd = 0;
    bool modified = false;

    // List and combo boxes.
    std::vector<ListEntry> entries;
    int selection = -1;
    int topIndex = 0;
    bool dropped = false;
    int droppedIndex = -1;  // the selection as the list opened

    // Up-down controls: the default range runs from 100 down to 0.
    int lower = 100, upper = 0, position = 0;
    int base = 10;
    HWND buddy = nullptr;
};

// The live window behind a handle, or null.
Window* find(HWND wnd);
// Takes the window into the table and returns its new handle.
HWND add(std::unique_ptr<Window> window);

// Delivers a message to the window's procedure: a dialog's (with its hooks), a
// registered class's, the host's handler, or a standard control's.
LRESULT send(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// WM_COMMAND from a control to the window it sits in.
LRESULT command(HWND control, WORD code);

// The window that has the keyboard focus, or null.
HWND focus();
// Gives a window the focus: the window that loses it and the one that gains it tell
// their dialog, as each kind of control does (edit fields, combo boxes, list boxes,
// buttons with BS_NOTIFY; a registered class hears WM_KILLFOCUS and WM_SETFOCUS).
void setFocus(HWND wnd);

// The standard controls' own procedure (DialogControls.cpp).
LRESULT controlMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// A click on a button: automatic boxes and radio buttons change, then BN_CLICKED.
void clickButton(HWND button);
// Moves an up-down control and writes the position into its buddy if it keeps one there.
void setUpDownPosition(HWND upDown, int pos);
// An up-down control that keeps its position in its buddy takes it from the buddy's
// text, when that is a whole number within its range.
void readBuddyPosition(HWND upDown);
// WM_GETTEXT: copies as much of the text as fits with its terminating null; the count copied.
std::size_t copyText(const std::string& text, char* buffer, WPARAM size);
// Compares texts as the system does for lists: ignoring case, punctuation before
// digits before letters, hyphens and apostrophes only where all else is equal.
// Negative, 0 or positive.
int compareText(std::string_view a, std::string_view b);
// The order in which sorted lists keep their entries.
bool textBefore(const std::string& a, const std::string& b);
// The first entry after `start` (wrapping) whose text begins with `text`, or equals
// it when `exact`, as compareText compares; -1 if none. `start` -1 searches all.
int findEntry(const std::vector<ListEntry>& entries, int start, std::string_view text, bool exact);
// An editable combo box whose list is open selects the first entry that begins
// with the text of its field (none for an empty field); a closed one selects none.
void selectFromField(Window& combo);
// Opens a combo box's list once the combo box has told its dialog: an editable one
// selects the entry its field begins, and the selection is kept to go back to.
void listOpened(Window& combo);
// Whether code at this address is still mapped, so that a window whose module is
// gone is not called.
bool codeIsMapped(const void* code);

// Whether an edit field, or a combo box's field, can hold the text: within its limit
// and, unless it scrolls, within its width in the dialog's font.
bool fieldHolds(const Window& w, std::string_view text);

// "control 1002", "dialog" and the like, for error texts.
std::string describe(const Window& w);

}  // namespace hostsim::win
