#include "timeline/header/selection_text.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TSelectionText::TSelectionText(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "SelectionText", x, y, w, h) {}

const char* TSelectionText::GetClassName() {
  return "SelectionText";
}

void TSelectionText::Paint(TDC& dc, bool, TRect&) {
  dc.FillRect(GetClientRect(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}
