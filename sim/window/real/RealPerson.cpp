// A person's actions on the real window system, played with real input on the display:
// mouse clicks at the control's place and keystrokes through SendInput, so that the
// window system itself decides where a click or a key goes (an open drop-down list
// holds the mouse) and the controls change and tell their dialogs what they tell them.
// Choosing an entry in an open list is the one step done with messages: the host
// selects the entry and sends the notification the control would.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "ListChoice.h"
#include "RealWindow.h"
#include "hostsim/Dialogs.h"
#include "hostsim/Host.h"

namespace hostsim::person {

namespace {

using real::describe;

DWORD styleOf(HWND h) { return DWORD(GetWindowLongPtrA(h, GWL_STYLE)); }

// Why a person cannot act on the control now; empty if they can.
std::string blocked(HWND h) {
    if (!h || !IsWindow(h)) return "the control does not exist (any more)";
    const std::string self = describe(h);
    for (HWND p = h; p; p = GetParent(p)) {
        const DWORD style = styleOf(p);
        if (style & WS_DISABLED) return p == h ? self + " is disabled" : self + " sits in a disabled " + describe(p);
        if (!(style & WS_VISIBLE))
            return p == h ? self + " is hidden" : self + " is not shown: its " + describe(p) + " is hidden";
    }
    return {};
}

// WM_COMMAND from a control to its dialog, as the control sends it.
void notifyParent(HWND control, WORD code) {
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(WORD(GetDlgCtrlID(control)), code),
                 reinterpret_cast<LPARAM>(control));
}

bool simpleCombo(HWND h) { return (styleOf(h) & 0x3) == CBS_SIMPLE; }
bool dropped(HWND h) { return SendMessageA(h, CB_GETDROPPEDSTATE, 0, 0) != 0; }

// Whether a click at this point of the screen lands on the control (or a window inside it).
bool lands(HWND control, POINT onScreen) {
    HWND there = WindowFromPoint(onScreen);
    return there == control || IsChild(control, there);
}

// Clicks the left button at a point of the control's client area, or, where an open
// list covers that point, at the nearest point of the control that shows.
std::string clickAt(HWND h, POINT inClient) {
    RECT client{};
    GetClientRect(h, &client);
    POINT at = inClient;
    ClientToScreen(h, &at);
    if (!lands(h, at)) {
        bool found = false;
        for (LONG y = client.top + 1; y < client.bottom && !found; y += 2)
            for (LONG x = client.left + 1; x < client.right && !found; x += 2) {
                POINT p{x, y};
                ClientToScreen(h, &p);
                if ((found = lands(h, p))) at = p;
            }
        if (!found) return describe(h) + " is covered where a click would reach it";
    }
    if (!real::click(at)) return "the window system took no mouse input";
    return {};
}

POINT centreOf(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

std::string clickCentre(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return clickAt(h, centreOf(r));
}

// The arrow button of a combo box, in its client area.
std::string clickComboArrow(HWND h) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(h, &info)) return describe(h) + " shows no arrow button";
    return clickAt(h, centreOf(info.rcButton));
}

// Opens a combo box's list as a click on its arrow does; true when it is open.
bool openList(HWND h, std::string& error) {
    error = clickComboArrow(h);
    return error.empty() && IsWindow(h) && dropped(h);
}

}  // namespace

std::string select(HWND h, const std::string& text) {
    if (auto why = blocked(h); !why.empty()) return why;
    const std::string self = describe(h);
    const DWORD style = styleOf(h);
    const WindowKind kind = real::kindOf(h);
    int i = pickEntry(real::entriesOf(h), text);
    if (kind == WindowKind::ListBox) {
        if (style & LBS_NOSEL) return self + " lets no entry be selected";
        if (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) return self + " is a multiple-selection list, which is not supported";
        if (i < 0) return self + " has no entry " + inQuotes(text);
        // The entry is scrolled into sight, as a person scrolls to it, and clicked.
        RECT item{}, client{};
        GetClientRect(h, &client);
        SendMessageA(h, LB_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&item));
        if (item.top < client.top || item.bottom > client.bottom) {
            SendMessageA(h, LB_SETTOPINDEX, WPARAM(i), 0);
            SendMessageA(h, LB_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&item));
        }
        item.bottom = std::min(item.bottom, client.bottom);
        return clickAt(h, centreOf(item));
    }
    if (kind != WindowKind::ComboBox) return self + " is not a list";
    if (i < 0) return self + " has no entry " + inQuotes(text);
    if (!simpleCombo(h) && !dropped(h)) {
        std::string error;
        if (!openList(h, error)) return error;  // a click that only closed another list
        // The page may have filled the list anew as it opened.
        if ((i = pickEntry(real::entriesOf(h), text)) < 0)
            return self + " has no entry " + inQuotes(text) + " once its list is open";
    }
    SendMessageA(h, CB_SETCURSEL, WPARAM(i), 0);
    notifyParent(h, CBN_SELCHANGE);
    real::settle();
    return {};
}

std::string closeUp(HWND h) {
    if (auto why = blocked(h); !why.empty()) return why;
    if (real::kindOf(h) != WindowKind::ComboBox || simpleCombo(h)) return describe(h) + " has no list to close";
    // A click on the arrow opens the list, if it is closed; F4 closes it and keeps the
    // entry chosen (a click beside the list would take the choice back).
    if (!dropped(h)) {
        std::string error;
        if (!openList(h, error)) return error;  // a click that only closed another list
    }
    if (GetFocus() != real::comboEdit(h) && GetFocus() != h) return describe(h) + " does not have the focus to take F4";
    if (!real::pressKey(VK_F4)) return "the window system took no keyboard input";
    return {};
}

std::string click(HWND h) {
    if (auto why = blocked(h); !why.empty()) return why;
    switch (real::kindOf(h)) {
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton: return clickCentre(h);
    case WindowKind::GroupBox: return describe(h) + " is a group box, which takes no clicks";
    default: return describe(h) + " is not a button";
    }
}

std::string setCheck(HWND h, bool on) {
    if (auto why = blocked(h); !why.empty()) return why;
    const WindowKind kind = real::kindOf(h);
    if (kind != WindowKind::CheckBox && kind != WindowKind::RadioButton) return describe(h) + " is not a check box";
    if ((SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) == on) return {};
    if (kind == WindowKind::RadioButton && !on) return describe(h) + " is a radio button: choose another one to clear it";
    return clickCentre(h);
}

std::string type(HWND h, const std::string& text) {
    if (auto why = blocked(h); !why.empty()) return why;
    const std::string self = describe(h);
    const DWORD style = styleOf(h);
    const WindowKind kind = real::kindOf(h);
    const bool edit = kind == WindowKind::Edit;
    if (!edit && kind != WindowKind::ComboBox) return self + " takes no typing";
    if (edit && (style & ES_READONLY)) return self + " is read-only";
    if (!edit && (style & 0x3) == CBS_DROPDOWNLIST) return self + " is a drop-down list without an edit field";
    if (edit && (style & ES_NUMBER) && !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return self + " takes digits only";
    HWND field = edit ? h : real::comboEdit(h);
    if (!field) return self + " has no edit field";

    // The person clicks into the field unless it has the focus; a click that only
    // closed an open list is followed by another.
    for (int clicks = 0; GetFocus() != field && clicks < 2; ++clicks) {
        if (auto why = blocked(h); !why.empty()) return why;
        if (auto err = clickCentre(field); !err.empty()) return err;
    }
    if (auto why = blocked(h); !why.empty()) return why;
    if (GetFocus() != field) return self + " did not take the focus";

    // Then selects what the field holds (Home, Shift+End) and types over it, a key
    // at a time; an empty text is the Delete key on the selection. The field takes
    // the keys itself, refuses those it cannot hold, and tells its dialog (or its
    // combo box) of every change.
    real::pressKey(VK_HOME);
    real::pressKey(VK_END, true);
    if (text.empty()) real::pressKey(VK_DELETE);
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (auto why = blocked(h); !why.empty()) return why + " (after " + std::to_string(k) + " keystrokes)";
        real::typeCharacter(text[k]);
    }
    if (!IsWindow(field)) return {};
    const std::string held = real::windowText(field);
    if (held.size() < text.size())
        Host::instance().warn(self + " refused " + std::to_string(text.size() - held.size()) + " of " +
                              std::to_string(text.size()) + " keystrokes: it holds " + inQuotes(held));
    return {};
}

std::string arrow(HWND h, bool up) {
    if (auto why = blocked(h); !why.empty()) return why;
    if (real::kindOf(h) != WindowKind::UpDown) return describe(h) + " is not an up-down control";
    // The upper (or right) arrow is the upper (or right) half of the control.
    RECT r{};
    GetClientRect(h, &r);
    const bool horizontal = (styleOf(h) & UDS_HORZ) != 0;
    const LONG x = horizontal ? (up ? r.right * 3 / 4 : r.right / 4) : r.right / 2;
    const LONG y = horizontal ? r.bottom / 2 : (up ? r.bottom / 4 : r.bottom * 3 / 4);
    return clickAt(h, POINT{x, y});
}

}  // namespace hostsim::person
