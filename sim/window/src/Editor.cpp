// The scenario editor: pages from the editor module's records, the edited vessel
// handed to pages on request, a person's actions on pages, and the script lines
// that carry those actions.
#include "hostsim/Editor.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "Text.h"
#include "hostsim/Host.h"

namespace hostsim {

namespace {

bool labelMatches(std::string_view label, std::string_view wanted) {
    if (iequals(label, wanted)) return true;
    std::string blanks(wanted);
    std::replace(blanks.begin(), blanks.end(), '_', ' ');
    return iequals(label, blanks);
}

std::string inQuotes(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

namespace {
// A host reset forgets the editor with the run; its pages go with the window system's.
[[maybe_unused]] const bool resetWithHost = (Host::instance().addResetHook([] { Editor::instance().reset(); }), true);
}  // namespace

Editor& Editor::instance() {
    static Editor& editor = *new Editor;  // see Host::instance
    return editor;
}

std::string Editor::open(OBJHANDLE vessel) {
    close();
    Host& host = Host::instance();
    const Vessel* v = host.vessel(vessel);
    if (!v) return "the scenario editor opens only for a vessel";
    auto cls = host.readClass(v->className);
    if (!cls) return "vessel " + v->name + ": class " + v->className + " has no configuration file";
    if (cls->editorModuleName.empty()) return "vessel " + v->name + ": class " + v->className + " names no EditorModule";
    Module* m = host.loadModule(cls->editorModuleName);
    if (!m) return "vessel " + v->name + ": editor module " + cls->editorModuleName + " could not be loaded";
    if (!m->secInit) return "vessel " + v->name + ": editor module " + m->name + " has no secInit";

    vessel_ = vessel;
    vesselName_ = v->name;
    moduleName_ = m->name;
    moduleLibrary_ = m->library;
    window_ = createHostWindow("Scenario Editor: " + v->name,
                               [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) { return editorMessage(msg, wParam, lParam); });
    collecting_ = true;
    m->secInit(window_, vessel);
    collecting_ = false;
    if (!isOpen()) return "vessel " + vesselName_ + ": the editor closed while it opened";

    std::string errors;
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (!pages_[i].window && pages_[i].error.empty()) buildPage(i);
        if (i < pages_.size() && !pages_[i].window)
            errors += (errors.empty() ? "" : "; ") + std::string("page ") + inQuotes(pages_[i].label) + ": " + pages_[i].error;
    }
    return errors;
}

void Editor::close() {
    if (!window_) return;
    // The pages hear of it while the editor still answers them.
    destroyWindow(window_);
    reset();
}

void Editor::reset() {
    window_ = nullptr;
    vessel_ = nullptr;
    vesselName_.clear();
    moduleName_.clear();
    moduleLibrary_ = nullptr;
    collecting_ = false;
    pages_.clear();
}

// The editor window takes page records; the page is built once secInit is done, or
// at once when a record comes later.
LRESULT Editor::editorMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_SCNEDITOR || wParam != SE_ADDPAGEBUTTON || !lParam) return 0;
    const auto* record = reinterpret_cast<const EditorPageSpec*>(lParam);
    Page page;
    page.label.assign(record->btnlabel, strnlen(record->btnlabel, sizeof record->btnlabel));
    page.instance = record->hDLL;
    page.resourceId = record->ResId;
    page.proc = record->TabProc;
    pages_.push_back(std::move(page));
    if (!collecting_) buildPage(pages_.size() - 1);
    return TRUE;
}

void Editor::buildPage(std::size_t index) {
    DialogHooks hooks;
    // A page asks for the edited vessel by sending itself WM_SCNEDITOR, SE_GETVESSEL.
    hooks.before = [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        if (msg != WM_SCNEDITOR || wParam != SE_GETVESSEL) return std::nullopt;
        if (lParam) *reinterpret_cast<OBJHANDLE*>(lParam) = vessel_;
        return TRUE;
    };
    hooks.after = [](HWND page, UINT msg, WPARAM wParam, LPARAM, INT_PTR handled) {
        if (msg == WM_COMMAND && !handled && LOWORD(wParam) == kDoneButton && HIWORD(wParam) == BN_CLICKED)
            showWindow(page, false);
    };
    Page copy = pages_[index];
    std::string error;
    HWND h = createDialog(copy.instance, MAKEINTRESOURCE(copy.resourceId), window_, copy.proc,
                          reinterpret_cast<LPARAM>(vessel_), std::move(hooks), error);
    if (!window_) return;  // closed while the page was made
    if (index < pages_.size()) {
        pages_[index].window = h;
        pages_[index].error = h ? std::string() : error;
    }
    if (!h) Host::instance().writeLog("Scenario editor: page " + inQuotes(copy.label) + " of " + vesselName_ + " not built: " + error);
}

const Editor::Page* Editor::page(std::string_view label) const {
    for (const Page& p : pages_)
        if (labelMatches(p.label, label)) return &p;
    return nullptr;
}

const Editor::Page* Editor::shownPage() const {
    for (const Page& p : pages_)
        if (p.window && IsWindowVisible(p.window)) return &p;
    return nullptr;
}

HWND Editor::control(std::string_view label, int id) const {
    const Page* p = page(label);
    return p && p->window ? GetDlgItem(p->window, id) : nullptr;
}

std::optional<WindowView> Editor::view(std::string_view label, int id) const { return viewWindow(control(label, id)); }

std::optional<WindowView> Editor::pageView(std::string_view label) const {
    const Page* p = page(label);
    return p ? viewWindow(p->window) : std::nullopt;
}

std::string Editor::usable(std::string_view label, HWND& pageWindow, std::string& pageLabel) {
    if (!isOpen()) return "the scenario editor is not open";
    Host& host = Host::instance();
    if (!host.vessel(vessel_)) {
        std::string name = vesselName_;
        close();
        return "the edited vessel " + name + " no longer exists; the editor was closed";
    }
    const Module* m = host.findModule(moduleName_);
    if (!m || m->library != moduleLibrary_) {
        std::string name = moduleName_;
        close();
        return "the editor module " + name + " was unloaded; the editor was closed";
    }
    const Page* p = page(label);
    if (!p) {
        std::string known;
        for (const Page& each : pages_) known += (known.empty() ? "" : ", ") + inQuotes(each.label);
        return "the editor of " + vesselName_ + " has no page " + inQuotes(label) + " (pages: " + (known.empty() ? "none" : known) + ")";
    }
    if (!p->window || !IsWindow(p->window)) return "page " + inQuotes(p->label) + " has no dialog: " + p->error;
    pageWindow = p->window;
    pageLabel = p->label;
    return {};
}

std::string Editor::onControl(std::string_view label, int id, const std::function<std::string(HWND)>& act) {
    HWND page = nullptr;
    std::string name;
    if (auto err = usable(label, page, name); !err.empty()) return err;
    HWND c = GetDlgItem(page, id);
    if (!c) return "page " + inQuotes(name) + " has no control " + std::to_string(id);
    std::string err = act(c);
    return err.empty() ? err : "page " + inQuotes(name) + ": " + err;
}

std::string Editor::select(std::string_view label, int id, const std::string& text) {
    return onControl(label, id, [&](HWND c) { return person::select(c, text); });
}
std::string Editor::closeUp(std::string_view label, int id) {
    return onControl(label, id, [](HWND c) { return person::closeUp(c); });
}
std::string Editor::click(std::string_view label, int id) {
    return onControl(label, id, [](HWND c) { return person::click(c); });
}
std::string Editor::check(std::string_view label, int id, bool on) {
    return onControl(label, id, [on](HWND c) { return person::setCheck(c, on); });
}
std::string Editor::type(std::string_view label, int id, const std::string& text) {
    return onControl(label, id, [&](HWND c) { return person::type(c, text); });
}
std::string Editor::arrow(std::string_view label, int id, bool up) {
    return onControl(label, id, [up](HWND c) { return person::arrow(c, up); });
}

std::string Editor::show(std::string_view label) {
    HWND page = nullptr;
    std::string name;
    if (auto err = usable(label, page, name); !err.empty()) return err;
    // One page at a time: the page shown before is hidden first.
    std::vector<HWND> others;
    for (const Page& p : pages_)
        if (p.window && p.window != page) others.push_back(p.window);
    for (HWND other : others)
        if (IsWindow(other) && (GetWindowLong(other, GWL_STYLE) & WS_VISIBLE)) showWindow(other, false);
    showWindow(page, true);
    return {};
}

std::string Editor::picture(std::string_view label, const std::string& file) {
    HWND page = nullptr;
    std::string name;
    if (auto err = usable(label, page, name); !err.empty()) return err;
    std::string err = windowPicture(page, file);
    return err.empty() ? err : "page " + inQuotes(name) + ": " + err;
}

std::string Editor::hide(std::string_view label) {
    HWND page = nullptr;
    std::string name;
    if (auto err = usable(label, page, name); !err.empty()) return err;
    showWindow(page, false);
    return {};
}

// ---- Script lines ----

namespace {

struct ActionShape {
    const char* name;
    std::size_t minWords;  // with the action itself
    std::size_t maxWords;  // 0: any number
    const char* usage;
};

constexpr ActionShape kActions[] = {
    {"select", 3, 0, "select ID TEXT"}, {"closeup", 2, 2, "closeup ID"},       {"click", 2, 2, "click ID"},
    {"check", 3, 3, "check ID on|off"}, {"type", 2, 0, "type ID TEXT"},        {"arrow", 3, 3, "arrow ID up|down"},
    {"show", 1, 1, "show"},             {"hide", 1, 1, "hide"},          {"picture", 2, 2, "picture FILE.bmp"},
};

std::optional<int> controlId(const std::string& word) {
    int id = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), id);
    if (ec != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return id;
}

// Takes the next blank-separated word, or a double-quoted text.
bool nextWord(std::string_view& rest, std::string& word, bool allowQuotes) {
    rest = trim(rest);
    if (rest.empty()) return false;
    if (allowQuotes && rest[0] == '"') {
        auto close = rest.find('"', 1);
        if (close == std::string_view::npos) return false;
        word = std::string(rest.substr(1, close - 1));
        rest = rest.substr(close + 1);
        return true;
    }
    auto end = rest.find_first_of(" \t");
    word = std::string(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    return true;
}

}  // namespace

std::string checkEditorAction(const std::vector<std::string>& words) {
    if (words.empty()) return "missing editor action (select, closeup, click, check, type, arrow, show, hide, picture)";
    const ActionShape* shape = nullptr;
    for (const ActionShape& a : kActions)
        if (words[0] == a.name) shape = &a;
    if (!shape)
        return "unknown editor action " + inQuotes(words[0]) + " (select, closeup, click, check, type, arrow, show, hide, picture)";
    if (words.size() < shape->minWords || (shape->maxWords && words.size() > shape->maxWords))
        return std::string("usage: ") + shape->usage;
    const bool onControl = shape->minWords > 1 && words[0] != "picture";
    if (words.size() > 1 && onControl && !controlId(words[1])) return inQuotes(words[1]) + " is not a control id";
    if (words[0] == "check" && words[2] != "on" && words[2] != "off") return "usage: check ID on|off";
    if (words[0] == "arrow" && words[2] != "up" && words[2] != "down") return "usage: arrow ID up|down";
    return {};
}

std::string parseEditorCommand(std::string_view text, EditorCommand& out) {
    out = EditorCommand{};
    std::string_view rest = text;
    std::string action;
    if (!nextWord(rest, out.vessel, false) || !nextWord(rest, out.page, true) || !nextWord(rest, action, false))
        return "usage: editor VESSEL PAGE ACTION ... (PAGE in double quotes when it holds blanks)";
    out.words.push_back(action);
    bool takesText = action == "select" || action == "type";
    std::string word;
    if (takesText) {
        if (nextWord(rest, word, false)) out.words.push_back(word);
        std::string_view tail = trim(rest);
        if (tail.size() >= 2 && tail.front() == '"' && tail.back() == '"') tail = tail.substr(1, tail.size() - 2);
        if (!tail.empty() || (action == "type" && out.words.size() == 2)) out.words.emplace_back(tail);
    } else {
        while (nextWord(rest, word, false)) out.words.push_back(word);
    }
    return checkEditorAction(out.words);
}

std::string editorAction(const std::string& vessel, const std::string& page, const std::vector<std::string>& words) {
    if (auto err = checkEditorAction(words); !err.empty()) return err;
    Host& host = Host::instance();
    const Vessel* v = host.vesselByName(vessel);
    if (!v) return "no vessel named " + vessel;
    Editor& editor = Editor::instance();
    if (!editor.isOpen() || editor.vessel() != v->handle) {
        std::string err = editor.open(v->handle);
        if (!editor.isOpen()) return err;
    }
    const std::string& action = words[0];
    if (action == "show") return editor.show(page);
    if (action == "hide") return editor.hide(page);
    if (action == "picture") return editor.picture(page, words[1]);
    int id = *controlId(words[1]);
    std::string text;
    for (std::size_t i = 2; i < words.size(); ++i) text += (i > 2 ? " " : "") + words[i];
    if (action == "select") return editor.select(page, id, text);
    if (action == "closeup") return editor.closeUp(page, id);
    if (action == "click") return editor.click(page, id);
    if (action == "check") return editor.check(page, id, words[2] == "on");
    if (action == "type") return editor.type(page, id, text);
    return editor.arrow(page, id, words[2] == "up");
}

}  // namespace hostsim
