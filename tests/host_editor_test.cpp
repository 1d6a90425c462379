// The host's scenario editor: secInit of the class's editor module, the page records,
// pages built from the module's resources and initialised with the vessel, the
// vessel handed to a page on request, a person's actions on pages, and the script
// lines that carry them. The EditorProbe module's pages log every message.
#include <cstddef>
#include <cstdio>

#include "../modules/EditorProbeIds.h"
#include "HostTest.h"
#include "hostsim/Editor.h"

using hostsim::Editor;

namespace {

class EditorTest : public HostTest {
protected:
    static Editor& editor() { return Editor::instance(); }

    // The probe's log lines (pages "A" and "B", and secInit) since the last call.
    std::vector<std::string> pageLog() {
        std::vector<std::string> lines;
        const auto& log = host().log();
        for (; seen < log.size(); ++seen)
            if (log[seen].rfind("A ", 0) == 0 || log[seen].rfind("B ", 0) == 0 || log[seen].rfind("secInit", 0) == 0)
                lines.push_back(log[seen]);
        return lines;
    }
    static std::string ptr(const void* p) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%p", p);
        return buffer;
    }
    OBJHANDLE openOn(const std::string& name) {
        OBJHANDLE v = make(name, "Probe");
        EXPECT_EQ(editor().open(v), "");
        pageLog();
        return v;
    }

    std::size_t seen = 0;
    static constexpr const char* kFirst = "Vessel Management";
    static constexpr const char* kSecond = "Payloads";
};

// ---- Opening ----

TEST_F(EditorTest, page_record_holds_64_bit_pointers_on_this_host) {
    EXPECT_EQ(offsetof(EditorPageSpec, btnlabel), 0u);
    EXPECT_EQ(sizeof(EditorPageSpec::btnlabel), 32u);
    EXPECT_EQ(offsetof(EditorPageSpec, hDLL), 32u);
    EXPECT_EQ(offsetof(EditorPageSpec, ResId), 40u);
    EXPECT_EQ(offsetof(EditorPageSpec, TabProc), 48u);
    EXPECT_EQ(sizeof(EditorPageSpec), 56u);
    EXPECT_EQ(WM_SCNEDITOR, 1024u);
    EXPECT_EQ(SE_ADDPAGEBUTTON, 2u);
    EXPECT_EQ(SE_GETVESSEL, 4u);
}

TEST_F(EditorTest, opening_calls_secInit_and_collects_the_page_records_in_order) {
    OBJHANDLE v = make("Probe1", "Probe");
    ASSERT_EQ(editor().open(v), "");
    ASSERT_TRUE(editor().isOpen());
    EXPECT_EQ(editor().vessel(), v);
    auto lines = pageLog();
    ASSERT_GE(lines.size(), 3u);
    ASSERT_EQ(lines[0].rfind("secInit vessel=Probe1 procs ", 0), 0u) << lines[0];

    const auto& pages = editor().pages();
    ASSERT_EQ(pages.size(), 2u);
    void* library = host().findModule("EditorProbe")->library;
    EXPECT_EQ(pages[0].label, kFirst);
    EXPECT_EQ(pages[1].label, kSecond);
    EXPECT_EQ(pages[0].resourceId, IDD_CONTROLS);
    EXPECT_EQ(pages[1].resourceId, IDD_SECOND);
    for (const auto& p : pages) {
        EXPECT_EQ(static_cast<void*>(p.instance), library);
        EXPECT_NE(p.window, nullptr) << p.error;
    }
    EXPECT_EQ(lines[0], "secInit vessel=Probe1 procs " + ptr(reinterpret_cast<void*>(pages[0].proc)) + " " +
                            ptr(reinterpret_cast<void*>(pages[1].proc)));
    EXPECT_EQ(editor().page("vessel management"), &pages[0]);
    EXPECT_EQ(editor().page("Vessel_Management"), &pages[0]);
    EXPECT_EQ(editor().page("Vessel"), nullptr);
}

TEST_F(EditorTest, pages_are_built_hidden_after_secInit_and_get_the_vessel_on_request) {
    OBJHANDLE v = make("Probe1", "Probe");
    ASSERT_EQ(editor().open(v), "");
    auto lines = pageLog();
    // Initialisation carries the vessel; the page's own request is answered with it too.
    // Each page's first tab stop takes the focus once the page is made, the second's
    // from the first's (the combo box ends its choice as it lets the focus go).
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()),
              (std::vector<std::string>{"A init vessel=Probe1 asked=Probe1 focus=1001 parent=yes",
                                        "A command id=1001 code=3 from=ok sel=1 text=6",
                                        "B init vessel=Probe1 asked=Probe1 focus=1009 parent=yes",
                                        "A command id=1001 code=10 from=ok sel=1 text=6",
                                        "A command id=1001 code=4 from=ok sel=1 text=6",
                                        "B command id=1009 code=4 from=ok sel=-1"}));
    char title[64];
    GetWindowText(editor().window(), title, sizeof title);
    EXPECT_STREQ(title, "Scenario Editor: Probe1");
    for (const auto& p : editor().pages()) {
        EXPECT_EQ(GetParent(p.window), editor().window());
        EXPECT_FALSE(editor().pageView(p.label)->visible);
    }
    EXPECT_EQ(editor().shownPage(), nullptr);
    auto types = editor().view(kFirst, IDC_TYPES);
    ASSERT_TRUE(types);
    EXPECT_EQ(types->entries.size(), 6u);
    EXPECT_EQ(types->selection, 1);
    EXPECT_EQ(types->text, "6");
    EXPECT_EQ(editor().view(kSecond, IDC_PALLETS)->entries[7], (hostsim::ListEntry{"Attachment 7: ", 7}));
}

TEST_F(EditorTest, a_class_without_a_module_may_name_an_editor_module) {
    OBJHANDLE crate = make("Crate1", "ProbeCrate");
    EXPECT_EQ(editor().open(crate), "");
    EXPECT_NE(host().findModule("EditorProbe"), nullptr);
    EXPECT_EQ(pageLog().front().rfind("secInit vessel=Crate1", 0), 0u);
}

TEST_F(EditorTest, opening_is_refused_with_a_reason) {
    EXPECT_EQ(editor().open(nullptr), "the scenario editor opens only for a vessel");
    EXPECT_EQ(editor().open(make("Box", "Crate")), "vessel Box: class Crate names no EditorModule");
    EXPECT_EQ(editor().open(make("Lazy", "IdleEditor")), "vessel Lazy: editor module Idle has no secInit");
    EXPECT_EQ(editor().open(make("Ghost", "GhostEditor")), "vessel Ghost: editor module NoSuchModule could not be loaded");
    EXPECT_FALSE(editor().isOpen());
    EXPECT_EQ(editor().show(kFirst), "the scenario editor is not open");
}

TEST_F(EditorTest, pages_that_cannot_be_built_are_reported_and_refuse_actions) {
    OBJHANDLE v = make("BrokenProbe", "Probe");
    std::string err = editor().open(v);
    // The resource compiler writes class names in capitals.
    std::string file = hostsim::libraryFile(static_cast<HINSTANCE>(host().findModule("EditorProbe")->library));
    EXPECT_NE(err.find("page \"Broken\": " + file + ": dialog 203, control 1 (id 1018): no window class \"NOSUCHCLASS\""),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("page \"Missing\": dialog resource 299 not found"), std::string::npos) << err;
    ASSERT_TRUE(editor().isOpen());
    ASSERT_EQ(editor().pages().size(), 4u);
    EXPECT_EQ(editor().page("Broken")->window, nullptr);
    EXPECT_EQ(editor().show("Broken").rfind("page \"Broken\" has no dialog: " + file + ": dialog 203,", 0), 0u);
    EXPECT_EQ(editor().show(kFirst), "");  // the other pages work
    bool logged = false;
    for (const auto& line : host().log()) logged |= line.rfind("Scenario editor: page \"Missing\" of BrokenProbe not built:", 0) == 0;
    EXPECT_TRUE(logged);
}

TEST_F(EditorTest, a_label_that_fills_its_field_is_read_to_32_characters) {
    openOn("LongProbe");
    ASSERT_EQ(editor().pages().size(), 3u);
    EXPECT_EQ(editor().pages()[2].label, "A label of exactly 32 characters");
}

// ---- Showing pages and working them ----

TEST_F(EditorTest, showing_a_page_hides_the_page_shown_before) {
    openOn("Probe1");
    EXPECT_EQ(editor().show(kFirst), "");
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"A show 1"}));
    EXPECT_EQ(editor().shownPage()->label, kFirst);
    EXPECT_EQ(editor().show(kSecond), "");
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"A show 0", "B show 1"}));
    EXPECT_EQ(editor().show(kSecond), "");  // shown already: nothing happens
    EXPECT_TRUE(pageLog().empty());
    EXPECT_EQ(editor().hide(kSecond), "");
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"B show 0"}));
    EXPECT_EQ(editor().shownPage(), nullptr);
}

TEST_F(EditorTest, actions_on_what_is_not_there_or_not_workable_are_refused) {
    openOn("Probe1");
    EXPECT_EQ(editor().select(kFirst, IDC_TYPES, "63"), "page \"Vessel Management\": control 1001 is not shown: its dialog is hidden");
    EXPECT_EQ(editor().click("Cargo", IDC_DONE),
              "the editor of Probe1 has no page \"Cargo\" (pages: \"Vessel Management\", \"Payloads\")");
    editor().show(kFirst);
    EXPECT_EQ(editor().click(kFirst, 4242), "page \"Vessel Management\" has no control 4242");
    EXPECT_EQ(editor().click(kFirst, IDC_RETRACT), "page \"Vessel Management\": control 1005 is disabled");
    EXPECT_EQ(editor().click(kFirst, IDC_TYPES), "page \"Vessel Management\": control 1001 is not a button");
    EXPECT_EQ(editor().check(kFirst, IDC_EXTEND, true), "page \"Vessel Management\": control 1004 is not a check box");
    EXPECT_EQ(editor().arrow(kFirst, IDC_OFFSET, true), "page \"Vessel Management\": control 1008 is not an up-down control");
    EXPECT_EQ(editor().select(kFirst, IDC_TYPES, "7"), "page \"Vessel Management\": control 1001 has no entry \"7\"");
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"A show 1"}));
}

TEST_F(EditorTest, a_person_actions_reach_the_page_with_the_window_system_values) {
    openOn("Probe1");
    editor().show(kFirst);
    pageLog();
    EXPECT_EQ(editor().select(kFirst, IDC_TYPES, "63"), "");
    EXPECT_EQ(editor().closeUp(kFirst, IDC_TYPES), "");
    // Opening the list takes the focus from the other page's list, which had it last.
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"B command id=1009 code=5 from=ok sel=-1",
                                                   "A command id=1001 code=3 from=ok sel=1 text=6",
                                                   "A command id=1001 code=7 from=ok sel=1 text=6",
                                                   "A command id=1001 code=1 from=ok sel=5 text=63",
                                                   "A command id=1001 code=10 from=ok sel=5 text=63",
                                                   "A command id=1001 code=8 from=ok sel=5 text=63"}));
    EXPECT_EQ(editor().check(kFirst, IDC_TRUNNIONS, true), "");
    EXPECT_EQ(editor().check(kFirst, IDC_TRUNNIONS, true), "");  // ticked already
    EXPECT_EQ(editor().click(kFirst, IDC_EXTEND), "");
    // The first press takes the focus from the list.
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"A command id=1001 code=10 from=ok sel=5 text=63",
                                                   "A command id=1001 code=4 from=ok sel=5 text=63",
                                                   "A command id=1002 code=0 from=ok checked=1", "A command id=1004 code=0 from=ok"}));
    EXPECT_EQ(editor().type(kFirst, IDC_OFFSET, "2.5"), "");
    auto typed = pageLog();
    ASSERT_EQ(typed.size(), 7u);
    EXPECT_EQ(typed[0], "A command id=1008 code=256 from=ok text=");       // EN_SETFOCUS: clicked into
    EXPECT_EQ(typed[5], "A command id=1008 code=1024 from=ok text=2.5");  // EN_UPDATE
    EXPECT_EQ(typed[6], "A command id=1008 code=768 from=ok text=2.5");   // EN_CHANGE
    EXPECT_EQ(editor().arrow(kFirst, IDC_COUNT_SPIN, true), "");
    EXPECT_EQ(editor().arrow(kFirst, IDC_COUNT_SPIN, false), "");
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"A notify id=1007 code=deltapos pos=0 delta=-1 from=ok", "A vscroll code=4 pos=0",
                                                   "A vscroll code=8 pos=0",
                                                   "A notify id=1007 code=deltapos pos=0 delta=1 from=ok", "A vscroll code=4 pos=1",
                                                   "A vscroll code=8 pos=1"}));
    EXPECT_EQ(editor().select(kFirst, IDC_PALLETS, "Attachment 5"), "");
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"A command id=1008 code=512 from=ok text=2.5", "A command id=1009 code=4 from=ok sel=-1",
                                                   "A command id=1009 code=1 from=ok sel=5"}));
    EXPECT_EQ(editor().view(kFirst, IDC_OFFSET)->text, "2.5");
    EXPECT_EQ(editor().view(kFirst, IDC_TRUNNIONS)->check, BST_CHECKED);
}

TEST_F(EditorTest, a_page_may_keep_an_up_down_position) {
    openOn("Probe1");
    editor().show(kFirst);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(editor().arrow(kFirst, IDC_STEP_SPIN, false), "");
    EXPECT_EQ(editor().view(kFirst, IDC_STEP_SPIN)->position, 5);  // the page refused the sixth step
    EXPECT_EQ(editor().view(kFirst, IDC_STEP)->text, "5");
}

TEST_F(EditorTest, the_done_button_left_to_the_editor_leaves_the_page) {
    openOn("Probe1");
    editor().show(kFirst);
    pageLog();
    EXPECT_EQ(editor().click(kFirst, IDC_DONE), "");
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"B command id=1009 code=5 from=ok sel=-1", "A command id=1003 code=0 from=ok", "A show 0"}));
    EXPECT_EQ(editor().shownPage(), nullptr);
}

// ---- Closing ----

TEST_F(EditorTest, closing_destroys_the_pages_and_their_handles_go_stale) {
    openOn("Probe1");
    HWND page = editor().page(kFirst)->window;
    HWND combo = editor().control(kFirst, IDC_TYPES);
    HWND window = editor().window();
    editor().close();
    // The list that has the focus loses it first.
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"B command id=1009 code=5 from=ok sel=-1", "A destroy", "B destroy"}));
    EXPECT_FALSE(editor().isOpen());
    EXPECT_FALSE(IsWindow(page));
    EXPECT_FALSE(IsWindow(combo));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SendMessage(combo, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(EditorTest, the_edited_vessel_leaving_closes_the_editor) {
    OBJHANDLE v = openOn("Probe1");
    host().destroyVessel(v);
    EXPECT_EQ(editor().show(kFirst), "the edited vessel Probe1 no longer exists; the editor was closed");
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"B command id=1009 code=5 from=ok sel=-1", "A destroy", "B destroy"}));
    EXPECT_FALSE(editor().isOpen());
}

TEST_F(EditorTest, reopening_initialises_new_pages_and_a_host_reset_forgets_them) {
    OBJHANDLE v = openOn("Probe1");
    HWND first = editor().page(kFirst)->window;
    ASSERT_EQ(editor().open(v), "");
    auto lines = pageLog();
    ASSERT_EQ(lines.size(), 10u);  // the focus lost, two destroyed, secInit, two made, with their focus notifications
    EXPECT_EQ(lines[1], "A destroy");
    EXPECT_EQ(lines[4], "A init vessel=Probe1 asked=Probe1 focus=1001 parent=yes");
    EXPECT_FALSE(IsWindow(first));
    HWND second = editor().page(kFirst)->window;
    host().reset();
    EXPECT_FALSE(editor().isOpen());
    EXPECT_FALSE(IsWindow(second));
}

TEST_F(EditorTest, module_calls_on_windows_are_journaled) {
    OBJHANDLE v = make("Probe1", "Probe");
    host().journal().enable();
    ASSERT_EQ(editor().open(v), "");
    auto sends = host().journal().calls("SendMessage");
    ASSERT_GE(sends.size(), 2u);
    EXPECT_EQ(sends[0].rfind("SendMessage " + ptr(editor().window()) + " 1024 2 ", 0), 0u) << sends[0];
    EXPECT_EQ(sends[2].rfind("SendMessage " + ptr(editor().page(kFirst)->window) + " 1024 4 ", 0), 0u) << sends[2];
}

// ---- Script lines ----

TEST_F(EditorTest, editor_lines_are_read_and_checked_before_a_run) {
    hostsim::EditorCommand c;
    EXPECT_EQ(hostsim::parseEditorCommand("Probe1 \"Vessel Management\" select 1009 Attachment 5:", c), "");
    EXPECT_EQ(c.vessel, "Probe1");
    EXPECT_EQ(c.page, "Vessel Management");
    EXPECT_EQ(c.words, (std::vector<std::string>{"select", "1009", "Attachment 5:"}));
    EXPECT_EQ(hostsim::parseEditorCommand("Seg Payloads type 1004  \" a  b \"", c), "");
    EXPECT_EQ(c.words, (std::vector<std::string>{"type", "1004", " a  b "}));
    EXPECT_EQ(hostsim::parseEditorCommand("Seg Vessel_Management type 1004", c), "");
    EXPECT_EQ(c.words, (std::vector<std::string>{"type", "1004", ""}));
    EXPECT_EQ(hostsim::parseEditorCommand("Seg Payloads arrow 1007 sideways", c), "usage: arrow ID up|down");
    EXPECT_EQ(hostsim::parseEditorCommand("Seg \"Vessel show", c),
              "usage: editor VESSEL PAGE ACTION ... (PAGE in double quotes when it holds blanks)");
    EXPECT_EQ(hostsim::parseEditorCommand("Seg Payloads fly 1", c),
              "unknown editor action \"fly\" (select, closeup, click, check, type, arrow, show, hide, picture)");
    EXPECT_EQ(hostsim::checkEditorAction({"click"}), "usage: click ID");
    EXPECT_EQ(hostsim::checkEditorAction({"click", "x12"}), "\"x12\" is not a control id");
    EXPECT_EQ(hostsim::checkEditorAction({"show", "1"}), "usage: show");
    EXPECT_EQ(hostsim::checkEditorAction({"check", "1007", "maybe"}), "usage: check ID on|off");
    EXPECT_EQ(hostsim::checkEditorAction({"select", "1001"}), "usage: select ID TEXT");
    EXPECT_EQ(hostsim::checkEditorAction({"closeup", "1001"}), "");
    EXPECT_EQ(hostsim::checkEditorAction({"picture", "page.bmp"}), "");
}

TEST_F(EditorTest, script_actions_open_the_editor_for_the_named_vessel) {
    OBJHANDLE one = make("Probe1", "Probe");
    OBJHANDLE two = make("Probe2", "Probe");
    EXPECT_EQ(hostsim::editorAction("Probe1", "Vessel_Management", {"show"}), "");
    EXPECT_EQ(editor().vessel(), one);
    EXPECT_EQ(hostsim::editorAction("Probe1", "Vessel Management", {"select", "1001", "63"}), "");
    EXPECT_EQ(hostsim::editorAction("Probe1", "Vessel Management", {"closeup", "1001"}), "");
    EXPECT_EQ(editor().view(kFirst, IDC_TYPES)->selection, 5);
    EXPECT_EQ(hostsim::editorAction("Probe1", "Vessel Management", {"type", "1008", "1", "2"}), "");
    EXPECT_EQ(editor().view(kFirst, IDC_OFFSET)->text, "1 2");
    EXPECT_EQ(hostsim::editorAction("Nobody", "Payloads", {"show"}), "no vessel named Nobody");
    EXPECT_EQ(hostsim::editorAction("Probe1", "Payloads", {"fly"}),
              "unknown editor action \"fly\" (select, closeup, click, check, type, arrow, show, hide, picture)");
    pageLog();
    EXPECT_EQ(hostsim::editorAction("Probe2", "Payloads", {"show"}), "");
    EXPECT_EQ(editor().vessel(), two);
    auto lines = pageLog();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "A command id=1008 code=512 from=ok text=1 2");  // the field that was typed into loses the focus
    EXPECT_EQ(lines[1], "A destroy");
    EXPECT_EQ(lines[3].rfind("secInit vessel=Probe2", 0), 0u);
    EXPECT_EQ(hostsim::editorAction("Probe2", "Payloads", {"click", "1022"}), "");
    EXPECT_EQ(pageLog(), (std::vector<std::string>{"B command id=1009 code=5 from=ok sel=-1", "B command id=1022 code=0 from=ok"}));
    EXPECT_EQ(hostsim::editorAction("Probe2", "Payloads", {"check", "1005", "on"}), "page \"Payloads\" has no control 1005");
    // The emulated window system draws nothing to take a picture of.
    EXPECT_NE(hostsim::editorAction("Probe2", "Payloads", {"picture", "page.bmp"}).find("needs a window system that draws"),
              std::string::npos);
}

}  // namespace
