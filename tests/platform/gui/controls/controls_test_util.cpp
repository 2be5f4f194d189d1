#include "controls_test_util.h"

namespace {

Host* g_host = nullptr;

LRESULT HostProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  Host* host = g_host;
  if (host != nullptr && host->handler) {
    bool handled = false;
    const LRESULT r = host->handler(msg, wParam, lParam, &handled);
    if (handled) return r;
  }
  if (host != nullptr) {
    Note n;
    n.msg = msg;
    switch (msg) {
      case WM_COMMAND:
        n.id = LOWORD(wParam);
        n.code = HIWORD(wParam);
        n.from = reinterpret_cast<HWND>(lParam);
        host->notes.push_back(n);
        return 0;
      case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        n.id = static_cast<int>(hdr->idFrom);
        n.code = hdr->code;
        n.from = hdr->hwndFrom;
        host->notes.push_back(n);
        return 0;
      }
      case WM_HSCROLL:
      case WM_VSCROLL:
        n.from = reinterpret_cast<HWND>(lParam);
        n.id = n.from != nullptr ? GetDlgCtrlID(n.from) : 0;
        n.code = LOWORD(wParam);
        n.pos = static_cast<SHORT>(HIWORD(wParam));
        host->notes.push_back(n);
        return 0;
      case WM_DRAWITEM:
      case WM_MEASUREITEM:
        n.id = static_cast<int>(wParam);
        host->notes.push_back(n);
        return TRUE;
    }
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

const char* HostClass() {
  static bool registered = false;
  if (!registered) {
    WNDCLASS wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = HostProc;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = "ControlTestHost";
    RegisterClass(&wc);
    registered = true;
  }
  return "ControlTestHost";
}

}  // namespace

Host::Host(int x, int y, int w, int h) {
  g_host = this;
  hwnd = CreateWindowEx(0, HostClass(), "Controls", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, x, y,
                        w, h, nullptr, nullptr, nullptr, nullptr);
  Pump();
}

Host::~Host() {
  handler = nullptr;
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  Pump();
  g_host = nullptr;
}

HWND Host::Add(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id, DWORD ex) {
  HWND c = CreateWindowEx(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd,
                          reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
  Pump();
  return c;
}

std::vector<UINT> Host::Codes(UINT msg, int id) const {
  std::vector<UINT> out;
  for (const Note& n : notes) {
    if (n.msg == msg && (id == 0 || n.id == id)) out.push_back(n.code);
  }
  return out;
}

std::vector<Note> Host::Of(UINT msg) const {
  std::vector<Note> out;
  for (const Note& n : notes) {
    if (n.msg == msg) out.push_back(n);
  }
  return out;
}

std::string Text(HWND h) {
  char buf[1024];
  GetWindowText(h, buf, sizeof buf);
  return buf;
}

RECT RectIn(HWND of, HWND in) {
  RECT r;
  GetClientRect(of, &r);
  MapWindowPoints(of, in, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ClickCentre(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  GuiClick(h, r.right / 2, r.bottom / 2);
  Pump();
}

int CountColor(HWND h, const RECT& area, COLORREF color) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) n += GuiReadPixel(h, x, y) == color;
  }
  return n;
}

RECT ClientRect(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return r;
}
