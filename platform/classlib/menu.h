// Menu objects over the window system's menus. A menu the object made (or
// was given with AutoDelete) is destroyed with it.
#pragma once

#include <string>

#include "platform/classlib/module.h"
#include "platform/gui/gui.h"

class TMenu {
 public:
  enum TAutoDelete { NoAutoDelete, AutoDelete };
  TMenu();
  explicit TMenu(HMENU handle, TAutoDelete autoDelete = NoAutoDelete);
  TMenu(const TModule& module, TResId resId);
  virtual ~TMenu();
  TMenu(const TMenu&) = delete;
  TMenu& operator=(const TMenu&) = delete;

  HMENU GetHandle() const { return Handle; }
  operator HMENU() const { return Handle; }
  bool IsOK() const { return Handle != nullptr; }
  // The handle is no longer this object's to destroy.
  HMENU Release();

  bool AppendMenu(UINT flags, UINT_PTR newItem = 0, const char* text = nullptr) {
    return ::AppendMenu(Handle, flags, newItem, text) != 0;
  }
  bool InsertMenu(UINT item, UINT flags, UINT_PTR newItem = 0, const char* text = nullptr) {
    return ::InsertMenu(Handle, item, flags, newItem, text) != 0;
  }
  bool ModifyMenu(UINT item, UINT flags, UINT_PTR newItem = 0, const char* text = nullptr) {
    return ::ModifyMenu(Handle, item, flags, newItem, text) != 0;
  }
  bool DeleteMenu(UINT item, UINT flags) { return ::DeleteMenu(Handle, item, flags) != 0; }
  bool RemoveMenu(UINT item, UINT flags) { return ::RemoveMenu(Handle, item, flags) != 0; }
  DWORD CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(Handle, item, check); }
  int EnableMenuItem(UINT item, UINT enable) { return ::EnableMenuItem(Handle, item, enable); }
  UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(Handle, item, flags); }
  int GetMenuItemCount() const { return ::GetMenuItemCount(Handle); }
  UINT GetMenuItemID(int position) const { return ::GetMenuItemID(Handle, position); }
  HMENU GetSubMenu(int position) const { return ::GetSubMenu(Handle, position); }
  std::string GetMenuString(UINT item, UINT flags) const;

 protected:
  HMENU Handle = nullptr;
  bool ShouldDelete = true;
};

class TPopupMenu : public TMenu {
 public:
  TPopupMenu();
  explicit TPopupMenu(HMENU handle, TAutoDelete autoDelete = NoAutoDelete) : TMenu(handle, autoDelete) {}
  BOOL TrackPopupMenu(UINT flags, int x, int y, int reserved, HWND wnd, const RECT* rect = nullptr) {
    return ::TrackPopupMenu(Handle, flags, x, y, reserved, wnd, rect);
  }
  BOOL TrackPopupMenu(UINT flags, const POINT& point, int reserved, HWND wnd, const RECT* rect = nullptr) {
    return ::TrackPopupMenu(Handle, flags, point.x, point.y, reserved, wnd, rect);
  }
};

// The system menu of a window (the window keeps it).
class TSystemMenu : public TMenu {
 public:
  explicit TSystemMenu(HWND wnd, bool revert = false) : TMenu(::GetSystemMenu(wnd, revert ? TRUE : FALSE)) {}
};
