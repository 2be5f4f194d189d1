// The shared parts of the controls: state records, notifications, fonts,
// colours, and the 3-D drawing (DrawEdge, DrawFrameControl).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gui/controls/control_internal.h"

namespace controls {

void RegisterControlClass(const char* name, WNDPROC proc, UINT style, LPCSTR cursor) {
  WNDCLASS wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = kExtraBytes;
  wc.hCursor = LoadCursor(nullptr, cursor);
  wc.lpszClassName = name;
  RegisterClass(&wc);
}

std::shared_ptr<State> GetState(HWND h) {
  auto* holder = reinterpret_cast<std::shared_ptr<State>*>(GetWindowLongPtr(h, 0));
  return holder != nullptr ? *holder : nullptr;
}

void SetState(HWND h, std::shared_ptr<State> state) {
  DropState(h);
  SetWindowLongPtr(h, 0, reinterpret_cast<LONG_PTR>(new std::shared_ptr<State>(std::move(state))));
}

void DropState(HWND h) {
  auto* holder = reinterpret_cast<std::shared_ptr<State>*>(SetWindowLongPtr(h, 0, 0));
  delete holder;
}

HFONT DrawFont(const State& s) {
  return s.font != nullptr ? s.font : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool HandleFont(HWND h, State& s, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg == WM_SETFONT) {
    s.font = reinterpret_cast<HFONT>(wParam);
    if (LOWORD(static_cast<DWORD_PTR>(lParam))) InvalidateRect(h, nullptr, TRUE);
    *result = 0;
    return true;
  }
  if (msg == WM_GETFONT) {
    *result = reinterpret_cast<LRESULT>(s.font);
    return true;
  }
  return false;
}

FontInfo MeasureFont(HFONT font) {
  FontInfo f;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  f.height = tm.tmHeight;
  f.ascent = tm.tmAscent;
  f.ave_width = std::max<LONG>(tm.tmAveCharWidth, 1);
  GetCharWidth32(dc, 0, 255, f.widths);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return f;
}

int TextWidth(const FontInfo& f, const char* text, std::size_t length) {
  int w = 0;
  for (std::size_t i = 0; i < length; ++i) w += f.widths[static_cast<unsigned char>(text[i])];
  return w;
}

int ControlId(HWND h) {
  return static_cast<int>(GetWindowLongPtr(h, GWLP_ID));
}

void NotifyParent(HWND h, WORD code) {
  HWND parent = GetParent(h);
  if (parent == nullptr) return;
  SendMessage(parent, WM_COMMAND, MAKEWPARAM(ControlId(h), code), reinterpret_cast<LPARAM>(h));
}

LRESULT NotifyParentHeader(HWND h, UINT code, NMHDR* header) {
  HWND parent = GetParent(h);
  if (parent == nullptr) return 0;
  NMHDR own;
  if (header == nullptr) header = &own;
  header->hwndFrom = h;
  header->idFrom = static_cast<UINT_PTR>(ControlId(h));
  header->code = code;
  return SendMessage(parent, WM_NOTIFY, static_cast<WPARAM>(header->idFrom),
                     reinterpret_cast<LPARAM>(header));
}

HBRUSH ParentBrush(HWND h, HDC dc, UINT ctlcolor) {
  HWND parent = GetParent(h);
  HBRUSH brush = nullptr;
  if (parent != nullptr) {
    brush = reinterpret_cast<HBRUSH>(
        SendMessage(parent, ctlcolor, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h)));
  }
  if (brush == nullptr) {
    brush = reinterpret_cast<HBRUSH>(
        DefWindowProc(parent, ctlcolor, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h)));
  }
  return brush;
}

std::string WindowTextOf(HWND h) {
  const int n = GetWindowTextLength(h);
  std::string s(static_cast<std::size_t>(std::max(n, 0)) + 1, '\0');
  const int got = GetWindowText(h, s.data(), static_cast<int>(s.size()));
  s.resize(static_cast<std::size_t>(std::max(got, 0)));
  return s;
}

void FillSys(HDC dc, const RECT& r, int sys_color) {
  if (r.right > r.left && r.bottom > r.top) FillRect(dc, &r, GetSysColorBrush(sys_color));
}

void FillColor(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH b = CreateSolidBrush(color);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

RECT Frame1(HDC dc, RECT r, int top_left, int bottom_right) {
  if (r.right <= r.left || r.bottom <= r.top) return r;
  FillSys(dc, RECT{r.left, r.top, r.right, r.top + 1}, top_left);
  FillSys(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, top_left);
  FillSys(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottom_right);
  FillSys(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottom_right);
  return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

void Arrow(HDC dc, const RECT& r, int direction, COLORREF color, int size) {
  size = std::max(size, 1);
  HBRUSH b = CreateSolidBrush(color);
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < size; ++i) {
    RECT line;
    switch (direction) {
      case 0:  // up: apex at the top
        line = RECT{cx - i, cy - size / 2 + i, cx + i + 1, cy - size / 2 + i + 1};
        break;
      case 1:  // down
        line = RECT{cx - i, cy + size / 2 - i, cx + i + 1, cy + size / 2 - i + 1};
        break;
      case 2:  // left
        line = RECT{cx - size / 2 + i, cy - i, cx - size / 2 + i + 1, cy + i + 1};
        break;
      default:  // right
        line = RECT{cx + size / 2 - i, cy - i, cx + size / 2 - i + 1, cy + i + 1};
        break;
    }
    FillRect(dc, &line, b);
  }
  DeleteObject(b);
}

void RadioFace(HDC dc, int x, int y, int d, bool checked, bool pushed, bool enabled) {
  const double r = d / 2.0, c = d / 2.0;
  const double dot = std::max(1.5, d / 6.0);
  const COLORREF face = GetSysColor(pushed || !enabled ? COLOR_BTNFACE : COLOR_WINDOW);
  const COLORREF mark = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
  for (int j = 0; j < d; ++j) {
    for (int i = 0; i < d; ++i) {
      const double dx = i + 0.5 - c, dy = j + 0.5 - c;
      const double dist = std::sqrt(dx * dx + dy * dy);
      if (dist > r) continue;
      const bool upper_left = dx + dy < 0;
      COLORREF color;
      if (dist > r - 1) {
        color = GetSysColor(upper_left ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
      } else if (dist > r - 2) {
        color = GetSysColor(upper_left ? COLOR_3DDKSHADOW : COLOR_3DLIGHT);
      } else if (checked && dist <= dot) {
        color = mark;
      } else {
        color = face;
      }
      SetPixelV(dc, x + i, y + j, color);
    }
  }
}

void CheckFace(HDC dc, int x, int y, int d, bool checked, bool pushed, bool enabled, bool flat) {
  RECT r{x, y, x + d, y + d};
  if (flat) {
    r = Frame1(dc, r, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME);
  } else {
    r = Frame1(dc, r, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
    r = Frame1(dc, r, COLOR_3DDKSHADOW, COLOR_3DLIGHT);
  }
  FillSys(dc, r, pushed || !enabled ? COLOR_BTNFACE : COLOR_WINDOW);
  if (!checked) return;
  // A tick: down from the left to a third of the way, then up to the right.
  const int n = r.right - r.left;
  if (n < 3) return;
  const COLORREF mark = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
  const int thick = std::max(2, n / 3);
  const int left = r.left + std::max(1, n / 8), right = r.right - std::max(1, n / 8);
  const int knee = left + (right - left) / 3;
  const int base = r.top + n - std::max(1, n / 8) - thick;  // the knee's top
  for (int px = left; px < right; ++px) {
    int top;
    if (px <= knee) {
      top = base - (knee - px);
    } else {
      top = base - (px - knee) * (n - thick) / std::max(1, right - knee);
      top = std::max<int>(top, r.top);
    }
    for (int k = 0; k < thick && top + k < r.bottom; ++k) SetPixelV(dc, px, top + k, mark);
  }
}

}  // namespace controls

using namespace controls;

void InitCommonControls() {}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  return init != nullptr ? TRUE : FALSE;
}

BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags) {
  if (dc == nullptr || rect == nullptr) return FALSE;
  RECT r = *rect;
  // Outer and inner borders, each a top-left and a bottom-right colour.
  int outer_tl = -1, outer_br = -1, inner_tl = -1, inner_br = -1;
  if (edge & BDR_RAISEDOUTER) outer_tl = COLOR_3DLIGHT, outer_br = COLOR_3DDKSHADOW;
  if (edge & BDR_SUNKENOUTER) outer_tl = COLOR_BTNSHADOW, outer_br = COLOR_BTNHIGHLIGHT;
  if (edge & BDR_RAISEDINNER) inner_tl = COLOR_BTNHIGHLIGHT, inner_br = COLOR_BTNSHADOW;
  if (edge & BDR_SUNKENINNER) inner_tl = COLOR_3DDKSHADOW, inner_br = COLOR_3DLIGHT;
  if (flags & BF_MONO) {
    if (outer_tl >= 0) outer_tl = outer_br = COLOR_WINDOWFRAME;
    if (inner_tl >= 0) inner_tl = inner_br = COLOR_WINDOW;
  } else if (flags & BF_FLAT) {
    if (outer_tl >= 0) outer_tl = outer_br = COLOR_BTNSHADOW;
    if (inner_tl >= 0) inner_tl = inner_br = COLOR_BTNFACE;
  }
  auto border = [&](int tl, int br) {
    if (tl < 0 || r.right <= r.left || r.bottom <= r.top) return;
    if (flags & BF_TOP) FillSys(dc, RECT{r.left, r.top, r.right, r.top + 1}, tl);
    if (flags & BF_LEFT) FillSys(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, tl);
    if (flags & BF_BOTTOM) FillSys(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, br);
    if (flags & BF_RIGHT) FillSys(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, br);
    if (flags & BF_TOP) ++r.top;
    if (flags & BF_LEFT) ++r.left;
    if (flags & BF_BOTTOM) --r.bottom;
    if (flags & BF_RIGHT) --r.right;
  };
  border(outer_tl, outer_br);
  border(inner_tl, inner_br);
  if (flags & BF_MIDDLE) FillSys(dc, r, (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE);
  if (flags & BF_ADJUST) *rect = r;
  return TRUE;
}

BOOL DrawFrameControl(HDC dc, LPRECT rect, UINT type, UINT state) {
  if (dc == nullptr || rect == nullptr) return FALSE;
  const RECT r = *rect;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return FALSE;
  const bool pushed = (state & DFCS_PUSHED) != 0;
  const bool inactive = (state & DFCS_INACTIVE) != 0;
  // A push button's or a scroll arrow's face: raised, or pressed flat.
  auto face = [&] {
    RECT in = r;
    if (pushed) {
      FillSys(dc, Frame1(dc, in, COLOR_BTNSHADOW, COLOR_BTNSHADOW), COLOR_BTNFACE);
    } else {
      DrawEdge(dc, &in, EDGE_RAISED, BF_RECT | BF_MIDDLE | ((state & DFCS_FLAT) ? BF_FLAT : 0));
    }
  };
  if (type == DFC_BUTTON) {
    const UINT kind = state & 0xFF;
    if (kind == DFCS_BUTTONPUSH) {
      face();
      return TRUE;
    }
    const int d = std::min(w, h);
    const int x = r.left + (w - d) / 2, y = r.top + (h - d) / 2;
    const bool checked = (state & DFCS_CHECKED) != 0;
    if (kind == DFCS_BUTTONRADIO) {
      RadioFace(dc, x, y, d, checked, pushed, !inactive);
    } else {
      CheckFace(dc, x, y, d, checked, pushed, !inactive, (state & DFCS_FLAT) != 0);
    }
    return TRUE;
  }
  if (type == DFC_SCROLL) {
    face();
    int dir = 1;
    switch (state & 0xFF) {
      case DFCS_SCROLLUP:
        dir = 0;
        break;
      case DFCS_SCROLLLEFT:
        dir = 2;
        break;
      case DFCS_SCROLLRIGHT:
        dir = 3;
        break;
      default:
        dir = 1;
        break;  // down and the combo box button
    }
    const int size = std::max(2, std::min(w, h) / 4);
    RECT glyph = r;
    if (pushed) OffsetRect(&glyph, 1, 1);
    if (inactive) {
      RECT shadow = glyph;
      OffsetRect(&shadow, 1, 1);
      Arrow(dc, shadow, dir, GetSysColor(COLOR_BTNHIGHLIGHT), size);
      Arrow(dc, glyph, dir, GetSysColor(COLOR_GRAYTEXT), size);
    } else {
      Arrow(dc, glyph, dir, GetSysColor(COLOR_BTNTEXT), size);
    }
    return TRUE;
  }
  return FALSE;
}
