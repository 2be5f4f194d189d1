// Window classes, creation and destruction, the tree, geometry, text and
// window data, enumeration and look-ups. Placement and z-order are in
// window_placement.cpp.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/core/message_queue.h"
#include "platform/core/paths.h"
#include "platform/core/threads.h"
#include "platform/gui/backend.h"
#include "platform/gui/peers.h"
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

namespace {

// Styles a window of its kind has whatever the caller asked: an overlapped
// window always has a caption and clips its siblings.
void AddImpliedStyles(DWORD* style, DWORD* exStyle) {
  if (!(*style & (WS_CHILD | WS_POPUP))) {
    *style |= WS_CAPTION | WS_CLIPSIBLINGS;
    *exStyle |= WS_EX_WINDOWEDGE;
  }
}

// The window a new one hangs from: a child's parent must exist; a top-level
// window given a parent is owned by that window's top-level root.
bool ResolveParentLocked(DWORD style, HWND parent, HWND* real_parent, HWND* owner) {
  *real_parent = *owner = nullptr;
  if (style & WS_CHILD) {
    if (FindWindowRecord(parent) == nullptr) return false;
    *real_parent = parent;
  } else if (parent != nullptr) {
    Window* o = FindWindowRecord(parent);
    if (o == nullptr) return false;
    *owner = RootOf(o)->handle;
  }
  return true;
}

// CW_USEDEFAULT: a top-level window opens centred on a shown owner, else
// cascaded from the work area's corner, at three quarters of the screen's
// size; either way the window system's placement rule puts it on the work
// area clear of its owner's caption and menu bar. Children start empty at
// their parent's origin.
void DefaultPlacementLocked(DWORD style, DWORD exStyle, HWND owner, int* x, int* y, int* width, int* height) {
  if (!(style & WS_CHILD)) {
    if (*width == CW_USEDEFAULT) {
      const RECT screen = Backend().Screen();
      *width = screen.right * 3 / 4;
      *height = screen.bottom * 3 / 4;
    }
    if (*x != CW_USEDEFAULT) return;
    RECT r{0, 0, std::max(*width, 0), std::max(*height, 0)};
    Window* o = owner != nullptr ? FindWindowRecord(owner) : nullptr;
    if (o != nullptr && (o->style & WS_VISIBLE) && !(o->style & WS_MINIMIZE)) {
      r = OffsetRectBy(r, (o->rect.left + o->rect.right - r.right) / 2, (o->rect.top + o->rect.bottom - r.bottom) / 2);
    } else {
      const RECT work = Backend().WorkArea();
      const int step = 24 * (R().cascade++ % 10);
      r = OffsetRectBy(r, work.left + 40 + step, work.top + 40 + step);
    }
    r = PlaceOwnedLocked(r, style, exStyle, owner);
    *x = r.left;
    *y = r.top;
  } else {
    if (*x == CW_USEDEFAULT) *x = *y = 0;
    if (*width == CW_USEDEFAULT) *width = *height = 0;
  }
}

// The new window's record, linked into the tree: a child below its siblings,
// so that the z-order (and with it the tab order of a dialog) is the order of
// creation; a top-level window at the top of its band, with a surface.
HWND AddWindowRecordLocked(const std::shared_ptr<WindowClass>& cls, const CREATESTRUCT& cs, HWND real_parent,
                           HWND owner) {
  const DWORD style = static_cast<DWORD>(cs.style);
  auto w = std::make_unique<Window>();
  const HWND handle = reinterpret_cast<HWND>(R().next_handle);
  R().next_handle += 4;
  w->handle = handle;
  w->cls = cls;
  w->proc = cls->proc;
  w->style = style & ~WS_VISIBLE;
  w->ex_style = cs.dwExStyle;
  w->thread = CurrentGuiThread();
  w->parent = real_parent;
  w->owner = owner;
  w->instance = cs.hInstance;
  w->extra.assign(static_cast<std::size_t>(cls->wnd_extra), 0);
  if (style & WS_CHILD) {
    w->id = reinterpret_cast<LONG_PTR>(cs.hMenu);
  } else {
    w->menu = cs.hMenu;
  }
  w->rect = RECT{cs.x, cs.y, cs.x + std::max(cs.cx, 0), cs.y + std::max(cs.cy, 0)};
  w->normal_rect = w->rect;
  if (real_parent != nullptr) {
    FindWindowRecord(real_parent)->children.push_back(handle);
  } else {
    InsertTopLocked(handle, (cs.dwExStyle & WS_EX_TOPMOST) != 0);
    if (owner != nullptr) LiftOwnedLocked(owner);
    w->surface = Surface::Create(std::max(cs.cx, 1), std::max(cs.cy, 1), 32);
    w->drawn = std::make_shared<std::atomic<bool>>(false);
  }
  w->client = ComputeClientLocked(*w);
  R().windows.emplace(reinterpret_cast<std::uintptr_t>(handle), std::move(w));
  BumpLayout();
  return handle;
}

// WM_GETMINMAXINFO (top-level windows that can be sized), WM_NCCREATE,
// WM_NCCALCSIZE and WM_CREATE in turn. False when the window refused, and
// is destroyed, or went away meanwhile.
bool SendCreationMessages(HWND handle, CREATESTRUCT* cs) {
  const DWORD style = static_cast<DWORD>(cs->style);
  if (!(style & WS_CHILD) && (style & WS_THICKFRAME)) {
    MINMAXINFO mmi;
    mmi.ptMaxSize = POINT{GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
    mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    mmi.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    SendMessage(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  }
  if (!SendMessage(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(cs))) {
    DestroyWindow(handle);
    return false;
  }
  // The frame as the window procedure computes it.
  RECT r;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(handle);
    if (w == nullptr) return false;
    r = w->rect;
  }
  SendMessage(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&r));
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    if (Window* w = FindWindowRecord(handle)) {
      w->client = OffsetRectBy(r, -w->rect.left, -w->rect.top);
      if (RectEmpty(w->client)) w->client.right = w->client.left, w->client.bottom = w->client.top;
    }
  }
  if (SendMessage(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(cs)) == -1) {
    DestroyWindow(handle);
    return false;
  }
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(handle);
  if (w == nullptr) return false;
  w->created = true;
  return true;
}

// The first WM_SIZE and WM_MOVE, then WM_PARENTNOTIFY up the parent chain of
// a child, as far as a parent that asks not to hear or a top-level window.
// The styles, parent and id are the caller's, whatever the window procedure
// did to its CREATESTRUCT.
void AnnounceNewWindow(HWND handle, DWORD style, DWORD exStyle, HWND parent, HMENU menu) {
  RECT client{}, wr{};
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(handle);
    if (w == nullptr) return;
    client = w->client;
    wr = w->rect;
  }
  SendMessage(handle, WM_SIZE, SIZE_RESTORED,
              MAKELPARAM(client.right - client.left, client.bottom - client.top));
  SendMessage(handle, WM_MOVE, 0, MAKELPARAM(wr.left + client.left, wr.top + client.top));
  if (!(style & WS_CHILD) || (exStyle & WS_EX_NOPARENTNOTIFY)) return;
  const WPARAM what = MAKEWPARAM(WM_CREATE, static_cast<int>(reinterpret_cast<LONG_PTR>(menu)));
  for (HWND p = parent; p != nullptr && IsWindow(p); p = GetParent(p)) {
    SendMessage(p, WM_PARENTNOTIFY, what, reinterpret_cast<LPARAM>(handle));
    if (GetWindowLong(p, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY) break;
    if (!(GetWindowLong(p, GWL_STYLE) & WS_CHILD)) break;
  }
}

// The state the creation styles ask for: minimised (and hidden unless
// visible too), maximised or shown.
void ShowNewWindow(HWND handle, DWORD style) {
  if (style & WS_MINIMIZE) {
    ShowWindow(handle, SW_SHOWMINNOACTIVE);
    if (!(style & WS_VISIBLE)) ShowWindow(handle, SW_HIDE);
  } else if (style & WS_MAXIMIZE) {
    ShowWindow(handle, SW_SHOWMAXIMIZED);
  } else if (style & WS_VISIBLE) {
    ShowWindow(handle, SW_SHOW);
  }
}

}  // namespace

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  RegisterSystemClasses();
  EnsureMessageQueue();
  EnsureMessageSource();
  if (parent == DesktopHandle() || parent == HWND_MESSAGE) parent = nullptr;
  AddImpliedStyles(&style, &exStyle);
  HWND handle;
  CREATESTRUCT cs;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    auto cls = FindClassLocked(className);
    if (!cls) return nullptr;
    HWND real_parent, owner;
    if (!ResolveParentLocked(style, parent, &real_parent, &owner)) return nullptr;
    DefaultPlacementLocked(style, exStyle, owner, &x, &y, &width, &height);
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
    handle = AddWindowRecordLocked(cls, cs, real_parent, owner);
  }
  if (!SendCreationMessages(handle, &cs)) return nullptr;
  AnnounceNewWindow(handle, style, exStyle, parent, menu);
  if (!IsWindow(handle)) return nullptr;
  ShowNewWindow(handle, style);
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

namespace {
HWND FindOwnWindowEx(HWND parent, HWND after, LPCSTR className, LPCSTR windowName) {
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
}  // namespace

// Top-level windows of a class: this instance's first, then those that the
// other instances publish.
HWND FindWindowEx(HWND parent, HWND after, LPCSTR className, LPCSTR windowName) {
  const bool top = parent == nullptr || parent == DesktopHandle();
  if (top && IsPeerWindowHandle(after)) return PeerFindWindow(after, className, windowName);
  if (HWND own = FindOwnWindowEx(parent, after, className, windowName)) return own;
  if (!top || className == nullptr) return nullptr;
  return PeerFindWindow(nullptr, className, windowName);
}

HWND FindWindow(LPCSTR className, LPCSTR windowName) {
  return FindWindowEx(nullptr, nullptr, className, windowName);
}

namespace {
// The deepest visible window at a screen point; disabled children let the
// point through to their parent.
HWND ChildAtLocked(Window* w, POINT screen) {
  const POINT org = ClientOriginOnScreen(*w);
  // Children show only within the client area: over the frame (a window's
  // own scroll bars among it) the window itself is hit.
  const RECT client{org.x, org.y, org.x + (w->client.right - w->client.left),
                    org.y + (w->client.bottom - w->client.top)};
  if (screen.x < client.left || screen.x >= client.right || screen.y < client.top ||
      screen.y >= client.bottom)
    return w->handle;
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

HWND WindowInRootAt(HWND root, POINT screen) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(root);
  if (w == nullptr || w->parent != nullptr || !(w->style & WS_VISIBLE)) return nullptr;
  const RECT& r = w->rect;
  if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom) return nullptr;
  return ChildAtLocked(w, screen);
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

RECT ComputeClientLocked(const Window& w) {
  const RECT in = NonClientInsets(w.style, w.ex_style, w.menu != nullptr, (w.style & WS_CHILD) != 0);
  const int width = w.rect.right - w.rect.left, height = w.rect.bottom - w.rect.top;
  RECT c{in.left, in.top, width - in.right, height - in.bottom};
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  if (w.style & WS_MINIMIZE) c = RECT{0, 0, 0, 0};
  return c;
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

// ---- Enabling ----

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

// ---- Text and window data ----

BOOL SetWindowText(HWND hwnd, LPCSTR text) {
  if (!IsWindow(hwnd)) return FALSE;
  return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : "")) ? TRUE
                                                                                                 : FALSE;
}

int GetWindowText(HWND hwnd, LPSTR text, int size) {
  if (text == nullptr || size <= 0) return 0;
  text[0] = '\0';
  if (IsPeerWindowHandle(hwnd)) return PeerGetWindowText(hwnd, text, size);
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
  if (IsPeerWindowHandle(hwnd)) {
    char text[1025];
    return PeerGetWindowText(hwnd, text, sizeof text);
  }
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
  if (IsPeerWindowHandle(hwnd)) return PeerGetWindowLong(hwnd, index);
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
