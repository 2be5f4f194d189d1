#include "timeline/header/selection_text.h"

#include "timeline/window/main_timeline_window.h"
#include "timeline/window/timeline_colors.h"

// clang-format off
DEFINE_RESPONSE_TABLE1(TSelectionText, TimeLineChild)
  EV_WM_LBUTTONDBLCLK,
  EV_WM_MOUSEMOVE,
END_RESPONSE_TABLE;
// clang-format on

TSelectionText::TSelectionText(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "SelectionText", x, y, w, h) {}

const char* TSelectionText::GetClassName() {
  return "SelectionText";
}

void TSelectionText::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  ::ExtTextOut(dc, client.left, client.top, ETO_OPAQUE, &client, "", 0, nullptr);
  if (!highlight_) return;
  const int w = client.Width();
  dc.FillRect(TRect(w / 6, client.top + 1, w - w / 6, client.bottom - 1), timeline_.Brush(kColorSelection));
}

void TSelectionText::SetHighlight(bool on) {
  if (on == highlight_) return;
  highlight_ = on;
  if (IsWindow()) Invalidate(false);
}

void TSelectionText::EvLButtonDblClk(UINT, const TPoint&) {
  timeline_.Engine().EditMarkRange();
}

void TSelectionText::EvMouseMove(UINT, const TPoint&) {
  timeline_.ShowStatusText("");
}
