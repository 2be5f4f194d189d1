#include "timeline/lines/video_line.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TVideoLine::TVideoLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "VideoLine", x, y, w, h) {}

const char* TVideoLine::GetClassName() {
  return "VideoLine";
}

void TVideoLine::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  timeline_.FillRows(dc, client, timeline_.Engine().videoPanel, 2, timeline_.Brush(kColorFirstVideoTrack),
                     timeline_.Brush(kColorOtherVideoTrack));
  timeline_.DrawCursorLine(dc, client);
}
