// The range's start, or the time at the left edge of the view.
#pragma once

#include <cstdint>

#include "timeline/window/child_window.h"

class TSelStartText : public TimeLineChild {
 public:
  TSelStartText(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
};
