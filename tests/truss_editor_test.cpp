// The truss module's "Vessel Management" page, worked through the host's scenario
// editor as a person would: its dialog resource, its page record, opening it on each
// type, changing types, and the equipment buttons and boxes.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "HostTest.h"
#include "hostsim/Dialogs.h"
#include "hostsim/Editor.h"

using hostsim::Editor;
using Lines = std::vector<std::string>;
using Ids = std::vector<int>;

namespace {

constexpr const char* kPage = "Vessel Management";

// Control ids as the page's table gives them.
enum : int {
    kTypeList = 1001,
    kExtendArrays = 1002,
    kDone = 1003,
    kResetTracking = 1004,
    kExtendRadiators = 1005,
    kRetractRadiators = 1006,
    kTrunnions = 1007,
    kRetractArrays = 1008,
    kSunTracking = 1009,
};

const Lines kTypeEntries = {"2", "6", "12", "18", "61", "63"};

// Journaled calls by which a module changes a vessel.
const Lines kChanges = {"Undock", "AddMesh", "DelMesh", "CreateDock", "DelDock", "CreateAttachment",
                        "DelAttachment", "CreateAnimation", "DelAnimation", "SetAnimation", "SetEmptyMass"};

class TrussEditorPage : public HostTest {
protected:
    static Editor& editor() { return Editor::instance(); }

    // A segment from scenario lines, with the editor open on it and the page shown.
    OBJHANDLE open(const Lines& lines) {
        OBJHANDLE h = make("T", "Truss", lines);
        EXPECT_EQ(editor().open(h), "");
        EXPECT_EQ(editor().show(kPage), "");
        return h;
    }
    void fresh() {
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
    }
    hostsim::WindowView view(int id) {
        auto w = editor().view(kPage, id);
        EXPECT_TRUE(w) << "no control " << id;
        return w ? *w : hostsim::WindowView{};
    }
    bool checked(int id) { return view(id).check == BST_CHECKED; }
    Ids enabled() {
        Ids ids;
        for (int id = kTypeList; id <= kSunTracking; ++id)
            if (view(id).enabled) ids.push_back(id);
        return ids;
    }
    // The used mesh slots as "index:name".
    Lines meshes(OBJHANDLE h) {
        Lines used;
        for (std::size_t i = 0; i < v(h).meshes.size(); ++i)
            if (v(h).meshes[i].used) used.push_back(std::to_string(i) + ":" + v(h).meshes[i].name);
        return used;
    }
    // The states of the animations that still have components, in creation order.
    std::vector<double> states(OBJHANDLE h) {
        std::vector<double> s;
        for (const hostsim::Animation& a : v(h).animations)
            if (!a.components.empty()) s.push_back(a.state);
        return s;
    }
    // The lines the truss saves, from "TYPE" on.
    Lines trussLines(OBJHANDLE h) {
        Lines all = host().saveVesselLines(h);
        auto type = std::find_if(all.begin(), all.end(), [](const std::string& l) { return l.rfind("  TYPE ", 0) == 0; });
        return Lines(type, all.end());
    }
    size_t changeCount() {
        size_t n = 0;
        for (const std::string& name : kChanges) n += host().journal().count(name);
        return n;
    }
};

// ---- The resource and the page record ----

TEST_F(TrussEditorPage, ResourceHoldsEveryControlOfItsTable) {
    hostsim::Module* module = host().loadModule("Spanrig");
    ASSERT_NE(module, nullptr);
    std::string error;
    auto d = hostsim::findDialogTemplate(static_cast<HINSTANCE>(module->library), MAKEINTRESOURCE(101), error);
    ASSERT_TRUE(d) << error;
    EXPECT_EQ((Ids{d->cx, d->cy}), (Ids{309, 176}));
    EXPECT_TRUE(d->style & WS_CHILD);
    EXPECT_FALSE(d->style & (WS_CAPTION | WS_POPUP));
    EXPECT_EQ(d->caption, "");
    EXPECT_EQ(d->fontFace, "MS Shell Dlg");
    EXPECT_EQ(d->fontSize, 8);

    enum Kind { Combo, Check, Group, Push };
    struct Row {
        int id;
        Kind kind;
        const char* text;
        int x, y, cx, cy;
    };
    const Row rows[] = {
        {kTypeList, Combo, "", 7, 7, 119, 30},
        {kTrunnions, Check, "Enable STS Trunnions (truss 2 only)", 7, 23, 129, 10},
        {-1, Group, "Solar Truss", 7, 36, 71, 81},
        {kExtendArrays, Push, "Extend Arrays", 10, 48, 64, 14},
        {kRetractArrays, Push, "Retract Arrays", 10, 62, 64, 14},
        {kResetTracking, Push, "Reset Tracking", 10, 88, 64, 14},
        {kSunTracking, Check, "Sun Tracking", 10, 105, 57, 10},
        {-1, Group, "Radiator Truss", 85, 36, 70, 41},
        {kExtendRadiators, Push, "Extend Radiators", 88, 46, 64, 14},
        {kRetractRadiators, Push, "Retract Radiators", 88, 60, 64, 14},
        {kDone, Push, "<< Done", 7, 155, 50, 14},
    };
    ASSERT_EQ(d->controls.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const hostsim::ControlTemplate& c = d->controls[i];
        const Row& r = rows[i];
        SCOPED_TRACE(std::string("control ") + r.text + " " + std::to_string(r.id));
        EXPECT_EQ(c.id, r.id);
        EXPECT_EQ(c.text, r.text);
        EXPECT_EQ((Ids{c.x, c.y, c.cx, c.cy}), (Ids{r.x, r.y, r.cx, r.cy}));
        EXPECT_EQ(c.style & (WS_CHILD | WS_VISIBLE | WS_DISABLED), WS_CHILD | WS_VISIBLE);
        if (r.kind == Combo) {
            EXPECT_EQ(c.className, "ComboBox");
            EXPECT_EQ(c.style & 0x3, CBS_DROPDOWN);  // editable, with a list that drops down
            EXPECT_TRUE(c.style & WS_VSCROLL);
        } else {
            EXPECT_EQ(c.className, "Button");
            const DWORD kinds[] = {0, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_PUSHBUTTON};
            EXPECT_EQ(c.style & BS_TYPEMASK, kinds[r.kind]);
        }
    }
}

TEST_F(TrussEditorPage, SecInitSendsOneVesselManagementRecordThenLogsScnEditor) {
    OBJHANDLE h = make("T", "Truss", {"TYPE 6"});
    host().journal().enable();
    ASSERT_EQ(editor().open(h), "");

    ASSERT_EQ(editor().pages().size(), 1u);
    const Editor::Page& page = editor().pages()[0];
    EXPECT_EQ(page.label, kPage);
    EXPECT_EQ(static_cast<void*>(page.instance), host().findModule("Spanrig")->library);
    EXPECT_EQ(page.resourceId, 101);
    ASSERT_NE(page.window, nullptr) << page.error;
    // The procedure lies in the module and is the one the page's dialog runs.
    HMODULE owner = nullptr;
    ASSERT_TRUE(GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                  reinterpret_cast<LPCSTR>(page.proc), &owner));
    EXPECT_EQ(static_cast<void*>(owner), host().findModule("Spanrig")->library);
    EXPECT_EQ(GetWindowLongPtr(page.window, DWLP_DLGPROC), reinterpret_cast<LONG_PTR>(page.proc));

    EXPECT_EQ(std::count(host().log().begin(), host().log().end(), "ScnEditor"), 1);
    const Lines& calls = host().journal().entries();
    auto logged = std::find(calls.begin(), calls.end(), "oapiWriteLog ScnEditor");
    auto sent = std::find_if(calls.begin(), calls.end(), [](const std::string& c) {
        return c.rfind("SendMessage ", 0) == 0 && c.find(" 1024 2 ") != std::string::npos;
    });
    ASSERT_NE(logged, calls.end());
    ASSERT_NE(sent, calls.end());
    EXPECT_LT(sent, logged);
}

// ---- Opening ----

TEST_F(TrussEditorPage, OpeningSelectsTheTypeEnablesItsEquipmentAndSetsItsBoxes) {
    struct Case {
        Lines lines;
        int selection;
        Ids enabled;
        bool trunnions, tracking;
    };
    const Ids none = {kTypeList, kDone};
    const Case cases[] = {
        {{"TYPE 2", "STS"}, 0, {kTypeList, kDone, kTrunnions}, true, false},
        {{"TYPE 2"}, 0, {kTypeList, kDone, kTrunnions}, false, false},
        {{"TYPE 6", "STS", "TRACKING"}, 1, none, false, false},
        {{"TYPE 12"}, 2, none, false, false},
        {{"TYPE 18"}, 3, none, false, false},
        {{"TYPE 61"}, 4, {kTypeList, kDone, kExtendRadiators, kRetractRadiators}, false, false},
        {{"TYPE 63", "TRACKING"}, 5, {kTypeList, kExtendArrays, kDone, kResetTracking, kRetractArrays, kSunTracking}, false, true},
        {{"TYPE 63"}, 5, {kTypeList, kExtendArrays, kDone, kResetTracking, kRetractArrays, kSunTracking}, false, false},
        {{"TYPE 7"}, 1, none, false, false},  // an unknown code builds a 6 m segment
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.front());
        fresh();
        open(c.lines);
        const hostsim::WindowView list = view(kTypeList);
        Lines entries;
        for (const auto& e : list.entries) entries.push_back(e.text);
        EXPECT_EQ(entries, kTypeEntries);
        EXPECT_EQ(list.selection, c.selection);
        EXPECT_EQ(list.text, kTypeEntries[std::size_t(c.selection)]);
        EXPECT_EQ(enabled(), c.enabled);
        EXPECT_EQ(checked(kTrunnions), c.trunnions);
        EXPECT_EQ(checked(kSunTracking), c.tracking);
    }
}

// ---- The type list ----

TEST_F(TrussEditorPage, ChoosingAnotherTypeTearsDownAndBuildsIt) {
    OBJHANDLE h = open({"TYPE 2", "STS"});
    EXPECT_EQ(meshes(h), (Lines{"0:Truss\\Base2", "1:Truss\\BaseTrunnions"}));
    host().journal().enable();
    ASSERT_EQ(editor().select(kPage, kTypeList, "63"), "");
    ASSERT_EQ(editor().closeUp(kPage, kTypeList), "");

    // Both old meshes go before the build starts.
    Lines order;
    for (const std::string& name : host().journal().names())
        if (name == "DelMesh" || name == "Undock" || name == "AddMesh") order.push_back(name);
    EXPECT_EQ(order, (Lines{"DelMesh", "DelMesh", "Undock", "AddMesh"}));
    EXPECT_EQ(meshes(h), (Lines{"0:Truss\\SolarTruss"}));
    ASSERT_EQ(v(h).docks.size(), 2u);
    EXPECT_EQ(v(h).docks[0]->pos.x, 3.0);
    EXPECT_EQ(states(h).size(), 4u);
    EXPECT_EQ(v(h).emptyMass, 3000.0);
    EXPECT_EQ(trussLines(h).front(), "  TYPE 63");
    EXPECT_EQ(enabled(), (Ids{kTypeList, kExtendArrays, kDone, kResetTracking, kRetractArrays, kSunTracking}));
    EXPECT_FALSE(checked(kTrunnions));

    // Back to the base segment: its trunnions return with it, and so does the box.
    ASSERT_EQ(editor().select(kPage, kTypeList, "2"), "");
    ASSERT_EQ(editor().closeUp(kPage, kTypeList), "");
    EXPECT_EQ(meshes(h), (Lines{"0:Truss\\Base2", "1:Truss\\BaseTrunnions"}));
    EXPECT_EQ(v(h).docks.size(), 4u);
    EXPECT_TRUE(states(h).empty());
    EXPECT_EQ(enabled(), (Ids{kTypeList, kDone, kTrunnions}));
    EXPECT_TRUE(checked(kTrunnions));
}

TEST_F(TrussEditorPage, ChoosingTheSameTypeRebuildsNothingAndKeepsTheTrackingBox) {
    OBJHANDLE h = open({"TYPE 63", "DEPLOYANIM 0 0.5"});
    ASSERT_EQ(editor().check(kPage, kSunTracking, true), "");
    const Lines before = trussLines(h);
    host().journal().enable();
    ASSERT_EQ(editor().select(kPage, kTypeList, "63"), "");
    ASSERT_EQ(editor().closeUp(kPage, kTypeList), "");
    EXPECT_EQ(changeCount(), 0u);
    EXPECT_GT(host().journal().count("SendMessage"), 0u);  // the page did ask for its vessel
    EXPECT_EQ(trussLines(h), before);
    EXPECT_TRUE(checked(kSunTracking));
    EXPECT_EQ(enabled(), (Ids{kTypeList, kExtendArrays, kDone, kResetTracking, kRetractArrays, kSunTracking}));
}

TEST_F(TrussEditorPage, ClosingTheListOnTypedTextTakesTheFirstEntryItBeginsOrChangesNothing) {
    const struct {
        const char* typed;
        int type;  // 2: unchanged
    } cases[] = {{"61", 61}, {"1", 12}, {"7", 2}};
    for (const auto& c : cases) {
        OBJHANDLE h = open({"TYPE 2", "STS"});
        ASSERT_EQ(editor().type(kPage, kTypeList, c.typed), "");
        ASSERT_EQ(view(kTypeList).selection, -1);
        ASSERT_EQ(editor().closeUp(kPage, kTypeList), "");
        EXPECT_EQ(trussLines(h).front(), "  TYPE " + std::to_string(c.type)) << c.typed;
        EXPECT_EQ(checked(kTrunnions), c.type == 2) << c.typed;
        fresh();
    }
}

// ---- Equipment ----

TEST_F(TrussEditorPage, TrunnionBoxShowsAndRemovesTheTrunnions) {
    OBJHANDLE h = open({"TYPE 2"});
    ASSERT_EQ(editor().check(kPage, kTrunnions, true), "");
    EXPECT_EQ(meshes(h), (Lines{"0:Truss\\Base2", "1:Truss\\BaseTrunnions"}));
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 2", "  STS ", "  RADANIM 0 0.00"}));
    ASSERT_EQ(editor().check(kPage, kTrunnions, false), "");
    EXPECT_EQ(meshes(h), (Lines{"0:Truss\\Base2"}));
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 2", "  RADANIM 0 0.00"}));
}

TEST_F(TrussEditorPage, ExtendAndRetractSetTheDeploymentAtOnceAndStopItsMotion) {
    OBJHANDLE h = open({"TYPE 63", "DEPLOYANIM 0 0.4"});
    host().setFocus(h);
    host().pressKey(OAPI_KEY_K);  // retracting
    ASSERT_EQ(editor().click(kPage, kExtendArrays), "");
    EXPECT_EQ(states(h)[2], 1.0);
    EXPECT_NEAR(states(h)[3], 1.0, 1e-15);  // the mast runs out with the blankets
    EXPECT_EQ(trussLines(h)[1], "  DEPLOYANIM 0 1.000");
    ASSERT_EQ(editor().click(kPage, kRetractArrays), "");
    EXPECT_EQ(states(h)[2], 0.0);
    EXPECT_NEAR(states(h)[3], 0.0, 1e-15);
    EXPECT_EQ(trussLines(h)[1], "  DEPLOYANIM 0 0.000");

    fresh();
    h = open({"TYPE 61", "RADANIM 0 0.4"});
    host().setFocus(h);
    host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});  // deploying
    ASSERT_EQ(editor().click(kPage, kRetractRadiators), "");
    EXPECT_EQ(states(h), (std::vector<double>{0.0}));
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 61", "  RADANIM 0 0.00"}));
    ASSERT_EQ(editor().click(kPage, kExtendRadiators), "");
    EXPECT_EQ(states(h), (std::vector<double>{1.0}));
    host().step(1);  // stopped: nothing moves on
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 61", "  RADANIM 0 1.00"}));
}

TEST_F(TrussEditorPage, ResetTrackingStopsTrackingShowsTheGimbalHomeAndClearsTheBox) {
    OBJHANDLE h = open({"TYPE 63", "DEPLOYANIM 0 0.5", "BASEANIM 0 0.3", "BOXANIM 0 0.6", "TRACKING"});
    ASSERT_TRUE(checked(kSunTracking));
    ASSERT_EQ(editor().click(kPage, kResetTracking), "");
    const std::vector<double> s = states(h);  // box, base, blankets, mast
    EXPECT_EQ((std::vector<double>{s[0], s[1], s[2]}), (std::vector<double>{0.0, 0.0, 0.5}));
    EXPECT_FALSE(checked(kSunTracking));
    // Tracking is off and the gimbal stopped: a step turns nothing.
    host().journal().enable();
    host().step(1);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.500", "  BASEANIM 0 0.300", "  BOXANIM 0 0.600"}));
}

TEST_F(TrussEditorPage, SunTrackingBoxSetsOnlyTheFlag) {
    OBJHANDLE h = open({"TYPE 63", "BASEANIM 0 0.3"});
    host().journal().enable();
    ASSERT_EQ(editor().check(kPage, kSunTracking, true), "");
    EXPECT_EQ(changeCount(), 0u);
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.000", "  TRACKING ", "  BASEANIM 0 0.300", "  BOXANIM 0 0.000"}));
    ASSERT_EQ(editor().check(kPage, kSunTracking, false), "");
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.000", "  BASEANIM 0 0.300", "  BOXANIM 0 0.000"}));
}

// ---- Classes ----

TEST_F(TrussEditorPage, AnotherClassOfTheModuleGetsTheSameWorkingPage) {
    OBJHANDLE h = make("L", "TrussLong", {"TYPE 2", "STS"});
    ASSERT_EQ(editor().open(h), "");
    ASSERT_EQ(editor().show(kPage), "");
    EXPECT_EQ(view(kTypeList).selection, 0);
    EXPECT_EQ(enabled(), (Ids{kTypeList, kDone, kTrunnions}));
    EXPECT_TRUE(checked(kTrunnions));
    ASSERT_EQ(editor().select(kPage, kTypeList, "63"), "");
    ASSERT_EQ(editor().closeUp(kPage, kTypeList), "");
    EXPECT_EQ(meshes(h), (Lines{"0:Truss\\SolarTruss"}));
}

// ---- Soundness ----

TEST_F(TrussEditorPage, ThePageNeverActsOnAHandleThatIsNotATrussSegment) {
    OBJHANDLE segment = open({"TYPE 2", "STS"});
    const DLGPROC proc = editor().pages()[0].proc;
    OBJHANDLE probe = make("P", "Probe");
    OBJHANDLE gone = make("G", "Truss", {"TYPE 63"});
    host().destroyVessel(gone);
    // A plain vessel of a class that the page edits although its module is missing,
    // and a vessel of the truss class that holds a plain object, as when the module
    // made none for it.
    OBJHANDLE shell = make("S", "TrussShell", {"TYPE 2"});
    OBJHANDLE plain = make("Plain", "Truss", {"TYPE 2"});
    VESSEL* plainBuilt = v(plain).iface;
    VESSEL3 plainObject(plain, 1);
    v(plain).iface = &plainObject;

    // A window that answers the page's question with a chosen handle.
    OBJHANDLE answer = nullptr;
    HWND fake = hostsim::createHostWindow("not an editor", [&answer](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_SCNEDITOR && wParam == SE_GETVESSEL) *reinterpret_cast<OBJHANDLE*>(lParam) = answer;
        return 0;
    });
    const Lines probeLines = host().saveVesselLines(probe);
    host().journal().enable();
    for (OBJHANDLE handle : {probe, gone, shell, plain, static_cast<OBJHANDLE>(nullptr)}) {
        answer = handle;
        proc(fake, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(handle));
        proc(fake, WM_COMMAND, MAKEWPARAM(kTypeList, CBN_CLOSEUP), 0);
        for (int id : {kExtendArrays, kRetractArrays, kResetTracking, kSunTracking, kExtendRadiators, kRetractRadiators, kTrunnions})
            proc(fake, WM_COMMAND, MAKEWPARAM(WORD(id), BN_CLICKED), 0);
    }
    v(plain).iface = plainBuilt;
    EXPECT_EQ(changeCount(), 0u);
    EXPECT_GT(host().journal().count("oapiIsVessel"), 0u);
    EXPECT_EQ(host().saveVesselLines(probe), probeLines);
    EXPECT_EQ(meshes(segment), (Lines{"0:Truss\\Base2", "1:Truss\\BaseTrunnions"}));

    // The editor opened on the plain vessel shows the page, which chooses nothing.
    ASSERT_EQ(editor().open(shell), "");
    ASSERT_EQ(editor().show(kPage), "");
    EXPECT_EQ(view(kTypeList).selection, -1);
    ASSERT_EQ(editor().select(kPage, kTypeList, "63"), "");
    ASSERT_EQ(editor().closeUp(kPage, kTypeList), "");
    EXPECT_EQ(changeCount(), 0u);
    EXPECT_TRUE(meshes(shell).empty());
}

}  // namespace
