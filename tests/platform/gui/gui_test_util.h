// Helpers of the window tests: a window class that records the messages it
// gets and paints with a function the test gives it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/core/time.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"

struct Logged {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class Recorder {
 public:
  static Recorder& Get();

  // A registered class whose windows log every message; name must be new
  // to the process unless the same style is wanted again.
  static const char* Class(UINT style = CS_DBLCLKS);

  std::vector<Logged> log;
  std::map<HWND, std::function<void(HWND, HDC)>> painters;
  std::map<HWND, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, bool*)>> handlers;
  bool focus_on_click = true;

  // The logged messages of hwnd that are in kinds, in order.
  std::vector<UINT> Of(HWND hwnd, const std::vector<UINT>& kinds) const;
  void Clear() { log.clear(); }
};

// Bounding box of the pixels of hwnd's client area (inside area) that differ
// from background.
RECT InkBounds(HWND hwnd, const RECT& area, COLORREF background);
int CountPixels(HWND hwnd, const RECT& area, COLORREF color);
