// A vessel module whose editor pages write every message they receive to the log,
// so that tests see what the host's editor and window system send, in order.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "EditorProbeIds.h"
#include "Orbitersdk.h"
#include "ScnEditorAPI.h"
#include <commctrl.h>

namespace {

class Probe final : public VESSEL3 {
public:
    Probe(OBJHANDLE hVessel, int flightModel) : VESSEL3(hVessel, flightModel) {}
};

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                      reinterpret_cast<LPCSTR>(&thisModule), &module);
    return module;
}

std::string nameOf(OBJHANDLE vessel) {
    char name[256] = "";
    if (oapiIsVessel(vessel)) oapiGetObjectName(vessel, name, sizeof name);
    return vessel ? (name[0] ? name : "?") : "null";
}

std::string textOf(HWND wnd) {
    char text[256];
    GetWindowText(wnd, text, sizeof text);
    return text;
}

void log(std::string line) { oapiWriteLog(line.data()); }

// A number as text, through the C runtime: the Windows build of this module has libc++'s
// headers without its library, which holds std::to_string.
std::string decimal(long long n) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", n);
    return text;
}

// What the page sees of the control that sent a command, at the moment it arrives.
std::string stateOf(HWND dialog, int id, HWND control) {
    switch (id) {
    case IDC_TRUNNIONS:
    case IDC_TRACKING: return " checked=" + decimal(IsDlgButtonChecked(dialog, id));
    case IDC_TYPES:
    case IDC_VESSELS:
    case IDC_MODE:
        return " sel=" + decimal(SendMessage(control, CB_GETCURSEL, 0, 0)) + " text=" + textOf(control);
    case IDC_PALLETS:
    case IDC_POINTS: return " sel=" + decimal(SendMessage(control, LB_GETCURSEL, 0, 0));
    case IDC_COUNT:
    case IDC_OFFSET:
    case IDC_STEP: return " text=" + textOf(control);
    default: return "";
    }
}

// The log line of one message; the page answers an arrow click on the step arrows
// that would go past 5 by keeping the position.
INT_PTR Report(const char* page, HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::string p = page;
    switch (msg) {
    case WM_INITDIALOG: {
        OBJHANDLE asked = nullptr;
        SendMessage(dialog, WM_SCNEDITOR, SE_GETVESSEL, reinterpret_cast<LPARAM>(&asked));
        HWND focus = reinterpret_cast<HWND>(wParam);
        log(p + " init vessel=" + nameOf(reinterpret_cast<OBJHANDLE>(lParam)) + " asked=" + nameOf(asked) +
            " focus=" + decimal(focus ? GetDlgCtrlID(focus) : 0) + " parent=" + (GetParent(dialog) ? "yes" : "no"));
        if (p == "A") {
            HWND types = GetDlgItem(dialog, IDC_TYPES);
            for (const char* code : {"2", "6", "12", "18", "61", "63"})
                SendMessage(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(code));
            SendMessage(types, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("6"));
        }
        HWND pallets = GetDlgItem(dialog, IDC_PALLETS);
        for (int k = 0; k < 8; ++k) {
            char entry[32];
            std::snprintf(entry, sizeof entry, "Attachment %d: ", k);
            auto index = SendMessage(pallets, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
            SendMessage(pallets, LB_SETITEMDATA, WPARAM(index), k);
        }
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        HWND from = reinterpret_cast<HWND>(lParam);
        log(p + " command id=" + decimal(id) + " code=" + decimal(HIWORD(wParam)) +
            " from=" + (from == GetDlgItem(dialog, id) ? "ok" : "bad") + stateOf(dialog, id, from));
        return id == IDC_DONE ? FALSE : TRUE;  // "<< Done" is the editor's
    }
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMUPDOWN*>(lParam);
        bool deltaPos = nm->hdr.code == UDN_DELTAPOS;
        log(p + " notify id=" + decimal(wParam) + " code=" + (deltaPos ? "deltapos" : decimal(nm->hdr.code)) +
            " pos=" + decimal(nm->iPos) + " delta=" + decimal(nm->iDelta) +
            " from=" + (nm->hdr.hwndFrom == GetDlgItem(dialog, int(wParam)) && nm->hdr.idFrom == wParam ? "ok" : "bad"));
        if (deltaPos && wParam == IDC_STEP_SPIN && nm->iPos + nm->iDelta > 5) {
            SetWindowLongPtr(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    }
    case WM_VSCROLL:
        log(p + " vscroll code=" + decimal(LOWORD(wParam)) + " pos=" + decimal(HIWORD(wParam)));
        return TRUE;
    case WM_SHOWWINDOW: log(p + " show " + decimal(wParam)); return TRUE;
    case WM_DESTROY: log(p + " destroy"); return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK FirstPageProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Report("A", dialog, msg, wParam, lParam);
}

INT_PTR CALLBACK SecondPageProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Report("B", dialog, msg, wParam, lParam);
}

void AddPage(HWND editor, const char* label, WORD resource, DLGPROC proc) {
    EditorPageSpec record;
    std::memset(&record, 0, sizeof record);
    // A 32-character label fills the field without a terminator.
    std::memcpy(record.btnlabel, label, (std::min)(std::strlen(label), sizeof record.btnlabel));
    record.hDLL = thisModule();
    record.ResId = resource;
    record.TabProc = proc;
    SendMessage(editor, WM_SCNEDITOR, SE_ADDPAGEBUTTON, reinterpret_cast<LPARAM>(&record));
}

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE hVessel, int flightModel) { return new Probe(hVessel, flightModel); }
DLLCLBK void ovcExit(VESSEL* vessel) { delete static_cast<Probe*>(vessel); }

// Two pages for every vessel; vessels whose names start with "Broken" get two more
// whose dialogs cannot be made, those starting with "Long" one with a full label.
// Vessels whose names start with "Steady" leave the procedures' addresses out of the
// log, so that their logs compare from run to run and between platforms.
DLLCLBK void secInit(HWND hEditor, OBJHANDLE vessel) {
    std::string name = nameOf(vessel);
    if (name.rfind("Steady", 0) == 0) {
        log("secInit vessel=" + name);
    } else {
        char procs[64];
        std::snprintf(procs, sizeof procs, "%p %p", reinterpret_cast<void*>(FirstPageProc),
                      reinterpret_cast<void*>(SecondPageProc));
        log("secInit vessel=" + name + " procs " + procs);
    }
    AddPage(hEditor, "Vessel Management", IDD_CONTROLS, FirstPageProc);
    AddPage(hEditor, "Payloads", IDD_SECOND, SecondPageProc);
    if (name.rfind("Broken", 0) == 0) {
        AddPage(hEditor, "Broken", IDD_BROKEN, SecondPageProc);
        AddPage(hEditor, "Missing", 299, SecondPageProc);
    }
    if (name.rfind("Long", 0) == 0) AddPage(hEditor, "A label of exactly 32 characters", IDD_SECOND, SecondPageProc);
}
