// Scroll bars: the scroll bar control and the scroll bars in the frame of a
// window with WS_HSCROLL or WS_VSCROLL. Both share the model (range, page,
// position), the layout, the drawing and the mouse tracking; a window's own
// bars are tracked through a hidden window that holds the mouse capture
// meanwhile, so the window's procedure sees only its WM_HSCROLL and
// WM_VSCROLL messages.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/gui/controls/control_internal.h"
#include "platform/gui/window_internal.h"

namespace controls {

// Range, page and position of one bar, with the position shown while its
// thumb is dragged.
struct ScrollModel {
  int min = 0;
  int max = 100;
  UINT page = 0;
  int pos = 0;
  int track_pos = 0;
  bool thumb_tracking = false;

  int MaxPos() const {
    const std::int64_t top =
        page > 0 ? static_cast<std::int64_t>(max) - (static_cast<std::int64_t>(page) - 1) : max;
    return static_cast<int>(std::max<std::int64_t>(top, min));
  }
  bool Scrollable() const { return MaxPos() > min; }
  int Shown() const { return thumb_tracking ? track_pos : pos; }
  void Clamp() {
    if (max < min) max = min;
    const std::int64_t span = static_cast<std::int64_t>(max) - min + 1;
    if (static_cast<std::int64_t>(page) > span) page = static_cast<UINT>(span);
    pos = std::clamp(pos, min, MaxPos());
  }
};

namespace {

using Model = ScrollModel;

constexpr UINT_PTR kRepeatTimer = 0xFFF1;
constexpr UINT kFirstDelay = 250;
constexpr UINT kRepeatDelay = 50;
constexpr int kMinThumb = 8;
constexpr const char* kTrackerClass = "KobrixScrollTracker";

enum Part { kNone, kArrowLow, kPageLow, kThumb, kPageHigh, kArrowHigh };

}  // namespace
}  // namespace controls

// A window's own bars, kept in its window record.
struct WindowScrollBars {
  controls::ScrollModel bars[2];
};

namespace controls {
namespace {

struct Layout {
  RECT low{}, high{}, track{}, thumb{};
  bool thumb_shown = false;
};

// Along the bar: start and end of a rectangle on the bar's axis.
int Lo(const RECT& r, bool vertical) {
  return vertical ? r.top : r.left;
}
int Hi(const RECT& r, bool vertical) {
  return vertical ? r.bottom : r.right;
}
RECT Span(const RECT& r, bool vertical, int lo, int hi) {
  return vertical ? RECT{r.left, lo, r.right, hi} : RECT{lo, r.top, hi, r.bottom};
}

Layout LayoutOf(const RECT& r, bool vertical, const Model& m, bool enabled) {
  Layout l;
  const int lo = Lo(r, vertical), hi = Hi(r, vertical);
  const int len = hi - lo;
  const int arrow = std::min(GetSystemMetrics(vertical ? SM_CYVSCROLL : SM_CXHSCROLL), len / 2);
  l.low = Span(r, vertical, lo, lo + arrow);
  l.high = Span(r, vertical, hi - arrow, hi);
  l.track = Span(r, vertical, lo + arrow, hi - arrow);
  const int track_len = len - 2 * arrow;
  if (!enabled || !m.Scrollable() || track_len < kMinThumb) return l;
  const std::int64_t range = static_cast<std::int64_t>(m.max) - m.min + 1;
  int thumb_len;
  if (m.page > 0) {
    thumb_len = static_cast<int>(
        std::max<std::int64_t>(kMinThumb, track_len * static_cast<std::int64_t>(m.page) / range));
  } else {
    thumb_len = GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB);
  }
  thumb_len = std::min(thumb_len, track_len);
  const std::int64_t room = track_len - thumb_len;
  const std::int64_t steps = static_cast<std::int64_t>(m.MaxPos()) - m.min;
  const int offset = static_cast<int>((static_cast<std::int64_t>(m.Shown()) - m.min) * room / steps);
  const int start = lo + arrow + std::clamp<int>(offset, 0, static_cast<int>(room));
  l.thumb = Span(r, vertical, start, start + thumb_len);
  l.thumb_shown = true;
  return l;
}

// The position a thumb whose leading edge is at start stands for.
int PosFromThumb(const Layout& l, bool vertical, const Model& m, int start) {
  const int track_lo = Lo(l.track, vertical);
  const int room = (Hi(l.track, vertical) - track_lo) - (Hi(l.thumb, vertical) - Lo(l.thumb, vertical));
  if (room <= 0) return m.min;
  const std::int64_t steps = static_cast<std::int64_t>(m.MaxPos()) - m.min;
  const std::int64_t off = std::clamp(start - track_lo, 0, room);
  return static_cast<int>(m.min + (off * steps + room / 2) / room);
}

Part HitPart(const Layout& l, bool vertical, POINT p) {
  if (PtInRect(&l.low, p)) return kArrowLow;
  if (PtInRect(&l.high, p)) return kArrowHigh;
  if (!PtInRect(&l.track, p) || !l.thumb_shown) return kNone;
  const int a = vertical ? p.y : p.x;
  if (a < Lo(l.thumb, vertical)) return kPageLow;
  if (a >= Hi(l.thumb, vertical)) return kPageHigh;
  return kThumb;
}

void PaintBar(HDC dc, const RECT& r, bool vertical, const Model& m, bool enabled, Part pressed,
              bool focused) {
  const Layout l = LayoutOf(r, vertical, m, enabled);
  const UINT off = enabled ? 0 : DFCS_INACTIVE;
  RECT a = l.low;
  DrawFrameControl(
      dc, &a, DFC_SCROLL,
      (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | off | (pressed == kArrowLow ? DFCS_PUSHED : 0));
  a = l.high;
  DrawFrameControl(
      dc, &a, DFC_SCROLL,
      (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | off | (pressed == kArrowHigh ? DFCS_PUSHED : 0));
  // The track stands apart from the buttons: where the scroll bar colour is
  // the face's, a shade between the face and the highlight.
  COLORREF track = GetSysColor(COLOR_SCROLLBAR);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (track == face) {
    track = RGB((GetRValue(face) + GetRValue(light)) / 2, (GetGValue(face) + GetGValue(light)) / 2,
                (GetBValue(face) + GetBValue(light)) / 2);
  }
  FillColor(dc, l.track, track);
  if (!l.thumb_shown) return;
  const int v = vertical;
  if (pressed == kPageLow) FillSys(dc, Span(l.track, v, Lo(l.track, v), Lo(l.thumb, v)), COLOR_3DDKSHADOW);
  if (pressed == kPageHigh) FillSys(dc, Span(l.track, v, Hi(l.thumb, v), Hi(l.track, v)), COLOR_3DDKSHADOW);
  RECT t = l.thumb;
  DrawEdge(dc, &t, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  if (focused) {
    InflateRect(&t, -1, -1);
    DrawFocusRect(dc, &t);
  }
}

// ---- Tracking, shared by the control and the window bars ----

struct Track {
  HWND owner = nullptr;    // the control, or the window whose frame has the bar
  int bar = SB_CTL;        // SB_CTL, SB_HORZ or SB_VERT
  HWND capture = nullptr;  // holds the capture and the repeat timer
  Part part = kNone;
  bool over = false;  // the pointer is on the pressed part
  int grab = 0;       // the pointer's offset into the thumb
  POINT pt{};         // the last pointer position, in bar coordinates
};

struct ControlState : State {
  std::shared_ptr<Model> model = std::make_shared<Model>();
  std::unique_ptr<Track> track;
  bool focused = false;
  WORD key_held = 0xFFFF;  // the SB_ code of a key held down
};

thread_local std::unique_ptr<Track> t_window_track;

std::shared_ptr<WindowScrollBars> BarsOf(HWND hwnd, bool create) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return nullptr;
  if (!w->scroll_bars && create) w->scroll_bars = std::make_shared<WindowScrollBars>();
  return w->scroll_bars;
}

std::shared_ptr<Model> ModelOf(HWND owner, int bar, bool create) {
  if (bar == SB_CTL) {
    auto s = Get<ControlState>(owner);
    return s ? s->model : nullptr;
  }
  if (bar != SB_HORZ && bar != SB_VERT) return nullptr;
  auto bars = BarsOf(owner, create);
  if (!bars) return nullptr;
  return std::shared_ptr<Model>(bars, &bars->bars[bar]);
}

// The bar's rectangle: the control's client area, or the bar's place in the
// window (window coordinates).
bool Geometry(HWND owner, int bar, RECT* r, bool* vertical) {
  if (bar == SB_CTL) {
    *vertical = (GetWindowLong(owner, GWL_STYLE) & SBS_VERT) != 0;
    return GetClientRect(owner, r) != FALSE;
  }
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(owner);
  if (w == nullptr) return false;
  const RECT& c = w->client;
  *vertical = bar == SB_VERT;
  if (bar == SB_VERT) {
    if (!(w->style & WS_VSCROLL)) return false;
    *r = RECT{c.right, c.top, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom};
  } else {
    if (!(w->style & WS_HSCROLL)) return false;
    *r = RECT{c.left, c.bottom, c.right, c.bottom + GetSystemMetrics(SM_CYHSCROLL)};
  }
  return true;
}

bool BarEnabled(HWND owner, int bar, const Model& m) {
  if (!IsWindowEnabled(owner)) return false;
  return bar == SB_CTL || m.Scrollable();
}

POINT ToBar(HWND owner, int bar, POINT screen) {
  if (bar == SB_CTL) {
    ScreenToClient(owner, &screen);
    return screen;
  }
  RECT wr;
  GetWindowRect(owner, &wr);
  return POINT{screen.x - wr.left, screen.y - wr.top};
}

void RedrawBar(HWND owner, int bar) {
  if (bar == SB_CTL) {
    InvalidateRect(owner, nullptr, FALSE);
    return;
  }
  if (!IsWindowVisible(owner)) return;
  HDC dc = GetWindowDC(owner);
  if (dc == nullptr) return;
  PaintWindowScrollBars(owner, dc);
  ReleaseDC(owner, dc);
}

void Notify(const Track& t, bool vertical, WORD code, int pos) {
  const UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
  const WPARAM wp = MAKEWPARAM(code, pos);
  if (t.bar == SB_CTL) {
    if (HWND parent = GetParent(t.owner)) SendMessage(parent, msg, wp, reinterpret_cast<LPARAM>(t.owner));
  } else {
    SendMessage(t.owner, msg, wp, 0);
  }
}

WORD CodeOf(Part p) {
  switch (p) {
    case kArrowLow:
      return SB_LINEUP;
    case kArrowHigh:
      return SB_LINEDOWN;
    case kPageLow:
      return SB_PAGEUP;
    case kPageHigh:
      return SB_PAGEDOWN;
    default:
      return SB_ENDSCROLL;
  }
}

// Starts tracking at pt (bar coordinates); false when the press hit nothing.
bool BeginTrack(Track& t, POINT pt) {
  auto m = ModelOf(t.owner, t.bar, false);
  RECT r;
  bool vertical;
  if (!m || !Geometry(t.owner, t.bar, &r, &vertical)) return false;
  const Layout l = LayoutOf(r, vertical, *m, BarEnabled(t.owner, t.bar, *m));
  if (!BarEnabled(t.owner, t.bar, *m) && t.bar != SB_CTL) return false;
  t.part = HitPart(l, vertical, pt);
  if (t.part == kNone) return false;
  t.pt = pt;
  t.over = true;
  if (t.part == kThumb) {
    m->thumb_tracking = true;
    m->track_pos = m->pos;
    t.grab = (vertical ? pt.y : pt.x) - Lo(l.thumb, vertical);
    RedrawBar(t.owner, t.bar);
    return true;
  }
  RedrawBar(t.owner, t.bar);
  SetTimer(t.capture, kRepeatTimer, kFirstDelay, nullptr);
  Notify(t, vertical, CodeOf(t.part), 0);
  return true;
}

void MoveTrack(Track& t, POINT pt) {
  auto m = ModelOf(t.owner, t.bar, false);
  RECT r;
  bool vertical;
  if (!m || !Geometry(t.owner, t.bar, &r, &vertical)) return;
  t.pt = pt;
  const Layout l = LayoutOf(r, vertical, *m, BarEnabled(t.owner, t.bar, *m));
  if (t.part == kThumb) {
    if (!l.thumb_shown) return;
    const int pos = PosFromThumb(l, vertical, *m, (vertical ? pt.y : pt.x) - t.grab);
    if (pos == m->track_pos) return;
    m->track_pos = pos;
    RedrawBar(t.owner, t.bar);
    Notify(t, vertical, SB_THUMBTRACK, pos);
    return;
  }
  const bool over = HitPart(l, vertical, pt) == t.part;
  if (over != t.over) {
    t.over = over;
    RedrawBar(t.owner, t.bar);
  }
}

// The repeat timer: a held arrow or page area scrolls again, a page area
// until the thumb reaches the pointer.
void TickTrack(Track& t) {
  SetTimer(t.capture, kRepeatTimer, kRepeatDelay, nullptr);
  auto m = ModelOf(t.owner, t.bar, false);
  RECT r;
  bool vertical;
  if (!m || !Geometry(t.owner, t.bar, &r, &vertical) || t.part == kThumb) return;
  const Layout l = LayoutOf(r, vertical, *m, BarEnabled(t.owner, t.bar, *m));
  t.over = HitPart(l, vertical, t.pt) == t.part;
  if (t.over) Notify(t, vertical, CodeOf(t.part), 0);
}

void EndTrack(Track& t) {
  KillTimer(t.capture, kRepeatTimer);
  auto m = ModelOf(t.owner, t.bar, false);
  RECT r;
  bool vertical;
  if (!m || !Geometry(t.owner, t.bar, &r, &vertical)) return;
  const Part part = t.part;
  t.part = kNone;
  if (part == kThumb) {
    m->thumb_tracking = false;
    RedrawBar(t.owner, t.bar);
    Notify(t, vertical, SB_THUMBPOSITION, m->track_pos);
  } else {
    RedrawBar(t.owner, t.bar);
  }
  if (IsWindow(t.owner)) Notify(t, vertical, SB_ENDSCROLL, 0);
}

Part PressedPart(const Track* t) {
  return t != nullptr && t->over ? t->part : kNone;
}

// ---- The window bars' tracker ----

void FinishWindowTrack() {
  std::unique_ptr<Track> t = std::move(t_window_track);
  if (!t) return;
  if (GetCapture() == t->capture) ReleaseCapture();
  EndTrack(*t);
  DestroyWindow(t->capture);
}

LRESULT TrackerProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  Track* t = t_window_track.get();
  const bool mine = t != nullptr && t->capture == h;
  auto bar_point = [&](LPARAM lp) {
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ClientToScreen(h, &p);
    return ToBar(t->owner, t->bar, p);
  };
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
      if (mine) MoveTrack(*t, bar_point(lParam));
      return 0;
    case WM_LBUTTONUP:
      if (mine) {
        MoveTrack(*t, bar_point(lParam));
        FinishWindowTrack();
      }
      return 0;
    case WM_TIMER:
      if (mine && wParam == kRepeatTimer) TickTrack(*t);
      return 0;
    case WM_CAPTURECHANGED:
      if (mine && reinterpret_cast<HWND>(lParam) != h) FinishWindowTrack();
      return 0;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

// ---- The control ----

void KeyScroll(HWND h, ControlState& s, WORD code) {
  Track t;
  t.owner = h;
  t.bar = SB_CTL;
  Notify(t, (GetWindowLong(h, GWL_STYLE) & SBS_VERT) != 0, code, 0);
  s.key_held = code;
}

LRESULT ScrollBarProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) Attach<ControlState>(h);
  auto sp = Get<ControlState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  ControlState& s = *sp;
  Model& m = *s.model;
  const bool vertical = (GetWindowLong(h, GWL_STYLE) & SBS_VERT) != 0;
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      PaintBar(dc, r, vertical, m, IsWindowEnabled(h) != FALSE, PressedPart(s.track.get()), s.focused);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (s.track) return 0;
      if ((GetWindowLong(h, GWL_STYLE) & WS_TABSTOP) && GetFocus() != h) SetFocus(h);
      auto t = std::make_unique<Track>();
      t->owner = h;
      t->bar = SB_CTL;
      t->capture = h;
      s.track = std::move(t);
      SetCapture(h);
      if (!BeginTrack(*s.track, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
        s.track.reset();
        if (GetCapture() == h) ReleaseCapture();
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s.track) MoveTrack(*s.track, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
      if (s.track) {
        MoveTrack(*s.track, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        std::unique_ptr<Track> t = std::move(s.track);
        if (GetCapture() == h) ReleaseCapture();
        EndTrack(*t);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (s.track && reinterpret_cast<HWND>(lParam) != h) {
        std::unique_ptr<Track> t = std::move(s.track);
        EndTrack(*t);
      }
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer && s.track) TickTrack(*s.track);
      return 0;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_UP:
        case VK_LEFT:
          KeyScroll(h, s, SB_LINEUP);
          return 0;
        case VK_DOWN:
        case VK_RIGHT:
          KeyScroll(h, s, SB_LINEDOWN);
          return 0;
        case VK_PRIOR:
          KeyScroll(h, s, SB_PAGEUP);
          return 0;
        case VK_NEXT:
          KeyScroll(h, s, SB_PAGEDOWN);
          return 0;
        case VK_HOME:
          KeyScroll(h, s, SB_TOP);
          return 0;
        case VK_END:
          KeyScroll(h, s, SB_BOTTOM);
          return 0;
      }
      break;
    case WM_KEYUP:
      if (s.key_held != 0xFFFF) {
        s.key_held = 0xFFFF;
        Track t;
        t.owner = h;
        Notify(t, vertical, SB_ENDSCROLL, 0);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s.focused = msg == WM_SETFOCUS;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case SBM_SETPOS: {
      const int old = m.pos;
      m.pos = static_cast<int>(wParam);
      m.Clamp();
      if (lParam && m.pos != old) InvalidateRect(h, nullptr, FALSE);
      return old;
    }
    case SBM_GETPOS:
      return m.pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      const int old = m.pos;
      m.min = static_cast<int>(wParam);
      m.max = static_cast<int>(lParam);
      m.Clamp();
      if (msg == SBM_SETRANGEREDRAW) InvalidateRect(h, nullptr, FALSE);
      return old;
    }
    case SBM_GETRANGE:
      if (wParam != 0) *reinterpret_cast<LPINT>(wParam) = m.min;
      if (lParam != 0) *reinterpret_cast<LPINT>(lParam) = m.max;
      return 0;
    case SBM_SETSCROLLINFO: {
      const auto* si = reinterpret_cast<LPCSCROLLINFO>(lParam);
      if (si == nullptr) return m.pos;
      if (si->fMask & SIF_RANGE) m.min = si->nMin, m.max = si->nMax;
      if (si->fMask & SIF_PAGE) m.page = si->nPage;
      if (si->fMask & SIF_POS) m.pos = si->nPos;
      m.Clamp();
      if (wParam) InvalidateRect(h, nullptr, FALSE);
      return m.pos;
    }
    case SBM_GETSCROLLINFO: {
      auto* si = reinterpret_cast<LPSCROLLINFO>(lParam);
      if (si == nullptr) return FALSE;
      if (si->fMask & SIF_RANGE) si->nMin = m.min, si->nMax = m.max;
      if (si->fMask & SIF_PAGE) si->nPage = m.page;
      if (si->fMask & SIF_POS) si->nPos = m.pos;
      if (si->fMask & SIF_TRACKPOS) si->nTrackPos = m.thumb_tracking ? m.track_pos : m.pos;
      return TRUE;
    }
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

// Shows or hides a window bar by its style bit; the frame is recomputed.
void ShowWindowBar(HWND hwnd, int bar, bool show) {
  const DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  const DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
  if (((style & bit) != 0) == show) return;
  SetWindowLong(hwnd, GWL_STYLE, static_cast<LONG>(show ? (style | bit) : (style & ~bit)));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool IsScrollTracker(HWND h) {
  if (h == nullptr) return false;
  char name[32];
  return GetClassName(h, name, sizeof name) > 0 && std::strcmp(name, kTrackerClass) == 0;
}

void RegisterScrollBarClass() {
  RegisterControlClass(WC_SCROLLBAR, ScrollBarProc, CS_DBLCLKS | CS_GLOBALCLASS);
  WNDCLASS tracker;
  tracker.lpfnWndProc = TrackerProc;
  tracker.lpszClassName = kTrackerClass;
  RegisterClass(&tracker);
}

}  // namespace controls

using namespace controls;

void PaintWindowScrollBars(HWND hwnd, HDC dc) {
  auto bars = BarsOf(hwnd, true);
  if (!bars) return;
  const Track* t = t_window_track.get();
  if (t != nullptr && t->owner != hwnd) t = nullptr;
  bool both = true;
  for (int bar : {SB_HORZ, SB_VERT}) {
    RECT r;
    bool vertical;
    if (!Geometry(hwnd, bar, &r, &vertical)) {
      both = false;
      continue;
    }
    const Model& m = bars->bars[bar];
    const Part pressed = t != nullptr && t->bar == bar ? PressedPart(t) : kNone;
    PaintBar(dc, r, vertical, m, BarEnabled(hwnd, bar, m), pressed, false);
  }
  if (both) {
    RECT v, hr;
    bool vertical;
    Geometry(hwnd, SB_VERT, &v, &vertical);
    Geometry(hwnd, SB_HORZ, &hr, &vertical);
    FillSys(dc, RECT{v.left, hr.top, v.right, hr.bottom}, COLOR_BTNFACE);
  }
}

void TrackWindowScrollBar(HWND hwnd, int bar, POINT screen) {
  if (t_window_track) return;
  HWND tracker = CreateWindowEx(WS_EX_TOOLWINDOW, kTrackerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                nullptr, nullptr);
  if (tracker == nullptr) return;
  auto t = std::make_unique<Track>();
  t->owner = hwnd;
  t->bar = bar;
  t->capture = tracker;
  t_window_track = std::move(t);
  SetCapture(tracker);
  if (!BeginTrack(*t_window_track, ToBar(hwnd, bar, screen))) {
    t_window_track.reset();
    if (GetCapture() == tracker) ReleaseCapture();
    DestroyWindow(tracker);
  }
}

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO si, BOOL redraw) {
  if (si == nullptr) return 0;
  if (bar == SB_CTL)
    return static_cast<int>(SendMessage(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(si)));
  auto m = ModelOf(hwnd, bar, true);
  if (!m) return 0;
  if (si->fMask & SIF_RANGE) m->min = si->nMin, m->max = si->nMax;
  if (si->fMask & SIF_PAGE) m->page = si->nPage;
  if (si->fMask & SIF_POS) m->pos = si->nPos;
  m->Clamp();
  if (si->fMask & (SIF_RANGE | SIF_PAGE)) {
    // The bar shows while there is something to scroll; with
    // SIF_DISABLENOSCROLL it stays, disabled.
    const bool needed = m->Scrollable();
    const bool keep = !needed && (si->fMask & SIF_DISABLENOSCROLL);
    ShowWindowBar(hwnd, bar, needed || keep);
  }
  if (redraw) RedrawBar(hwnd, bar);
  return m->pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO si) {
  if (si == nullptr) return FALSE;
  if (bar == SB_CTL)
    return static_cast<BOOL>(SendMessage(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(si)));
  const DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  auto bars = BarsOf(hwnd, false);
  if (!bars && !(GetWindowLong(hwnd, GWL_STYLE) & bit)) return FALSE;
  auto m = ModelOf(hwnd, bar, true);
  if (!m) return FALSE;
  if (si->fMask & SIF_RANGE) si->nMin = m->min, si->nMax = m->max;
  if (si->fMask & SIF_PAGE) si->nPage = m->page;
  if (si->fMask & SIF_POS) si->nPos = m->pos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = m->thumb_tracking ? m->track_pos : m->pos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  if (bar == SB_CTL) return static_cast<int>(SendMessage(hwnd, SBM_SETPOS, static_cast<WPARAM>(pos), redraw));
  auto m = ModelOf(hwnd, bar, true);
  if (!m) return 0;
  const int old = m->pos;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  SCROLLINFO si;
  si.fMask = SIF_POS;
  return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw) {
  if (bar == SB_CTL) {
    SendMessage(hwnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(min), max);
    return TRUE;
  }
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = min;
  si.nMax = max;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return IsWindow(hwnd);
}

BOOL GetScrollRange(HWND hwnd, int bar, LPINT min, LPINT max) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  if (!GetScrollInfo(hwnd, bar, &si)) {
    if (min != nullptr) *min = 0;
    if (max != nullptr) *max = 0;
    return FALSE;
  }
  if (min != nullptr) *min = si.nMin;
  if (max != nullptr) *max = si.nMax;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  if (!IsWindow(hwnd)) return FALSE;
  if (bar == SB_CTL) {
    ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
    return TRUE;
  }
  if (bar == SB_HORZ || bar == SB_BOTH) ShowWindowBar(hwnd, SB_HORZ, show != FALSE);
  if (bar == SB_VERT || bar == SB_BOTH) ShowWindowBar(hwnd, SB_VERT, show != FALSE);
  return TRUE;
}
