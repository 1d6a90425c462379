// The carrier module's dialog resources and their control ids, shared by Haulbed.rc
// and the pages' dialog procedures. The two pages number their controls each on
// their own, so some ids stand for different controls on each page.
#pragma once

// Controls that are never addressed. The window system's headers do not define it;
// the resource compiler's own headers (winres.h, afxres.h) do, as (-1).
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The "Vessel Management" page: segments, trunnions and the payload offset.
#define IDD_CONFIG_PAGE 101
// The "Payloads" page: what rides on each pallet point.
#define IDD_PAYLOAD_PAGE 102

#define IDC_DONE 1003  // on both pages; left to the editor

// Configuration page. Each offset has a coarse arrow (1 m) and a fine one (1 mm).
#define IDC_SEGMENTS 1001
#define IDC_TRUNNIONS 1002
#define IDC_OFFSET_Y 1004
#define IDC_OFFSET_Z 1005
#define IDC_SEGMENT_ARROWS 1006
#define IDC_X_ARROWS 1007
#define IDC_X_FINE_ARROWS 1008
#define IDC_Y_ARROWS 1009
#define IDC_Y_FINE_ARROWS 1010
#define IDC_Z_ARROWS 1011
#define IDC_Z_FINE_ARROWS 1012
#define IDC_OFFSET_X 1015

// Payload page.
#define IDC_PALLETS 1009
#define IDC_ATTACH 1012  // "Attach" or "Detach", by the selected pallet point
#define IDC_PAYLOAD_VESSELS 1013
#define IDC_PAYLOAD_POINTS 1014
