#include "timeline/header/cur_time_text.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TCurTimeText::TCurTimeText(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "CurTimeText", x, y, w, h) {}

const char* TCurTimeText::GetClassName() {
  return "CurTimeText";
}

void TCurTimeText::Paint(TDC& dc, bool, TRect&) {
  dc.FillRect(GetClientRect(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}
