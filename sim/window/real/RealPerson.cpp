// A person's actions on the real window system: each is the message a mouse click or
// keystroke brings the real control (BM_CLICK, WM_CHAR, button presses on an up-down
// control's arrows), so that the control itself changes and tells its dialog what it
// tells it; where the change comes from the control's list, which a click reaches only
// on screen, the host selects the entry and sends the notification the control would.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "ListChoice.h"
#include "RealWindow.h"
#include "hostsim/Dialogs.h"

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
        SendMessageA(h, LB_SETCURSEL, WPARAM(i), 0);
        // A click notifies even when the entry was selected already.
        if (style & LBS_NOTIFY) notifyParent(h, LBN_SELCHANGE);
        real::settle();
        return {};
    }
    if (kind != WindowKind::ComboBox) return self + " is not a list";
    if (i < 0) return self + " has no entry " + inQuotes(text);
    if (!simpleCombo(h) && !dropped(h)) {
        SendMessageA(h, CB_SHOWDROPDOWN, TRUE, 0);  // the control tells its dialog CBN_DROPDOWN
        if (!IsWindow(h)) return "the combo box was destroyed when its list opened";
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
    if (!dropped(h)) {
        SendMessageA(h, CB_SHOWDROPDOWN, TRUE, 0);
        if (!IsWindow(h)) return "the combo box was destroyed when its list opened";
    }
    SendMessageA(h, CB_SHOWDROPDOWN, FALSE, 0);  // the control tells its dialog CBN_CLOSEUP
    real::settle();
    return {};
}

std::string click(HWND h) {
    if (auto why = blocked(h); !why.empty()) return why;
    switch (real::kindOf(h)) {
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton:
        SendMessageA(h, BM_CLICK, 0, 0);
        real::settle();
        return {};
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
    SendMessageA(h, BM_CLICK, 0, 0);
    real::settle();
    return {};
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

    // The person selects what the field holds and types over it, a key at a time;
    // an empty text is the Delete key on the selection. The field takes the keys
    // itself and tells its dialog (or its combo box) of every change.
    SendMessageA(field, EM_SETSEL, 0, -1);
    if (text.empty()) {
        SendMessageA(field, WM_KEYDOWN, VK_DELETE, 1);
        SendMessageA(field, WM_KEYUP, VK_DELETE, LPARAM(0xC0000001));
    }
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (auto why = blocked(h); !why.empty()) return why + " (after " + std::to_string(k) + " keystrokes)";
        SendMessageA(field, WM_CHAR, WPARAM(static_cast<unsigned char>(text[k])), 1);
    }
    real::settle();
    if (!IsWindow(field)) return {};
    // A field that does not scroll refuses the keys that do not fit its width.
    const std::size_t took = real::windowText(field).size();
    if (took < text.size()) return self + " takes at most " + std::to_string(took) + " typed characters";
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
    const LPARAM at = MAKELPARAM(x, y);
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (IsWindow(h)) SendMessageA(h, WM_LBUTTONUP, 0, at);
    real::settle();
    return {};
}

}  // namespace hostsim::person
