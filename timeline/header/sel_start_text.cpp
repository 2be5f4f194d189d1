#include "timeline/header/sel_start_text.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TSelStartText::TSelStartText(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "SelStartText", x, y, w, h) {}

const char* TSelStartText::GetClassName() {
  return "SelStartText";
}

void TSelStartText::Paint(TDC& dc, bool, TRect&) {
  dc.FillRect(GetClientRect(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}
