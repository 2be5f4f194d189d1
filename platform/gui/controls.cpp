// Push buttons and static texts, and the registration of the system's
// classes.
#include "platform/gui/controls.h"

#include <algorithm>
#include <mutex>

#include "platform/gui/message_box.h"
#include "platform/gui/window_internal.h"

void RegisterMessageBoxClass();  // message_box.cpp

namespace {

// Window extra bytes of both classes: state flags, then the font.
constexpr int kStateOffset = 0;
constexpr int kFontOffset = sizeof(LONG_PTR);
constexpr int kIconOffset = 2 * sizeof(LONG_PTR);
constexpr LONG_PTR kPressed = 1;
constexpr LONG_PTR kTracking = 2;
constexpr LONG_PTR kFocused = 4;

LONG_PTR State(HWND h) {
  return GetWindowLongPtr(h, kStateOffset);
}
void SetState(HWND h, LONG_PTR s) {
  SetWindowLongPtr(h, kStateOffset, s);
}

HFONT ControlFontOf(HWND h) {
  HFONT f = reinterpret_cast<HFONT>(GetWindowLongPtr(h, kFontOffset));
  return f != nullptr ? f : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Fill(HDC dc, const RECT& r, int sys) {
  FillRect(dc, &r, GetSysColorBrush(sys));
}

RECT Edge(HDC dc, RECT r, int top_left, int bottom_right) {
  Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, top_left);
  Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, top_left);
  Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottom_right);
  Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottom_right);
  return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

void Notify(HWND button, WORD code) {
  HWND parent = GetParent(button);
  if (parent == nullptr) return;
  SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), code), reinterpret_cast<LPARAM>(button));
}

void PaintButton(HWND h, HDC dc) {
  RECT r;
  GetClientRect(h, &r);
  const LONG_PTR st = State(h);
  const bool pressed = (st & kPressed) != 0;
  const bool focused = (st & kFocused) != 0;
  const bool def = (GetWindowLong(h, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  const bool enabled = IsWindowEnabled(h) != FALSE;
  if (def) r = Edge(dc, r, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME);
  if (pressed) {
    r = Edge(dc, r, COLOR_BTNSHADOW, COLOR_BTNSHADOW);
  } else {
    r = Edge(dc, r, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
    r = Edge(dc, r, COLOR_3DLIGHT, COLOR_BTNSHADOW);
  }
  Fill(dc, r, COLOR_BTNFACE);
  char text[256];
  GetWindowText(h, text, sizeof text);
  HGDIOBJ old = SelectObject(dc, ControlFontOf(h));
  SetBkMode(dc, TRANSPARENT);
  RECT t = r;
  if (pressed) OffsetRect(&t, 1, 1);
  if (enabled) {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawText(dc, text, -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  } else {
    RECT etch = t;
    OffsetRect(&etch, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawText(dc, text, -1, &etch, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawText(dc, text, -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  SelectObject(dc, old);
  if (focused) {
    RECT f = r;
    InflateRect(&f, -3, -3);
    DrawFocusRect(dc, &f);
  }
}

void Click(HWND h) {
  if (!IsWindowEnabled(h)) return;
  Notify(h, BN_CLICKED);
}

LRESULT ButtonProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      PaintButton(h, dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetCapture(h);
      if (GetFocus() != h) SetFocus(h);
      SetState(h, State(h) | kPressed | kTracking);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (State(h) & kTracking) {
        RECT r;
        GetClientRect(h, &r);
        const bool inside = PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE;
        const LONG_PTR st = State(h);
        if (inside != ((st & kPressed) != 0)) {
          SetState(h, inside ? (st | kPressed) : (st & ~kPressed));
          InvalidateRect(h, nullptr, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONUP: {
      const LONG_PTR st = State(h);
      if (!(st & kTracking)) return 0;
      SetState(h, st & ~(kPressed | kTracking));
      ReleaseCapture();
      InvalidateRect(h, nullptr, FALSE);
      RECT r;
      GetClientRect(h, &r);
      if ((st & kPressed) && PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) Click(h);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (State(h) & kTracking) {
        SetState(h, State(h) & ~(kPressed | kTracking));
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !(lParam & (1 << 30))) {
        SetState(h, State(h) | kPressed);
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && (State(h) & kPressed)) {
        SetState(h, State(h) & ~kPressed);
        InvalidateRect(h, nullptr, FALSE);
        Click(h);
      }
      return 0;
    case WM_SETFOCUS:
      SetState(h, State(h) | kFocused);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_KILLFOCUS:
      SetState(h, State(h) & ~(kFocused | kPressed));
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE: {
      const bool def = (GetWindowLong(h, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      return DLGC_BUTTON | (def ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    }
    case BM_CLICK:
      Click(h);
      return 0;
    case BM_GETSTATE: {
      const LONG_PTR st = State(h);
      return ((st & kPressed) ? BST_PUSHED : 0) | ((st & kFocused) ? BST_FOCUS : 0);
    }
    case BM_SETSTATE:
      SetState(h, wParam ? (State(h) | kPressed) : (State(h) & ~kPressed));
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case BM_SETSTYLE: {
      const LONG style = GetWindowLong(h, GWL_STYLE);
      SetWindowLong(h, GWL_STYLE, static_cast<LONG>((style & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK)));
      if (lParam) InvalidateRect(h, nullptr, FALSE);
      return 0;
    }
    case WM_SETFONT:
      SetWindowLongPtr(h, kFontOffset, static_cast<LONG_PTR>(wParam));
      if (lParam) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtr(h, kFontOffset);
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProc(h, msg, wParam, lParam);
      InvalidateRect(h, nullptr, FALSE);
      return r;
    }
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

LRESULT StaticProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      HWND parent = GetParent(h);
      HBRUSH brush =
          parent != nullptr
              ? reinterpret_cast<HBRUSH>(SendMessage(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(h)))
              : nullptr;
      if (brush == nullptr) {
        brush = GetSysColorBrush(COLOR_BTNFACE);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      }
      FillRect(dc, &r, brush);
      const DWORD style = static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
      const DWORD type = style & SS_TYPEMASK;
      if (type == SS_ICON) {
        HICON icon = reinterpret_cast<HICON>(GetWindowLongPtr(h, kIconOffset));
        if (icon != nullptr) DrawIcon(dc, 0, 0, icon);
      } else {
        char text[2048];
        GetWindowText(h, text, sizeof text);
        UINT fmt = DT_EXPANDTABS;
        if (type == SS_CENTER) fmt |= DT_CENTER;
        if (type == SS_RIGHT) fmt |= DT_RIGHT;
        if (type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) fmt |= DT_WORDBREAK;
        if (type == SS_SIMPLE) fmt |= DT_SINGLELINE;
        if (style & SS_NOPREFIX) fmt |= DT_NOPREFIX;
        HGDIOBJ old = SelectObject(dc, ControlFontOf(h));
        SetBkMode(dc, TRANSPARENT);
        if (!IsWindowEnabled(h)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawText(dc, text, -1, &r, fmt);
        SelectObject(dc, old);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      if (!(GetWindowLong(h, GWL_STYLE) & SS_NOTIFY)) return HTTRANSPARENT;
      break;
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProc(h, msg, wParam, lParam);
      InvalidateRect(h, nullptr, TRUE);
      return r;
    }
    case WM_ENABLE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SETFONT:
      SetWindowLongPtr(h, kFontOffset, static_cast<LONG_PTR>(wParam));
      if (lParam) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtr(h, kFontOffset);
    case STM_SETICON: {
      const LONG_PTR old = SetWindowLongPtr(h, kIconOffset, static_cast<LONG_PTR>(wParam));
      InvalidateRect(h, nullptr, TRUE);
      return old;
    }
    case STM_GETICON:
      return GetWindowLongPtr(h, kIconOffset);
    case WM_GETDLGCODE:
      return DLGC_STATIC;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterSystemClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASS wc;
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = ButtonProc;
    wc.cbWndExtra = 3 * sizeof(LONG_PTR);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_BUTTON;
    RegisterClass(&wc);
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = StaticProc;
    wc.lpszClassName = WC_STATIC;
    RegisterClass(&wc);
    RegisterMessageBoxClass();
  });
}
