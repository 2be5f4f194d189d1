// Inside the menus: the menu records, their layout and drawing, and the
// hooks the window system calls (non-client painting, the default window
// procedure's menu keys and clicks, window destruction).
#pragma once

#include <string>
#include <vector>

#include "platform/gui/menu.h"

struct MenuItemRec {
  UINT flags = 0;  // MF_ flags; MF_HILITE marks the selected item
  UINT_PTR id = 0;
  HMENU popup = nullptr;
  std::string text;  // "text\taccelerator"
  HBITMAP bitmap = nullptr;
};

struct MenuRec {
  bool popup = false;
  bool system = false;
  std::vector<MenuItemRec> items;
};

// A copy of a menu's record; false when the handle is not a menu.
bool CopyMenuRec(HMENU menu, MenuRec* out);
// Marks item index of menu as selected (-1: none).
void SetMenuHilite(HMENU menu, int index);
// Whether menu is a system menu (its commands are WM_SYSCOMMANDs).
bool IsSystemMenu(HMENU menu);
// Finds an item: by position, or by command searching submenus too.
bool FindMenuItem(HMENU menu, UINT item, UINT flags, HMENU* owner, int* index);
// Brings the standard items of hwnd's system menu up to date with its state.
void UpdateSystemMenu(HWND hwnd, HMENU menu);

HFONT MenuFont();
// The menu bar of hwnd in window coordinates, and the place of each item.
RECT MenuBarRect(HWND hwnd);
std::vector<RECT> LayoutMenuBar(const MenuRec& menu, const RECT& bar);
// The popup's client size, and the place of each item in it.
SIZE LayoutPopup(const MenuRec& menu, std::vector<RECT>* rects);
void PaintPopup(HDC dc, const MenuRec& menu, const std::vector<RECT>& rects, const RECT& client);

// Called by the window system.
void PaintMenuBar(HWND hwnd, HDC dc, const RECT& bar, bool active);
// The default window procedure's menu part; true when it took msg.
bool MenuDefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
// hwnd is going: its system menu and its menu bar go with it.
void DestroyWindowMenus(HWND hwnd);

// The menu session (menu_popup.cpp): a bar opened at item index (-1: the
// bar selected by the keyboard without an open popup), or a popup menu.
void TrackMenuBar(HWND hwnd, int index, bool keyboard);
// The screen rectangle of an item of an open popup menu.
bool OpenPopupItemRect(HMENU menu, UINT position, RECT* rect);
