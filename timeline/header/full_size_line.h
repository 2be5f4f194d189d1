// The overview strip: the whole project at once, with the part the lines
// show framed; dragging the frame scrolls and zooms the lines.
#pragma once

#include "timeline/window/child_window.h"

class TFullSizeLine : public TimeLineChild {
 public:
  TFullSizeLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
};
