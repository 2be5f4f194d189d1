#include "timeline/header/time_code.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TTimeCode::TTimeCode(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "TimeCodeLine", x, y, w, h) {}

const char* TTimeCode::GetClassName() {
  return "TimeCodeLine";
}

void TTimeCode::Paint(TDC& dc, bool, TRect&) {
  dc.FillRect(GetClientRect(), timeline_.Brush(kColorBackground));
}
