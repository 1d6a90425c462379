// Resource numbers and control ids of the probe module's dialogs, shared by its
// resource script and its code.
#pragma once

#include "EditorProbeBase.h"

// Controls that are never addressed. The window system's headers do not define it;
// the resource compiler's own headers (winres.h, afxres.h) do, as (-1).
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_CONTROLS 201
#define IDD_SECOND 202
#define IDD_BROKEN 203
#define IDD_VISIBLE 204
#define IDD_CUSTOM 205

#define IDC_TYPES (PROBE_FIRST_ID + 1)
#define IDC_TRUNNIONS 1002
#define IDC_DONE 1003
#define IDC_EXTEND 1004
#define IDC_RETRACT 1005
#define IDC_COUNT 1006
#define IDC_COUNT_SPIN 1007
#define IDC_OFFSET 1008
#define IDC_PALLETS 1009
#define IDC_VESSELS 1010
#define IDC_POINTS 1011
#define IDC_TRACKING 1012
#define IDC_MODE 1013
#define IDC_STEP_SPIN 1014
#define IDC_STEP 1015
#define IDC_NOTE 1016
#define IDC_HIDDEN 1017
#define IDC_GAUGE 1018
#define IDC_SIMPLE 1019
#define IDC_CODE 1020
#define IDC_READONLY 1021
#define IDC_ATTACH 1022
