// The scenario editor's two carrier pages. "Vessel Management" sets the number of
// segments, the trunnions and the offset of the carrier point; "Payloads" shows what
// rides on each pallet point and attaches or releases payloads. Neither page keeps
// anything of its own: every message works on the carrier the editor is editing,
// and the payload page asks the host each time what rides where.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "CarrierLayout.h"
#include "Haulbed.h"
#include "ModuleHooks.h"
#include "OwnVessel.h"
#include "ScanText.h"
#include "ScnEditorAPI.h"
#include "resource.h"

#include <commctrl.h>

using namespace carrier;

namespace {

// ---- Controls ----

std::string ControlText(HWND control) {
    const int length = GetWindowTextLength(control);
    if (length <= 0) return {};
    std::string text(std::size_t(length) + 1, '\0');
    const int copied = GetWindowText(control, text.data(), length + 1);
    text.resize(std::size_t(std::clamp(copied, 0, length)));
    return text;
}

std::string FieldText(HWND page, int id) { return ControlText(GetDlgItem(page, id)); }

void SetField(HWND page, int id, const char* text) { SetDlgItemText(page, id, text); }

// The text of a list box or combo box entry; empty for an index that is no entry.
std::string EntryText(HWND list, UINT lengthMsg, UINT textMsg, LRESULT index) {
    if (index < 0) return {};
    const LRESULT length = SendMessage(list, lengthMsg, WPARAM(index), 0);
    if (length < 0) return {};
    std::string text(std::size_t(length) + 1, '\0');
    const LRESULT copied = SendMessage(list, textMsg, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::size_t(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

// The selected entry's text of a combo box; empty when none is selected.
std::string SelectedComboText(HWND page, int id) {
    HWND combo = GetDlgItem(page, id);
    return EntryText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, SendMessage(combo, CB_GETCURSEL, 0, 0));
}

// ---- The carrier ----

// Only a carrier that this module made can be edited, whatever its class is called;
// one that was never built has nothing to edit.
Haulbed* CarrierOf(OBJHANDLE vessel) {
    Haulbed* carrier = OwnVessel<Haulbed>(vessel);
    return carrier && carrier->IsBuilt() ? carrier : nullptr;
}

Haulbed* EditedCarrier(HWND page) {
    OBJHANDLE vessel = nullptr;
    SendMessage(page, WM_SCNEDITOR, SE_GETVESSEL, reinterpret_cast<LPARAM>(&vessel));
    return CarrierOf(vessel);
}

}  // namespace

// ======== "Vessel Management" ========

namespace {

// Offsets are written to the millimetre, and an arrow never carries one beyond this.
constexpr double kOffsetLimit = 1.0e6;  // m
constexpr double kCoarseStep = 1.0;     // m per arrow click
constexpr double kFineStep = 0.001;     // m per arrow click

// Fields in the order of the carrier's axes: x, y, z.
constexpr std::array<int, 3> kOffsetFields = {IDC_OFFSET_X, IDC_OFFSET_Y, IDC_OFFSET_Z};

struct OffsetArrows {
    int id;
    int field;
    double step;  // m
};
constexpr OffsetArrows kOffsetArrows[] = {
    {IDC_X_ARROWS, IDC_OFFSET_X, kCoarseStep}, {IDC_X_FINE_ARROWS, IDC_OFFSET_X, kFineStep},
    {IDC_Y_ARROWS, IDC_OFFSET_Y, kCoarseStep}, {IDC_Y_FINE_ARROWS, IDC_OFFSET_Y, kFineStep},
    {IDC_Z_ARROWS, IDC_OFFSET_Z, kCoarseStep}, {IDC_Z_FINE_ARROWS, IDC_OFFSET_Z, kFineStep},
};

// Room for any double written with three decimals, its sign and its terminator.
constexpr std::size_t kNumberBufferSize = 320;

// A field that holds no number, or one that is not finite, counts as 0.
double FieldReal(HWND page, int id) {
    double value = 0.0;
    ScanText(FieldText(page, id)).Real(value);
    return value;
}

void SetFieldReal(HWND page, int id, double value) {
    std::array<char, kNumberBufferSize> text{};
    std::snprintf(text.data(), text.size(), "%.3lf", value);
    SetField(page, id, text.data());
}

// The segment count a click on the segment arrows asks for: the field's integer (1
// when it holds none) less the click's delta, within 1 .. the carrier's segment limit.
std::uint32_t NextSegmentCount(HWND page, int delta) {
    int typed = 1;
    ScanText(FieldText(page, IDC_SEGMENTS)).Int(typed);
    // In long long, so that taking the delta cannot overflow.
    return ClampSegmentCount(static_cast<long long>(typed) - delta);
}

}  // namespace

// The configuration page's dialog procedure and its handlers; a friend of Haulbed.
class CarrierConfigPage {
public:
    static INT_PTR CALLBACK DialogProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static void Open(HWND page, const Haulbed& carrier);
    static void Arrow(HWND page, int id, int delta);
    static void Trunnions(HWND page);
};

void CarrierConfigPage::Open(HWND page, const Haulbed& carrier) {
    std::array<char, 16> count{};
    std::snprintf(count.data(), count.size(), "%d", static_cast<int>(carrier.segmentCount));
    SetField(page, IDC_SEGMENTS, count.data());
    CheckDlgButton(page, IDC_TRUNNIONS, carrier.trunnionsShown ? BST_CHECKED : BST_UNCHECKED);
    const VECTOR3& offset = carrier.payloadOffset;
    for (int axis = 0; axis < 3; ++axis) SetFieldReal(page, kOffsetFields[std::size_t(axis)], offset.data[axis]);
}

// The delta is taken away: the upper arrow reports -1 in the control's default range,
// which the page keeps, and raises the value.
void CarrierConfigPage::Arrow(HWND page, int id, int delta) {
    Haulbed* carrier = EditedCarrier(page);
    if (!carrier) return;

    if (id == IDC_SEGMENT_ARROWS) {
        const std::uint32_t count = NextSegmentCount(page, delta);
        std::array<char, 16> text{};
        std::snprintf(text.data(), text.size(), "%d", static_cast<int>(count));
        SetField(page, IDC_SEGMENTS, text.data());
        // The rebuild releases every payload: only a real change may cause it.
        if (count != carrier->segmentCount)
            carrier->SetSegmentCount(count, IsDlgButtonChecked(page, IDC_TRUNNIONS) == BST_CHECKED);
    } else {
        const auto arrows = std::find_if(std::begin(kOffsetArrows), std::end(kOffsetArrows),
                                         [id](const OffsetArrows& a) { return a.id == id; });
        if (arrows == std::end(kOffsetArrows)) return;
        const double value = FieldReal(page, arrows->field) - delta * arrows->step;
        SetFieldReal(page, arrows->field, std::clamp(value, -kOffsetLimit, kOffsetLimit));
    }

    // Typed offsets reach the carrier with any click, whichever field it was on.
    carrier->SetPayloadOffset(FieldReal(page, IDC_OFFSET_X), FieldReal(page, IDC_OFFSET_Y),
                              FieldReal(page, IDC_OFFSET_Z));
}

void CarrierConfigPage::Trunnions(HWND page) {
    Haulbed* carrier = EditedCarrier(page);
    if (!carrier) return;
    switch (IsDlgButtonChecked(page, IDC_TRUNNIONS)) {
    case BST_CHECKED: carrier->ShowTrunnions(true); break;
    case BST_UNCHECKED: carrier->ShowTrunnions(false); break;  // removes them only if shown
    default: break;
    }
}

INT_PTR CALLBACK CarrierConfigPage::DialogProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        if (const Haulbed* carrier = CarrierOf(reinterpret_cast<OBJHANDLE>(lParam))) Open(page, *carrier);
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || header->code != UDN_DELTAPOS) return FALSE;
        const auto* click = reinterpret_cast<const NMUPDOWN*>(lParam);
        Arrow(page, int(header->idFrom), click->iDelta);
        SetWindowLongPtr(page, DWLP_MSGRESULT, FALSE);  // the control may move on
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_TRUNNIONS) return FALSE;  // "<< Done" is the editor's
        Trunnions(page);
        return TRUE;
    default:
        return FALSE;
    }
}

// ======== "Payloads" ========

namespace {

// The button's caption is the page's mode.
constexpr const char* kAttachCaption = "Attach";
constexpr const char* kDetachCaption = "Detach";
constexpr std::size_t kModeLength = 6;  // both captions are compared over this length

// Room for "Attachment <k>: <name> " with any object name and its terminator.
constexpr std::size_t kEntryBufferSize = 320;
// What the host writes an object name into.
constexpr int kObjectNameSize = 256;

// The vessel whose name an entry shows is its third word.
constexpr int kEntryNameWord = 3;

bool CaptionMeans(const std::string& caption, const char* mode) {
    if (caption.size() < kModeLength) return false;
    return StartsWithKey(caption, std::string_view(mode, kModeLength));
}

std::string VesselName(OBJHANDLE vessel) {
    const VESSEL* object = oapiGetVesselInterface(vessel);
    const char* name = object ? object->GetName() : nullptr;
    return name ? name : "";
}

std::string EntryName(const std::string& entry) {
    ScanText words(entry);
    std::string_view word;
    for (int i = 0; i < kEntryNameWord; ++i) word = words.Word();
    return std::string(word);
}

// The vessel that a name in a list stands for, or null. The name is the function's
// own copy, writable as the interface asks.
OBJHANDLE NamedVessel(std::string name) {
    if (name.empty()) return nullptr;
    OBJHANDLE vessel = oapiGetVesselByName(name.data());
    return oapiIsVessel(vessel) ? vessel : nullptr;
}

}  // namespace

// The payload page's dialog procedure and its handlers; a friend of Haulbed.
class CarrierPayloadPage {
public:
    static INT_PTR CALLBACK DialogProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static void Open(HWND page, const Haulbed& carrier, bool leaveOutPayloads);
    static bool FillPallets(HWND page, const Haulbed& carrier);
    static void FillVessels(HWND page, const Haulbed& carrier, bool leaveOutPayloads);
    static void FillPointsForFirstVessel(HWND page);
    static void FillPoints(HWND page, OBJHANDLE vessel);
    static void ShowOccupied(HWND page);
    static void EnableChoice(HWND page);
    static void RewritePallet(HWND page, LRESULT index, std::size_t palletIndex, const std::string& text);

    static void SelectPallet(HWND page);
    static void ChooseVessel(HWND page);
    static void Press(HWND page);
    static void Attach(HWND page, Haulbed& carrier, LRESULT index, std::size_t palletIndex);
    static void Release(HWND page, Haulbed& carrier, LRESULT index, std::size_t palletIndex);
};

namespace {

// A pallet entry as a fill writes it: the name of what rides there, if anything.
std::string PalletText(std::size_t palletIndex, const std::string& name) {
    std::array<char, kEntryBufferSize> text{};
    std::snprintf(text.data(), text.size(), "Attachment %d: %s", static_cast<int>(palletIndex), name.c_str());
    return text.data();
}

// A pallet entry as an attach rewrites it, with a blank after the name.
std::string AttachedText(std::size_t palletIndex, const std::string& name) {
    std::array<char, kEntryBufferSize> text{};
    std::snprintf(text.data(), text.size(), "Attachment %d: %s ", static_cast<int>(palletIndex), name.c_str());
    return text.data();
}

}  // namespace

void CarrierPayloadPage::ShowOccupied(HWND page) {
    for (int id : {IDC_PAYLOAD_VESSELS, IDC_PAYLOAD_POINTS}) {
        EnableWindow(GetDlgItem(page, id), FALSE);
        SendDlgItemMessage(page, id, CB_SETCURSEL, WPARAM(-1), 0);
    }
    SetDlgItemText(page, IDC_ATTACH, kDetachCaption);
}

void CarrierPayloadPage::EnableChoice(HWND page) {
    for (int id : {IDC_PAYLOAD_VESSELS, IDC_PAYLOAD_POINTS}) EnableWindow(GetDlgItem(page, id), TRUE);
}

// One entry per pallet point, the first selected, and the state that it calls for.
// Returns whether the first pallet point holds a vessel.
bool CarrierPayloadPage::FillPallets(HWND page, const Haulbed& carrier) {
    HWND list = GetDlgItem(page, IDC_PALLETS);
    SendMessage(list, LB_RESETCONTENT, 0, 0);
    bool firstOccupied = false;
    for (std::size_t k = 0; k < carrier.palletPoints.size(); ++k) {
        const OBJHANDLE held = carrier.GetAttachmentStatus(carrier.palletPoints[k]);
        const bool occupied = oapiIsVessel(held);
        if (k == 0) firstOccupied = occupied;
        const std::string name = occupied ? VesselName(held) : std::string();
        const std::string text = PalletText(k, name);
        const LRESULT index = SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (index >= 0) SendMessage(list, LB_SETITEMDATA, WPARAM(index), LPARAM(k));
    }
    SendMessage(list, LB_SETCURSEL, 0, 0);
    if (firstOccupied) {
        ShowOccupied(page);
    } else {
        EnableChoice(page);
        SetDlgItemText(page, IDC_ATTACH, kAttachCaption);
    }
    return firstOccupied;
}

// Every vessel but the carrier, and, when asked, but those that ride on it already.
void CarrierPayloadPage::FillVessels(HWND page, const Haulbed& carrier, bool leaveOutPayloads) {
    HWND list = GetDlgItem(page, IDC_PAYLOAD_VESSELS);
    SendMessage(list, CB_RESETCONTENT, 0, 0);
    const std::vector<OBJHANDLE> payloads = leaveOutPayloads ? carrier.ListPayloads() : std::vector<OBJHANDLE>();
    const DWORD count = oapiGetVesselCount();
    for (DWORD i = 0; i < count; ++i) {
        const OBJHANDLE vessel = oapiGetVesselByIndex(int(i));
        if (!oapiIsVessel(vessel) || vessel == carrier.GetHandle()) continue;
        if (std::find(payloads.begin(), payloads.end(), vessel) != payloads.end()) continue;
        std::array<char, kObjectNameSize> name{};
        oapiGetObjectName(vessel, name.data(), kObjectNameSize);
        SendMessage(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.data()));
    }
}

// The payload point indices of a vessel, sorted as text by the list, the first selected.
void CarrierPayloadPage::FillPoints(HWND page, OBJHANDLE vessel) {
    HWND list = GetDlgItem(page, IDC_PAYLOAD_POINTS);
    SendMessage(list, CB_RESETCONTENT, 0, 0);
    const VESSEL* object = oapiGetVesselInterface(vessel);
    const DWORD count = object ? object->AttachmentCount(true) : 0;
    for (DWORD j = 0; j < count; ++j) {
        std::array<char, 16> text{};
        std::snprintf(text.data(), text.size(), "%d", static_cast<int>(j));
        SendMessage(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.data()));
    }
    SendMessage(list, CB_SETCURSEL, 0, 0);
}

void CarrierPayloadPage::FillPointsForFirstVessel(HWND page) {
    SendDlgItemMessage(page, IDC_PAYLOAD_VESSELS, CB_SETCURSEL, 0, 0);
    SendDlgItemMessage(page, IDC_PAYLOAD_POINTS, CB_RESETCONTENT, 0, 0);
    if (OBJHANDLE vessel = NamedVessel(SelectedComboText(page, IDC_PAYLOAD_VESSELS))) FillPoints(page, vessel);
}

void CarrierPayloadPage::Open(HWND page, const Haulbed& carrier, bool leaveOutPayloads) {
    const bool firstOccupied = FillPallets(page, carrier);
    FillVessels(page, carrier, leaveOutPayloads);
    if (!firstOccupied) FillPointsForFirstVessel(page);
}

// The entry keeps its place, its pallet index and its selection.
void CarrierPayloadPage::RewritePallet(HWND page, LRESULT index, std::size_t palletIndex, const std::string& text) {
    HWND list = GetDlgItem(page, IDC_PALLETS);
    SendMessage(list, LB_DELETESTRING, WPARAM(index), 0);
    SendMessage(list, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(text.c_str()));
    SendMessage(list, LB_SETITEMDATA, WPARAM(index), LPARAM(palletIndex));
    SendMessage(list, LB_SETCURSEL, WPARAM(index), 0);
}

void CarrierPayloadPage::SelectPallet(HWND page) {
    Haulbed* carrier = EditedCarrier(page);
    if (!carrier) return;
    HWND list = GetDlgItem(page, IDC_PALLETS);
    const LRESULT index = SendMessage(list, LB_GETCURSEL, 0, 0);
    if (index < 0) return;  // no pallet point was chosen
    const std::string entry = EntryText(list, LB_GETTEXTLEN, LB_GETTEXT, index);
    if (NamedVessel(EntryName(entry))) {
        ShowOccupied(page);
        return;
    }
    EnableChoice(page);
    FillVessels(page, *carrier, true);
    FillPointsForFirstVessel(page);
    SetDlgItemText(page, IDC_ATTACH, kAttachCaption);
}

void CarrierPayloadPage::ChooseVessel(HWND page) {
    if (!EditedCarrier(page)) return;
    if (OBJHANDLE vessel = NamedVessel(SelectedComboText(page, IDC_PAYLOAD_VESSELS))) FillPoints(page, vessel);
}

void CarrierPayloadPage::Attach(HWND page, Haulbed& carrier, LRESULT index, std::size_t palletIndex) {
    const OBJHANDLE payload = NamedVessel(SelectedComboText(page, IDC_PAYLOAD_VESSELS));
    if (!payload) return;
    // Only a chosen point may carry the payload; its entries are the host's indices.
    int pointIndex;
    if (!ScanText(SelectedComboText(page, IDC_PAYLOAD_POINTS)).Int(pointIndex) || pointIndex < 0) return;

    if (!carrier.AttachPayload(unsigned(palletIndex), unsigned(pointIndex), payload)) return;
    RewritePallet(page, index, palletIndex, AttachedText(palletIndex, VesselName(payload)));
    ShowOccupied(page);
}

// The lists are not filled anew: the released vessel is offered from the next fill on.
void CarrierPayloadPage::Release(HWND page, Haulbed& carrier, LRESULT index, std::size_t palletIndex) {
    if (!carrier.ReleasePayload(palletIndex)) return;
    RewritePallet(page, index, palletIndex, PalletText(palletIndex, ""));
    EnableChoice(page);
    for (int id : {IDC_PAYLOAD_VESSELS, IDC_PAYLOAD_POINTS}) SendDlgItemMessage(page, id, CB_SETCURSEL, 0, 0);
    SetDlgItemText(page, IDC_ATTACH, kAttachCaption);
}

void CarrierPayloadPage::Press(HWND page) {
    Haulbed* carrier = EditedCarrier(page);
    if (!carrier) return;
    HWND list = GetDlgItem(page, IDC_PALLETS);
    const LRESULT index = SendMessage(list, LB_GETCURSEL, 0, 0);
    if (index < 0) return;  // no pallet point was chosen
    const LRESULT data = SendMessage(list, LB_GETITEMDATA, WPARAM(index), 0);
    if (data < 0 || std::size_t(data) >= carrier->palletPoints.size()) return;
    const auto palletIndex = std::size_t(data);

    const std::string caption = FieldText(page, IDC_ATTACH);
    if (CaptionMeans(caption, kAttachCaption))
        Attach(page, *carrier, index, palletIndex);
    else if (CaptionMeans(caption, kDetachCaption))
        Release(page, *carrier, index, palletIndex);
}

INT_PTR CALLBACK CarrierPayloadPage::DialogProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        if (const Haulbed* carrier = CarrierOf(reinterpret_cast<OBJHANDLE>(lParam))) Open(page, *carrier, true);
        return TRUE;
    case WM_SHOWWINDOW:  // shown or hidden alike; the carrier's payloads are offered too
        if (const Haulbed* carrier = EditedCarrier(page)) Open(page, *carrier, false);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PALLETS:
            if (HIWORD(wParam) != LBN_SELCHANGE) return FALSE;
            SelectPallet(page);
            return TRUE;
        case IDC_PAYLOAD_VESSELS:
            if (HIWORD(wParam) != CBN_CLOSEUP) return FALSE;
            ChooseVessel(page);
            return TRUE;
        case IDC_ATTACH:
            Press(page);
            return TRUE;
        default:
            return FALSE;  // "<< Done" is the editor's
        }
    default:
        return FALSE;
    }
}

// ======== Registration ========

namespace {

struct PageRecord {
    std::string_view label;
    WORD resource;
    DLGPROC proc;
};

// In the order of the editor's buttons.
constexpr PageRecord kPages[] = {
    {"Vessel Management", IDD_CONFIG_PAGE, CarrierConfigPage::DialogProc},
    {"Payloads", IDD_PAYLOAD_PAGE, CarrierPayloadPage::DialogProc},
};
// Every label ends inside its field, terminator included.
static_assert(std::all_of(std::begin(kPages), std::end(kPages),
                          [](const PageRecord& p) { return p.label.size() < sizeof EditorPageSpec::btnlabel; }));

}  // namespace

void AddEditorPages(HWND hEditor, OBJHANDLE /*vessel*/) {
    for (const PageRecord& page : kPages) {
        EditorPageSpec record{};  // the label's field is zero-filled to its end
        page.label.copy(record.btnlabel, page.label.size());
        record.hDLL = moduleInstance;
        record.ResId = page.resource;
        record.TabProc = page.proc;
        SendMessage(hEditor, WM_SCNEDITOR, SE_ADDPAGEBUTTON, reinterpret_cast<LPARAM>(&record));
    }
}
