#include "ui/scroll_window.h"

#include <algorithm>
#include <cstdint>

#include "model/te_window.h"
#include "platform/classlib/scroller.h"

namespace {

// Taken once: the bars' thickness and the brush behind the content.
int VBarWidth() {
  static const int width = GetSystemMetrics(SM_CXVSCROLL);
  return width;
}

int HBarHeight() {
  static const int height = GetSystemMetrics(SM_CYHSCROLL);
  return height;
}

HBRUSH WorkspaceBrush() {
  static HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_APPWORKSPACE));
  return brush;
}

// Whole units for pixels, rounding up.
long UnitsFor(int pixels, int unit) {
  return (static_cast<long>(pixels) + unit - 1) / unit;
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TEScrollWindow, TWindow)
  EV_WM_SIZE,
  EV_MESSAGE(WM_PARENTNOTIFY, EvParentNotify),
  EV_WM_PAINT,
  EV_WM_ERASEBKGND,
END_RESPONSE_TABLE;
// clang-format on

TEScrollWindow::TEScrollWindow(TWindow* parent, TWindow* content_) : TWindow(parent), content(content_) {
  if (content != nullptr) {
    content->SetParent(this);
    content->SetFlag(wfAutoCreate);
  }
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL;
  Attr.ExStyle = WS_EX_CLIENTEDGE;
  Scroller = new TScroller(this, kUnit, kUnit, 0, 0);
}

const char* TEScrollWindow::GetClassName() {
  return "TEScrollWindow";
}

void TEScrollWindow::GetWindowClass(WNDCLASS& wc) {
  TWindow::GetWindowClass(wc);
  wc.style &= ~(CS_HREDRAW | CS_VREDRAW);
  wc.hIcon = nullptr;
  wc.hbrBackground = nullptr;
}

void TEScrollWindow::SetupWindow() {
  previousWidth = previousHeight = 1;
  busy = true;
  TWindow::SetupWindow();
  busy = false;
  // A content made before this window moves in now.
  if (content != nullptr && content->GetHandle() != nullptr && ::GetParent(*content) != HWindow)
    ::SetParent(*content, HWindow);
  if (content == nullptr && !Children().empty()) content = Children().front();
  if (content == nullptr) return;
  busy = true;
  FitContent();
  busy = false;
  UpdateScroller();
}

void TEScrollWindow::FitContent() {
  if (content->IsFlagSet(wfShrinkToClient)) return;
  const TSize full = GetFullClientSize();
  ResizeWindow(content, full.cx, full.cy);
}

TSize TEScrollWindow::GetFullClientSize() const {
  const TRect client = GetClientRect();
  int w = client.Width(), h = client.Height();
  if (Scroller->YRange != 0) w += VBarWidth();
  if (Scroller->XRange != 0) h += HBarHeight();
  return TSize(w, h);
}

void TEScrollWindow::UpdateScroller() {
  if (busy || previousWidth == 0 || previousHeight == 0 || content == nullptr ||
      content->GetHandle() == nullptr)
    return;
  busy = true;
  const TRect box = content->GetWindowRect();
  const int cw = box.Width(), ch = box.Height();
  TSize full = GetFullClientSize();
  // The same relative place in the new content size; 64-bit, since a tall
  // content times its position passes 2^31.
  const int64_t x = static_cast<int64_t>(Scroller->XPos) * kUnit * cw / previousWidth;
  const int64_t y = static_cast<int64_t>(Scroller->YPos) * kUnit * ch / previousHeight;
  long xRange = 0, yRange = 0;
  if (cw <= full.cx && ch <= full.cy) {
    // It fits: no bars.
  } else if (ch <= full.cy - HBarHeight()) {
    xRange = UnitsFor(cw - full.cx, kUnit);
  } else if (cw <= full.cx - VBarWidth()) {
    yRange = UnitsFor(ch - full.cy, kUnit);
  } else {
    full.cx -= VBarWidth();
    full.cy -= HBarHeight();
    xRange = UnitsFor(cw - full.cx, kUnit);
    yRange = UnitsFor(ch - full.cy, kUnit);
  }
  Scroller->SetRange(xRange, yRange);
  Scroller->SetPageSize();
  Scroller->SetSBarRange();
  Scroller->ScrollTo(static_cast<long>(x / kUnit), static_cast<long>(y / kUnit));
  previousWidth = std::max(cw, 1);
  previousHeight = std::max(ch, 1);
  busy = false;
}

void TEScrollWindow::ScrollIntoView(int left, int top, int right, int bottom) {
  const TRect client = GetClientRect();
  // The far edges round up to whole units, so that the margin is never less.
  long x = Scroller->XPos;
  if (static_cast<int64_t>(x) * kUnit > left)
    x = left / kUnit;
  else if (client.Width() + static_cast<int64_t>(x) * kUnit < static_cast<int64_t>(right) + kUnit)
    x = UnitsFor(right + kUnit - client.Width(), kUnit);
  long y = Scroller->YPos;
  if (static_cast<int64_t>(y) * kUnit > top)
    y = top / kUnit;
  else if (client.Height() + static_cast<int64_t>(y) * kUnit < static_cast<int64_t>(bottom) + kUnit)
    y = UnitsFor(bottom + kUnit - client.Height(), kUnit);
  Scroller->ScrollTo(x, y);
}

void TEScrollWindow::EvSize(UINT sizeType, const TSize& size) {
  TWindow::EvSize(sizeType, size);
  if (sizeType == SIZE_MINIMIZED || busy || content == nullptr) return;
  busy = true;
  FitContent();
  busy = false;
  UpdateScroller();
}

LRESULT TEScrollWindow::EvParentNotify(WPARAM wParam, LPARAM) {
  // The content changed its own size.
  if (LOWORD(wParam) == WM_SIZE) {
    UpdateScroller();
    return 0;
  }
  return DefaultProcessing();
}

void TEScrollWindow::EvPaint() {
  if (IsIconic(HWindow) && content != nullptr) {
    TPaintDC dc(HWindow);
    TRect rect(dc.Ps.rcPaint);
    content->Paint(dc, dc.Ps.fErase != 0, rect);
    return;
  }
  TWindow::EvPaint();
}

bool TEScrollWindow::EvEraseBkgnd(HDC dc) {
  RECT client = GetClientRect();
  ::FillRect(dc, &client, WorkspaceBrush());
  return true;
}
