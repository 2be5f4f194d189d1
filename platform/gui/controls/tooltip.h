// Tooltips ("tooltips_class32"): a small popup that shows the text of the
// tool under the mouse once the mouse has rested there for the initial
// delay (timed on the window system's clock, which tests may drive). The
// tooltip learns of the mouse through TTM_RELAYEVENT. A tool is a
// rectangle of a window (hwnd, uId) or, with TTF_IDISHWND, a whole window
// (uId is its handle).
#pragma once

#include "platform/gui/user_types.h"

#define TOOLTIPS_CLASS "tooltips_class32"

constexpr DWORD TTS_ALWAYSTIP = 0x01;  // also while the owner is inactive
constexpr DWORD TTS_NOPREFIX = 0x02;

constexpr UINT TTF_IDISHWND = 0x0001;

constexpr UINT TTM_ACTIVATE = WM_USER + 1;
constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
constexpr UINT TTM_ADDTOOL = WM_USER + 4;
constexpr UINT TTM_DELTOOL = WM_USER + 5;
constexpr UINT TTM_NEWTOOLRECT = WM_USER + 6;
constexpr UINT TTM_RELAYEVENT = WM_USER + 7;
constexpr UINT TTM_GETTOOLINFO = WM_USER + 8;
constexpr UINT TTM_GETTEXT = WM_USER + 11;
constexpr UINT TTM_UPDATETIPTEXT = WM_USER + 12;
constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
constexpr UINT TTM_GETDELAYTIME = WM_USER + 21;
constexpr UINT TTM_POP = WM_USER + 28;
#define TTM_ADDTOOLA TTM_ADDTOOL
#define TTM_DELTOOLA TTM_DELTOOL
#define TTM_UPDATETIPTEXTA TTM_UPDATETIPTEXT

// TTM_SETDELAYTIME: which delay (wParam), in milliseconds (LOWORD(lParam));
// TTDT_AUTOMATIC sets all three from one value (-1 restores the defaults).
constexpr WPARAM TTDT_AUTOMATIC = 0;
constexpr WPARAM TTDT_RESHOW = 1;
constexpr WPARAM TTDT_AUTOPOP = 2;
constexpr WPARAM TTDT_INITIAL = 3;

struct TOOLINFO {
  UINT cbSize = sizeof(TOOLINFO);
  UINT uFlags = 0;
  HWND hwnd = nullptr;
  UINT_PTR uId = 0;
  RECT rect;
  HINSTANCE hinst = nullptr;
  LPSTR lpszText = nullptr;
  LPARAM lParam = 0;
};
using TOOLINFOA = TOOLINFO;
using LPTOOLINFO = TOOLINFO*;
