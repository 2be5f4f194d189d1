// What the sdl back-end asks of an X11 desktop beyond what SDL offers:
// owned and modal windows the window manager keeps above their owners,
// restacking and focusing without a window manager, windows placed by
// their client area, and X errors that never end the program. Every call
// is a no-op when the window is not an X11 one (Wayland, another driver).
// Kept apart from the window system's own headers: Xlib's names (Window,
// None, Bool) clash with ours.
#pragma once

#include <SDL.h>

#include <vector>

namespace x11desk {

// After SDL's video start: X errors (a window destroyed from outside) are
// reported on standard error and otherwise ignored; the loss of the
// connection runs the display-lost hook (display_lost.h) before the end.
void InstallErrorHandler();
// Whether a window manager runs on w's screen (asked again now and then).
bool HasWindowManager(SDL_Window* w);
// Before w is first shown: the position given is its client area's (the
// window manager puts its frame around it), and w takes no focus on
// mapping unless take_focus.
void PrepareForMapping(SDL_Window* w, bool take_focus);
// w is transient for owner (null: for none).
void SetOwner(SDL_Window* w, SDL_Window* owner);
// w is modal (to its owner).
void SetModal(SDL_Window* w, bool modal);
// Raises w above its layer's windows without giving it the focus.
void RaiseWithoutFocus(SDL_Window* w);
// Moves w's client area to (x, y) on the screen.
void MoveClient(SDL_Window* w, int x, int y);
// The window manager's frame around w's client area (_NET_FRAME_EXTENTS):
// false until the window manager has said; no window manager, no frame.
bool FrameExtents(SDL_Window* w, int* left, int* right, int* top, int* bottom);
// The part of the screen the window manager leaves to windows
// (_NET_WORKAREA of the current desktop); false when it gives none.
bool WorkArea(SDL_Window* w, int* x, int* y, int* width, int* height);
// Without a window manager: the windows stacked in this order (top first)
// and the keyboard focus given to one of them.
void Restack(const std::vector<SDL_Window*>& top_first);
void Focus(SDL_Window* w);
// The X window of w, 0 when none; the X window that an SDL_SYSWMEVENT says
// was destroyed, 0 when it says something else.
unsigned long XWindowOf(SDL_Window* w);
unsigned long DestroyedWindow(const SDL_SysWMmsg* msg);
// Whether another client destroyed w's X window (its word may still be on
// the way); false for a window that is no X11 one.
bool Gone(SDL_Window* w);
// SDL_DestroyWindow(w), also when another client destroyed w's X window:
// SDL unmaps a window it believes mapped and waits for the window system to
// say so, which it never does for a window that is gone.
void DestroyWindow(SDL_Window* w);

}  // namespace x11desk
