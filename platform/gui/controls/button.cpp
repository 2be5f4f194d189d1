// Buttons: push buttons, the default push button, check boxes, radio
// buttons, group boxes and owner-drawn buttons.
#include <algorithm>

#include "platform/gui/controls/control_internal.h"

namespace controls {
namespace {

constexpr int kBoxSize = 13;
constexpr int kBoxGap = 4;

struct ButtonState : State {
  LRESULT check = BST_UNCHECKED;
  bool pushed = false;  // drawn pressed
  bool focused = false;
  bool tracking = false;  // the mouse is captured after a press
  bool space = false;     // held down with the space bar
};

DWORD TypeOf(HWND h) {
  return StyleOf(h) & BS_TYPEMASK;
}
bool IsPush(DWORD type) {
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}
bool IsCheck(DWORD type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
}
bool IsRadio(DWORD type) {
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

void SetCheck(HWND h, ButtonState& s, LRESULT check) {
  const DWORD type = TypeOf(h);
  if (!IsCheck(type) && !IsRadio(type)) return;
  check = check ? BST_CHECKED : BST_UNCHECKED;
  // The checked radio button of a group is the one Tab reaches.
  if (IsRadio(type)) {
    const DWORD style = StyleOf(h);
    const DWORD want = check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    if (want != style) SetWindowLong(h, GWL_STYLE, static_cast<LONG>(want));
  }
  if (s.check != check) {
    s.check = check;
    InvalidateRect(h, nullptr, FALSE);
  }
}

// An automatic radio button that is clicked unchecks the other radio
// buttons of its group: the siblings from the one that starts the group
// (WS_GROUP) up to the next group.
void UncheckGroup(HWND h) {
  HWND first = h;
  while (!(GetWindowLong(first, GWL_STYLE) & WS_GROUP)) {
    HWND prev = GetWindow(first, GW_HWNDPREV);
    if (prev == nullptr) break;
    first = prev;
  }
  for (HWND w = first; w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w != first && (GetWindowLong(w, GWL_STYLE) & WS_GROUP)) break;
    if (w == h) continue;
    if (SendMessage(w, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) SendMessage(w, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void Clicked(HWND h, ButtonState& s) {
  const DWORD type = TypeOf(h);
  if (type == BS_AUTOCHECKBOX) {
    SetCheck(h, s, s.check ? BST_UNCHECKED : BST_CHECKED);
  } else if (type == BS_AUTORADIOBUTTON) {
    SetCheck(h, s, BST_CHECKED);
    UncheckGroup(h);
  }
  NotifyParent(h, BN_CLICKED);
}

void SetPushed(HWND h, ButtonState& s, bool pushed) {
  if (s.pushed == pushed) return;
  s.pushed = pushed;
  InvalidateRect(h, nullptr, FALSE);
}

UINT TextFormat(DWORD style, bool push) {
  UINT fmt = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  switch (style & BS_CENTER) {
    case BS_LEFT:
      fmt |= DT_LEFT;
      break;
    case BS_RIGHT:
      fmt |= DT_RIGHT;
      break;
    case BS_CENTER:
      fmt |= DT_CENTER;
      break;
    default:
      fmt |= push ? DT_CENTER : DT_LEFT;
      break;
  }
  return fmt;
}

// Draws text into r, vertically placed by the BS_TOP/BS_BOTTOM style (centred
// otherwise); returns the rectangle the text took.
RECT PlaceText(HDC dc, const std::string& text, RECT r, DWORD style, UINT fmt) {
  RECT calc = r;
  DrawText(dc, text.c_str(), -1, &calc, fmt | DT_CALCRECT);
  const int th = calc.bottom - calc.top, tw = calc.right - calc.left;
  int top = r.top + (r.bottom - r.top - th) / 2;
  if ((style & BS_VCENTER) == BS_TOP) top = r.top;
  if ((style & BS_VCENTER) == BS_BOTTOM) top = r.bottom - th;
  int left = r.left;
  if (fmt & DT_CENTER) left = r.left + (r.right - r.left - tw) / 2;
  if (fmt & DT_RIGHT) left = r.right - tw;
  return RECT{left, top, left + tw, top + th};
}

void DrawLabel(HDC dc, const std::string& text, RECT r, UINT fmt, bool enabled, COLORREF color) {
  SetBkMode(dc, TRANSPARENT);
  if (enabled) {
    SetTextColor(dc, color);
    DrawText(dc, text.c_str(), -1, &r, fmt);
    return;
  }
  RECT etch = r;
  OffsetRect(&etch, 1, 1);
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  DrawText(dc, text.c_str(), -1, &etch, fmt);
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  DrawText(dc, text.c_str(), -1, &r, fmt);
}

void PaintPush(HWND h, HDC dc, const ButtonState& s) {
  RECT r;
  GetClientRect(h, &r);
  const DWORD style = StyleOf(h);
  const bool def = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  const bool enabled = IsWindowEnabled(h) != FALSE;
  if (def) r = Frame1(dc, r, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME);
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (s.pushed ? DFCS_PUSHED : 0));
  RECT inner = r;
  InflateRect(&inner, -2, -2);
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  const std::string text = WindowTextOf(h);
  const UINT fmt = TextFormat(style, true);
  RECT t = PlaceText(dc, text, inner, style, fmt);
  if (s.pushed) OffsetRect(&t, 1, 1);
  DrawLabel(dc, text, t, fmt | DT_NOCLIP, enabled, GetSysColor(COLOR_BTNTEXT));
  SelectObject(dc, old);
  if (s.focused) {
    RECT f = r;
    InflateRect(&f, -3, -3);
    DrawFocusRect(dc, &f);
  }
}

void PaintCheckOrRadio(HWND h, HDC dc, const ButtonState& s, bool radio) {
  RECT r;
  GetClientRect(h, &r);
  const DWORD style = StyleOf(h);
  const bool enabled = IsWindowEnabled(h) != FALSE;
  HBRUSH back = ParentBrush(h, dc, WM_CTLCOLORSTATIC);
  const COLORREF text_color = GetTextColor(dc);
  FillRect(dc, &r, back);
  const bool left_text = (style & BS_LEFTTEXT) != 0;
  int top = r.top + (r.bottom - r.top - kBoxSize) / 2;
  if ((style & BS_VCENTER) == BS_TOP) top = r.top;
  if ((style & BS_VCENTER) == BS_BOTTOM) top = r.bottom - kBoxSize;
  const int box_x = left_text ? r.right - kBoxSize : r.left;
  RECT box{box_x, top, box_x + kBoxSize, top + kBoxSize};
  UINT state = (radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | (s.check ? DFCS_CHECKED : 0) |
               (s.pushed ? DFCS_PUSHED : 0) | (enabled ? 0 : DFCS_INACTIVE);
  DrawFrameControl(dc, &box, DFC_BUTTON, state);
  RECT text_area = r;
  if (left_text) {
    text_area.right = box.left - kBoxGap;
  } else {
    text_area.left = box.right + kBoxGap;
  }
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  const std::string text = WindowTextOf(h);
  const UINT fmt = TextFormat(style, false);
  const RECT t = PlaceText(dc, text, text_area, style, fmt);
  RECT draw = t;
  DrawLabel(dc, text, draw, fmt, enabled, text_color);
  SelectObject(dc, old);
  if (s.focused && !text.empty()) {
    RECT f = t;
    InflateRect(&f, 1, 1);
    IntersectRect(&f, &f, &r);
    DrawFocusRect(dc, &f);
  }
}

void PaintGroup(HWND h, HDC dc, const ButtonState& s) {
  RECT r;
  GetClientRect(h, &r);
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  HBRUSH back = ParentBrush(h, dc, WM_CTLCOLORSTATIC);
  const COLORREF text_color = GetTextColor(dc);
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  const std::string text = WindowTextOf(h);
  // The text band at the top is the group box's own; the inside belongs to
  // the controls in the group and is left alone.
  const RECT band{r.left, r.top, r.right, r.top + tm.tmHeight};
  FillRect(dc, &band, back);
  RECT frame{r.left, r.top + tm.tmHeight / 2, r.right, r.bottom};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (!text.empty()) {
    RECT t{r.left + 8, r.top, r.right - 8, r.top + tm.tmHeight};
    RECT calc = t;
    DrawText(dc, text.c_str(), -1, &calc, DT_SINGLELINE | DT_CALCRECT);
    t.right = std::min(t.right, calc.right + 2);
    t.left -= 2;
    FillRect(dc, &t, back);
    t.left += 2;
    DrawLabel(dc, text, t, DT_SINGLELINE | DT_LEFT, IsWindowEnabled(h) != FALSE, text_color);
  }
  SelectObject(dc, old);
}

void PaintOwnerDraw(HWND h, HDC dc, const ButtonState& s) {
  DRAWITEMSTRUCT dis;
  dis.CtlType = ODT_BUTTON;
  dis.CtlID = static_cast<UINT>(ControlId(h));
  dis.itemID = 0;
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState =
      (s.pushed ? ODS_SELECTED : 0) | (s.focused ? ODS_FOCUS : 0) | (IsWindowEnabled(h) ? 0 : ODS_DISABLED);
  dis.hwndItem = h;
  dis.hDC = dc;
  GetClientRect(h, &dis.rcItem);
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  if (HWND parent = GetParent(h))
    SendMessage(parent, WM_DRAWITEM, static_cast<WPARAM>(dis.CtlID), reinterpret_cast<LPARAM>(&dis));
  SelectObject(dc, old);
}

void Paint(HWND h, HDC dc, const ButtonState& s) {
  const DWORD type = TypeOf(h);
  if (IsPush(type)) {
    PaintPush(h, dc, s);
  } else if (IsCheck(type) || IsRadio(type)) {
    PaintCheckOrRadio(h, dc, s, IsRadio(type));
  } else if (type == BS_GROUPBOX) {
    PaintGroup(h, dc, s);
  } else if (type == BS_OWNERDRAW) {
    PaintOwnerDraw(h, dc, s);
  } else {
    PaintPush(h, dc, s);
  }
}

bool Inside(HWND h, LPARAM lParam) {
  RECT r;
  GetClientRect(h, &r);
  return PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE;
}

LRESULT ButtonProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) Attach<ButtonState>(h);
  auto sp = Get<ButtonState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  ButtonState& s = *sp;
  LRESULT result = 0;
  if (HandleFont(h, s, msg, wParam, lParam, &result)) return result;
  const DWORD type = TypeOf(h);
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Paint(h, dc, s);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      if (type == BS_GROUPBOX) return HTTRANSPARENT;
      break;
    case WM_LBUTTONDBLCLK:
      // Radio and owner-drawn buttons (and any with BS_NOTIFY) report the
      // double click instead of a second press.
      if ((StyleOf(h) & BS_NOTIFY) || IsRadio(type) || type == BS_OWNERDRAW) {
        NotifyParent(h, BN_DOUBLECLICKED);
        return 0;
      }
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      if (type == BS_GROUPBOX) return 0;
      SetCapture(h);
      s.tracking = true;
      if (GetFocus() != h) SetFocus(h);
      SetPushed(h, s, true);
      return 0;
    case WM_MOUSEMOVE:
      if (s.tracking) SetPushed(h, s, Inside(h, lParam));
      return 0;
    case WM_LBUTTONUP: {
      if (!s.tracking) return 0;
      const bool click = s.pushed && Inside(h, lParam);
      s.tracking = false;
      SetPushed(h, s, false);
      ReleaseCapture();
      if (click && IsWindowEnabled(h)) Clicked(h, s);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (s.tracking && reinterpret_cast<HWND>(lParam) != h) {
        s.tracking = false;
        SetPushed(h, s, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && type != BS_GROUPBOX && !(lParam & (1 << 30))) {
        s.space = true;
        SetPushed(h, s, true);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && s.space) {
        s.space = false;
        const bool was = s.pushed;
        SetPushed(h, s, false);
        if (was && IsWindowEnabled(h)) Clicked(h, s);
      }
      return 0;
    case WM_SETFOCUS:
      s.focused = true;
      InvalidateRect(h, nullptr, FALSE);
      if (StyleOf(h) & BS_NOTIFY) NotifyParent(h, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s.focused = false;
      s.space = false;
      if (s.tracking) {
        s.tracking = false;
        ReleaseCapture();
      }
      s.pushed = false;
      InvalidateRect(h, nullptr, FALSE);
      if (StyleOf(h) & BS_NOTIFY) NotifyParent(h, BN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SETTEXT:
      result = DefWindowProc(h, msg, wParam, lParam);
      InvalidateRect(h, nullptr, FALSE);
      return result;
    case WM_GETDLGCODE:
      switch (type) {
        case BS_PUSHBUTTON:
          return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_DEFPUSHBUTTON:
          return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
          return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX:
          return DLGC_STATIC;
        default:
          return DLGC_BUTTON;
      }
    case BM_CLICK:
      // A press and a release in the button, as a user's click.
      if (!IsWindowEnabled(h) || type == BS_GROUPBOX) return 0;
      SendMessage(h, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      SendMessage(h, WM_LBUTTONUP, 0, 0);
      return 0;
    case BM_GETCHECK:
      return (IsCheck(type) || IsRadio(type)) ? s.check : BST_UNCHECKED;
    case BM_SETCHECK:
      SetCheck(h, s, static_cast<LRESULT>(wParam));
      return 0;
    case BM_GETSTATE:
      return s.check | (s.pushed ? BST_PUSHED : 0) | (s.focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      SetPushed(h, s, wParam != 0);
      return 0;
    case BM_SETSTYLE: {
      const DWORD style = StyleOf(h);
      const DWORD want = (style & ~BS_TYPEMASK) | (static_cast<DWORD>(wParam) & BS_TYPEMASK);
      if (want != style) SetWindowLong(h, GWL_STYLE, static_cast<LONG>(want));
      if (LOWORD(static_cast<DWORD_PTR>(lParam))) InvalidateRect(h, nullptr, FALSE);
      return 0;
    }
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterButtonClass() {
  RegisterControlClass(WC_BUTTON, ButtonProc, CS_DBLCLKS | CS_GLOBALCLASS);
}

}  // namespace controls
