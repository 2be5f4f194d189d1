// Menus: menu bars of top-level windows (drawn in the frame under the
// caption), popup menus and TrackPopupMenu, the system menu, and the
// messages a menu sends its window (WM_INITMENU, WM_INITMENUPOPUP,
// WM_MENUSELECT, WM_COMMAND and WM_SYSCOMMAND, the latter two posted).
//
// While a menu is open it runs a modal loop of its own: the mouse and the
// keys (arrows, Enter, Esc, an item's underlined letter) work it, and a
// test's modal hook (modal.h) is called with the first popup window, where
// MN_GETHMENU and GetMenuItemRect tell which item lies where. Nobody
// answering, an open menu closes without a choice.
#pragma once

#include "platform/gui/user_types.h"

// Item flags (AppendMenu, InsertMenu, ModifyMenu, GetMenuState ...).
constexpr UINT MF_INSERT = 0x0000;
constexpr UINT MF_CHANGE = 0x0080;
constexpr UINT MF_APPEND = 0x0100;
constexpr UINT MF_DELETE = 0x0200;
constexpr UINT MF_REMOVE = 0x1000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_USECHECKBITMAPS = 0x0200;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BITMAP = 0x0004;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_UNHILITE = 0x0000;
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_DEFAULT = 0x1000;
constexpr UINT MF_SYSMENU = 0x2000;
constexpr UINT MF_HELP = 0x4000;
constexpr UINT MF_RIGHTJUSTIFY = 0x4000;
constexpr UINT MF_MOUSESELECT = 0x8000;
constexpr UINT MFT_RADIOCHECK = 0x0200;

// TrackPopupMenu.
constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_HORIZONTAL = 0x0000;
constexpr UINT TPM_VERTICAL = 0x0040;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

struct TPMPARAMS {
  UINT cbSize = sizeof(TPMPARAMS);
  RECT rcExclude;
};

// A popup menu window answers MN_GETHMENU with the menu it shows.
constexpr UINT MN_GETHMENU = 0x01E1;
// The class of popup menu windows.
#define WC_POPUPMENU "#32768"

// More system commands.
constexpr WPARAM SC_MOUSEMENU = 0xF090;
constexpr WPARAM SC_TASKLIST = 0xF130;

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its submenus.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// newItem is the command id, or the submenu with MF_POPUP.
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR newItem, LPCSTR text);
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR newItem, LPCSTR text);
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR newItem, LPCSTR text);
// DeleteMenu destroys the item's submenu; RemoveMenu keeps it.
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
// The previous state (MF_CHECKED or MF_UNCHECKED; MF_ENABLED, MF_GRAYED,
// MF_DISABLED), or -1 (0xFFFFFFFF) when the item does not exist.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
// The item's flags; for a popup also its item count in the high byte of
// the low word. -1 when the item does not exist.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
// -1 for a popup or a missing item.
UINT GetMenuItemID(HMENU menu, int position);
int GetMenuString(HMENU menu, UINT item, LPSTR text, int size, UINT flags);
#define AppendMenuA AppendMenu
#define InsertMenuA InsertMenu
#define ModifyMenuA ModifyMenu
#define GetMenuStringA GetMenuString

// Menu bars.
BOOL SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
BOOL DrawMenuBar(HWND hwnd);
// The screen rectangle of item position of menu as shown now (menu is hwnd's
// menu bar or an open popup); false when it is not shown.
BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT position, LPRECT rect);

// The window's own copy of the system menu (Restore, Move, Size, Minimize,
// Maximize, Close); revert drops the copy and returns null.
HMENU GetSystemMenu(HWND hwnd, BOOL revert);

// Shows menu at (x, y) screen coordinates and runs it. With TPM_RETURNCMD
// returns the chosen command id (0 for none); otherwise posts WM_COMMAND to
// owner and returns nonzero when something was chosen.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params);
// Closes the menu that is open on this thread.
BOOL EndMenu();
