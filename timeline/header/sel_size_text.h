// The range's length, or the time the view spans.
#pragma once

#include <cstdint>

#include "timeline/window/child_window.h"

class TSelSizeText : public TimeLineChild {
 public:
  TSelSizeText(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
};
