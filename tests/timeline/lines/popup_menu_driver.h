// Popup menus of the lines read and chosen from as the user does: the
// items as text, and a command picked with the mouse or, in a submenu,
// with the keys.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/gui_driver.h"
#include "platform/gui/menu.h"

namespace popupmenu {

// The items as "text=command", "text=command grey", "text=command checked",
// "-" for a separator, "text>" before a submenu's items, which read
// "text>item...".
inline void Read(HMENU menu, const std::string& prefix, std::vector<std::string>& items) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuString(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    if (HMENU sub = GetSubMenu(menu, i)) {
      items.push_back(prefix + text + ">");
      Read(sub, prefix + text + ">", items);
      continue;
    }
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (state & MF_SEPARATOR) {
      items.push_back(prefix + "-");
      continue;
    }
    std::string item = prefix + text + "=" + std::to_string(GetMenuItemID(menu, i));
    if (state & MF_GRAYED) item += " grey";
    if (state & MF_CHECKED) item += " checked";
    items.push_back(item);
  }
}

inline void ClickItem(HWND popup, HMENU menu, int pos) {
  RECT r;
  ASSERT_TRUE(GetMenuItemRect(popup, menu, static_cast<UINT>(pos), &r));
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  GuiMouseMove(x, y);
  GuiMouseButton(0, true, x, y);
  GuiMouseButton(0, false, x, y);
}

// Items before position end that the keys stop at.
inline int Stops(HMENU menu, int end) {
  int n = 0;
  for (int k = 0; k < end; ++k) {
    n += GetSubMenu(menu, k) != nullptr ||
         !(GetMenuState(menu, static_cast<UINT>(k), MF_BYPOSITION) & MF_SEPARATOR);
  }
  return n;
}

// Chooses command in menu, a submenu's with the keys; false when it is
// not there.
inline bool Choose(HWND popup, HMENU menu, UINT command) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      for (int j = 0; j < GetMenuItemCount(sub); ++j) {
        if (GetMenuItemID(sub, j) != command) continue;
        for (int k = 0; k <= Stops(menu, i); ++k) GuiPressKey(VK_DOWN);
        GuiPressKey(VK_RETURN);
        for (int k = 0; k < Stops(sub, j); ++k) GuiPressKey(VK_DOWN);
        GuiPressKey(VK_RETURN);
        return true;
      }
    } else if (GetMenuItemID(menu, i) == command) {
      ClickItem(popup, menu, i);
      return true;
    }
  }
  return false;
}

}  // namespace popupmenu
