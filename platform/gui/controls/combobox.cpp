// Combo boxes: a selection field (a drop-down list's own, or an edit of
// CBS_DROPDOWN) with a button, and a list box that drops below it as a
// popup window holding the mouse until the user chooses or leaves.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "platform/gui/controls/control_internal.h"

namespace controls {
namespace {

constexpr int kEditId = 1001;
constexpr int kBorder = 2;

struct ComboState : State {
  HWND edit = nullptr;  // CBS_DROPDOWN
  HWND list = nullptr;  // the popup list box (it keeps the items)
  bool dropped = false;
  bool focused = false;
  bool pressed = false;  // the button is drawn pressed
  int sel_before = -1;   // the selection when the list dropped
  int drop_height = 0;   // the height the control was given, list included
  int drop_width = 0;
  int field_height = 0;  // the height of the closed control
  bool sizing = false;
};

bool DropList(HWND h) {
  return (StyleOf(h) & 0x3) == CBS_DROPDOWNLIST;
}

LRESULT ToList(const ComboState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  return s.list != nullptr ? SendMessage(s.list, msg, wParam, lParam) : LB_ERR;
}
int CurSel(const ComboState& s) {
  return static_cast<int>(ToList(s, LB_GETCURSEL, 0, 0));
}
std::string ItemText(const ComboState& s, int i) {
  const LRESULT n = ToList(s, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
  if (n < 0) return std::string();
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  ToList(s, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return text;
}

int ButtonWidth() {
  return GetSystemMetrics(SM_CXVSCROLL);
}
RECT ButtonRect(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return RECT{r.right - kBorder - ButtonWidth(), r.top + kBorder, r.right - kBorder, r.bottom - kBorder};
}
RECT FieldRect(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return RECT{r.left + kBorder, r.top + kBorder, r.right - kBorder - ButtonWidth(), r.bottom - kBorder};
}

// The edit of a drop-down combo shows the selected item, all selected;
// without a selection it keeps what was typed unless told to clear.
void ShowSelectionInEdit(ComboState& s, bool clear_without_selection) {
  if (s.edit == nullptr) return;
  const int i = CurSel(s);
  if (i < 0 && !clear_without_selection) return;
  SetWindowText(s.edit, i >= 0 ? ItemText(s, i).c_str() : "");
  SendMessage(s.edit, EM_SETSEL, 0, -1);
}

// The program's choice (CB_SETCURSEL, CB_SELECTSTRING).
void SelectionChanged(HWND h, ComboState& s) {
  ShowSelectionInEdit(s, true);
  InvalidateRect(h, nullptr, FALSE);
}

void Drop(HWND h, ComboState& s) {
  if (s.dropped || s.list == nullptr) return;
  NotifyParent(h, CBN_DROPDOWN);
  if (!IsWindow(h) || s.dropped) return;
  if (s.edit != nullptr) {
    // The item the edit names, if any, is the one shown selected.
    const std::string text = WindowTextOf(s.edit);
    LRESULT i =
        ToList(s, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (i == LB_ERR && !text.empty())
      i = ToList(s, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    ToList(s, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
  }
  s.sel_before = CurSel(s);
  RECT wr;
  GetWindowRect(h, &wr);
  const int count = static_cast<int>(ToList(s, LB_GETCOUNT, 0, 0));
  const int ih = std::max(1, static_cast<int>(ToList(s, LB_GETITEMHEIGHT, 0, 0)));
  const int room = std::max(ih, s.drop_height - (wr.bottom - wr.top));
  const int rows = std::clamp(count, 1, std::max(1, room / ih));
  const int height = rows * ih + 2;
  const int width = std::max<int>(s.drop_width, wr.right - wr.left);
  const int screen_h = GetSystemMetrics(SM_CYSCREEN);
  int y = wr.bottom;
  if (y + height > screen_h && wr.top - height >= 0) y = wr.top - height;
  s.dropped = true;
  SetWindowPos(s.list, HWND_TOPMOST, wr.left, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  // From the top, as far down as the selection needs.
  ToList(s, LB_SETTOPINDEX, 0, 0);
  if (s.sel_before >= 0) ToList(s, LB_SETCURSEL, static_cast<WPARAM>(s.sel_before), 0);
  SetCapture(s.list);
  InvalidateRect(h, nullptr, FALSE);
}

enum class Close { kChosen, kCancelled, kHidden };

void CloseUp(HWND h, ComboState& s, Close how) {
  if (!s.dropped) return;
  s.dropped = false;
  s.pressed = false;
  if (GetCapture() == s.list) ReleaseCapture();
  ShowWindow(s.list, SW_HIDE);
  InvalidateRect(h, nullptr, FALSE);
  if (how == Close::kHidden) {
    NotifyParent(h, CBN_CLOSEUP);
    return;
  }
  if (how == Close::kCancelled) {
    ToList(s, LB_SETCURSEL, static_cast<WPARAM>(s.sel_before), 0);
    NotifyParent(h, CBN_SELENDCANCEL);
    if (IsWindow(h)) NotifyParent(h, CBN_CLOSEUP);
    return;
  }
  const bool changed = CurSel(s) != s.sel_before;
  ShowSelectionInEdit(s, false);
  NotifyParent(h, CBN_SELENDOK);
  if (IsWindow(h)) NotifyParent(h, CBN_CLOSEUP);
  if (changed && IsWindow(h)) NotifyParent(h, CBN_SELCHANGE);
}

// A key moves the selection: in the open list it only highlights, in a
// closed combo it selects and tells the parent.
void KeySelect(HWND h, ComboState& s, int i) {
  const int count = static_cast<int>(ToList(s, LB_GETCOUNT, 0, 0));
  if (count == 0) return;
  i = std::clamp(i, 0, count - 1);
  if (i == CurSel(s)) return;
  ToList(s, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
  if (s.dropped) return;
  ShowSelectionInEdit(s, false);
  InvalidateRect(h, nullptr, FALSE);
  NotifyParent(h, CBN_SELCHANGE);
}

// Keys of the combo (or passed on by its edit); false when not taken.
bool Key(HWND h, ComboState& s, WPARAM vk, bool alt) {
  const int cur = CurSel(s);
  constexpr int page = 8;
  if (alt && (vk == VK_UP || vk == VK_DOWN)) {
    if (s.dropped) {
      CloseUp(h, s, Close::kChosen);
    } else {
      Drop(h, s);
    }
    return true;
  }
  switch (vk) {
    case VK_F4:
      if (s.dropped) {
        CloseUp(h, s, Close::kChosen);
      } else {
        Drop(h, s);
      }
      return true;
    case VK_RETURN:
      if (!s.dropped) return false;
      CloseUp(h, s, Close::kChosen);
      return true;
    case VK_ESCAPE:
      if (!s.dropped) return false;
      CloseUp(h, s, Close::kCancelled);
      return true;
    case VK_UP:
      KeySelect(h, s, cur < 0 ? 0 : cur - 1);
      return true;
    case VK_DOWN:
      KeySelect(h, s, cur + 1);
      return true;
    case VK_PRIOR:
      KeySelect(h, s, cur - page);
      return true;
    case VK_NEXT:
      KeySelect(h, s, cur + page);
      return true;
  }
  if (s.edit != nullptr) return false;
  switch (vk) {
    case VK_LEFT:
      KeySelect(h, s, cur < 0 ? 0 : cur - 1);
      return true;
    case VK_RIGHT:
      KeySelect(h, s, cur + 1);
      return true;
    case VK_HOME:
      KeySelect(h, s, 0);
      return true;
    case VK_END:
      KeySelect(h, s, static_cast<int>(ToList(s, LB_GETCOUNT, 0, 0)) - 1);
      return true;
  }
  return false;
}

void Paint(HWND h, HDC dc, ComboState& s) {
  RECT r;
  GetClientRect(h, &r);
  const bool enabled = IsWindowEnabled(h) != FALSE;
  RECT in = r;
  DrawEdge(dc, &in, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  RECT button = ButtonRect(h);
  DrawFrameControl(dc, &button, DFC_SCROLL,
                   DFCS_SCROLLCOMBOBOX | (s.pressed ? DFCS_PUSHED : 0) | (enabled ? 0 : DFCS_INACTIVE));
  if (s.edit != nullptr) return;  // the edit draws the field
  RECT field = FieldRect(h);
  HBRUSH back = ParentBrush(h, dc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
  COLORREF text_color = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  FillRect(dc, &field, back);
  const int i = CurSel(s);
  const bool highlight = s.focused && !s.dropped;
  RECT item = field;
  InflateRect(&item, -1, -1);
  if (highlight) {
    FillSys(dc, item, COLOR_HIGHLIGHT);
    text_color = GetSysColor(COLOR_HIGHLIGHTTEXT);
  }
  if (i >= 0) {
    HGDIOBJ old = SelectObject(dc, DrawFont(s));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text_color);
    RECT t = item;
    t.left += 2;
    const std::string text = ItemText(s, i);
    DrawText(dc, text.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
  }
  if (highlight) DrawFocusRect(dc, &item);
}

void LayoutParts(HWND h, ComboState& s) {
  if (s.edit == nullptr) return;
  const RECT f = FieldRect(h);
  MoveWindow(s.edit, f.left + 1, f.top, f.right - f.left - 1, f.bottom - f.top, TRUE);
}

int FieldHeight(const ComboState& s) {
  return MeasureFont(s.font).height + 2 + 2 * kBorder + 2;
}

void ApplyHeight(HWND h, ComboState& s) {
  s.field_height = FieldHeight(s);
  RECT wr;
  GetWindowRect(h, &wr);
  if (wr.bottom - wr.top == s.field_height) return;
  s.sizing = true;
  SetWindowPos(h, nullptr, 0, 0, wr.right - wr.left, s.field_height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  s.sizing = false;
}

LRESULT GetText(const HWND h, ComboState& s, WPARAM size, char* out) {
  if (out == nullptr || size == 0) return 0;
  const std::string text =
      s.edit != nullptr ? WindowTextOf(s.edit) : (CurSel(s) >= 0 ? ItemText(s, CurSel(s)) : "");
  (void)h;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return static_cast<LRESULT>(n);
}

LRESULT ComboProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    Attach<ComboState>(h);
    // WS_VSCROLL and WS_HSCROLL are for the list, not the field.
    SetWindowLong(h, GWL_STYLE, static_cast<LONG>(StyleOf(h) & ~(WS_VSCROLL | WS_HSCROLL)));
  }
  auto sp = Get<ComboState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  ComboState& s = *sp;
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_CREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
      const DWORD style = StyleOf(h);
      s.drop_height = cs != nullptr ? cs->cy : 0;
      DWORD list_style = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
      if (style & CBS_SORT) list_style |= LBS_SORT;
      s.list = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WC_COMBOLBOX, "", list_style, 0, 0, 10, 10, h,
                              nullptr, cs != nullptr ? cs->hInstance : nullptr, nullptr);
      if (s.list == nullptr) return -1;
      SendMessage(s.list, kListComboMode, reinterpret_cast<WPARAM>(h), 0);
      if (!DropList(h)) {
        DWORD edit_style = WS_CHILD | WS_VISIBLE;
        if (style & CBS_AUTOHSCROLL) edit_style |= ES_AUTOHSCROLL;
        s.edit = CreateWindowEx(0, WC_EDIT, "", edit_style, 0, 0, 10, 10, h,
                                reinterpret_cast<HMENU>(static_cast<std::intptr_t>(kEditId)),
                                cs != nullptr ? cs->hInstance : nullptr, nullptr);
        if (s.edit == nullptr) return -1;
        SendMessage(s.edit, kEditComboMode, TRUE, 0);
        if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName))
          SetWindowText(s.edit, cs->lpszName);
      }
      ApplyHeight(h, s);
      LayoutParts(h, s);
      return 0;
    }
    case WM_DESTROY:
      if (s.list != nullptr && IsWindow(s.list)) {
        if (GetCapture() == s.list) ReleaseCapture();
        DestroyWindow(s.list);
      }
      s.list = nullptr;
      s.dropped = false;
      return 0;
    case WM_WINDOWPOSCHANGING: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      // The height given is that of the control with its list; the closed
      // control is as high as its field.
      if (!s.sizing && s.field_height > 0 && wp != nullptr && !(wp->flags & SWP_NOSIZE) &&
          wp->cy != s.field_height) {
        s.drop_height = wp->cy;
        wp->cy = s.field_height;
      }
      return 0;
    }
    case WM_SIZE:
      LayoutParts(h, s);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wParam);
      if (s.edit != nullptr) SendMessage(s.edit, WM_SETFONT, wParam, lParam);
      if (s.list != nullptr) SendMessage(s.list, WM_SETFONT, wParam, FALSE);
      ApplyHeight(h, s);
      LayoutParts(h, s);
      if (LOWORD(static_cast<DWORD_PTR>(lParam))) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s.font);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Paint(h, dc, s);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
      if (s.edit != nullptr) EnableWindow(s.edit, wParam != 0);
      if (!wParam) CloseUp(h, s, Close::kCancelled);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SETFOCUS:
      if (s.edit != nullptr) {
        SetFocus(s.edit);
        SendMessage(s.edit, EM_SETSEL, 0, -1);
        return 0;
      }
      s.focused = true;
      InvalidateRect(h, nullptr, FALSE);
      NotifyParent(h, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      if (s.edit != nullptr) return 0;
      s.focused = false;
      CloseUp(h, s, Close::kCancelled);
      InvalidateRect(h, nullptr, FALSE);
      if (IsWindow(h)) NotifyParent(h, CBN_KILLFOCUS);
      return 0;
    case WM_COMMAND:
      if (s.edit != nullptr && reinterpret_cast<HWND>(lParam) == s.edit) {
        switch (HIWORD(wParam)) {
          case EN_CHANGE:
            NotifyParent(h, CBN_EDITCHANGE);
            break;
          case EN_UPDATE:
            NotifyParent(h, CBN_EDITUPDATE);
            break;
          case EN_SETFOCUS:
            s.focused = true;
            NotifyParent(h, CBN_SETFOCUS);
            break;
          case EN_KILLFOCUS:
            s.focused = false;
            CloseUp(h, s, Close::kCancelled);
            if (IsWindow(h)) NotifyParent(h, CBN_KILLFOCUS);
            break;
        }
      }
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      // The edit's colours are the combo box's parent's to choose.
      if (HWND parent = GetParent(h)) return SendMessage(parent, msg, wParam, reinterpret_cast<LPARAM>(h));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (s.edit != nullptr) {
        const RECT b = ButtonRect(h);
        if (!PtInRect(&b, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return 0;
        if (GetFocus() != s.edit) SetFocus(s.edit);
      } else if (GetFocus() != h) {
        SetFocus(h);
      }
      if (s.dropped) {
        CloseUp(h, s, Close::kCancelled);
      } else {
        Drop(h, s);
      }
      return 0;
    }
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
      const MSG* m = reinterpret_cast<const MSG*>(lParam);
      if (s.dropped && m != nullptr && m->message == WM_KEYDOWN &&
          (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      if (Key(h, s, wParam, false)) return 0;
      break;
    case WM_SYSKEYDOWN:
      if ((wParam == VK_UP || wParam == VK_DOWN) && Key(h, s, wParam, true)) return 0;
      break;
    case kComboEditKey:
      return Key(h, s, wParam, (GetKeyState(VK_MENU) & 0x8000) != 0) ? TRUE : FALSE;
    case WM_CHAR:
      if (s.edit == nullptr && wParam >= 32 && wParam <= 255) {
        const char prefix[2] = {static_cast<char>(wParam), '\0'};
        const LRESULT i =
            ToList(s, LB_FINDSTRING, static_cast<WPARAM>(CurSel(s)), reinterpret_cast<LPARAM>(prefix));
        if (i != LB_ERR) KeySelect(h, s, static_cast<int>(i));
      }
      return 0;
    case WM_MOUSEWHEEL:
      if (s.dropped) return ToList(s, msg, wParam, lParam);
      if (s.focused) {
        const int notches = static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(wParam))) / WHEEL_DELTA;
        if (notches != 0) KeySelect(h, s, CurSel(s) - notches);
        return 0;
      }
      break;
    case kComboListDone:
      CloseUp(h, s, wParam ? Close::kChosen : Close::kCancelled);
      return 0;
    case WM_SETTEXT: {
      if (s.edit != nullptr) return SetWindowText(s.edit, reinterpret_cast<LPCSTR>(lParam));
      const LRESULT i = ToList(s, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lParam);
      if (i == LB_ERR) return CB_ERR;
      ToList(s, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    case WM_GETTEXT:
      return GetText(h, s, wParam, reinterpret_cast<char*>(lParam));
    case WM_GETTEXTLENGTH:
      if (s.edit != nullptr) return GetWindowTextLength(s.edit);
      return CurSel(s) >= 0 ? static_cast<LRESULT>(ItemText(s, CurSel(s)).size()) : 0;
    case CB_ADDSTRING:
      return ToList(s, LB_ADDSTRING, wParam, lParam);
    case CB_INSERTSTRING:
      return ToList(s, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
      const LRESULT r = ToList(s, LB_DELETESTRING, wParam, lParam);
      InvalidateRect(h, nullptr, FALSE);
      return r;
    }
    case CB_RESETCONTENT:
      ToList(s, LB_RESETCONTENT, 0, 0);
      if (s.edit != nullptr) SetWindowText(s.edit, "");
      InvalidateRect(h, nullptr, FALSE);
      return CB_OKAY;
    case CB_GETCOUNT:
      return ToList(s, LB_GETCOUNT, 0, 0);
    case CB_GETCURSEL:
      return CurSel(s);
    case CB_SETCURSEL: {
      const LRESULT r = ToList(s, LB_SETCURSEL, wParam, 0);
      SelectionChanged(h, s);
      return r;
    }
    case CB_GETLBTEXT:
      return ToList(s, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN:
      return ToList(s, LB_GETTEXTLEN, wParam, 0);
    case CB_GETITEMDATA:
      return ToList(s, LB_GETITEMDATA, wParam, 0);
    case CB_SETITEMDATA:
      return ToList(s, LB_SETITEMDATA, wParam, lParam);
    case CB_FINDSTRING:
      return ToList(s, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
      return ToList(s, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_SELECTSTRING: {
      const LRESULT i = ToList(s, LB_FINDSTRING, wParam, lParam);
      if (i == LB_ERR) return CB_ERR;
      ToList(s, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
      SelectionChanged(h, s);
      return i;
    }
    case CB_SHOWDROPDOWN:
      if (wParam) {
        Drop(h, s);
      } else {
        CloseUp(h, s, Close::kHidden);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return s.dropped ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT: {
      RECT* out = reinterpret_cast<RECT*>(lParam);
      if (out == nullptr) return CB_ERR;
      GetWindowRect(h, out);
      out->bottom = out->top + std::max<int>(s.drop_height, out->bottom - out->top);
      return CB_OKAY;
    }
    case CB_SETITEMHEIGHT:
      if (static_cast<int>(static_cast<LONG>(wParam)) == -1) {
        const int hgt = LOWORD(static_cast<DWORD_PTR>(lParam));
        if (hgt <= 0) return CB_ERR;
        s.field_height = hgt + 2 * kBorder + 2;
        s.sizing = true;
        RECT wr;
        GetWindowRect(h, &wr);
        SetWindowPos(h, nullptr, 0, 0, wr.right - wr.left, s.field_height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        s.sizing = false;
        return CB_OKAY;
      }
      return ToList(s, LB_SETITEMHEIGHT, 0, lParam);
    case CB_GETITEMHEIGHT:
      if (static_cast<int>(static_cast<LONG>(wParam)) == -1) return s.field_height - 2 * kBorder - 2;
      return ToList(s, LB_GETITEMHEIGHT, 0, 0);
    case CB_LIMITTEXT:
      if (s.edit != nullptr) SendMessage(s.edit, EM_LIMITTEXT, wParam, 0);
      return TRUE;
    case CB_GETEDITSEL:
      if (s.edit == nullptr) return CB_ERR;
      return SendMessage(s.edit, EM_GETSEL, wParam, lParam);
    case CB_SETEDITSEL:
      if (s.edit == nullptr) return CB_ERR;
      SendMessage(s.edit, EM_SETSEL,
                  static_cast<WPARAM>(static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)))),
                  static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam))));
      return TRUE;
    case CB_GETTOPINDEX:
      return ToList(s, LB_GETTOPINDEX, 0, 0);
    case CB_SETTOPINDEX:
      return ToList(s, LB_SETTOPINDEX, wParam, 0) == LB_ERR ? CB_ERR : CB_OKAY;
    case CB_GETDROPPEDWIDTH: {
      RECT wr;
      GetWindowRect(h, &wr);
      return std::max<int>(s.drop_width, wr.right - wr.left);
    }
    case CB_SETDROPPEDWIDTH:
      s.drop_width = static_cast<int>(wParam);
      return std::max<int>(s.drop_width, 0);
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterComboBoxClass() {
  RegisterControlClass(WC_COMBOBOX, ComboProc, CS_DBLCLKS | CS_GLOBALCLASS);
}

}  // namespace controls

BOOL GetComboBoxInfo(HWND combo, COMBOBOXINFO* info) {
  if (info == nullptr) return FALSE;
  char name[32];
  if (GetClassName(combo, name, sizeof name) == 0 || strcasecmp(name, WC_COMBOBOX) != 0) return FALSE;
  auto s = controls::Get<controls::ComboState>(combo);
  if (!s) return FALSE;
  info->hwndCombo = combo;
  info->hwndItem = s->edit;
  info->hwndList = s->list;
  info->rcItem = controls::FieldRect(combo);
  info->rcButton = controls::ButtonRect(combo);
  info->stateButton = s->pressed ? 0x00000008 : 0;
  return TRUE;
}
