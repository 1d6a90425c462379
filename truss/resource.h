// The truss module's dialog resource and its control ids, shared by Spanrig.rc and
// the page's dialog procedure.
#pragma once

// Controls that are never addressed. The window system's headers do not define it;
// the resource compiler's own headers (winres.h, afxres.h) do, as (-1).
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The "Vessel Management" page of the scenario editor.
#define IDD_TRUSS_PAGE 101

#define IDC_TYPE_LIST 1001
#define IDC_EXTEND_ARRAYS 1002
#define IDC_DONE 1003  // left to the editor
#define IDC_RESET_TRACKING 1004
#define IDC_EXTEND_RADIATORS 1005
#define IDC_RETRACT_RADIATORS 1006
#define IDC_TRUNNIONS 1007
#define IDC_RETRACT_ARRAYS 1008
#define IDC_SUN_TRACKING 1009
