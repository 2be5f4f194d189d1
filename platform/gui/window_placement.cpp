// Placement of windows, the window manager's half of the window system:
// moving, sizing, showing and hiding, minimising, maximising and restoring,
// and the z-order of siblings and of top-level windows. Creation, the tree
// and look-ups stay in window.cpp.
#include <algorithm>
#include <cstring>

#include "platform/gui/backend.h"
#include "platform/gui/modal.h"
#include "platform/gui/window_internal.h"

// ---- Z-order ----

// Places a top-level window in the z-order: after the topmost band when it
// is not topmost, at the top of its band otherwise. Modal dialogs and boxes
// lie above both bands.
void InsertTopLocked(HWND h, bool topmost) {
  auto& top = TopLevelOrder();
  top.erase(std::remove(top.begin(), top.end(), h), top.end());
  std::size_t pos = 0;
  if (!IsModalWindow(h)) {
    while (pos < top.size() && IsModalWindow(top[pos])) ++pos;
    while (!topmost && pos < top.size()) {
      Window* o = FindWindowRecord(top[pos]);
      if (o == nullptr || !(o->ex_style & WS_EX_TOPMOST)) break;
      ++pos;
    }
  }
  top.insert(top.begin() + static_cast<std::ptrdiff_t>(pos), h);
}

// Keeps owned windows above their owners: each window owned by h moves to
// just above h, keeping their relative order.
void LiftOwnedLocked(HWND h) {
  auto& top = TopLevelOrder();
  std::vector<HWND> owned;
  for (HWND t : top) {
    Window* o = FindWindowRecord(t);
    if (o != nullptr && o->owner == h) owned.push_back(t);
  }
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    top.erase(std::remove(top.begin(), top.end(), *it), top.end());
    auto pos = std::find(top.begin(), top.end(), h);
    top.insert(pos, *it);
  }
  for (HWND o : owned) LiftOwnedLocked(o);
}

// ---- Where the window system opens a window ----

namespace {

// How much further than a top-level window's own frame the desktop's frame
// reaches on each side (the desktop may draw a taller caption).
RECT ExtraDecoration(DWORD style, DWORD ex_style) {
  if ((style & WS_CAPTION) != WS_CAPTION) return RECT{};
  const RECT deco = Backend().Decoration();
  const RECT own = NonClientInsets(style & ~(WS_VSCROLL | WS_HSCROLL), ex_style, false, false);
  return RECT{std::max<LONG>(0, deco.left - own.left), std::max<LONG>(0, deco.top - own.top),
              std::max<LONG>(0, deco.right - own.right), std::max<LONG>(0, deco.bottom - own.bottom)};
}

RECT Outset(const RECT& r, const RECT& by) {
  return RECT{r.left - by.left, r.top - by.top, r.right + by.right, r.bottom + by.bottom};
}

// The owner's caption and menu bar on the screen, as far as its frame
// reaches; false when the owner shows none.
bool OwnerHeadLocked(HWND owner, RECT* head) {
  Window* o = owner != nullptr ? FindWindowRecord(owner) : nullptr;
  if (o == nullptr || !(o->style & WS_VISIBLE) || (o->style & WS_MINIMIZE)) return false;
  const RECT whole = Outset(o->rect, ExtraDecoration(o->style, o->ex_style));
  *head = RECT{whole.left, whole.top, whole.right, o->rect.top + o->client.top};
  return head->bottom > head->top;
}

}  // namespace

RECT PlaceOwnedLocked(const RECT& rect, DWORD style, DWORD ex_style, HWND owner) {
  const RECT extra = ExtraDecoration(style, ex_style);
  const RECT whole = Outset(rect, extra);
  const RECT work = Backend().WorkArea();
  const int w = whole.right - whole.left, h = whole.bottom - whole.top;
  int x = std::max<int>(work.left, std::min<int>(whole.left, work.right - w));
  int y = std::max<int>(work.top, std::min<int>(whole.top, work.bottom - h));
  RECT head;
  if (OwnerHeadLocked(owner, &head) && x < head.right && x + w > head.left && y < head.bottom &&
      y + h > head.top && head.bottom + h <= work.bottom)
    y = head.bottom;
  return OffsetRectBy(rect, x - whole.left, y - whole.top);
}

// ---- Moving, sizing, showing ----

namespace {

std::shared_ptr<Surface> ResizedSurface(const Surface& old, int width, int height) {
  auto s = Surface::Create(width, height, 32);
  const int w = std::min(width, old.width()), h = std::min(height, old.height());
  for (int y = 0; y < h; ++y) std::memcpy(s->Row(y), old.Row(y), static_cast<std::size_t>(w) * 4);
  return s;
}

// The part of parent's client area where child sits, for invalidation.
void InvalidateParentArea(HWND parent, const RECT& area) {
  if (parent == nullptr) return;
  RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

struct PosChange {
  bool moved = false;
  bool sized = false;
  bool shown = false;
  bool hidden = false;
  bool zorder = false;
  HWND parent = nullptr;
  RECT old_rect{};  // parent client coordinates
  RECT new_rect{};
};

}  // namespace

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
  WINDOWPOS wp;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return FALSE;
    wp.hwnd = hwnd;
    wp.hwndInsertAfter = after;
    wp.x = (flags & SWP_NOMOVE) ? w->rect.left : x;
    wp.y = (flags & SWP_NOMOVE) ? w->rect.top : y;
    wp.cx = (flags & SWP_NOSIZE) ? w->rect.right - w->rect.left : std::max(cx, 0);
    wp.cy = (flags & SWP_NOSIZE) ? w->rect.bottom - w->rect.top : std::max(cy, 0);
    wp.flags = flags;
    if ((flags & SWP_SHOWWINDOW) && (w->style & WS_VISIBLE)) wp.flags &= ~SWP_SHOWWINDOW;
    if ((flags & SWP_HIDEWINDOW) && !(w->style & WS_VISIBLE)) wp.flags &= ~SWP_HIDEWINDOW;
  }
  if (!(flags & SWP_NOSENDCHANGING))
    SendMessage(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
  PosChange ch;
  DWORD style_now = 0;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return FALSE;
    ch.parent = w->parent;
    ch.old_rect = w->rect;
    const RECT nr{wp.x, wp.y, wp.x + std::max(wp.cx, 0), wp.y + std::max(wp.cy, 0)};
    ch.moved = nr.left != w->rect.left || nr.top != w->rect.top;
    ch.sized = (nr.right - nr.left) != (w->rect.right - w->rect.left) ||
               (nr.bottom - nr.top) != (w->rect.bottom - w->rect.top);
    w->rect = nr;
    if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) w->normal_rect = nr;
    const RECT old_client = w->client;
    if (ch.sized || (wp.flags & SWP_FRAMECHANGED)) {
      w->client = ComputeClientLocked(*w);
      // A new surface, so that a thread drawing into the old one meanwhile
      // never writes outside it.
      if (w->surface) w->surface = ResizedSurface(*w->surface, std::max(wp.cx, 1), std::max(wp.cy, 1));
    }
    const bool client_sized = (old_client.right - old_client.left) != (w->client.right - w->client.left) ||
                              (old_client.bottom - old_client.top) != (w->client.bottom - w->client.top);
    const bool client_moved =
        ch.moved || old_client.left != w->client.left || old_client.top != w->client.top;
    // What WM_WINDOWPOSCHANGED reports: WM_SIZE and WM_MOVE follow real changes
    // only, and a new frame (a scroll bar shown) that resizes the client is one.
    if (!ch.sized && !client_sized) wp.flags |= SWP_NOSIZE;
    if (client_sized) wp.flags &= ~SWP_NOSIZE;
    if (!client_moved) wp.flags |= SWP_NOMOVE;
    if (wp.flags & SWP_SHOWWINDOW) {
      w->style |= WS_VISIBLE;
      ch.shown = true;
    }
    if (wp.flags & SWP_HIDEWINDOW) {
      w->style &= ~WS_VISIBLE;
      ch.hidden = true;
    }
    if (!(wp.flags & SWP_NOZORDER)) {
      ch.zorder = true;
      HWND ia = wp.hwndInsertAfter;
      std::vector<HWND>* list = &TopLevelOrder();
      if (w->parent != nullptr) list = &FindWindowRecord(w->parent)->children;
      if (w->parent == nullptr && (ia == HWND_TOPMOST || ia == HWND_NOTOPMOST)) {
        if (ia == HWND_TOPMOST) {
          w->ex_style |= WS_EX_TOPMOST;
        } else {
          w->ex_style &= ~WS_EX_TOPMOST;
        }
        InsertTopLocked(hwnd, ia == HWND_TOPMOST);
      } else if (ia == HWND_TOP || ia == HWND_TOPMOST || ia == HWND_NOTOPMOST) {
        if (w->parent == nullptr) {
          InsertTopLocked(hwnd, (w->ex_style & WS_EX_TOPMOST) != 0);
        } else {
          list->erase(std::remove(list->begin(), list->end(), hwnd), list->end());
          list->insert(list->begin(), hwnd);
        }
      } else if (ia == HWND_BOTTOM) {
        if (w->parent == nullptr) w->ex_style &= ~WS_EX_TOPMOST;
        list->erase(std::remove(list->begin(), list->end(), hwnd), list->end());
        list->push_back(hwnd);
      } else {
        auto pos = std::find(list->begin(), list->end(), ia);
        if (pos != list->end() && ia != hwnd) {
          list->erase(std::remove(list->begin(), list->end(), hwnd), list->end());
          pos = std::find(list->begin(), list->end(), ia);
          list->insert(pos + 1, hwnd);
          if (w->parent == nullptr) {
            Window* a = FindWindowRecord(ia);
            if (a != nullptr && !(a->ex_style & WS_EX_TOPMOST)) w->ex_style &= ~WS_EX_TOPMOST;
          }
        }
      }
      if (w->parent == nullptr && !(wp.flags & SWP_NOOWNERZORDER)) LiftOwnedLocked(hwnd);
    }
    ch.new_rect = w->rect;
    style_now = w->style;
    if (ch.sized || ch.moved || ch.shown || ch.hidden || ch.zorder || (wp.flags & SWP_FRAMECHANGED))
      BumpLayout();
    if (ch.shown || ch.sized || (wp.flags & SWP_FRAMECHANGED)) {
      // Show and size redraw the whole window.
      w->frame_pending = true;
      if (!(wp.flags & SWP_NOREDRAW)) {
        w->update.Set(RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top});
        w->erase_pending = true;
      }
    }
  }
  if (ch.shown || ch.sized || (wp.flags & SWP_FRAMECHANGED)) {
    if (!(wp.flags & SWP_NOREDRAW))
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  }
  if (ch.parent != nullptr && !(wp.flags & SWP_NOREDRAW)) {
    // Uncovered and covered parts of the parent repaint.
    if (ch.hidden || ((ch.moved || ch.sized) && (style_now & WS_VISIBLE)))
      InvalidateParentArea(ch.parent, ch.old_rect);
    if (ch.shown || ((ch.moved || ch.sized) && (style_now & WS_VISIBLE))) {
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }
  }
  if (ch.shown || ch.hidden) {
    WakeThread(GetWindowThreadProcessId(hwnd, nullptr));
  }
  Backend().WindowChanged(hwnd);
  SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  if (ch.hidden && ch.parent == nullptr) ActivateAfterHide(hwnd);
  if (ch.shown && ch.parent == nullptr && !(flags & SWP_NOACTIVATE)) ActivateOnShow(hwnd);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace {

// Moves between normal, minimised and maximised placement.
void ChangeState(HWND hwnd, int target /*0 normal, 1 min, 2 max*/, UINT extra_flags) {
  RECT nr{};
  bool child = false;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return;
    const int now = (w->style & WS_MINIMIZE) ? 1 : (w->style & WS_MAXIMIZE) ? 2 : 0;
    child = w->parent != nullptr;
    if (now == target) {
      nr = w->rect;
    } else {
      if (now == 0) w->normal_rect = w->rect;
      w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
      if (target == 1) {
        w->style |= WS_MINIMIZE;
        const int mw = GetSystemMetrics(SM_CXMINIMIZED), mh = GetSystemMetrics(SM_CYMINIMIZED);
        nr = child ? RECT{0, 0, mw, mh} : RECT{-32000, -32000, -32000 + mw, -32000 + mh};
      } else if (target == 2) {
        w->style |= WS_MAXIMIZE;
        if (child) {
          Window* p = FindWindowRecord(w->parent);
          nr = RECT{0, 0, p->client.right - p->client.left, p->client.bottom - p->client.top};
          const RECT in = NonClientInsets(w->style, w->ex_style, false, true);
          nr.left -= in.left, nr.top -= in.top, nr.right += in.right, nr.bottom += in.bottom;
        } else {
          // The sizing frame lies outside the screen, as usual for maximised windows.
          const RECT s = Backend().Screen();
          const int f = (w->style & WS_THICKFRAME) ? GetSystemMetrics(SM_CXFRAME) : 0;
          nr = RECT{s.left - f, s.top - f, s.right + f, s.bottom + f};
        }
      } else {
        nr = w->normal_rect;
      }
    }
  }
  SetWindowPos(hwnd, nullptr, nr.left, nr.top, nr.right - nr.left, nr.bottom - nr.top,
               SWP_NOZORDER | SWP_FRAMECHANGED | extra_flags);
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int cmd) {
  DWORD style;
  bool top_level;
  bool no_activate;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return FALSE;
    style = w->style;
    top_level = w->parent == nullptr;
    no_activate = (w->ex_style & WS_EX_NOACTIVATE) != 0;
  }
  const bool was_visible = (style & WS_VISIBLE) != 0;
  int state = -1;  // placement change
  bool show = true;
  bool activate = top_level && !no_activate;
  switch (cmd) {
    case SW_HIDE:
      show = false;
      activate = false;
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      if (style & (WS_MINIMIZE | WS_MAXIMIZE)) state = 0;
      break;
    case SW_SHOWNOACTIVATE:
      if (style & (WS_MINIMIZE | WS_MAXIMIZE)) state = 0;
      activate = false;
      break;
    case SW_SHOWMINIMIZED:
      state = 1;
      break;
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
      state = 1;
      activate = false;
      break;
    case SW_SHOWMAXIMIZED:
      state = 2;
      break;
    case SW_SHOW:
      break;
    case SW_SHOWNA:
      activate = false;
      break;
    default:
      return was_visible ? TRUE : FALSE;
  }
  if (show != was_visible) SendMessage(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (state >= 0) ChangeState(hwnd, state, SWP_NOACTIVATE);
  if (show && !was_visible) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (!show && was_visible) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (show && activate && top_level && IsWindow(hwnd)) {
    SetActiveWindow(hwnd);
  }
  if (cmd == SW_MINIMIZE && top_level && GetActiveWindow() == hwnd) ActivateAfterHide(hwnd);
  Backend().WindowChanged(hwnd);
  return was_visible ? TRUE : FALSE;
}

BOOL CloseWindow(HWND hwnd) {
  return ShowWindow(hwnd, SW_MINIMIZE);
}
BOOL OpenIcon(HWND hwnd) {
  return ShowWindow(hwnd, SW_RESTORE);
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* wp) {
  if (wp == nullptr) return FALSE;
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return FALSE;
  wp->length = sizeof(WINDOWPLACEMENT);
  wp->flags = 0;
  if (!(w->style & WS_VISIBLE)) {
    wp->showCmd = SW_HIDE;
  } else if (w->style & WS_MINIMIZE) {
    wp->showCmd = SW_SHOWMINIMIZED;
  } else if (w->style & WS_MAXIMIZE) {
    wp->showCmd = SW_SHOWMAXIMIZED;
  } else {
    wp->showCmd = SW_SHOWNORMAL;
  }
  wp->ptMinPosition = POINT{-1, -1};
  wp->ptMaxPosition = POINT{-1, -1};
  wp->rcNormalPosition = (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? w->normal_rect : w->rect;
  return TRUE;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* wp) {
  if (wp == nullptr || !IsWindow(hwnd)) return FALSE;
  const RECT& r = wp->rcNormalPosition;
  bool normal_now;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return FALSE;
    normal_now = !(w->style & (WS_MINIMIZE | WS_MAXIMIZE));
    w->normal_rect = r;
  }
  if (normal_now) {
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(hwnd, static_cast<int>(wp->showCmd));
  return TRUE;
}
