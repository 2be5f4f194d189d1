#include "timeline/lines/vfx_line.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TVFXLine::TVFXLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "VFXLine", x, y, w, h) {}

const char* TVFXLine::GetClassName() {
  return "VFXLine";
}

void TVFXLine::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  dc.FillRect(client, timeline_.Brush(kColorVideoFXTrack));
  timeline_.DrawCursorLine(dc, client);
}
