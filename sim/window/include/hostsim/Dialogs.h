// The window system's seam: dialogs made from a module's resources, the host's own
// windows, what a person sees of them and what a person can do with them. Modules
// reach the window system through the calls in windows.h and commctrl.h; the editor,
// the program and tests use it through this header, without knowing which window
// system runs: the emulated one (emulated/, Linux) or the real one (real/, Windows).
// The first section is the emulated window system's own reading of resources.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "windows.h"

#include "commctrl.h"  // after windows.h, on which the real one builds

namespace hostsim {

// ---- Dialog resources (the emulated window system; the real one reads them itself) ----

// The name of the module section that carries the module's compiled resources (see
// cmake/ModuleResources.cmake, which puts them there).
inline constexpr const char* kResourceSection = ".hostsim.resources";

// A resource type or name as a compiled image holds it: a number, or a text (which the
// resource compiler writes in capitals).
struct ResourceId {
    int number = -1;  // -1 for a text
    std::string text;
};

// One resource of a compiled resource image; `data` lies within the image.
struct ResourceEntry {
    ResourceId type;
    ResourceId name;
    WORD language = 0;
    std::span<const unsigned char> data;
};

// The resource type of dialog templates.
inline constexpr int kDialogResourceType = 5;

// One control of a dialog template. Texts are the template's UTF-16 in UTF-8, the 8-bit
// text that the modules' window-system calls see on this host.
struct ControlTemplate {
    // The window class: the window system's own classes spelled as it registers them
    // ("Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox", "msctls_updown32"),
    // whether the template gives an atom or a name in any case; other names as given.
    std::string className;
    std::string text;  // a number given for the text reads "#N"
    int id = 0;        // DWORD in an extended template, WORD (0 to 65535) in a plain one
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogTemplate {
    int id = -1;       // the resource number; -1 for a resource known by name
    std::string name;  // the resource name as compiled; empty for a numbered one
    std::string source;     // the module file and the resource, to name in messages
    bool extended = false;  // DLGTEMPLATEEX (a DIALOGEX statement)
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string caption;
    std::string fontFace;
    int fontSize = 0;  // points; 0 without DS_SETFONT
    int fontWeight = 0;  // extended templates only
    bool fontItalic = false;
    int fontCharset = 0;
    std::string className;
    std::vector<ControlTemplate> controls;
};

// Reads a compiled resource image (the .res format: the empty entry that marks the
// 32-bit format, then one entry per resource, each header and data DWORD-aligned;
// images may follow each other). Returns an error text that names the entry and its
// byte offset, empty on success. Nothing outside `image` is read.
std::string parseResourceImage(std::span<const unsigned char> image, std::vector<ResourceEntry>& out);

// Reads a dialog template, DLGTEMPLATE or DLGTEMPLATEEX with its items. Returns an
// error text that names the byte offset, empty on success. Nothing outside `data` is read.
std::string parseDialogTemplate(std::span<const unsigned char> data, DialogTemplate& out);

// The file of a loaded library from its handle (the module's instance handle), or
// empty if the handle is not that of a loaded library. The handle is never read through.
std::string libraryFile(HINSTANCE instance);

// The compiled resources that a module carries, as one image. Returns an error text,
// empty on success; a module without resources has an empty image and is no error.
std::string moduleResourceImage(HINSTANCE instance, std::vector<unsigned char>& image);

// A dialog template of a loaded module, looked up as the window system looks up a
// dialog resource: by number (MAKEINTRESOURCE or "#N") or by name, ignoring case.
// Sets `error` when there is none.
std::optional<DialogTemplate> findDialogTemplate(HINSTANCE instance, LPCSTR name, std::string& error);

// ---- Windows ----

enum class WindowKind {
    Host,        // a window of the host itself, such as the scenario editor
    Dialog,
    PushButton,  // also default push buttons
    CheckBox,    // two- and three-state, automatic or not
    RadioButton,
    GroupBox,
    Edit,
    Static,
    ComboBox,
    ListBox,
    UpDown,
    ScrollBar,
    Custom,  // a class that a module registered
};

// The kind of a "Button" window by its style.
inline WindowKind buttonKind(DWORD style) {
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: return WindowKind::CheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return WindowKind::RadioButton;
    case BS_GROUPBOX: return WindowKind::GroupBox;
    default: return WindowKind::PushButton;
    }
}

struct ListEntry {
    std::string text;
    LPARAM data = 0;
    bool operator==(const ListEntry&) const = default;
};

// What a person and a test can see of a window, at the time it was looked at.
struct WindowView {
    HWND handle = nullptr;
    WindowKind kind = WindowKind::Host;
    std::string className;
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text;  // caption, field text, or the edit text of a combo box
    bool enabled = false;  // the window itself
    bool visible = false;  // the window and every window it sits in
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::string fontFace;  // dialogs
    int fontSize = 0;
    UINT check = BST_UNCHECKED;     // buttons
    std::vector<ListEntry> entries;  // list and combo boxes
    int selection = -1;
    bool dropped = false;  // the list of a drop-down combo box is open
    size_t textLimit = 0;  // edit fields and combo boxes: what a person may type
    int lower = 0, upper = 0, position = 0;  // up-down controls
    HWND buddy = nullptr;
    HWND parent = nullptr;
};

std::optional<WindowView> viewWindow(HWND wnd);
// The windows inside a window, in creation order.
std::vector<HWND> childWindows(HWND wnd);

// A window of the host. The handler answers the window's own messages (WM_USER and
// above); the window system answers the rest (its title among them).
using HostWindowHandler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
HWND createHostWindow(const std::string& title, HostWindowHandler handler);

// Host-side hooks around a dialog's procedure. `before` may answer a message so that
// the procedure never sees it; `after` learns what the procedure returned.
struct DialogHooks {
    std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> before;
    std::function<void(HWND, UINT, WPARAM, LPARAM, INT_PTR)> after;
};

// CreateDialogParam with hooks. Null on failure, with the reason in `error`.
HWND createDialog(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM initParam,
                  DialogHooks hooks, std::string& error);
// Why the last CreateDialogParam failed.
const std::string& lastDialogError();

// Shows or hides a window as ShowWindow does; returns whether it was visible.
bool showWindow(HWND wnd, bool show);
// Destroys a window and the windows inside it as DestroyWindow does.
bool destroyWindow(HWND wnd);
// Forgets every window without calling into any module: the modules may be gone already.
void forgetWindows();

// Whether a window class of that name is registered for the instance.
bool classRegistered(const std::string& name, HINSTANCE instance);

// A picture of a shown window as it stands on the screen, as a BMP image (24 bits a
// pixel): the real window system only, since the emulated one draws nothing. An error
// text, empty when the picture was written.
std::string windowPicture(HWND wnd, const std::filesystem::path& file);

// ---- A person's actions ----
// Each works a control as a person would with mouse and keyboard, sends the
// notifications the window system sends for it, and returns an error text (empty
// when done). A person cannot act on a control that is disabled or not shown. A
// click while a drop-down list is open only closes the list: the list holds the
// mouse, and its choice goes back to the entry it opened on.
namespace person {

// Clicks a list box entry, or opens a combo box's list (if closed) by a click on its
// arrow and picks an entry in it, leaving the list open. The entry is the one whose
// text equals `text` ignoring case and outer blanks, else the first that begins with
// it; "#N" picks the entry at index N.
std::string select(HWND control, const std::string& text);
// Closes a combo box's list with F4, keeping the entry chosen, after opening it with a
// click on its arrow if it is closed (an editable one opens on the entry its field begins).
std::string closeUp(HWND combo);
// Clicks a push button, check box or radio button.
std::string click(HWND button);
// Ticks or clears a check box by clicking it when it is not in that state already.
std::string setCheck(HWND box, bool on);
// Clicks into an edit field or an editable combo box unless it has the focus, selects
// its text and types over it, one keystroke per character. Keys the field cannot hold
// (its limit, or its width when it does not scroll) are refused, with a warning.
std::string type(HWND control, const std::string& text);
// Clicks the upper (or right) or lower (or left) arrow of an up-down control.
std::string arrow(HWND upDown, bool up);

}  // namespace person

}  // namespace hostsim
