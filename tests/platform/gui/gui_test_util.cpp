#include "gui_test_util.h"

#include <algorithm>

namespace {

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Recorder& r = Recorder::Get();
  r.log.push_back({hwnd, msg, wParam, lParam});
  auto h = r.handlers.find(hwnd);
  if (h != r.handlers.end()) {
    bool handled = false;
    const LRESULT result = h->second(hwnd, msg, wParam, lParam, &handled);
    if (handled) return result;
  }
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      auto p = r.painters.find(hwnd);
      if (p != r.painters.end()) p->second(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (r.focus_on_click) SetFocus(hwnd);
      return 0;
    case WM_NCDESTROY:
      r.painters.erase(hwnd);
      r.handlers.erase(hwnd);
      break;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace

Recorder& Recorder::Get() {
  static Recorder r;
  return r;
}

const char* Recorder::Class(UINT style) {
  static std::map<UINT, std::string> names;
  auto it = names.find(style);
  if (it != names.end()) return it->second.c_str();
  std::string name = "Recorder" + std::to_string(style);
  WNDCLASS wc;
  wc.style = style;
  wc.lpfnWndProc = RecordingProc;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = name.c_str();
  RegisterClass(&wc);
  return names.emplace(style, name).first->second.c_str();
}

std::vector<UINT> Recorder::Of(HWND hwnd, const std::vector<UINT>& kinds) const {
  std::vector<UINT> out;
  for (const Logged& l : log) {
    if (l.hwnd == hwnd && std::find(kinds.begin(), kinds.end(), l.msg) != kinds.end()) out.push_back(l.msg);
  }
  return out;
}

RECT InkBounds(HWND hwnd, const RECT& area, COLORREF background) {
  RECT b{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (GuiReadPixel(hwnd, x, y) == background) continue;
      b.left = std::min<LONG>(b.left, x);
      b.top = std::min<LONG>(b.top, y);
      b.right = std::max<LONG>(b.right, x + 1);
      b.bottom = std::max<LONG>(b.bottom, y + 1);
    }
  }
  return b;
}

int CountPixels(HWND hwnd, const RECT& area, COLORREF color) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) n += GuiReadPixel(hwnd, x, y) == color;
  }
  return n;
}
