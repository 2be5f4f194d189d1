#include "timeline/header/time_text.h"

#include <cstring>

#include "model/time_code.h"
#include "timeline/window/main_timeline_window.h"

// clang-format off
DEFINE_RESPONSE_TABLE1(TTimeText, TimeLineChild)
  EV_WM_LBUTTONDBLCLK,
  EV_WM_MOUSEMOVE,
END_RESPONSE_TABLE;
// clang-format on

TTimeText::TTimeText(MainTimeLineWindow* timeline, const char* title, int x, int y, int w, int h)
    : TimeLineChild(timeline, title, x, y, w, h) {}

void TTimeText::Paint(TDC& dc, bool, TRect&) {
  strip::PaintTimeText(dc, GetClientRect(), timeline_.TimeFont(), text_, highlight_);
}

void TTimeText::ShowTime(int32_t ms) {
  SetText(MsToShortTimeCode(ms, TRUE));
}

void TTimeText::SetText(const char* text) {
  std::strncpy(text_, text != nullptr ? text : "", sizeof text_ - 1);
  text_[sizeof text_ - 1] = '\0';
  if (IsWindow()) Invalidate(false);
}

void TTimeText::SetHighlight(bool on) {
  if (on == highlight_) return;
  highlight_ = on;
  if (IsWindow()) Invalidate(false);
}

void TTimeText::EvLButtonDblClk(UINT, const TPoint&) {
  timeline_.CmSelectionTime();
}

void TTimeText::EvMouseMove(UINT, const TPoint&) {
  timeline_.ShowStatusText("");
}
