// The SDL2 back-end: each shown top-level window is an SDL window showing
// the window's client area with its menu bar (the desktop draws the frame
// and caption); the
// real mouse, keyboard, focus, sizing and dropped files become input and
// messages. All SDL calls happen on the display thread, in Pump().
#include <SDL.h>

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>

#include "platform/gui/backend.h"
#include "platform/gui/modal.h"
#include "platform/gui/window_internal.h"
#include "platform/gui/x11_desktop.h"

namespace {

struct Shown {
  SDL_Window* window = nullptr;
  Uint32 id = 0;
  bool visible = false;
  bool minimized = false;
  bool maximized = false;
  bool topmost = false;       // the window system's flag
  bool above = false;         // what the display was told: kept above others
  bool modal = false;
  SDL_Window* owner = nullptr;  // the window it is transient for
  bool x11 = false;             // an X11 window
  std::string title;
  RECT client{};  // screen rectangle last given to SDL
  bool force = true;
  int fit_waits = 0;  // pumps left to wait for the window manager's frame
};

struct State {
  bool exists = false;
  bool visible = false;
  bool minimized = false;
  bool maximized = false;
  bool topmost = false;
  bool resizable = false;
  bool caption = false;
  bool tool = false;
  bool enabled = true;
  bool modal = false;
  HWND owner = nullptr;
  std::string title;
  RECT client{};  // screen
  RECT window{};  // screen, with the frame the window system gives it
};

bool ReadState(HWND h, State* s) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(h);
  if (w == nullptr || w->parent != nullptr) return false;
  s->exists = true;
  s->visible = (w->style & WS_VISIBLE) != 0;
  s->minimized = (w->style & WS_MINIMIZE) != 0;
  s->maximized = (w->style & WS_MAXIMIZE) != 0;
  s->topmost = (w->ex_style & WS_EX_TOPMOST) != 0;
  s->resizable = (w->style & WS_THICKFRAME) != 0;
  s->caption = (w->style & WS_CAPTION) == WS_CAPTION;
  s->tool = (w->ex_style & WS_EX_TOOLWINDOW) != 0;
  s->enabled = !(w->style & WS_DISABLED);
  s->modal = IsModalWindow(h);
  s->owner = w->owner;
  s->title = w->text;
  s->client = OffsetRectBy(ShownArea(*w), w->rect.left, w->rect.top);
  s->window = w->rect;
  return true;
}

int MapKey(const SDL_Keysym& k) {
  const SDL_Keycode c = k.sym;
  if (c >= SDLK_a && c <= SDLK_z) return 'A' + (c - SDLK_a);
  if (c >= SDLK_0 && c <= SDLK_9) return '0' + (c - SDLK_0);
  if (c >= SDLK_F1 && c <= SDLK_F12) return VK_F1 + (c - SDLK_F1);
  if (c >= SDLK_KP_1 && c <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (c - SDLK_KP_1);
  switch (c) {
    case SDLK_KP_0:
      return VK_NUMPAD0;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_END:
      return VK_END;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    case SDLK_CAPSLOCK:
      return VK_CAPITAL;
    case SDLK_NUMLOCKCLEAR:
      return VK_NUMLOCK;
    case SDLK_SCROLLLOCK:
      return VK_SCROLL;
    case SDLK_PAUSE:
      return VK_PAUSE;
    case SDLK_PRINTSCREEN:
      return VK_SNAPSHOT;
    case SDLK_SEMICOLON:
      return VK_OEM_1;
    case SDLK_EQUALS:
      return VK_OEM_PLUS;
    case SDLK_COMMA:
      return VK_OEM_COMMA;
    case SDLK_MINUS:
      return VK_OEM_MINUS;
    case SDLK_PERIOD:
      return VK_OEM_PERIOD;
    case SDLK_SLASH:
      return VK_OEM_2;
    case SDLK_BACKQUOTE:
      return VK_OEM_3;
    case SDLK_LEFTBRACKET:
      return VK_OEM_4;
    case SDLK_BACKSLASH:
      return VK_OEM_5;
    case SDLK_RIGHTBRACKET:
      return VK_OEM_6;
    case SDLK_QUOTE:
      return VK_OEM_7;
    case SDLK_KP_MULTIPLY:
      return VK_MULTIPLY;
    case SDLK_KP_PLUS:
      return VK_ADD;
    case SDLK_KP_MINUS:
      return VK_SUBTRACT;
    case SDLK_KP_PERIOD:
      return VK_DECIMAL;
    case SDLK_KP_DIVIDE:
      return VK_DIVIDE;
  }
  return 0;
}

SDL_SystemCursor SystemCursor(int id) {
  switch (id) {
    case 32513:
      return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514:
      return SDL_SYSTEM_CURSOR_WAIT;
    case 32515:
      return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32642:
      return SDL_SYSTEM_CURSOR_SIZENWSE;
    case 32643:
      return SDL_SYSTEM_CURSOR_SIZENESW;
    case 32644:
      return SDL_SYSTEM_CURSOR_SIZEWE;
    case 32645:
      return SDL_SYSTEM_CURSOR_SIZENS;
    case 32646:
      return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32648:
      return SDL_SYSTEM_CURSOR_NO;
    case 32649:
      return SDL_SYSTEM_CURSOR_HAND;
    case 32650:
      return SDL_SYSTEM_CURSOR_WAITARROW;
  }
  return SDL_SYSTEM_CURSOR_ARROW;
}

class SdlBackend : public GuiBackend {
 public:
  explicit SdlBackend(RECT screen) : screen_(screen) {}

  const char* Name() const override { return "sdl"; }
  RECT Screen() override { return screen_; }
  DWORD PollInterval() override { return 10; }
  // Asked while windows are made: what the display thread saw last, or,
  // on it, the desktop's answer now.
  RECT WorkArea() override {
    if (OnDisplayThread()) return WorkArea(shown_.empty() ? nullptr : shown_.begin()->second.window);
    std::lock_guard<std::mutex> hold(lock_);
    return work_;
  }
  RECT Decoration() override {
    std::lock_guard<std::mutex> hold(lock_);
    return wm_frame_;
  }

  void WindowChanged(HWND hwnd) override {
    {
      std::lock_guard<std::mutex> hold(lock_);
      changed_.insert(hwnd);
    }
    WakeThread(DisplayThread());
  }

  void WindowGone(HWND hwnd) override {
    {
      std::lock_guard<std::mutex> hold(lock_);
      gone_.insert(hwnd);
      changed_.erase(hwnd);
    }
    WakeThread(DisplayThread());
  }

  void SetCursor(HCURSOR cursor) override {
    std::lock_guard<std::mutex> hold(lock_);
    want_cursor_ = cursor;
    cursor_dirty_ = true;
  }

  void Beep(UINT) override {}

  bool Capture(HWND hwnd, std::vector<std::uint32_t>* pixels, int* width, int* height) override {
    if (!OnDisplayThread()) return false;
    Pump();
    auto it = shown_.find(hwnd);
    if (it == shown_.end() || !it->second.visible) return false;
    SDL_Surface* ws = SDL_GetWindowSurface(it->second.window);
    if (ws == nullptr) return false;
    SDL_Surface* conv = SDL_ConvertSurfaceFormat(ws, SDL_PIXELFORMAT_RGB888, 0);
    if (conv == nullptr) return false;
    *width = conv->w;
    *height = conv->h;
    pixels->resize(static_cast<std::size_t>(conv->w) * conv->h);
    SDL_LockSurface(conv);
    for (int y = 0; y < conv->h; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(
          static_cast<const std::uint8_t*>(conv->pixels) + static_cast<std::ptrdiff_t>(y) * conv->pitch);
      for (int x = 0; x < conv->w; ++x)
        (*pixels)[static_cast<std::size_t>(y) * conv->w + x] = row[x] & 0xFFFFFF;
    }
    SDL_UnlockSurface(conv);
    SDL_FreeSurface(conv);
    return true;
  }

  void Pump() override {
    if (pumping_) return;
    pumping_ = true;
    Sync();
    Events();
    FitFramed();
    Settle();
    Present();
    ApplyCursor();
    pumping_ = false;
  }

 private:
  void Destroy(HWND h) {
    auto it = shown_.find(h);
    if (it == shown_.end()) return;
    by_id_.erase(it->second.id);
    for (auto& [other, s] : shown_) {
      if (s.owner == it->second.window) s.owner = nullptr;
    }
    x11desk::DestroyWindow(it->second.window);
    shown_.erase(it);
    stacked_.clear();
    if (raised_ == h) raised_ = nullptr;
  }

  // The desktop destroyed a window's X window (a window manager's or a
  // tool's close): the window is asked to close as its close button
  // would, and shows again if it stays.
  void DestroyedOutside(unsigned long xid) {
    for (auto& [h, s] : shown_) {
      if (x11desk::XWindowOf(s.window) != xid) continue;
      const HWND gone = h;
      Destroy(gone);
      if (IsWindow(gone)) {
        PostMessage(gone, WM_SYSCOMMAND, SC_CLOSE, 0);
        WindowChanged(gone);
      }
      return;
    }
  }

  void Sync() {
    std::set<HWND> changed, gone;
    {
      std::lock_guard<std::mutex> hold(lock_);
      changed.swap(changed_);
      gone.swap(gone_);
    }
    for (HWND h : gone) Destroy(h);
    for (HWND h : changed) {
      State st;
      if (!ReadState(h, &st)) {
        Destroy(h);
        continue;
      }
      auto it = shown_.find(h);
      if (it == shown_.end()) {
        if (!st.visible) continue;
        if (FitToWorkArea(h, st, nullptr)) continue;  // comes back changed
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (st.resizable) flags |= SDL_WINDOW_RESIZABLE;
        if (!st.caption) flags |= SDL_WINDOW_BORDERLESS;
        // Menus, drop-down lists and tips: the window manager leaves them be.
        if (st.tool && !st.caption && st.topmost) {
          flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
        } else if (st.tool) {
          flags |= SDL_WINDOW_UTILITY | SDL_WINDOW_SKIP_TASKBAR;
        }
        const bool above = Above(st.topmost, st.modal);
        if (above) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        const int w = std::max<int>(1, st.client.right - st.client.left);
        const int hgt = std::max<int>(1, st.client.bottom - st.client.top);
        SDL_Window* win =
            SDL_CreateWindow(st.title.c_str(), st.minimized ? SDL_WINDOWPOS_UNDEFINED : st.client.left,
                             st.minimized ? SDL_WINDOWPOS_UNDEFINED : st.client.top, w, hgt, flags);
        if (win == nullptr) continue;
        Shown s;
        s.window = win;
        s.id = SDL_GetWindowID(win);
        s.x11 = x11desk::XWindowOf(win) != 0;
        s.title = st.title;
        s.client = st.client;
        s.topmost = st.topmost;
        s.above = above;
        it = shown_.emplace(h, s).first;
        by_id_[s.id] = h;
      }
      Shown& s = it->second;
      SDL_Window* owner = nullptr;
      if (st.owner != nullptr) {
        auto o = shown_.find(st.owner);
        if (o != shown_.end() && o->second.visible) owner = o->second.window;
      }
      if (owner != s.owner) {
        x11desk::SetOwner(s.window, owner);
        s.owner = owner;
      }
      s.topmost = st.topmost;
      // SDL rewrites the window's state list: the level goes first.
      SetAbove(s, Above(st.topmost, st.modal));
      if (st.modal != s.modal) {
        x11desk::SetModal(s.window, st.modal);
        s.modal = st.modal;
        restack_ = true;
      }
      if (st.visible != s.visible) {
        if (st.visible) {
          x11desk::PrepareForMapping(s.window, GetActiveWindow() == h);
          SDL_ShowWindow(s.window);
          restack_ = true;
          // Placed before the window manager said how big its frame is.
          if (st.caption && s.x11 && x11desk::HasWindowManager(s.window)) s.fit_waits = kFitWaits;
        } else {
          SDL_HideWindow(s.window);
        }
        s.visible = st.visible;
        s.force = true;
      }
      if (st.title != s.title) {
        SDL_SetWindowTitle(s.window, st.title.c_str());
        s.title = st.title;
      }
      if (st.minimized != s.minimized) {
        if (st.minimized) {
          SDL_MinimizeWindow(s.window);
        } else {
          SDL_RestoreWindow(s.window);
        }
        s.minimized = st.minimized;
      }
      if (st.maximized != s.maximized && !st.minimized) {
        if (st.maximized) {
          SDL_MaximizeWindow(s.window);
        } else {
          SDL_RestoreWindow(s.window);
        }
        s.maximized = st.maximized;
      }
      if (!st.minimized && !st.maximized) {
        // The program placed the window: it stays whole on the work area.
        if (!EqualRect(&st.client, &s.client) && FitToWorkArea(h, st, &s) && !ReadState(h, &st)) continue;
        const RECT& c = st.client;
        if (c.left != s.client.left || c.top != s.client.top) {
          if (s.x11) {
            x11desk::MoveClient(s.window, c.left, c.top);
          } else {
            SDL_SetWindowPosition(s.window, c.left, c.top);
          }
        }
        if (c.right - c.left != s.client.right - s.client.left ||
            c.bottom - c.top != s.client.bottom - s.client.top) {
          SDL_SetWindowSize(s.window, std::max<int>(1, c.right - c.left), std::max<int>(1, c.bottom - c.top));
          s.force = true;
        }
        s.client = c;
      }
      if (st.visible && !st.minimized && GetActiveWindow() == h && raised_ != h) {
        raised_ = h;
        restack_ = true;
        // A window manager keeps owned, modal and topmost windows above by
        // their hints: only this one is raised and focused. Raising the
        // others too would hand them the focus.
        if (x11desk::HasWindowManager(s.window) || !s.x11) SDL_RaiseWindow(s.window);
      }
    }
    // While a modal window is up it alone is kept above the rest.
    bool modal_up = false;
    for (auto& [h, s] : shown_) modal_up = modal_up || (s.modal && s.visible);
    if (modal_up != modal_up_) {
      modal_up_ = modal_up;
      for (auto& [h, s] : shown_) SetAbove(s, Above(s.topmost, s.modal));
    }
    if (restack_) Restack();
  }

  bool Above(bool topmost, bool modal) const { return modal || (topmost && !modal_up_); }
  void SetAbove(Shown& s, bool above) {
    if (above == s.above) return;
    SDL_SetWindowAlwaysOnTop(s.window, above ? SDL_TRUE : SDL_FALSE);
    s.above = above;
    restack_ = true;
  }

  static constexpr int kFitWaits = 200;

  // The part of the screen windows may use: the window manager's work area
  // (without its panels), else the whole screen.
  RECT WorkArea(SDL_Window* any) {
    RECT work = screen_;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_Rect r;
    if (any != nullptr && x11desk::WorkArea(any, &x, &y, &w, &h)) {
      work = RECT{x, y, x + w, y + h};
    } else if (SDL_GetDisplayUsableBounds(0, &r) == 0 && r.w > 0 && r.h > 0) {
      work = RECT{r.x, r.y, r.x + r.w, r.y + r.h};
    }
    std::lock_guard<std::mutex> hold(lock_);
    work_ = work;
    return work;
  }

  // A window the program places (first shown, moved, sized, a place saved
  // on a larger screen) keeps its whole frame, the window manager's
  // decoration included, on the work area: moved in, and made smaller when
  // it is sizable and larger than the work area. The window manager's frame
  // is the one it gave this window, else the last one it gave any; without
  // a window manager there is none. True when the window was moved.
  bool FitToWorkArea(HWND h, const State& st, const Shown* s) {
    if (!st.visible || !st.caption || st.minimized || st.maximized) return false;
    SDL_Window* any = s != nullptr ? s->window : (shown_.empty() ? nullptr : shown_.begin()->second.window);
    RECT frame{};  // left, top, right, bottom thickness
    const bool wm = any != nullptr && x11desk::HasWindowManager(any);
    if (wm) {
      int l = 0, r = 0, t = 0, b = 0;
      std::lock_guard<std::mutex> hold(lock_);
      if (s != nullptr && x11desk::FrameExtents(s->window, &l, &r, &t, &b)) wm_frame_ = RECT{l, t, r, b};
      frame = wm_frame_;
    }
    // Nor does the window's own frame leave the work area, so that its
    // place reads back inside.
    const RECT& c = st.client;
    frame.left = std::max<LONG>(frame.left, c.left - st.window.left);
    frame.top = std::max<LONG>(frame.top, c.top - st.window.top);
    frame.right = std::max<LONG>(frame.right, st.window.right - c.right);
    frame.bottom = std::max<LONG>(frame.bottom, st.window.bottom - c.bottom);
    const RECT work = WorkArea(any);
    const int cw = c.right - c.left, ch = c.bottom - c.top;
    if (c.left - frame.left >= work.left && c.top - frame.top >= work.top && c.right + frame.right <= work.right &&
        c.bottom + frame.bottom <= work.bottom)
      return false;
    int w = cw, hgt = ch;
    if (st.resizable) {
      w = std::max(1, std::min<int>(w, work.right - work.left - frame.left - frame.right));
      hgt = std::max(1, std::min<int>(hgt, work.bottom - work.top - frame.top - frame.bottom));
    }
    const int x = std::max<int>(work.left + frame.left, std::min<int>(c.left, work.right - frame.right - w));
    const int y = std::max<int>(work.top + frame.top, std::min<int>(c.top, work.bottom - frame.bottom - hgt));
    if (x == c.left && y == c.top && w == cw && hgt == ch) return false;
    const RECT& r = st.window;
    SetWindowPos(h, nullptr, r.left + x - c.left, r.top + y - c.top, r.right - r.left + w - cw,
                 r.bottom - r.top + hgt - ch, SWP_NOZORDER | SWP_NOACTIVATE | (w == cw && hgt == ch ? SWP_NOSIZE : 0));
    return true;
  }

  // Windows shown before the window manager gave their frame are placed
  // again once it has.
  void FitFramed() {
    for (auto& [h, s] : shown_) {
      if (s.fit_waits <= 0) continue;
      int l = 0, r = 0, t = 0, b = 0;
      if (!x11desk::FrameExtents(s.window, &l, &r, &t, &b) && --s.fit_waits > 0) continue;
      s.fit_waits = 0;
      State st;
      if (ReadState(h, &st) && !s.minimized && !s.maximized) FitToWorkArea(h, st, &s);
    }
  }

  // With no window manager nobody stacks or focuses the windows: they go
  // in the window system's z-order and the active one takes the keys (SDL
  // hands the keys to every window it maps there). A window manager keeps
  // them by their hints, but a topmost window raised later would cover a
  // modal one: the modal ones are raised again, without the focus.
  void Restack() {
    restack_ = false;
    if (shown_.empty()) return;
    std::vector<SDL_Window*> order;
    std::vector<SDL_Window*> modal;
    {
      std::lock_guard<std::mutex> hold(TreeLock());
      for (HWND t : TopLevelOrder()) {
        auto it = shown_.find(t);
        if (it == shown_.end() || !it->second.visible || it->second.minimized) continue;
        order.push_back(it->second.window);
        if (it->second.modal) modal.insert(modal.begin(), it->second.window);
      }
    }
    if (x11desk::HasWindowManager(shown_.begin()->second.window)) {
      for (SDL_Window* w : modal) x11desk::RaiseWithoutFocus(w);
      return;
    }
    if (order != stacked_) {
      x11desk::Restack(order);
      stacked_ = order;
    }
    auto active = shown_.find(GetActiveWindow());
    if (active != shown_.end() && active->second.visible && !active->second.minimized)
      x11desk::Focus(active->second.window);
  }

  HWND ById(Uint32 id) {
    auto it = by_id_.find(id);
    return it == by_id_.end() ? nullptr : it->second;
  }

  POINT ToScreen(HWND h, int x, int y) {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(h);
    if (w == nullptr) return POINT{x, y};
    const RECT shown = ShownArea(*w);
    return POINT{w->rect.left + shown.left + x, w->rect.top + shown.top + y};
  }

  void WindowEvent(const SDL_WindowEvent& e) {
    HWND h = ById(e.windowID);
    if (h == nullptr || !IsWindow(h)) return;
    auto it = shown_.find(h);
    switch (e.event) {
      case SDL_WINDOWEVENT_CLOSE:
      case SDL_WINDOWEVENT_MINIMIZED:
      case SDL_WINDOWEVENT_MAXIMIZED:
      case SDL_WINDOWEVENT_RESTORED:
        // What SDL makes of the last words about an X window another client
        // destroyed (unmapped, so minimised; its state gone, so restored)
        // changes nothing: the word of its end follows and closes it.
        if (it != shown_.end() && it->second.x11 && x11desk::Gone(it->second.window)) return;
        break;
      default:
        break;
    }
    switch (e.event) {
      case SDL_WINDOWEVENT_CLOSE:
        PostMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
      case SDL_WINDOWEVENT_FOCUS_LOST:
        // Focus changes are applied once they have settled (Settle()): our
        // own raising of windows makes the desktop bounce the focus.
        focus_pending_ = true;
        break;
      case SDL_WINDOWEVENT_SIZE_CHANGED: {
        RECT c{};
        {
          std::lock_guard<std::mutex> hold(TreeLock());
          if (Window* w = FindWindowRecord(h)) {
            const RECT shown = ShownArea(*w);
            c = RECT{0, 0, shown.right - shown.left, shown.bottom - shown.top};
          }
        }
        if (c.right != e.data1 || c.bottom != e.data2) {
          RECT wr;
          GetWindowRect(h, &wr);
          const int dw = e.data1 - c.right, dh = e.data2 - c.bottom;
          if (it != shown_.end()) {
            it->second.client.right = it->second.client.left + e.data1;
            it->second.client.bottom = it->second.client.top + e.data2;
          }
          SetWindowPos(h, nullptr, 0, 0, wr.right - wr.left + dw, wr.bottom - wr.top + dh,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (it != shown_.end()) it->second.force = true;
        break;
      }
      case SDL_WINDOWEVENT_MOVED: {
        if (IsIconic(h) || IsZoomed(h)) break;
        const POINT org = ToScreen(h, 0, 0);
        if (org.x != e.data1 || org.y != e.data2) {
          RECT wr;
          GetWindowRect(h, &wr);
          if (it != shown_.end()) {
            const int w = it->second.client.right - it->second.client.left;
            const int hh = it->second.client.bottom - it->second.client.top;
            it->second.client = RECT{e.data1, e.data2, e.data1 + w, e.data2 + hh};
          }
          SetWindowPos(h, nullptr, wr.left + e.data1 - org.x, wr.top + e.data2 - org.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
      }
      case SDL_WINDOWEVENT_MINIMIZED:
        if (it != shown_.end()) it->second.minimized = true;
        if (!IsIconic(h)) SendMessage(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        break;
      case SDL_WINDOWEVENT_MAXIMIZED:
        if (it != shown_.end()) it->second.maximized = true;
        if (!IsZoomed(h)) SendMessage(h, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        break;
      case SDL_WINDOWEVENT_RESTORED:
        if (it != shown_.end()) {
          it->second.minimized = false;
          it->second.maximized = false;
          it->second.force = true;
        }
        if (IsIconic(h) || IsZoomed(h)) SendMessage(h, WM_SYSCOMMAND, SC_RESTORE, 0);
        break;
      case SDL_WINDOWEVENT_EXPOSED:
        if (it != shown_.end()) it->second.force = true;
        break;
    }
  }

  void Events() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      RawInput in;
      switch (e.type) {
        case SDL_WINDOWEVENT:
          WindowEvent(e.window);
          break;
        case SDL_SYSWMEVENT:
          if (const unsigned long xid = x11desk::DestroyedWindow(e.syswm.msg)) DestroyedOutside(xid);
          break;
        case SDL_MOUSEMOTION: {
          HWND h = ById(e.motion.windowID);
          if (h == nullptr) break;
          in.kind = RawInput::kMouseMove;
          in.root = h;
          in.pt = ToScreen(h, e.motion.x, e.motion.y);
          last_mouse_ = in.pt;
          QueueRawInput(in);
          break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
          HWND h = ById(e.button.windowID);
          if (h == nullptr) break;
          in.kind = RawInput::kMouseButton;
          in.root = h;
          in.pt = ToScreen(h, e.button.x, e.button.y);
          in.down = e.type == SDL_MOUSEBUTTONDOWN;
          in.button = e.button.button == SDL_BUTTON_RIGHT ? 1 : e.button.button == SDL_BUTTON_MIDDLE ? 2 : 0;
          last_mouse_ = in.pt;
          QueueRawInput(in);
          break;
        }
        case SDL_MOUSEWHEEL: {
          in.kind = RawInput::kMouseWheel;
          in.pt = last_mouse_;
          const int y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
          in.wheel = y * WHEEL_DELTA;
          if (in.wheel != 0) QueueRawInput(in);
          break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
          const int vk = MapKey(e.key.keysym);
          if (vk == 0) break;
          in.kind = RawInput::kKey;
          in.vk = vk;
          in.down = e.type == SDL_KEYDOWN;
          in.repeat = e.key.repeat != 0;
          QueueRawInput(in);
          break;
        }
        case SDL_DROPBEGIN:
          drop_files_.clear();
          drop_window_ = e.drop.windowID;
          break;
        case SDL_DROPFILE:
          if (e.drop.file != nullptr) {
            drop_files_.emplace_back(e.drop.file);
            SDL_free(e.drop.file);
          }
          drop_window_ = e.drop.windowID;
          break;
        case SDL_DROPCOMPLETE: {
          HWND h = ById(drop_window_ != 0 ? drop_window_ : e.drop.windowID);
          if (h != nullptr && !drop_files_.empty()) {
            in.kind = RawInput::kDrop;
            in.files = drop_files_;
            RECT c;
            GetClientRect(h, &c);
            in.pt = ToScreen(h, c.right / 2, c.bottom / 2);
            RECT wr;
            GetWindowRect(h, &wr);
            if (PtInRect(&wr, last_mouse_)) in.pt = last_mouse_;
            QueueRawInput(in);
          }
          drop_files_.clear();
          drop_window_ = 0;
          break;
        }
        default:
          break;
      }
    }
  }

  // The desktop moved the keyboard focus (the user switched windows or
  // programs): once it has stayed put for a moment, the activation follows.
  void Settle() {
    SDL_Window* kf = SDL_GetKeyboardFocus();
    HWND focused = kf != nullptr ? ById(SDL_GetWindowID(kf)) : nullptr;
    const Uint32 now = SDL_GetTicks();
    if (!shown_.empty() && shown_.begin()->second.x11 && !x11desk::HasWindowManager(shown_.begin()->second.window)) {
      // Without a window manager only SDL moves the keys on its own, to
      // each window it shows (a menu among them), and X drops them when the
      // window that had them goes: they go back to the active window, whose
      // activation stays.
      if (!focus_pending_) return;
      focus_pending_ = false;
      auto active = shown_.find(GetActiveWindow());
      if (focused != nullptr && focused != GetActiveWindow() && active != shown_.end() && active->second.visible &&
          !active->second.minimized)
        x11desk::Focus(active->second.window);
      return;
    }
    if (focused != last_focused_) {
      last_focused_ = focused;
      focus_since_ = now;
      return;
    }
    if (!focus_pending_ || now - focus_since_ < 150) return;
    focus_pending_ = false;
    HWND active = GetActiveWindow();
    if (focused == nullptr) {
      if (active != nullptr) {
        raised_ = nullptr;
        SetAppActive(false);
      }
      return;
    }
    if (focused == active || !IsWindow(focused)) return;
    if (GetWindowLong(focused, GWL_EXSTYLE) & WS_EX_NOACTIVATE) return;
    if (IsWindowEnabled(focused)) {
      raised_ = focused;
      SetActiveWindow(focused);
    } else {
      // A window disabled by a modal one hands the focus to it.
      HWND popup = GetLastActivePopup(focused);
      if (popup != focused) SetActiveWindow(popup);
    }
  }

  void Present() {
    for (auto& [h, s] : shown_) {
      if (!s.visible || s.minimized) continue;
      std::shared_ptr<Surface> surface;
      RECT client;
      bool drawn = false;
      {
        std::lock_guard<std::mutex> hold(TreeLock());
        Window* w = FindWindowRecord(h);
        if (w == nullptr || !w->surface) continue;
        surface = w->surface;
        client = ShownArea(*w);
        if (w->drawn) drawn = w->drawn->exchange(false);
      }
      if (!drawn && !s.force) continue;
      s.force = false;
      SDL_Surface* ws = SDL_GetWindowSurface(s.window);
      if (ws == nullptr) continue;
      const int cw = std::min<int>(client.right - client.left, surface->width() - client.left);
      const int ch = std::min<int>(client.bottom - client.top, surface->height() - client.top);
      if (cw <= 0 || ch <= 0) continue;
      SDL_Surface* src =
          SDL_CreateRGBSurfaceWithFormatFrom(surface->Row(client.top) + client.left * 4, cw, ch, 32,
                                             surface->row_bytes(), SDL_PIXELFORMAT_RGB888);
      if (src == nullptr) continue;
      SDL_BlitSurface(src, nullptr, ws, nullptr);
      SDL_FreeSurface(src);
      SDL_UpdateWindowSurface(s.window);
    }
  }

  void ApplyCursor() {
    HCURSOR want;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (!cursor_dirty_) return;
      cursor_dirty_ = false;
      want = want_cursor_;
    }
    if (want == nullptr) {
      SDL_ShowCursor(SDL_DISABLE);
      return;
    }
    SDL_ShowCursor(SDL_ENABLE);
    auto it = cursors_.find(want);
    if (it == cursors_.end()) {
      int system = 0, w = 0, h = 0;
      POINT hot{};
      std::vector<BYTE> and_plane, xor_plane;
      SDL_Cursor* c = nullptr;
      if (CursorInfo(want, &system, &w, &h, &hot, &and_plane, &xor_plane)) {
        if (system != 0) {
          c = SDL_CreateSystemCursor(SystemCursor(system));
        } else {
          SDL_Surface* img = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
          if (img != nullptr) {
            const int row = (w + 15) / 16 * 2;
            for (int y = 0; y < h; ++y) {
              auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(img->pixels) +
                                                           static_cast<std::ptrdiff_t>(y) * img->pitch);
              for (int x = 0; x < w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * row + x / 8;
                const bool a = i < and_plane.size() && ((and_plane[i] >> (7 - x % 8)) & 1);
                const bool v = i < xor_plane.size() && ((xor_plane[i] >> (7 - x % 8)) & 1);
                out[x] = a && !v ? 0x00000000u : (v && !a ? 0xFFFFFFFFu : 0xFF000000u);
              }
            }
            c = SDL_CreateColorCursor(img, hot.x, hot.y);
            SDL_FreeSurface(img);
          }
        }
      }
      it = cursors_.emplace(want, c).first;
    }
    if (it->second != nullptr) SDL_SetCursor(it->second);
  }

  RECT screen_;
  std::mutex lock_;
  RECT work_{screen_};        // the work area last seen
  RECT wm_frame_{};           // the window manager's frame last seen (thicknesses)
  std::set<HWND> changed_;
  std::set<HWND> gone_;
  HCURSOR want_cursor_ = nullptr;
  bool cursor_dirty_ = false;
  // Display thread only.
  bool pumping_ = false;
  std::map<HWND, Shown> shown_;
  std::unordered_map<Uint32, HWND> by_id_;
  std::map<HCURSOR, SDL_Cursor*> cursors_;
  HWND raised_ = nullptr;
  bool restack_ = false;
  bool modal_up_ = false;
  std::vector<SDL_Window*> stacked_;  // the order last given to a bare display
  bool focus_pending_ = false;
  HWND last_focused_ = nullptr;
  Uint32 focus_since_ = 0;
  POINT last_mouse_{};
  std::vector<std::string> drop_files_;
  Uint32 drop_window_ = 0;
};

}  // namespace

std::unique_ptr<GuiBackend> MakeSdlBackend() {
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A window's surface stays in memory: a GPU one would make SDL replace
  // the X window, losing what the desktop was told about it.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  x11desk::InstallErrorHandler();
  SDL_Rect r{0, 0, 1920, 1080};
  if (SDL_GetDisplayBounds(0, &r) != 0) r = SDL_Rect{0, 0, 1920, 1080};
  return std::make_unique<SdlBackend>(RECT{r.x, r.y, r.x + r.w, r.y + r.h});
}
