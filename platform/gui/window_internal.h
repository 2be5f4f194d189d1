// Inside the window system: the window records, the tree and z-order, the
// raw input queues, and the hooks between the core, the back-ends, the
// controls and the modal loops. Everything here is guarded by TreeLock();
// no window procedure is ever called with it held.
//
// Where the rest of the user interface plugs in: a menu bar takes its room
// through Window::menu (NonClientInsets) and draws in PaintNonClient; the
// standard controls register in RegisterSystemClasses (controls.cpp); modal
// dialogs run RunModalLoop (modal.h) with their keyboard handling as its
// pre-translation step.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gui/gdi_internal.h"
#include "platform/gui/user.h"

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int cls_extra = 0;
  int wnd_extra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON icon_small = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menu_name;
  int menu_id = 0;
  std::vector<BYTE> extra;
};

struct WindowScrollBars;  // controls/scrollbar.cpp

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  DWORD thread = 0;
  HWND parent = nullptr;       // child windows
  HWND owner = nullptr;        // top-level windows
  std::vector<HWND> children;  // z-order, topmost first
  RECT rect;                   // parent client coordinates (children) or screen (top-level)
  RECT client;                 // client area in window coordinates (from the window's top-left)
  std::string text;
  LONG_PTR user_data = 0;
  LONG_PTR id = 0;       // control id of a child window
  HMENU menu = nullptr;  // menu bar of a top-level window
  HINSTANCE instance = nullptr;
  std::vector<BYTE> extra;
  HICON icon_big = nullptr;
  HICON icon_small = nullptr;
  std::shared_ptr<WindowScrollBars> scroll_bars;  // WS_HSCROLL, WS_VSCROLL
  // Painting (client coordinates).
  Region update;
  bool erase_pending = false;
  bool frame_pending = false;  // the non-client area needs WM_NCPAINT
  bool internal_paint = false;
  bool painting = false;
  bool redraw = true;  // WM_SETREDRAW
  // Top-level windows only.
  std::shared_ptr<Surface> surface;
  std::shared_ptr<std::atomic<bool>> drawn;  // drawn since the back-end last presented it
  RECT normal_rect;                          // placement when neither minimised nor maximised
  HWND last_active_popup = nullptr;
  bool destroying = false;
  bool created = false;  // WM_CREATE has returned
};

std::mutex& TreeLock();
// The record of a live window, or null (under TreeLock()).
Window* FindWindowRecord(HWND hwnd);
// The top-level windows in z-order, topmost first (under TreeLock()).
std::vector<HWND>& TopLevelOrder();
// Bumped whenever positions, visibility or z-order change.
void BumpLayout();

// The z-order of top-level windows (window_placement.cpp, under TreeLock()):
// a window goes to the top of its band, the topmost one or the other; the
// windows h owns move to just above it, keeping their order.
void InsertTopLocked(HWND h, bool topmost);
void LiftOwnedLocked(HWND h);
// Where a new top-level window opens that the window system places (no
// place of its own, or a dialog's place from its template): rect moved whole
// onto the work area, and below its owner's caption and menu bar where it
// would cover them and the work area has room there.
RECT PlaceOwnedLocked(const RECT& rect, DWORD style, DWORD ex_style, HWND owner);

// A window's text as the default window procedure keeps it (window.cpp).
void StoreWindowText(HWND hwnd, LPCSTR text);
std::string StoredWindowText(HWND hwnd);

// Window geometry (under TreeLock()).
RECT WindowRectOnSurface(const Window& w);  // the whole window, in its top-level's surface
RECT ClientRectOnSurface(const Window& w);
POINT ClientOriginOnScreen(const Window& w);
Window* RootOf(Window* w);
bool IsVisibleChain(const Window& w);
// Non-client insets of a window with these styles, and the client area
// they leave w, in window coordinates.
RECT NonClientInsets(DWORD style, DWORD ex_style, bool menu, bool child);
RECT ComputeClientLocked(const Window& w);

// The current thread's id as the queues know it.
DWORD CurrentGuiThread();
DWORD GuiNow();
void WakeThread(DWORD thread);

// Raw input, turned into window messages when the owning thread takes it.
struct RawInput {
  enum Kind { kMouseMove, kMouseButton, kMouseWheel, kKey, kDrop } kind = kMouseMove;
  POINT pt;        // screen
  int button = 0;  // 0 left, 1 right, 2 middle
  bool down = false;
  int wheel = 0;
  int vk = 0;
  bool repeat = false;
  std::vector<std::string> files;
  DWORD time = 0;
  // The top-level window the display delivered the mouse to, when it
  // knows: a window manager stacks the windows its own way.
  HWND root = nullptr;
};
void QueueRawInput(const RawInput& input);
// Called by the activation code when the program gains or loses the focus
// of the desktop.
void SetAppActive(bool active);

// Activation and input state (focus.cpp). A click activates its top-level
// window; hiding, minimising or destroying the active window passes the
// activation on (to its owner, else the next visible enabled top-level);
// a window going away gives up the focus, the capture and the caret.
bool ActivateFromClick(HWND root);
bool ActivateOnShow(HWND hwnd);
void ActivateAfterHide(HWND hidden);
void ForgetWindowInputState(HWND hwnd);
HWND TopLevelAt(POINT screen);
// The deepest window of root's tree at screen, null when root is not there.
HWND WindowInRootAt(HWND root, POINT screen);

// The message source of the window system (paint, timers, input); installed
// on first use of a window.
void EnsureMessageSource();

// Non-client drawing and the frame metrics (window_frame.cpp).
void PaintNonClient(HWND hwnd, bool active);
LRESULT NonClientHitTest(HWND hwnd, POINT screen);
// The menu bar of a top-level window in window coordinates (empty without
// one), and the part of the window that a display which draws its own
// frame and caption shows: the client area with the menu bar above it and
// the window's own scroll bars beside it (under TreeLock()).
RECT MenuBarRectLocked(const Window& w);
RECT ShownArea(const Window& w);

// Menus (menu_bar.cpp, menu.cpp): the bar's drawing in the frame, the
// default window procedure's menu part, and a window's menus going with it.
void PaintMenuBar(HWND hwnd, HDC dc, const RECT& bar, bool active);
bool MenuDefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
void DestroyWindowMenus(HWND hwnd);

// The scroll bars in a window's frame (controls/scrollbar.cpp): drawn with
// the frame, tracked from a press on them.
void PaintWindowScrollBars(HWND hwnd, HDC window_dc);
void TrackWindowScrollBar(HWND hwnd, int bar, POINT screen);
// The window under screen below hwnd (a sibling lower in the z-order, or
// the deepest child of one), for input that hwnd lets through; null when
// none of its siblings is there.
HWND WindowBelowAt(HWND hwnd, POINT screen);

// A message's name for the trace ("WM_PAINT", "WM_USER+99"); buffer holds
// the names it makes up (message_names.cpp).
const char* MessageName(UINT msg, char* buffer, std::size_t size);

// Default handling shared by the controls of this library.
LRESULT CallWindowProcOf(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The system's classes: the standard controls (controls.cpp) and the
// message box (message_box.cpp).
void RegisterSystemClasses();
void RegisterMessageBoxClass();

// The first window of thread (within filter, when given) with an update
// region to paint, or null (paint.cpp).
HWND FirstWindowNeedingPaint(DWORD thread, HWND filter);

// Caret drawing around painting.
void CaretHideForPaint(HWND hwnd);
void CaretRestoreAfterPaint(HWND hwnd);
void CaretTick(DWORD thread);
DWORD CaretNextDue(DWORD thread);

// Timers (timers.cpp). IsTimerProc tells DispatchMessage that a WM_TIMER's
// lParam is a callback some timer was set with, so it may call it.
bool IsTimerProc(LPARAM proc);
bool NextTimerMessage(DWORD thread, HWND filter, bool remove, MSG* msg);
DWORD TimerNextDue(DWORD thread, bool* any);
void KillWindowTimers(HWND hwnd);

// Cursors and icons. The pointer's position as input moved it
// (messages.cpp); a cursor's record for a back-end that shows it, false for
// an unknown handle (system.cpp); the system's own icons, kind being an
// IDI_* number (icons.cpp).
bool CursorInfo(HCURSOR cursor, int* system, int* width, int* height, POINT* hot,
                std::vector<BYTE>* and_plane, std::vector<BYTE>* xor_plane);
void PaintSystemIcon(HDC dc, int x, int y, int kind);

// Files dropped from the desktop (system.cpp holds the records).
HDROP CreateDrop(const std::vector<std::string>& files, POINT client, bool in_client);

// Filters of GetMessage and PeekMessage.
bool MatchesFilter(HWND hwnd, HWND filter);
inline bool InRange(UINT msg, UINT min, UINT max) {
  return (min == 0 && max == 0) || (msg >= min && msg <= max);
}
