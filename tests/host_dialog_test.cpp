// The host's dialogs: compiled resources carried inside a module, dialogs and controls
// built from them, the controls' messages, and a person's actions with the
// notifications they send. Dialogs come from the EditorProbe module's resources and
// report to a procedure in this file.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

#include "../modules/EditorProbeIds.h"
#include "HostTest.h"
#include "hostsim/Dialogs.h"

using hostsim::DialogTemplate;
using hostsim::WindowKind;
namespace person = hostsim::person;

namespace {

struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    UINT code = 0;  // WM_NOTIFY: the header's code, position and delta
    int pos = 0;
    int delta = 0;
    std::string seen;  // what the test's probe read during the message
};

std::vector<Message> received;
// Lets a case act inside the procedure; its answer is the procedure's.
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> inside;

INT_PTR CALLBACK Recorder(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY) return FALSE;
    Message m{msg, wParam, lParam, 0, 0, 0, {}};
    if (msg == WM_NOTIFY) {
        const auto* nm = reinterpret_cast<const NMUPDOWN*>(lParam);
        m.code = nm->hdr.code;
        m.pos = nm->iPos;
        m.delta = nm->iDelta;
    }
    received.push_back(m);
    INT_PTR answer = inside ? inside(dialog, msg, wParam, lParam) : FALSE;
    return msg == WM_INITDIALOG ? TRUE : answer;
}

class Dialogs : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        received.clear();
        inside = nullptr;
        module = host().loadModule("EditorProbe");
        ASSERT_NE(module, nullptr);
        instance = static_cast<HINSTANCE>(module->library);
    }
    void TearDown() override {
        inside = nullptr;
        HostTest::TearDown();
    }

    // A dialog of the probe, shown so that a person can work it; the messages of its
    // making are forgotten.
    HWND make(int resource, bool shown = true) {
        HWND d = CreateDialogParam(instance, MAKEINTRESOURCE(resource), nullptr, Recorder, 42);
        EXPECT_NE(d, nullptr) << hostsim::lastDialogError();
        if (shown) ShowWindow(d, SW_SHOW);
        received.clear();
        return d;
    }
    HWND item(HWND d, int id) { return GetDlgItem(d, id); }
    static std::vector<std::pair<WORD, WORD>> commands() {
        std::vector<std::pair<WORD, WORD>> c;
        for (const Message& m : received)
            if (m.msg == WM_COMMAND) c.emplace_back(LOWORD(m.wParam), HIWORD(m.wParam));
        return c;
    }
    static std::vector<UINT> messages() {
        std::vector<UINT> v;
        for (const Message& m : received) v.push_back(m.msg);
        return v;
    }
    static std::string text(HWND w) {
        char buffer[256];
        GetWindowText(w, buffer, sizeof buffer);
        return buffer;
    }
    static void add(HWND list, UINT msg, std::initializer_list<const char*> texts) {
        for (const char* t : texts) SendMessage(list, msg, 0, reinterpret_cast<LPARAM>(t));
    }
    static std::vector<std::string> entries(HWND w) {
        std::vector<std::string> v;
        auto view = hostsim::viewWindow(w);
        for (const auto& e : view->entries) v.push_back(e.text);
        return v;
    }

    hostsim::Module* module = nullptr;
    HINSTANCE instance = nullptr;
};

// ---- Resources carried inside the module ----

TEST_F(Dialogs, module_carries_its_compiled_resources_and_exports_only_its_entry_points) {
    std::vector<unsigned char> image;
    ASSERT_EQ(hostsim::moduleResourceImage(instance, image), "");
    std::vector<hostsim::ResourceEntry> entries;
    ASSERT_EQ(hostsim::parseResourceImage(image, entries), "");
    std::vector<std::string> names;  // type:name
    for (const auto& e : entries)
        names.push_back(std::to_string(e.type.number) + ":" + (e.name.number >= 0 ? std::to_string(e.name.number) : e.name.text));
    std::sort(names.begin(), names.end());
    // Every dialog, the string table (type 6) and the version block (type 16).
    EXPECT_EQ(names, (std::vector<std::string>{"16:1", "5:201", "5:202", "5:203", "5:204", "5:205", "5:PROBE_NAMED", "6:1"}));

    std::string command = "nm -D --defined-only " + hostsim::libraryFile(instance) + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> strong;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char type = 0;
        char name[400] = "";
        const bool read = std::sscanf(line, "%*s %c %399s", &type, name) == 2;
        // A coverage build adds the linker's bounds of its counters' sections.
        const bool coverageBounds = std::string_view(name).find("___sancov_") != std::string_view::npos;
        if (read && type != 'W' && type != 'V' && !coverageBounds) strong.push_back(name);
        EXPECT_EQ(std::string(line).find("resource"), std::string::npos) << line;
    }
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(strong, (std::vector<std::string>{"ovcExit", "ovcInit", "secInit"}));
}

TEST_F(Dialogs, first_dialog_template_follows_its_statements) {
    std::string error;
    auto d = hostsim::findDialogTemplate(instance, MAKEINTRESOURCE(IDD_CONTROLS), error);
    ASSERT_TRUE(d) << error;
    EXPECT_TRUE(d->extended);
    EXPECT_EQ(d->cx, 309);  // chosen by an #if over names from the nested header
    EXPECT_EQ(d->cy, 176);
    EXPECT_EQ(d->style, DS_SETFONT | DS_FIXEDSYS | WS_CHILD | WS_SYSMENU);
    EXPECT_EQ(d->fontFace, "MS Shell Dlg");
    EXPECT_EQ(d->fontSize, 8);
    EXPECT_EQ(d->fontWeight, 400);
    EXPECT_EQ(d->fontCharset, 1);

    struct Row {
        int id;
        const char* cls;
        const char* text;
        DWORD style;
        int x, y, cx, cy;
    };
    const DWORD base = WS_CHILD | WS_VISIBLE;
    const Row rows[] = {
        {IDC_TYPES, "ComboBox", "", base | CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 7, 7, 119, 30},
        {IDC_TRUNNIONS, "Button", "Enable STS Trunnions", base | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 23, 129, 10},
        {-1, "Button", "Solar Truss", base | BS_GROUPBOX, 7, 36, 71, 81},
        {IDC_EXTEND, "Button", "Extend Arrays", base | WS_TABSTOP, 10, 48, 64, 14},
        {IDC_RETRACT, "Button", "Retract Arrays", base | WS_TABSTOP | WS_DISABLED, 10, 62, 64, 14},
        {IDC_COUNT, "Edit", "", base | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 90, 40, 14},
        {IDC_COUNT_SPIN, UPDOWN_CLASS, "", base | UDS_ARROWKEYS, 48, 90, 10, 14},
        {IDC_OFFSET, "Edit", "", base | WS_BORDER | WS_TABSTOP, 7, 110, 58, 14},
        {IDC_PALLETS, "ListBox", "", base | LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 140, 7, 133, 79},
        {IDC_VESSELS, "ComboBox", "", base | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 140, 92, 133, 30},
        {IDC_POINTS, "ListBox", "", base | LBS_SORT | WS_BORDER | WS_VSCROLL, 140, 110, 60, 40},
        {IDC_TRACKING, "Button", "Sun Tracking", base | BS_AUTOCHECKBOX | WS_TABSTOP, 10, 105, 57, 10},
        {IDC_MODE, "ComboBox", "", base | CBS_DROPDOWNLIST | WS_TABSTOP, 210, 110, 60, 40},
        {IDC_STEP, "Edit", "", base | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, 80, 130, 30, 14},
        {IDC_STEP_SPIN, UPDOWN_CLASS, "", base | UDS_SETBUDDYINT | UDS_AUTOBUDDY | UDS_WRAP | UDS_ARROWKEYS, 110, 130, 10, 14},
        {IDC_NOTE, "Static", "Number of carrier segments", base, 61, 10, 186, 8},
        {IDC_HIDDEN, "Button", "Hidden", WS_CHILD, 200, 150, 40, 14},
        {IDC_SIMPLE, "ComboBox", "", base | CBS_SIMPLE | WS_TABSTOP, 240, 130, 40, 30},
        {IDC_CODE, "Static", "Code", base | SS_RIGHT | WS_GROUP, 250, 150, 30, 8},
        {IDC_READONLY, "Edit", "", base | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, 120, 150, 40, 14},
        {IDC_ATTACH, "Button", "Attach", base | BS_DEFPUSHBUTTON | WS_TABSTOP, 143, 72, 50, 14},
        {IDC_DONE, "Button", "<< Done", base | WS_TABSTOP, 7, 155, 50, 14},
    };
    ASSERT_EQ(d->controls.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& c = d->controls[i];
        const Row& r = rows[i];
        SCOPED_TRACE("control " + std::to_string(r.id) + ", item " + std::to_string(i + 1));
        EXPECT_EQ(c.id, r.id);
        EXPECT_EQ(c.className, r.cls);
        EXPECT_EQ(c.text, r.text);
        EXPECT_EQ(c.style, r.style);
        EXPECT_EQ((std::vector<int>{c.x, c.y, c.cx, c.cy}), (std::vector<int>{r.x, r.y, r.cx, r.cy}));
    }
}

TEST_F(Dialogs, older_dialog_statement_braces_escapes_names_and_skipped_resources) {
    std::string error;
    auto d = hostsim::findDialogTemplate(instance, MAKEINTRESOURCE(IDD_SECOND), error);
    ASSERT_TRUE(d) << error;
    EXPECT_FALSE(d->extended);
    EXPECT_EQ(d->style, WS_CHILD | DS_SETFONT);
    EXPECT_EQ(d->fontFace, "MS Sans Serif");
    ASSERT_EQ(d->controls.size(), 4u);
    EXPECT_EQ(d->controls[2].text, "Payload \"Vessel\"\t2");
    EXPECT_EQ(d->controls[2].style, WS_CHILD | WS_VISIBLE | SS_CENTER | WS_GROUP);
    EXPECT_EQ(d->controls[2].id, 0xFFFF);  // IDC_STATIC in the plain template's word

    auto named = hostsim::findDialogTemplate(instance, "probe_named", error);
    ASSERT_TRUE(named) << error;
    EXPECT_EQ(named->name, "PROBE_NAMED");
    // No STYLE statement: the resource compiler's default.
    EXPECT_EQ(named->style, WS_POPUP | WS_BORDER | WS_SYSMENU);
    EXPECT_TRUE(hostsim::findDialogTemplate(instance, "#202", error));
    EXPECT_FALSE(hostsim::findDialogTemplate(instance, MAKEINTRESOURCE(299), error));
    EXPECT_NE(error.find("dialog resource 299 not found"), std::string::npos) << error;
}

TEST_F(Dialogs, a_handle_that_is_no_loaded_library_is_refused_without_being_read) {
    int local = 0;
    EXPECT_EQ(hostsim::libraryFile(reinterpret_cast<HINSTANCE>(&local)), "");
    EXPECT_EQ(hostsim::libraryFile(nullptr), "");
    std::string error;
    EXPECT_FALSE(hostsim::findDialogTemplate(reinterpret_cast<HINSTANCE>(&local), MAKEINTRESOURCE(201), error));
    EXPECT_NE(error.find("no loaded module"), std::string::npos) << error;
    // A module without resources has none to give.
    hostsim::Module* idle = host().loadModule("Idle");
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(CreateDialogParam(static_cast<HINSTANCE>(idle->library), MAKEINTRESOURCE(201), nullptr, Recorder, 0), nullptr);
    EXPECT_NE(hostsim::lastDialogError().find("not found"), std::string::npos) << hostsim::lastDialogError();
}

// ---- Making and destroying dialogs ----

TEST_F(Dialogs, making_a_dialog_sends_its_initialisation_then_gives_the_first_tab_stop_the_focus) {
    HWND d = CreateDialogParam(instance, MAKEINTRESOURCE(IDD_CONTROLS), nullptr, Recorder, 42);
    ASSERT_NE(d, nullptr) << hostsim::lastDialogError();
    ASSERT_EQ(messages(), (std::vector<UINT>{WM_INITDIALOG, WM_COMMAND}));
    EXPECT_EQ(received[0].lParam, 42);
    EXPECT_EQ(reinterpret_cast<HWND>(received[0].wParam), item(d, IDC_TYPES));
    // The procedure answered TRUE: the window system gives that control the focus, even
    // in a hidden dialog, as the real one does.
    EXPECT_EQ(commands(), (std::vector<std::pair<WORD, WORD>>{{IDC_TYPES, CBN_SETFOCUS}}));
    EXPECT_FALSE(IsWindowVisible(d));  // its template has no WS_VISIBLE
    EXPECT_EQ(hostsim::childWindows(d).size(), 22u);
    EXPECT_EQ(GetParent(item(d, IDC_TYPES)), d);
    EXPECT_EQ(GetDlgCtrlID(item(d, IDC_ATTACH)), IDC_ATTACH);
    EXPECT_EQ(item(d, 4242), nullptr);
    EXPECT_EQ(hostsim::viewWindow(item(d, IDC_TRUNNIONS))->kind, WindowKind::CheckBox);
    EXPECT_EQ(hostsim::viewWindow(item(d, IDC_COUNT_SPIN))->kind, WindowKind::UpDown);
    EXPECT_EQ(hostsim::viewWindow(item(d, -1))->kind, WindowKind::GroupBox);
    EXPECT_EQ(hostsim::viewWindow(item(d, IDC_STEP_SPIN))->buddy, item(d, IDC_STEP));
    EXPECT_EQ(hostsim::viewWindow(d)->fontFace, "MS Shell Dlg");
}

TEST_F(Dialogs, a_visible_template_is_shown_after_its_initialisation) {
    HWND d = CreateDialogParam(instance, MAKEINTRESOURCE(IDD_VISIBLE), nullptr, Recorder, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(messages(), (std::vector<UINT>{WM_INITDIALOG, WM_SHOWWINDOW}));
    EXPECT_EQ(received[1].wParam, WPARAM(TRUE));
    EXPECT_TRUE(IsWindowVisible(d));
    EXPECT_EQ(text(d), "Shown at once");
    EXPECT_EQ(hostsim::viewWindow(d)->style & WS_CAPTION, WS_CAPTION);
}

TEST_F(Dialogs, a_dialog_that_cannot_be_made_sends_nothing) {
    EXPECT_EQ(CreateDialogParam(instance, MAKEINTRESOURCE(IDD_BROKEN), nullptr, Recorder, 0), nullptr);
    // The resource compiler writes a class name in capitals.
    EXPECT_EQ(hostsim::lastDialogError(),
              hostsim::libraryFile(instance) + ": dialog 203, control 1 (id 1018): no window class \"NOSUCHCLASS\"");
    EXPECT_EQ(CreateDialogParam(instance, MAKEINTRESOURCE(299), nullptr, Recorder, 0), nullptr);
    EXPECT_EQ(CreateDialogParam(instance, MAKEINTRESOURCE(IDD_CONTROLS), reinterpret_cast<HWND>(0x1236), Recorder, 0), nullptr);
    EXPECT_TRUE(received.empty());
}

// A message of the test's own gauge class: answers twice its parameter.
constexpr UINT kGaugeDouble = 0x0400 + 7;

LRESULT CALLBACK GaugeProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        received.push_back({msg, wParam, lParam, 0, 0, 0, std::string(cs->lpszName) + " " + cs->lpszClass});
        return 0;
    }
    if (msg == kGaugeDouble) return LRESULT(wParam) * 2;
    return DefWindowProc(wnd, msg, wParam, lParam);
}

TEST_F(Dialogs, a_control_of_a_registered_class_runs_that_class_procedure) {
    EXPECT_EQ(CreateDialogParam(instance, MAKEINTRESOURCE(IDD_CUSTOM), nullptr, Recorder, 0), nullptr);  // not registered yet
    WNDCLASS wc{};
    wc.lpfnWndProc = GaugeProc;
    wc.hInstance = instance;
    wc.lpszClassName = "ProbeGauge";
    ASSERT_NE(RegisterClass(&wc), 0);
    HWND d = CreateDialogParam(instance, MAKEINTRESOURCE(IDD_CUSTOM), nullptr, Recorder, 0);
    ASSERT_NE(d, nullptr) << hostsim::lastDialogError();
    ASSERT_EQ(messages(), (std::vector<UINT>{WM_CREATE, WM_INITDIALOG}));
    // The control is made with the class name as compiled; the window's class is the registered one.
    EXPECT_EQ(received[0].seen, "Gauge PROBEGAUGE");
    EXPECT_EQ(hostsim::viewWindow(item(d, IDC_GAUGE))->className, "ProbeGauge");
    EXPECT_EQ(SendDlgItemMessage(d, IDC_GAUGE, kGaugeDouble, 21, 0), 42);
    EXPECT_EQ(hostsim::viewWindow(item(d, IDC_GAUGE))->exStyle, WS_EX_CLIENTEDGE);
}

TEST_F(Dialogs, destroyed_dialogs_leave_stale_handles_that_are_refused) {
    HWND d = make(IDD_CONTROLS);
    HWND button = item(d, IDC_EXTEND);
    EXPECT_TRUE(DestroyWindow(d));
    // The combo box that has the focus ends its choice and loses the focus first.
    EXPECT_EQ(commands(), (std::vector<std::pair<WORD, WORD>>{{IDC_TYPES, CBN_SELENDCANCEL}, {IDC_TYPES, CBN_KILLFOCUS}}));
    EXPECT_EQ(messages(), (std::vector<UINT>{WM_COMMAND, WM_COMMAND, WM_DESTROY}));
    EXPECT_FALSE(IsWindow(d));
    EXPECT_FALSE(IsWindow(button));
    EXPECT_FALSE(DestroyWindow(d));
    EXPECT_EQ(SendMessage(button, BM_GETCHECK, 0, 0), 0);
    EXPECT_EQ(GetDlgItem(d, IDC_EXTEND), nullptr);
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(GetDlgItemText(d, IDC_EXTEND, buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_NE(person::click(button), "");
    EXPECT_FALSE(hostsim::viewWindow(button));
}

// ---- Controls answer the window system's messages ----

TEST_F(Dialogs, sorted_combo_box_keeps_entries_as_text_and_insertion_ignores_the_order) {
    HWND d = make(IDD_CONTROLS);
    HWND sorted = item(d, IDC_VESSELS);
    EXPECT_EQ(SendMessage(sorted, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("2")), 0);
    EXPECT_EQ(SendMessage(sorted, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("10")), 0);
    add(sorted, CB_ADDSTRING, {"1", "beta", "Charlie", "Alpha", "11"});
    EXPECT_EQ(entries(sorted), (std::vector<std::string>{"1", "10", "11", "2", "Alpha", "beta", "Charlie"}));
    EXPECT_EQ(SendMessage(sorted, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zz")), 0);
    EXPECT_EQ(SendMessage(sorted, CB_INSERTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("0")), 8);
    EXPECT_EQ(SendMessage(sorted, CB_INSERTSTRING, 99, reinterpret_cast<LPARAM>("x")), CB_ERR);
    EXPECT_EQ(entries(sorted).front(), "zz");
    EXPECT_EQ(entries(sorted).back(), "0");
    // As the system compares text: punctuation, digits, letters; hyphens and apostrophes
    // only where all else is equal.
    SendMessage(sorted, CB_RESETCONTENT, 0, 0);
    add(sorted, CB_ADDSTRING, {"Pod-B", "pod9", "Pod_A", "PodC", "Pod.D", "Pod'E", "PodB", "Pod'B"});
    EXPECT_EQ(entries(sorted), (std::vector<std::string>{"Pod.D", "Pod_A", "pod9", "PodB", "Pod'B", "Pod-B", "PodC", "Pod'E"}));

    HWND plain = item(d, IDC_TYPES);
    add(plain, CB_ADDSTRING, {"2", "6", "12"});
    EXPECT_EQ(entries(plain), (std::vector<std::string>{"2", "6", "12"}));
}

TEST_F(Dialogs, select_and_find_take_the_first_entry_that_begins_with_the_text) {
    HWND d = make(IDD_CONTROLS);
    HWND combo = item(d, IDC_TYPES);
    add(combo, CB_ADDSTRING, {"2", "6", "12", "18", "61", "63"});
    auto select = [&](WPARAM start, const char* t) { return SendMessage(combo, CB_SELECTSTRING, start, reinterpret_cast<LPARAM>(t)); };
    EXPECT_EQ(select(WPARAM(-1), "6"), 1);
    EXPECT_EQ(text(combo), "6");
    EXPECT_EQ(select(1, "6"), 4);  // searching after entry 1
    EXPECT_EQ(select(5, "1"), 2);  // wrapping round
    EXPECT_EQ(select(WPARAM(-1), "7"), CB_ERR);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);  // unchanged by a failed search
    EXPECT_EQ(SendMessage(combo, CB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("1")), 2);
    EXPECT_EQ(SendMessage(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>("1")), CB_ERR);
    EXPECT_EQ(SendMessage(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>("18")), 3);

    HWND list = item(d, IDC_PALLETS);
    add(list, LB_ADDSTRING, {"Attachment 0: ", "Attachment 1: Seg", "attachment 10: "});
    EXPECT_EQ(SendMessage(list, LB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("ATTACHMENT 1")), 1);
    EXPECT_EQ(SendMessage(list, LB_FINDSTRING, 1, reinterpret_cast<LPARAM>("attachment 1")), 2);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(commands().empty());  // programmatic changes notify nobody
}

TEST_F(Dialogs, combo_box_selection_text_entries_and_item_data) {
    HWND d = make(IDD_CONTROLS);
    HWND combo = item(d, IDC_TYPES);
    add(combo, CB_ADDSTRING, {"2", "6", "12"});
    EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(text(combo), "12");
    char buffer[16];
    EXPECT_EQ(SendMessage(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 1);
    EXPECT_STREQ(buffer, "6");
    EXPECT_EQ(SendMessage(combo, CB_GETLBTEXTLEN, 2, 0), 2);
    EXPECT_EQ(SendMessage(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(buffer)), CB_ERR);
    EXPECT_EQ(SendMessage(combo, CB_SETITEMDATA, 2, 77), CB_OKAY);
    EXPECT_EQ(SendMessage(combo, CB_GETITEMDATA, 2, 0), 77);
    EXPECT_EQ(SendMessage(combo, CB_GETITEMDATA, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessage(combo, CB_DELETESTRING, 0, 0), 2);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 1);  // the selection moved with its entry
    EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(text(combo), "");
    SetWindowText(combo, "typed");
    EXPECT_EQ(text(combo), "typed");
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(text(combo), "");

    HWND list = item(d, IDC_MODE);  // a drop-down list shows its selected entry only
    add(list, CB_ADDSTRING, {"on", "off"});
    EXPECT_EQ(SendMessage(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("OFF")), TRUE);
    EXPECT_EQ(SendMessage(list, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessage(list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("maybe")), CB_ERR);
    EXPECT_EQ(text(list), "off");
}

TEST_F(Dialogs, rewriting_a_list_entry_in_place_keeps_its_data_and_selection) {
    HWND d = make(IDD_CONTROLS);
    HWND list = item(d, IDC_PALLETS);
    for (int k = 0; k < 8; ++k) {
        std::string t = "Attachment " + std::to_string(k) + ": ";
        auto i = SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
        SendMessage(list, LB_SETITEMDATA, WPARAM(i), k);
    }
    SendMessage(list, LB_SETCURSEL, 5, 0);
    // As a page does it: delete, insert at the same place, data and selection again.
    SendMessage(list, LB_DELETESTRING, 5, 0);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), LB_ERR);  // deleting the selected entry selects none
    EXPECT_EQ(SendMessage(list, LB_INSERTSTRING, 5, reinterpret_cast<LPARAM>("Attachment 5: Seg1 ")), 5);
    SendMessage(list, LB_SETITEMDATA, 5, 5);
    SendMessage(list, LB_SETCURSEL, 5, 0);
    auto v = hostsim::viewWindow(list);
    ASSERT_EQ(v->entries.size(), 8u);
    EXPECT_EQ(v->entries[5], (hostsim::ListEntry{"Attachment 5: Seg1 ", 5}));
    EXPECT_EQ(v->entries[6], (hostsim::ListEntry{"Attachment 6: ", 6}));
    EXPECT_EQ(v->selection, 5);
    char buffer[32];
    EXPECT_EQ(SendMessage(list, LB_GETTEXT, 5, reinterpret_cast<LPARAM>(buffer)), 19);
    EXPECT_STREQ(buffer, "Attachment 5: Seg1 ");

    // Entries before the selection move it; LB_SETCURSEL -1 clears it and answers LB_ERR.
    SendMessage(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("first"));
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 6);
    SendMessage(list, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 5);
    EXPECT_EQ(SendMessage(list, LB_SETCURSEL, 20, 0), LB_ERR);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 5);
    EXPECT_EQ(SendMessage(list, LB_SETCURSEL, WPARAM(-1), 0), LB_ERR);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(Dialogs, dialog_item_text_is_truncated_to_the_buffer_and_terminated) {
    HWND d = make(IDD_CONTROLS);
    EXPECT_TRUE(SetDlgItemText(d, IDC_OFFSET, "1000000.000"));
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetDlgItemText(d, IDC_OFFSET, buffer, 5), 4u);
    EXPECT_STREQ(buffer, "1000");
    EXPECT_EQ(buffer[5], '#');
    EXPECT_EQ(GetDlgItemText(d, IDC_OFFSET, buffer, 1), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(GetWindowTextLength(item(d, IDC_OFFSET)), 11);
    EXPECT_FALSE(SetDlgItemText(d, 4242, "x"));

    SetDlgItemInt(d, IDC_COUNT, UINT(-3), TRUE);
    BOOL ok = FALSE;
    EXPECT_EQ(int(GetDlgItemInt(d, IDC_COUNT, &ok, TRUE)), -3);
    EXPECT_TRUE(ok);
    GetDlgItemInt(d, IDC_COUNT, &ok, FALSE);
    EXPECT_FALSE(ok);
    SetDlgItemText(d, IDC_COUNT, " 12x");
    GetDlgItemInt(d, IDC_COUNT, &ok, TRUE);
    EXPECT_FALSE(ok);
}

TEST_F(Dialogs, a_program_setting_a_field_text_still_reports_the_change) {
    HWND d = make(IDD_CONTROLS);
    SendDlgItemMessage(d, IDC_OFFSET, EM_LIMITTEXT, 3, 0);
    SetDlgItemText(d, IDC_OFFSET, "12345");  // the limit is for typing only
    EXPECT_EQ(text(item(d, IDC_OFFSET)), "12345");
    EXPECT_EQ(commands(), (std::vector<std::pair<WORD, WORD>>{{IDC_OFFSET, EN_UPDATE}, {IDC_OFFSET, EN_CHANGE}}));
    EXPECT_EQ(reinterpret_cast<HWND>(received.back().lParam), item(d, IDC_OFFSET));
    EXPECT_EQ(SendDlgItemMessage(d, IDC_OFFSET, EM_GETLIMITTEXT, 0, 0), 3);
    EXPECT_EQ(SendDlgItemMessage(d, IDC_COUNT, EM_GETLIMITTEXT, 0, 0), 30000);
    received.clear();
    SetDlgItemText(d, IDC_NOTE, "static");  // other controls stay quiet
    SetDlgItemText(d, IDC_EXTEND, "Detach");
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(text(item(d, IDC_EXTEND)), "Detach");
}

TEST_F(Dialogs, disabled_and_hidden_controls_stay_readable_and_can_be_set_by_the_program) {
    HWND d = make(IDD_CONTROLS);
    HWND combo = item(d, IDC_TYPES);
    add(combo, CB_ADDSTRING, {"2", "63"});
    EXPECT_FALSE(EnableWindow(combo, FALSE));  // it was enabled
    EXPECT_TRUE(EnableWindow(combo, FALSE));   // now it was disabled
    EXPECT_FALSE(IsWindowEnabled(combo));
    SendMessage(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(text(combo), "63");
    char buffer[8];
    EXPECT_EQ(SendMessage(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 1);
    CheckDlgButton(d, IDC_TRUNNIONS, BST_CHECKED);
    EnableWindow(item(d, IDC_TRUNNIONS), FALSE);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_TRUNNIONS), BST_CHECKED);
    EXPECT_FALSE(ShowWindow(item(d, IDC_HIDDEN), SW_HIDE));
    EXPECT_EQ(text(item(d, IDC_HIDDEN)), "Hidden");
    EXPECT_FALSE(hostsim::viewWindow(item(d, IDC_HIDDEN))->visible);
    EXPECT_TRUE(commands().empty());
}

TEST_F(Dialogs, check_boxes_answer_and_a_program_click_notifies) {
    HWND d = make(IDD_CONTROLS);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_TRACKING), BST_UNCHECKED);
    CheckDlgButton(d, IDC_TRACKING, BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessage(d, IDC_TRACKING, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(commands().empty());
    SendDlgItemMessage(d, IDC_TRACKING, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_TRACKING), BST_UNCHECKED);
    // The click is a press, which takes the focus from the combo box that had it since
    // the dialog was made: the combo box ends its choice and lets the focus go.
    EXPECT_EQ(commands(), (std::vector<std::pair<WORD, WORD>>{
                              {IDC_TYPES, CBN_SELENDCANCEL}, {IDC_TYPES, CBN_KILLFOCUS}, {IDC_TRACKING, BN_CLICKED}}));
    EnableWindow(item(d, IDC_TRACKING), FALSE);
    SendDlgItemMessage(d, IDC_TRACKING, BM_CLICK, 0, 0);  // a disabled button takes no click
    EXPECT_EQ(commands().size(), 3u);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_EXTEND), 0u);  // a push button has no check
}

TEST_F(Dialogs, up_down_ranges_positions_and_window_longs) {
    HWND d = make(IDD_CONTROLS);
    HWND spin = item(d, IDC_COUNT_SPIN);
    EXPECT_EQ(SendMessage(spin, UDM_GETRANGE, 0, 0), MAKELONG(0, 100));  // upper 0, lower 100
    EXPECT_EQ(SendMessage(spin, UDM_SETPOS, 0, MAKELPARAM(250, 0)), 0);
    EXPECT_EQ(LOWORD(SendMessage(spin, UDM_GETPOS, 0, 0)), 100);  // kept within the range
    SendMessage(spin, UDM_SETRANGE32, WPARAM(-5), 5);
    int lower = 0, upper = 0;
    SendMessage(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
    EXPECT_EQ(lower, -5);
    EXPECT_EQ(upper, 5);
    SendMessage(spin, UDM_SETPOS32, 0, -9);
    EXPECT_EQ(SendMessage(spin, UDM_GETPOS32, 0, 0), -5);
    // A buddy that takes the position as text.
    SendDlgItemMessage(d, IDC_STEP_SPIN, UDM_SETPOS32, 0, 4);
    EXPECT_EQ(text(item(d, IDC_STEP)), "4");

    SetWindowLongPtr(d, DWLP_USER, 1234);
    EXPECT_EQ(GetWindowLongPtr(d, DWLP_USER), 1234);
    SetWindowLongPtr(item(d, IDC_NOTE), GWLP_USERDATA, 99);
    EXPECT_EQ(GetWindowLongPtr(item(d, IDC_NOTE), GWLP_USERDATA), 99);
    EXPECT_EQ(GetWindowLongPtr(item(d, IDC_NOTE), GWLP_ID), IDC_NOTE);
    EXPECT_EQ(DWORD(GetWindowLong(item(d, IDC_RETRACT), GWL_STYLE)) & WS_DISABLED, WS_DISABLED);
}

// ---- A person's actions and what they send ----

TEST_F(Dialogs, clicking_a_list_entry_selects_it_then_notifies_when_the_list_asks) {
    HWND d = make(IDD_CONTROLS);
    HWND list = item(d, IDC_PALLETS);
    add(list, LB_ADDSTRING, {"Attachment 0: ", "Attachment 1: ", "Attachment 10: "});
    inside = [&](HWND, UINT msg, WPARAM, LPARAM) {
        if (msg == WM_COMMAND) received.back().seen = std::to_string(SendMessage(list, LB_GETCURSEL, 0, 0));
        return TRUE;
    };
    EXPECT_EQ(person::select(list, "Attachment 1"), "");
    // The press takes the focus from the combo box that had it.
    using C = std::pair<WORD, WORD>;
    EXPECT_EQ(commands(), (std::vector<C>{{IDC_TYPES, CBN_SELENDCANCEL}, {IDC_TYPES, CBN_KILLFOCUS},
                                          {IDC_PALLETS, LBN_SETFOCUS}, {IDC_PALLETS, LBN_SELCHANGE}}));
    EXPECT_EQ(reinterpret_cast<HWND>(received.back().lParam), list);
    EXPECT_EQ(received.back().seen, "1");  // selected before the notification
    EXPECT_EQ(person::select(list, "#2"), "");
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2);
    received.clear();
    EXPECT_EQ(person::select(list, "Attachment 1"), "");  // a click notifies even on the selected entry
    EXPECT_EQ(received.size(), 1u);
    EXPECT_EQ(person::select(list, "Attachment 7"), "control 1009 has no entry \"Attachment 7\"");
    EXPECT_EQ(received.size(), 1u);

    HWND quiet = item(d, IDC_POINTS);  // without LBS_NOTIFY
    add(quiet, LB_ADDSTRING, {"0", "1"});
    received.clear();
    EXPECT_EQ(person::select(quiet, "1"), "");
    EXPECT_EQ(SendMessage(quiet, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(commands(), (std::vector<C>{{IDC_PALLETS, LBN_KILLFOCUS}, {IDC_POINTS, LBN_SETFOCUS}}));  // and no choice
}

TEST_F(Dialogs, choosing_in_a_combo_list_then_closing_it_notifies_in_order) {
    HWND d = make(IDD_CONTROLS);
    HWND combo = item(d, IDC_TYPES);
    add(combo, CB_ADDSTRING, {"2", "6", "12", "18", "61", "63"});
    inside = [&](HWND, UINT msg, WPARAM, LPARAM) {
        if (msg == WM_COMMAND) received.back().seen = std::to_string(SendMessage(combo, CB_GETCURSEL, 0, 0)) + " " + text(combo);
        return TRUE;
    };
    EXPECT_EQ(person::select(combo, "63"), "");
    EXPECT_TRUE(hostsim::viewWindow(combo)->dropped);
    EXPECT_EQ(person::closeUp(combo), "");
    EXPECT_FALSE(hostsim::viewWindow(combo)->dropped);
    using C = std::pair<WORD, WORD>;
    // The list closes as a click on the arrow closes it: the choice ends as cancelled,
    // and the entry chosen in it stays.
    EXPECT_EQ(commands(), (std::vector<C>{{IDC_TYPES, CBN_DROPDOWN}, {IDC_TYPES, CBN_SELCHANGE},
                                          {IDC_TYPES, CBN_SELENDCANCEL}, {IDC_TYPES, CBN_CLOSEUP}}));
    EXPECT_EQ(received[1].seen, "5 63");
    EXPECT_EQ(received[3].seen, "5 63");
    EXPECT_EQ(reinterpret_cast<HWND>(received[3].lParam), combo);

    received.clear();
    EXPECT_EQ(person::closeUp(combo), "");  // opening and closing without a choice
    EXPECT_EQ(commands(), (std::vector<C>{{IDC_TYPES, CBN_DROPDOWN}, {IDC_TYPES, CBN_SELENDCANCEL}, {IDC_TYPES, CBN_CLOSEUP}}));
    EXPECT_EQ(received[2].seen, "5 63");

    received.clear();
    EXPECT_EQ(person::select(combo, "#0"), "");
    EXPECT_EQ(person::select(combo, "1"), "");  // the list stays open between choices
    EXPECT_EQ(commands(), (std::vector<C>{{IDC_TYPES, CBN_DROPDOWN}, {IDC_TYPES, CBN_SELCHANGE}, {IDC_TYPES, CBN_SELCHANGE}}));
    EXPECT_EQ(text(combo), "12");
    EXPECT_EQ(person::select(combo, "7"), "control 1001 has no entry \"7\"");
    EXPECT_EQ(person::closeUp(item(d, IDC_SIMPLE)), "control 1019 has no list to close");
    EXPECT_EQ(person::closeUp(item(d, IDC_PALLETS)), "control 1009 has no list to close");
}

TEST_F(Dialogs, clicking_buttons_and_ticking_boxes) {
    HWND d = make(IDD_CONTROLS);
    inside = [&](HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
        if (msg == WM_COMMAND) received.back().seen = std::to_string(IsDlgButtonChecked(dialog, LOWORD(wParam)));
        return TRUE;
    };
    EXPECT_EQ(person::click(item(d, IDC_EXTEND)), "");
    EXPECT_EQ(person::click(item(d, IDC_TRUNNIONS)), "");
    EXPECT_EQ(person::setCheck(item(d, IDC_TRUNNIONS), true), "");   // already ticked: nothing to do
    EXPECT_EQ(person::setCheck(item(d, IDC_TRUNNIONS), false), "");
    using C = std::pair<WORD, WORD>;
    // The first press takes the focus from the combo box; buttons without BS_NOTIFY
    // pass it on silently.
    EXPECT_EQ(commands(), (std::vector<C>{{IDC_TYPES, CBN_SELENDCANCEL}, {IDC_TYPES, CBN_KILLFOCUS}, {IDC_EXTEND, BN_CLICKED},
                                          {IDC_TRUNNIONS, BN_CLICKED}, {IDC_TRUNNIONS, BN_CLICKED}}));
    EXPECT_EQ(received[3].seen, "1");  // ticked before the notification
    EXPECT_EQ(received[4].seen, "0");
    EXPECT_EQ(reinterpret_cast<HWND>(received[3].lParam), item(d, IDC_TRUNNIONS));
    EXPECT_EQ(person::click(item(d, -1)), "control -1 is a group box, which takes no clicks");
    EXPECT_EQ(person::click(item(d, IDC_NOTE)), "control 1016 is not a button");
    EXPECT_EQ(person::setCheck(item(d, IDC_EXTEND), true), "control 1004 is not a check box");
    EXPECT_EQ(commands().size(), 5u);
}

TEST_F(Dialogs, typing_clicks_into_the_field_and_replaces_its_text_a_keystroke_at_a_time) {
    HWND d = make(IDD_CONTROLS);
    HWND field = item(d, IDC_OFFSET);
    SetDlgItemText(d, IDC_OFFSET, "0.000");
    received.clear();
    inside = [&](HWND, UINT msg, WPARAM, LPARAM) {
        if (msg == WM_COMMAND) received.back().seen = text(field);
        return TRUE;
    };
    EXPECT_EQ(person::type(field, "2.5"), "");
    EXPECT_EQ(text(field), "2.5");
    std::vector<std::string> seen;
    for (const auto& m : received)
        if (HIWORD(m.wParam) == EN_CHANGE) seen.push_back(m.seen);
    EXPECT_EQ(seen, (std::vector<std::string>{"2", "2.", "2.5"}));
    using C = std::pair<WORD, WORD>;
    EXPECT_EQ(commands()[2], (C{IDC_OFFSET, EN_SETFOCUS}));  // after the combo box let the focus go
    EXPECT_EQ(commands()[3], (C{IDC_OFFSET, EN_UPDATE}));
    EXPECT_EQ(SendMessage(field, EM_GETMODIFY, 0, 0), TRUE);
    received.clear();
    EXPECT_EQ(person::type(field, ""), "");  // emptying is one keystroke, into the field that has the focus
    EXPECT_EQ(commands().size(), 2u);
    EXPECT_EQ(text(field), "");

    // A field without auto-scroll holds what fits its width in the dialog's font: a key
    // that does not fit is refused, and a narrower one after it may still fit.
    const struct {
        const char* typed;
        const char* held;
    } cases[] = {{"-1000000.0005", "-1000000.0005"}, {"123456789012345", "123456789012"}, {"WWWWWWWWi", "WWWWWWWi"}};
    for (const auto& c : cases) {
        received.clear();
        EXPECT_EQ(person::type(field, c.typed), "");
        EXPECT_EQ(text(field), c.held);
        const auto refused = std::strlen(c.typed) - std::strlen(c.held);
        // Each key is reported as a change; a refused one is reported as refused first.
        const auto all = commands();
        EXPECT_EQ(std::count(all.begin(), all.end(), C{IDC_OFFSET, EN_MAXTEXT}), std::ptrdiff_t(refused)) << c.typed;
        EXPECT_EQ(std::count(all.begin(), all.end(), C{IDC_OFFSET, EN_CHANGE}), std::ptrdiff_t(std::strlen(c.typed)));
        EXPECT_EQ(hostsim::Host::instance().takeWarnings().size(), refused ? 1u : 0u);
    }
    SendDlgItemMessage(d, IDC_COUNT, EM_LIMITTEXT, 2, 0);
    EXPECT_EQ(person::type(item(d, IDC_COUNT), "123"), "");
    EXPECT_EQ(text(item(d, IDC_COUNT)), "12");
    EXPECT_EQ(hostsim::Host::instance().takeWarnings(),
              std::vector<std::string>{"control 1006 refused 1 of 3 keystrokes: it holds \"12\""});
    EXPECT_EQ(person::type(item(d, IDC_STEP), "1a"), "control 1015 takes digits only");
    EXPECT_EQ(person::type(item(d, IDC_READONLY), "1"), "control 1021 is read-only");
    EXPECT_EQ(person::type(item(d, IDC_MODE), "x"), "control 1013 is a drop-down list without an edit field");
    EXPECT_EQ(person::type(item(d, IDC_EXTEND), "x"), "control 1004 takes no typing");
}

TEST_F(Dialogs, a_combo_box_list_follows_its_field_and_a_click_beside_the_open_list_takes_the_choice_back) {
    HWND d = make(IDD_CONTROLS);
    HWND combo = item(d, IDC_VESSELS);
    add(combo, CB_ADDSTRING, {"Carrier", "Segment"});
    SendMessage(combo, CB_SETCURSEL, 1, 0);
    received.clear();
    EXPECT_EQ(person::type(combo, "Se"), "");
    EXPECT_EQ(text(combo), "Se");
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);  // edited text stands for no entry
    using C = std::pair<WORD, WORD>;
    EXPECT_EQ(commands(), (std::vector<C>{{IDC_TYPES, CBN_SELENDCANCEL}, {IDC_TYPES, CBN_KILLFOCUS}, {IDC_VESSELS, CBN_SETFOCUS},
                                          {IDC_VESSELS, CBN_EDITUPDATE}, {IDC_VESSELS, CBN_EDITCHANGE},
                                          {IDC_VESSELS, CBN_EDITUPDATE}, {IDC_VESSELS, CBN_EDITCHANGE}}));
    // Opening the list selects the entry the field begins; closing it keeps it.
    EXPECT_EQ(person::closeUp(combo), "");
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 1);
    // Typing while the list is open moves the selection with the field.
    EXPECT_EQ(person::select(combo, "Segment"), "");
    EXPECT_EQ(person::type(combo, "C"), "");
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(person::type(combo, "X"), "");
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(person::closeUp(combo), "");
    // A click beside an open list closes it on the entry it opened on, and goes no further.
    EXPECT_EQ(person::type(combo, "Car"), "");
    EXPECT_EQ(person::select(combo, "Segment"), "");
    received.clear();
    EXPECT_EQ(person::click(item(d, IDC_EXTEND)), "");
    EXPECT_EQ(commands(), (std::vector<C>{{IDC_VESSELS, CBN_SELENDCANCEL}, {IDC_VESSELS, CBN_CLOSEUP}}));
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(hostsim::viewWindow(combo)->dropped);
}

TEST_F(Dialogs, an_arrow_click_notifies_the_change_before_it_happens) {
    HWND d = make(IDD_CONTROLS);
    HWND spin = item(d, IDC_COUNT_SPIN);
    EXPECT_EQ(person::arrow(spin, false), "");  // the lower arrow: +1 in the default range
    EXPECT_EQ(person::arrow(spin, true), "");   // the upper arrow: -1
    EXPECT_EQ(person::arrow(spin, true), "");   // at 0, the end of the range: notified, not moved, reported
    std::vector<std::tuple<UINT, int, int, WPARAM>> notes;
    for (const auto& m : received)
        if (m.msg == WM_NOTIFY) notes.emplace_back(m.code, m.pos, m.delta, m.wParam);
    EXPECT_EQ(notes, (std::vector<std::tuple<UINT, int, int, WPARAM>>{
                         {UDN_DELTAPOS, 0, 1, IDC_COUNT_SPIN}, {UDN_DELTAPOS, 1, -1, IDC_COUNT_SPIN}, {UDN_DELTAPOS, 0, -1, IDC_COUNT_SPIN}}));
    EXPECT_EQ(hostsim::viewWindow(spin)->position, 0);
    std::vector<WPARAM> scrolls;
    for (const auto& m : received)
        if (m.msg == WM_VSCROLL) scrolls.push_back(m.wParam);
    // Every press reports the position, moved or not; every release ends the scroll.
    EXPECT_EQ(scrolls, (std::vector<WPARAM>{MAKEWPARAM(SB_THUMBPOSITION, 1), MAKEWPARAM(SB_ENDSCROLL, 1),
                                            MAKEWPARAM(SB_THUMBPOSITION, 0), MAKEWPARAM(SB_ENDSCROLL, 0),
                                            MAKEWPARAM(SB_THUMBPOSITION, 0), MAKEWPARAM(SB_ENDSCROLL, 0)}));

    // A range set upward turns the arrows round.
    SendMessage(spin, UDM_SETRANGE32, 0, 10);
    received.clear();
    EXPECT_EQ(person::arrow(spin, true), "");
    EXPECT_EQ(received.front().delta, 1);
    EXPECT_EQ(hostsim::viewWindow(spin)->position, 1);
}

TEST_F(Dialogs, a_page_can_keep_the_position_and_a_wrapping_buddy_control_follows) {
    HWND d = make(IDD_CONTROLS);
    HWND spin = item(d, IDC_STEP_SPIN);
    SendMessage(spin, UDM_SETRANGE32, 0, 3);
    inside = [&](HWND dialog, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        if (msg != WM_NOTIFY || reinterpret_cast<NMUPDOWN*>(lParam)->iPos != 2) return FALSE;
        SetWindowLongPtr(dialog, DWLP_MSGRESULT, TRUE);  // keep 2
        return TRUE;
    };
    EXPECT_EQ(person::arrow(spin, true), "");
    EXPECT_EQ(person::arrow(spin, true), "");
    EXPECT_EQ(text(item(d, IDC_STEP)), "2");
    EXPECT_EQ(person::arrow(spin, true), "");  // kept
    EXPECT_EQ(hostsim::viewWindow(spin)->position, 2);
    inside = nullptr;
    EXPECT_EQ(person::arrow(spin, true), "");
    EXPECT_EQ(person::arrow(spin, true), "");  // past 3 it wraps to 0
    EXPECT_EQ(text(item(d, IDC_STEP)), "0");
    EXPECT_EQ(person::arrow(item(d, IDC_STEP), true), "control 1015 is not an up-down control");
}

TEST_F(Dialogs, a_person_cannot_act_on_what_is_disabled_or_not_shown) {
    HWND d = make(IDD_CONTROLS);
    EXPECT_EQ(person::click(item(d, IDC_RETRACT)), "control 1005 is disabled");
    EXPECT_EQ(person::click(item(d, IDC_HIDDEN)), "control 1017 is hidden");
    EnableWindow(item(d, IDC_COUNT_SPIN), FALSE);
    EXPECT_EQ(person::arrow(item(d, IDC_COUNT_SPIN), true), "control 1007 is disabled");
    ShowWindow(d, SW_HIDE);
    received.clear();
    EXPECT_EQ(person::select(item(d, IDC_TYPES), "2"), "control 1001 is not shown: its dialog is hidden");
    EXPECT_EQ(person::type(item(d, IDC_OFFSET), "1"), "control 1008 is not shown: its dialog is hidden");
    ShowWindow(d, SW_SHOW);
    EnableWindow(d, FALSE);
    EXPECT_EQ(person::click(item(d, IDC_EXTEND)), "control 1004 sits in a disabled dialog");
    std::vector<UINT> expected{WM_SHOWWINDOW, WM_ENABLE};
    EXPECT_EQ(messages(), expected);  // nothing but the showing and the disabling
}

}  // namespace
