// The system's own icons (application, stop, question, warning,
// information), drawn as 32 x 32 pictures.
#include <cmath>

#include "platform/gui/window_internal.h"

namespace {

void Circle(HDC dc, int cx, int cy, int r, COLORREF fill, COLORREF edge) {
  POINT pts[48];
  for (int i = 0; i < 48; ++i) {
    const double a = i * 2.0 * M_PI / 48;
    pts[i] = POINT{cx + static_cast<int>(std::lround(r * std::cos(a))),
                   cy + static_cast<int>(std::lround(r * std::sin(a)))};
  }
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  HGDIOBJ ob = SelectObject(dc, brush), op = SelectObject(dc, pen);
  Polygon(dc, pts, 48);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(brush);
  DeleteObject(pen);
}

void Mark(HDC dc, int x, int y, const char* text, COLORREF color, int size) {
  HFONT font = CreateFont(-size, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ of = SelectObject(dc, font);
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oc = SetTextColor(dc, color);
  RECT r{x, y, x + 32, y + 32};
  DrawText(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, oc);
  SetBkMode(dc, mode);
  SelectObject(dc, of);
  DeleteObject(font);
}

}  // namespace

void PaintSystemIcon(HDC dc, int x, int y, int kind) {
  switch (kind) {
    case 32513: {  // stop
      Circle(dc, x + 16, y + 16, 14, RGB(255, 0, 0), RGB(128, 0, 0));
      HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
      HGDIOBJ op = SelectObject(dc, pen);
      MoveToEx(dc, x + 10, y + 10, nullptr);
      LineTo(dc, x + 22, y + 22);
      MoveToEx(dc, x + 22, y + 10, nullptr);
      LineTo(dc, x + 10, y + 22);
      SelectObject(dc, op);
      DeleteObject(pen);
      break;
    }
    case 32514:  // question
      Circle(dc, x + 16, y + 16, 14, RGB(255, 255, 255), RGB(0, 0, 0));
      Mark(dc, x, y, "?", RGB(0, 0, 255), 20);
      break;
    case 32515: {  // warning
      const POINT tri[3] = {POINT{x + 16, y + 2}, POINT{x + 30, y + 29}, POINT{x + 2, y + 29}};
      HBRUSH brush = CreateSolidBrush(RGB(255, 255, 0));
      HGDIOBJ ob = SelectObject(dc, brush), op = SelectObject(dc, GetStockObject(BLACK_PEN));
      Polygon(dc, tri, 3);
      SelectObject(dc, ob);
      SelectObject(dc, op);
      DeleteObject(brush);
      Mark(dc, x, y + 3, "!", RGB(0, 0, 0), 18);
      break;
    }
    case 32516:  // information
      Circle(dc, x + 16, y + 16, 14, RGB(255, 255, 255), RGB(0, 0, 128));
      Mark(dc, x, y, "i", RGB(0, 0, 255), 20);
      break;
    default: {  // application
      RECT r{x + 2, y + 4, x + 30, y + 28};
      FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
      FrameRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      RECT bar{x + 3, y + 5, x + 29, y + 9};
      FillRect(dc, &bar, GetSysColorBrush(COLOR_ACTIVECAPTION));
      break;
    }
  }
}
