// Up-down controls ("msctls_updown32"): a pair of arrow buttons beside an
// edit (its buddy) that step a number. A press on the upper arrow tells
// SB_LINEUP, on the lower one SB_LINEDOWN, repeated while the button is
// held, then SB_ENDSCROLL; the edit does the stepping itself. The news goes
// as WM_VSCROLL (lParam the up-down) to the buddy, so that the edit it is
// attached to hears it; an up-down without a buddy tells its parent.
#pragma once

#include "platform/gui/user_types.h"

#define UPDOWN_CLASS "msctls_updown32"

constexpr DWORD UDS_ALIGNRIGHT = 0x0004;  // sits at the buddy's right edge, the buddy narrowed
constexpr DWORD UDS_ALIGNLEFT = 0x0008;   // the same at its left edge
constexpr DWORD UDS_AUTOBUDDY = 0x0010;   // the sibling made just before it is the buddy

constexpr UINT UDM_SETBUDDY = WM_USER + 105;  // wParam: the buddy; returns the one before
constexpr UINT UDM_GETBUDDY = WM_USER + 106;
