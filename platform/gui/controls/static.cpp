// Static controls: texts, icons, bitmaps, filled rectangles, frames and
// etched lines.
#include <cstdlib>

#include "platform/gui/controls/control_internal.h"

namespace controls {
namespace {

struct StaticState : State {
  HICON icon = nullptr;
  HBITMAP bitmap = nullptr;
};

DWORD TypeOf(HWND h) {
  return static_cast<DWORD>(GetWindowLong(h, GWL_STYLE)) & SS_TYPEMASK;
}

SIZE ImageSize(DWORD type, const StaticState& s) {
  if (type == SS_ICON && s.icon != nullptr)
    return SIZE{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
  if (type == SS_BITMAP && s.bitmap != nullptr) {
    BITMAP bm;
    if (GetObject(s.bitmap, sizeof bm, &bm)) return SIZE{bm.bmWidth, std::abs(bm.bmHeight)};
  }
  return SIZE{0, 0};
}

// A picture static takes the picture's size unless it centres it.
void FitToImage(HWND h, const StaticState& s) {
  const DWORD style = static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
  if (style & SS_CENTERIMAGE) return;
  const SIZE size = ImageSize(style & SS_TYPEMASK, s);
  if (size.cx <= 0 || size.cy <= 0) return;
  RECT r{0, 0, size.cx, size.cy};
  AdjustWindowRectEx(&r, style, FALSE, static_cast<DWORD>(GetWindowLong(h, GWL_EXSTYLE)));
  SetWindowPos(h, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PaintImage(HWND h, HDC dc, const RECT& r, DWORD type, const StaticState& s) {
  const DWORD style = static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
  const SIZE size = ImageSize(type, s);
  int x = 0, y = 0;
  if (style & SS_CENTERIMAGE) {
    x = (r.right - size.cx) / 2;
    y = (r.bottom - size.cy) / 2;
  }
  if (type == SS_ICON && s.icon != nullptr) {
    DrawIcon(dc, x, y, s.icon);
  } else if (type == SS_BITMAP && s.bitmap != nullptr) {
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, s.bitmap);
    BitBlt(dc, x, y, size.cx, size.cy, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
}

void Paint(HWND h, HDC dc, const StaticState& s) {
  RECT r;
  GetClientRect(h, &r);
  const DWORD style = static_cast<DWORD>(GetWindowLong(h, GWL_STYLE));
  const DWORD type = style & SS_TYPEMASK;
  switch (type) {
    case SS_BLACKRECT:
      FillSys(dc, r, COLOR_WINDOWFRAME);
      return;
    case SS_GRAYRECT:
      FillSys(dc, r, COLOR_BTNSHADOW);
      return;
    case SS_WHITERECT:
      FillSys(dc, r, COLOR_WINDOW);
      return;
    case SS_BLACKFRAME:
      Frame1(dc, r, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME);
      return;
    case SS_GRAYFRAME:
      Frame1(dc, r, COLOR_BTNSHADOW, COLOR_BTNSHADOW);
      return;
    case SS_WHITEFRAME:
      Frame1(dc, r, COLOR_WINDOW, COLOR_WINDOW);
      return;
    case SS_ETCHEDFRAME:
      DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
      return;
    case SS_ETCHEDHORZ:
      DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
      return;
    case SS_ETCHEDVERT:
      DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT);
      return;
  }
  HBRUSH back = ParentBrush(h, dc, WM_CTLCOLORSTATIC);
  FillRect(dc, &r, back);
  if (type == SS_ICON || type == SS_BITMAP) {
    PaintImage(h, dc, r, type, s);
    return;
  }
  UINT fmt = DT_EXPANDTABS;
  if (type == SS_CENTER) fmt |= DT_CENTER;
  if (type == SS_RIGHT) fmt |= DT_RIGHT;
  if (type == SS_SIMPLE || (style & SS_CENTERIMAGE)) {
    fmt |= DT_SINGLELINE;
    if (style & SS_CENTERIMAGE) fmt |= DT_VCENTER;
  } else if (type != SS_LEFTNOWORDWRAP) {
    fmt |= DT_WORDBREAK;
  }
  if (style & SS_NOPREFIX) fmt |= DT_NOPREFIX;
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  SetBkMode(dc, TRANSPARENT);
  if (!IsWindowEnabled(h)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  const std::string text = WindowTextOf(h);
  DrawText(dc, text.c_str(), -1, &r, fmt);
  SelectObject(dc, old);
}

HICON IconFromName(const CREATESTRUCT* cs) {
  if (cs == nullptr || cs->lpszName == nullptr) return nullptr;
  if (IS_INTRESOURCE(cs->lpszName)) return LoadIcon(cs->hInstance, cs->lpszName);
  if (cs->lpszName[0] == '#') return LoadIcon(cs->hInstance, MAKEINTRESOURCE(std::atoi(cs->lpszName + 1)));
  if (cs->lpszName[0] == '\0') return nullptr;
  return LoadIcon(cs->hInstance, cs->lpszName);
}

LRESULT StaticProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    Attach<StaticState>(h);
    if (GetWindowLong(h, GWL_STYLE) & SS_SUNKEN) {
      SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_STATICEDGE));
    }
  }
  auto sp = Get<StaticState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  StaticState& s = *sp;
  LRESULT result = 0;
  if (HandleFont(h, s, msg, wParam, lParam, &result)) return result;
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_CREATE:
      if (TypeOf(h) == SS_ICON) {
        s.icon = IconFromName(reinterpret_cast<const CREATESTRUCT*>(lParam));
        FitToImage(h, s);
      }
      return 0;
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
      if (!(GetWindowLong(h, GWL_STYLE) & SS_NOTIFY)) return HTTRANSPARENT;
      break;
    case WM_LBUTTONDOWN:
      if (GetWindowLong(h, GWL_STYLE) & SS_NOTIFY) NotifyParent(h, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (GetWindowLong(h, GWL_STYLE) & SS_NOTIFY) NotifyParent(h, STN_DBLCLK);
      return 0;
    case WM_SETTEXT:
      result = DefWindowProc(h, msg, wParam, lParam);
      InvalidateRect(h, nullptr, TRUE);
      return result;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case STM_SETICON: {
      HICON old = s.icon;
      s.icon = reinterpret_cast<HICON>(wParam);
      FitToImage(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON:
      return reinterpret_cast<LRESULT>(s.icon);
    case STM_SETIMAGE: {
      LRESULT old = 0;
      if (wParam == IMAGE_ICON) {
        old = reinterpret_cast<LRESULT>(s.icon);
        s.icon = reinterpret_cast<HICON>(lParam);
      } else if (wParam == IMAGE_BITMAP) {
        old = reinterpret_cast<LRESULT>(s.bitmap);
        s.bitmap = reinterpret_cast<HBITMAP>(lParam);
      } else {
        return 0;
      }
      FitToImage(h, s);
      InvalidateRect(h, nullptr, TRUE);
      return old;
    }
    case STM_GETIMAGE:
      if (wParam == IMAGE_ICON) return reinterpret_cast<LRESULT>(s.icon);
      if (wParam == IMAGE_BITMAP) return reinterpret_cast<LRESULT>(s.bitmap);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterStaticClass() {
  RegisterControlClass(WC_STATIC, StaticProc, CS_DBLCLKS | CS_GLOBALCLASS);
}

}  // namespace controls
