// The real window system (Windows): the host's windows are real windows, editor pages
// are real dialogs that CreateDialogParam makes from the resources linked into the
// module, and what a person sees is read back from the real controls.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

#include "RealWindow.h"
#include "SystemMessage.h"
#include "Text.h"
#include "hostsim/Dialogs.h"
#include "hostsim/Files.h"
#include "hostsim/Host.h"

namespace hostsim {

namespace real {

namespace {

constexpr const char* kHostWindowClass = "HostsimWindow";
constexpr const char* kDialogClass = "#32770";
// The host's window: large enough for the pages it holds, in pixels.
constexpr int kHostWindowWidth = 800, kHostWindowHeight = 600;

std::map<HWND, HostWindowHandler>& hostWindows() {
    static auto& windows = *new std::map<HWND, HostWindowHandler>;  // see Host::instance
    return windows;
}

// A dialog made through the seam: the module's procedure and the host's hooks.
struct Page {
    DLGPROC proc = nullptr;
    DialogHooks hooks;
};

std::map<HWND, Page>& pages() {
    static auto& all = *new std::map<HWND, Page>;
    return all;
}

// The dialog being made, until its first message names its window.
std::optional<Page>& pending() {
    static auto& page = *new std::optional<Page>;
    return page;
}

std::string& lastError() {
    static auto& e = *new std::string;
    return e;
}

std::string errorText(DWORD code) {
    const std::string why = systemMessage(code);
    return why.empty() ? "error " + std::to_string(code) : why;
}

// Whether the code still belongs to a loaded module, so that a page whose module is
// gone is not called.
bool codeIsLoaded(DLGPROC proc) {
    HMODULE module = nullptr;
    return proc && GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                      reinterpret_cast<LPCSTR>(proc), &module);
}

LRESULT CALLBACK hostWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= WM_USER) {
        auto found = hostWindows().find(wnd);
        if (found == hostWindows().end()) return 0;
        HostWindowHandler handler = found->second;  // a copy: the window may go meanwhile
        return handler(wnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) hostWindows().erase(wnd);
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// The procedure of every page: the host's hooks around the module's procedure.
INT_PTR CALLBACK pageProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto found = pages().find(wnd);
    if (found == pages().end()) {
        if (!pending()) return FALSE;
        found = pages().emplace(wnd, std::move(*pending())).first;
        pending().reset();
    }
    // Copies: the page may be destroyed while they run.
    const DialogHooks hooks = found->second.hooks;
    const DLGPROC proc = found->second.proc;
    INT_PTR handled = FALSE;
    std::optional<LRESULT> answer;
    if (hooks.before) answer = hooks.before(wnd, msg, wParam, lParam);
    if (answer) {
        SetWindowLongPtrA(wnd, DWLP_MSGRESULT, *answer);
        handled = TRUE;
    } else {
        if (codeIsLoaded(proc)) handled = proc(wnd, msg, wParam, lParam);
        if (hooks.after) hooks.after(wnd, msg, wParam, lParam, handled);
    }
    if (msg == WM_NCDESTROY) pages().erase(wnd);
    return handled;
}

void initialise() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        WNDCLASSA wc{};
        wc.lpfnWndProc = hostWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kHostWindowClass;
        RegisterClassA(&wc);
        return true;
    }();
    (void)done;
}

// Pixels to dialog units of the dialog a window sits in (or is).
RECT dialogUnits(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    HWND parent = GetParent(wnd);
    if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    HWND dialog = className(wnd) == kDialogClass ? wnd : parent;
    RECT unit{0, 0, 4, 8};
    if (!dialog || !MapDialogRect(dialog, &unit) || unit.right <= 0 || unit.bottom <= 0) return r;
    // Rounded to the nearest unit: the system rounds the other way when it places controls.
    auto x = [&](LONG px) { return LONG((px * 4 + unit.right / 2) / unit.right); };
    auto y = [&](LONG px) { return LONG((px * 8 + unit.bottom / 2) / unit.bottom); };
    return RECT{x(r.left), y(r.top), x(r.right), y(r.bottom)};
}

// A host reset forgets the windows with the run; no module is called.
[[maybe_unused]] const bool resetWithHost = (Host::instance().addResetHook([] { forgetWindows(); }), true);

}  // namespace

std::string className(HWND wnd) {
    char name[256] = {};
    int n = GetClassNameA(wnd, name, sizeof name);
    return std::string(name, std::size_t(std::max(n, 0)));
}

WindowKind kindOf(HWND wnd) {
    const std::string name = className(wnd);
    const DWORD style = DWORD(GetWindowLongPtrA(wnd, GWL_STYLE));
    if (name == kDialogClass) return WindowKind::Dialog;
    if (name == kHostWindowClass) return WindowKind::Host;
    if (iequals(name, "Button")) return buttonKind(style);
    if (iequals(name, "Edit")) return WindowKind::Edit;
    if (iequals(name, "Static")) return WindowKind::Static;
    if (iequals(name, "ComboBox")) return WindowKind::ComboBox;
    if (iequals(name, "ListBox")) return WindowKind::ListBox;
    if (iequals(name, "ScrollBar")) return WindowKind::ScrollBar;
    if (iequals(name, UPDOWN_CLASSA)) return WindowKind::UpDown;
    return WindowKind::Custom;
}

std::string windowText(HWND wnd) {
    const int length = GetWindowTextLengthA(wnd);
    if (length <= 0) return {};
    std::string text(std::size_t(length) + 1, '\0');
    const int n = GetWindowTextA(wnd, text.data(), length + 1);
    text.resize(std::size_t(std::clamp(n, 0, length)));
    return text;
}

std::vector<ListEntry> entriesOf(HWND list) {
    const bool combo = kindOf(list) == WindowKind::ComboBox;
    const UINT countMsg = combo ? CB_GETCOUNT : LB_GETCOUNT, lengthMsg = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT textMsg = combo ? CB_GETLBTEXT : LB_GETTEXT, dataMsg = combo ? CB_GETITEMDATA : LB_GETITEMDATA;
    std::vector<ListEntry> entries;
    const LRESULT count = SendMessageA(list, countMsg, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list, lengthMsg, WPARAM(i), 0);
        std::string text(std::size_t(std::max<LRESULT>(length, 0)) + 1, '\0');
        const LRESULT n = SendMessageA(list, textMsg, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(std::size_t(std::clamp<LRESULT>(n, 0, std::max<LRESULT>(length, 0))));
        entries.push_back({text, SendMessageA(list, dataMsg, WPARAM(i), 0)});
    }
    return entries;
}

HWND comboEdit(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(combo, &info) ? info.hwndItem : nullptr;
}

std::string describe(HWND wnd) {
    switch (kindOf(wnd)) {
    case WindowKind::Dialog: return "dialog";
    case WindowKind::Host: return "window \"" + windowText(wnd) + "\"";
    default: return "control " + std::to_string(GetDlgCtrlID(wnd));
    }
}

void settle() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

namespace {

// How long the display may take to hand input back, in milliseconds. The input
// itself is queued before SendInput returns; the display may echo a pointer move
// a moment later, which is delivered too before the next action.
constexpr DWORD kInputEcho = 20;

bool send(std::vector<INPUT> inputs) {
    const UINT sent = SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    settle();
    while (MsgWaitForMultipleObjects(0, nullptr, FALSE, kInputEcho, QS_ALLINPUT) == WAIT_OBJECT_0) settle();
    return sent == inputs.size();
}

INPUT key(WORD virtualKey, WORD character, bool release) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = virtualKey;
    in.ki.wScan = character;
    in.ki.dwFlags = (character ? KEYEVENTF_UNICODE : 0) | (release ? KEYEVENTF_KEYUP : 0);
    return in;
}

}  // namespace

bool click(POINT onScreen) {
    // A second click close to the last one and soon after it would be a double click:
    // a person's next click waits that long.
    static POINT lastAt{-100, -100};
    static DWORD lastTime = 0;
    const DWORD since = GetTickCount() - lastTime, doubleTime = GetDoubleClickTime();
    if (std::abs(onScreen.x - lastAt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
        std::abs(onScreen.y - lastAt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) && since <= doubleTime)
        Sleep(doubleTime - since + 1);
    lastAt = onScreen;
    // Absolute positions run from 0 to 65536 across the screen.
    const int width = std::max(GetSystemMetrics(SM_CXSCREEN), 1), height = std::max(GetSystemMetrics(SM_CYSCREEN), 1);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((onScreen.x * 65536LL + width - 1) / width);
    in.mi.dy = LONG((onScreen.y * 65536LL + height - 1) / height);
    std::vector<INPUT> inputs(3, in);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    const bool sent = send(inputs);
    lastTime = GetTickCount();
    return sent;
}

bool pressKey(WORD virtualKey, bool shift) {
    std::vector<INPUT> inputs{key(virtualKey, 0, false), key(virtualKey, 0, true)};
    if (shift) {
        inputs.insert(inputs.begin(), key(VK_SHIFT, 0, false));
        inputs.push_back(key(VK_SHIFT, 0, true));
    }
    return send(inputs);
}

bool typeCharacter(char c) {
    const auto character = WORD(static_cast<unsigned char>(c));
    return send({key(0, character, false), key(0, character, true)});
}

}  // namespace real

HWND createHostWindow(const std::string& title, HostWindowHandler handler) {
    real::initialise();
    HWND wnd = CreateWindowExA(0, real::kHostWindowClass, title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0,
                               real::kHostWindowWidth, real::kHostWindowHeight, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (wnd) real::hostWindows()[wnd] = std::move(handler);
    real::settle();
    return wnd;
}

HWND createDialog(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM initParam,
                  DialogHooks hooks, std::string& error) {
    real::initialise();
    error.clear();
    if (parent && !IsWindow(parent)) {
        error = "the parent window does not exist";
        return nullptr;
    }
    real::pending() = real::Page{proc, std::move(hooks)};
    SetLastError(0);
    HWND dialog = CreateDialogParamA(instance, name, parent, real::pageProc, initParam);
    const DWORD code = GetLastError();
    real::pending().reset();
    if (!dialog)
        error = "the window system made no dialog" + (code ? ": " + real::errorText(code) : std::string());
    real::lastError() = error;
    real::settle();
    return dialog;
}

const std::string& lastDialogError() { return real::lastError(); }

bool showWindow(HWND wnd, bool show) {
    if (!IsWindow(wnd)) return false;
    const bool was = ShowWindow(wnd, show ? SW_SHOW : SW_HIDE) != 0;
    real::settle();
    return was;
}

bool destroyWindow(HWND wnd) {
    const bool done = DestroyWindow(wnd) != 0;
    real::settle();
    return done;
}

void forgetWindows() {
    std::vector<HWND> windows;
    for (const auto& entry : real::hostWindows()) windows.push_back(entry.first);
    for (const auto& entry : real::pages()) windows.push_back(entry.first);
    for (HWND wnd : windows)
        if (IsWindow(wnd)) DestroyWindow(wnd);
    real::hostWindows().clear();
    real::pages().clear();
    real::pending().reset();
    real::lastError().clear();
    real::settle();
}

std::string windowPicture(HWND wnd, const std::filesystem::path& file) {
    if (!IsWindowVisible(wnd)) return real::describe(wnd) + " is not shown";
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    real::settle();
    RECT r{};
    GetWindowRect(wnd, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    // What the screen shows where the window stands, as a person would see it.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ before = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, before);

    // A BMP file: its header, the bitmap's header, then the rows bottom up, each padded
    // to a multiple of four bytes.
    const std::uint32_t stride = (std::uint32_t(width) * 3 + 3) & ~3u;
    const std::uint32_t headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    std::string bytes(headers + stride * std::uint32_t(height), '\0');
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const bool read = copied && GetDIBits(memory, bitmap, 0, UINT(height), bytes.data() + headers, &info,
                                          DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!read) return "cannot read " + real::describe(wnd) + " from the screen: " + real::errorText(GetLastError());
    BITMAPFILEHEADER fileHeader{0x4D42, DWORD(bytes.size()), 0, 0, headers};  // "BM"
    std::memcpy(bytes.data(), &fileHeader, sizeof fileHeader);
    std::memcpy(bytes.data() + sizeof fileHeader, &info.bmiHeader, sizeof info.bmiHeader);
    return writeFileSafely(file, bytes);
}

bool classRegistered(const std::string& name, HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    return GetClassInfoExA(instance, name.c_str(), &wc) != 0;
}

std::optional<WindowView> viewWindow(HWND wnd) {
    if (!wnd || !IsWindow(wnd)) return std::nullopt;
    WindowView v;
    v.handle = wnd;
    v.kind = real::kindOf(wnd);
    v.className = real::className(wnd);
    v.id = v.kind == WindowKind::Host || v.kind == WindowKind::Dialog ? 0 : GetDlgCtrlID(wnd);
    v.style = DWORD(GetWindowLongPtrA(wnd, GWL_STYLE));
    v.exStyle = DWORD(GetWindowLongPtrA(wnd, GWL_EXSTYLE));
    v.text = real::windowText(wnd);
    v.enabled = IsWindowEnabled(wnd) != 0;
    v.visible = IsWindowVisible(wnd) != 0;
    const RECT r = real::dialogUnits(wnd);
    v.x = r.left, v.y = r.top, v.cx = r.right - r.left, v.cy = r.bottom - r.top;
    if (v.kind == WindowKind::Dialog)
        if (auto font = reinterpret_cast<HFONT>(SendMessageA(wnd, WM_GETFONT, 0, 0))) {
            LOGFONTA lf{};
            if (GetObjectA(font, sizeof lf, &lf)) {
                v.fontFace = lf.lfFaceName;
                HDC dc = GetDC(wnd);
                const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
                ReleaseDC(wnd, dc);
                if (dpi > 0) v.fontSize = MulDiv(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight, 72, dpi);
            }
        }
    switch (v.kind) {
    case WindowKind::CheckBox:
    case WindowKind::RadioButton: v.check = UINT(SendMessageA(wnd, BM_GETCHECK, 0, 0)); break;
    case WindowKind::ListBox:
        v.entries = real::entriesOf(wnd);
        v.selection = int(SendMessageA(wnd, LB_GETCURSEL, 0, 0));
        break;
    case WindowKind::ComboBox:
        v.entries = real::entriesOf(wnd);
        v.selection = int(SendMessageA(wnd, CB_GETCURSEL, 0, 0));
        v.dropped = SendMessageA(wnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
        if (HWND edit = real::comboEdit(wnd)) v.textLimit = std::size_t(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0));
        break;
    case WindowKind::Edit: v.textLimit = std::size_t(SendMessageA(wnd, EM_GETLIMITTEXT, 0, 0)); break;
    case WindowKind::UpDown: {
        int lower = 0, upper = 0;
        SendMessageA(wnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
        v.lower = lower, v.upper = upper;
        v.position = int(SendMessageA(wnd, UDM_GETPOS32, 0, 0));
        v.buddy = reinterpret_cast<HWND>(SendMessageA(wnd, UDM_GETBUDDY, 0, 0));
        break;
    }
    default: break;
    }
    v.selection = v.selection < 0 ? -1 : v.selection;
    v.parent = GetParent(wnd);
    return v;
}

std::vector<HWND> childWindows(HWND wnd) {
    std::vector<HWND> children;
    if (!IsWindow(wnd)) return children;
    // Siblings in their order of making, which is the order of the dialog template.
    for (HWND c = GetWindow(wnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    return children;
}

}  // namespace hostsim
