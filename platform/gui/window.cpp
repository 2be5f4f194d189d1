// Window classes, creation and destruction, the tree and z-order, placement,
// text and window data, enumeration and look-ups.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/core/message_queue.h"
#include "platform/core/paths.h"
#include "platform/core/threads.h"
#include "platform/gui/backend.h"
#include "platform/gui/window_internal.h"

namespace {

struct Registry {
  std::vector<std::shared_ptr<WindowClass>> classes;
  ATOM next_atom = 0xC000;
  std::unordered_map<std::uintptr_t, std::unique_ptr<Window>> windows;
  std::vector<HWND> top;  // z-order, topmost first
  std::uintptr_t next_handle = 0x10010;
  int cascade = 0;
};

Registry& R() {
  static Registry* r = new Registry();
  return *r;
}

std::atomic<std::uint64_t> g_layout{1};

// The desktop window: the parent of every top-level window, never destroyed.
HWND DesktopHandle() {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10000));
}

std::shared_ptr<WindowClass> FindClassLocked(LPCSTR name) {
  if (name == nullptr) return nullptr;
  for (auto& c : R().classes) {
    if (IS_INTRESOURCE(name)) {
      if (c->atom == static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name))) return c;
    } else if (EqualNoCase(c->name, name)) {
      return c;
    }
  }
  return nullptr;
}

void CopyText(const std::string& text, LPSTR out, int size) {
  if (out == nullptr || size <= 0) return;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

// Places a top-level window in the z-order: after the topmost band when it
// is not topmost, at the top of its band otherwise.
void InsertTopLocked(HWND h, bool topmost) {
  auto& top = R().top;
  top.erase(std::remove(top.begin(), top.end(), h), top.end());
  std::size_t pos = 0;
  if (!topmost) {
    while (pos < top.size()) {
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
  auto& top = R().top;
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

void RemoveFromTreeLocked(Window* w) {
  if (w->parent != nullptr) {
    if (Window* p = FindWindowRecord(w->parent)) {
      auto& c = p->children;
      c.erase(std::remove(c.begin(), c.end(), w->handle), c.end());
    }
  } else {
    auto& top = R().top;
    top.erase(std::remove(top.begin(), top.end(), w->handle), top.end());
  }
}

RECT ComputeClientLocked(const Window& w) {
  const RECT in = NonClientInsets(w.style, w.ex_style, w.menu != nullptr, (w.style & WS_CHILD) != 0);
  const int width = w.rect.right - w.rect.left, height = w.rect.bottom - w.rect.top;
  RECT c{in.left, in.top, width - in.right, height - in.bottom};
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  if (w.style & WS_MINIMIZE) c = RECT{0, 0, 0, 0};
  return c;
}

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

}  // namespace

// ---- Shared internals ----

std::mutex& TreeLock() {
  static std::mutex* m = new std::mutex();
  return *m;
}

Window* FindWindowRecord(HWND hwnd) {
  auto& map = R().windows;
  auto it = map.find(reinterpret_cast<std::uintptr_t>(hwnd));
  return it == map.end() ? nullptr : it->second.get();
}

std::vector<HWND>& TopLevelOrder() {
  return R().top;
}

void BumpLayout() {
  g_layout.fetch_add(1);
}
std::uint64_t WindowLayoutGeneration() {
  return g_layout.load();
}

Window* RootOf(Window* w) {
  while (w != nullptr && w->parent != nullptr) {
    Window* p = FindWindowRecord(w->parent);
    if (p == nullptr) break;
    w = p;
  }
  return w;
}

RECT WindowRectOnSurface(const Window& w) {
  if (w.parent == nullptr) return RECT{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
  Window* p = FindWindowRecord(w.parent);
  if (p == nullptr) return RECT{};
  const RECT pc = ClientRectOnSurface(*p);
  return OffsetRectBy(w.rect, pc.left, pc.top);
}

RECT ClientRectOnSurface(const Window& w) {
  const RECT wr = WindowRectOnSurface(w);
  return OffsetRectBy(w.client, wr.left, wr.top);
}

POINT ClientOriginOnScreen(const Window& w) {
  POINT p{w.client.left + w.rect.left, w.client.top + w.rect.top};
  if (w.parent != nullptr) {
    if (Window* par = FindWindowRecord(w.parent)) {
      const POINT o = ClientOriginOnScreen(*par);
      p.x += o.x;
      p.y += o.y;
    }
  }
  return p;
}

bool IsVisibleChain(const Window& w) {
  const Window* c = &w;
  while (c != nullptr) {
    if (!(c->style & WS_VISIBLE)) return false;
    if (c->parent == nullptr) return true;
    c = FindWindowRecord(c->parent);
  }
  return false;
}

// ---- Classes ----

ATOM RegisterClassEx(const WNDCLASSEX* wc) {
  if (wc == nullptr || wc->lpszClassName == nullptr || wc->lpfnWndProc == nullptr) return 0;
  if (!IS_INTRESOURCE(wc->lpszClassName) && wc->lpszClassName[0] == '\0') return 0;
  if (wc->cbClsExtra < 0 || wc->cbWndExtra < 0 || wc->cbClsExtra > 40 || wc->cbWndExtra > 256) return 0;
  std::lock_guard<std::mutex> hold(TreeLock());
  if (FindClassLocked(wc->lpszClassName)) return 0;
  auto c = std::make_shared<WindowClass>();
  c->name = IS_INTRESOURCE(wc->lpszClassName) ? std::string() : std::string(wc->lpszClassName);
  c->atom = R().next_atom++;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc;
  c->cls_extra = wc->cbClsExtra;
  c->wnd_extra = wc->cbWndExtra;
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->icon_small = wc->hIconSm;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  if (wc->lpszMenuName != nullptr) {
    if (IS_INTRESOURCE(wc->lpszMenuName)) {
      c->menu_id = static_cast<int>(reinterpret_cast<std::uintptr_t>(wc->lpszMenuName));
    } else {
      c->menu_name = wc->lpszMenuName;
    }
  }
  c->extra.assign(static_cast<std::size_t>(wc->cbClsExtra), 0);
  R().classes.push_back(c);
  return c->atom;
}

ATOM RegisterClass(const WNDCLASS* wc) {
  if (wc == nullptr) return 0;
  WNDCLASSEX ex;
  ex.style = wc->style;
  ex.lpfnWndProc = wc->lpfnWndProc;
  ex.cbClsExtra = wc->cbClsExtra;
  ex.cbWndExtra = wc->cbWndExtra;
  ex.hInstance = wc->hInstance;
  ex.hIcon = wc->hIcon;
  ex.hCursor = wc->hCursor;
  ex.hbrBackground = wc->hbrBackground;
  ex.lpszMenuName = wc->lpszMenuName;
  ex.lpszClassName = wc->lpszClassName;
  return RegisterClassEx(&ex);
}

BOOL UnregisterClass(LPCSTR name, HINSTANCE) {
  std::lock_guard<std::mutex> hold(TreeLock());
  auto c = FindClassLocked(name);
  if (!c) return FALSE;
  for (auto& [h, w] : R().windows) {
    if (w->cls == c) return FALSE;  // still in use
  }
  auto& v = R().classes;
  v.erase(std::remove(v.begin(), v.end(), c), v.end());
  return TRUE;
}

BOOL GetClassInfo(HINSTANCE, LPCSTR name, WNDCLASS* wc) {
  RegisterSystemClasses();
  std::lock_guard<std::mutex> hold(TreeLock());
  auto c = FindClassLocked(name);
  if (!c) return FALSE;
  if (wc != nullptr) {
    wc->style = c->style;
    wc->lpfnWndProc = c->proc;
    wc->cbClsExtra = c->cls_extra;
    wc->cbWndExtra = c->wnd_extra;
    wc->hInstance = c->instance;
    wc->hIcon = c->icon;
    wc->hCursor = c->cursor;
    wc->hbrBackground = c->background;
    wc->lpszMenuName = nullptr;
    wc->lpszClassName = name;
  }
  return TRUE;
}

int GetClassName(HWND hwnd, LPSTR name, int size) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr || name == nullptr || size <= 0) return 0;
  CopyText(w->cls->name, name, size);
  return static_cast<int>(std::strlen(name));
}

ULONG_PTR GetClassLongPtr(HWND hwnd, int index) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return 0;
  WindowClass& c = *w->cls;
  switch (index) {
    case GCL_STYLE:
      return c.style;
    case GCLP_HCURSOR:
      return reinterpret_cast<ULONG_PTR>(c.cursor);
    case GCLP_HBRBACKGROUND:
      return reinterpret_cast<ULONG_PTR>(c.background);
    case GCLP_WNDPROC:
      return reinterpret_cast<ULONG_PTR>(c.proc);
  }
  if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG) <= c.extra.size()) {
    LONG v;
    std::memcpy(&v, c.extra.data() + index, sizeof v);
    return static_cast<ULONG_PTR>(static_cast<ULONG>(v));
  }
  return 0;
}

DWORD GetClassLong(HWND hwnd, int index) {
  return static_cast<DWORD>(GetClassLongPtr(hwnd, index));
}

ULONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return 0;
  WindowClass& c = *w->cls;
  ULONG_PTR old = 0;
  switch (index) {
    case GCL_STYLE:
      old = c.style, c.style = static_cast<UINT>(value);
      return old;
    case GCLP_HCURSOR:
      old = reinterpret_cast<ULONG_PTR>(c.cursor), c.cursor = reinterpret_cast<HCURSOR>(value);
      return old;
    case GCLP_HBRBACKGROUND:
      old = reinterpret_cast<ULONG_PTR>(c.background), c.background = reinterpret_cast<HBRUSH>(value);
      return old;
  }
  if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG) <= c.extra.size()) {
    LONG v = static_cast<LONG>(value), o;
    std::memcpy(&o, c.extra.data() + index, sizeof o);
    std::memcpy(c.extra.data() + index, &v, sizeof v);
    return static_cast<ULONG_PTR>(static_cast<ULONG>(o));
  }
  return 0;
}

// ---- Creation ----

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  RegisterSystemClasses();
  EnsureMessageQueue();
  EnsureMessageSource();
  if (parent == DesktopHandle()) parent = nullptr;
  if (parent == HWND_MESSAGE) parent = nullptr;
  HWND handle;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    auto cls = FindClassLocked(className);
    if (!cls) return nullptr;
    HWND real_parent = nullptr, owner = nullptr;
    if (style & WS_CHILD) {
      if (FindWindowRecord(parent) == nullptr) return nullptr;
      real_parent = parent;
    } else if (parent != nullptr) {
      Window* o = FindWindowRecord(parent);
      if (o == nullptr) return nullptr;
      owner = RootOf(o)->handle;
    }
    auto w = std::make_unique<Window>();
    handle = reinterpret_cast<HWND>(R().next_handle);
    R().next_handle += 4;
    w->handle = handle;
    w->cls = cls;
    w->proc = cls->proc;
    // An overlapped window always has a caption and clips its siblings.
    if (!(style & (WS_CHILD | WS_POPUP))) {
      style |= WS_CAPTION | WS_CLIPSIBLINGS;
      exStyle |= WS_EX_WINDOWEDGE;
    }
    w->style = style & ~WS_VISIBLE;
    w->ex_style = exStyle;
    w->thread = CurrentGuiThread();
    w->parent = real_parent;
    w->owner = owner;
    w->instance = instance;
    w->extra.assign(static_cast<std::size_t>(cls->wnd_extra), 0);
    if (style & WS_CHILD) {
      w->id = reinterpret_cast<LONG_PTR>(menu);
    } else {
      w->menu = menu;
    }
    if (!(style & WS_CHILD)) {
      const int sw = Backend().Screen().right, sh = Backend().Screen().bottom;
      if (x == CW_USEDEFAULT) {
        const int step = R().cascade++ % 10;
        x = 40 + 24 * step;
        y = 40 + 24 * step;
      }
      if (width == CW_USEDEFAULT) {
        width = sw * 3 / 4;
        height = sh * 3 / 4;
      }
    } else {
      if (x == CW_USEDEFAULT) x = y = 0;
      if (width == CW_USEDEFAULT) width = height = 0;
    }
    w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    w->normal_rect = w->rect;
    if (real_parent != nullptr) {
      // A new child goes below its siblings, so that the z-order (and with
      // it the tab order of a dialog) is the order of creation.
      FindWindowRecord(real_parent)->children.push_back(handle);
    } else {
      InsertTopLocked(handle, (exStyle & WS_EX_TOPMOST) != 0);
      if (owner != nullptr) LiftOwnedLocked(owner);
      w->surface = Surface::Create(std::max(width, 1), std::max(height, 1), 32);
      w->drawn = std::make_shared<std::atomic<bool>>(false);
    }
    w->client = ComputeClientLocked(*w);
    R().windows.emplace(reinterpret_cast<std::uintptr_t>(handle), std::move(w));
    BumpLayout();
  }

  CREATESTRUCT cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;

  // Top-level windows that can be sized learn their limits first.
  if (!(style & WS_CHILD) && (style & WS_THICKFRAME)) {
    MINMAXINFO mmi;
    mmi.ptMaxSize = POINT{GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
    mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    mmi.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    SendMessage(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  }
  if (!SendMessage(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyWindow(handle);
    return nullptr;
  }
  {
    // The frame as the window procedure computes it.
    RECT r;
    {
      std::lock_guard<std::mutex> hold(TreeLock());
      Window* w = FindWindowRecord(handle);
      if (w == nullptr) return nullptr;
      r = w->rect;
    }
    SendMessage(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&r));
    std::lock_guard<std::mutex> hold(TreeLock());
    if (Window* w = FindWindowRecord(handle)) {
      w->client = OffsetRectBy(r, -w->rect.left, -w->rect.top);
      if (RectEmpty(w->client)) w->client.right = w->client.left, w->client.bottom = w->client.top;
    }
  }
  if (SendMessage(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  RECT client{}, wr{};
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(handle);
    if (w == nullptr) return nullptr;
    w->created = true;
    client = w->client;
    wr = w->rect;
  }
  SendMessage(handle, WM_SIZE, SIZE_RESTORED,
              MAKELPARAM(client.right - client.left, client.bottom - client.top));
  POINT org{wr.left + client.left, wr.top + client.top};
  SendMessage(handle, WM_MOVE, 0, MAKELPARAM(org.x, org.y));
  if ((style & WS_CHILD) && !(exStyle & WS_EX_NOPARENTNOTIFY)) {
    // The parent chain hears of the new child.
    HWND child = handle, p = parent;
    while (p != nullptr && IsWindow(p)) {
      SendMessage(p, WM_PARENTNOTIFY,
                  MAKEWPARAM(WM_CREATE, static_cast<int>(reinterpret_cast<LONG_PTR>(menu))),
                  reinterpret_cast<LPARAM>(handle));
      if (GetWindowLong(p, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY) break;
      if (!(GetWindowLong(p, GWL_STYLE) & WS_CHILD)) break;
      child = p;
      p = GetParent(p);
    }
    (void)child;
  }
  if (!IsWindow(handle)) return nullptr;
  if (style & WS_MINIMIZE) {
    ShowWindow(handle, SW_SHOWMINNOACTIVE);
    if (!(style & WS_VISIBLE)) ShowWindow(handle, SW_HIDE);
  } else if (style & WS_MAXIMIZE) {
    ShowWindow(handle, SW_SHOWMAXIMIZED);
  } else if (style & WS_VISIBLE) {
    ShowWindow(handle, SW_SHOW);
  }
  return IsWindow(handle) ? handle : nullptr;
}

namespace {

void DestroyTree(HWND handle) {
  SendMessage(handle, WM_DESTROY, 0, 0);
  std::vector<HWND> kids;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    if (Window* w = FindWindowRecord(handle)) kids = w->children;
  }
  for (HWND k : kids) {
    if (IsWindow(k)) DestroyTree(k);
  }
  KillWindowTimers(handle);
  SendMessage(handle, WM_NCDESTROY, 0, 0);
  DestroyWindowMenus(handle);
  Backend().WindowGone(handle);
  std::unique_ptr<Window> doomed;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(handle);
    if (w == nullptr) return;
    RemoveFromTreeLocked(w);
    for (auto& [h, o] : R().windows) {
      if (o->last_active_popup == handle) o->last_active_popup = nullptr;
    }
    auto it = R().windows.find(reinterpret_cast<std::uintptr_t>(handle));
    doomed = std::move(it->second);
    R().windows.erase(it);
    BumpLayout();
  }
}

}  // namespace

BOOL DestroyWindow(HWND hwnd) {
  HWND parent = nullptr;
  DWORD ex = 0, style = 0;
  LONG_PTR id = 0;
  std::vector<HWND> owned;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr || w->destroying) return FALSE;
    if (w->thread != CurrentGuiThread()) return FALSE;
    w->destroying = true;
    parent = w->parent;
    ex = w->ex_style;
    style = w->style;
    id = w->id;
    for (auto& [h, o] : R().windows) {
      if (o->owner == hwnd) owned.push_back(o->handle);
    }
  }
  // Owned windows go first.
  for (HWND o : owned) DestroyWindow(o);
  if (style & WS_VISIBLE) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
  }
  if (parent != nullptr && !(ex & WS_EX_NOPARENTNOTIFY)) {
    HWND p = parent;
    while (p != nullptr && IsWindow(p)) {
      SendMessage(p, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, static_cast<int>(id)),
                  reinterpret_cast<LPARAM>(hwnd));
      if (GetWindowLong(p, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY) break;
      if (!(GetWindowLong(p, GWL_STYLE) & WS_CHILD)) break;
      p = GetParent(p);
    }
  }
  ForgetWindowInputState(hwnd);
  DestroyTree(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  return FindWindowRecord(hwnd) != nullptr ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  return w != nullptr && IsVisibleChain(*w) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  return w != nullptr && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  while (w != nullptr && w->parent != nullptr) {
    if (w->parent == parent) return TRUE;
    w = FindWindowRecord(w->parent);
  }
  return FALSE;
}

BOOL IsIconic(HWND hwnd) {
  return (GetWindowLong(hwnd, GWL_STYLE) & WS_MINIMIZE) ? TRUE : FALSE;
}
BOOL IsZoomed(HWND hwnd) {
  return (GetWindowLong(hwnd, GWL_STYLE) & WS_MAXIMIZE) ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return nullptr;
  return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND SetParent(HWND hwnd, HWND parent) {
  HWND old = nullptr;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return nullptr;
    if (parent == DesktopHandle()) parent = nullptr;
    Window* p = parent != nullptr ? FindWindowRecord(parent) : nullptr;
    if (parent != nullptr && p == nullptr) return nullptr;
    // No cycles.
    for (Window* a = p; a != nullptr; a = a->parent != nullptr ? FindWindowRecord(a->parent) : nullptr) {
      if (a == w) return nullptr;
    }
    old = w->parent != nullptr ? w->parent : DesktopHandle();
    RemoveFromTreeLocked(w);
    w->parent = parent;
    if (p != nullptr) {
      p->children.insert(p->children.begin(), hwnd);
      w->surface.reset();
    } else {
      InsertTopLocked(hwnd, (w->ex_style & WS_EX_TOPMOST) != 0);
      if (!w->surface) {
        w->surface = Surface::Create(std::max<LONG>(1, w->rect.right - w->rect.left),
                                     std::max<LONG>(1, w->rect.bottom - w->rect.top), 32);
        w->drawn = std::make_shared<std::atomic<bool>>(false);
      }
    }
    BumpLayout();
  }
  InvalidateRect(hwnd, nullptr, TRUE);
  Backend().WindowChanged(hwnd);
  return old;
}

HWND GetDesktopWindow() {
  return DesktopHandle();
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (hwnd == DesktopHandle() && cmd == GW_CHILD) return R().top.empty() ? nullptr : R().top.front();
  if (w == nullptr) return nullptr;
  if (cmd == GW_OWNER) return w->owner;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  const std::vector<HWND>* list = &R().top;
  if (w->parent != nullptr) list = &FindWindowRecord(w->parent)->children;
  auto it = std::find(list->begin(), list->end(), hwnd);
  if (it == list->end()) return nullptr;
  switch (cmd) {
    case GW_HWNDFIRST:
      return list->front();
    case GW_HWNDLAST:
      return list->back();
    case GW_HWNDNEXT:
      return it + 1 == list->end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
      return it == list->begin() ? nullptr : *(it - 1);
  }
  return nullptr;
}

HWND GetNextWindow(HWND hwnd, UINT cmd) {
  return GetWindow(hwnd, cmd);
}
HWND GetTopWindow(HWND hwnd) {
  return GetWindow(hwnd == nullptr ? DesktopHandle() : hwnd, GW_CHILD);
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return nullptr;
  if (flags == GA_PARENT) return w->parent != nullptr ? w->parent : DesktopHandle();
  Window* root = RootOf(w);
  if (flags == GA_ROOTOWNER) {
    while (root->owner != nullptr) {
      Window* o = FindWindowRecord(root->owner);
      if (o == nullptr) break;
      root = o;
    }
  }
  return root->handle;
}

HWND GetLastActivePopup(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return nullptr;
  Window* p = FindWindowRecord(w->last_active_popup);
  if (p != nullptr && p->owner == hwnd && (p->style & WS_VISIBLE) && !(p->style & WS_DISABLED))
    return p->handle;
  return hwnd;
}

namespace {
std::vector<HWND> SnapshotTop(DWORD thread, bool any_thread) {
  std::lock_guard<std::mutex> hold(TreeLock());
  std::vector<HWND> out;
  for (HWND h : R().top) {
    Window* w = FindWindowRecord(h);
    if (w != nullptr && (any_thread || w->thread == thread)) out.push_back(h);
  }
  return out;
}
}  // namespace

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
  if (proc == nullptr) return FALSE;
  for (HWND h : SnapshotTop(0, true)) {
    if (IsWindow(h) && !proc(h, lParam)) return FALSE;
  }
  return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam) {
  if (proc == nullptr) return FALSE;
  for (HWND h : SnapshotTop(threadId, false)) {
    if (IsWindow(h) && !proc(h, lParam)) return FALSE;
  }
  return TRUE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
  if (proc == nullptr) return FALSE;
  if (parent == nullptr) return EnumWindows(proc, lParam);
  std::vector<HWND> all;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    std::function<void(Window*)> walk = [&](Window* w) {
      for (HWND c : w->children) {
        all.push_back(c);
        if (Window* cw = FindWindowRecord(c)) walk(cw);
      }
    };
    if (Window* w = FindWindowRecord(parent)) walk(w);
  }
  for (HWND h : all) {
    if (IsWindow(h) && !proc(h, lParam)) return FALSE;
  }
  return TRUE;
}

HWND FindWindowEx(HWND parent, HWND after, LPCSTR className, LPCSTR windowName) {
  std::lock_guard<std::mutex> hold(TreeLock());
  std::vector<HWND> list;
  if (parent == nullptr || parent == DesktopHandle()) {
    list = R().top;
  } else if (Window* p = FindWindowRecord(parent)) {
    list = p->children;
  } else {
    return nullptr;
  }
  bool started = after == nullptr;
  std::shared_ptr<WindowClass> cls = className != nullptr ? FindClassLocked(className) : nullptr;
  if (className != nullptr && !cls) return nullptr;
  for (HWND h : list) {
    if (!started) {
      started = h == after;
      continue;
    }
    Window* w = FindWindowRecord(h);
    if (w == nullptr) continue;
    if (cls && w->cls != cls) continue;
    if (windowName != nullptr && w->text != windowName) continue;
    return h;
  }
  return nullptr;
}

HWND FindWindow(LPCSTR className, LPCSTR windowName) {
  return FindWindowEx(nullptr, nullptr, className, windowName);
}

namespace {
// The deepest visible window at a screen point; disabled children let the
// point through to their parent.
HWND ChildAtLocked(Window* w, POINT screen) {
  const POINT org = ClientOriginOnScreen(*w);
  for (HWND c : w->children) {
    Window* cw = FindWindowRecord(c);
    if (cw == nullptr || !(cw->style & WS_VISIBLE)) continue;
    const RECT r = OffsetRectBy(cw->rect, org.x, org.y);
    if (screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom) {
      if (cw->style & WS_DISABLED) return w->handle;
      return ChildAtLocked(cw, screen);
    }
  }
  return w->handle;
}
}  // namespace

HWND TopLevelAt(POINT screen) {
  std::lock_guard<std::mutex> hold(TreeLock());
  for (HWND h : R().top) {
    Window* w = FindWindowRecord(h);
    if (w == nullptr || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE)) continue;
    if (screen.x >= w->rect.left && screen.x < w->rect.right && screen.y >= w->rect.top &&
        screen.y < w->rect.bottom) {
      return h;
    }
  }
  return nullptr;
}

HWND WindowFromPoint(POINT point) {
  HWND top = TopLevelAt(point);
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(top);
  if (w == nullptr) return nullptr;
  return ChildAtLocked(w, point);
}

HWND WindowBelowAt(HWND hwnd, POINT screen) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr || w->parent == nullptr) return nullptr;
  Window* p = FindWindowRecord(w->parent);
  if (p == nullptr) return nullptr;
  const POINT org = ClientOriginOnScreen(*p);
  auto it = std::find(p->children.begin(), p->children.end(), hwnd);
  if (it == p->children.end()) return nullptr;
  for (++it; it != p->children.end(); ++it) {
    Window* cw = FindWindowRecord(*it);
    if (cw == nullptr || !(cw->style & WS_VISIBLE)) continue;
    const RECT r = OffsetRectBy(cw->rect, org.x, org.y);
    if (screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom) {
      if (cw->style & WS_DISABLED) return p->handle;
      return ChildAtLocked(cw, screen);
    }
  }
  return nullptr;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(parent);
  if (w == nullptr) return nullptr;
  // point is in the parent's client coordinates.
  if (point.x < 0 || point.y < 0 || point.x >= w->client.right - w->client.left ||
      point.y >= w->client.bottom - w->client.top) {
    return nullptr;
  }
  for (HWND c : w->children) {
    Window* cw = FindWindowRecord(c);
    if (cw == nullptr) continue;
    const RECT& r = cw->rect;
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) return c;
  }
  return parent;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return 0;
  if (processId != nullptr) *processId = 1;
  return w->thread;
}

HWND GetDlgItem(HWND dialog, int id) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(dialog);
  if (w == nullptr) return nullptr;
  for (HWND c : w->children) {
    Window* cw = FindWindowRecord(c);
    if (cw != nullptr && static_cast<int>(cw->id) == id) return c;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  return w != nullptr && (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr ? SetWindowText(item, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, LPSTR text, int size) {
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) {
    if (text != nullptr && size > 0) text[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowText(item, text, size));
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr ? SendMessage(item, msg, wParam, lParam) : 0;
}

// ---- Geometry ----

RECT NonClientInsets(DWORD style, DWORD ex, bool menu, bool child) {
  RECT in{0, 0, 0, 0};
  int frame = 0;
  if (style & WS_THICKFRAME) {
    frame = GetSystemMetrics(SM_CXFRAME);
  } else if ((style & WS_DLGFRAME) || (ex & WS_EX_DLGMODALFRAME)) {
    frame = GetSystemMetrics(SM_CXDLGFRAME);
  } else if (style & WS_BORDER) {
    frame = GetSystemMetrics(SM_CXBORDER);
  }
  in = RECT{frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) {
    in.top += (ex & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
  }
  if (menu && !child) in.top += GetSystemMetrics(SM_CYMENU);
  int edge = 0;
  if (ex & WS_EX_CLIENTEDGE) edge += GetSystemMetrics(SM_CXEDGE);
  if (ex & WS_EX_STATICEDGE) edge += GetSystemMetrics(SM_CXBORDER);
  in.left += edge;
  in.top += edge;
  in.right += edge;
  in.bottom += edge;
  if (style & WS_VSCROLL) in.right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) in.bottom += GetSystemMetrics(SM_CYHSCROLL);
  return in;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD ex) {
  if (rect == nullptr) return FALSE;
  // Scroll bars are not part of the adjustment.
  const RECT in =
      NonClientInsets(style & ~(WS_VSCROLL | WS_HSCROLL), ex, menu != FALSE, (style & WS_CHILD) != 0);
  rect->left -= in.left;
  rect->top -= in.top;
  rect->right += in.right;
  rect->bottom += in.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  if (rect == nullptr) return FALSE;
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) {
    if (hwnd == DesktopHandle()) {
      *rect = Backend().Screen();
      return TRUE;
    }
    return FALSE;
  }
  if (w->parent == nullptr) {
    *rect = w->rect;
  } else {
    const POINT o = ClientOriginOnScreen(*FindWindowRecord(w->parent));
    *rect = OffsetRectBy(w->rect, o.x, o.y);
  }
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  if (rect == nullptr) return FALSE;
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) {
    if (hwnd == DesktopHandle()) {
      *rect = Backend().Screen();
      return TRUE;
    }
    return FALSE;
  }
  *rect = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT p) {
  if (p == nullptr) return FALSE;
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return FALSE;
  const POINT o = ClientOriginOnScreen(*w);
  p->x -= o.x;
  p->y -= o.y;
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT p) {
  if (p == nullptr) return FALSE;
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return FALSE;
  const POINT o = ClientOriginOnScreen(*w);
  p->x += o.x;
  p->y += o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  if (points == nullptr) return 0;
  POINT a{0, 0}, b{0, 0};
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    if (from != nullptr && from != DesktopHandle()) {
      Window* w = FindWindowRecord(from);
      if (w == nullptr) return 0;
      a = ClientOriginOnScreen(*w);
    }
    if (to != nullptr && to != DesktopHandle()) {
      Window* w = FindWindowRecord(to);
      if (w == nullptr) return 0;
      b = ClientOriginOnScreen(*w);
    }
  }
  const int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

// ---- Showing and placing ----

namespace {

struct PosChange {
  bool moved = false;
  bool sized = false;
  bool shown = false;
  bool hidden = false;
  bool zorder = false;
  bool was_active = false;
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
    // What WM_WINDOWPOSCHANGED reports: WM_SIZE and WM_MOVE follow real changes only.
    if (!ch.sized && !client_sized) wp.flags |= SWP_NOSIZE;
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
      std::vector<HWND>* list = &R().top;
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
  DWORD style = 0;
  bool child = false;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return;
    const int now = (w->style & WS_MINIMIZE) ? 1 : (w->style & WS_MAXIMIZE) ? 2 : 0;
    child = w->parent != nullptr;
    if (now == target) {
      style = w->style;
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
      style = w->style;
    }
  }
  (void)style;
  SetWindowPos(hwnd, nullptr, nr.left, nr.top, nr.right - nr.left, nr.bottom - nr.top,
               SWP_NOZORDER | SWP_FRAMECHANGED | extra_flags);
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int cmd) {
  DWORD style;
  bool top_level;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return FALSE;
    style = w->style;
    top_level = w->parent == nullptr;
  }
  const bool was_visible = (style & WS_VISIBLE) != 0;
  int state = -1;  // placement change
  bool show = true;
  bool activate = top_level;
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

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  bool was_disabled;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return FALSE;
    was_disabled = (w->style & WS_DISABLED) != 0;
    if (enable) {
      w->style &= ~WS_DISABLED;
    } else {
      w->style |= WS_DISABLED;
    }
  }
  if (was_disabled == !enable) return was_disabled ? TRUE : FALSE;
  if (!enable) {
    // A disabled window loses the focus and the capture.
    if (GetFocus() == hwnd || IsChild(hwnd, GetFocus())) SetFocus(nullptr);
    if (GetCapture() == hwnd) ReleaseCapture();
  }
  SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return was_disabled ? TRUE : FALSE;
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

// ---- Text and window data ----

BOOL SetWindowText(HWND hwnd, LPCSTR text) {
  if (!IsWindow(hwnd)) return FALSE;
  return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : "")) ? TRUE
                                                                                                 : FALSE;
}

int GetWindowText(HWND hwnd, LPSTR text, int size) {
  if (text == nullptr || size <= 0) return 0;
  text[0] = '\0';
  DWORD thread;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return 0;
    thread = w->thread;
    if (thread != CurrentGuiThread()) {
      // Another thread's window: its stored text, without asking it.
      CopyText(w->text, text, size);
      return static_cast<int>(std::strlen(text));
    }
  }
  return static_cast<int>(
      SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLength(HWND hwnd) {
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return 0;
    if (w->thread != CurrentGuiThread()) return static_cast<int>(w->text.size());
  }
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

// Text as DefWindowProc keeps it.
void StoreWindowText(HWND hwnd, LPCSTR text) {
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return;
    w->text = text != nullptr ? text : "";
    if (w->parent == nullptr) w->frame_pending = true;
  }
  Backend().WindowChanged(hwnd);
  WakeThread(GetWindowThreadProcessId(hwnd, nullptr));
}

std::string StoredWindowText(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  return w != nullptr ? w->text : std::string();
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(w->parent != nullptr ? w->parent : w->owner);
    case GWLP_ID:
      return w->id;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(static_cast<LONG>(w->ex_style));
    case GWLP_USERDATA:
      return w->user_data;
  }
  if (index >= 0) {
    const std::size_t need = static_cast<std::size_t>(index) + sizeof(LONG_PTR);
    if (need <= w->extra.size()) {
      LONG_PTR v;
      std::memcpy(&v, w->extra.data() + index, sizeof v);
      return v;
    }
    if (static_cast<std::size_t>(index) + sizeof(LONG) <= w->extra.size()) {
      LONG v;
      std::memcpy(&v, w->extra.data() + index, sizeof v);
      return v;
    }
  }
  return 0;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  LONG_PTR old = 0;
  bool style_change = false;
  bool visible_changed = false;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return 0;
    switch (index) {
      case GWLP_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        return old;
      case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->instance);
        w->instance = reinterpret_cast<HINSTANCE>(value);
        return old;
      case GWLP_HWNDPARENT:
        // Sets the owner of a top-level window.
        old = reinterpret_cast<LONG_PTR>(w->parent != nullptr ? w->parent : w->owner);
        if (w->parent == nullptr) {
          Window* o = FindWindowRecord(reinterpret_cast<HWND>(value));
          w->owner = o != nullptr ? RootOf(o)->handle : nullptr;
        }
        return old;
      case GWLP_ID:
        old = w->id, w->id = value;
        return old;
      case GWLP_USERDATA:
        old = w->user_data, w->user_data = value;
        return old;
      case GWL_STYLE:
        old = static_cast<LONG>(w->style);
        visible_changed = ((w->style ^ static_cast<DWORD>(value)) & WS_VISIBLE) != 0;
        w->style = static_cast<DWORD>(value);
        style_change = true;
        break;
      case GWL_EXSTYLE:
        old = static_cast<LONG>(w->ex_style);
        w->ex_style = static_cast<DWORD>(value);
        style_change = true;
        break;
      default:
        if (index >= 0) {
          if (static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
            std::memcpy(&old, w->extra.data() + index, sizeof old);
            std::memcpy(w->extra.data() + index, &value, sizeof value);
          } else if (static_cast<std::size_t>(index) + sizeof(LONG) <= w->extra.size()) {
            LONG o, v = static_cast<LONG>(value);
            std::memcpy(&o, w->extra.data() + index, sizeof o);
            std::memcpy(w->extra.data() + index, &v, sizeof v);
            old = o;
          }
        }
        return old;
    }
    if (style_change) BumpLayout();
  }
  if (visible_changed) {
    Backend().WindowChanged(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  return old;
}

LONG GetWindowLong(HWND hwnd, int index) {
  return static_cast<LONG>(GetWindowLongPtr(hwnd, index));
}
LONG SetWindowLong(HWND hwnd, int index, LONG value) {
  return static_cast<LONG>(SetWindowLongPtr(hwnd, index, static_cast<LONG_PTR>(value)));
}
