// Tab controls ("SysTabControl32"): a row (or, with TCS_MULTILINE, rows) of
// tabs above a display area. A click or an arrow key asks the parent with
// TCN_SELCHANGING (a non-zero answer keeps the current tab) and then tells
// it TCN_SELCHANGE, both through WM_NOTIFY; TCM_SETCURSEL tells nobody.
#pragma once

#include "platform/gui/controls/common.h"
#include "platform/gui/user_types.h"

#define WC_TABCONTROL "SysTabControl32"

constexpr DWORD TCS_MULTILINE = 0x0200;
constexpr DWORD TCS_FOCUSNEVER = 0x8000;

constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
constexpr UINT TCM_GETITEM = TCM_FIRST + 5;
constexpr UINT TCM_SETITEM = TCM_FIRST + 6;
constexpr UINT TCM_INSERTITEM = TCM_FIRST + 7;
constexpr UINT TCM_DELETEITEM = TCM_FIRST + 8;
constexpr UINT TCM_DELETEALLITEMS = TCM_FIRST + 9;
constexpr UINT TCM_GETITEMRECT = TCM_FIRST + 10;
constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;
constexpr UINT TCM_HITTEST = TCM_FIRST + 13;
constexpr UINT TCM_ADJUSTRECT = TCM_FIRST + 40;
constexpr UINT TCM_GETROWCOUNT = TCM_FIRST + 44;
constexpr UINT TCM_GETCURFOCUS = TCM_FIRST + 47;
constexpr UINT TCM_SETCURFOCUS = TCM_FIRST + 48;
#define TCM_GETITEMA TCM_GETITEM
#define TCM_SETITEMA TCM_SETITEM
#define TCM_INSERTITEMA TCM_INSERTITEM

constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
constexpr UINT TCN_SELCHANGING = static_cast<UINT>(-552);

constexpr UINT TCIF_TEXT = 0x0001;
constexpr UINT TCIF_PARAM = 0x0008;

struct TCITEM {
  UINT mask = 0;
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  LPSTR pszText = nullptr;
  int cchTextMax = 0;
  int iImage = -1;
  LPARAM lParam = 0;
};
using TCITEMA = TCITEM;
using TC_ITEM = TCITEM;
using LPTCITEM = TCITEM*;

constexpr UINT TCHT_NOWHERE = 0x0001;
constexpr UINT TCHT_ONITEM = 0x0006;
struct TCHITTESTINFO {
  POINT pt;
  UINT flags = 0;
};
