// The scenario editor of the host: opened for a vessel, it calls the secInit of the
// vessel class's editor module, builds a dialog page for every page record the
// module sends, and lets tests and scripts work the pages as a person would.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ScnEditorAPI.h"
#include "hostsim/Dialogs.h"

namespace hostsim {

class Editor {
public:
    // The button on every page that the editor answers itself when the page leaves
    // it alone: "<< Done" goes back from the page, hiding it.
    static constexpr int kDoneButton = 1003;

    // A page as its record gave it, and the dialog built from it.
    struct Page {
        std::string label;
        HINSTANCE instance = nullptr;
        WORD resourceId = 0;
        DLGPROC proc = nullptr;
        HWND window = nullptr;  // null when the dialog could not be built
        std::string error;      // why it could not
    };

    static Editor& instance();

    // Opens the editor for a vessel (closing one that is open): loads the class's
    // EditorModule, calls its secInit with the editor window, then builds every
    // page, hidden, and initialises it with the vessel. Returns an error text, empty
    // when every page was built; the editor stays open with the pages that were.
    std::string open(OBJHANDLE vessel);
    // Destroys the pages (they receive WM_DESTROY) and the editor window.
    void close();
    // Forgets the editor without a message to anyone: for a host reset, after the
    // modules are gone (a reset hook calls it).
    void reset();

    bool isOpen() const { return window_ != nullptr; }
    OBJHANDLE vessel() const { return vessel_; }
    HWND window() const { return window_; }
    const std::vector<Page>& pages() const { return pages_; }
    // A page by its button label, ignoring case; '_' in `label` also stands for a blank.
    const Page* page(std::string_view label) const;
    // The page now shown, or null.
    const Page* shownPage() const;
    // A control of a page, or null.
    HWND control(std::string_view label, int id) const;
    std::optional<WindowView> view(std::string_view label, int id) const;
    std::optional<WindowView> pageView(std::string_view label) const;

    // A person's actions on a page (see person:: in Dialogs.h). Each returns an error
    // text, empty when done. Only a shown page can be worked; show() hides the page
    // that was shown before.
    std::string select(std::string_view label, int id, const std::string& text);
    std::string closeUp(std::string_view label, int id);
    std::string click(std::string_view label, int id);
    std::string check(std::string_view label, int id, bool on);
    std::string type(std::string_view label, int id, const std::string& text);
    std::string arrow(std::string_view label, int id, bool up);
    std::string show(std::string_view label);
    std::string hide(std::string_view label);
    // Writes a picture of the shown page as a person sees it (a BMP file; the real
    // window system only).
    std::string picture(std::string_view label, const std::string& file);

private:
    Editor() = default;
    LRESULT editorMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void buildPage(std::size_t index);
    // Checks that the editor, its vessel and module, and the page are there.
    std::string usable(std::string_view label, HWND& pageWindow, std::string& pageLabel);
    std::string onControl(std::string_view label, int id, const std::function<std::string(HWND)>& act);

    HWND window_ = nullptr;
    OBJHANDLE vessel_ = nullptr;
    std::string vesselName_;
    std::string moduleName_;
    void* moduleLibrary_ = nullptr;
    bool collecting_ = false;  // within secInit
    std::vector<Page> pages_;
};

// ---- Editor lines of a hostsim script: "at T editor VESSEL PAGE ACTION ..." ----
//
// ACTION is one of
//   select ID TEXT     pick the entry TEXT (or "#N") of a list box, or of a combo box's list (opened, and left open)
//   closeup ID         close a combo box's list on the entry chosen (opened first if closed)
//   click ID           click a button
//   check ID on|off    tick or clear a check box
//   type ID TEXT       click into a field and type TEXT over its text (nothing: empty it)
//   arrow ID up|down   click an arrow of an up-down control
//   show, hide         show or hide the page
//   picture FILE       write a picture of the shown page (BMP; the real window system only)
// A click while a list is open only closes the list (see person:: in Dialogs.h).
// PAGE is the page's button label, in double quotes when it holds blanks (or with
// '_' for each blank).

struct EditorCommand {
    std::string vessel;
    std::string page;
    std::vector<std::string> words;  // ACTION, ID, and TEXT as one word as written
};

// Reads "VESSEL PAGE ACTION ..." (what follows "editor" on a script line) and checks
// the action's shape. Returns an error text, empty on success.
std::string parseEditorCommand(std::string_view text, EditorCommand& out);
// Checks the shape of ACTION and its words, before a run starts. Error text or empty.
std::string checkEditorAction(const std::vector<std::string>& words);
// Carries the action out on the named vessel's page, opening the editor for the
// vessel first unless it is open for it already. Error text or empty.
std::string editorAction(const std::string& vessel, const std::string& page, const std::vector<std::string>& words);

}  // namespace hostsim
