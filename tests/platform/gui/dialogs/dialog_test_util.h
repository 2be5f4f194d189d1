// Helpers of the dialog tests.
#pragma once

#include <string>

#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"

inline std::string TextOf(HWND hwnd) {
  char buf[256];
  GetWindowText(hwnd, buf, sizeof buf);
  return buf;
}

// Runs the pending messages with the dialog's keyboard interface, as a
// message loop that serves a modeless dialog does.
inline void PumpDialog(HWND dialog) {
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    if (IsWindow(dialog) && IsDialogMessage(dialog, &m)) continue;
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
}
