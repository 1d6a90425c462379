// The scenario editor's "Vessel Management" page: the segment's type, the base
// segment's trunnions, the solar arrays and Sun tracking, and the radiators. The page
// keeps nothing of its own: every message works on the segment the editor is editing.
#include <array>
#include <charconv>
#include <string>
#include <string_view>

#include "ModuleHooks.h"
#include "OwnVessel.h"
#include "ScanText.h"
#include "ScnEditorAPI.h"
#include "Truss.h"
#include "TrussConstants.h"
#include "WritableText.h"
#include "resource.h"

using namespace truss;

namespace {

constexpr std::string_view kPageLabel = "Vessel Management";

// The type list, in the order the user sees it.
constexpr std::array<const char*, 6> kTypeCodes = {"2", "6", "12", "18", "61", "63"};

// The equipment controls and the one segment type whose equipment each works.
struct Equipment {
    int id;
    int type;
};
constexpr Equipment kEquipment[] = {
    {IDC_TRUNNIONS, kBaseSegment},
    {IDC_EXTEND_ARRAYS, kSolarSegment},
    {IDC_RETRACT_ARRAYS, kSolarSegment},
    {IDC_RESET_TRACKING, kSolarSegment},
    {IDC_SUN_TRACKING, kSolarSegment},
    {IDC_EXTEND_RADIATORS, kRadiatorSegment},
    {IDC_RETRACT_RADIATORS, kRadiatorSegment},
};

// What SetAnimationState sets; a radiator segment takes any of them as its deployment.
constexpr int kDeployment = 0;
constexpr int kBaseTurn = 1;
constexpr int kBoxTurn = 2;

UINT CheckState(bool on) { return on ? BST_CHECKED : BST_UNCHECKED; }

// The leading integer of a list entry, 0 when it holds none.
int TypeCode(std::string_view text) {
    int code = 0;
    ScanText(text).Int(code);
    return code;
}

}  // namespace

// The page's dialog procedure and its handlers; a friend of Truss.
class TrussPage {
public:
    static INT_PTR CALLBACK DialogProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static Truss* SegmentOf(OBJHANDLE vessel);
    static Truss* EditedSegment(HWND page);
    static void Open(HWND page, Truss* segment);
    static void ChooseType(HWND page);
    static void ShowEquipment(HWND page, int type);
    static bool Command(HWND page, int id, WORD code);
    static void Work(HWND page, int id, Truss& segment);
};

// The handle comes from the editor; anything but a segment this module made is refused.
Truss* TrussPage::SegmentOf(OBJHANDLE vessel) { return OwnVessel<Truss>(vessel); }

Truss* TrussPage::EditedSegment(HWND page) {
    OBJHANDLE vessel = nullptr;
    SendMessage(page, WM_SCNEDITOR, SE_GETVESSEL, reinterpret_cast<LPARAM>(&vessel));
    return SegmentOf(vessel);
}

void TrussPage::ShowEquipment(HWND page, int type) {
    for (const Equipment& e : kEquipment) EnableWindow(GetDlgItem(page, e.id), e.type == type);
}

void TrussPage::Open(HWND page, Truss* segment) {
    HWND list = GetDlgItem(page, IDC_TYPE_LIST);
    SendMessage(list, CB_RESETCONTENT, 0, 0);
    for (const char* code : kTypeCodes) SendMessage(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(code));
    if (!segment) return;

    // The first entry that begins with the type's number; none if no entry does.
    std::array<char, 16> text{};
    std::to_chars(text.data(), text.data() + text.size() - 1, segment->type);
    SendMessage(list, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(text.data()));

    ShowEquipment(page, segment->type);
    if (segment->type == kBaseSegment) CheckDlgButton(page, IDC_TRUNNIONS, CheckState(segment->stsTrunnions));
    if (segment->type == kSolarSegment) CheckDlgButton(page, IDC_SUN_TRACKING, CheckState(segment->sunTracking));
}

void TrussPage::ChooseType(HWND page) {
    HWND list = GetDlgItem(page, IDC_TYPE_LIST);
    const LRESULT index = SendMessage(list, CB_GETCURSEL, 0, 0);
    // No entry begins the text typed into the field: there is no type to act on.
    if (index < 0) return;
    const LRESULT length = SendMessage(list, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length < 0) return;
    std::string text(std::size_t(length) + 1, '\0');
    SendMessage(list, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    const int code = TypeCode(std::string_view(text.data(), std::size_t(length)));

    Truss* segment = EditedSegment(page);
    if (!segment) return;
    if (code != segment->type) {
        segment->TearDown();
        segment->BuildType(code);
    }
    // The built type: a code outside the catalogue became a 6 m segment, which has no
    // equipment, just as the chosen code has none.
    ShowEquipment(page, segment->type);
    CheckDlgButton(page, IDC_TRUNNIONS, CheckState(segment->type == kBaseSegment && segment->stsTrunnions));
}

void TrussPage::Work(HWND page, int id, Truss& segment) {
    switch (id) {
    case IDC_EXTEND_ARRAYS:
    case IDC_EXTEND_RADIATORS:
        segment.SetAnimationState(kDeployment, 1.0);
        break;
    case IDC_RETRACT_ARRAYS:
    case IDC_RETRACT_RADIATORS:
        segment.SetAnimationState(kDeployment, 0.0);
        break;
    case IDC_RESET_TRACKING:  // each call also switches tracking off
        segment.SetAnimationState(kBaseTurn, 0.0);
        segment.SetAnimationState(kBoxTurn, 0.0);
        CheckDlgButton(page, IDC_SUN_TRACKING, BST_UNCHECKED);
        break;
    case IDC_TRUNNIONS:
        segment.ShowTrunnions(IsDlgButtonChecked(page, IDC_TRUNNIONS) == BST_CHECKED);
        break;
    case IDC_SUN_TRACKING:  // the per-step update turns the arrays
        segment.sunTracking = IsDlgButtonChecked(page, IDC_SUN_TRACKING) == BST_CHECKED;
        break;
    default:
        break;
    }
}

// True when the page took the command.
bool TrussPage::Command(HWND page, int id, WORD code) {
    switch (id) {
    case IDC_TYPE_LIST:
        if (code != CBN_CLOSEUP) return false;
        ChooseType(page);
        return true;
    case IDC_EXTEND_ARRAYS:
    case IDC_RETRACT_ARRAYS:
    case IDC_RESET_TRACKING:
    case IDC_SUN_TRACKING:
    case IDC_EXTEND_RADIATORS:
    case IDC_RETRACT_RADIATORS:
    case IDC_TRUNNIONS:
        if (code != BN_CLICKED) return false;
        if (Truss* segment = EditedSegment(page)) Work(page, id, *segment);
        return true;
    default:
        return false;  // "<< Done" is the editor's
    }
}

INT_PTR CALLBACK TrussPage::DialogProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        Open(page, SegmentOf(reinterpret_cast<OBJHANDLE>(lParam)));
        return TRUE;
    case WM_COMMAND:
        return Command(page, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

void AddEditorPages(HWND hEditor, OBJHANDLE /*vessel*/) {
    EditorPageSpec record{};  // the label's field is zero-filled to its end
    static_assert(kPageLabel.size() < sizeof record.btnlabel);
    kPageLabel.copy(record.btnlabel, kPageLabel.size());
    record.hDLL = moduleInstance;
    record.ResId = IDD_TRUSS_PAGE;
    record.TabProc = TrussPage::DialogProc;
    SendMessage(hEditor, WM_SCNEDITOR, SE_ADDPAGEBUTTON, reinterpret_cast<LPARAM>(&record));
    oapiWriteLog(WritableText("ScnEditor").data());
}
