#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

#include "platform/gui/common_dialogs/colour_chooser_internal.h"
#include "platform/gui/controls.h"
#include "platform/gui/gdi.h"
#include "platform/gui/user.h"

namespace {

void Notify(HWND h, WORD code) {
  SendMessage(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), code), reinterpret_cast<LPARAM>(h));
}

ColourCells* CellsOf(HWND h) {
  return reinterpret_cast<ColourCells*>(GetWindowLongPtr(h, GWLP_USERDATA));
}

RECT CellRect(HWND h, const ColourCells& c, int index) {
  RECT client;
  GetClientRect(h, &client);
  const int col = index % c.cols, row = index / c.cols;
  return RECT{col * client.right / c.cols, row * client.bottom / c.rows, (col + 1) * client.right / c.cols,
              (row + 1) * client.bottom / c.rows};
}

void PaintCells(HWND h, HDC dc) {
  RECT client;
  GetClientRect(h, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const ColourCells* c = CellsOf(h);
  if (c == nullptr) return;
  const bool has_focus = GetFocus() == h;
  HBRUSH black = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  for (int i = 0; i < static_cast<int>(c->cells.size()); ++i) {
    const RECT outer = CellRect(h, *c, i);
    RECT inner = outer;
    InflateRect(&inner, -2, -2);
    DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    HBRUSH fill = CreateSolidBrush(c->cells[i]);
    FillRect(dc, &inner, fill);
    DeleteObject(fill);
    if (i == c->selected) {
      RECT frame = outer;
      FrameRect(dc, &frame, black);
      InflateRect(&frame, -1, -1);
      FrameRect(dc, &frame, black);
    } else if (has_focus && i == c->focus) {
      DrawFocusRect(dc, &outer);
    }
  }
}

void Choose(HWND h, ColourCells* c, int index) {
  if (index < 0 || index >= static_cast<int>(c->cells.size())) return;
  c->focus = index;
  c->selected = index;
  InvalidateRect(h, nullptr, FALSE);
  Notify(h, kCellsPicked);
}

LRESULT CellsProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  ColourCells* c = CellsOf(h);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      PaintCells(h, dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(h);
      if (c == nullptr) return 0;
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      for (int i = 0; i < static_cast<int>(c->cells.size()); ++i) {
        const RECT r = CellRect(h, *c, i);
        if (PtInRect(&r, p)) {
          Choose(h, c, i);
          break;
        }
      }
      return 0;
    }
    case WM_KEYDOWN: {
      if (c == nullptr || c->cells.empty()) return 0;
      const int n = static_cast<int>(c->cells.size());
      int to = c->focus;
      switch (wParam) {
        case VK_LEFT:
          to = std::max(0, to - 1);
          break;
        case VK_RIGHT:
          to = std::min(n - 1, to + 1);
          break;
        case VK_UP:
          if (to - c->cols >= 0) to -= c->cols;
          break;
        case VK_DOWN:
          if (to + c->cols < n) to += c->cols;
          break;
        case VK_SPACE:
          break;
        default:
          return DefWindowProc(h, msg, wParam, lParam);
      }
      Choose(h, c, to);
      return 0;
    }
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

LRESULT SwatchProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    HBRUSH fill = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtr(h, GWLP_USERDATA)));
    FillRect(dc, &r, fill);
    DeleteObject(fill);
    EndPaint(h, &ps);
    return 0;
  }
  if (msg == WM_ERASEBKGND) return 1;
  return DefWindowProc(h, msg, wParam, lParam);
}

// Hue and saturation (0..255) of a colour in the lightness model the
// spectrum is drawn in.
void HueSaturation(COLORREF c, int* hue, int* saturation) {
  const double r = GetRValue(c) / 255.0, g = GetGValue(c) / 255.0, b = GetBValue(c) / 255.0;
  const double hi = std::max({r, g, b}), lo = std::min({r, g, b});
  const double d = hi - lo, l = (hi + lo) / 2;
  double h = 0;
  if (d > 0) {
    if (hi == r) {
      h = 60 * std::fmod((g - b) / d + 6, 6.0);
    } else if (hi == g) {
      h = 60 * ((b - r) / d + 2);
    } else {
      h = 60 * ((r - g) / d + 4);
    }
  }
  const double s = d > 0 ? d / (1 - std::fabs(2 * l - 1)) : 0;
  *hue = static_cast<int>(std::lround(h)) % 360;
  *saturation = std::clamp(static_cast<int>(std::lround(s * 255)), 0, 255);
}

RECT SpectrumArea(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  InflateRect(&r, -2, -2);
  return r;
}

void PaintSpectrum(HWND h, HDC dc) {
  RECT edge;
  GetClientRect(h, &edge);
  DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  const RECT a = SpectrumArea(h);
  const int w = a.right - a.left, ht = a.bottom - a.top;
  if (w <= 0 || ht <= 1) return;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * ht);
  for (int y = 0; y < ht; ++y) {
    const int sat = 255 - y * 255 / (ht - 1);
    for (int x = 0; x < w; ++x) {
      const COLORREF c = SpectrumColour(x * 360 / w, sat);
      pixels[static_cast<std::size_t>(y) * w + x] = (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
                                                    (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
                                                    GetBValue(c);
    }
  }
  GdiDrawPixels(dc, a.left, a.top, w, ht, reinterpret_cast<const BYTE*>(pixels.data()), w * 4);
  // The mark: a cross at the current colour.
  int hue = 0, sat = 0;
  HueSaturation(static_cast<COLORREF>(GetWindowLongPtr(h, GWLP_USERDATA)), &hue, &sat);
  const int mx = a.left + hue * w / 360, my = a.top + (255 - sat) * (ht - 1) / 255;
  SaveDC(dc);
  IntersectClipRect(dc, a.left, a.top, a.right, a.bottom);
  HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_PEN));
  MoveToEx(dc, mx - 7, my, nullptr);
  LineTo(dc, mx - 2, my);
  MoveToEx(dc, mx + 3, my, nullptr);
  LineTo(dc, mx + 8, my);
  MoveToEx(dc, mx, my - 7, nullptr);
  LineTo(dc, mx, my - 2);
  MoveToEx(dc, mx, my + 3, nullptr);
  LineTo(dc, mx, my + 8);
  SelectObject(dc, old);
  RestoreDC(dc, -1);
}

void PickSpectrum(HWND h, LPARAM lParam) {
  const RECT a = SpectrumArea(h);
  const int w = a.right - a.left, ht = a.bottom - a.top;
  if (w <= 0 || ht <= 1) return;
  const int x = std::clamp(GET_X_LPARAM(lParam) - static_cast<int>(a.left), 0, w - 1);
  const int y = std::clamp(GET_Y_LPARAM(lParam) - static_cast<int>(a.top), 0, ht - 1);
  SetWindowLongPtr(h, GWLP_USERDATA,
                   static_cast<LONG_PTR>(SpectrumColour(x * 360 / w, 255 - y * 255 / (ht - 1))));
  InvalidateRect(h, nullptr, FALSE);
  Notify(h, kSpectrumPicked);
}

LRESULT SpectrumProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      PaintSpectrum(h, dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      SetCapture(h);
      PickSpectrum(h, lParam);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == h) PickSpectrum(h, lParam);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == h) ReleaseCapture();
      return 0;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

void Register(const char* name, WNDPROC proc) {
  WNDCLASS wc;
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClass(&wc);
}

}  // namespace

COLORREF SpectrumColour(int hue, int saturation) {
  const double c = std::clamp(saturation, 0, 255) / 255.0;
  const double hp = (((hue % 360) + 360) % 360) / 60.0;
  const double x = c * (1 - std::fabs(std::fmod(hp, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(hp)) {
    case 0:
      r = c, g = x;
      break;
    case 1:
      r = x, g = c;
      break;
    case 2:
      g = c, b = x;
      break;
    case 3:
      g = x, b = c;
      break;
    case 4:
      r = x, b = c;
      break;
    default:
      r = c, b = x;
      break;
  }
  const double m = 0.5 - c / 2;
  auto byte = [m](double v) { return static_cast<BYTE>(std::clamp(std::lround((v + m) * 255), 0L, 255L)); };
  return RGB(byte(r), byte(g), byte(b));
}

void RegisterColourChooserClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    Register(WC_COLOURCELLS, CellsProc);
    Register(WC_COLOURSWATCH, SwatchProc);
    Register(WC_COLOURSPECTRUM, SpectrumProc);
  });
}
