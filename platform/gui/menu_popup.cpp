// The menu session: popup menu windows, the modal loop that runs an open
// menu (from the menu bar or TrackPopupMenu) with the mouse and the keys,
// and the messages it sends.
#include <algorithm>
#include <cctype>
#include <mutex>

#include "platform/core/message_queue.h"
#include "platform/gui/backend.h"
#include "platform/gui/dialog.h"
#include "platform/gui/gdi_internal.h"
#include "platform/gui/menu_internal.h"
#include "platform/gui/modal.h"
#include "platform/gui/user.h"

namespace {

// Window extra bytes of a popup menu window.
constexpr int kMenuSlot = 0;

struct Level {
  HMENU menu = nullptr;
  HWND window = nullptr;  // null for the menu bar
  int selected = -1;
  std::vector<RECT> rects;  // screen coordinates
};

struct Session {
  HWND owner = nullptr;
  bool bar = false;  // levels[0] is the owner's menu bar
  bool system = false;
  UINT flags = 0;
  std::vector<Level> levels;
  bool done = false;
  bool chosen = false;
  UINT_PTR command = 0;
  bool command_system = false;
  bool notify = true;
  POINT down{};  // where the mouse button went down in this session
};

thread_local Session* t_session = nullptr;

void RegisterPopupClass();

LRESULT PopupProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      MenuRec rec;
      if (CopyMenuRec(reinterpret_cast<HMENU>(GetWindowLongPtr(h, kMenuSlot)), &rec)) {
        std::vector<RECT> rects;
        LayoutPopup(rec, &rects);
        RECT client;
        GetClientRect(h, &client);
        PaintPopup(dc, rec, rects, client);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case MN_GETHMENU:
      return GetWindowLongPtr(h, kMenuSlot);
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

void RegisterPopupClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASS wc;
    wc.style = CS_SAVEBITS | CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = PopupProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_POPUPMENU;
    RegisterClass(&wc);
  });
}

MenuRec RecOf(HMENU menu) {
  MenuRec rec;
  CopyMenuRec(menu, &rec);
  return rec;
}

bool Selectable(const MenuItemRec& it) {
  return !(it.flags & MF_SEPARATOR);
}

bool Enabled(const MenuItemRec& it) {
  return !(it.flags & (MF_GRAYED | MF_DISABLED));
}

void RefreshLevel(const Level& level, HWND owner) {
  if (level.window != nullptr) {
    InvalidateRect(level.window, nullptr, FALSE);
  } else {
    DrawMenuBar(owner);
  }
}

void BarRects(Session& s) {
  Level& bar = s.levels[0];
  const MenuRec rec = RecOf(bar.menu);
  bar.rects = LayoutMenuBar(rec, MenuBarRect(s.owner));
  RECT wr;
  GetWindowRect(s.owner, &wr);
  for (RECT& r : bar.rects) OffsetRect(&r, wr.left, wr.top);
}

void Select(Session& s, std::size_t level_index, int index, bool mouse) {
  Level& level = s.levels[level_index];
  const MenuRec rec = RecOf(level.menu);
  if (index >= static_cast<int>(rec.items.size())) index = -1;
  if (level.selected == index) return;
  level.selected = index;
  SetMenuHilite(level.menu, index);
  RefreshLevel(level, s.owner);
  if (!s.notify) return;
  const bool sys = IsSystemMenu(level.menu);
  if (index < 0) {
    SendMessage(s.owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    return;
  }
  const MenuItemRec& it = rec.items[static_cast<std::size_t>(index)];
  UINT flags = (it.flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED | MF_POPUP | MF_BITMAP)) | MF_HILITE;
  if (mouse) flags |= MF_MOUSESELECT;
  if (sys) flags |= MF_SYSMENU;
  const WPARAM item = it.popup != nullptr ? static_cast<WPARAM>(index) : it.id;
  SendMessage(s.owner, WM_MENUSELECT, MAKEWPARAM(static_cast<int>(item), static_cast<int>(flags)),
              reinterpret_cast<LPARAM>(level.menu));
}

void CloseLevelsAfter(Session& s, std::size_t keep) {
  while (s.levels.size() > keep + 1) {
    Level& last = s.levels.back();
    SetMenuHilite(last.menu, -1);
    if (last.window != nullptr && IsWindow(last.window)) DestroyWindow(last.window);
    s.levels.pop_back();
  }
}

// Opens menu as a new level: below a bar item, beside a popup item, or at
// (x, y) with the TrackPopupMenu alignment.
void OpenLevel(Session& s, HMENU menu, int parent_index, const RECT* beside, bool below, int x, int y) {
  RegisterPopupClass();
  const bool sys = IsSystemMenu(menu);
  if (s.notify)
    SendMessage(s.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                MAKELPARAM(std::max(parent_index, 0), sys ? 1 : 0));
  if (s.done) return;
  const MenuRec rec = RecOf(menu);
  std::vector<RECT> rects;
  const SIZE size = LayoutPopup(rec, &rects);
  const RECT screen = Backend().Screen();
  if (beside != nullptr && below) {
    x = beside->left;
    y = beside->bottom;
    if (y + size.cy > screen.bottom) y = beside->top - size.cy;
  } else if (beside != nullptr) {
    x = beside->right - 3;
    y = beside->top - 3;
    if (x + size.cx > screen.right) x = beside->left - size.cx + 3;
  } else {
    if (s.flags & TPM_RIGHTALIGN) {
      x -= size.cx;
    } else if (s.flags & TPM_CENTERALIGN) {
      x -= size.cx / 2;
    }
    if (s.flags & TPM_BOTTOMALIGN) {
      y -= size.cy;
    } else if (s.flags & TPM_VCENTERALIGN) {
      y -= size.cy / 2;
    }
    if (y + size.cy > screen.bottom) y -= size.cy;
  }
  x = std::clamp<int>(x, screen.left, std::max<int>(screen.left, screen.right - size.cx));
  y = std::clamp<int>(y, screen.top, std::max<int>(screen.top, screen.bottom - size.cy));
  HWND w = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WC_POPUPMENU, "", WS_POPUP, x, y, size.cx,
                          size.cy, s.owner, nullptr, nullptr, nullptr);
  if (w == nullptr) return;
  SetWindowLongPtr(w, kMenuSlot, reinterpret_cast<LONG_PTR>(menu));
  SetMenuHilite(menu, -1);
  ShowWindow(w, SW_SHOWNOACTIVATE);
  Level level;
  level.menu = menu;
  level.window = w;
  for (RECT& r : rects) OffsetRect(&r, x, y);
  level.rects = std::move(rects);
  s.levels.push_back(std::move(level));
}

int FirstSelectable(const MenuRec& rec, int from, int step) {
  const int n = static_cast<int>(rec.items.size());
  if (n == 0) return -1;
  for (int k = 0; k < n; ++k) {
    const int i = ((from + step * k) % n + n) % n;
    if (Selectable(rec.items[static_cast<std::size_t>(i)])) return i;
  }
  return -1;
}

// Opens the submenu of the selected item of level li, selecting its first
// item when the keyboard asked.
void OpenSelected(Session& s, std::size_t li, bool select_first) {
  CloseLevelsAfter(s, li);
  Level& level = s.levels[li];
  if (level.selected < 0) return;
  const MenuRec rec = RecOf(level.menu);
  const MenuItemRec& it = rec.items[static_cast<std::size_t>(level.selected)];
  if (it.popup == nullptr || !Enabled(it)) return;
  const RECT item = level.rects[static_cast<std::size_t>(level.selected)];
  const bool below = level.window == nullptr;
  OpenLevel(s, it.popup, level.selected, &item, below, 0, 0);
  if (select_first && s.levels.size() > li + 1) {
    const MenuRec sub = RecOf(s.levels.back().menu);
    Select(s, s.levels.size() - 1, FirstSelectable(sub, 0, 1), false);
  }
}

void Choose(Session& s, const Level& level, const MenuItemRec& it) {
  s.done = true;
  s.chosen = true;
  s.command = it.id;
  s.command_system = IsSystemMenu(level.menu);
}

// The level and item under a screen point, searched from the last popup.
bool HitTest(const Session& s, POINT p, std::size_t* li, int* index) {
  for (std::size_t k = s.levels.size(); k-- > 0;) {
    const Level& level = s.levels[k];
    for (std::size_t i = 0; i < level.rects.size(); ++i) {
      if (PtInRect(&level.rects[i], p)) {
        *li = k;
        *index = static_cast<int>(i);
        return true;
      }
    }
    if (level.window != nullptr) {
      RECT wr;
      GetWindowRect(level.window, &wr);
      if (PtInRect(&wr, p)) {
        *li = k;
        *index = -1;
        return true;
      }
    }
  }
  return false;
}

void MouseMove(Session& s, POINT p) {
  std::size_t li;
  int index;
  if (!HitTest(s, p, &li, &index)) {
    // Off the menus: the last popup shows no selection unless a submenu is open.
    Level& last = s.levels.back();
    if (last.window != nullptr && s.levels.size() > 0) Select(s, s.levels.size() - 1, -1, true);
    return;
  }
  if (index < 0) return;
  const MenuRec rec = RecOf(s.levels[li].menu);
  if (!Selectable(rec.items[static_cast<std::size_t>(index)])) return;
  const bool bar_level = s.levels[li].window == nullptr;
  if (bar_level && s.levels.size() == 1 && s.levels[0].selected < 0) return;
  if (s.levels[li].selected == index && s.levels.size() > li + 1) return;
  if (s.levels[li].selected != index) {
    CloseLevelsAfter(s, li);
    Select(s, li, index, true);
  }
  const MenuItemRec& it = rec.items[static_cast<std::size_t>(index)];
  if (it.popup != nullptr && s.levels.size() == li + 1) OpenSelected(s, li, false);
}

bool UsesButton(const Session& s, UINT msg) {
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_LBUTTONDBLCLK) return true;
  if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK)
    return !s.bar && (s.flags & TPM_RIGHTBUTTON);
  return false;
}

void ButtonDown(Session& s, POINT p) {
  s.down = p;
  std::size_t li;
  int index;
  if (!HitTest(s, p, &li, &index)) {
    s.done = true;
    return;
  }
  if (index < 0) return;
  const MenuRec rec = RecOf(s.levels[li].menu);
  const MenuItemRec& it = rec.items[static_cast<std::size_t>(index)];
  if (!Selectable(it)) return;
  if (s.levels[li].window == nullptr && s.levels[li].selected == index && s.levels.size() > 1) {
    // A second click on the open bar item closes the menu.
    s.done = true;
    return;
  }
  CloseLevelsAfter(s, li);
  Select(s, li, index, true);
  if (it.popup != nullptr) OpenSelected(s, li, false);
}

void ButtonUp(Session& s, POINT p) {
  std::size_t li;
  int index;
  if (!HitTest(s, p, &li, &index) || index < 0) return;
  const Level& level = s.levels[li];
  const MenuRec rec = RecOf(level.menu);
  const MenuItemRec& it = rec.items[static_cast<std::size_t>(index)];
  if (!Selectable(it) || it.popup != nullptr || !Enabled(it)) return;
  Choose(s, level, it);
}

void MoveInBar(Session& s, int step) {
  const MenuRec bar = RecOf(s.levels[0].menu);
  const bool open = s.levels.size() > 1;
  CloseLevelsAfter(s, 0);
  const int from = s.levels[0].selected < 0 ? 0 : s.levels[0].selected + step;
  Select(s, 0, FirstSelectable(bar, from, step), false);
  if (open) OpenSelected(s, 0, true);
}

// The item of the last level whose underlined letter is c: a single one
// acts at once, among several the next one is selected.
void MnemonicKey(Session& s, int c) {
  c = std::toupper(c);
  const std::size_t li = s.levels.size() - 1;
  Level& level = s.levels[li];
  const MenuRec rec = RecOf(level.menu);
  std::vector<int> matches;
  for (std::size_t i = 0; c != 0 && i < rec.items.size(); ++i) {
    if (MnemonicOf(rec.items[i].text.c_str()) == c) matches.push_back(static_cast<int>(i));
  }
  if (matches.empty()) {
    MessageBeep(0);
    return;
  }
  if (matches.size() > 1) {
    int next = matches.front();
    for (int m : matches) {
      if (m > level.selected) {
        next = m;
        break;
      }
    }
    Select(s, li, next, false);
    return;
  }
  Select(s, li, matches.front(), false);
  const MenuItemRec& it = rec.items[static_cast<std::size_t>(matches.front())];
  if (it.popup != nullptr) {
    OpenSelected(s, li, true);
  } else if (Enabled(it)) {
    Choose(s, s.levels[li], it);
  }
}

void KeyDown(Session& s, const MSG& m) {
  const std::size_t li = s.levels.size() - 1;
  Level& level = s.levels[li];
  const MenuRec rec = RecOf(level.menu);
  const bool on_bar = level.window == nullptr;
  switch (m.wParam) {
    case VK_UP:
    case VK_DOWN:
      if (on_bar) {
        if (m.wParam == VK_DOWN) OpenSelected(s, 0, true);
      } else {
        const int step = m.wParam == VK_DOWN ? 1 : -1;
        const int from = level.selected < 0 ? (step > 0 ? 0 : -1) : level.selected + step;
        Select(s, li, FirstSelectable(rec, from, step), false);
      }
      return;
    case VK_LEFT:
      if (s.levels.size() > (s.bar ? 2u : 1u)) {
        CloseLevelsAfter(s, li - 1);
      } else if (s.bar) {
        MoveInBar(s, -1);
      }
      return;
    case VK_RIGHT:
      if (!on_bar && level.selected >= 0 &&
          rec.items[static_cast<std::size_t>(level.selected)].popup != nullptr) {
        OpenSelected(s, li, true);
      } else if (s.bar) {
        MoveInBar(s, 1);
      }
      return;
    case VK_RETURN: {
      if (level.selected < 0) return;
      const MenuItemRec& it = rec.items[static_cast<std::size_t>(level.selected)];
      if (it.popup != nullptr) {
        OpenSelected(s, li, true);
      } else if (Enabled(it)) {
        Choose(s, level, it);
      }
      return;
    }
    case VK_ESCAPE:
      if (s.levels.size() > 1) {
        CloseLevelsAfter(s, li - 1);
      } else {
        s.done = true;
      }
      return;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
    case VK_F10:
      s.done = true;
      return;
  }
  TranslateMessage(&m);
}

// Takes every input message while the menu is open.
bool PreTranslate(Session& s, const MSG& m) {
  if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) {
    const POINT p = m.pt;
    if (m.message == WM_MOUSEMOVE) {
      MouseMove(s, p);
    } else if (UsesButton(s, m.message)) {
      if (m.message == WM_LBUTTONUP || m.message == WM_RBUTTONUP) {
        ButtonUp(s, p);
      } else {
        ButtonDown(s, p);
      }
    } else if (m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN || m.message == WM_MBUTTONDOWN) {
      std::size_t li;
      int index;
      if (!HitTest(s, p, &li, &index)) s.done = true;
    }
    return true;
  }
  if (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK) return true;
  switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      KeyDown(s, m);
      return true;
    case WM_CHAR:
    case WM_SYSCHAR:
      MnemonicKey(s, static_cast<int>(m.wParam & 0xFF));
      return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return true;
  }
  return false;
}

UINT_PTR RunSession(Session& s, HWND modal_window) {
  t_session = &s;
  SetCapture(s.levels.size() > 1 || s.levels[0].window == nullptr ? s.owner : s.levels[0].window);
  HWND capture_window = GetCapture();
  // Each time the queue runs dry the owner hears that the menu waits (help
  // on the highlighted item takes its cue from it).
  RunModalLoop(
      modal_window, [&] { return s.done || !IsWindow(s.owner); },
      [&](const MSG& m) { return PreTranslate(s, m); }, [&] { s.done = true; },
      [&](int count) {
        if (!s.notify || count > 0 || !IsWindow(s.owner)) return false;
        HWND shown = s.levels.back().window != nullptr ? s.levels.back().window : s.owner;
        SendMessage(s.owner, WM_ENTERIDLE, MAKEWPARAM(MSGF_MENU, 0), reinterpret_cast<LPARAM>(shown));
        return false;
      });
  if (GetCapture() == capture_window) ReleaseCapture();
  CloseLevelsAfter(s, 0);
  if (s.levels[0].window != nullptr && IsWindow(s.levels[0].window)) DestroyWindow(s.levels[0].window);
  SetMenuHilite(s.levels[0].menu, -1);
  if (s.bar && IsWindow(s.owner)) DrawMenuBar(s.owner);
  t_session = nullptr;
  if (IsWindow(s.owner) && s.notify) {
    SendMessage(s.owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    SendMessage(s.owner, WM_EXITMENULOOP, s.bar ? FALSE : TRUE, 0);
  }
  return s.chosen ? s.command : 0;
}

void Deliver(const Session& s) {
  if (!s.chosen || !IsWindow(s.owner)) return;
  if (s.command_system) {
    POINT p{};
    GetCursorPos(&p);
    PostMessage(s.owner, WM_SYSCOMMAND, s.command, MAKELPARAM(p.x, p.y));
  } else {
    PostMessage(s.owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(s.command), 0), 0);
  }
}

}  // namespace

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS*) {
  if (t_session != nullptr || !IsMenu(menu) || owner == nullptr || !IsWindow(owner)) return FALSE;
  Session s;
  s.owner = owner;
  s.flags = flags;
  s.notify = !(flags & TPM_NONOTIFY);
  if (s.notify) {
    SendMessage(owner, WM_ENTERMENULOOP, TRUE, 0);
    SendMessage(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
  }
  OpenLevel(s, menu, 0, nullptr, false, x, y);
  if (s.levels.empty()) {
    if (s.notify && IsWindow(owner)) SendMessage(owner, WM_EXITMENULOOP, TRUE, 0);
    return FALSE;
  }
  const UINT_PTR command = RunSession(s, s.levels[0].window);
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(command);
  Deliver(s);
  return s.chosen ? TRUE : FALSE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

BOOL EndMenu() {
  if (t_session == nullptr) return FALSE;
  t_session->done = true;
  PostMessage(t_session->owner, WM_NULL, 0, 0);
  return TRUE;
}

void TrackMenuBar(HWND hwnd, int index, bool keyboard) {
  HMENU bar = GetMenu(hwnd);
  if (t_session != nullptr || bar == nullptr) return;
  Session s;
  s.owner = hwnd;
  s.bar = true;
  SendMessage(hwnd, WM_ENTERMENULOOP, FALSE, 0);
  SendMessage(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
  if (!IsWindow(hwnd) || GetMenu(hwnd) != bar) return;
  Level level;
  level.menu = bar;
  s.levels.push_back(level);
  BarRects(s);
  const MenuRec rec = RecOf(bar);
  if (index < 0) {
    Select(s, 0, FirstSelectable(rec, 0, 1), false);
  } else {
    Select(s, 0, index, !keyboard);
    OpenSelected(s, 0, keyboard);
  }
  RunSession(s, s.levels.size() > 1 ? s.levels[1].window : hwnd);
  Deliver(s);
}

bool OpenPopupItemRect(HMENU menu, UINT position, RECT* rect) {
  if (t_session == nullptr) return false;
  for (const Level& level : t_session->levels) {
    if (level.menu == menu && position < level.rects.size()) {
      *rect = level.rects[position];
      return true;
    }
  }
  return false;
}
