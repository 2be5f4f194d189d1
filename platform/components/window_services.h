// The window functions the program lends its component modules.
//
// A module is a library of its own: linking a copy of the window layer into
// it would give it a second, separate window system. Instead the loader
// hands every module that exports
//   void KobrixSetWindowServices(const KobrixWindowServices* services)
// (C linkage) the process's table right after loading it. The table lives as
// long as the process; a module keeps the pointer. A module without the
// entry gets nothing and works as before.
//
// The table only grows: new members go at the end and raise the version. A
// module checks size and version before using it and treats an older or
// shorter table (or null) as no window layer at all.
#pragma once

#include "platform/core/types.h"
#include "platform/gui/user_types.h"

constexpr DWORD kWindowServicesVersion = 1;

extern "C" {

struct KobrixWindowServices {
  DWORD size;     // sizeof the table the program filled
  DWORD version;  // kWindowServicesVersion of the program

  ATOM (*registerClass)(const WNDCLASS* wc);
  BOOL (*unregisterClass)(LPCSTR name, HINSTANCE instance);
  HWND (*createWindowEx)
  (DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
   HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
  BOOL (*destroyWindow)(HWND hwnd);
  BOOL (*isWindow)(HWND hwnd);
  LRESULT (*defWindowProc)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT (*sendMessage)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  BOOL (*postMessage)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  BOOL (*setWindowText)(HWND hwnd, LPCSTR text);
  int (*getWindowText)(HWND hwnd, LPSTR text, int size);
  HWND (*getDlgItem)(HWND dialog, int id);
  LONG_PTR (*getWindowLongPtr)(HWND hwnd, int index);
  LONG_PTR (*setWindowLongPtr)(HWND hwnd, int index, LONG_PTR value);
  BOOL (*setWindowPos)(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
  BOOL (*getWindowRect)(HWND hwnd, LPRECT rect);
  BOOL (*getClientRect)(HWND hwnd, LPRECT rect);
  BOOL (*adjustWindowRectEx)(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
  BOOL (*showWindow)(HWND hwnd, int cmd);
  HWND (*setFocus)(HWND hwnd);
  // The font dialogs are drawn in (for WM_SETFONT to the controls).
  HFONT (*dialogFont)();
};

// The entry a module may export.
using KobrixSetWindowServicesEntry = void (*)(const KobrixWindowServices* services);

}  // extern "C"

inline constexpr char kSetWindowServicesEntry[] = "KobrixSetWindowServices";

// The process's table, filled from the window layer (never null).
const KobrixWindowServices* HostWindowServices();
