#include "timeline/header/sel_size_text.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TSelSizeText::TSelSizeText(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "SelSizeText", x, y, w, h) {}

const char* TSelSizeText::GetClassName() {
  return "SelSizeText";
}

void TSelSizeText::Paint(TDC& dc, bool, TRect&) {
  dc.FillRect(GetClientRect(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}
