// Activation, the keyboard focus, the mouse capture and the caret.
#include <algorithm>

#include "platform/gui/backend.h"
#include "platform/gui/window_internal.h"

namespace {

struct FocusState {
  HWND active = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
  bool app_active = false;
};

FocusState& F() {
  static FocusState* f = new FocusState();
  return *f;
}

struct Caret {
  HWND owner = nullptr;
  int width = 0;
  int height = 0;
  POINT pos{};
  int hidden = 1;      // ShowCaret counts this down to 0
  bool drawn = false;  // inverted on the screen now
  bool paint_hidden = false;
  UINT blink = 530;
  DWORD next = 0;
};

Caret& C() {
  static Caret* c = new Caret();
  return *c;
}

std::mutex& FocusLock() {
  static std::mutex* m = new std::mutex();
  return *m;
}

bool InSubtree(HWND root, HWND h) {
  return h != nullptr && (h == root || IsChild(root, h));
}

void SendActivateApp(bool active, DWORD thread) {
  std::vector<HWND> tops;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    for (HWND h : TopLevelOrder()) {
      Window* w = FindWindowRecord(h);
      if (w != nullptr && w->thread == thread) tops.push_back(h);
    }
  }
  for (HWND h : tops) SendMessage(h, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

HWND Activate(HWND hwnd, bool click) {
  HWND root = hwnd != nullptr ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  HWND old;
  bool app_was_active;
  {
    std::lock_guard<std::mutex> hold(FocusLock());
    old = F().active;
    if (old == root) return old;
    F().active = root;
    app_was_active = F().app_active;
    if (root != nullptr) F().app_active = true;
  }
  if (old != nullptr && IsWindow(old)) {
    SendMessage(old, WM_NCACTIVATE, FALSE, 0);
    SendMessage(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0),
                reinterpret_cast<LPARAM>(root));
  }
  if (root == nullptr) {
    HWND f;
    {
      std::lock_guard<std::mutex> hold(FocusLock());
      f = F().focus;
      F().focus = nullptr;
      F().app_active = false;
    }
    if (f != nullptr && IsWindow(f)) SendMessage(f, WM_KILLFOCUS, 0, 0);
    if (app_was_active) SendActivateApp(false, CurrentGuiThread());
    return old;
  }
  if (!app_was_active) SendActivateApp(true, GetWindowThreadProcessId(root, nullptr));
  SetWindowPos(root, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(root);
    if (w != nullptr && w->owner != nullptr) {
      if (Window* o = FindWindowRecord(w->owner)) o->last_active_popup = root;
    }
  }
  SendMessage(root, WM_NCACTIVATE, TRUE, 0);
  SendMessage(root, WM_ACTIVATE, MAKEWPARAM(click ? WA_CLICKACTIVE : WA_ACTIVE, IsIconic(root) ? 1 : 0),
              reinterpret_cast<LPARAM>(old));
  // The focus ends inside the active window.
  if (GetActiveWindow() == root && !InSubtree(root, GetFocus()) && !IsIconic(root)) SetFocus(root);
  Backend().WindowChanged(root);
  return old;
}

void InvertCaret() {
  Caret& c = C();
  HDC dc = GetDC(c.owner);
  if (dc == nullptr) return;
  const RECT r{c.pos.x, c.pos.y, c.pos.x + std::max(c.width, 1), c.pos.y + std::max(c.height, 1)};
  InvertRect(dc, &r);
  ReleaseDC(c.owner, dc);
}

void EraseCaret() {
  if (C().drawn) {
    InvertCaret();
    C().drawn = false;
  }
}

}  // namespace

// ---- Activation ----

HWND SetActiveWindow(HWND hwnd) {
  if (hwnd != nullptr && !IsWindow(hwnd)) return nullptr;
  return Activate(hwnd, false);
}

bool ActivateFromClick(HWND root) {
  Activate(root, true);
  return true;
}

HWND GetActiveWindow() {
  std::lock_guard<std::mutex> hold(FocusLock());
  return F().active;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return FALSE;
  Activate(hwnd, false);
  return TRUE;
}

HWND GetForegroundWindow() {
  return GetActiveWindow();
}

void SetAppActive(bool active) {
  if (active) {
    HWND next = nullptr;
    {
      std::lock_guard<std::mutex> hold(TreeLock());
      for (HWND h : TopLevelOrder()) {
        Window* w = FindWindowRecord(h);
        if (w != nullptr && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) &&
            !(w->ex_style & WS_EX_NOACTIVATE)) {
          next = h;
          break;
        }
      }
    }
    if (next != nullptr) Activate(next, false);
  } else {
    Activate(nullptr, false);
  }
}

// After hwnd was hidden, minimised or destroyed: its owner, else the next
// visible enabled top-level window, takes the activation.
void ActivateAfterHide(HWND hidden) {
  if (GetActiveWindow() != hidden) return;
  HWND next = nullptr;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hidden);
    auto usable = [&](Window* c) {
      return c != nullptr && c->handle != hidden && (c->style & WS_VISIBLE) && !(c->style & WS_DISABLED) &&
             !(c->style & WS_MINIMIZE) && !(c->ex_style & WS_EX_NOACTIVATE);
    };
    if (w != nullptr && w->owner != nullptr && usable(FindWindowRecord(w->owner))) next = w->owner;
    if (next == nullptr) {
      for (HWND h : TopLevelOrder()) {
        if (usable(FindWindowRecord(h))) {
          next = h;
          break;
        }
      }
    }
  }
  Activate(next, false);
}

bool ActivateOnShow(HWND hwnd) {
  if (GetWindowLong(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) return false;
  Activate(hwnd, false);
  return true;
}

// ---- Focus ----

HWND SetFocus(HWND hwnd) {
  if (hwnd != nullptr) {
    if (!IsWindow(hwnd)) return nullptr;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    if (root != GetActiveWindow()) Activate(root, false);
  }
  HWND old;
  {
    std::lock_guard<std::mutex> hold(FocusLock());
    old = F().focus;
    if (old == hwnd) return old;
    F().focus = hwnd;
  }
  if (old != nullptr && IsWindow(old)) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd != nullptr && GetFocus() == hwnd) SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() {
  std::lock_guard<std::mutex> hold(FocusLock());
  return F().focus;
}

// ---- Capture ----

HWND SetCapture(HWND hwnd) {
  HWND old;
  {
    std::lock_guard<std::mutex> hold(FocusLock());
    old = F().capture;
    F().capture = hwnd;
  }
  if (old != nullptr && old != hwnd && IsWindow(old)) {
    SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  }
  return old;
}

BOOL ReleaseCapture() {
  HWND old;
  {
    std::lock_guard<std::mutex> hold(FocusLock());
    old = F().capture;
    F().capture = nullptr;
  }
  if (old != nullptr && IsWindow(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  std::lock_guard<std::mutex> hold(FocusLock());
  return F().capture;
}

// A window going away gives up the focus, the capture and the caret.
void ForgetWindowInputState(HWND hwnd) {
  if (InSubtree(hwnd, GetFocus())) {
    HWND parent = (GetWindowLong(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
    SetFocus(parent);
  }
  if (InSubtree(hwnd, GetCapture())) ReleaseCapture();
  if (InSubtree(hwnd, C().owner)) DestroyCaret();
  if (GetActiveWindow() == hwnd) ActivateAfterHide(hwnd);
  if (GetActiveWindow() == hwnd) {
    std::lock_guard<std::mutex> hold(FocusLock());
    F().active = nullptr;
  }
}

// ---- Caret ----

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!IsWindow(hwnd)) return FALSE;
  DestroyCaret();
  Caret& c = C();
  c.owner = hwnd;
  c.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  c.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  c.pos = POINT{0, 0};
  c.hidden = 1;
  c.drawn = false;
  c.next = GuiNow() + c.blink;
  return TRUE;
}

BOOL DestroyCaret() {
  Caret& c = C();
  if (c.owner == nullptr) return FALSE;
  EraseCaret();
  c.owner = nullptr;
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  Caret& c = C();
  if (c.owner == nullptr || (hwnd != nullptr && hwnd != c.owner)) return FALSE;
  if (c.hidden > 0 && --c.hidden == 0) {
    InvertCaret();
    c.drawn = true;
    c.next = GuiNow() + c.blink;
  }
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  Caret& c = C();
  if (c.owner == nullptr || (hwnd != nullptr && hwnd != c.owner)) return FALSE;
  if (c.hidden++ == 0) EraseCaret();
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  Caret& c = C();
  if (c.owner == nullptr) return FALSE;
  if (c.pos.x == x && c.pos.y == y) return TRUE;
  const bool was = c.drawn;
  EraseCaret();
  c.pos = POINT{x, y};
  if (was || c.hidden == 0) {
    InvertCaret();
    c.drawn = true;
    c.next = GuiNow() + c.blink;
  }
  return TRUE;
}

BOOL GetCaretPos(LPPOINT p) {
  if (p == nullptr) return FALSE;
  *p = C().pos;
  return TRUE;
}

BOOL SetCaretBlinkTime(UINT ms) {
  C().blink = std::max<UINT>(ms, 1);
  return TRUE;
}

UINT GetCaretBlinkTime() {
  return C().blink;
}

void CaretHideForPaint(HWND hwnd) {
  Caret& c = C();
  if (c.owner == hwnd && c.drawn) {
    EraseCaret();
    c.paint_hidden = true;
  }
}

void CaretRestoreAfterPaint(HWND hwnd) {
  Caret& c = C();
  if (c.owner == hwnd && c.paint_hidden) {
    c.paint_hidden = false;
    if (c.hidden == 0) {
      InvertCaret();
      c.drawn = true;
    }
  }
}

void CaretTick(DWORD thread) {
  Caret& c = C();
  if (c.owner == nullptr || c.hidden != 0) return;
  if (GetWindowThreadProcessId(c.owner, nullptr) != thread) return;
  const DWORD now = GuiNow();
  if (static_cast<LONG>(now - c.next) < 0) return;
  InvertCaret();
  c.drawn = !c.drawn;
  c.next = now + c.blink;
}

DWORD CaretNextDue(DWORD thread) {
  Caret& c = C();
  if (c.owner == nullptr || c.hidden != 0) return 0;
  if (GetWindowThreadProcessId(c.owner, nullptr) != thread) return 0;
  return c.next == 0 ? 1 : c.next;
}
