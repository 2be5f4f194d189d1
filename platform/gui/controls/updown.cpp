// Up-down controls: two arrow buttons, stacked, that step their buddy.
#include <algorithm>

#include "platform/gui/controls/control_internal.h"

namespace controls {
namespace {

constexpr UINT_PTR kRepeatTimer = 0xFFF3;
constexpr UINT kFirstDelay = 250;
constexpr UINT kRepeatDelay = 50;

struct UpDownState : State {
  HWND buddy = nullptr;
  int held = -1;     // the arrow held down: 0 upper, 1 lower
  bool over = true;  // the pointer is still over the held arrow
};

RECT Half(HWND h, int which) {
  RECT r;
  GetClientRect(h, &r);
  const int mid = r.bottom / 2;
  return which == 0 ? RECT{0, 0, r.right, mid} : RECT{0, mid, r.right, r.bottom};
}

void Tell(HWND h, const UpDownState& s, WORD code) {
  HWND to = s.buddy != nullptr && IsWindow(s.buddy) ? s.buddy : GetParent(h);
  if (to != nullptr) SendMessage(to, WM_VSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(h));
}

// Puts the up-down at the buddy's edge and narrows the buddy to make room.
void Align(HWND h, const UpDownState& s) {
  const DWORD style = StyleOf(h);
  if (s.buddy == nullptr || !(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) return;
  HWND parent = GetParent(h);
  RECT b;
  GetWindowRect(s.buddy, &b);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&b), 2);
  RECT mine;
  GetWindowRect(h, &mine);
  const int w = std::min<int>(mine.right - mine.left, std::max<int>(b.right - b.left - 1, 0));
  const int bh = b.bottom - b.top;
  if (style & UDS_ALIGNRIGHT) {
    SetWindowPos(s.buddy, nullptr, b.left, b.top, b.right - b.left - w, bh, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(h, nullptr, b.right - w, b.top, w, bh, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(s.buddy, nullptr, b.left + w, b.top, b.right - b.left - w, bh,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(h, nullptr, b.left, b.top, w, bh, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Paint(HWND h, HDC dc, const UpDownState& s) {
  const bool enabled = IsWindowEnabled(h) != FALSE;
  for (int which : {0, 1}) {
    RECT r = Half(h, which);
    UINT state = which == 0 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
    if (s.held == which && s.over) state |= DFCS_PUSHED;
    if (!enabled) state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &r, DFC_SCROLL, state);
  }
}

void Release(HWND h, UpDownState& s) {
  if (s.held < 0) return;
  s.held = -1;
  KillTimer(h, kRepeatTimer);
  if (GetCapture() == h) ReleaseCapture();
  InvalidateRect(h, nullptr, FALSE);
  Tell(h, s, SB_ENDSCROLL);
}

LRESULT UpDownProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) Attach<UpDownState>(h);
  auto sp = Get<UpDownState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  UpDownState& s = *sp;
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_CREATE:
      if (StyleOf(h) & UDS_AUTOBUDDY) {
        s.buddy = GetWindow(h, GW_HWNDPREV);
        Align(h, s);
      }
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Paint(h, dc, s);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
    case WM_SIZE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: {
      if (s.held >= 0) return 0;
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const RECT upper = Half(h, 0);
      s.held = PtInRect(&upper, p) ? 0 : 1;
      s.over = true;
      SetCapture(h);
      InvalidateRect(h, nullptr, FALSE);
      SetTimer(h, kRepeatTimer, kFirstDelay, nullptr);
      Tell(h, s, s.held == 0 ? SB_LINEUP : SB_LINEDOWN);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s.held >= 0) {
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const RECT r = Half(h, s.held);
        const bool over = PtInRect(&r, p) != FALSE;
        if (over != s.over) {
          s.over = over;
          InvalidateRect(h, nullptr, FALSE);
        }
      }
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer && s.held >= 0) {
        SetTimer(h, kRepeatTimer, kRepeatDelay, nullptr);
        if (s.over) Tell(h, s, s.held == 0 ? SB_LINEUP : SB_LINEDOWN);
      }
      return 0;
    case WM_LBUTTONUP:
      Release(h, s);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != h) Release(h, s);
      return 0;
    case UDM_SETBUDDY: {
      HWND old = s.buddy;
      s.buddy = reinterpret_cast<HWND>(wParam);
      Align(h, s);
      return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
      return reinterpret_cast<LRESULT>(s.buddy);
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterUpDownClass() {
  RegisterControlClass(UPDOWN_CLASS, UpDownProc, CS_GLOBALCLASS);
}

}  // namespace controls
