#include "ui/bmp_button.h"

#include <algorithm>
#include <vector>

namespace {

// The strip's interface colours become the system's: face, text, shadow
// and highlight.
HBITMAP MappedStrip(HBITMAP source) {
  BITMAP bm{};
  if (source == nullptr || GetObject(source, sizeof bm, &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    return nullptr;
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HBITMAP mapped = CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldFrom = SelectObject(from, source);
  HGDIOBJ oldTo = SelectObject(to, mapped);
  const struct {
    COLORREF from;
    int to;
  } kMap[] = {{RGB(192, 192, 192), COLOR_BTNFACE},
              {RGB(0, 0, 0), COLOR_BTNTEXT},
              {RGB(128, 128, 128), COLOR_BTNSHADOW},
              {RGB(255, 255, 255), COLOR_BTNHIGHLIGHT}};
  for (int y = 0; y < bm.bmHeight; ++y) {
    for (int x = 0; x < bm.bmWidth; ++x) {
      COLORREF c = GetPixel(from, x, y);
      for (const auto& m : kMap) {
        if (c == m.from) {
          c = GetSysColor(m.to);
          break;
        }
      }
      SetPixelV(to, x, y, c);
    }
  }
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  return mapped;
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TEBmpButton, TButton)
  EV_MESSAGE(WM_MOUSEMOVE, EvMouse),
  EV_MESSAGE(WM_LBUTTONDOWN, EvMouse),
  EV_MESSAGE(WM_LBUTTONUP, EvMouse),
  EV_MESSAGE(WM_MBUTTONDOWN, EvMouse),
  EV_MESSAGE(WM_MBUTTONUP, EvMouse),
  EV_MESSAGE(WM_RBUTTONDOWN, EvMouse),
  EV_MESSAGE(WM_RBUTTONUP, EvMouse),
END_RESPONSE_TABLE;
// clang-format on

TEBmpButton::TEBmpButton(TWindow* parent, int resourceId, int bitmapResId, int celCount_)
    : TButton(parent, resourceId), celCount(std::max(celCount_, 1)) {
  HBITMAP strip = Module->LoadBitmap(bitmapResId);
  HBITMAP mapped = MappedStrip(strip);
  if (strip != nullptr) DeleteObject(strip);
  if (mapped != nullptr) cels = std::make_unique<TCelArray>(mapped, celCount);
}

void TEBmpButton::SetupWindow() {
  TButton::SetupWindow();
  if (!cels) return;
  // Room for the picture inside the border and the focus frame.
  const TSize cel = cels->CelSize();
  const TRect wr = GetWindowRect();
  const int w = std::max<int>(wr.Width(), cel.cx + 2 * GetSystemMetrics(SM_CXBORDER) + 6);
  const int h = std::max<int>(wr.Height(), cel.cy + 2 * GetSystemMetrics(SM_CYBORDER) + 6);
  ::SetWindowPos(HWindow, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
}

void TEBmpButton::DrawItem(DRAWITEMSTRUCT& di) {
  HDC dc = di.hDC;
  RECT r = di.rcItem;
  // The default button of the dialog wears a frame.
  HWND dialog = ::GetParent(HWindow);
  const LRESULT def = dialog != nullptr ? ::SendMessage(dialog, DM_GETDEFID, 0, 0) : 0;
  if (HIWORD(def) == DC_HASDEFID && LOWORD(def) == GetId()) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  const bool pressed = (di.itemState & ODS_SELECTED) != 0;
  DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
  InflateRect(&r, -2 * GetSystemMetrics(SM_CXBORDER), -2 * GetSystemMetrics(SM_CYBORDER));
  if (!cels) return;
  const TSize cel = cels->CelSize();
  int x = r.left + (r.right - r.left - cel.cx) / 2;
  int y = r.top + (r.bottom - r.top - cel.cy) / 2;
  if (pressed) {
    ++x;
    ++y;
  }
  const int index = std::clamp(state, 0, celCount - 1);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  if (di.itemState & ODS_DISABLED) {
    // The dark parts embossed: a light copy one pixel down-right, then grey.
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    for (int pass = 0; pass < 2; ++pass) {
      for (int gy = 0; gy < cel.cy; ++gy) {
        for (int gx = 0; gx < cel.cx; ++gx) {
          const COLORREF c = cels->PixelOf(index, gx, gy);
          if (c == face || GetRValue(c) + GetGValue(c) + GetBValue(c) >= 3 * 192) continue;
          if (pass == 0)
            SetPixelV(dc, x + gx + 1, y + gy + 1, light);
          else
            SetPixelV(dc, x + gx, y + gy, shadow);
        }
      }
    }
  } else {
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, cels->GetBitmap());
    BitBlt(dc, x, y, cel.cx, cel.cy, mem, index * cel.cx, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  if (di.itemState & ODS_FOCUS) {
    RECT focus{x - 1, y - 1, x + cel.cx + 1, y + cel.cy + 1};
    DrawFocusRect(dc, &focus);
  }
}

LRESULT TEBmpButton::EvMouse(WPARAM, LPARAM) {
  RelayToTooltip(tooltip, HWindow, CurrentEvent.Msg, CurrentEvent.WParam, CurrentEvent.LParam);
  return DefaultProcessing();
}

void TEBmpButton::AddTooltip(TWindow* tooltip_, HWND owner) {
  tooltip = tooltip_;
  toolOwner = owner;
  if (tooltip == nullptr || tooltip->GetHandle() == nullptr || HWindow == nullptr) return;
  char text[256] = {};
  ::GetWindowText(HWindow, text, sizeof text);
  const TRect wr = GetWindowRect();
  TPoint at = wr.TopLeft();
  ::ScreenToClient(::GetParent(HWindow), &at);
  TOOLINFO ti;
  ti.hwnd = owner;
  ti.uId = static_cast<UINT_PTR>(GetId());
  ti.rect = RECT{at.x, at.y, at.x + wr.Width(), at.y + wr.Height()};
  ti.lpszText = text;
  ::SendMessage(tooltip->GetHandle(), TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti));
  ti.hwnd = HWindow;
  ti.rect = RECT{0, 0, wr.Width(), wr.Height()};
  ::SendMessage(tooltip->GetHandle(), TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti));
}

void TEBmpButton::UpdateTool(HWND hwnd, const char* text) {
  TOOLINFO ti;
  ti.hwnd = hwnd;
  ti.uId = static_cast<UINT_PTR>(GetId());
  std::vector<char> copy(text, text + std::char_traits<char>::length(text) + 1);
  ti.lpszText = copy.data();
  ::SendMessage(tooltip->GetHandle(), TTM_UPDATETIPTEXT, 0, reinterpret_cast<LPARAM>(&ti));
}

void TEBmpButton::SetTooltipText(int state_, const char* text) {
  state = state_;
  if (tooltip != nullptr && tooltip->GetHandle() != nullptr && text != nullptr) {
    UpdateTool(toolOwner, text);
    UpdateTool(HWindow, text);
  }
  if (HWindow != nullptr) Invalidate(false);
}

void RelayToTooltip(TWindow* tooltip, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (tooltip == nullptr || tooltip->GetHandle() == nullptr) return;
  MSG m{};
  m.hwnd = window;
  m.message = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  ::SendMessage(tooltip->GetHandle(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
}
