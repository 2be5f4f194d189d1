#include "timeline/header/full_size_line.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TFullSizeLine::TFullSizeLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "ScriptWindow", x, y, w, h) {
  Attr.Style = WS_CHILD | WS_VISIBLE;
}

const char* TFullSizeLine::GetClassName() {
  return "FullSizeLine";
}

void TFullSizeLine::Paint(TDC& dc, bool, TRect&) {
  dc.FillRect(GetClientRect(), timeline_.Brush(kColorBackground));
}
