// The standard controls' own procedures: buttons, static text, edit fields, combo
// boxes, list boxes and up-down controls, answering the window system's messages
// with its values, limits and results.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "DialogWindow.h"
#include "Text.h"

namespace hostsim::win {

namespace {

const char* textOf(LPARAM lParam) { return lParam ? reinterpret_cast<const char*>(lParam) : nullptr; }

// Messages about a window's text that every control with a text answers alike.
bool textMessage(Window& w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SETTEXT:
        w.text = textOf(lParam) ? textOf(lParam) : "";
        result = TRUE;
        return true;
    case WM_GETTEXT: result = LRESULT(copyText(w.text, reinterpret_cast<char*>(lParam), wParam)); return true;
    case WM_GETTEXTLENGTH: result = LRESULT(w.text.size()); return true;
    default: return false;
    }
}

// ---- Buttons ----

bool isAuto(const Window& w) {
    DWORD type = w.style & BS_TYPEMASK;
    return type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
}

// The other automatic radio buttons of the button's group: the siblings from the
// nearest WS_GROUP at or before it up to the next WS_GROUP.
std::vector<HWND> radioGroup(const Window& button) {
    std::vector<HWND> group;
    const Window* parent = find(button.parent);
    if (!parent) return group;
    const auto& sibs = parent->children;
    auto self = std::find(sibs.begin(), sibs.end(), button.handle);
    if (self == sibs.end()) return group;
    auto first = self;
    while (first != sibs.begin() && !(find(*first)->style & WS_GROUP)) --first;
    for (auto it = first; it != sibs.end(); ++it) {
        const Window* w = find(*it);
        if (it != first && (w->style & WS_GROUP)) break;
        if (*it != button.handle && (w->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON) group.push_back(*it);
    }
    return group;
}

LRESULT buttonMessage(HWND h, Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool box = w.kind == WindowKind::CheckBox || w.kind == WindowKind::RadioButton;
    bool threeState = (w.style & BS_TYPEMASK) == BS_3STATE || (w.style & BS_TYPEMASK) == BS_AUTO3STATE;
    switch (msg) {
    case BM_GETCHECK: return box ? LRESULT(w.check) : 0;
    case BM_SETCHECK:
        if (box) w.check = threeState ? UINT(std::min<WPARAM>(wParam, BST_INDETERMINATE)) : (wParam ? BST_CHECKED : BST_UNCHECKED);
        return 0;
    case BM_GETSTATE: return box ? LRESULT(w.check) : 0;
    case BM_SETSTATE: return 0;
    case BM_SETSTYLE:
        w.style = (w.style & ~DWORD(0xFFFF)) | LOWORD(wParam);
        w.kind = buttonKind(w.style);
        return 0;
    case BM_CLICK:
        // As a press and a release: the button takes the focus, then clicks.
        if (!(w.style & WS_DISABLED)) {
            setFocus(h);
            if (find(h)) clickButton(h);
        }
        return 0;
    default: {
        LRESULT r = 0;
        textMessage(w, msg, wParam, lParam, r);
        return r;
    }
    }
}

// ---- Edit fields ----

void editChanged(HWND h) {
    command(h, EN_UPDATE);
    command(h, EN_CHANGE);
}

LRESULT editMessage(HWND h, Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETTEXT:
        // Unlike a person's typing, a text set by the program is not held to the limit,
        // but the field reports the change all the same.
        w.text = textOf(lParam) ? textOf(lParam) : "";
        w.modified = false;
        w.selStart = w.selEnd = 0;
        editChanged(h);
        return TRUE;
    case EM_LIMITTEXT: w.textLimit = wParam ? std::size_t(wParam) : kLargestTextLimit; return 0;
    case EM_GETLIMITTEXT: return LRESULT(w.textLimit);
    case EM_SETSEL: {
        auto len = DWORD(w.text.size());
        auto start = LONG(wParam), end = LONG(lParam);
        if (start == -1) {
            w.selStart = w.selEnd = std::min(w.selEnd, len);
            return 0;
        }
        w.selStart = std::min(DWORD(std::max(start, LONG(0))), len);
        w.selEnd = end == -1 ? len : std::min(DWORD(std::max(end, LONG(0))), len);
        if (w.selStart > w.selEnd) std::swap(w.selStart, w.selEnd);
        return 0;
    }
    case EM_GETSEL:
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = w.selStart;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = w.selEnd;
        return w.selStart > 0xFFFF || w.selEnd > 0xFFFF ? -1 : MAKELONG(WORD(w.selStart), WORD(w.selEnd));
    case EM_GETMODIFY: return w.modified;
    case EM_SETMODIFY: w.modified = wParam != 0; return 0;
    case EM_SETREADONLY:
        if (wParam) w.style |= ES_READONLY;
        else w.style &= ~ES_READONLY;
        return TRUE;
    case EM_REPLACESEL: {
        std::string with = textOf(lParam) ? textOf(lParam) : "";
        std::size_t start = std::min<std::size_t>(w.selStart, w.text.size());
        std::size_t end = std::min<std::size_t>(w.selEnd, w.text.size());
        w.text.replace(start, end - start, with);
        w.selStart = w.selEnd = DWORD(start + with.size());
        editChanged(h);
        return 0;
    }
    case EM_GETLINECOUNT:
        return (w.style & ES_MULTILINE) ? LRESULT(std::count(w.text.begin(), w.text.end(), '\n') + 1) : 1;
    default: {
        LRESULT r = 0;
        textMessage(w, msg, wParam, lParam, r);
        return r;
    }
    }
}

// ---- List and combo boxes ----

bool valid(const Window& w, WPARAM index) { return LONG_PTR(index) >= 0 && std::size_t(index) < w.entries.size(); }

// Adds an entry at its sorted place or at the end; returns its index.
int addEntry(Window& w, const char* text, bool sorted) {
    ListEntry e{text, 0};
    auto at = sorted ? std::upper_bound(w.entries.begin(), w.entries.end(), e,
                                        [](const ListEntry& a, const ListEntry& b) { return textBefore(a.text, b.text); })
                     : w.entries.end();
    int index = int(at - w.entries.begin());
    w.entries.insert(at, std::move(e));
    if (w.selection >= index) ++w.selection;
    return index;
}

// Inserts where told, sorted list or not; -1 appends. Returns the index or -1.
int insertEntry(Window& w, WPARAM where, const char* text) {
    auto index = LONG_PTR(where);
    if (index == -1) index = LONG_PTR(w.entries.size());
    if (index < 0 || std::size_t(index) > w.entries.size()) return -1;
    w.entries.insert(w.entries.begin() + index, ListEntry{text, 0});
    if (w.selection >= index) ++w.selection;
    return int(index);
}

// Deletes an entry; a selected entry leaves no selection. Returns the count left or -1.
LRESULT deleteEntry(Window& w, WPARAM index) {
    if (!valid(w, index)) return -1;
    int i = int(index);
    w.entries.erase(w.entries.begin() + i);
    if (w.selection == i) w.selection = -1;
    else if (w.selection > i) --w.selection;
    return LRESULT(w.entries.size());
}

LRESULT copyEntry(const Window& w, WPARAM index, LPARAM buffer) {
    if (!valid(w, index) || !buffer) return -1;
    const std::string& t = w.entries[index].text;
    std::memcpy(reinterpret_cast<char*>(buffer), t.c_str(), t.size() + 1);
    return LRESULT(t.size());
}

bool dropDownList(const Window& w) { return (w.style & 0x3) == CBS_DROPDOWNLIST; }

// Selects an entry (or none) and shows its text in the edit field.
void comboSelect(Window& w, int index) {
    w.selection = index;
    w.text = index >= 0 ? w.entries[std::size_t(index)].text : std::string();
}

LRESULT comboMessage(HWND h, Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool editable = !dropDownList(w);
    switch (msg) {
    case CB_ADDSTRING: return textOf(lParam) ? addEntry(w, textOf(lParam), w.style & CBS_SORT) : CB_ERR;
    case CB_INSERTSTRING: return textOf(lParam) ? insertEntry(w, wParam, textOf(lParam)) : CB_ERR;
    case CB_DELETESTRING: return deleteEntry(w, wParam);
    case CB_RESETCONTENT:
        w.entries.clear();
        comboSelect(w, -1);
        return CB_OKAY;
    case CB_GETCOUNT: return LRESULT(w.entries.size());
    case CB_GETCURSEL: return w.selection;
    case CB_SETCURSEL:
        if (!valid(w, wParam)) {
            comboSelect(w, -1);
            return CB_ERR;
        }
        comboSelect(w, int(wParam));
        return LRESULT(wParam);
    case CB_GETLBTEXT: return copyEntry(w, wParam, lParam);
    case CB_GETLBTEXTLEN: return valid(w, wParam) ? LRESULT(w.entries[wParam].text.size()) : CB_ERR;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
        return textOf(lParam) ? findEntry(w.entries, int(LONG_PTR(wParam)), textOf(lParam), msg == CB_FINDSTRINGEXACT) : CB_ERR;
    case CB_SELECTSTRING: {
        int i = textOf(lParam) ? findEntry(w.entries, int(LONG_PTR(wParam)), textOf(lParam), false) : -1;
        if (i >= 0) comboSelect(w, i);
        return i >= 0 ? i : CB_ERR;
    }
    case CB_GETITEMDATA: return valid(w, wParam) ? w.entries[wParam].data : CB_ERR;
    case CB_SETITEMDATA:
        if (!valid(w, wParam)) return CB_ERR;
        w.entries[wParam].data = lParam;
        return CB_OKAY;
    case CB_SHOWDROPDOWN:
        if ((w.style & 0x3) == CBS_SIMPLE) return TRUE;
        if (wParam && !w.dropped) {
            command(h, CBN_DROPDOWN);
            if (Window* again = find(h)) listOpened(*again);
        } else if (!wParam && w.dropped) {
            // Closed without a click on an entry: the choice ends as cancelled.
            command(h, CBN_SELENDCANCEL);
            if (Window* again = find(h)) {
                again->dropped = false;
                command(h, CBN_CLOSEUP);
            }
        }
        return TRUE;
    case CB_GETDROPPEDSTATE: return w.dropped;
    case CB_LIMITTEXT: w.textLimit = wParam ? std::size_t(wParam) : kLargestTextLimit; return TRUE;
    case CB_GETEDITSEL:
        if (!editable) return CB_ERR;
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = w.selStart;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = w.selEnd;
        return MAKELONG(WORD(w.selStart), WORD(w.selEnd));
    case CB_SETEDITSEL:
        if (!editable) return CB_ERR;
        w.selStart = LOWORD(DWORD(lParam));
        w.selEnd = HIWORD(DWORD(lParam));
        return TRUE;
    case WM_SETTEXT: {
        const char* t = textOf(lParam) ? textOf(lParam) : "";
        if (editable) {
            w.text = t;
            return TRUE;
        }
        // A drop-down list shows only its entries: the text picks one.
        int i = findEntry(w.entries, -1, t, true);
        if (i < 0) return CB_ERR;
        comboSelect(w, i);
        return TRUE;
    }
    default: {
        LRESULT r = 0;
        textMessage(w, msg, wParam, lParam, r);
        return r;
    }
    }
}

bool multipleSelection(const Window& w) { return w.style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL); }

LRESULT listMessage(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case LB_ADDSTRING: return textOf(lParam) ? addEntry(w, textOf(lParam), w.style & LBS_SORT) : LB_ERR;
    case LB_INSERTSTRING: return textOf(lParam) ? insertEntry(w, wParam, textOf(lParam)) : LB_ERR;
    case LB_DELETESTRING: return deleteEntry(w, wParam);
    case LB_RESETCONTENT:
        w.entries.clear();
        w.selection = -1;
        w.topIndex = 0;
        return 0;
    case LB_GETCOUNT: return LRESULT(w.entries.size());
    case LB_SETCURSEL:
        if (multipleSelection(w)) return LB_ERR;
        if (LONG_PTR(wParam) == -1) {
            w.selection = -1;
            return LB_ERR;  // as the window system answers, although nothing went wrong
        }
        if (!valid(w, wParam)) return LB_ERR;
        w.selection = int(wParam);
        return LRESULT(wParam);
    case LB_GETCURSEL: return w.selection;
    case LB_SETSEL: return LB_ERR;  // only for multiple-selection lists, which are not kept here
    case LB_GETSEL: return valid(w, wParam) ? (int(wParam) == w.selection ? 1 : 0) : LB_ERR;
    case LB_GETTEXT: return copyEntry(w, wParam, lParam);
    case LB_GETTEXTLEN: return valid(w, wParam) ? LRESULT(w.entries[wParam].text.size()) : LB_ERR;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
        return textOf(lParam) ? findEntry(w.entries, int(LONG_PTR(wParam)), textOf(lParam), msg == LB_FINDSTRINGEXACT) : LB_ERR;
    case LB_SELECTSTRING: {
        if (multipleSelection(w) || !textOf(lParam)) return LB_ERR;
        int i = findEntry(w.entries, int(LONG_PTR(wParam)), textOf(lParam), false);
        if (i >= 0) w.selection = i;
        return i >= 0 ? i : LB_ERR;
    }
    case LB_GETITEMDATA: return valid(w, wParam) ? w.entries[wParam].data : LB_ERR;
    case LB_SETITEMDATA:
        if (!valid(w, wParam)) return LB_ERR;
        w.entries[wParam].data = lParam;
        return LB_OKAY;
    case LB_GETTOPINDEX: return w.topIndex;
    case LB_SETTOPINDEX:
        if (!valid(w, wParam) && !(wParam == 0 && w.entries.empty())) return LB_ERR;
        w.topIndex = int(wParam);
        return 0;
    default: {
        LRESULT r = 0;
        textMessage(w, msg, wParam, lParam, r);
        return r;
    }
    }
}

// ---- Up-down controls ----

int clampToRange(const Window& w, int pos) {
    return std::clamp(pos, std::min(w.lower, w.upper), std::max(w.lower, w.upper));
}

LRESULT upDownMessage(HWND h, Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case UDM_SETRANGE:
        w.upper = short(LOWORD(DWORD(lParam)));
        w.lower = short(HIWORD(DWORD(lParam)));
        return 0;
    case UDM_GETRANGE: return MAKELONG(WORD(w.upper), WORD(w.lower));
    case UDM_SETRANGE32:
        w.lower = int(LONG_PTR(wParam));
        w.upper = int(lParam);
        return 0;
    case UDM_GETRANGE32:
        if (wParam) *reinterpret_cast<int*>(wParam) = w.lower;
        if (lParam) *reinterpret_cast<int*>(lParam) = w.upper;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        int old = w.position;
        int pos = msg == UDM_SETPOS ? short(LOWORD(DWORD(lParam))) : int(lParam);
        setUpDownPosition(h, clampToRange(w, pos));
        return old;
    }
    case UDM_GETPOS: return MAKELONG(WORD(w.position), 0);
    case UDM_GETPOS32:
        if (lParam) *reinterpret_cast<BOOL*>(lParam) = FALSE;
        return w.position;
    case UDM_SETBUDDY: {
        HWND old = w.buddy;
        w.buddy = reinterpret_cast<HWND>(wParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY: return reinterpret_cast<LRESULT>(w.buddy);
    case UDM_SETBASE: {
        if (wParam != 10 && wParam != 16) return 0;
        int old = w.base;
        w.base = int(wParam);
        return old;
    }
    case UDM_GETBASE: return w.base;
    default: return 0;
    }
}

}  // namespace

std::size_t copyText(const std::string& text, char* buffer, WPARAM size) {
    if (!buffer || size == 0) return 0;
    std::size_t n = std::min<std::size_t>(text.size(), std::size_t(size) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

namespace {

// The system's order of characters when it compares text: blanks and punctuation,
// then digits, then letters (either case alike); other bytes last, in their order.
constexpr std::string_view kPunctuationOrder = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

int characterWeight(char c) {
    if (auto at = kPunctuationOrder.find(c); at != std::string_view::npos) return int(at);
    const int digits = int(kPunctuationOrder.size()), letters = digits + 10, others = letters + 26;
    if (c >= '0' && c <= '9') return digits + (c - '0');
    if (lower(c) >= 'a' && lower(c) <= 'z') return letters + (lower(c) - 'a');
    return others + static_cast<unsigned char>(c);
}

// Hyphens and apostrophes count only where the text is otherwise equal ("co-op" and
// "coop" stand side by side), the apostrophe before the hyphen.
bool ignoredAtFirst(char c) { return c == '-' || c == '\''; }

}  // namespace

int compareText(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (true) {
        while (i < a.size() && ignoredAtFirst(a[i])) ++i;
        while (j < b.size() && ignoredAtFirst(b[j])) ++j;
        if (i == a.size() || j == b.size()) break;
        if (int d = characterWeight(a[i]) - characterWeight(b[j])) return d < 0 ? -1 : 1;
        ++i, ++j;
    }
    if (i != a.size() || j != b.size()) return i == a.size() ? -1 : 1;
    // Equal but for hyphens and apostrophes: their places, then which they are, decide.
    std::vector<std::pair<std::size_t, int>> marksA, marksB;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (ignoredAtFirst(a[k])) marksA.emplace_back(k, a[k] == '-');
    for (std::size_t k = 0; k < b.size(); ++k)
        if (ignoredAtFirst(b[k])) marksB.emplace_back(k, b[k] == '-');
    if (marksA == marksB) return 0;
    return marksA < marksB ? -1 : 1;
}

bool textBefore(const std::string& a, const std::string& b) { return compareText(a, b) < 0; }

int findEntry(const std::vector<ListEntry>& entries, int start, std::string_view text, bool exact) {
    int n = int(entries.size());
    if (n == 0) return -1;
    int first = (start < 0 || start >= n) ? 0 : start + 1;
    for (int k = 0; k < n; ++k) {
        int i = (first + k) % n;
        std::string_view e = entries[std::size_t(i)].text;
        if (compareText(exact ? e : e.substr(0, text.size()), text) == 0) return i;
    }
    return -1;
}

void selectFromField(Window& combo) {
    bool found = combo.dropped && !combo.text.empty();
    combo.selection = found ? findEntry(combo.entries, -1, combo.text, false) : -1;
}

void listOpened(Window& combo) {
    combo.dropped = true;
    if (!dropDownList(combo)) selectFromField(combo);
    combo.droppedIndex = combo.selection;
}

void clickButton(HWND button) {
    Window* w = find(button);
    if (!w) return;
    if (isAuto(*w)) {
        switch (w->style & BS_TYPEMASK) {
        case BS_AUTOCHECKBOX: w->check = w->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED; break;
        case BS_AUTO3STATE: w->check = (w->check + 1) % 3; break;
        case BS_AUTORADIOBUTTON:
            for (HWND other : radioGroup(*w)) find(other)->check = BST_UNCHECKED;
            w->check = BST_CHECKED;
            break;
        default: break;
        }
    }
    command(button, BN_CLICKED);
}

void readBuddyPosition(HWND upDown) {
    Window* w = find(upDown);
    if (!w || !(w->style & UDS_SETBUDDYINT)) return;
    const Window* buddy = find(w->buddy);
    if (!buddy || buddy->text.empty()) return;
    std::string_view text = buddy->text;
    int base = w->base;
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) text.remove_prefix(2);
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) return;
    if (value < std::min(w->lower, w->upper) || value > std::max(w->lower, w->upper)) return;
    w->position = value;
}

void setUpDownPosition(HWND upDown, int pos) {
    Window* w = find(upDown);
    if (!w) return;
    w->position = pos;
    if ((w->style & UDS_SETBUDDYINT) && find(w->buddy)) {
        char text[32];
        std::snprintf(text, sizeof text, w->base == 16 ? "0x%04X" : "%d", pos);
        send(w->buddy, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
}

LRESULT controlMessage(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = find(h);
    if (!w) return 0;
    switch (w->kind) {
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton:
    case WindowKind::GroupBox: return buttonMessage(h, *w, msg, wParam, lParam);
    case WindowKind::Edit: return editMessage(h, *w, msg, wParam, lParam);
    case WindowKind::ComboBox: return comboMessage(h, *w, msg, wParam, lParam);
    case WindowKind::ListBox: return listMessage(*w, msg, wParam, lParam);
    case WindowKind::UpDown: return upDownMessage(h, *w, msg, wParam, lParam);
    case WindowKind::Static: {
        LRESULT r = 0;
        textMessage(*w, msg, wParam, lParam, r);
        return r;
    }
    default: return 0;
    }
}

}  // namespace hostsim::win
