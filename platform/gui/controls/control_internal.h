// Inside the controls: the state record each control window keeps, the
// notifications to the parent, colours and fonts, and the pieces of the
// 3-D look that several controls draw.
#pragma once

#include <memory>
#include <string>

#include "platform/gui/controls.h"
#include "platform/gui/gdi.h"
#include "platform/gui/user.h"

namespace controls {

// A control's state lives on the heap, reached through the first extra
// bytes of its window. Each procedure call holds a reference while it runs,
// so that a parent that destroys the control from a notification leaves the
// state intact until the procedure returns.
struct State {
  virtual ~State() = default;
  HFONT font = nullptr;  // as WM_SETFONT gave it; null draws with the default
};
constexpr int kExtraBytes = static_cast<int>(sizeof(LONG_PTR));

// Registers a control class whose windows keep their State in the extra bytes.
void RegisterControlClass(const char* name, WNDPROC proc, UINT style, LPCSTR cursor = IDC_ARROW);

std::shared_ptr<State> GetState(HWND h);
void SetState(HWND h, std::shared_ptr<State> state);
void DropState(HWND h);  // WM_NCDESTROY

template <class T>
std::shared_ptr<T> Get(HWND h) {
  return std::static_pointer_cast<T>(GetState(h));
}
template <class T>
std::shared_ptr<T> Attach(HWND h) {
  auto s = std::make_shared<T>();
  SetState(h, s);
  return s;
}

// The font a control draws with.
HFONT DrawFont(const State& s);
// WM_SETFONT and WM_GETFONT for any control; false for other messages.
bool HandleFont(HWND h, State& s, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct FontInfo {
  int height = 0;
  int ascent = 0;
  int ave_width = 0;
  int widths[256] = {};
};
FontInfo MeasureFont(HFONT font);
int TextWidth(const FontInfo& f, const char* text, std::size_t length);

int ControlId(HWND h);
inline DWORD StyleOf(HWND h) {
  return static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
}
// WM_COMMAND to the parent with the control's id and code.
void NotifyParent(HWND h, WORD code);
// WM_NOTIFY to the parent; returns the parent's answer.
LRESULT NotifyParentHeader(HWND h, UINT code, NMHDR* header = nullptr);
// The brush (and, in dc, the colours) the parent chooses with a
// WM_CTLCOLOR* message, or the default ones.
HBRUSH ParentBrush(HWND h, HDC dc, UINT ctlcolor);

std::string WindowTextOf(HWND h);

// Drawing.
void FillSys(HDC dc, const RECT& r, int sys_color);
void FillColor(HDC dc, const RECT& r, COLORREF color);
// A one-pixel frame, top-left in one colour and bottom-right in another;
// returns the rectangle inside it.
RECT Frame1(HDC dc, RECT r, int top_left, int bottom_right);
// A solid triangle pointing up, down, left or right (0..3), centred in r.
void Arrow(HDC dc, const RECT& r, int direction, COLORREF color, int size);
// A radio button's round face, shadow and dot, in a square of side d at (x, y).
void RadioFace(HDC dc, int x, int y, int d, bool checked, bool pushed, bool enabled);
// A check box's sunken square of side d at (x, y) with its tick.
void CheckFace(HDC dc, int x, int y, int d, bool checked, bool pushed, bool enabled, bool flat);

// Keyboard state of the message being handled.
inline bool ShiftDown() {
  return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}
inline bool CtrlDown() {
  return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

// Messages between a combo box and its parts (class-private numbers).
constexpr UINT kEditComboMode = WM_USER + 0x7001;  // the edit belongs to a combo box
constexpr UINT kComboEditKey = WM_USER + 0x7002;   // a key the combo's edit passes on
constexpr UINT kComboListDone = WM_USER + 0x7003;  // wParam: TRUE chosen, FALSE cancelled
constexpr UINT kListComboMode = WM_USER + 0x7004;  // wParam: the combo box the list drops from

// The hidden window that holds the mouse while a window's scroll bar is
// dragged.
bool IsScrollTracker(HWND h);

// Registration of the classes (one per control kind).
void RegisterButtonClass();
void RegisterStaticClass();
void RegisterEditClass();
void RegisterListBoxClasses();
void RegisterComboBoxClass();
void RegisterScrollBarClass();
void RegisterTrackbarClass();
void RegisterTooltipClass();
void RegisterTabClass();
void RegisterUpDownClass();

}  // namespace controls

// Called by the window system (controls.cpp).
void RegisterControlClasses();
