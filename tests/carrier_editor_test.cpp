// The carrier module's two scenario-editor pages, worked through the host's editor as
// a person would: their dialog resources and page records; the configuration page's
// arrows, fields and trunnion box; the payload page's pallet list, vessel and point
// lists, and attaching and releasing payloads. The carrier is observed through the
// host: its points, meshes and the vessels hanging from it.
#include <algorithm>
#include <string>
#include <vector>

#include "HostTest.h"
#include "hostsim/Dialogs.h"
#include "hostsim/Editor.h"

using hostsim::Editor;
using hostsim::ListEntry;
using hostsim::WindowView;
using Lines = std::vector<std::string>;
using Ints = std::vector<int>;

namespace {

constexpr const char* kConfig = "Vessel Management";
constexpr const char* kPayloads = "Payloads";

// Controls of the configuration page, as its table numbers them.
enum : int {
    kSegments = 1001,
    kTrunnions = 1002,
    kDone = 1003,
    kOffsetY = 1004,
    kOffsetZ = 1005,
    kSegmentArrows = 1006,
    kXArrows = 1007,
    kXFineArrows = 1008,
    kYArrows = 1009,
    kYFineArrows = 1010,
    kZArrows = 1011,
    kZFineArrows = 1012,
    kOffsetX = 1015,
};

// Controls of the payload page.
enum : int {
    kPallets = 1009,
    kAttach = 1012,
    kVessels = 1013,
    kPoints = 1014,
};

const char* const kTrunnionMesh = "Truss\\Carriers\\Trunnions";

// Journaled calls by which a module changes a vessel or what hangs on it.
const Lines kChanges = {"AddMesh",         "DelMesh",         "ShiftMesh",         "CreateDock",
                        "DelDock",         "SetDockParams",   "CreateAttachment",  "DelAttachment",
                        "SetAttachmentParams", "AttachChild", "DetachChild",       "CreateAnimation",
                        "AddAnimationComponent", "DelAnimationComponent", "SetEmptyMass"};

std::vector<ListEntry> Pallets(int count) {
    std::vector<ListEntry> entries;
    for (int k = 0; k < count; ++k) entries.push_back({"Attachment " + std::to_string(k) + ": ", k});
    return entries;
}

class CarrierEditorPage : public HostTest {
protected:
    static Editor& editor() { return Editor::instance(); }

    // A carrier named "C" from scenario lines, with the editor open on it and no page shown.
    OBJHANDLE openCarrier(const Lines& lines) {
        OBJHANDLE h = make("C", "Haulbed", lines);
        EXPECT_EQ(editor().open(h), "");
        return h;
    }
    void fresh() {
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
    }
    // A plain vessel with `points` parent points, by any of which it can ride.
    OBJHANDLE crate(const std::string& name, int points) {
        OBJHANDLE h = make(name, "Crate");
        for (int j = 0; j < points; ++j)
            oapiGetVesselInterface(h)->CreateAttachment(true, _V(0, 0, 0.1 * j), _V(0, -1, 0), _V(0, 0, 1), "LOAD");
        return h;
    }

    static WindowView view(const char* page, int id) {
        auto w = editor().view(page, id);
        EXPECT_TRUE(w) << "no control " << id << " on " << page;
        return w ? *w : WindowView{};
    }
    static std::string text(const char* page, int id) { return view(page, id).text; }
    static Lines entryTexts(int id) {
        Lines texts;
        for (const ListEntry& e : view(kPayloads, id).entries) texts.push_back(e.text);
        return texts;
    }

    // A person's actions; each must be possible.
    static void arrow(int id, bool up) { EXPECT_EQ(editor().arrow(kConfig, id, up), "") << id; }
    static void type(const char* page, int id, const std::string& typed) {
        EXPECT_EQ(editor().type(page, id, typed), "") << id;
    }
    static void select(int id, const std::string& entry) { EXPECT_EQ(editor().select(kPayloads, id, entry), "") << id; }
    static void click(const char* page, int id) { EXPECT_EQ(editor().click(page, id), "") << id; }

    static size_t segments(OBJHANDLE h) { return v(h).childPoints.size() / 4; }
    static VECTOR3 carrierPoint(OBJHANDLE h) { return v(h).parentPoints.at(0)->pos; }
    static std::vector<double> trunnionZ(OBJHANDLE h) {
        std::vector<double> z;
        for (const hostsim::Mesh& m : v(h).meshes)
            if (m.used && m.name == kTrunnionMesh) z.push_back(m.offset.z);
        return z;
    }
    // The vessel hanging at pallet point k of a carrier, or null.
    static const hostsim::Vessel* atPallet(OBJHANDLE carrier, size_t k) {
        const hostsim::Attachment* partner = v(carrier).childPoints.at(k)->partner;
        return partner ? partner->owner : nullptr;
    }
    size_t changeCount() {
        size_t n = 0;
        for (const std::string& name : kChanges) n += host().journal().count(name);
        return n;
    }
};

::testing::AssertionResult At(const VECTOR3& p, double x, double y, double z) {
    if (p.x == x && p.y == y && p.z == z) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << p.x << ", " << p.y << ", " << p.z << ") is not (" << x << ", " << y
                                         << ", " << z << ")";
}

// ---- Resources and page records ----

enum Kind { Edit, UpDown, Static, Check, Push, List, Combo };
struct Row {
    int id;
    Kind kind;
    const char* text;
    int x, y, cx, cy;
    DWORD need = 0;    // styles the table gives the control
    DWORD forbid = 0;  // styles it must not have
};

void ExpectDialog(HINSTANCE module, int resource, int cx, int cy, const char* font, const std::vector<Row>& rows) {
    std::string error;
    auto d = hostsim::findDialogTemplate(module, MAKEINTRESOURCE(resource), error);
    ASSERT_TRUE(d) << error;
    EXPECT_EQ((Ints{d->cx, d->cy}), (Ints{cx, cy}));
    EXPECT_TRUE(d->style & WS_CHILD);
    EXPECT_FALSE(d->style & (WS_CAPTION | WS_POPUP));
    EXPECT_EQ(d->caption, "");
    EXPECT_EQ(d->fontFace, font);
    EXPECT_EQ(d->fontSize, 8);

    ASSERT_EQ(d->controls.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const hostsim::ControlTemplate& c = d->controls[i];
        const Row& r = rows[i];
        SCOPED_TRACE("dialog " + std::to_string(resource) + " control " + std::to_string(r.id) + " " + r.text);
        EXPECT_EQ(c.id, r.id);
        EXPECT_EQ(c.text, r.text);
        EXPECT_EQ((Ints{c.x, c.y, c.cx, c.cy}), (Ints{r.x, r.y, r.cx, r.cy}));
        EXPECT_EQ(c.style & (WS_CHILD | WS_VISIBLE | WS_DISABLED), WS_CHILD | WS_VISIBLE);
        EXPECT_EQ(c.style & r.need, r.need);
        EXPECT_EQ(c.style & r.forbid, 0u);
        const char* const classes[] = {"Edit", UPDOWN_CLASS, "Static", "Button", "Button", "ListBox", "ComboBox"};
        EXPECT_EQ(c.className, classes[r.kind]);
        if (r.kind == Static) {
            EXPECT_EQ(c.style & 0x1F, SS_LEFT);
        } else if (r.kind == Check) {
            EXPECT_EQ(c.style & BS_TYPEMASK, BS_AUTOCHECKBOX);
        } else if (r.kind == Push) {
            EXPECT_EQ(c.style & BS_TYPEMASK, BS_PUSHBUTTON);
        } else if (r.kind == Combo) {
            EXPECT_EQ(c.style & 0x3, CBS_DROPDOWN);  // editable, with a list that drops down
        }
    }
}

TEST_F(CarrierEditorPage, ConfigurationResourceHoldsEveryControlOfItsTable) {
    hostsim::Module* module = host().loadModule("Haulbed");
    ASSERT_NE(module, nullptr);
    // Arrows with no buddy: the page reads and writes the fields itself.
    const DWORD arrows = UDS_ARROWKEYS, noBuddy = UDS_AUTOBUDDY | UDS_SETBUDDYINT;
    ExpectDialog(static_cast<HINSTANCE>(module->library), 101, 263, 235, "MS Shell Dlg",
                 {
                     {kSegments, Edit, "", 7, 7, 40, 14, WS_BORDER | ES_AUTOHSCROLL},
                     {kSegmentArrows, UpDown, "", 48, 7, 10, 14, arrows, noBuddy},
                     {-1, Static, "Number of carrier segments (this will detach all payloads!)", 61, 10, 186, 8},
                     {kTrunnions, Check, "Enable STS Trunnions", 7, 26, 85, 10},
                     {kOffsetX, Edit, "", 7, 45, 58, 14, 0, ES_AUTOHSCROLL},
                     {kXArrows, UpDown, "", 66, 45, 12, 14, arrows, noBuddy},
                     {kXFineArrows, UpDown, "", 78, 45, 11, 14, arrows, noBuddy},
                     {-1, Static, "Payload Attachment X-Offset", 92, 48, 95, 8},
                     {kOffsetY, Edit, "", 7, 68, 58, 14, 0, ES_AUTOHSCROLL},
                     {kYArrows, UpDown, "", 66, 69, 11, 14, arrows, noBuddy},
                     {kYFineArrows, UpDown, "", 78, 69, 11, 14, arrows, noBuddy},
                     {-1, Static, "Payload Attachment Y-Offset", 92, 72, 95, 8},
                     {kOffsetZ, Edit, "", 7, 91, 57, 14, 0, ES_AUTOHSCROLL},
                     {kZArrows, UpDown, "", 66, 91, 11, 14, arrows, noBuddy},
                     {kZFineArrows, UpDown, "", 78, 91, 11, 14, arrows, noBuddy},
                     {-1, Static, "Payload Attachment Z-Offset", 92, 94, 95, 8},
                     {kDone, Push, "<< Done", 7, 214, 50, 14},
                 });
}

TEST_F(CarrierEditorPage, PayloadResourceHoldsEveryControlOfItsTable) {
    hostsim::Module* module = host().loadModule("Haulbed");
    ASSERT_NE(module, nullptr);
    ExpectDialog(static_cast<HINSTANCE>(module->library), 102, 263, 235, "MS Sans Serif",
                 {
                     {kPallets, List, "", 7, 7, 133, 79, LBS_NOTIFY | WS_BORDER | WS_VSCROLL, LBS_SORT},
                     {kAttach, Push, "Attach", 143, 72, 50, 14},
                     {kVessels, Combo, "", 7, 92, 133, 30, CBS_SORT},
                     {kPoints, Combo, "", 7, 110, 133, 30, CBS_SORT},
                     {kDone, Push, "<< Done", 7, 214, 50, 14},
                     {-1, Static, "Payload Vessel", 145, 96, 49, 8},
                     {-1, Static, "Payload Attachment Point", 145, 111, 82, 8},
                 });
}

TEST_F(CarrierEditorPage, SecInitSendsBothPageRecordsInOrderAndWritesNoLogLine) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    const std::size_t logged = host().log().size();
    host().journal().enable();
    ASSERT_EQ(editor().open(h), "");

    const hostsim::Module* module = host().findModule("Haulbed");
    const std::vector<Editor::Page>& pages = editor().pages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].label, kConfig);
    EXPECT_EQ(pages[1].label, kPayloads);
    EXPECT_EQ(pages[0].resourceId, 101);
    EXPECT_EQ(pages[1].resourceId, 102);
    EXPECT_NE(pages[0].proc, pages[1].proc);
    for (const Editor::Page& page : pages) {
        SCOPED_TRACE(page.label);
        EXPECT_EQ(static_cast<void*>(page.instance), module->library);
        ASSERT_NE(page.window, nullptr) << page.error;
        // The procedure lies in the module and is the one the page's dialog runs.
        HMODULE owner = nullptr;
        const DWORD byAddress = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
        ASSERT_TRUE(GetModuleHandleEx(byAddress, reinterpret_cast<LPCSTR>(page.proc), &owner));
        EXPECT_EQ(static_cast<void*>(owner), module->library);
        EXPECT_EQ(GetWindowLongPtr(page.window, DWLP_DLGPROC), reinterpret_cast<LONG_PTR>(page.proc));
    }
    EXPECT_EQ(host().journal().count("oapiWriteLog"), 0u);
    EXPECT_EQ(host().log().size(), logged);
}

// ---- Configuration page ----

TEST_F(CarrierEditorPage, ConfigurationOpensOnTheCarriersCountTrunnionsAndOffset) {
    openCarrier({"SEGS 3", "STS", "PLD_OFS 1.5 -2.25 0.125"});
    EXPECT_EQ(text(kConfig, kSegments), "3");
    EXPECT_EQ(view(kConfig, kTrunnions).check, BST_CHECKED);
    EXPECT_EQ(text(kConfig, kOffsetX), "1.500");
    EXPECT_EQ(text(kConfig, kOffsetY), "-2.250");
    EXPECT_EQ(text(kConfig, kOffsetZ), "0.125");
    // The page keeps the arrows' default range and gives them no buddy.
    for (int id : {kSegmentArrows, kXArrows, kXFineArrows, kYArrows, kYFineArrows, kZArrows, kZFineArrows}) {
        const WindowView arrows = view(kConfig, id);
        EXPECT_EQ((Ints{arrows.lower, arrows.upper}), (Ints{100, 0})) << id;
        EXPECT_EQ(arrows.buddy, nullptr) << id;
    }

    fresh();
    openCarrier({});
    EXPECT_EQ(text(kConfig, kSegments), "1");
    EXPECT_EQ(view(kConfig, kTrunnions).check, BST_UNCHECKED);
    for (int id : {kOffsetX, kOffsetY, kOffsetZ}) EXPECT_EQ(text(kConfig, id), "0.000") << id;
}

TEST_F(CarrierEditorPage, EveryOffsetArrowStepsItsAxisUpAndDown) {
    struct Case {
        int arrows, field, axis;
        double step;
        const char *upText, *downText;
    };
    const Case cases[] = {
        {kXArrows, kOffsetX, 0, 1.0, "1.000", "-1.000"},   {kXFineArrows, kOffsetX, 0, 0.001, "0.001", "-0.001"},
        {kYArrows, kOffsetY, 1, 1.0, "1.000", "-1.000"},   {kYFineArrows, kOffsetY, 1, 0.001, "0.001", "-0.001"},
        {kZArrows, kOffsetZ, 2, 1.0, "1.000", "-1.000"},   {kZFineArrows, kOffsetZ, 2, 0.001, "0.001", "-0.001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arrows);
        fresh();
        OBJHANDLE h = openCarrier({"SEGS 2"});
        ASSERT_EQ(editor().show(kConfig), "");
        arrow(c.arrows, true);
        EXPECT_EQ(text(kConfig, c.field), c.upText);
        VECTOR3 expected = _V(0, 0, 0);
        expected.data[c.axis] = c.step;
        EXPECT_TRUE(At(carrierPoint(h), expected.x, expected.y, expected.z));
        arrow(c.arrows, false);
        arrow(c.arrows, false);
        EXPECT_EQ(text(kConfig, c.field), c.downText);
        expected.data[c.axis] = -c.step;
        EXPECT_TRUE(At(carrierPoint(h), expected.x, expected.y, expected.z));
        // An offset click changes nothing but the carrier point.
        EXPECT_EQ(segments(h), 2u);
        EXPECT_EQ(text(kConfig, kSegments), "2");
    }
}

TEST_F(CarrierEditorPage, OffsetArrowsStopAtAMillionMetresEitherWay) {
    OBJHANDLE h = openCarrier({});
    ASSERT_EQ(editor().show(kConfig), "");
    type(kConfig, kOffsetX, "999999.5");
    arrow(kXArrows, true);
    EXPECT_EQ(text(kConfig, kOffsetX), "1000000.000");
    type(kConfig, kOffsetY, "5e9");  // beyond the bound already: the click brings it back
    arrow(kYFineArrows, true);
    EXPECT_EQ(text(kConfig, kOffsetY), "1000000.000");
    type(kConfig, kOffsetZ, "-999999.9995");
    arrow(kZFineArrows, false);
    EXPECT_EQ(text(kConfig, kOffsetZ), "-1000000.000");
    EXPECT_TRUE(At(carrierPoint(h), 1.0e6, 1.0e6, -1.0e6));
    arrow(kZArrows, false);
    EXPECT_EQ(text(kConfig, kOffsetZ), "-1000000.000");
}

TEST_F(CarrierEditorPage, SegmentArrowsRebuildForAnotherCountOnlyAndApplyTheOffsets) {
    OBJHANDLE h = openCarrier({"SEGS 2", "STS"});
    OBJHANDLE box = crate("Box", 1);
    ASSERT_TRUE(host().attach(h, 5, box, 0));
    ASSERT_EQ(editor().show(kConfig), "");

    arrow(kSegmentArrows, true);  // the upper arrow adds a segment
    EXPECT_EQ(text(kConfig, kSegments), "3");
    EXPECT_EQ(segments(h), 3u);
    EXPECT_EQ(v(box).attachedTo(), nullptr);  // the rebuild releases every payload
    // The box is checked: the far trunnion moves out with the far end (a shift, so
    // within rounding of where a placed one would stand).
    const std::vector<double> trunnions = trunnionZ(h);
    ASSERT_EQ(trunnions.size(), 2u);
    EXPECT_EQ(trunnions[0], -1.11);
    EXPECT_NEAR(trunnions[1], 3.0 + 1.11, 1e-12);

    arrow(kSegmentArrows, false);
    arrow(kSegmentArrows, false);
    EXPECT_EQ(text(kConfig, kSegments), "1");
    EXPECT_EQ(segments(h), 1u);

    // At one segment the lower arrow leaves one, rebuilds nothing and still applies the offsets.
    type(kConfig, kOffsetY, "2.5");
    host().journal().enable();
    arrow(kSegmentArrows, false);
    EXPECT_EQ(text(kConfig, kSegments), "1");
    EXPECT_EQ(segments(h), 1u);
    EXPECT_EQ(host().journal().count("SetAttachmentParams"), 1u);
    EXPECT_EQ(changeCount(), 1u);
    EXPECT_TRUE(At(carrierPoint(h), 0, 2.5, 0));

    // Without trunnions the rebuilt carrier has none.
    ASSERT_EQ(editor().check(kConfig, kTrunnions, false), "");
    arrow(kSegmentArrows, true);
    EXPECT_EQ(segments(h), 2u);
    EXPECT_TRUE(trunnionZ(h).empty());
}

TEST_F(CarrierEditorPage, SegmentFieldWithoutANumberCountsAsOneAndTypedCountsAreTheBase) {
    OBJHANDLE h = openCarrier({"SEGS 3"});
    ASSERT_EQ(editor().show(kConfig), "");
    type(kConfig, kSegments, "many");
    arrow(kSegmentArrows, true);
    EXPECT_EQ(text(kConfig, kSegments), "2");
    EXPECT_EQ(segments(h), 2u);

    type(kConfig, kSegments, "");
    arrow(kSegmentArrows, false);  // 1 less 1, raised to 1
    EXPECT_EQ(text(kConfig, kSegments), "1");
    EXPECT_EQ(segments(h), 1u);

    type(kConfig, kSegments, "6");
    EXPECT_EQ(segments(h), 1u);  // typing alone does nothing
    arrow(kSegmentArrows, true);
    EXPECT_EQ(text(kConfig, kSegments), "7");
    EXPECT_EQ(segments(h), 7u);

    type(kConfig, kSegments, "-40");
    arrow(kSegmentArrows, true);
    EXPECT_EQ(text(kConfig, kSegments), "1");
    EXPECT_EQ(segments(h), 1u);
}

TEST_F(CarrierEditorPage, SegmentCountStopsAtTheCarriersLimitWithoutRebuildingAgain) {
    OBJHANDLE h = openCarrier({"SEGS 2"});
    ASSERT_EQ(editor().show(kConfig), "");
    type(kConfig, kSegments, "150");
    arrow(kSegmentArrows, false);
    EXPECT_EQ(text(kConfig, kSegments), "100");
    EXPECT_EQ(segments(h), 100u);
    host().journal().enable();
    arrow(kSegmentArrows, true);
    EXPECT_EQ(text(kConfig, kSegments), "100");
    EXPECT_EQ(host().journal().count("DelAttachment"), 0u);
    EXPECT_EQ(changeCount(), 1u);  // the carrier point only
}

TEST_F(CarrierEditorPage, TypedOffsetsReadAsPercentLfReadsThem) {
    OBJHANDLE h = openCarrier({});
    ASSERT_EQ(editor().show(kConfig), "");
    type(kConfig, kOffsetX, "0x1p4");
    type(kConfig, kOffsetY, "1e-400");
    type(kConfig, kOffsetZ, "-0x.8m");
    arrow(kXFineArrows, true);
    EXPECT_EQ(text(kConfig, kOffsetX), "16.001");
    EXPECT_TRUE(At(carrierPoint(h), 16.001, 0, -0.5));
}

TEST_F(CarrierEditorPage, TypedOffsetsReachTheCarrierOnTheNextClickOfAnyArrow) {
    OBJHANDLE h = openCarrier({"PLD_OFS 1 2 3"});
    ASSERT_EQ(editor().show(kConfig), "");
    type(kConfig, kOffsetY, "2.5");
    EXPECT_TRUE(At(carrierPoint(h), 1, 2, 3));  // typing alone does nothing
    arrow(kXFineArrows, true);
    EXPECT_EQ(text(kConfig, kOffsetX), "1.001");
    EXPECT_EQ(text(kConfig, kOffsetY), "2.5");
    EXPECT_TRUE(At(carrierPoint(h), 1.001, 2.5, 3));

    // A field without a finite number counts as 0; only the clicked field is rewritten.
    type(kConfig, kOffsetZ, "inf");
    type(kConfig, kOffsetY, "nan");
    arrow(kXArrows, false);
    EXPECT_TRUE(At(carrierPoint(h), 0.001, 0, 0));
    EXPECT_EQ(text(kConfig, kOffsetZ), "inf");
    type(kConfig, kOffsetZ, "1e999");
    arrow(kZFineArrows, true);
    EXPECT_EQ(text(kConfig, kOffsetZ), "0.001");

    // A segment click applies the fields too.
    type(kConfig, kOffsetY, "-4");
    arrow(kSegmentArrows, true);
    EXPECT_EQ(segments(h), 2u);
    EXPECT_TRUE(At(carrierPoint(h), 0.001, -4, 0.001));
}

TEST_F(CarrierEditorPage, TrunnionBoxAddsAndRemovesBothTrunnions) {
    OBJHANDLE h = openCarrier({"SEGS 2"});
    ASSERT_EQ(editor().show(kConfig), "");
    ASSERT_EQ(editor().check(kConfig, kTrunnions, true), "");
    EXPECT_EQ(trunnionZ(h), (std::vector<double>{-1.11, 1.5 + 1.11}));
    ASSERT_EQ(editor().check(kConfig, kTrunnions, false), "");
    EXPECT_TRUE(trunnionZ(h).empty());
    ASSERT_EQ(editor().check(kConfig, kTrunnions, true), "");
    EXPECT_EQ(trunnionZ(h).size(), 2u);
    ASSERT_EQ(editor().check(kConfig, kTrunnions, false), "");

    // A command from the cleared box on a carrier without trunnions removes nothing.
    const Editor::Page* page = editor().page(kConfig);
    host().journal().enable();
    page->proc(page->window, WM_COMMAND, MAKEWPARAM(kTrunnions, BN_CLICKED),
               reinterpret_cast<LPARAM>(editor().control(kConfig, kTrunnions)));
    EXPECT_EQ(changeCount(), 0u);
    EXPECT_GT(host().journal().count("SendMessage"), 0u);  // the page did ask for its vessel
}

// ---- Payload page ----

TEST_F(CarrierEditorPage, TwoFreeSegmentsOpenOnEightEmptyEntriesInTheFreeState) {
    crate("Box", 2);
    openCarrier({"SEGS 2"});
    const WindowView pallets = view(kPayloads, kPallets);
    EXPECT_EQ(pallets.entries, Pallets(8));
    EXPECT_EQ(pallets.selection, 0);
    EXPECT_EQ(text(kPayloads, kAttach), "Attach");
    // The first vessel and its first point are chosen.
    EXPECT_EQ(entryTexts(kVessels), (Lines{"Box"}));
    EXPECT_EQ(entryTexts(kPoints), (Lines{"0", "1"}));
    for (int id : {kVessels, kPoints}) {
        EXPECT_TRUE(view(kPayloads, id).enabled);
        EXPECT_EQ(view(kPayloads, id).selection, 0);
    }
}

TEST_F(CarrierEditorPage, AnOccupiedFirstPointOpensInTheOccupiedState) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 1"});
    OBJHANDLE box = crate("Box", 1);
    ASSERT_TRUE(host().attach(h, 0, box, 0));
    ASSERT_EQ(editor().open(h), "");
    std::vector<ListEntry> expected = Pallets(4);
    expected[0].text = "Attachment 0: Box";
    EXPECT_EQ(view(kPayloads, kPallets).entries, expected);
    EXPECT_EQ(view(kPayloads, kPallets).selection, 0);
    EXPECT_EQ(text(kPayloads, kAttach), "Detach");
    for (int id : {kVessels, kPoints}) {
        EXPECT_FALSE(view(kPayloads, id).enabled);
        EXPECT_EQ(view(kPayloads, id).selection, -1);
    }
}

TEST_F(CarrierEditorPage, VesselListLeavesOutTheCarrierAndExceptAfterAShowItsPayloads) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    OBJHANDLE other = make("D", "Haulbed", {"SEGS 1"});
    OBJHANDLE riding = crate("Riding", 1);
    OBJHANDLE elsewhere = crate("Elsewhere", 1);
    crate("Alone", 1);
    ASSERT_TRUE(host().attach(h, 3, riding, 0));
    ASSERT_TRUE(host().attach(other, 0, elsewhere, 0));
    ASSERT_EQ(editor().open(h), "");
    EXPECT_EQ(entryTexts(kVessels), (Lines{"Alone", "D", "Elsewhere"}));
    EXPECT_EQ(text(kPayloads, kVessels), "Alone");

    // A show notification offers the carrier's payloads as well, never the carrier.
    ASSERT_EQ(editor().show(kPayloads), "");
    EXPECT_EQ(entryTexts(kVessels), (Lines{"Alone", "D", "Elsewhere", "Riding"}));
    ASSERT_EQ(editor().hide(kPayloads), "");
    ASSERT_EQ(editor().show(kPayloads), "");
    EXPECT_EQ(entryTexts(kVessels), (Lines{"Alone", "D", "Elsewhere", "Riding"}));

    // Choosing a free entry fills the list without them again.
    select(kPallets, "Attachment 1");
    EXPECT_EQ(entryTexts(kVessels), (Lines{"Alone", "D", "Elsewhere"}));
    EXPECT_EQ(view(kPayloads, kVessels).selection, 0);
    EXPECT_EQ(entryTexts(kPoints), (Lines{"0"}));
    EXPECT_EQ(text(kPayloads, kAttach), "Attach");

    // An occupied entry disables the lists and clears their choice.
    select(kPallets, "Attachment 3");
    EXPECT_EQ(text(kPayloads, kAttach), "Detach");
    EXPECT_FALSE(view(kPayloads, kVessels).enabled);
    EXPECT_EQ(view(kPayloads, kVessels).selection, -1);
    EXPECT_EQ(view(kPayloads, kPoints).selection, -1);
}

TEST_F(CarrierEditorPage, PointListIsSortedAsTextAndFollowsTheChosenVessel) {
    crate("A12", 12);
    crate("B3", 3);
    openCarrier({"SEGS 1"});
    EXPECT_EQ(entryTexts(kPoints), (Lines{"0", "1", "10", "11", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(text(kPayloads, kPoints), "0");

    ASSERT_EQ(editor().show(kPayloads), "");
    select(kVessels, "B3");
    EXPECT_EQ(entryTexts(kPoints).size(), 12u);  // only closing the list changes the points
    ASSERT_EQ(editor().closeUp(kPayloads, kVessels), "");
    EXPECT_EQ(entryTexts(kPoints), (Lines{"0", "1", "2"}));
    EXPECT_EQ(view(kPayloads, kPoints).selection, 0);
}

TEST_F(CarrierEditorPage, AttachAndDetachRewriteTheEntryInPlace) {
    OBJHANDLE h = openCarrier({"SEGS 2"});
    OBJHANDLE box = crate("Box", 2);
    crate("Other", 1);
    ASSERT_EQ(editor().show(kPayloads), "");
    select(kPallets, "Attachment 5");
    select(kVessels, "Box");
    ASSERT_EQ(editor().closeUp(kPayloads, kVessels), "");
    select(kPoints, "1");
    ASSERT_EQ(editor().closeUp(kPayloads, kPoints), "");  // a click beside the open list would only close it
    const Lines offered = entryTexts(kVessels);
    ASSERT_EQ(offered, (Lines{"Box", "Other"}));
    click(kPayloads, kAttach);

    ASSERT_NE(v(h).childPoints[5]->partner, nullptr);
    EXPECT_EQ(v(h).childPoints[5]->partner, v(box).parentPoints[1]);
    std::vector<ListEntry> expected = Pallets(8);
    expected[5].text = "Attachment 5: Box ";
    EXPECT_EQ(view(kPayloads, kPallets).entries, expected);
    EXPECT_EQ(view(kPayloads, kPallets).selection, 5);
    EXPECT_EQ(text(kPayloads, kAttach), "Detach");
    for (int id : {kVessels, kPoints}) {
        EXPECT_FALSE(view(kPayloads, id).enabled);
        EXPECT_EQ(view(kPayloads, id).selection, -1);
    }

    host().journal().enable();
    click(kPayloads, kAttach);
    EXPECT_EQ(atPallet(h, 5), nullptr);
    EXPECT_EQ(v(box).attachedTo(), nullptr);
    const Lines detaches = host().journal().calls("DetachChild");
    ASSERT_EQ(detaches.size(), 1u);
    EXPECT_EQ(detaches[0].substr(detaches[0].rfind(' ') + 1), "0");  // no added velocity
    EXPECT_EQ(view(kPayloads, kPallets).entries, Pallets(8));
    EXPECT_EQ(view(kPayloads, kPallets).selection, 5);
    EXPECT_EQ(text(kPayloads, kAttach), "Attach");
    for (int id : {kVessels, kPoints}) {
        EXPECT_TRUE(view(kPayloads, id).enabled);
        EXPECT_EQ(view(kPayloads, id).selection, 0);
    }
    // Neither attaching nor releasing fills the lists anew.
    EXPECT_EQ(entryTexts(kVessels), offered);
    EXPECT_EQ(entryTexts(kPoints), (Lines{"0", "1"}));
}

TEST_F(CarrierEditorPage, ARefusedReleaseChangesNothing) {
    OBJHANDLE h = openCarrier({"SEGS 2"});
    crate("Box", 1);
    ASSERT_EQ(editor().show(kPayloads), "");
    select(kPallets, "Attachment 6");
    click(kPayloads, kAttach);
    ASSERT_NE(atPallet(h, 6), nullptr);

    // The payload leaves by a typed command; the page still offers to detach it.
    host().setFocus(h);
    host().pressKey(OAPI_KEY_SPACE, {OAPI_KEY_LCONTROL});
    ASSERT_EQ(host().answerInputBox("RELEASE 6"), std::optional<bool>(true));
    ASSERT_EQ(atPallet(h, 6), nullptr);

    std::vector<WindowView> before;
    for (int id : {kPallets, kAttach, kVessels, kPoints}) before.push_back(view(kPayloads, id));
    host().journal().enable();
    click(kPayloads, kAttach);
    EXPECT_EQ(host().journal().count("DetachChild"), 1u);  // the host refused it
    std::size_t i = 0;
    for (int id : {kPallets, kAttach, kVessels, kPoints}) {
        const WindowView after = view(kPayloads, id);
        SCOPED_TRACE(id);
        EXPECT_EQ(after.text, before[i].text);
        EXPECT_EQ(after.entries, before[i].entries);
        EXPECT_EQ(after.selection, before[i].selection);
        EXPECT_EQ(after.enabled, before[i].enabled);
        ++i;
    }
    EXPECT_EQ(text(kPayloads, kAttach), "Detach");
}

TEST_F(CarrierEditorPage, AttachingAtFiveThenChoosingFiveAgainOffersDetachWhichReleasesIt) {
    OBJHANDLE h = openCarrier({"SEGS 2"});
    OBJHANDLE box = crate("Box", 1);
    crate("Crate", 1);
    ASSERT_EQ(editor().show(kPayloads), "");
    select(kPallets, "Attachment 5");
    select(kVessels, "Box");
    ASSERT_EQ(editor().closeUp(kPayloads, kVessels), "");
    click(kPayloads, kAttach);
    ASSERT_EQ(atPallet(h, 5), &v(box));

    select(kPallets, "Attachment 2");
    EXPECT_EQ(text(kPayloads, kAttach), "Attach");
    EXPECT_EQ(entryTexts(kVessels), (Lines{"Crate"}));
    select(kPallets, "Attachment 5");
    EXPECT_EQ(text(kPayloads, kAttach), "Detach");
    EXPECT_FALSE(view(kPayloads, kVessels).enabled);

    click(kPayloads, kAttach);
    EXPECT_EQ(atPallet(h, 5), nullptr);
    EXPECT_EQ(view(kPayloads, kPallets).entries[5], (ListEntry{"Attachment 5: ", 5}));
    EXPECT_EQ(view(kPayloads, kPallets).selection, 5);
    // The released vessel is offered from the next fill on.
    EXPECT_EQ(entryTexts(kVessels), (Lines{"Crate"}));
    select(kPallets, "Attachment 4");
    EXPECT_EQ(entryTexts(kVessels), (Lines{"Box", "Crate"}));
}

TEST_F(CarrierEditorPage, AttachWithoutAChosenPointOrPalletEntryAttachesNothing) {
    OBJHANDLE h = openCarrier({"SEGS 1"});
    crate("Bare", 0);
    crate("Box", 1);
    ASSERT_EQ(editor().show(kPayloads), "");
    ASSERT_EQ(text(kPayloads, kVessels), "Bare");
    EXPECT_TRUE(entryTexts(kPoints).empty());
    EXPECT_EQ(view(kPayloads, kPoints).selection, -1);
    host().journal().enable();
    click(kPayloads, kAttach);
    EXPECT_EQ(host().journal().count("AttachChild"), 0u);
    EXPECT_EQ(view(kPayloads, kPallets).entries, Pallets(4));
    EXPECT_EQ(text(kPayloads, kAttach), "Attach");

    // Typed text chooses no entry: neither a point nor a vessel is chosen by it.
    select(kVessels, "Box");
    ASSERT_EQ(editor().closeUp(kPayloads, kVessels), "");
    type(kPayloads, kPoints, "0");
    ASSERT_EQ(view(kPayloads, kPoints).selection, -1);
    click(kPayloads, kAttach);
    select(kPoints, "0");
    type(kPayloads, kVessels, "Box");
    ASSERT_EQ(view(kPayloads, kVessels).selection, -1);
    click(kPayloads, kAttach);
    EXPECT_EQ(host().journal().count("AttachChild"), 0u);
    EXPECT_EQ(text(kPayloads, kAttach), "Attach");

    // With no pallet entry selected, neither a selection notice nor the button acts.
    select(kVessels, "Box");
    ASSERT_EQ(editor().closeUp(kPayloads, kVessels), "");
    ASSERT_EQ(entryTexts(kPoints), (Lines{"0"}));
    const Editor::Page* page = editor().page(kPayloads);
    SendMessage(editor().control(kPayloads, kPallets), LB_SETCURSEL, WPARAM(-1), 0);
    page->proc(page->window, WM_COMMAND, MAKEWPARAM(kPallets, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(editor().control(kPayloads, kPallets)));
    click(kPayloads, kAttach);
    EXPECT_EQ(host().journal().count("AttachChild"), 0u);
    EXPECT_EQ(atPallet(h, 0), nullptr);
    EXPECT_EQ(entryTexts(kPoints), (Lines{"0"}));  // the selection notice filled nothing
}

// ---- Classes ----

TEST_F(CarrierEditorPage, AnotherClassOfTheModuleGetsBothWorkingPages) {
    OBJHANDLE h = make("L", "HaulbedLong", {"SEGS 2", "STS"});
    ASSERT_EQ(editor().open(h), "");
    ASSERT_EQ(editor().show(kConfig), "");
    EXPECT_EQ(text(kConfig, kSegments), "2");
    EXPECT_EQ(view(kConfig, kTrunnions).check, BST_CHECKED);
    arrow(kSegmentArrows, true);
    EXPECT_EQ(segments(h), 3u);
    ASSERT_EQ(editor().show(kPayloads), "");
    EXPECT_EQ(view(kPayloads, kPallets).entries, Pallets(12));
}

// ---- Soundness ----

TEST_F(CarrierEditorPage, PagesNeverActOnAHandleThatIsNotABuiltCarrier) {
    OBJHANDLE carrier = openCarrier({"SEGS 2", "STS"});
    const DLGPROC config = editor().pages().at(0).proc;
    const DLGPROC payloads = editor().pages().at(1).proc;
    OBJHANDLE probe = make("P", "Probe");
    OBJHANDLE segment = make("T", "Truss", {"TYPE 2"});
    OBJHANDLE gone = make("G", "Haulbed");
    host().destroyVessel(gone);
    crate("Box", 1);
    // A carrier object that was never built, standing in for a live carrier vessel.
    OBJHANDLE shell = make("Shell", "Haulbed");
    hostsim::Module* module = host().findModule("Haulbed");
    VESSEL* built = v(shell).iface;
    VESSEL* unbuilt = module->ovcInit(shell, 1);
    ASSERT_NE(unbuilt, nullptr);
    v(shell).iface = unbuilt;
    // A vessel of the class for which the module made no object holds a plain one.
    OBJHANDLE plain = make("Plain", "Haulbed");
    VESSEL* plainBuilt = v(plain).iface;
    VESSEL3 plainObject(plain, 1);
    v(plain).iface = &plainObject;

    // A window that answers the page's question with a chosen handle.
    OBJHANDLE answer = nullptr;
    auto answering = [&answer](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_SCNEDITOR && wParam == SE_GETVESSEL) *reinterpret_cast<OBJHANDLE*>(lParam) = answer;
        return 0;
    };
    HWND fake = hostsim::createHostWindow("not an editor", answering);
    host().journal().enable();
    for (OBJHANDLE handle : {probe, segment, gone, shell, plain, static_cast<OBJHANDLE>(nullptr)}) {
        answer = handle;
        for (DLGPROC proc : {config, payloads}) {
            proc(fake, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(handle));
            proc(fake, WM_SHOWWINDOW, TRUE, 0);
            for (int id : {kSegmentArrows, kXArrows, kZFineArrows}) {
                NMUPDOWN click{};
                click.hdr.idFrom = UINT_PTR(id);
                click.hdr.code = UDN_DELTAPOS;
                click.iDelta = -1;
                proc(fake, WM_NOTIFY, WPARAM(id), reinterpret_cast<LPARAM>(&click));
            }
            proc(fake, WM_COMMAND, MAKEWPARAM(kTrunnions, BN_CLICKED), 0);
            proc(fake, WM_COMMAND, MAKEWPARAM(kPallets, LBN_SELCHANGE), 0);
            proc(fake, WM_COMMAND, MAKEWPARAM(kVessels, CBN_CLOSEUP), 0);
            proc(fake, WM_COMMAND, MAKEWPARAM(kAttach, BN_CLICKED), 0);
        }
    }
    // Only the question and the checks of the answer; nothing is read or changed.
    const Lines allowed = {"SendMessage", "SetWindowLongPtr", "oapiIsVessel", "oapiGetVesselInterface"};
    for (const std::string& name : host().journal().names())
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end()) << name;
    EXPECT_GT(host().journal().count("oapiGetVesselInterface"), 0u);
    EXPECT_EQ(segments(carrier), 2u);
    EXPECT_EQ(trunnionZ(carrier).size(), 2u);

    v(shell).iface = built;
    module->ovcExit(unbuilt);
    v(plain).iface = plainBuilt;
}

}  // namespace
