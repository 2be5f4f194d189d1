// Invalidation, WM_PAINT, window device contexts and scrolling.
#include <algorithm>
#include <functional>

#include "platform/gui/backend.h"
#include "platform/gui/window_internal.h"

namespace {

constexpr std::size_t kMaxUpdateRects = 32;

void AddUpdate(Window& w, const Region& area) {
  w.update.Union(area);
  w.update.Intersect(RECT{0, 0, w.client.right - w.client.left, w.client.bottom - w.client.top});
  // Many small invalidations fold into their bounds.
  if (w.update.Rects().size() > kMaxUpdateRects) w.update.Set(w.update.Bounds());
}

// Applies RedrawWindow flags to w and, as the flags say, to its children;
// area is in w's client coordinates. Collects the threads to wake.
void RedrawLocked(Window& w, const Region& area, UINT flags, bool whole_frame, std::vector<DWORD>& threads) {
  if (flags & RDW_INVALIDATE) {
    AddUpdate(w, area);
    if (flags & RDW_ERASE) w.erase_pending = true;
    if ((flags & RDW_FRAME) || whole_frame) w.frame_pending = true;
    if (flags & RDW_INTERNALPAINT) w.internal_paint = true;
    threads.push_back(w.thread);
  }
  if (flags & RDW_VALIDATE) {
    w.update.Subtract(area);
    if (flags & RDW_NOERASE) w.erase_pending = false;
    if (flags & RDW_NOFRAME) w.frame_pending = false;
    if (flags & RDW_NOINTERNALPAINT) w.internal_paint = false;
  }
  const bool children =
      (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w.style & WS_CLIPCHILDREN));
  if (!children) return;
  for (HWND c : w.children) {
    Window* cw = FindWindowRecord(c);
    if (cw == nullptr || !(cw->style & WS_VISIBLE)) continue;
    if (!area.Overlaps(cw->rect)) continue;
    Region sub = area;
    sub.Intersect(cw->rect);
    // Into the child's client coordinates.
    sub.Offset(-(cw->rect.left + cw->client.left), -(cw->rect.top + cw->client.top));
    const RECT cc{0, 0, cw->client.right - cw->client.left, cw->client.bottom - cw->client.top};
    Region inner = sub;
    inner.Intersect(cc);
    // Touching the child's frame repaints it.
    const bool frame = (flags & RDW_INVALIDATE) && !sub.SameAs(inner);
    RedrawLocked(*cw, sub, flags, frame, threads);
  }
}

bool NeedsPaint(const Window& w) {
  return w.redraw && (!w.update.Empty() || w.frame_pending || w.internal_paint);
}

HWND FindPaintLocked(Window* w, HWND filter) {
  if (!(w->style & WS_VISIBLE)) return nullptr;
  if (NeedsPaint(*w) && MatchesFilter(w->handle, filter) && !w->painting) return w->handle;
  if (w->style & WS_MINIMIZE) return nullptr;
  // Lower siblings first, so that higher ones paint over them.
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
    Window* c = FindWindowRecord(*it);
    if (c == nullptr) continue;
    HWND h = FindPaintLocked(c, filter);
    if (h != nullptr) return h;
  }
  return nullptr;
}

Region WholeClient(const Window& w) {
  return Region(RECT{0, 0, w.client.right - w.client.left, w.client.bottom - w.client.top});
}

}  // namespace

HWND FirstWindowNeedingPaint(DWORD thread, HWND filter) {
  std::lock_guard<std::mutex> hold(TreeLock());
  for (HWND h : TopLevelOrder()) {
    Window* w = FindWindowRecord(h);
    if (w == nullptr || w->thread != thread) continue;
    HWND found = FindPaintLocked(w, filter);
    if (found != nullptr) return found;
  }
  return nullptr;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags) {
  std::vector<HWND> targets;
  if (hwnd == nullptr || hwnd == GetDesktopWindow()) {
    std::lock_guard<std::mutex> hold(TreeLock());
    targets = TopLevelOrder();
    rect = nullptr;
    region = nullptr;
  } else {
    targets.push_back(hwnd);
  }
  std::vector<DWORD> threads;
  for (HWND h : targets) {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(h);
    if (w == nullptr) {
      if (targets.size() == 1) return FALSE;
      continue;
    }
    Region area;
    if (region != nullptr) {
      auto rg = GdiGet<RegionObject>(reinterpret_cast<HGDIOBJ>(region), GdiKind::kRegion);
      if (rg) area = rg->region;
    } else if (rect != nullptr) {
      area.Set(*rect);
    } else {
      area = WholeClient(*w);
      // The children's frames are covered as well.
      const RECT big{-(1 << 20), -(1 << 20), 1 << 20, 1 << 20};
      area.Set(big);
    }
    RedrawLocked(*w, area, flags, (flags & RDW_FRAME) != 0, threads);
  }
  std::sort(threads.begin(), threads.end());
  threads.erase(std::unique(threads.begin(), threads.end()), threads.end());
  for (DWORD t : threads) WakeThread(t);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
    for (HWND h : targets) UpdateWindow(h);
  }
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
  if (region == nullptr) return InvalidateRect(hwnd, nullptr, erase);
  return RedrawWindow(hwnd, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  if (rect == nullptr) {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return FALSE;
    w->update.Clear();
    w->erase_pending = false;
    w->internal_paint = false;
    return TRUE;
  }
  return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
  if (region == nullptr) return ValidateRect(hwnd, nullptr);
  return RedrawWindow(hwnd, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL UpdateWindow(HWND hwnd) {
  // The window, then its children, each painted at most once here.
  std::vector<HWND> order;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    std::function<void(Window*)> walk = [&](Window* w) {
      if (!(w->style & WS_VISIBLE)) return;
      if (NeedsPaint(*w)) order.push_back(w->handle);
      for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        if (Window* c = FindWindowRecord(*it)) walk(c);
      }
    };
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return FALSE;
    walk(w);
  }
  for (HWND h : order) {
    bool still = false;
    {
      std::lock_guard<std::mutex> hold(TreeLock());
      Window* w = FindWindowRecord(h);
      still = w != nullptr && NeedsPaint(*w) && !w->painting && w->thread == CurrentGuiThread();
    }
    if (still) SendMessage(h, WM_PAINT, 0, 0);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return FALSE;
  const RECT b = w->update.Bounds();
  if (rect != nullptr) *rect = b;
  return RectEmpty(b) ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL) {
  auto rg = GdiGet<RegionObject>(reinterpret_cast<HGDIOBJ>(region), GdiKind::kRegion);
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr || !rg) return ERROR;
  rg->region = w->update;
  return rg->region.Complexity();
}

// ---- Device contexts ----

bool ResolveWindowTarget(HWND hwnd, bool whole, WindowTarget* t) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return false;
  Window* root = RootOf(w);
  if (!root->surface) return false;
  t->surface = root->surface;
  t->drawn = root->drawn;
  t->screen = true;
  const RECT rect = whole ? WindowRectOnSurface(*w) : ClientRectOnSurface(*w);
  t->origin = POINT{rect.left, rect.top};
  t->visible.Clear();
  if (!IsVisibleChain(*w) || (root->style & WS_MINIMIZE)) return true;
  Region vis(rect);
  vis.Intersect(RECT{0, 0, root->surface->width(), root->surface->height()});
  auto clip_siblings = [&](Window* c) {
    if (!(c->style & WS_CLIPSIBLINGS) || c->parent == nullptr) return;
    Window* p = FindWindowRecord(c->parent);
    const RECT pc = ClientRectOnSurface(*p);
    for (HWND s : p->children) {
      if (s == c->handle) break;  // only the ones above
      Window* sw = FindWindowRecord(s);
      if (sw != nullptr && (sw->style & WS_VISIBLE)) vis.Subtract(OffsetRectBy(sw->rect, pc.left, pc.top));
    }
  };
  clip_siblings(w);
  for (Window* a = w; a->parent != nullptr;) {
    Window* p = FindWindowRecord(a->parent);
    if (p == nullptr) break;
    vis.Intersect(ClientRectOnSurface(*p));
    clip_siblings(p);
    a = p;
  }
  if (!whole && (w->style & WS_CLIPCHILDREN)) {
    const RECT cc = ClientRectOnSurface(*w);
    for (HWND c : w->children) {
      Window* cw = FindWindowRecord(c);
      if (cw != nullptr && (cw->style & WS_VISIBLE)) vis.Subtract(OffsetRectBy(cw->rect, cc.left, cc.top));
    }
  }
  t->visible = std::move(vis);
  return true;
}

HDC GetDC(HWND hwnd) {
  if (hwnd != nullptr && hwnd != GetDesktopWindow() && !IsWindow(hwnd)) return nullptr;
  if (hwnd == GetDesktopWindow()) hwnd = nullptr;
  return CreateWindowDc(hwnd, false);
}

HDC GetWindowDC(HWND hwnd) {
  if (hwnd != nullptr && !IsWindow(hwnd)) return nullptr;
  return CreateWindowDc(hwnd, true);
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
  HDC dc = (flags & 0x1) ? GetWindowDC(hwnd) : GetDC(hwnd);
  if (dc != nullptr && clip != nullptr && (flags & 0x80)) SelectClipRgn(dc, clip);  // DCX_INTERSECTRGN
  return dc;
}

int ReleaseDC(HWND, HDC dc) {
  auto d = GetDcObject(dc);
  if (!d || d->type == DcType::kMemory) return 0;
  DestroyDcHandle(dc);
  return 1;
}

HWND WindowFromDC(HDC dc) {
  auto d = GetDcObject(dc);
  return d ? d->hwnd : nullptr;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  if (ps == nullptr) return nullptr;
  *ps = PAINTSTRUCT{};
  Region region;
  bool erase, frame;
  RECT client_on_surface;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return nullptr;
    region = w->update;
    erase = w->erase_pending;
    frame = w->frame_pending;
    w->update.Clear();
    w->erase_pending = false;
    w->frame_pending = false;
    w->internal_paint = false;
    w->painting = true;
    client_on_surface = ClientRectOnSurface(*w);
  }
  if (frame) SendMessage(hwnd, WM_NCPAINT, 1, 0);
  CaretHideForPaint(hwnd);
  HDC dc = CreateWindowDc(hwnd, false);
  auto d = GetDcObject(dc);
  d->paint = true;
  d->paint_region = region;
  d->paint_region.Offset(client_on_surface.left, client_on_surface.top);
  d->effective_dirty = true;
  ps->hdc = dc;
  ps->rcPaint = region.Bounds();
  ps->fErase = FALSE;
  if (erase) ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (ps != nullptr && ps->hdc != nullptr) DestroyDcHandle(ps->hdc);
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    if (Window* w = FindWindowRecord(hwnd)) w->painting = false;
  }
  CaretRestoreAfterPaint(hwnd);
  return TRUE;
}

BOOL LockWindowUpdate(HWND) {
  return TRUE;
}

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   LPRECT update_rect, UINT flags) {
  RECT client;
  if (!GetClientRect(hwnd, &client)) return ERROR;
  const RECT area = scroll != nullptr ? RectIntersection(*scroll, client) : client;
  const RECT clipr = clip != nullptr ? RectIntersection(*clip, client) : client;
  HideCaret(hwnd);
  // Move the pixels.
  HDC dc = GetDC(hwnd);
  if (dc != nullptr) {
    IntersectClipRect(dc, clipr.left, clipr.top, clipr.right, clipr.bottom);
    BitBlt(dc, area.left + dx, area.top + dy, area.right - area.left, area.bottom - area.top, dc, area.left,
           area.top, SRCCOPY);
    ReleaseDC(hwnd, dc);
  }
  // What the move left uncovered repaints; pending updates move along.
  Region uncovered(RectIntersection(area, clipr));
  uncovered.Subtract(OffsetRectBy(area, dx, dy));
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    if (Window* w = FindWindowRecord(hwnd)) {
      Region moving = w->update;
      moving.Intersect(area);
      w->update.Subtract(area);
      moving.Offset(dx, dy);
      moving.Intersect(clipr);
      w->update.Union(moving);
    }
  }
  if (flags & SW_SCROLLCHILDREN) {
    std::vector<HWND> kids;
    {
      std::lock_guard<std::mutex> hold(TreeLock());
      if (Window* w = FindWindowRecord(hwnd)) kids = w->children;
    }
    for (HWND k : kids) {
      RECT r;
      GetWindowRect(k, &r);
      POINT p{r.left, r.top};
      ScreenToClient(hwnd, &p);
      SetWindowPos(k, nullptr, p.x + dx, p.y + dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
  }
  if (update != nullptr) {
    if (auto rg = GdiGet<RegionObject>(reinterpret_cast<HGDIOBJ>(update), GdiKind::kRegion))
      rg->region = uncovered;
  }
  if (update_rect != nullptr) *update_rect = uncovered.Bounds();
  if (flags & SW_INVALIDATE) {
    for (const RECT& r : uncovered.Rects()) {
      RedrawWindow(hwnd, &r, nullptr, RDW_INVALIDATE | ((flags & SW_ERASE) ? RDW_ERASE : 0));
    }
  }
  ShowCaret(hwnd);
  return uncovered.Complexity();
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
  const UINT flags = SW_INVALIDATE | SW_ERASE | (scroll == nullptr ? SW_SCROLLCHILDREN : 0);
  return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr, flags) != ERROR ? TRUE : FALSE;
}

void BroadcastPaletteChanged(HWND source) {
  std::vector<HWND> tops;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    tops = TopLevelOrder();
  }
  for (HWND h : tops) SendMessage(h, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(source), 0);
}
