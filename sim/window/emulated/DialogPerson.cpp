// A person's actions on dialog controls: what a click, a choice in a list or a
// keystroke does to a control, and the notifications the window system sends for it.
#include <algorithm>
#include <charconv>

#include "DialogWindow.h"
#include "ListChoice.h"
#include "Text.h"

namespace hostsim::win {

namespace {

// A quarter of the dialog font's average character width is one horizontal dialog
// unit, so a character takes about four units.
constexpr int kCharWidthDlu = 4;
// Border and inner margins of an edit field, in dialog units.
constexpr int kEditMarginDlu = 4;
// The same for a combo box's edit field, with the arrow button beside it.
constexpr int kComboMarginDlu = 14;

}  // namespace

// A field that does not scroll takes only what fits its width; the count is an
// estimate from the average character width.
std::size_t typingCapacity(const Window& w) {
    bool edit = w.kind == WindowKind::Edit;
    bool scrolls = edit ? (w.style & (ES_AUTOHSCROLL | ES_MULTILINE)) != 0 : (w.style & CBS_AUTOHSCROLL) != 0;
    if (scrolls) return w.textLimit;
    int usable = w.cx - (edit ? kEditMarginDlu : kComboMarginDlu);
    return std::min(w.textLimit, std::size_t(std::max(usable, 0) / kCharWidthDlu));
}

}  // namespace hostsim::win

namespace hostsim::person {

using win::Window;

namespace {

// Why a person cannot act on the control now; empty if they can.
std::string blocked(HWND h) {
    const Window* w = win::find(h);
    if (!w) return "the control does not exist (any more)";
    std::string self = win::describe(*w);
    for (const Window* p = w; p; p = win::find(p->parent)) {
        if (p->style & WS_DISABLED)
            return p == w ? self + " is disabled" : self + " sits in a disabled " + win::describe(*p);
        if (!(p->style & WS_VISIBLE))
            return p == w ? self + " is hidden" : self + " is not shown: its " + win::describe(*p) + " is hidden";
    }
    return {};
}

bool simpleCombo(const Window& w) { return (w.style & 0x3) == CBS_SIMPLE; }

// Opens a combo box's list as a click on its arrow does.
std::string dropDown(HWND h) {
    win::command(h, CBN_DROPDOWN);
    Window* w = win::find(h);
    if (!w) return "the combo box was destroyed when its list opened";
    w->dropped = true;
    return {};
}

}  // namespace

std::string select(HWND h, const std::string& text) {
    if (auto why = blocked(h); !why.empty()) return why;
    Window* w = win::find(h);
    std::string self = win::describe(*w);
    int i = pickEntry(w->entries, text);
    if (w->kind == WindowKind::ListBox) {
        if (w->style & LBS_NOSEL) return self + " lets no entry be selected";
        if (w->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) return self + " is a multiple-selection list, which is not supported";
        if (i < 0) return self + " has no entry " + inQuotes(text);
        w->selection = i;
        // A click notifies even when the entry was selected already.
        if (w->style & LBS_NOTIFY) win::command(h, LBN_SELCHANGE);
        return {};
    }
    if (w->kind != WindowKind::ComboBox) return self + " is not a list";
    if (i < 0) return self + " has no entry " + inQuotes(text);
    if (!simpleCombo(*w) && !w->dropped) {
        if (auto err = dropDown(h); !err.empty()) return err;
        w = win::find(h);
        // The page may have filled the list anew as it opened.
        if ((i = pickEntry(w->entries, text)) < 0) return self + " has no entry " + inQuotes(text) + " once its list is open";
    }
    w->selection = i;
    w->text = w->entries[std::size_t(i)].text;
    win::command(h, CBN_SELCHANGE);
    return {};
}

std::string closeUp(HWND h) {
    if (auto why = blocked(h); !why.empty()) return why;
    Window* w = win::find(h);
    if (w->kind != WindowKind::ComboBox || simpleCombo(*w)) return win::describe(*w) + " has no list to close";
    if (!w->dropped) {
        if (auto err = dropDown(h); !err.empty()) return err;
        w = win::find(h);
    }
    // Closing the list without a click on an entry ends the choice as cancelled.
    win::command(h, CBN_SELENDCANCEL);
    if (!(w = win::find(h))) return {};
    w->dropped = false;
    win::command(h, CBN_CLOSEUP);
    return {};
}

std::string click(HWND h) {
    if (auto why = blocked(h); !why.empty()) return why;
    const Window* w = win::find(h);
    switch (w->kind) {
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton:
        // The press gives the button the focus; the release clicks it.
        win::setFocus(h);
        if (win::find(h)) win::clickButton(h);
        return {};
    case WindowKind::GroupBox: return win::describe(*w) + " is a group box, which takes no clicks";
    default: return win::describe(*w) + " is not a button";
    }
}

std::string setCheck(HWND h, bool on) {
    if (auto why = blocked(h); !why.empty()) return why;
    const Window* w = win::find(h);
    if (w->kind != WindowKind::CheckBox && w->kind != WindowKind::RadioButton) return win::describe(*w) + " is not a check box";
    if ((w->check == BST_CHECKED) == on) return {};
    if (w->kind == WindowKind::RadioButton && !on) return win::describe(*w) + " is a radio button: choose another one to clear it";
    win::setFocus(h);
    if (win::find(h)) win::clickButton(h);
    return {};
}

std::string type(HWND h, const std::string& text) {
    if (auto why = blocked(h); !why.empty()) return why;
    const Window* w = win::find(h);
    std::string self = win::describe(*w);
    bool edit = w->kind == WindowKind::Edit;
    if (!edit && w->kind != WindowKind::ComboBox) return self + " takes no typing";
    if (edit && (w->style & ES_READONLY)) return self + " is read-only";
    if (!edit && (w->style & 0x3) == CBS_DROPDOWNLIST) return self + " is a drop-down list without an edit field";
    std::size_t capacity = win::typingCapacity(*w);
    if (text.size() > capacity) return self + " takes at most " + std::to_string(capacity) + " typed characters";
    if (edit && (w->style & ES_NUMBER) && !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return self + " takes digits only";
    std::string typed = text;
    bool toUpper = edit ? (w->style & ES_UPPERCASE) : (w->style & CBS_UPPERCASE);
    bool toLower = edit ? (w->style & ES_LOWERCASE) : (w->style & CBS_LOWERCASE);
    for (char& c : typed) {
        if (toUpper && c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (toLower) c = lower(c);
    }

    // The person selects what the field holds and types over it, a key at a time;
    // an empty text is the Delete key on the selection.
    std::size_t keys = typed.empty() ? (w->text.empty() ? 0 : 1) : typed.size();
    for (std::size_t k = 1; k <= keys; ++k) {
        if (auto why = blocked(h); !why.empty()) return why + " (after " + std::to_string(k - 1) + " keystrokes)";
        Window* field = win::find(h);
        field->text = typed.substr(0, typed.empty() ? 0 : k);
        field->selStart = field->selEnd = DWORD(field->text.size());
        if (edit) {
            field->modified = true;
            win::command(h, EN_UPDATE);
            win::command(h, EN_CHANGE);
        } else {
            // Edited text no longer stands for a list entry: the entry is let go once
            // the field has told of the coming change and before it tells of the change.
            win::command(h, CBN_EDITUPDATE);
            if (Window* combo = win::find(h)) combo->selection = -1;
            win::command(h, CBN_EDITCHANGE);
        }
    }
    return {};
}

std::string arrow(HWND h, bool up) {
    if (auto why = blocked(h); !why.empty()) return why;
    const Window* w = win::find(h);
    if (w->kind != WindowKind::UpDown) return win::describe(*w) + " is not an up-down control";
    // The press gives the focus to a buddy that is an edit field, and a control that
    // keeps its position in its buddy takes the position from there first.
    if (const Window* buddy = win::find(w->buddy); buddy && buddy->kind == WindowKind::Edit) {
        win::setFocus(w->buddy);
        if (!(w = win::find(h))) return {};
    }
    win::readBuddyPosition(h);
    // The upper arrow moves toward the upper end of the range, which by default
    // (100 down to 0) is the smaller number.
    int delta = (w->upper >= w->lower) == up ? 1 : -1;
    HWND parent = w->parent;
    NMUPDOWN nm{};
    nm.hdr.hwndFrom = h;
    nm.hdr.idFrom = UINT_PTR(DWORD(w->id));
    nm.hdr.code = UDN_DELTAPOS;
    nm.iPos = w->position;
    nm.iDelta = delta;
    LRESULT keep = win::send(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    const Window* after = win::find(h);
    if (!after) return {};
    UINT scroll = (after->style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
    if (!keep) {
        // The position moves by the delta as the parent left it.
        int low = std::min(after->lower, after->upper), high = std::max(after->lower, after->upper);
        int target = after->position + nm.iDelta;
        if (target < low || target > high) {
            if (after->style & UDS_WRAP) target = target < low ? high : low;
            else target = std::clamp(target, low, high);
        }
        if (target != after->position) win::setUpDownPosition(h, target);
    }
    // The press reports the position whether it moved or not, the release ends it.
    if (const Window* pressed = win::find(h))
        win::send(parent, scroll, MAKEWPARAM(SB_THUMBPOSITION, WORD(pressed->position)), reinterpret_cast<LPARAM>(h));
    if (const Window* released = win::find(h))
        win::send(parent, scroll, MAKEWPARAM(SB_ENDSCROLL, WORD(released->position)), reinterpret_cast<LPARAM>(h));
    return {};
}

}  // namespace hostsim::person
