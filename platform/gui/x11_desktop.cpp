#include "platform/gui/x11_desktop.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/gui/display_lost.h"

namespace x11desk {
namespace {

struct Handle {
  Display* display = nullptr;
  ::Window window = 0;
};

bool Of(SDL_Window* w, Handle* h) {
  if (w == nullptr) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  h->display = info.info.x11.display;
  h->window = info.info.x11.window;
  return h->display != nullptr && h->window != 0;
}

Atom A(Display* d, const char* name) {
  return XInternAtom(d, name, False);
}

int IgnoreError(Display* d, XErrorEvent* e) {
  char text[128] = "";
  XGetErrorText(d, e->error_code, text, sizeof text);
  std::fprintf(stderr, "kobrix: X error ignored: %s (request %d, resource 0x%lx)\n", text,
               static_cast<int>(e->request_code), static_cast<unsigned long>(e->resourceid));
  return 0;
}

// The 32-bit items of a property of the type wanted, at most count of them
// from item offset on; none when the property is missing or of another type.
std::vector<long> Items(Display* d, ::Window on, Atom property, Atom wanted, long offset, long count) {
  Atom type = 0;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> items;
  if (XGetWindowProperty(d, on, property, offset, count, False, wanted, &type, &format, &n, &after, &data) ==
          Success &&
      data != nullptr && type == wanted && format == 32) {
    // Xlib hands 32-bit items over as longs.
    const long* v = reinterpret_cast<const long*>(data);
    items.assign(v, v + std::min<unsigned long>(n, static_cast<unsigned long>(count)));
  }
  if (data != nullptr) XFree(data);
  return items;
}

// The window a property names (a WINDOW-typed property), 0 when none.
::Window WindowProperty(Display* d, ::Window on, Atom property) {
  const std::vector<long> v = Items(d, on, property, XA_WINDOW, 0, 1);
  return v.size() == 1 ? static_cast<::Window>(v[0]) : 0;
}

// _NET_WM_STATE changes of a mapped window go through the window manager.
void SendState(const Handle& h, bool add, Atom first, Atom second) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = h.window;
  e.xclient.message_type = A(h.display, "_NET_WM_STATE");
  e.xclient.format = 32;
  e.xclient.data.l[0] = add ? 1 : 0;
  e.xclient.data.l[1] = static_cast<long>(first);
  e.xclient.data.l[2] = static_cast<long>(second);
  e.xclient.data.l[3] = 1;
  XSendEvent(h.display, DefaultRootWindow(h.display), False,
             SubstructureNotifyMask | SubstructureRedirectMask, &e);
}

// X errors while a call is made that may meet a window already gone: kept
// quiet, and told.
bool g_trapped = false;
int TrapError(Display*, XErrorEvent*) {
  g_trapped = true;
  return 0;
}

class QuietErrors {
 public:
  explicit QuietErrors(Display* d) : display_(d) {
    XSync(display_, False);
    g_trapped = false;
    previous_ = XSetErrorHandler(TrapError);
  }
  ~QuietErrors() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  bool Failed() {
    XSync(display_, False);
    return g_trapped;
  }

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

// The word that a window was unmapped, given ahead to whoever waits for it.
Bool IsGivenUnmap(Display*, XEvent* e, XPointer window) {
  return e->type == UnmapNotify && e->xunmap.send_event && e->xunmap.event == e->xunmap.window &&
         e->xunmap.window == *reinterpret_cast<::Window*>(window);
}

bool Mapped(const Handle& h) {
  XWindowAttributes a;
  return XGetWindowAttributes(h.display, h.window, &a) != 0 && a.map_state != IsUnmapped;
}

std::atomic<DisplayLostHook> lost_hook{nullptr};
std::atomic<bool> lost{false};
thread_local bool keeping = false;

void ReturnToCaller(Display*, void*) {}

// The connection is gone (the server ended). Xlib would end the program
// were this to return; it ends it itself once the hook has run.
int DisplayLost(Display* d) {
  // A call to the display from the hook meets the same loss: it fails and
  // returns to its caller, whose work goes on.
  if (keeping) return 0;
  // Another thread met the loss first and ends the program.
  if (lost.exchange(true)) {
    for (;;) pause();
  }
  keeping = true;
  XSetIOErrorExitHandler(d, ReturnToCaller, nullptr);
  if (const DisplayLostHook hook = lost_hook.load()) hook();
  std::fprintf(stderr, "kobrix: X connection to %s broken\n", DisplayString(d));
  std::exit(1);
}

}  // namespace

void InstallErrorHandler() {
  XSetErrorHandler(IgnoreError);
  XSetIOErrorHandler(DisplayLost);
}

bool HasWindowManager(SDL_Window* w) {
  Handle h;
  if (!Of(w, &h)) return false;
  static Uint32 asked = 0;
  static bool present = false;
  const Uint32 now = SDL_GetTicks();
  if (asked != 0 && now - asked < 2000) return present;
  asked = now == 0 ? 1 : now;
  const Atom check = A(h.display, "_NET_SUPPORTING_WM_CHECK");
  const ::Window wm = WindowProperty(h.display, DefaultRootWindow(h.display), check);
  // A stale property outlives its window manager: the window must name itself.
  present = wm != 0 && WindowProperty(h.display, wm, check) == wm;
  return present;
}

void PrepareForMapping(SDL_Window* w, bool take_focus) {
  Handle h;
  if (!Of(w, &h)) return;
  XSizeHints* hints = XAllocSizeHints();
  if (hints != nullptr) {
    long supplied = 0;
    XGetWMNormalHints(h.display, h.window, hints, &supplied);
    hints->flags |= PWinGravity;
    hints->win_gravity = StaticGravity;
    XSetWMNormalHints(h.display, h.window, hints);
    XFree(hints);
  }
  const Atom user_time = A(h.display, "_NET_WM_USER_TIME");
  if (take_focus) {
    XDeleteProperty(h.display, h.window, user_time);
  } else {
    // A time of 0 asks the window manager not to focus the window it maps.
    const long zero = 0;
    XChangeProperty(h.display, h.window, user_time, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&zero), 1);
  }
  XFlush(h.display);
}

void SetOwner(SDL_Window* w, SDL_Window* owner) {
  Handle h, o;
  if (!Of(w, &h)) return;
  if (owner != nullptr && Of(owner, &o)) {
    XSetTransientForHint(h.display, h.window, o.window);
  } else {
    XDeleteProperty(h.display, h.window, XA_WM_TRANSIENT_FOR);
  }
  XFlush(h.display);
}

void SetModal(SDL_Window* w, bool modal) {
  Handle h;
  if (!Of(w, &h)) return;
  const Atom state = A(h.display, "_NET_WM_STATE");
  const Atom modal_atom = A(h.display, "_NET_WM_STATE_MODAL");
  if (Mapped(h)) {
    SendState(h, modal, modal_atom, 0);
  } else {
    // Before mapping the window's own list is read; keep what SDL put there.
    std::vector<Atom> atoms;
    for (long a : Items(h.display, h.window, state, XA_ATOM, 0, 64)) {
      if (static_cast<Atom>(a) != modal_atom) atoms.push_back(static_cast<Atom>(a));
    }
    if (modal) atoms.push_back(modal_atom);
    XChangeProperty(h.display, h.window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
  }
  XFlush(h.display);
}

void RaiseWithoutFocus(SDL_Window* w) {
  Handle h;
  if (!Of(w, &h) || !Mapped(h)) return;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = h.window;
  e.xclient.message_type = A(h.display, "_NET_RESTACK_WINDOW");
  e.xclient.format = 32;
  e.xclient.data.l[0] = 2;  // as a pager would: no focus rules apply
  e.xclient.data.l[1] = 0;
  e.xclient.data.l[2] = Above;
  XSendEvent(h.display, DefaultRootWindow(h.display), False,
             SubstructureNotifyMask | SubstructureRedirectMask, &e);
  XFlush(h.display);
}

void MoveClient(SDL_Window* w, int x, int y) {
  Handle h;
  if (!Of(w, &h)) return;
  XMoveWindow(h.display, h.window, x, y);
  XFlush(h.display);
}

bool FrameExtents(SDL_Window* w, int* left, int* right, int* top, int* bottom) {
  Handle h;
  if (!Of(w, &h)) return false;
  const std::vector<long> v =
      Items(h.display, h.window, A(h.display, "_NET_FRAME_EXTENTS"), XA_CARDINAL, 0, 4);
  if (v.size() < 4) return false;
  *left = static_cast<int>(v[0]);
  *right = static_cast<int>(v[1]);
  *top = static_cast<int>(v[2]);
  *bottom = static_cast<int>(v[3]);
  return true;
}

bool WorkArea(SDL_Window* w, int* x, int* y, int* width, int* height) {
  Handle h;
  if (!Of(w, &h)) return false;
  const ::Window root = DefaultRootWindow(h.display);
  const std::vector<long> desktop =
      Items(h.display, root, A(h.display, "_NET_CURRENT_DESKTOP"), XA_CARDINAL, 0, 1);
  const long current = desktop.size() == 1 && desktop[0] >= 0 && desktop[0] < 64 ? desktop[0] : 0;
  const std::vector<long> area =
      Items(h.display, root, A(h.display, "_NET_WORKAREA"), XA_CARDINAL, current * 4, 4);
  if (area.size() < 4 || area[2] <= 0 || area[3] <= 0) return false;
  *x = static_cast<int>(area[0]);
  *y = static_cast<int>(area[1]);
  *width = static_cast<int>(area[2]);
  *height = static_cast<int>(area[3]);
  return true;
}

void Restack(const std::vector<SDL_Window*>& top_first) {
  std::vector<::Window> windows;
  Display* display = nullptr;
  for (SDL_Window* w : top_first) {
    Handle h;
    if (!Of(w, &h)) continue;
    display = h.display;
    windows.push_back(h.window);
  }
  if (display == nullptr || windows.empty()) return;
  XRaiseWindow(display, windows.front());
  if (windows.size() > 1) XRestackWindows(display, windows.data(), static_cast<int>(windows.size()));
  XFlush(display);
}

void Focus(SDL_Window* w) {
  Handle h;
  if (!Of(w, &h) || !Mapped(h)) return;
  XSetInputFocus(h.display, h.window, RevertToParent, CurrentTime);
  XFlush(h.display);
}

unsigned long XWindowOf(SDL_Window* w) {
  Handle h;
  return Of(w, &h) ? h.window : 0;
}

bool Gone(SDL_Window* w) {
  Handle h;
  if (!Of(w, &h)) return false;
  QuietErrors quiet(h.display);
  XWindowAttributes a;
  return XGetWindowAttributes(h.display, h.window, &a) == 0 || quiet.Failed();
}

void DestroyWindow(SDL_Window* w) {
  Handle h;
  if (!Of(w, &h)) {
    SDL_DestroyWindow(w);
    return;
  }
  const bool gone = Gone(w);
  QuietErrors quiet(h.display);
  if (gone) {
    XEvent e{};
    e.xunmap.type = UnmapNotify;
    e.xunmap.send_event = True;
    e.xunmap.display = h.display;
    e.xunmap.event = h.window;
    e.xunmap.window = h.window;
    XPutBackEvent(h.display, &e);
  }
  SDL_DestroyWindow(w);
  if (!gone) return;
  // Taken or not, the word goes with the window.
  XEvent left;
  while (XCheckIfEvent(h.display, &left, IsGivenUnmap, reinterpret_cast<XPointer>(&h.window))) {
  }
}

unsigned long DestroyedWindow(const SDL_SysWMmsg* msg) {
  if (msg == nullptr || msg->subsystem != SDL_SYSWM_X11) return 0;
  const XEvent& e = msg->msg.x11.event;
  return e.type == DestroyNotify ? e.xdestroywindow.window : 0;
}

}  // namespace x11desk

DisplayLostHook SetDisplayLostHook(DisplayLostHook hook) {
  return x11desk::lost_hook.exchange(hook);
}
