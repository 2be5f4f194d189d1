// Resources: menus, accelerator tables, dialog templates, strings, bitmaps,
// cursors and icons kept as C++ data and found by number. The program
// registers its own at start-up (resources/); the Load... functions and the
// dialog functions build the objects from them. All resources belong to the
// program, so the instance handle of the Load... functions is not looked at
// (LoadCursor and LoadIcon keep null for the system's own).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/gui/accel.h"
#include "platform/gui/dialog.h"
#include "platform/gui/menu.h"

// The program's module handle: pass it where a resource of the program is
// meant (LoadCursor, LoadIcon).
HINSTANCE ProgramInstance();

// A menu as data: items in order, a popup with its own items.
struct MenuTemplateItem {
  std::string text;
  UINT id = 0;
  UINT flags = 0;  // MF_ flags of AppendMenu; MF_POPUP is implied by items
  std::vector<MenuTemplateItem> items;
};
using MenuTemplate = std::vector<MenuTemplateItem>;

inline MenuTemplateItem MenuCommand(std::string text, UINT id, UINT flags = 0) {
  return MenuTemplateItem{std::move(text), id, flags, {}};
}
inline MenuTemplateItem MenuPopup(std::string text, std::vector<MenuTemplateItem> items, UINT flags = 0) {
  return MenuTemplateItem{std::move(text), 0, flags | MF_POPUP, std::move(items)};
}
inline MenuTemplateItem MenuSeparator() {
  return MenuTemplateItem{"", 0, MF_SEPARATOR, {}};
}

// A picture as rows of characters, each character a colour of the palette.
// Characters not in the palette are transparent in cursors and icons and
// black in bitmaps. Rows shorter than the first are padded so.
struct PixelArt {
  std::vector<std::string> rows;
  std::vector<std::pair<char, COLORREF>> palette;
};

void RegisterMenuResource(int id, MenuTemplate menu);
void RegisterAcceleratorResource(int id, std::vector<ACCEL> table);
void RegisterDialogResource(int id, DialogTemplate dialog);
void RegisterStringResource(int id, std::string text);
void RegisterBitmapResource(int id, PixelArt art);
// Cursors take black and white (anything lighter than mid-grey is white).
void RegisterCursorResource(int id, const PixelArt& art, POINT hotSpot);
void RegisterIconResource(int id, const PixelArt& art);

// The registered templates (null when there is none); they live as long as
// the program.
const DialogTemplate* FindDialogResource(int id);
const MenuTemplate* FindMenuResource(int id);
// The number of a resource name (MAKEINTRESOURCE(n) or "#n"); 0 for others.
int ResourceNumber(LPCSTR name);

HMENU LoadMenu(HINSTANCE instance, LPCSTR name);
HMENU LoadMenuIndirect(const MenuTemplate* menu);
HACCEL LoadAccelerators(HINSTANCE instance, LPCSTR name);
// Copies the string (cut to size - 1 characters) and returns its length; 0
// when there is none.
int LoadString(HINSTANCE instance, UINT id, LPSTR buffer, int size);
// A new 32-bit bitmap of the picture; null when there is none.
HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name);
#define LoadMenuA LoadMenu
#define LoadAcceleratorsA LoadAccelerators
#define LoadStringA LoadString
#define LoadBitmapA LoadBitmap
