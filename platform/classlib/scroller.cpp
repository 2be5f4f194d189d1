#include "platform/classlib/scroller.h"

#include <algorithm>

#include "platform/classlib/window.h"

TScroller::TScroller(TWindow* window, int xUnit, int yUnit, long xRange, long yRange)
    : Window(window),
      XRange(std::max(xRange, 0L)),
      YRange(std::max(yRange, 0L)),
      XUnit(std::max(xUnit, 1)),
      YUnit(std::max(yUnit, 1)) {}

void TScroller::SetUnits(int xUnit, int yUnit) {
  XUnit = std::max(xUnit, 1);
  YUnit = std::max(yUnit, 1);
  SetPageSize();
}

void TScroller::SetRange(long xRange, long yRange) {
  XRange = std::max(xRange, 0L);
  YRange = std::max(yRange, 0L);
}

void TScroller::SetPageSize() {
  if (Window == nullptr || Window->GetHandle() == nullptr) return;
  const TRect client = Window->GetClientRect();
  XPage = std::max(1L, static_cast<long>(client.Width() / XUnit));
  YPage = std::max(1L, static_cast<long>(client.Height() / YUnit));
}

void TScroller::SetSBarRange() {
  if (Window == nullptr || Window->GetHandle() == nullptr) return;
  HWND h = Window->GetHandle();
  // Scroll bar positions are ints; ranges beyond are held there.
  const int xr = static_cast<int>(std::min(XRange, 0x7FFFFFFFL));
  const int yr = static_cast<int>(std::min(YRange, 0x7FFFFFFFL));
  ::SetScrollRange(h, SB_HORZ, 0, xr, FALSE);
  ::SetScrollPos(h, SB_HORZ, static_cast<int>(std::min(XPos, static_cast<long>(xr))), TRUE);
  ::SetScrollRange(h, SB_VERT, 0, yr, FALSE);
  ::SetScrollPos(h, SB_VERT, static_cast<int>(std::min(YPos, static_cast<long>(yr))), TRUE);
}

void TScroller::ScrollTo(long x, long y) {
  x = std::clamp(x, 0L, XRange);
  y = std::clamp(y, 0L, YRange);
  const long dx = x - XPos, dy = y - YPos;
  if (dx == 0 && dy == 0) return;
  XPos = x;
  YPos = y;
  if (Window == nullptr || Window->GetHandle() == nullptr) return;
  HWND h = Window->GetHandle();
  ::ScrollWindow(h, static_cast<int>(-dx * XUnit), static_cast<int>(-dy * YUnit), nullptr, nullptr);
  if (dx != 0) ::SetScrollPos(h, SB_HORZ, static_cast<int>(XPos), TRUE);
  if (dy != 0) ::SetScrollPos(h, SB_VERT, static_cast<int>(YPos), TRUE);
}

long TScroller::Step(UINT code, long thumbPos, long pos, long line, long page, long range) const {
  switch (code) {
    case SB_LINEUP:
      return pos - line;
    case SB_LINEDOWN:
      return pos + line;
    case SB_PAGEUP:
      return pos - page;
    case SB_PAGEDOWN:
      return pos + page;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      return thumbPos;
    case SB_TOP:
      return 0;
    case SB_BOTTOM:
      return range;
  }
  return pos;
}

namespace {

// The thumb's place in full: the message carries only its low 16 bits.
// While the thumb is dragged the bar holds all of them, and the end of the
// drag repeats the place the drag reached.
long TrackPos(TWindow* window, int bar, UINT code, int thumbPos, long current) {
  if (code != SB_THUMBTRACK && code != SB_THUMBPOSITION) return thumbPos;
  auto same = [thumbPos](long v) { return (v & 0xFFFF) == (thumbPos & 0xFFFF); };
  SCROLLINFO info;
  info.fMask = SIF_TRACKPOS;
  if (window != nullptr && window->GetHandle() != nullptr &&
      ::GetScrollInfo(window->GetHandle(), bar, &info) && same(info.nTrackPos))
    return info.nTrackPos;
  return same(current) ? current : thumbPos;
}

}  // namespace

void TScroller::HScroll(UINT code, int thumbPos) {
  const long pos = TrackPos(Window, SB_HORZ, code, thumbPos, XPos);
  ScrollTo(Step(code, pos, XPos, XLine, XPage, XRange), YPos);
}

void TScroller::VScroll(UINT code, int thumbPos) {
  const long pos = TrackPos(Window, SB_VERT, code, thumbPos, YPos);
  ScrollTo(XPos, Step(code, pos, YPos, YLine, YPage, YRange));
}
