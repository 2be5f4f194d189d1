// List boxes, and the drop-down list of a combo box ("ComboLBox"), which
// is a list box in a popup window that follows the mouse and hands its
// choice to the combo box.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "platform/gui/controls/control_internal.h"

namespace controls {
namespace {

constexpr int kTextIndent = 2;

struct Item {
  std::string text;
  ULONG_PTR data = 0;
  bool selected = false;  // multiple and extended selection
};

struct ListState : State {
  std::vector<Item> items;
  int sel = -1;    // single selection
  int caret = 0;   // the item with the focus rectangle
  int anchor = 0;  // where an extended selection started
  int top = 0;     // the first visible item
  int item_height = 0;
  int extent = 0;  // horizontal extent (LB_SETHORIZONTALEXTENT)
  int h_offset = 0;
  bool focused = false;
  bool tracking = false;
  bool drag_set = true;  // what a multiple-selection drag sets
  bool has_vscroll = false;
  bool has_hscroll = false;
  bool sizing = false;
  HWND combo = nullptr;  // the combo box this list drops from
  FontInfo fi;
};

bool Multiple(HWND h) {
  return (StyleOf(h) & LBS_MULTIPLESEL) != 0;
}
bool Extended(HWND h) {
  return (StyleOf(h) & LBS_EXTENDEDSEL) != 0 && !Multiple(h);
}
bool AnyMulti(HWND h) {
  return (StyleOf(h) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}
bool OwnerDraw(HWND h) {
  return (StyleOf(h) & LBS_OWNERDRAWFIXED) != 0;
}
bool HasStrings(HWND h) {
  return !OwnerDraw(h) || (StyleOf(h) & LBS_HASSTRINGS);
}
bool Notifies(HWND h) {
  return (StyleOf(h) & LBS_NOTIFY) != 0;
}

int Count(const ListState& s) {
  return static_cast<int>(s.items.size());
}
bool Valid(const ListState& s, int i) {
  return i >= 0 && i < Count(s);
}

int ClientHeight(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return r.bottom - r.top;
}
int ClientWidth(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return r.right - r.left;
}
int Visible(HWND h, const ListState& s) {
  return std::max(1, ClientHeight(h) / std::max(1, s.item_height));
}

void Notify(HWND h, const ListState& s, WORD code) {
  if (s.combo != nullptr) return;
  NotifyParent(h, code);
}

RECT ItemRect(HWND h, const ListState& s, int i) {
  const int y = (i - s.top) * s.item_height;
  return RECT{-s.h_offset, y, std::max(ClientWidth(h), s.extent) - s.h_offset, y + s.item_height};
}

void InvalidateItem(HWND h, const ListState& s, int i) {
  if (!Valid(s, i)) return;
  const RECT r = ItemRect(h, s, i);
  InvalidateRect(h, &r, FALSE);
}

bool IsSelected(HWND h, const ListState& s, int i) {
  if (!Valid(s, i)) return false;
  return AnyMulti(h) ? s.items[static_cast<std::size_t>(i)].selected : s.sel == i;
}

void UpdateScroll(HWND h, ListState& s) {
  const DWORD style = StyleOf(h);
  if (s.has_vscroll) {
    SCROLLINFO si;
    si.fMask = SIF_ALL | ((style & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
    si.nMin = 0;
    si.nMax = std::max(0, Count(s) - 1);
    si.nPage = static_cast<UINT>(Visible(h, s));
    si.nPos = s.top;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
  }
  if (s.has_hscroll) {
    SCROLLINFO si;
    si.fMask = SIF_ALL | ((style & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
    si.nMin = 0;
    si.nMax = std::max(0, s.extent - 1);
    si.nPage = static_cast<UINT>(ClientWidth(h));
    si.nPos = s.h_offset;
    SetScrollInfo(h, SB_HORZ, &si, TRUE);
  }
}

void SetTop(HWND h, ListState& s, int top) {
  top = std::clamp(top, 0, std::max(0, Count(s) - Visible(h, s)));
  if (top == s.top) return;
  s.top = top;
  UpdateScroll(h, s);
  InvalidateRect(h, nullptr, TRUE);
}

void EnsureVisible(HWND h, ListState& s, int i) {
  if (!Valid(s, i)) return;
  if (i < s.top) {
    SetTop(h, s, i);
  } else if (i >= s.top + Visible(h, s)) {
    SetTop(h, s, i - Visible(h, s) + 1);
  }
}

void SetCaret(HWND h, ListState& s, int i) {
  if (i == s.caret) return;
  InvalidateItem(h, s, s.caret);
  s.caret = i;
  InvalidateItem(h, s, s.caret);
}

// Single selection; true when it changed.
bool SelectSingle(HWND h, ListState& s, int i) {
  if (!Valid(s, i)) i = -1;
  SetCaret(h, s, i < 0 ? s.caret : i);
  if (s.sel == i) return false;
  InvalidateItem(h, s, s.sel);
  s.sel = i;
  InvalidateItem(h, s, s.sel);
  return true;
}

bool SetItemSelected(HWND h, ListState& s, int i, bool on) {
  if (!Valid(s, i)) return false;
  Item& it = s.items[static_cast<std::size_t>(i)];
  if (it.selected == on) return false;
  it.selected = on;
  InvalidateItem(h, s, i);
  return true;
}

// Extended selection: exactly the items from a to b.
bool SelectRange(HWND h, ListState& s, int a, int b, bool clear_others) {
  if (a > b) std::swap(a, b);
  bool changed = false;
  for (int i = 0; i < Count(s); ++i) {
    const bool in = i >= a && i <= b;
    if (in) {
      changed |= SetItemSelected(h, s, i, true);
    } else if (clear_others) {
      changed |= SetItemSelected(h, s, i, false);
    }
  }
  return changed;
}

int ItemAt(HWND h, const ListState& s, int y) {
  if (y < 0) return -1;
  const int i = s.top + y / std::max(1, s.item_height);
  return i < Count(s) && y < ClientHeight(h) ? i : -1;
}

int CompareText(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str());
}

bool StartsWith(const std::string& text, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

// Finds from the item after start to the end, then from the beginning.
LRESULT Find(HWND h, const ListState& s, int start, LPARAM what, bool exact) {
  const int n = Count(s);
  if (n == 0) return LB_ERR;
  const int first = (start < 0 || start >= n) ? 0 : start + 1;
  for (int k = 0; k < n; ++k) {
    const int i = (first + k) % n;
    const Item& it = s.items[static_cast<std::size_t>(i)];
    if (!HasStrings(h)) {
      if (it.data == static_cast<ULONG_PTR>(what)) return i;
      continue;
    }
    const char* text = reinterpret_cast<const char*>(what);
    if (text == nullptr) continue;
    if (exact ? strcasecmp(it.text.c_str(), text) == 0 : StartsWith(it.text, text)) return i;
  }
  return LB_ERR;
}

LRESULT Insert(HWND h, ListState& s, int index, LPARAM lParam, bool sort) {
  Item item;
  if (HasStrings(h)) {
    const char* text = reinterpret_cast<const char*>(lParam);
    item.text = text != nullptr ? text : "";
  } else {
    item.data = static_cast<ULONG_PTR>(lParam);
  }
  if (index < 0 || index > Count(s)) index = Count(s);
  if (sort && HasStrings(h)) {
    auto pos = std::upper_bound(s.items.begin(), s.items.end(), item,
                                [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; });
    index = static_cast<int>(pos - s.items.begin());
  }
  s.items.insert(s.items.begin() + index, std::move(item));
  if (s.sel >= index) ++s.sel;
  if (s.caret >= index && Count(s) > 1) ++s.caret;
  if (s.anchor >= index && Count(s) > 1) ++s.anchor;
  UpdateScroll(h, s);
  if (!(StyleOf(h) & LBS_NOREDRAW)) InvalidateRect(h, nullptr, TRUE);
  return index;
}

LRESULT Delete(HWND h, ListState& s, int index) {
  if (!Valid(s, index)) return LB_ERR;
  s.items.erase(s.items.begin() + index);
  if (s.sel == index) {
    s.sel = -1;
  } else if (s.sel > index) {
    --s.sel;
  }
  if (s.caret > index || s.caret >= Count(s)) s.caret = std::max(0, s.caret - 1);
  if (s.anchor > index || s.anchor >= Count(s)) s.anchor = std::max(0, s.anchor - 1);
  s.top = std::clamp(s.top, 0, std::max(0, Count(s) - Visible(h, s)));
  UpdateScroll(h, s);
  InvalidateRect(h, nullptr, TRUE);
  return Count(s);
}

void Reset(HWND h, ListState& s) {
  s.items.clear();
  s.sel = -1;
  s.caret = 0;
  s.anchor = 0;
  s.top = 0;
  UpdateScroll(h, s);
  InvalidateRect(h, nullptr, TRUE);
}

void MeasureItems(HWND h, ListState& s) {
  s.fi = MeasureFont(s.font);
  if (OwnerDraw(h)) {
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_LISTBOX;
    mis.CtlID = static_cast<UINT>(ControlId(h));
    mis.itemID = 0;
    mis.itemWidth = static_cast<UINT>(ClientWidth(h));
    mis.itemHeight = static_cast<UINT>(s.fi.height);
    if (HWND parent = GetParent(h))
      SendMessage(parent, WM_MEASUREITEM, static_cast<WPARAM>(mis.CtlID), reinterpret_cast<LPARAM>(&mis));
    s.item_height = std::clamp<int>(static_cast<int>(mis.itemHeight), 1, 255);
  } else {
    s.item_height = s.fi.height + (s.combo != nullptr ? 2 : 0);
  }
}

// Without LBS_NOINTEGRALHEIGHT the list shows whole items only.
void FitIntegralHeight(HWND h, ListState& s) {
  if (s.sizing || s.combo != nullptr || (StyleOf(h) & LBS_NOINTEGRALHEIGHT) || s.item_height <= 0) return;
  const int ch = ClientHeight(h);
  const int extra = ch % s.item_height;
  if (extra == 0 || ch <= s.item_height) return;
  RECT wr;
  GetWindowRect(h, &wr);
  s.sizing = true;
  SetWindowPos(h, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top - extra,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  s.sizing = false;
}

void Paint(HWND h, HDC dc, ListState& s) {
  RECT client;
  GetClientRect(h, &client);
  const bool enabled = IsWindowEnabled(h) != FALSE;
  HBRUSH back;
  COLORREF text_color;
  if (s.combo != nullptr) {
    back = GetSysColorBrush(COLOR_WINDOW);
    text_color = GetSysColor(COLOR_WINDOWTEXT);
  } else {
    back = ParentBrush(h, dc, WM_CTLCOLORLISTBOX);
    text_color = GetTextColor(dc);
  }
  if (!enabled) text_color = GetSysColor(COLOR_GRAYTEXT);
  FillRect(dc, &client, back);
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  SetBkMode(dc, TRANSPARENT);
  const int last = std::min(Count(s), s.top + Visible(h, s) + 1);
  for (int i = s.top; i < last; ++i) {
    const RECT r = ItemRect(h, s, i);
    const bool selected = IsSelected(h, s, i);
    const bool focus = s.focused && s.caret == i;
    const Item& it = s.items[static_cast<std::size_t>(i)];
    if (OwnerDraw(h)) {
      DRAWITEMSTRUCT dis;
      dis.CtlType = ODT_LISTBOX;
      dis.CtlID = static_cast<UINT>(ControlId(h));
      dis.itemID = static_cast<UINT>(i);
      dis.itemAction = ODA_DRAWENTIRE;
      dis.itemState = (selected ? ODS_SELECTED : 0) | (focus ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
      dis.hwndItem = h;
      dis.hDC = dc;
      dis.rcItem = r;
      dis.itemData = it.data;
      if (HWND parent = GetParent(h))
        SendMessage(parent, WM_DRAWITEM, static_cast<WPARAM>(dis.CtlID), reinterpret_cast<LPARAM>(&dis));
      continue;
    }
    if (selected) {
      FillSys(dc, r, COLOR_HIGHLIGHT);
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
      SetTextColor(dc, text_color);
    }
    RECT t = r;
    t.left += kTextIndent;
    DrawText(dc, it.text.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS);
    if (focus) DrawFocusRect(dc, &r);
  }
  if (s.focused && Count(s) == 0 && !OwnerDraw(h)) {
    RECT r{0, 0, client.right, s.item_height};
    DrawFocusRect(dc, &r);
  }
  SelectObject(dc, old);
}

// A press (or a drag) on item i, as the selection kind wants it.
bool PressItem(HWND h, ListState& s, int i, WPARAM keys, bool drag) {
  if (StyleOf(h) & LBS_NOSEL) {
    SetCaret(h, s, i);
    return false;
  }
  if (Multiple(h)) {
    SetCaret(h, s, i);
    if (!drag) {
      s.drag_set = !s.items[static_cast<std::size_t>(i)].selected;
      return SetItemSelected(h, s, i, s.drag_set);
    }
    return false;
  }
  if (Extended(h)) {
    bool changed;
    if (keys & MK_SHIFT) {
      changed = SelectRange(h, s, s.anchor, i, !(keys & MK_CONTROL));
    } else if (keys & MK_CONTROL) {
      if (!drag) {
        s.anchor = i;
        changed = SetItemSelected(h, s, i, !s.items[static_cast<std::size_t>(i)].selected);
      } else {
        changed = SelectRange(h, s, s.anchor, i, false);
      }
    } else {
      if (!drag) s.anchor = i;
      changed = SelectRange(h, s, s.anchor, i, true);
    }
    SetCaret(h, s, i);
    return changed;
  }
  return SelectSingle(h, s, i);
}

// The keyboard moves the caret (and the selection) to i.
void KeyMove(HWND h, ListState& s, int i) {
  if (Count(s) == 0) return;
  i = std::clamp(i, 0, Count(s) - 1);
  bool changed = false;
  if (Multiple(h) || (StyleOf(h) & LBS_NOSEL)) {
    SetCaret(h, s, i);
  } else if (Extended(h)) {
    if (ShiftDown()) {
      changed = SelectRange(h, s, s.anchor, i, true);
    } else if (!CtrlDown()) {
      s.anchor = i;
      changed = SelectRange(h, s, i, i, true);
    }
    SetCaret(h, s, i);
  } else {
    changed = SelectSingle(h, s, i);
  }
  EnsureVisible(h, s, i);
  if (changed) Notify(h, s, LBN_SELCHANGE);
}

bool InComboList(HWND h, POINT client) {
  RECT r;
  GetClientRect(h, &r);
  return PtInRect(&r, client) != FALSE;
}

LRESULT ListBoxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto s = Attach<ListState>(h);
    s->has_vscroll = (StyleOf(h) & WS_VSCROLL) != 0;
    s->has_hscroll = (StyleOf(h) & WS_HSCROLL) != 0;
    return DefWindowProc(h, msg, wParam, lParam);
  }
  auto sp = Get<ListState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  ListState& s = *sp;
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_CREATE:
      MeasureItems(h, s);
      FitIntegralHeight(h, s);
      UpdateScroll(h, s);
      return 0;
    case WM_SIZE:
      FitIntegralHeight(h, s);
      s.top = std::clamp(s.top, 0, std::max(0, Count(s) - Visible(h, s)));
      UpdateScroll(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wParam);
      if (!OwnerDraw(h)) MeasureItems(h, s);
      FitIntegralHeight(h, s);
      UpdateScroll(h, s);
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
    case WM_SETFOCUS:
      s.focused = true;
      InvalidateRect(h, nullptr, FALSE);
      Notify(h, s, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s.focused = false;
      if (s.tracking) {
        s.tracking = false;
        if (GetCapture() == h) ReleaseCapture();
      }
      InvalidateRect(h, nullptr, FALSE);
      Notify(h, s, LBN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_MOUSEACTIVATE:
      if (s.combo != nullptr) return MA_NOACTIVATE;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (s.combo != nullptr) {
        if (!InComboList(h, p)) {
          // A press on the list's own scroll bar scrolls it; one anywhere
          // else closes the list.
          POINT screen = p;
          ClientToScreen(h, &screen);
          if (SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTVSCROLL) {
            DefWindowProc(h, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(screen.x, screen.y));
          } else {
            SendMessage(s.combo, kComboListDone, FALSE, 0);
          }
          return 0;
        }
        const int i = ItemAt(h, s, p.y);
        if (i >= 0) SelectSingle(h, s, i);
        return 0;
      }
      if (GetFocus() != h) SetFocus(h);
      const int i = ItemAt(h, s, p.y);
      if (i < 0) return 0;
      PressItem(h, s, i, wParam, false);
      s.tracking = true;
      SetCapture(h);
      if (msg == WM_LBUTTONDBLCLK && Notifies(h)) Notify(h, s, LBN_DBLCLK);
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (s.combo != nullptr) {
        if (InComboList(h, p)) {
          const int i = ItemAt(h, s, p.y);
          if (i >= 0) SelectSingle(h, s, i);
        }
        return 0;
      }
      if (!s.tracking || Count(s) == 0) return 0;
      int i;
      if (p.y < 0) {
        i = std::max(0, s.top - 1);
      } else if (p.y >= ClientHeight(h)) {
        i = std::min(Count(s) - 1, s.top + Visible(h, s));
      } else {
        i = std::min(Count(s) - 1, s.top + p.y / std::max(1, s.item_height));
      }
      EnsureVisible(h, s, i);
      if (Multiple(h)) {
        SetCaret(h, s, i);
      } else {
        PressItem(h, s, i, wParam, true);
      }
      return 0;
    }
    case WM_LBUTTONUP:
      if (s.combo != nullptr) {
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (InComboList(h, p) && ItemAt(h, s, p.y) >= 0) SendMessage(s.combo, kComboListDone, TRUE, 0);
        return 0;
      }
      if (s.tracking) {
        s.tracking = false;
        if (GetCapture() == h) ReleaseCapture();
        if (Notifies(h)) Notify(h, s, LBN_SELCHANGE);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (s.combo != nullptr) {
        // The list's own scroll bar borrows the capture while it is dragged.
        HWND to = reinterpret_cast<HWND>(lParam);
        if (to != h && !IsScrollTracker(to) && IsWindowVisible(h))
          SendMessage(s.combo, kComboListDone, FALSE, 0);
        return 0;
      }
      if (reinterpret_cast<HWND>(lParam) != h) s.tracking = false;
      return 0;
    case WM_MOUSEWHEEL: {
      const int notches = static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(wParam))) / WHEEL_DELTA;
      SetTop(h, s, s.top - 3 * notches);
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      if (lParam != 0) break;
      const WORD code = LOWORD(wParam);
      if (msg == WM_VSCROLL) {
        int top = s.top;
        switch (code) {
          case SB_LINEUP:
            --top;
            break;
          case SB_LINEDOWN:
            ++top;
            break;
          case SB_PAGEUP:
            top -= Visible(h, s);
            break;
          case SB_PAGEDOWN:
            top += Visible(h, s);
            break;
          case SB_TOP:
            top = 0;
            break;
          case SB_BOTTOM:
            top = Count(s);
            break;
          case SB_THUMBTRACK:
          case SB_THUMBPOSITION: {
            SCROLLINFO si;
            si.fMask = SIF_TRACKPOS;
            GetScrollInfo(h, SB_VERT, &si);
            top = si.nTrackPos;
            break;
          }
          case SB_ENDSCROLL:
            // A dropped list takes the mouse back after its scroll bar.
            if (s.combo != nullptr && IsWindowVisible(h)) SetCapture(h);
            break;
        }
        SetTop(h, s, top);
      } else {
        int off = s.h_offset;
        const int page = ClientWidth(h);
        switch (code) {
          case SB_LINELEFT:
            off -= s.fi.ave_width;
            break;
          case SB_LINERIGHT:
            off += s.fi.ave_width;
            break;
          case SB_PAGELEFT:
            off -= page;
            break;
          case SB_PAGERIGHT:
            off += page;
            break;
          case SB_LEFT:
            off = 0;
            break;
          case SB_RIGHT:
            off = s.extent;
            break;
          case SB_THUMBTRACK:
          case SB_THUMBPOSITION: {
            SCROLLINFO si;
            si.fMask = SIF_TRACKPOS;
            GetScrollInfo(h, SB_HORZ, &si);
            off = si.nTrackPos;
            break;
          }
        }
        off = std::clamp(off, 0, std::max(0, s.extent - page));
        if (off != s.h_offset) {
          s.h_offset = off;
          UpdateScroll(h, s);
          InvalidateRect(h, nullptr, TRUE);
        }
      }
      return 0;
    }
    case WM_KEYDOWN: {
      if (Count(s) == 0) return 0;
      const int page = std::max(1, Visible(h, s) - 1);
      switch (wParam) {
        case VK_UP:
        case VK_LEFT:
          KeyMove(h, s, s.caret - 1);
          return 0;
        case VK_DOWN:
        case VK_RIGHT:
          KeyMove(h, s, s.caret + 1);
          return 0;
        case VK_PRIOR:
          KeyMove(h, s, s.caret - page);
          return 0;
        case VK_NEXT:
          KeyMove(h, s, s.caret + page);
          return 0;
        case VK_HOME:
          KeyMove(h, s, 0);
          return 0;
        case VK_END:
          KeyMove(h, s, Count(s) - 1);
          return 0;
        case VK_SPACE:
          if (AnyMulti(h) && Valid(s, s.caret) && !(StyleOf(h) & LBS_NOSEL)) {
            Item& it = s.items[static_cast<std::size_t>(s.caret)];
            SetItemSelected(h, s, s.caret, !it.selected);
            s.anchor = s.caret;
            Notify(h, s, LBN_SELCHANGE);
          }
          return 0;
      }
      break;
    }
    case WM_CHAR: {
      if (!HasStrings(h) || wParam < 32 || wParam > 255) return 0;
      const char prefix[2] = {static_cast<char>(wParam), '\0'};
      const LRESULT i = Find(h, s, s.caret, reinterpret_cast<LPARAM>(prefix), false);
      if (i != LB_ERR) KeyMove(h, s, static_cast<int>(i));
      return 0;
    }
    case LB_ADDSTRING:
      return Insert(h, s, -1, lParam, (StyleOf(h) & LBS_SORT) != 0);
    case LB_INSERTSTRING: {
      const int index = static_cast<int>(static_cast<LONG>(wParam));
      if (index > Count(s)) return LB_ERR;
      return Insert(h, s, index, lParam, false);
    }
    case LB_DELETESTRING:
      return Delete(h, s, static_cast<int>(static_cast<LONG>(wParam)));
    case LB_RESETCONTENT:
      Reset(h, s);
      return 0;
    case LB_GETCOUNT:
      return Count(s);
    case LB_SETCURSEL: {
      if (AnyMulti(h)) return LB_ERR;
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (i == -1) {
        SelectSingle(h, s, -1);
        return LB_ERR;
      }
      if (!Valid(s, i)) return LB_ERR;
      SelectSingle(h, s, i);
      EnsureVisible(h, s, i);
      return i;
    }
    case LB_GETCURSEL:
      if (AnyMulti(h)) return Count(s) > 0 ? s.caret : LB_ERR;
      return s.sel;
    case LB_SETSEL: {
      if (!AnyMulti(h)) return LB_ERR;
      const int i = static_cast<int>(static_cast<LONG>(lParam));
      if (i == -1) {
        for (int k = 0; k < Count(s); ++k) SetItemSelected(h, s, k, wParam != 0);
        return LB_OKAY;
      }
      if (!Valid(s, i)) return LB_ERR;
      SetItemSelected(h, s, i, wParam != 0);
      return LB_OKAY;
    }
    case LB_GETSEL: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (!Valid(s, i)) return LB_ERR;
      return IsSelected(h, s, i) ? 1 : 0;
    }
    case LB_GETSELCOUNT: {
      if (!AnyMulti(h)) return LB_ERR;
      int n = 0;
      for (const Item& it : s.items) n += it.selected;
      return n;
    }
    case LB_GETSELITEMS: {
      if (!AnyMulti(h)) return LB_ERR;
      int* out = reinterpret_cast<int*>(lParam);
      const int room = static_cast<int>(static_cast<LONG>(wParam));
      int n = 0;
      for (int i = 0; i < Count(s) && n < room && out != nullptr; ++i) {
        if (s.items[static_cast<std::size_t>(i)].selected) out[n++] = i;
      }
      return n;
    }
    case LB_SELITEMRANGE: {
      if (!AnyMulti(h)) return LB_ERR;
      const int a = LOWORD(static_cast<DWORD_PTR>(lParam)), b = HIWORD(static_cast<DWORD_PTR>(lParam));
      for (int i = std::min(a, b); i <= std::max(a, b) && i < Count(s); ++i)
        SetItemSelected(h, s, i, wParam != 0);
      return LB_OKAY;
    }
    case LB_GETTEXT: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      char* out = reinterpret_cast<char*>(lParam);
      if (!Valid(s, i) || out == nullptr) return LB_ERR;
      const Item& it = s.items[static_cast<std::size_t>(i)];
      if (!HasStrings(h)) {
        std::memcpy(out, &it.data, sizeof it.data);
        return static_cast<LRESULT>(sizeof it.data);
      }
      std::memcpy(out, it.text.c_str(), it.text.size() + 1);
      return static_cast<LRESULT>(it.text.size());
    }
    case LB_GETTEXTLEN: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (!Valid(s, i)) return LB_ERR;
      return HasStrings(h) ? static_cast<LRESULT>(s.items[static_cast<std::size_t>(i)].text.size())
                           : static_cast<LRESULT>(sizeof(ULONG_PTR));
    }
    case LB_GETITEMDATA: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (!Valid(s, i)) return LB_ERR;
      return static_cast<LRESULT>(s.items[static_cast<std::size_t>(i)].data);
    }
    case LB_SETITEMDATA: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (!Valid(s, i)) return LB_ERR;
      s.items[static_cast<std::size_t>(i)].data = static_cast<ULONG_PTR>(lParam);
      InvalidateItem(h, s, i);
      return TRUE;
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
      return Find(h, s, static_cast<int>(static_cast<LONG>(wParam)), lParam, msg == LB_FINDSTRINGEXACT);
    case LB_SELECTSTRING: {
      if (AnyMulti(h)) return LB_ERR;
      const LRESULT i = Find(h, s, static_cast<int>(static_cast<LONG>(wParam)), lParam, false);
      if (i == LB_ERR) return LB_ERR;
      SelectSingle(h, s, static_cast<int>(i));
      EnsureVisible(h, s, static_cast<int>(i));
      return i;
    }
    case LB_GETTOPINDEX:
      return s.top;
    case LB_SETTOPINDEX: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (!Valid(s, i) && !(i == 0 && Count(s) == 0)) return LB_ERR;
      SetTop(h, s, i);
      return LB_OKAY;
    }
    case LB_GETITEMRECT: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      RECT* out = reinterpret_cast<RECT*>(lParam);
      if (!Valid(s, i) || out == nullptr) return LB_ERR;
      *out = ItemRect(h, s, i);
      return LB_OKAY;
    }
    case LB_ITEMFROMPOINT: {
      const int y = GET_Y_LPARAM(lParam);
      if (Count(s) == 0) return MAKELRESULT(0, 1);
      const int raw = s.top + (y < 0 ? -1 : y / std::max(1, s.item_height));
      const int i = std::clamp(raw, 0, Count(s) - 1);
      const bool outside = raw != i || y < 0 || y >= ClientHeight(h) || GET_X_LPARAM(lParam) < 0 ||
                           GET_X_LPARAM(lParam) >= ClientWidth(h);
      return MAKELRESULT(i, outside ? 1 : 0);
    }
    case LB_SETCARETINDEX: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (!Valid(s, i)) return LB_ERR;
      SetCaret(h, s, i);
      EnsureVisible(h, s, i);
      return LB_OKAY;
    }
    case LB_GETCARETINDEX:
      return s.caret;
    case LB_SETANCHORINDEX: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (!Valid(s, i)) return LB_ERR;
      s.anchor = i;
      return LB_OKAY;
    }
    case LB_GETANCHORINDEX:
      return s.anchor;
    case LB_SETITEMHEIGHT: {
      const int height = LOWORD(static_cast<DWORD_PTR>(lParam));
      if (height <= 0 || height > 255) return LB_ERR;
      s.item_height = height;
      FitIntegralHeight(h, s);
      UpdateScroll(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return LB_OKAY;
    }
    case LB_GETITEMHEIGHT:
      return s.item_height;
    case LB_GETHORIZONTALEXTENT:
      return s.extent;
    case LB_SETHORIZONTALEXTENT:
      s.extent = std::max(0, static_cast<int>(static_cast<LONG>(wParam)));
      s.h_offset = std::clamp(s.h_offset, 0, std::max(0, s.extent - ClientWidth(h)));
      UpdateScroll(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case kListComboMode:
      s.combo = reinterpret_cast<HWND>(wParam);
      MeasureItems(h, s);
      return 0;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterListBoxClasses() {
  RegisterControlClass(WC_LISTBOX, ListBoxProc, CS_DBLCLKS | CS_GLOBALCLASS);
  RegisterControlClass(WC_COMBOLBOX, ListBoxProc, CS_GLOBALCLASS | CS_SAVEBITS);
}

}  // namespace controls
