// Trackbars: a thumb that moves along a channel between a minimum (left or
// top) and a maximum, with tick marks, driven by the mouse and the keys.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/gui/controls/control_internal.h"

namespace controls {
namespace {

constexpr UINT_PTR kPageTimer = 0xFFF2;
constexpr UINT kFirstDelay = 250;
constexpr UINT kRepeatDelay = 100;
constexpr int kThumbLength = 11;  // along the channel
constexpr int kEnds = 8;          // from each end to the thumb's furthest centre
constexpr int kTickLength = 3;

struct TrackState : State {
  int min = 0;
  int max = 100;
  int pos = 0;
  int line = 1;
  int page = 20;
  bool page_set = false;
  int freq = 1;
  std::vector<int> tics;
  bool focused = false;
  bool dragging = false;  // the thumb
  int grab = 0;
  int paging = 0;  // -1 or 1 while the channel is held
  POINT pt{};
  bool key_held = false;
  HBITMAP thumb_bitmap = nullptr;  // not owned
  SIZE thumb_size{};               // of the bitmap
};

bool Vertical(HWND h) {
  return (StyleOf(h) & TBS_VERT) != 0;
}

struct Geometry {
  int lo = 0, hi = 0;             // the range of the thumb's centre along the axis
  int across_top = 0, thick = 0;  // the thumb across the axis
  RECT channel{}, thumb{};
};

RECT Orient(bool vertical, int along0, int across0, int along1, int across1) {
  return vertical ? RECT{across0, along0, across1, along1} : RECT{along0, across0, along1, across1};
}

Geometry GeometryOf(HWND h, const TrackState& s) {
  RECT r;
  GetClientRect(h, &r);
  const bool v = Vertical(h);
  const DWORD style = StyleOf(h);
  const int len = v ? r.bottom : r.right;
  const int width = v ? r.right : r.bottom;
  // A thumb bitmap sets the thumb's length along the channel and its
  // thickness across it.
  const bool bitmap = s.thumb_bitmap != nullptr;
  const int along = bitmap ? (v ? s.thumb_size.cy : s.thumb_size.cx) : kThumbLength;
  Geometry g;
  g.lo = std::max(kEnds, along / 2 + 3);
  g.hi = std::max(g.lo, len - g.lo);
  const bool ticks_before = !(style & TBS_NOTICKS) && (style & (TBS_TOP | TBS_BOTH));
  const bool ticks_after = !(style & TBS_NOTICKS) && (!(style & TBS_TOP) || (style & TBS_BOTH));
  const int room = width - 4 - (ticks_before ? kTickLength + 2 : 0) - (ticks_after ? kTickLength + 2 : 0);
  g.thick = bitmap ? static_cast<int>(v ? s.thumb_size.cx : s.thumb_size.cy) : std::clamp(room, 4, 21);
  g.across_top = 2 + (ticks_before ? kTickLength + 2 : 0);
  const int mid = g.across_top + g.thick / 2;
  g.channel = Orient(v, g.lo - 4, mid - 2, g.hi + 4, mid + 2);
  const std::int64_t span = static_cast<std::int64_t>(s.max) - s.min;
  const int c =
      span > 0 ? g.lo + static_cast<int>((static_cast<std::int64_t>(s.pos) - s.min) * (g.hi - g.lo) / span)
               : g.lo;
  g.thumb = Orient(v, c - along / 2, g.across_top, c - along / 2 + along, g.across_top + g.thick);
  return g;
}

int PosAt(const TrackState& s, const Geometry& g, int along) {
  if (g.hi <= g.lo) return s.min;
  const std::int64_t span = static_cast<std::int64_t>(s.max) - s.min;
  const std::int64_t off = std::clamp(along - g.lo, 0, g.hi - g.lo);
  return static_cast<int>(s.min + (off * span + (g.hi - g.lo) / 2) / (g.hi - g.lo));
}

void Notify(HWND h, WORD code, int pos) {
  HWND parent = GetParent(h);
  if (parent == nullptr) return;
  SendMessage(parent, Vertical(h) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos),
              reinterpret_cast<LPARAM>(h));
}

void SetPos(HWND h, TrackState& s, int pos, bool redraw) {
  pos = std::clamp(pos, s.min, s.max);
  if (pos == s.pos) return;
  s.pos = pos;
  if (redraw) InvalidateRect(h, nullptr, FALSE);
}

void DefaultPage(TrackState& s) {
  if (!s.page_set) s.page = std::max(1, static_cast<int>((static_cast<std::int64_t>(s.max) - s.min) / 5));
}

// A user's move: the thumb moves, then the parent hears of it.
void UserMove(HWND h, TrackState& s, int pos, WORD code) {
  SetPos(h, s, pos, true);
  Notify(h, code, s.pos);
}

void PageStep(HWND h, TrackState& s) {
  const Geometry g = GeometryOf(h, s);
  const int along = Vertical(h) ? s.pt.y : s.pt.x;
  const int lo = Vertical(h) ? g.thumb.top : g.thumb.left;
  const int hi = Vertical(h) ? g.thumb.bottom : g.thumb.right;
  // Paging stops once the thumb reaches the pointer.
  if (s.paging < 0 && along >= lo) return;
  if (s.paging > 0 && along < hi) return;
  UserMove(h, s, s.pos + s.paging * s.page, s.paging < 0 ? TB_PAGEUP : TB_PAGEDOWN);
}

// The positions with a tick mark: both ends, every freq positions with
// TBS_AUTOTICKS, and the ones set with TBM_SETTIC.
std::vector<int> TickPositions(HWND h, const TrackState& s) {
  std::vector<int> at;
  if (StyleOf(h) & TBS_NOTICKS) return at;
  at = {s.min, s.max};
  if (StyleOf(h) & TBS_AUTOTICKS) {
    for (std::int64_t p = s.min; p <= s.max; p += std::max(1, s.freq)) at.push_back(static_cast<int>(p));
  }
  for (int p : s.tics) {
    if (p >= s.min && p <= s.max) at.push_back(p);
  }
  std::sort(at.begin(), at.end());
  at.erase(std::unique(at.begin(), at.end()), at.end());
  return at;
}

void Tick(HDC dc, bool v, int along, int across) {
  FillSys(dc, Orient(v, along, across, along + 1, across + kTickLength), COLOR_BTNTEXT);
}

void Paint(HWND h, HDC dc, TrackState& s) {
  RECT r;
  GetClientRect(h, &r);
  FillRect(dc, &r, ParentBrush(h, dc, WM_CTLCOLORSTATIC));
  const Geometry g = GeometryOf(h, s);
  const bool v = Vertical(h);
  const DWORD style = StyleOf(h);
  RECT channel = g.channel;
  DrawEdge(dc, &channel, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillSys(dc, channel, COLOR_WINDOW);
  if (!(style & TBS_NOTICKS)) {
    const std::int64_t span = static_cast<std::int64_t>(s.max) - s.min;
    for (int p : TickPositions(h, s)) {
      const int along =
          span > 0 ? g.lo + static_cast<int>((static_cast<std::int64_t>(p) - s.min) * (g.hi - g.lo) / span)
                   : g.lo;
      if (style & (TBS_TOP | TBS_BOTH)) Tick(dc, v, along, g.across_top - kTickLength - 2);
      if (!(style & TBS_TOP) || (style & TBS_BOTH)) Tick(dc, v, along, g.across_top + g.thick + 2);
    }
  }
  RECT thumb = g.thumb;
  if (s.thumb_bitmap != nullptr) {
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, s.thumb_bitmap);
    BitBlt(dc, thumb.left, thumb.top, thumb.right - thumb.left, thumb.bottom - thumb.top, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  } else {
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE | (s.dragging ? BF_FLAT : 0));
  }
  if (s.focused) {
    RECT f = r;
    InflateRect(&f, -1, -1);
    DrawFocusRect(dc, &f);
  }
}

LRESULT TrackbarProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) Attach<TrackState>(h);
  auto sp = Get<TrackState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  TrackState& s = *sp;
  LRESULT result = 0;
  if (HandleFont(h, s, msg, wParam, lParam, &result)) return result;
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Paint(h, dc, s);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s.focused = msg == WM_SETFOCUS;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != h) SetFocus(h);
      const Geometry g = GeometryOf(h, s);
      s.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      SetCapture(h);
      if (PtInRect(&g.thumb, s.pt)) {
        s.dragging = true;
        const int centre =
            Vertical(h) ? (g.thumb.top + g.thumb.bottom) / 2 : (g.thumb.left + g.thumb.right) / 2;
        s.grab = (Vertical(h) ? s.pt.y : s.pt.x) - centre;
        InvalidateRect(h, nullptr, FALSE);
        return 0;
      }
      const int along = Vertical(h) ? s.pt.y : s.pt.x;
      s.paging = along < (Vertical(h) ? g.thumb.top : g.thumb.left) ? -1 : 1;
      PageStep(h, s);
      SetTimer(h, kPageTimer, kFirstDelay, nullptr);
      return 0;
    }
    case WM_MOUSEMOVE:
      s.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (s.dragging) {
        const Geometry g = GeometryOf(h, s);
        const int pos = PosAt(s, g, (Vertical(h) ? s.pt.y : s.pt.x) - s.grab);
        if (pos != s.pos) UserMove(h, s, pos, TB_THUMBTRACK);
      }
      return 0;
    case WM_TIMER:
      if (wParam == kPageTimer) {
        if (s.paging != 0) {
          SetTimer(h, kPageTimer, kRepeatDelay, nullptr);
          PageStep(h, s);
        } else {
          KillTimer(h, kPageTimer);
        }
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
      if (msg == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lParam) == h) return 0;
      const bool dragged = s.dragging, paged = s.paging != 0;
      if (!dragged && !paged) return 0;
      s.dragging = false;
      s.paging = 0;
      KillTimer(h, kPageTimer);
      if (msg == WM_LBUTTONUP && GetCapture() == h) ReleaseCapture();
      InvalidateRect(h, nullptr, FALSE);
      if (dragged) Notify(h, TB_THUMBPOSITION, s.pos);
      if (IsWindow(h)) Notify(h, TB_ENDTRACK, 0);
      return 0;
    }
    case WM_KEYDOWN: {
      int pos = s.pos;
      WORD code;
      switch (wParam) {
        case VK_LEFT:
        case VK_UP:
          pos -= s.line;
          code = TB_LINEUP;
          break;
        case VK_RIGHT:
        case VK_DOWN:
          pos += s.line;
          code = TB_LINEDOWN;
          break;
        case VK_PRIOR:
          pos -= s.page;
          code = TB_PAGEUP;
          break;
        case VK_NEXT:
          pos += s.page;
          code = TB_PAGEDOWN;
          break;
        case VK_HOME:
          pos = s.min;
          code = TB_TOP;
          break;
        case VK_END:
          pos = s.max;
          code = TB_BOTTOM;
          break;
        default:
          return DefWindowProc(h, msg, wParam, lParam);
      }
      s.key_held = true;
      UserMove(h, s, pos, code);
      return 0;
    }
    case WM_KEYUP:
      if (s.key_held) {
        s.key_held = false;
        Notify(h, TB_ENDTRACK, 0);
      }
      return 0;
    case TBM_GETPOS:
      return s.pos;
    case TBM_GETRANGEMIN:
      return s.min;
    case TBM_GETRANGEMAX:
      return s.max;
    case TBM_SETPOS:
      SetPos(h, s, static_cast<int>(static_cast<LONG>(lParam)), wParam != 0);
      return 0;
    case TBM_SETRANGE:
      s.min = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
      s.max = std::max<int>(s.min, static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam))));
      DefaultPage(s);
      s.pos = std::clamp(s.pos, s.min, s.max);
      if (wParam) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case TBM_SETRANGEMIN:
    case TBM_SETRANGEMAX:
      if (msg == TBM_SETRANGEMIN) {
        s.min = static_cast<int>(static_cast<LONG>(lParam));
        s.max = std::max(s.max, s.min);
      } else {
        s.max = static_cast<int>(static_cast<LONG>(lParam));
        s.min = std::min(s.min, s.max);
      }
      DefaultPage(s);
      s.pos = std::clamp(s.pos, s.min, s.max);
      if (wParam) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case TBM_SETTIC: {
      const int p = static_cast<int>(static_cast<LONG>(lParam));
      if (p < s.min || p > s.max) return FALSE;
      s.tics.push_back(p);
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    case TBM_GETTIC: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (i < 0 || i >= static_cast<int>(s.tics.size())) return -1;
      return s.tics[static_cast<std::size_t>(i)];
    }
    case TBM_CLEARTICS:
      s.tics.clear();
      if (wParam) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case TBM_GETNUMTICS:
      return static_cast<LRESULT>(TickPositions(h, s).size());
    case TBM_SETTICFREQ:
      s.freq = std::max(1, static_cast<int>(static_cast<LONG>(wParam)));
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case TBM_SETPAGESIZE: {
      const int old = s.page;
      s.page = static_cast<int>(static_cast<LONG>(lParam));
      s.page_set = true;
      return old;
    }
    case TBM_GETPAGESIZE:
      return s.page;
    case TBM_SETLINESIZE: {
      const int old = s.line;
      s.line = static_cast<int>(static_cast<LONG>(lParam));
      return old;
    }
    case TBM_GETLINESIZE:
      return s.line;
    case TBM_SETTHUMBBITMAP: {
      s.thumb_bitmap = reinterpret_cast<HBITMAP>(wParam);
      s.thumb_size = SIZE{};
      BITMAP bm{};
      if (s.thumb_bitmap != nullptr && GetObject(s.thumb_bitmap, sizeof bm, &bm) != 0)
        s.thumb_size = SIZE{bm.bmWidth, bm.bmHeight};
      else
        s.thumb_bitmap = nullptr;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    }
    case TBM_GETTHUMBRECT:
    case TBM_GETCHANNELRECT: {
      RECT* out = reinterpret_cast<RECT*>(lParam);
      if (out != nullptr) {
        const Geometry g = GeometryOf(h, s);
        *out = msg == TBM_GETTHUMBRECT ? g.thumb : g.channel;
      }
      return 0;
    }
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterTrackbarClass() {
  RegisterControlClass(TRACKBAR_CLASS, TrackbarProc, CS_GLOBALCLASS);
}

}  // namespace controls
