#include "timeline/header/selection_line.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TSelectionLine::TSelectionLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "SelectionLine", x, y, w, h) {}

const char* TSelectionLine::GetClassName() {
  return "SelectionLine";
}

void TSelectionLine::Paint(TDC& dc, bool, TRect&) {
  dc.FillRect(GetClientRect(), timeline_.Brush(kColorBackground));
}
