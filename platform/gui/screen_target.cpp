// The screen target: while a codec draws to the full screen, a black window
// covers the screen above every other window, and pictures handed to the
// presenter without a dc land in it. It never takes the focus, so the
// keyboard still reaches the program's own windows.
#include <mutex>

#include "platform/gui/gdi.h"
#include "platform/gui/gui.h"

namespace {

constexpr const char* kClassName = "KobrixScreenTarget";

struct Target {
  std::mutex lock;
  int opens = 0;
  HWND window = nullptr;
};

Target& T() {
  static Target* t = new Target();
  return *t;
}

LRESULT TargetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

HWND MakeWindow() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    WNDCLASS wc{};
    wc.lpfnWndProc = &TargetProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    RegisterClass(&wc);
  });
  HWND w = CreateWindowEx(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0,
                          GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                          nullptr, nullptr);
  if (w != nullptr) {
    ShowWindow(w, SW_SHOWNOACTIVATE);
    UpdateWindow(w);
  }
  return w;
}

}  // namespace

BOOL GdiScreenTarget(BOOL open) {
  Target& t = T();
  HWND gone = nullptr;
  {
    std::lock_guard<std::mutex> hold(t.lock);
    if (open) {
      if (t.opens == 0) {
        t.window = MakeWindow();
        if (t.window == nullptr) return FALSE;
      }
      ++t.opens;
      return TRUE;
    }
    if (t.opens == 0) return FALSE;
    if (--t.opens > 0) return TRUE;
    gone = t.window;
    t.window = nullptr;
  }
  DestroyWindow(gone);
  return TRUE;
}

HWND GdiScreenTargetWindow() {
  Target& t = T();
  std::lock_guard<std::mutex> hold(t.lock);
  return t.window;
}
