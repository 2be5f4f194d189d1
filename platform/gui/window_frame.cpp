// The non-client area: frames, edges and captions, and hit testing.
#include <algorithm>

#include "platform/gui/window_internal.h"

namespace {

struct FrameInfo {
  DWORD style = 0;
  DWORD ex = 0;
  int width = 0;
  int height = 0;
  RECT client{};
  bool top_level = false;
  bool menu = false;
  std::string text;
};

bool GetFrameInfo(HWND hwnd, FrameInfo* f) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return false;
  f->style = w->style;
  f->ex = w->ex_style;
  f->width = w->rect.right - w->rect.left;
  f->height = w->rect.bottom - w->rect.top;
  f->client = w->client;
  f->top_level = w->parent == nullptr;
  f->menu = w->menu != nullptr && f->top_level;
  f->text = w->text;
  return true;
}

void Fill(HDC dc, const RECT& r, int sys) {
  FillRect(dc, &r, GetSysColorBrush(sys));
}

// A one-pixel edge: top and left in one colour, bottom and right in the
// other; returns the rectangle inside it.
RECT Edge(HDC dc, RECT r, int top_left, int bottom_right) {
  if (RectEmpty(r)) return r;
  Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, top_left);
  Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, top_left);
  Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottom_right);
  Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottom_right);
  return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

HFONT CaptionFont() {
  static HFONT font = CreateFont(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  return font;
}

}  // namespace

void PaintNonClient(HWND hwnd, bool active) {
  FrameInfo f;
  if (!GetFrameInfo(hwnd, &f)) return;
  if (f.client.left == 0 && f.client.top == 0 && f.client.right == f.width && f.client.bottom == f.height)
    return;
  if (f.style & WS_MINIMIZE) return;
  HDC dc = GetWindowDC(hwnd);
  if (dc == nullptr) return;
  RECT r{0, 0, f.width, f.height};
  const bool thick = (f.style & WS_THICKFRAME) != 0;
  const bool dlg = !thick && ((f.style & WS_DLGFRAME) || (f.ex & WS_EX_DLGMODALFRAME));
  if (thick || dlg) {
    const int frame = GetSystemMetrics(thick ? SM_CXFRAME : SM_CXDLGFRAME);
    r = Edge(dc, r, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
    r = Edge(dc, r, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
    for (int i = 2; i < frame; ++i) r = Edge(dc, r, COLOR_BTNFACE, COLOR_BTNFACE);
  } else if (f.style & WS_BORDER) {
    r = Edge(dc, r, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME);
  }
  if ((f.style & WS_CAPTION) == WS_CAPTION) {
    const int h =
        (f.ex & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
    RECT bar{r.left, r.top, r.right, r.top + h - 1};
    Fill(dc, bar, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    Fill(dc, RECT{r.left, bar.bottom, r.right, bar.bottom + 1}, COLOR_BTNFACE);
    RECT text = bar;
    text.left += 4;
    if (f.style & WS_SYSMENU) {
      // The close box.
      const int bw = h - 5, bh = h - 5;
      RECT box{bar.right - 2 - bw, bar.top + 2, bar.right - 2, bar.top + 2 + bh};
      RECT in = Edge(dc, box, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
      in = Edge(dc, in, COLOR_3DLIGHT, COLOR_BTNSHADOW);
      Fill(dc, in, COLOR_BTNFACE);
      HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
      HGDIOBJ old = SelectObject(dc, pen);
      const int m = 3;
      for (int k = 0; k < 2; ++k) {
        MoveToEx(dc, in.left + m + k, in.top + m, nullptr);
        LineTo(dc, in.right - m + k, in.bottom - m);
        MoveToEx(dc, in.right - m - 1 + k, in.top + m, nullptr);
        LineTo(dc, in.left + m - 1 + k, in.bottom - m);
      }
      SelectObject(dc, old);
      DeleteObject(pen);
      text.right = box.left - 2;
    }
    HGDIOBJ old_font = SelectObject(dc, CaptionFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    DrawText(dc, f.text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old_font);
    r.top += h;
  }
  if (f.menu) {
    PaintMenuBar(hwnd, dc, RECT{r.left, r.top, r.right, r.top + GetSystemMetrics(SM_CYMENU)}, active);
    r.top += GetSystemMetrics(SM_CYMENU);
  }
  if (f.ex & WS_EX_CLIENTEDGE) {
    r = Edge(dc, r, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
    r = Edge(dc, r, COLOR_3DDKSHADOW, COLOR_3DLIGHT);
  }
  if (f.ex & WS_EX_STATICEDGE) r = Edge(dc, r, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
  if (f.style & (WS_VSCROLL | WS_HSCROLL)) PaintWindowScrollBars(hwnd, dc);
  ReleaseDC(hwnd, dc);
}

LRESULT NonClientHitTest(HWND hwnd, POINT screen) {
  FrameInfo f;
  if (!GetFrameInfo(hwnd, &f)) return HTNOWHERE;
  RECT wr;
  GetWindowRect(hwnd, &wr);
  if (screen.x < wr.left || screen.x >= wr.right || screen.y < wr.top || screen.y >= wr.bottom)
    return HTNOWHERE;
  const int x = screen.x - wr.left, y = screen.y - wr.top;
  if (x >= f.client.left && x < f.client.right && y >= f.client.top && y < f.client.bottom) return HTCLIENT;
  int frame = 0;
  if (f.style & WS_THICKFRAME) {
    frame = GetSystemMetrics(SM_CXFRAME);
  } else if ((f.style & WS_DLGFRAME) || (f.ex & WS_EX_DLGMODALFRAME)) {
    frame = GetSystemMetrics(SM_CXDLGFRAME);
  } else if (f.style & WS_BORDER) {
    frame = 1;
  }
  if (f.style & WS_THICKFRAME) {
    const bool l = x < frame, r = x >= f.width - frame, t = y < frame, b = y >= f.height - frame;
    if (t && l) return HTTOPLEFT;
    if (t && r) return HTTOPRIGHT;
    if (b && l) return HTBOTTOMLEFT;
    if (b && r) return HTBOTTOMRIGHT;
    if (l) return HTLEFT;
    if (r) return HTRIGHT;
    if (t) return HTTOP;
    if (b) return HTBOTTOM;
  }
  if ((f.style & WS_CAPTION) == WS_CAPTION) {
    const int h =
        (f.ex & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
    if (y >= frame && y < frame + h) {
      if ((f.style & WS_SYSMENU) && x >= f.width - frame - h) return HTCLOSE;
      return HTCAPTION;
    }
  }
  if (f.menu && y < f.client.top) return HTMENU;
  if ((f.style & WS_VSCROLL) && x >= f.client.right) return HTVSCROLL;
  if ((f.style & WS_HSCROLL) && y >= f.client.bottom) return HTHSCROLL;
  return HTBORDER;
}

RECT MenuBarRectLocked(const Window& w) {
  if (w.menu == nullptr || w.parent != nullptr || (w.style & WS_MINIMIZE)) return RECT{};
  const RECT in = NonClientInsets(w.style & ~(WS_VSCROLL | WS_HSCROLL),
                                  w.ex_style & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), false, false);
  const int width = w.rect.right - w.rect.left;
  return RECT{in.left, in.top, std::max<int>(in.left, width - in.right),
              in.top + GetSystemMetrics(SM_CYMENU)};
}

RECT ShownArea(const Window& w) {
  RECT shown = w.client;
  // A top-level window's own scroll bars lie between its client area and
  // the frame the desktop draws: they show with the client area.
  if (w.parent == nullptr && !(w.style & WS_MINIMIZE)) {
    if (w.style & WS_VSCROLL) shown.right += GetSystemMetrics(SM_CXVSCROLL);
    if (w.style & WS_HSCROLL) shown.bottom += GetSystemMetrics(SM_CYHSCROLL);
  }
  const RECT bar = MenuBarRectLocked(w);
  if (RectEmpty(bar)) return shown;
  return RECT{std::min(shown.left, bar.left), bar.top, std::max(shown.right, bar.right), shown.bottom};
}
