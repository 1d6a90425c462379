// The scenario editor's interface for vessel modules: the page record and the
// two editor messages.
#pragma once

#include "OrbiterAPI.h"

constexpr UINT WM_SCNEDITOR = WM_USER;
// wParam of WM_SCNEDITOR sent to the editor: add a page; lParam is an EditorPageSpec*.
constexpr WPARAM SE_ADDPAGEBUTTON = 2;
// wParam of WM_SCNEDITOR sent to a page: lParam is an OBJHANDLE* that receives the edited vessel.
constexpr WPARAM SE_GETVESSEL = 4;

struct EditorPageSpec {
    char btnlabel[32];
    HINSTANCE hDLL;
    WORD ResId;
    DLGPROC TabProc;
};

// The editor calls this entry of a vessel's editor module when it opens for the vessel.
DLLCLBK void secInit(HWND hEditor, OBJHANDLE vessel);
