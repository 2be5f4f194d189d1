// Menu layout and drawing (the bar in a window's frame and popup menus),
// and the default window procedure's menu keys and clicks.
#include <algorithm>
#include <cctype>

#include "platform/gui/gdi.h"
#include "platform/gui/menu_internal.h"
#include "platform/gui/window_internal.h"

namespace {

constexpr int kBarPad = 6;       // on each side of a bar item's text
constexpr int kPopupBorder = 3;  // the raised edge round a popup
constexpr int kCheckWidth = 18;  // room for the check mark
constexpr int kArrowWidth = 16;  // room for a submenu's arrow
constexpr int kAccelGap = 20;    // between the text and the accelerator
constexpr int kSeparatorHeight = 9;

void Fill(HDC dc, const RECT& r, int sys) {
  FillRect(dc, &r, GetSysColorBrush(sys));
}

std::string Label(const std::string& text) {
  const std::size_t tab = text.find('\t');
  return tab == std::string::npos ? text : text.substr(0, tab);
}

std::string Accelerator(const std::string& text) {
  const std::size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

SIZE TextSize(HDC dc, const std::string& text) {
  RECT r{0, 0, 0, 0};
  DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

int LineHeight(HDC dc) {
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  return tm.tmHeight;
}

SIZE BitmapSize(HBITMAP b) {
  BITMAP bm{};
  if (b == nullptr || GetObject(b, sizeof bm, &bm) == 0) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

void DrawBitmap(HDC dc, HBITMAP b, int x, int y) {
  const SIZE s = BitmapSize(b);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, b);
  BitBlt(dc, x, y, s.cx, s.cy, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void DrawCheck(HDC dc, const RECT& r, bool radio, COLORREF color) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  if (radio) {
    HBRUSH b = CreateSolidBrush(color);
    HPEN p = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, p);
    const POINT pts[8] = {{cx - 1, cy - 3}, {cx + 1, cy - 3}, {cx + 3, cy - 1}, {cx + 3, cy + 1},
                          {cx + 1, cy + 3}, {cx - 1, cy + 3}, {cx - 3, cy + 1}, {cx - 3, cy - 1}};
    Polygon(dc, pts, 8);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(b);
    DeleteObject(p);
    return;
  }
  HPEN p = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ op = SelectObject(dc, p);
  for (int k = 0; k < 3; ++k) {
    MoveToEx(dc, cx - 3, cy - 1 + k, nullptr);
    LineTo(dc, cx - 1, cy + 1 + k);
    LineTo(dc, cx + 4, cy - 4 + k);
  }
  SelectObject(dc, op);
  DeleteObject(p);
}

void DrawArrow(HDC dc, const RECT& r, COLORREF color) {
  const int cx = r.right - kArrowWidth / 2 - 1, cy = (r.top + r.bottom) / 2;
  HBRUSH b = CreateSolidBrush(color);
  HPEN p = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, p);
  const POINT pts[3] = {{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}};
  Polygon(dc, pts, 3);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(b);
  DeleteObject(p);
}

// Text in the menu's look: grey and etched when greyed, highlight colours
// when selected.
void DrawLabel(HDC dc, const std::string& text, RECT r, UINT format, bool grayed, bool selected) {
  SetBkMode(dc, TRANSPARENT);
  if (grayed && !selected) {
    RECT etch = r;
    OffsetRect(&etch, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &etch, format);
  }
  SetTextColor(dc, grayed     ? GetSysColor(COLOR_GRAYTEXT)
                   : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                              : GetSysColor(COLOR_MENUTEXT));
  DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

HWND RootOfWindow(HWND hwnd) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  return root != nullptr ? root : hwnd;
}

// The bar item whose underlined letter is c; -1 when none.
int BarMnemonic(HMENU menu, int c) {
  MenuRec rec;
  if (!CopyMenuRec(menu, &rec)) return -1;
  c = std::toupper(c);
  if (c == 0) return -1;
  for (std::size_t i = 0; i < rec.items.size(); ++i) {
    if (MnemonicOf(rec.items[i].text.c_str()) == c) return static_cast<int>(i);
  }
  return -1;
}

thread_local bool t_alt_alone = false;

}  // namespace

HFONT MenuFont() {
  return reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

RECT MenuBarRect(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  return w != nullptr ? MenuBarRectLocked(*w) : RECT{};
}

std::vector<RECT> LayoutMenuBar(const MenuRec& menu, const RECT& bar) {
  std::vector<RECT> rects(menu.items.size());
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, MenuFont());
  std::vector<int> widths;
  for (const MenuItemRec& it : menu.items) {
    int w = 0;
    if (it.flags & MF_SEPARATOR) {
      w = kBarPad;
    } else if (it.flags & MF_BITMAP) {
      w = BitmapSize(it.bitmap).cx + 2 * kBarPad;
    } else {
      w = TextSize(dc, Label(it.text)).cx + 2 * kBarPad;
    }
    widths.push_back(w);
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // Items from the first right-justified one on line up at the right end.
  std::size_t right_from = menu.items.size();
  for (std::size_t i = 0; i < menu.items.size(); ++i) {
    if (menu.items[i].flags & MF_RIGHTJUSTIFY) {
      right_from = i;
      break;
    }
  }
  int x = bar.left;
  for (std::size_t i = 0; i < right_from; ++i) {
    rects[i] = RECT{x, bar.top, x + widths[i], bar.bottom};
    x += widths[i];
  }
  int rx = bar.right;
  for (std::size_t i = menu.items.size(); i-- > right_from;) {
    rects[i] = RECT{std::max(x, rx - widths[i]), bar.top, rx, bar.bottom};
    rx = rects[i].left;
  }
  return rects;
}

SIZE LayoutPopup(const MenuRec& menu, std::vector<RECT>* rects) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, MenuFont());
  const int line = std::max(LineHeight(dc) + 6, 17);
  int label_w = 0, accel_w = 0;
  std::vector<int> heights;
  for (const MenuItemRec& it : menu.items) {
    if (it.flags & MF_SEPARATOR) {
      heights.push_back(kSeparatorHeight);
      continue;
    }
    if (it.flags & MF_BITMAP) {
      const SIZE s = BitmapSize(it.bitmap);
      label_w = std::max<int>(label_w, s.cx);
      heights.push_back(std::max<int>(line, s.cy + 2));
      continue;
    }
    label_w = std::max<int>(label_w, TextSize(dc, Label(it.text)).cx);
    const std::string acc = Accelerator(it.text);
    if (!acc.empty()) accel_w = std::max<int>(accel_w, TextSize(dc, acc).cx);
    heights.push_back(line);
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int inner = kCheckWidth + label_w + (accel_w > 0 ? kAccelGap + accel_w : 0) + kArrowWidth;
  rects->assign(menu.items.size(), RECT{});
  int y = kPopupBorder;
  for (std::size_t i = 0; i < menu.items.size(); ++i) {
    (*rects)[i] = RECT{kPopupBorder, y, kPopupBorder + inner, y + heights[i]};
    y += heights[i];
  }
  return SIZE{inner + 2 * kPopupBorder, y + kPopupBorder};
}

void PaintPopup(HDC dc, const MenuRec& menu, const std::vector<RECT>& rects, const RECT& client) {
  // A raised edge round a face in the menu colour.
  RECT r = client;
  auto edge = [&](int tl, int br) {
    Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, tl);
    Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, tl);
    Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, br);
    Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, br);
    InflateRect(&r, -1, -1);
  };
  edge(COLOR_3DLIGHT, COLOR_3DDKSHADOW);
  edge(COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
  Fill(dc, r, COLOR_MENU);
  HGDIOBJ old = SelectObject(dc, MenuFont());
  for (std::size_t i = 0; i < menu.items.size() && i < rects.size(); ++i) {
    const MenuItemRec& it = menu.items[i];
    const RECT ir = rects[i];
    if (it.flags & MF_SEPARATOR) {
      const int y = (ir.top + ir.bottom) / 2 - 1;
      Fill(dc, RECT{ir.left + 1, y, ir.right - 1, y + 1}, COLOR_BTNSHADOW);
      Fill(dc, RECT{ir.left + 1, y + 1, ir.right - 1, y + 2}, COLOR_BTNHIGHLIGHT);
      continue;
    }
    const bool selected = (it.flags & MF_HILITE) != 0;
    const bool grayed = (it.flags & MF_GRAYED) != 0;
    if (selected) Fill(dc, ir, COLOR_HIGHLIGHT);
    const COLORREF ink = grayed     ? GetSysColor(COLOR_GRAYTEXT)
                         : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                    : GetSysColor(COLOR_MENUTEXT);
    if (it.flags & MF_CHECKED)
      DrawCheck(dc, RECT{ir.left, ir.top, ir.left + kCheckWidth, ir.bottom}, (it.flags & MFT_RADIOCHECK) != 0,
                ink);
    RECT tr{ir.left + kCheckWidth, ir.top, ir.right - kArrowWidth, ir.bottom};
    if (it.flags & MF_BITMAP) {
      DrawBitmap(dc, it.bitmap, tr.left, ir.top + 1);
    } else {
      DrawLabel(dc, Label(it.text), tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE, grayed, selected);
      const std::string acc = Accelerator(it.text);
      if (!acc.empty())
        DrawLabel(dc, acc, tr, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, grayed, selected);
    }
    if (it.popup != nullptr) DrawArrow(dc, ir, ink);
  }
  SelectObject(dc, old);
}

void PaintMenuBar(HWND hwnd, HDC dc, const RECT& bar, bool) {
  Fill(dc, bar, COLOR_MENU);
  MenuRec rec;
  if (!CopyMenuRec(GetMenu(hwnd), &rec)) return;
  const std::vector<RECT> rects = LayoutMenuBar(rec, bar);
  HGDIOBJ old = SelectObject(dc, MenuFont());
  // Items past the frame's right edge are cut off.
  IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
  for (std::size_t i = 0; i < rec.items.size(); ++i) {
    const MenuItemRec& it = rec.items[i];
    if (it.flags & MF_SEPARATOR) continue;
    const bool selected = (it.flags & MF_HILITE) != 0;
    if (selected) Fill(dc, rects[i], COLOR_HIGHLIGHT);
    if (it.flags & MF_BITMAP) {
      DrawBitmap(dc, it.bitmap, rects[i].left + kBarPad, rects[i].top + 1);
    } else {
      DrawLabel(dc, Label(it.text), rects[i], DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                (it.flags & MF_GRAYED) != 0, selected);
    }
  }
  SelectObject(dc, old);
}

bool MenuDefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (msg) {
    case WM_NCLBUTTONDOWN: {
      if (wParam != static_cast<WPARAM>(HTMENU)) return false;
      HMENU menu = GetMenu(hwnd);
      MenuRec rec;
      if (!CopyMenuRec(menu, &rec)) return true;
      const std::vector<RECT> rects = LayoutMenuBar(rec, MenuBarRect(hwnd));
      RECT wr;
      GetWindowRect(hwnd, &wr);
      const POINT p{GET_X_LPARAM(lParam) - wr.left, GET_Y_LPARAM(lParam) - wr.top};
      for (std::size_t i = 0; i < rects.size(); ++i) {
        if (!(rec.items[i].flags & MF_SEPARATOR) && PtInRect(&rects[i], p)) {
          TrackMenuBar(hwnd, static_cast<int>(i), false);
          break;
        }
      }
      return true;
    }
    case WM_NCRBUTTONUP:
      // The system menu of the caption.
      if (wParam == static_cast<WPARAM>(HTCAPTION) && (GetWindowLong(hwnd, GWL_STYLE) & WS_SYSMENU)) {
        HMENU sys = GetSystemMenu(hwnd, FALSE);
        UpdateSystemMenu(hwnd, sys);
        TrackPopupMenu(sys, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, GET_X_LPARAM(lParam),
                       GET_Y_LPARAM(lParam), 0, hwnd, nullptr);
        return true;
      }
      return false;
    case WM_SYSKEYDOWN:
      if (wParam == VK_MENU || wParam == VK_LMENU || wParam == VK_RMENU) {
        if (!(lParam & (1 << 30))) t_alt_alone = true;
      } else {
        t_alt_alone = false;
      }
      if (wParam == VK_F10 && !(GetKeyState(VK_SHIFT) & 0x8000)) {
        t_alt_alone = false;
        PostMessage(RootOfWindow(hwnd), WM_SYSCOMMAND, SC_KEYMENU, 0);
        return true;
      }
      return false;
    case WM_KEYDOWN:
      t_alt_alone = false;
      return false;
    case WM_SYSKEYUP:
      if ((wParam == VK_MENU || wParam == VK_LMENU || wParam == VK_RMENU) && t_alt_alone) {
        t_alt_alone = false;
        PostMessage(RootOfWindow(hwnd), WM_SYSCOMMAND, SC_KEYMENU, 0);
        return true;
      }
      return false;
    case WM_SYSCHAR:
      t_alt_alone = false;
      if (wParam == '\r' || wParam == 0x1B) return true;
      SendMessage(RootOfWindow(hwnd), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
      return true;
    case WM_SYSCOMMAND: {
      const WPARAM cmd = wParam & 0xFFF0;
      if (cmd != SC_KEYMENU && cmd != SC_MOUSEMENU) return false;
      if (GetWindowLong(hwnd, GWL_STYLE) & WS_CHILD) return true;
      if (cmd == SC_KEYMENU && lParam == ' ') {
        if (GetWindowLong(hwnd, GWL_STYLE) & WS_SYSMENU) {
          HMENU sys = GetSystemMenu(hwnd, FALSE);
          UpdateSystemMenu(hwnd, sys);
          RECT wr;
          GetWindowRect(hwnd, &wr);
          POINT at{wr.left, wr.top};
          RECT client;
          GetClientRect(hwnd, &client);
          ClientToScreen(hwnd, reinterpret_cast<POINT*>(&client));
          at.y = client.top;
          TrackPopupMenu(sys, TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, hwnd, nullptr);
        }
        return true;
      }
      HMENU menu = GetMenu(hwnd);
      if (menu == nullptr || GetMenuItemCount(menu) <= 0) {
        if (lParam != 0) MessageBeep(0);
        return true;
      }
      if (lParam == 0) {
        TrackMenuBar(hwnd, -1, true);
      } else {
        const int index = BarMnemonic(menu, static_cast<int>(lParam & 0xFF));
        if (index < 0) {
          MessageBeep(0);
        } else {
          TrackMenuBar(hwnd, index, true);
        }
      }
      return true;
    }
  }
  return false;
}
