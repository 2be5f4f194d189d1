#include "timeline/window/child_window.h"

#include "timeline/window/main_timeline_window.h"

TimeLineChild::TimeLineChild(MainTimeLineWindow* timeline, const char* title, int x, int y, int w, int h)
    : TEWindow(timeline, title), timeline_(*timeline) {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_BORDER;
  Attr.X = x;
  Attr.Y = y;
  Attr.W = w;
  Attr.H = h;
}
