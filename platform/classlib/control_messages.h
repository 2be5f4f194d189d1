// Messages and styles of the standard controls that the control classes
// send. Private to the class library.
#pragma once

#include "platform/gui/user_types.h"

namespace classlib_controls {

// Buttons.
constexpr DWORD kBsPushButton = 0x0;
constexpr DWORD kBsDefPushButton = 0x1;
constexpr DWORD kBsAutoCheckBox = 0x3;
constexpr DWORD kBsGroupBox = 0x7;
constexpr DWORD kBsAutoRadioButton = 0x9;
constexpr UINT kBmGetCheck = 0x00F0;
constexpr UINT kBmSetCheck = 0x00F1;
constexpr UINT kBmClick = 0x00F5;

// Edits.
constexpr DWORD kEsAutoHScroll = 0x0080;
constexpr DWORD kEsMultiLine = 0x0004;
constexpr UINT kEmGetSel = 0x00B0;
constexpr UINT kEmSetSel = 0x00B1;
constexpr UINT kEmGetModify = 0x00B8;
constexpr UINT kEmSetModify = 0x00B9;
constexpr UINT kEmGetLineCount = 0x00BA;
constexpr UINT kEmReplaceSel = 0x00C2;
constexpr UINT kEmLimitText = 0x00C5;
constexpr UINT kEmSetReadOnly = 0x00CF;

// List boxes.
constexpr DWORD kLbsNotify = 0x0001;
constexpr UINT kLbAddString = 0x0180;
constexpr UINT kLbInsertString = 0x0181;
constexpr UINT kLbDeleteString = 0x0182;
constexpr UINT kLbResetContent = 0x0184;
constexpr UINT kLbSetSel = 0x0185;
constexpr UINT kLbSetCurSel = 0x0186;
constexpr UINT kLbGetSel = 0x0187;
constexpr UINT kLbGetCurSel = 0x0188;
constexpr UINT kLbGetText = 0x0189;
constexpr UINT kLbGetTextLen = 0x018A;
constexpr UINT kLbGetCount = 0x018B;
constexpr UINT kLbFindStringExact = 0x01A2;
constexpr UINT kLbGetSelCount = 0x0190;
constexpr UINT kLbGetSelItems = 0x0191;
constexpr UINT kLbGetItemData = 0x0199;
constexpr UINT kLbSetItemData = 0x019A;

// Combo boxes.
constexpr DWORD kCbsDropDown = 0x0002;
constexpr DWORD kCbsDropDownList = 0x0003;
constexpr UINT kCbLimitText = 0x0141;
constexpr UINT kCbAddString = 0x0143;
constexpr UINT kCbDeleteString = 0x0144;
constexpr UINT kCbGetCount = 0x0146;
constexpr UINT kCbGetCurSel = 0x0147;
constexpr UINT kCbGetLbText = 0x0148;
constexpr UINT kCbGetLbTextLen = 0x0149;
constexpr UINT kCbInsertString = 0x014A;
constexpr UINT kCbResetContent = 0x014B;
constexpr UINT kCbSetCurSel = 0x014E;
constexpr UINT kCbShowDropDown = 0x014F;
constexpr UINT kCbGetItemData = 0x0150;
constexpr UINT kCbSetItemData = 0x0151;
constexpr UINT kCbFindStringExact = 0x0158;

// Scroll bars.
constexpr DWORD kSbsHorz = 0x0000;
constexpr DWORD kSbsVert = 0x0001;
constexpr UINT kSbmSetPos = 0x00E0;
constexpr UINT kSbmGetPos = 0x00E1;
constexpr UINT kSbmSetRange = 0x00E2;
constexpr UINT kSbmGetRange = 0x00E3;
constexpr UINT kSbLineUp = 0;
constexpr UINT kSbLineDown = 1;
constexpr UINT kSbPageUp = 2;
constexpr UINT kSbPageDown = 3;
constexpr UINT kSbThumbPosition = 4;
constexpr UINT kSbThumbTrack = 5;
constexpr UINT kSbTop = 6;
constexpr UINT kSbBottom = 7;

// Trackbars.
constexpr DWORD kTbsHorz = 0x0000;
constexpr DWORD kTbsVert = 0x0002;
constexpr DWORD kTbsAutoTicks = 0x0001;
constexpr UINT kTbmGetPos = WM_USER;
constexpr UINT kTbmGetRangeMin = WM_USER + 1;
constexpr UINT kTbmGetRangeMax = WM_USER + 2;
constexpr UINT kTbmSetPos = WM_USER + 5;
constexpr UINT kTbmSetRange = WM_USER + 6;
constexpr UINT kTbmSetPageSize = WM_USER + 21;
constexpr UINT kTbmSetLineSize = WM_USER + 23;

// Tab controls.
constexpr UINT kTcmFirst = 0x1300;
constexpr UINT kTcmGetItemCount = kTcmFirst + 4;
constexpr UINT kTcmInsertItem = kTcmFirst + 7;
constexpr UINT kTcmDeleteAllItems = kTcmFirst + 9;
constexpr UINT kTcmGetCurSel = kTcmFirst + 11;
constexpr UINT kTcmSetCurSel = kTcmFirst + 12;
constexpr UINT kTcmAdjustRect = kTcmFirst + 40;
constexpr UINT kTcifText = 0x0001;
constexpr UINT kTcnSelChange = static_cast<UINT>(-551);
constexpr UINT kTcnSelChanging = static_cast<UINT>(-552);

struct TabItem {
  UINT mask = 0;
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  char* pszText = nullptr;
  int cchTextMax = 0;
  int iImage = -1;
  LPARAM lParam = 0;
};

struct NotifyHeader {
  HWND hwndFrom = nullptr;
  UINT_PTR idFrom = 0;
  UINT code = 0;
};

}  // namespace classlib_controls
