// Finding a property sheet's page by the title on its tab, as a user does.
#pragma once

#include <string>

#include "platform/gui/gui.h"
#include "platform/classlib/property_sheet.h"

// The index of the tab titled title, -1 when there is none.
inline int SheetTabIndex(HWND sheet, const char* title) {
  HWND tab = GetDlgItem(sheet, kPropertySheetTabId);
  const int count = static_cast<int>(SendMessage(tab, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = {};
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessage(tab, TCM_GETITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    if (std::string(text) == title) return i;
  }
  return -1;
}
