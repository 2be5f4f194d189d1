#include "timeline/header/strip_support.h"

#include "timeline/window/main_timeline_window.h"

namespace strip {

void SetClassCursor(TWindow& window, HCURSOR cursor) {
  if (!window.IsWindow()) return;
  SetClassLongPtr(window.GetHandle(), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  SetCursor(cursor);
}

void PaintTimeText(TDC& dc, const TRect& client, HFONT font, const char* text, bool highlight) {
  if (font != nullptr) dc.SelectObject(font);
  ::ExtTextOut(dc, client.left, client.top, ETO_OPAQUE, &client, "", 0, nullptr);
  TRect inside = client;
  inside.left += kTimeLineMargin;
  inside.right -= kTimeLineMargin;
  dc.SetTextColor(highlight ? RGB(0, 0, 255) : RGB(0, 0, 0));
  dc.DrawText(text, -1, inside, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
  dc.RestoreObjects();
}

void EdgeScroll::Moved(const TPoint& point) {
  const int width = control_.GetClientRect().Width();
  const bool left = point.x < 0;
  const bool right = point.x > width;
  if (!left && !right) return;
  if (timeline_.Settings().autoScroll) {
    if (!timerOn_ && control_.SetTimer(kScrollTimer, kScrollTimerPeriod) != 0) timerOn_ = true;
    return;
  }
  TScrollBar* bar = timeline_.HorzScrollBar();
  int lo = 0, hi = 0;
  bar->GetRange(lo, hi);
  const int position = bar->GetPosition();
  if (left && position > lo) {
    timeline_.EvHScroll(SB_LINELEFT, 0, nullptr);
  } else if (right && position < hi) {
    timeline_.EvHScroll(SB_LINERIGHT, 0, nullptr);
  } else {
    return;
  }
  TimeLineEngine& engine = timeline_.Engine();
  TPoint at(engine.PosToPixel(engine.cursor), point.y);
  control_.ClientToScreen(at);
  SetCursorPos(at.x, at.y);
}

void EdgeScroll::Tick() {
  if (!timerOn_) return;
  TPoint point;
  GetCursorPos(&point);
  control_.ScreenToClient(point);
  if (point.x > control_.GetClientRect().Width()) {
    timeline_.SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
  } else if (point.x < 0) {
    timeline_.SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
  } else {
    Stop();
  }
}

void EdgeScroll::Stop() {
  if (!timerOn_) return;
  control_.KillTimer(kScrollTimer);
  timerOn_ = false;
}

}  // namespace strip
