// The common controls that dialog pages use: the up-down control (a pair of arrow
// buttons). Implemented by libhostsim.
#pragma once

#include <windows.h>

// The window class of the up-down control.
#define UPDOWN_CLASS "msctls_updown32"

// Up-down control styles.
constexpr DWORD UDS_WRAP = 0x0001;
constexpr DWORD UDS_SETBUDDYINT = 0x0002;
constexpr DWORD UDS_ALIGNRIGHT = 0x0004;
constexpr DWORD UDS_ALIGNLEFT = 0x0008;
constexpr DWORD UDS_AUTOBUDDY = 0x0010;
constexpr DWORD UDS_ARROWKEYS = 0x0020;
constexpr DWORD UDS_HORZ = 0x0040;
constexpr DWORD UDS_NOTHOUSANDS = 0x0080;
constexpr DWORD UDS_HOTTRACK = 0x0100;

// Position limits of the 16-bit range messages.
constexpr int UD_MAXVAL = 0x7fff;
constexpr int UD_MINVAL = -UD_MAXVAL;

// Up-down messages (the window system's user range, 0x0400, plus 101 to 114).
constexpr UINT UDM_SETRANGE = 0x0400 + 101;
constexpr UINT UDM_GETRANGE = 0x0400 + 102;
constexpr UINT UDM_SETPOS = 0x0400 + 103;
constexpr UINT UDM_GETPOS = 0x0400 + 104;
constexpr UINT UDM_SETBUDDY = 0x0400 + 105;
constexpr UINT UDM_GETBUDDY = 0x0400 + 106;
constexpr UINT UDM_SETBASE = 0x0400 + 109;
constexpr UINT UDM_GETBASE = 0x0400 + 110;
constexpr UINT UDM_SETRANGE32 = 0x0400 + 111;
constexpr UINT UDM_GETRANGE32 = 0x0400 + 112;
constexpr UINT UDM_SETPOS32 = 0x0400 + 113;
constexpr UINT UDM_GETPOS32 = 0x0400 + 114;

// Notification sent (as WM_NOTIFY) before the position changes; a nonzero answer
// keeps the position.
constexpr UINT UDN_FIRST = 0U - 721U;
constexpr UINT UDN_DELTAPOS = UDN_FIRST - 1;

struct NMUPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
};
using LPNMUPDOWN = NMUPDOWN*;

// Registers the common control classes; the host has them registered from the start.
void InitCommonControls();
