// Tab controls: tabs in one row (or several rows, the selected one next to
// the display area) above a framed display area.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gui/controls/control_internal.h"

namespace controls {
namespace {

constexpr int kPadX = 6;
constexpr int kMinTab = 24;
constexpr int kLift = 2;    // how far the selected tab stands out
constexpr int kMargin = 4;  // between the frame and the display area

struct TabItem {
  std::string text;
  LPARAM param = 0;
  RECT rect{};
  int row = 0;
};

struct TabState : State {
  std::vector<TabItem> items;
  int cur = -1;
  int rows = 1;
  int tab_height = 0;
  bool focused = false;
};

int Count(const TabState& s) {
  return static_cast<int>(s.items.size());
}

// The text width without the '&' of a mnemonic.
int LabelWidth(HDC dc, const std::string& text) {
  RECT r{0, 0, 0, 0};
  DrawText(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
  return r.right - r.left;
}

void Layout(HWND h, TabState& s) {
  RECT client;
  GetClientRect(h, &client);
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  s.tab_height = tm.tmHeight + 6;
  std::vector<int> widths;
  for (const TabItem& it : s.items) widths.push_back(std::max(kMinTab, LabelWidth(dc, it.text) + 2 * kPadX));
  SelectObject(dc, old);
  ReleaseDC(h, dc);

  const bool multi = (GetWindowLong(h, GWL_STYLE) & TCS_MULTILINE) != 0;
  const int avail = std::max(1, static_cast<int>(client.right) - 2 * kLift);
  // Rows of tab indexes, filled left to right.
  std::vector<std::vector<int>> rows(1);
  int x = 0;
  for (int i = 0; i < Count(s); ++i) {
    const int w = widths[static_cast<std::size_t>(i)];
    if (multi && x > 0 && x + w > avail) {
      rows.emplace_back();
      x = 0;
    }
    rows.back().push_back(i);
    x += w;
  }
  s.rows = static_cast<int>(rows.size());
  // The row with the selected tab sits next to the display area.
  int sel_row = 0;
  for (int r = 0; r < s.rows; ++r) {
    for (int i : rows[static_cast<std::size_t>(r)]) {
      if (i == s.cur) sel_row = r;
    }
  }
  for (int r = 0; r < s.rows; ++r) {
    const auto& row = rows[static_cast<std::size_t>(r)];
    // Shown from the top: the rows after the selected one's, then up to it.
    const int shown = (r - sel_row - 1 + s.rows) % s.rows;
    const int y = kLift + shown * s.tab_height;
    int total = 0;
    for (int i : row) total += widths[static_cast<std::size_t>(i)];
    // Several rows are stretched to the full width.
    const int extra = (s.rows > 1 && !row.empty()) ? std::max(0, avail - total) : 0;
    int left = kLift;
    for (std::size_t k = 0; k < row.size(); ++k) {
      const int i = row[k];
      int w = widths[static_cast<std::size_t>(i)];
      w += static_cast<int>(extra / static_cast<int>(row.size())) +
           (static_cast<int>(k) < extra % static_cast<int>(row.size()) ? 1 : 0);
      TabItem& it = s.items[static_cast<std::size_t>(i)];
      it.rect = RECT{left, y, left + w, y + s.tab_height};
      it.row = shown;
      left += w;
    }
  }
}

int HeaderHeight(const TabState& s) {
  return kLift + s.rows * s.tab_height;
}

int HitTest(const TabState& s, POINT p) {
  for (int i = 0; i < Count(s); ++i) {
    RECT r = s.items[static_cast<std::size_t>(i)].rect;
    if (i == s.cur) InflateRect(&r, kLift, kLift);
    if (PtInRect(&r, p)) return i;
  }
  return -1;
}

// A user's choice of tab i: the parent may refuse it.
void Choose(HWND h, TabState& s, int i) {
  if (i < 0 || i >= Count(s) || i == s.cur) return;
  if (NotifyParentHeader(h, TCN_SELCHANGING) != 0) return;
  if (!IsWindow(h)) return;
  s.cur = i;
  Layout(h, s);
  InvalidateRect(h, nullptr, TRUE);
  NotifyParentHeader(h, TCN_SELCHANGE);
}

void PaintTab(HWND h, HDC dc, const TabState& s, int i) {
  const TabItem& it = s.items[static_cast<std::size_t>(i)];
  const bool sel = i == s.cur;
  RECT r = it.rect;
  if (sel) {
    r.left -= kLift;
    r.right += kLift;
    r.top -= kLift;
    r.bottom += 1;  // over the frame's top line
  }
  FillSys(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom}, COLOR_BTNFACE);
  FillSys(dc, RECT{r.left, r.top + 2, r.left + 1, r.bottom}, COLOR_BTNHIGHLIGHT);
  FillSys(dc, RECT{r.left + 2, r.top, r.right - 2, r.top + 1}, COLOR_BTNHIGHLIGHT);
  SetPixelV(dc, r.left + 1, r.top + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  FillSys(dc, RECT{r.right - 2, r.top + 1, r.right - 1, r.bottom}, COLOR_BTNSHADOW);
  FillSys(dc, RECT{r.right - 1, r.top + 2, r.right, r.bottom}, COLOR_3DDKSHADOW);
  RECT t = r;
  t.top += sel ? 1 : 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(h) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawText(dc, it.text.c_str(), -1, &t, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  if (sel && s.focused) {
    RECT f = r;
    InflateRect(&f, -3, -3);
    f.bottom -= 1;
    DrawFocusRect(dc, &f);
  }
}

void Paint(HWND h, HDC dc, TabState& s) {
  RECT client;
  GetClientRect(h, &client);
  const int header = HeaderHeight(s);
  // Only the tab band and the frame: the display area belongs to the
  // windows shown in it.
  FillSys(dc, RECT{0, 0, client.right, header}, COLOR_BTNFACE);
  RECT frame{0, header, client.right, client.bottom};
  DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT);
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  for (int i = 0; i < Count(s); ++i) {
    if (i != s.cur) PaintTab(h, dc, s, i);
  }
  if (s.cur >= 0) PaintTab(h, dc, s, s.cur);
  SelectObject(dc, old);
}

LRESULT TabProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) Attach<TabState>(h);
  auto sp = Get<TabState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  TabState& s = *sp;
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_CREATE:
    case WM_SIZE:
      Layout(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wParam);
      Layout(h, s);
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
    case WM_KILLFOCUS:
      s.focused = msg == WM_SETFOCUS;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN: {
      const int i = HitTest(s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (i < 0) return 0;
      if (!(GetWindowLong(h, GWL_STYLE) & TCS_FOCUSNEVER) && GetFocus() != h) SetFocus(h);
      Choose(h, s, i);
      return 0;
    }
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_LEFT:
        case VK_UP:
          Choose(h, s, s.cur - 1);
          return 0;
        case VK_RIGHT:
        case VK_DOWN:
          Choose(h, s, s.cur + 1);
          return 0;
        case VK_HOME:
          Choose(h, s, 0);
          return 0;
        case VK_END:
          Choose(h, s, Count(s) - 1);
          return 0;
      }
      break;
    case TCM_GETITEMCOUNT:
      return Count(s);
    case TCM_INSERTITEM: {
      const auto* item = reinterpret_cast<const TCITEM*>(lParam);
      if (item == nullptr) return -1;
      int i = static_cast<int>(static_cast<LONG>(wParam));
      if (i < 0) return -1;
      i = std::min(i, Count(s));
      TabItem it;
      if ((item->mask & TCIF_TEXT) && item->pszText != nullptr) it.text = item->pszText;
      if (item->mask & TCIF_PARAM) it.param = item->lParam;
      s.items.insert(s.items.begin() + i, std::move(it));
      if (s.cur >= i) {
        ++s.cur;
      } else if (s.cur < 0) {
        s.cur = 0;  // the first tab is selected
      }
      Layout(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return i;
    }
    case TCM_DELETEITEM: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (i < 0 || i >= Count(s)) return FALSE;
      s.items.erase(s.items.begin() + i);
      if (s.cur == i) {
        s.cur = -1;
      } else if (s.cur > i) {
        --s.cur;
      }
      Layout(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case TCM_DELETEALLITEMS:
      s.items.clear();
      s.cur = -1;
      Layout(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    case TCM_GETITEM:
    case TCM_SETITEM: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      auto* item = reinterpret_cast<TCITEM*>(lParam);
      if (item == nullptr || i < 0 || i >= Count(s)) return FALSE;
      TabItem& it = s.items[static_cast<std::size_t>(i)];
      if (msg == TCM_GETITEM) {
        if ((item->mask & TCIF_TEXT) && item->pszText != nullptr && item->cchTextMax > 0) {
          const std::size_t n = std::min(it.text.size(), static_cast<std::size_t>(item->cchTextMax) - 1);
          std::memcpy(item->pszText, it.text.data(), n);
          item->pszText[n] = '\0';
        }
        if (item->mask & TCIF_PARAM) item->lParam = it.param;
        return TRUE;
      }
      if (item->mask & TCIF_TEXT) it.text = item->pszText != nullptr ? item->pszText : "";
      if (item->mask & TCIF_PARAM) it.param = item->lParam;
      Layout(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case TCM_GETITEMRECT: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      RECT* out = reinterpret_cast<RECT*>(lParam);
      if (out == nullptr || i < 0 || i >= Count(s)) return FALSE;
      *out = s.items[static_cast<std::size_t>(i)].rect;
      return TRUE;
    }
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS:
      return s.cur;
    case TCM_SETCURSEL: {
      const int i = static_cast<int>(static_cast<LONG>(wParam));
      if (i < 0 || i >= Count(s)) return -1;
      const int old = s.cur;
      s.cur = i;
      Layout(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return old;
    }
    case TCM_SETCURFOCUS:
      Choose(h, s, static_cast<int>(static_cast<LONG>(wParam)));
      return 0;
    case TCM_HITTEST: {
      auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
      if (info == nullptr) return -1;
      const int i = HitTest(s, info->pt);
      info->flags = i < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
      return i;
    }
    case TCM_GETROWCOUNT:
      return s.rows;
    case TCM_ADJUSTRECT: {
      RECT* r = reinterpret_cast<RECT*>(lParam);
      if (r == nullptr) return 0;
      const int header = HeaderHeight(s);
      if (wParam) {  // display area to window
        r->left -= kMargin;
        r->right += kMargin;
        r->bottom += kMargin;
        r->top -= header + kMargin;
      } else {  // window to display area
        r->left += kMargin;
        r->right -= kMargin;
        r->bottom -= kMargin;
        r->top += header + kMargin;
      }
      return 0;
    }
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterTabClass() {
  RegisterControlClass(WC_TABCONTROL, TabProc, CS_GLOBALCLASS | CS_DBLCLKS);
}

}  // namespace controls
