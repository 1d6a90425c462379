// A person's actions on dialog controls: what a click, a choice in a list or a
// keystroke does to a control, and the notifications the window system sends for it.
#include <algorithm>
#include <charconv>

#include "DialogWindow.h"
#include "ListChoice.h"
#include "Text.h"
#include "hostsim/Host.h"

namespace hostsim::win {

namespace {

// The dialog font as the window system draws it at 8 points (96 dots per inch): the
// advance of each character from the blank to the tilde, in pixels. Other sizes scale
// it; characters outside the table take the average width.
constexpr int kFontPoints = 8;
constexpr unsigned char kFirstCharacter = ' ';
constexpr int kCharacterWidths[] = {
    3, 3, 4, 6, 6, 10, 7, 2, 4, 4, 4, 6, 3, 4, 3, 3,   // blank to '/'
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6, 6,    // digits to '?'
    11, 7, 7, 8, 8, 7, 7, 9, 8, 3, 6, 7, 6, 9, 8, 9,   // '@' to 'O'
    7, 9, 8, 7, 7, 8, 7, 10, 7, 7, 7, 3, 3, 3, 5, 6,   // 'P' to '_'
    4, 6, 6, 6, 6, 6, 3, 6, 6, 2, 2, 6, 2, 9, 6, 6,    // '`' to 'o'
    6, 6, 4, 6, 3, 6, 6, 8, 6, 6, 6, 4, 3, 4, 6,       // 'p' to '~'
};
// An edit field keeps this much room on either side of its text, in pixels.
constexpr int kEditMargin = 3;
// A bordered field's sunken edge takes two pixels on either side, and its text keeps
// one more.
constexpr int kSunkenEdge = 2 + 1;
// A combo box's field lies within its sunken edge, beside its arrow button, with a
// pixel of padding on either side.
constexpr int kComboEdge = 2, kComboArrow = 17, kComboPadding = 1;

int characterWidth(unsigned char c, int points);

// The average character width, as the system takes it for dialog units: the mean of
// the letters, rounded.
int averageWidth(int points) {
    int sum = 0;
    for (char c = 'A'; c <= 'Z'; ++c) sum += characterWidth(static_cast<unsigned char>(c), points);
    for (char c = 'a'; c <= 'z'; ++c) sum += characterWidth(static_cast<unsigned char>(c), points);
    return (sum / 26 + 1) / 2;
}

int characterWidth(unsigned char c, int points) {
    const auto index = std::size_t(c - kFirstCharacter);
    if (c < kFirstCharacter || index >= std::size(kCharacterWidths)) return averageWidth(points);
    return (kCharacterWidths[index] * points + kFontPoints / 2) / kFontPoints;
}

int textWidth(std::string_view text, int points) {
    int width = 0;
    for (char c : text) width += characterWidth(static_cast<unsigned char>(c), points);
    return width;
}

// Horizontal dialog units in pixels, rounded as the system rounds them.
int pixels(int units, int points) { return (units * averageWidth(points) + 2) / 4; }

}  // namespace

bool fieldHolds(const Window& w, std::string_view text) {
    if (text.size() > w.textLimit) return false;
    const bool edit = w.kind == WindowKind::Edit;
    const bool scrolls = edit ? (w.style & (ES_AUTOHSCROLL | ES_MULTILINE)) != 0 : (w.style & CBS_AUTOHSCROLL) != 0;
    if (scrolls) return true;
    const Window* dialog = find(w.parent);
    const int points = dialog && dialog->fontSize > 0 ? dialog->fontSize : kFontPoints;
    int room = pixels(w.cx, points) - 2 * kEditMargin;
    if (!edit) room -= 2 * (kComboEdge + kComboPadding) + kComboArrow;
    else if (w.style & WS_BORDER) room -= 2 * kSunkenEdge;
    return textWidth(text, points) <= room;
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
bool editableCombo(const Window& w) { return (w.style & 0x3) != CBS_DROPDOWNLIST; }

// The combo box whose list is open among the windows of the control's top window, or null.
HWND openList(HWND h) {
    HWND top = h;
    while (const Window* w = win::find(top)) {
        if (!win::find(w->parent)) break;
        top = w->parent;
    }
    std::vector<HWND> pending{top};
    while (!pending.empty()) {
        const Window* w = win::find(pending.back());
        pending.pop_back();
        if (!w) continue;
        if (w->kind == WindowKind::ComboBox && w->dropped) return w->handle;
        pending.insert(pending.end(), w->children.begin(), w->children.end());
    }
    return nullptr;
}

// Closes the list without a click on an entry (F4, or a click beside it): the choice
// ends as cancelled.
void cancelList(HWND combo) {
    win::command(combo, CBN_SELENDCANCEL);
    if (Window* w = win::find(combo); w && w->dropped) {
        w->dropped = false;
        win::command(combo, CBN_CLOSEUP);
    }
}

// A mouse click on the control, as far as it gets: an open list holds the mouse, so
// a click anywhere but in it takes back the choice made in the list, closes the list
// and goes no further. True when the click reached the control.
bool clickReaches(HWND h) {
    HWND open = openList(h);
    if (!open) return true;
    Window* combo = win::find(open);
    combo->selection = combo->droppedIndex < int(combo->entries.size()) ? combo->droppedIndex : -1;
    cancelList(open);
    return false;
}

// Opens a combo box's list as a click on its arrow does: the combo box takes the
// focus, the list opens, and an editable one's field takes the entry it begins.
std::string dropDown(HWND h) {
    win::setFocus(h);
    if (!win::find(h)) return "the combo box was destroyed when it took the focus";
    win::command(h, CBN_DROPDOWN);
    Window* w = win::find(h);
    if (!w) return "the combo box was destroyed when its list opened";
    win::listOpened(*w);
    if (editableCombo(*w) && w->selection >= 0) w->text = w->entries[std::size_t(w->selection)].text;
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
        if (!clickReaches(h)) return {};
        // The press gives the list the focus and picks the entry.
        win::setFocus(h);
        if (!(w = win::find(h))) return {};
        w->selection = i;
        // A click notifies even when the entry was selected already.
        if (w->style & LBS_NOTIFY) win::command(h, LBN_SELCHANGE);
        return {};
    }
    if (w->kind != WindowKind::ComboBox) return self + " is not a list";
    if (i < 0) return self + " has no entry " + inQuotes(text);
    if (!simpleCombo(*w) && !w->dropped) {
        if (!clickReaches(h)) return {};
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
    // One click on the arrow opens the list, if it is closed, and the next closes it.
    if (!w->dropped) {
        if (!clickReaches(h)) return {};
        if (auto err = dropDown(h); !err.empty()) return err;
    }
    cancelList(h);
    return {};
}

std::string click(HWND h) {
    if (auto why = blocked(h); !why.empty()) return why;
    const Window* w = win::find(h);
    switch (w->kind) {
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton:
        if (!clickReaches(h)) return {};
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
    return click(h);
}

std::string type(HWND h, const std::string& text) {
    if (auto why = blocked(h); !why.empty()) return why;
    const Window* w = win::find(h);
    std::string self = win::describe(*w);
    bool edit = w->kind == WindowKind::Edit;
    if (!edit && w->kind != WindowKind::ComboBox) return self + " takes no typing";
    if (edit && (w->style & ES_READONLY)) return self + " is read-only";
    if (!edit && (w->style & 0x3) == CBS_DROPDOWNLIST) return self + " is a drop-down list without an edit field";
    if (edit && (w->style & ES_NUMBER) && !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return self + " takes digits only";
    std::string typed = text;
    bool toUpper = edit ? (w->style & ES_UPPERCASE) : (w->style & CBS_UPPERCASE);
    bool toLower = edit ? (w->style & ES_LOWERCASE) : (w->style & CBS_LOWERCASE);
    for (char& c : typed) {
        if (toUpper && c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (toLower) c = lower(c);
    }

    // The person clicks into the field unless it has the focus; a click that only
    // closed an open list is followed by another.
    for (int clicks = 0; win::focus() != h && clicks < 2; ++clicks) {
        if (auto why = blocked(h); !why.empty()) return why;
        if (clickReaches(h)) win::setFocus(h);
    }
    if (auto why = blocked(h); !why.empty()) return why;
    if (win::focus() != h) return self + " did not take the focus";

    // Then selects what the field holds and types over it, a key at a time; an
    // empty text is the Delete key on the selection. A key that the field cannot
    // hold is refused: the field says so, and reports its unchanged text.
    Window* field = win::find(h);
    field->selStart = 0;
    field->selEnd = DWORD(field->text.size());
    std::size_t keys = typed.empty() ? (field->text.empty() ? 0 : 1) : typed.size();
    std::size_t refused = 0;
    for (std::size_t k = 0; k < keys; ++k) {
        if (auto why = blocked(h); !why.empty()) return why + " (after " + std::to_string(k) + " keystrokes)";
        field = win::find(h);
        // The key takes the place of the selection; what does not fit is taken back.
        const std::size_t at = std::min<std::size_t>(std::min(field->selStart, field->selEnd), field->text.size());
        std::string kept = field->text;
        kept.erase(at, std::min<std::size_t>(std::max(field->selStart, field->selEnd), kept.size()) - at);
        const std::string key = typed.empty() ? "" : typed.substr(k, 1);
        const std::string after = kept.substr(0, at) + key + kept.substr(at);
        const bool holds = win::fieldHolds(*field, after);
        field->text = holds ? after : kept;
        field->selStart = field->selEnd = DWORD(at + (holds ? key.size() : 0));
        if (edit) field->modified = true;
        if (!holds) {
            ++refused;
            win::command(h, edit ? WORD(EN_MAXTEXT) : WORD(CBN_ERRSPACE));
            if (!win::find(h)) return {};
        }
        if (edit) {
            win::command(h, EN_UPDATE);
            win::command(h, EN_CHANGE);
        } else {
            // The list follows the field: its entry while the list is open, none while closed.
            win::command(h, CBN_EDITUPDATE);
            if (Window* combo = win::find(h)) win::selectFromField(*combo);
            win::command(h, CBN_EDITCHANGE);
        }
    }
    if (refused && win::find(h))
        Host::instance().warn(self + " refused " + std::to_string(refused) + " of " + std::to_string(keys) +
                              " keystrokes: it holds " + inQuotes(win::find(h)->text));
    return {};
}

std::string arrow(HWND h, bool up) {
    if (auto why = blocked(h); !why.empty()) return why;
    const Window* w = win::find(h);
    if (w->kind != WindowKind::UpDown) return win::describe(*w) + " is not an up-down control";
    if (!clickReaches(h)) return {};
    if (!(w = win::find(h))) return {};
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
