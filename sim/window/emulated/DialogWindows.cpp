// The window table: dialogs built from module resources, the host's own windows,
// message delivery, showing, enabling and destroying, and the window-system calls of
// windows.h that modules make on them.
#include <dlfcn.h>

#include <algorithm>
#include <charconv>
#include <cstring>

#include "DialogWindow.h"
#include "HandleTable.h"
#include "Text.h"
#include "hostsim/Host.h"
#include "hostsim/WindowSystem.h"

namespace hostsim::win {

namespace {

HandleTable<Window, HandleKind::Window>& table() {
    static auto& t = *new HandleTable<Window, HandleKind::Window>;  // see Host::instance
    return t;
}

std::string& lastError() {
    static std::string e;
    return e;
}

HWND& focused() {
    static HWND f = nullptr;
    return f;
}

// What a control tells its dialog when it gains or loses the focus. A combo box that
// loses it ends a choice in its list first, closing the list if it is open.
void focusChanged(HWND h, bool gained, HWND other) {
    Window* w = find(h);
    if (!w) return;
    switch (w->kind) {
    case WindowKind::Edit: command(h, gained ? EN_SETFOCUS : EN_KILLFOCUS); break;
    case WindowKind::ComboBox:
        if (gained) {
            command(h, CBN_SETFOCUS);
            break;
        }
        command(h, CBN_SELENDCANCEL);
        if ((w = find(h)) && w->dropped) {
            w->dropped = false;
            command(h, CBN_CLOSEUP);
        }
        command(h, CBN_KILLFOCUS);
        break;
    case WindowKind::ListBox: command(h, gained ? LBN_SETFOCUS : LBN_KILLFOCUS); break;
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton:
        if (w->style & BS_NOTIFY) command(h, gained ? BN_SETFOCUS : BN_KILLFOCUS);
        break;
    case WindowKind::Custom:
        send(h, gained ? WM_SETFOCUS : WM_KILLFOCUS, reinterpret_cast<WPARAM>(other), 0);
        break;
    default: break;
    }
}

// The class name that dialogs have in the window system.
constexpr const char* kDialogClass = "#32770";

// The kind of a standard control class, if it is one.
std::optional<WindowKind> standardKind(const std::string& className, DWORD style) {
    if (iequals(className, "Button")) return buttonKind(style);
    if (iequals(className, "Edit")) return WindowKind::Edit;
    if (iequals(className, "Static")) return WindowKind::Static;
    if (iequals(className, "ComboBox")) return WindowKind::ComboBox;
    if (iequals(className, "ListBox")) return WindowKind::ListBox;
    if (iequals(className, "ScrollBar")) return WindowKind::ScrollBar;
    if (iequals(className, UPDOWN_CLASS)) return WindowKind::UpDown;
    return std::nullopt;
}

// A class that a module registered, for dialogs of that module, or for all if global.
const WindowClass* registeredClass(const std::string& name, HINSTANCE instance) {
    for (const WindowClass& c : WindowSystem::instance().classes())
        if (iequals(c.name, name) && (c.attributes.hInstance == instance || (c.attributes.style & CS_GLOBALCLASS)))
            return &c;
    return nullptr;
}

// What a dialog does with a message that its procedure left alone.
LRESULT defaultDialog(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETTEXT:
        w.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return TRUE;
    case WM_GETTEXT: return LRESULT(copyText(w.text, reinterpret_cast<char*>(lParam), wParam));
    case WM_GETTEXTLENGTH: return LRESULT(w.text.size());
    default: return 0;
    }
}

LRESULT dialogMessage(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = find(h);
    // Copies: the dialog may be destroyed while they run.
    DialogHooks hooks = w->hooks;
    if (hooks.before)
        if (auto answer = hooks.before(h, msg, wParam, lParam)) return *answer;
    if (!(w = find(h))) return 0;
    DLGPROC proc = w->dialogProc;
    INT_PTR handled = FALSE;
    if (proc && codeIsMapped(reinterpret_cast<const void*>(proc))) {
        w->msgResult = 0;
        handled = proc(h, msg, wParam, lParam);
    }
    if (hooks.after) hooks.after(h, msg, wParam, lParam, handled);
    w = find(h);
    if (handled) {
        // A handled message answers with DWLP_MSGRESULT, WM_INITDIALOG with what the procedure returned.
        if (msg == WM_INITDIALOG) return handled;
        return w ? w->msgResult : 0;
    }
    return w ? defaultDialog(*w, msg, wParam, lParam) : 0;
}

// The window and every window inside it, outermost first.
void collectTree(HWND h, std::vector<HWND>& out) {
    Window* w = find(h);
    if (!w) return;
    out.push_back(h);
    std::vector<HWND> children = w->children;
    for (HWND c : children) collectTree(c, out);
}

}  // namespace

Window* find(HWND wnd) { return table().get(wnd); }

HWND add(std::unique_ptr<Window> window) {
    auto [raw, handle] = table().emplace(std::move(*window));
    raw->handle = static_cast<HWND>(handle);
    if (Window* parent = find(raw->parent)) parent->children.push_back(raw->handle);
    return raw->handle;
}

bool codeIsMapped(const void* code) {
    Dl_info info{};
    return code && dladdr(code, &info) != 0;
}

LRESULT send(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = find(wnd);
    if (!w) return 0;
    switch (w->kind) {
    case WindowKind::Host: {
        // A host window keeps its own title; its own messages go to its handler.
        if (msg < WM_USER) return defaultDialog(*w, msg, wParam, lParam);
        HostWindowHandler handler = w->handler;
        return handler ? handler(wnd, msg, wParam, lParam) : 0;
    }
    case WindowKind::Dialog: return dialogMessage(wnd, msg, wParam, lParam);
    case WindowKind::Custom: {
        WNDPROC proc = w->windowProc;
        return codeIsMapped(reinterpret_cast<const void*>(proc)) ? proc(wnd, msg, wParam, lParam) : 0;
    }
    default: return controlMessage(wnd, msg, wParam, lParam);
    }
}

HWND focus() { return find(focused()) ? focused() : nullptr; }

void setFocus(HWND wnd) {
    HWND old = focus();
    if (old == wnd) return;
    focused() = wnd;
    if (old) focusChanged(old, false, wnd);
    if (focus() == wnd) focusChanged(wnd, true, old);
}

LRESULT command(HWND control, WORD code) {
    Window* w = find(control);
    if (!w || !w->parent) return 0;
    HWND parent = w->parent;
    return send(parent, WM_COMMAND, MAKEWPARAM(WORD(w->id), code), reinterpret_cast<LPARAM>(control));
}

std::string describe(const Window& w) {
    switch (w.kind) {
    case WindowKind::Dialog: return "dialog";
    case WindowKind::Host: return "window \"" + w.text + "\"";
    default: return "control " + std::to_string(w.id);
    }
}

}  // namespace hostsim::win

namespace hostsim {

using win::Window;

HWND createHostWindow(const std::string& title, HostWindowHandler handler) {
    auto w = std::make_unique<Window>();
    w->kind = WindowKind::Host;
    w->className = "HostWindow";
    w->text = title;
    w->style = WS_POPUP | WS_VISIBLE;
    w->handler = std::move(handler);
    return win::add(std::move(w));
}

HWND createDialog(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM initParam,
                  DialogHooks hooks, std::string& error) {
    error.clear();
    if (parent && !win::find(parent)) {
        error = "the parent window does not exist";
        return nullptr;
    }
    auto t = findDialogTemplate(instance, name, error);
    if (!t) return nullptr;
    // Every control's class must exist before anything is made, as nothing is sent
    // to a dialog that cannot be made.
    auto controlName = [&](std::size_t i) {
        return t->source + ", control " + std::to_string(i + 1) + " (id " + std::to_string(t->controls[i].id) + ")";
    };
    std::vector<const WindowClass*> classes;
    for (const ControlTemplate& c : t->controls) {
        const WindowClass* cls = nullptr;
        if (!win::standardKind(c.className, c.style) && !(cls = win::registeredClass(c.className, instance))) {
            error = controlName(classes.size()) + ": no window class \"" + c.className + "\"";
            return nullptr;
        }
        classes.push_back(cls);
    }

    auto d = std::make_unique<Window>();
    d->kind = WindowKind::Dialog;
    d->className = win::kDialogClass;
    d->style = t->style & ~WS_VISIBLE;  // shown, if at all, after its initialisation
    d->exStyle = t->exStyle;
    d->text = t->caption;
    d->parent = parent;
    d->instance = instance;
    d->x = t->x, d->y = t->y, d->cx = t->cx, d->cy = t->cy;
    d->fontFace = t->fontFace;
    d->fontSize = t->fontSize;
    d->dialogProc = proc;
    d->hooks = std::move(hooks);
    HWND dialog = win::add(std::move(d));

    HWND previous = nullptr;
    for (std::size_t i = 0; i < t->controls.size(); ++i) {
        const ControlTemplate& c = t->controls[i];
        auto w = std::make_unique<Window>();
        // The window's class is spelled as it was registered, whatever the template's spelling.
        w->className = classes[i] ? classes[i]->name : c.className;
        w->kind = classes[i] ? WindowKind::Custom : *win::standardKind(c.className, c.style);
        w->id = c.id;
        w->style = c.style;
        w->exStyle = c.exStyle;
        w->parent = dialog;
        w->instance = instance;
        w->x = c.x, w->y = c.y, w->cx = c.cx, w->cy = c.cy;
        if (w->kind != WindowKind::ListBox && w->kind != WindowKind::UpDown) w->text = c.text;
        if (w->kind == WindowKind::ComboBox && (c.style & 0x3) == CBS_DROPDOWNLIST) w->text.clear();
        if (w->kind == WindowKind::UpDown && (c.style & UDS_AUTOBUDDY)) w->buddy = previous;
        if (classes[i]) w->windowProc = classes[i]->attributes.lpfnWndProc;
        HWND control = win::add(std::move(w));
        if (classes[i]) {
            CREATESTRUCT cs{nullptr, instance, nullptr, dialog, c.cy, c.cx, c.y, c.x, LONG(c.style),
                            c.text.c_str(), c.className.c_str(), c.exStyle};
            if (win::send(control, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
                destroyWindow(dialog);
                error = controlName(i) + ": refused to be made";
                return nullptr;
            }
        }
        previous = control;
    }

    // The dialog learns which control will take the focus: the first that Tab reaches.
    HWND focus = nullptr;
    if (Window* dw = win::find(dialog))
        for (HWND c : dw->children)
            if (Window* cw = win::find(c); cw && (cw->style & WS_TABSTOP) && (cw->style & WS_VISIBLE) && !(cw->style & WS_DISABLED)) {
                focus = c;
                break;
            }
    const LRESULT takeFocus = win::send(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam);
    if (!win::find(dialog)) {
        error = "the dialog procedure destroyed the dialog while it was being made";
        return nullptr;
    }
    // A procedure that answers TRUE leaves the focus to the window system, which gives
    // it to that control, hidden dialog or not; an edit field's text is selected.
    if (takeFocus && win::find(focus)) {
        if (win::find(focus)->kind == WindowKind::Edit) win::send(focus, EM_SETSEL, 0, -1);
        win::setFocus(focus);
    }
    if (t->style & WS_VISIBLE) showWindow(dialog, true);
    return dialog;
}

const std::string& lastDialogError() { return win::lastError(); }

bool showWindow(HWND wnd, bool show) {
    Window* w = win::find(wnd);
    if (!w) return false;
    bool was = (w->style & WS_VISIBLE) != 0;
    if (was == show) return was;
    // The window hears of it before it changes.
    win::send(wnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if ((w = win::find(wnd))) {
        if (show) w->style |= WS_VISIBLE;
        else w->style &= ~WS_VISIBLE, w->dropped = false;
    }
    // The focus stays where it is, also in a window that is hidden now.
    return was;
}

bool destroyWindow(HWND wnd) {
    Window* w = win::find(wnd);
    if (!w || w->destroying) return false;
    std::vector<HWND> tree;
    win::collectTree(wnd, tree);
    for (HWND h : tree) win::find(h)->destroying = true;
    // The window that has the focus loses it first, and tells its dialog as it does
    // (a combo box closes its list): the window system hides what it destroys.
    if (HWND f = win::focused(); std::find(tree.begin(), tree.end(), f) != tree.end()) {
        win::focused() = nullptr;
        win::focusChanged(f, false, nullptr);
    }
    if (!(w = win::find(wnd))) return true;
    w->style &= ~WS_VISIBLE;
    for (HWND h : tree) win::send(h, WM_DESTROY, 0, 0);
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) win::send(*it, WM_NCDESTROY, 0, 0);
    if (Window* root = win::find(wnd))
        if (Window* parent = win::find(root->parent)) std::erase(parent->children, wnd);
    for (HWND h : tree) {
        if (win::focused() == h) win::focused() = nullptr;
        win::table().remove(h);
    }
    return true;
}

void forgetWindows() {
    win::focused() = nullptr;
    win::table().clear();
    win::lastError().clear();
}

std::optional<WindowView> viewWindow(HWND wnd) {
    const Window* w = win::find(wnd);
    if (!w) return std::nullopt;
    WindowView v;
    v.handle = wnd;
    v.kind = w->kind;
    v.className = w->className;
    v.id = w->id;
    v.style = w->style;
    v.exStyle = w->exStyle;
    v.text = w->text;
    v.enabled = !(w->style & WS_DISABLED);
    v.visible = true;
    for (const Window* p = w; p; p = win::find(p->parent))
        if (!(p->style & WS_VISIBLE)) v.visible = false;
    v.x = w->x, v.y = w->y, v.cx = w->cx, v.cy = w->cy;
    v.fontFace = w->fontFace;
    v.fontSize = w->fontSize;
    v.check = w->check;
    v.entries = w->entries;
    v.selection = w->selection;
    v.dropped = w->dropped;
    if (w->kind == WindowKind::Edit || w->kind == WindowKind::ComboBox) v.textLimit = w->textLimit;
    if (w->kind == WindowKind::ComboBox && (w->style & 0x3) == CBS_DROPDOWNLIST)
        v.text = w->selection >= 0 ? w->entries[std::size_t(w->selection)].text : std::string();
    v.lower = w->lower;
    v.upper = w->upper;
    v.position = w->position;
    v.buddy = w->buddy;
    v.parent = w->parent;
    return v;
}

std::vector<HWND> childWindows(HWND wnd) {
    const Window* w = win::find(wnd);
    return w ? w->children : std::vector<HWND>{};
}

}  // namespace hostsim

// ---- The window-system calls that modules make ----

using hostsim::win::Window;
namespace win = hostsim::win;

namespace {

// Journal entries cost nothing unless a test switched the journal on.
template <class... Parts>
void journal(const char* call, const Parts&... parts) {
    hostsim::Journal& j = hostsim::Host::instance().journal();
    if (!j.enabled()) return;
    std::string entry = call;
    ((entry += ' ', entry += parts), ...);
    j.record(std::move(entry));
}

std::string ptr(const void* p) { return hostsim::formatPointer(p); }
std::string num(long long v) { return std::to_string(v); }
std::string text(const char* s) { return s ? s : ""; }

}  // namespace

HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam) {
    journal("CreateDialogParam", ptr(instance),
            templateName && IS_INTRESOURCE(templateName) ? num(LONG_PTR(templateName)) : text(templateName), ptr(parent));
    std::string error;
    HWND h = hostsim::createDialog(instance, templateName, parent, dialogProc, initParam, {}, error);
    win::lastError() = error;
    return h;
}

BOOL DestroyWindow(HWND wnd) {
    journal("DestroyWindow", ptr(wnd));
    return hostsim::destroyWindow(wnd);
}

BOOL IsWindow(HWND wnd) { return win::find(wnd) != nullptr; }

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    journal("SendMessage", ptr(wnd), num(msg), num(LONG_PTR(wParam)), num(lParam));
    return win::send(wnd, msg, wParam, lParam);
}

HWND GetDlgItem(HWND dialog, int id) {
    const Window* d = win::find(dialog);
    if (!d) return nullptr;
    for (HWND c : d->children)
        if (const Window* w = win::find(c); w && w->id == id) return c;
    return nullptr;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
    journal("SendDlgItemMessage", ptr(dialog), num(id), num(msg), num(LONG_PTR(wParam)), num(lParam));
    return win::send(GetDlgItem(dialog, id), msg, wParam, lParam);
}

int GetDlgCtrlID(HWND wnd) {
    const Window* w = win::find(wnd);
    return w ? w->id : 0;
}

HWND GetParent(HWND wnd) {
    const Window* w = win::find(wnd);
    return w ? w->parent : nullptr;
}

BOOL SetWindowText(HWND wnd, LPCSTR value) {
    journal("SetWindowText", ptr(wnd), text(value));
    if (!win::find(wnd)) return FALSE;
    return win::send(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value ? value : "")) > 0;
}

int GetWindowText(HWND wnd, LPSTR buffer, int maxCount) {
    if (!buffer || maxCount <= 0) return 0;
    buffer[0] = '\0';
    return int(win::send(wnd, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND wnd) { return int(win::send(wnd, WM_GETTEXTLENGTH, 0, 0)); }

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR value) {
    journal("SetDlgItemText", ptr(dialog), num(id), text(value));
    HWND c = GetDlgItem(dialog, id);
    if (!c) return FALSE;
    return win::send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value ? value : "")) > 0;
}

UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int maxCount) {
    if (!buffer || maxCount <= 0) return 0;
    buffer[0] = '\0';
    HWND c = GetDlgItem(dialog, id);
    return c ? UINT(win::send(c, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(buffer))) : 0;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    std::string t = isSigned ? std::to_string(int(value)) : std::to_string(value);
    journal("SetDlgItemInt", ptr(dialog), num(id), t);
    HWND c = GetDlgItem(dialog, id);
    return c && win::send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str())) > 0;
}

// Leading blanks are skipped; the rest must be a number that fits.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated) *translated = FALSE;
    HWND c = GetDlgItem(dialog, id);
    const Window* w = win::find(c);
    if (!w) return 0;
    char buffer[64];
    GetWindowText(c, buffer, sizeof buffer);
    std::string_view t(buffer);
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    long long v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || (!isSigned && t.front() == '-')) return 0;
    if (isSigned ? (v < INT32_MIN || v > INT32_MAX) : (v < 0 || v > UINT32_MAX)) return 0;
    if (translated) *translated = TRUE;
    return UINT(v);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    journal("CheckDlgButton", ptr(dialog), num(id), num(check));
    HWND c = GetDlgItem(dialog, id);
    if (!c) return FALSE;
    win::send(c, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    return c ? UINT(win::send(c, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    journal("CheckRadioButton", ptr(dialog), num(firstId), num(lastId), num(checkId));
    if (!win::find(dialog)) return FALSE;
    for (int id = firstId; id <= lastId; ++id)
        if (HWND c = GetDlgItem(dialog, id)) win::send(c, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

BOOL EnableWindow(HWND wnd, BOOL enable) {
    journal("EnableWindow", ptr(wnd), num(enable));
    Window* w = win::find(wnd);
    if (!w) return FALSE;
    bool wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) w->style &= ~WS_DISABLED;
    else w->style |= WS_DISABLED, w->dropped = false;
    win::send(wnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND wnd) {
    const Window* w = win::find(wnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL ShowWindow(HWND wnd, int command) {
    journal("ShowWindow", ptr(wnd), num(command));
    return hostsim::showWindow(wnd, command != SW_HIDE);
}

BOOL IsWindowVisible(HWND wnd) {
    auto v = hostsim::viewWindow(wnd);
    return v && v->visible;
}

LONG_PTR GetWindowLongPtr(HWND wnd, int index) {
    const Window* w = win::find(wnd);
    if (!w) return 0;
    bool dialog = w->kind == hostsim::WindowKind::Dialog;
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->windowProc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return LONG_PTR(w->style);
    case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    case DWLP_MSGRESULT: return dialog ? w->msgResult : 0;
    case DWLP_DLGPROC: return dialog ? reinterpret_cast<LONG_PTR>(w->dialogProc) : 0;
    case DWLP_USER: return dialog ? w->dialogUser : 0;
    default: return 0;
    }
}

LONG_PTR SetWindowLongPtr(HWND wnd, int index, LONG_PTR value) {
    journal("SetWindowLongPtr", ptr(wnd), num(index), num(value));
    Window* w = win::find(wnd);
    if (!w) return 0;
    bool dialog = w->kind == hostsim::WindowKind::Dialog;
    LONG_PTR old = GetWindowLongPtr(wnd, index);
    switch (index) {
    case GWLP_ID: w->id = int(value); break;
    case GWL_STYLE:
        w->style = DWORD(value);
        if (w->className == "Button") w->kind = hostsim::buttonKind(w->style);
        break;
    case GWL_EXSTYLE: w->exStyle = DWORD(value); break;
    case GWLP_USERDATA: w->userData = value; break;
    case DWLP_MSGRESULT:
        if (dialog) w->msgResult = value;
        break;
    case DWLP_USER:
        if (dialog) w->dialogUser = value;
        break;
    default: return 0;  // procedures, instance and parent stay as they were made
    }
    return old;
}

LONG GetWindowLong(HWND wnd, int index) { return LONG(GetWindowLongPtr(wnd, index)); }
LONG SetWindowLong(HWND wnd, int index, LONG value) { return LONG(SetWindowLongPtr(wnd, index, value)); }

void InitCommonControls() {}
