// The cursor's time beside the ruler, with the corner of the master
// effects.
#pragma once

#include <cstdint>

#include "timeline/window/child_window.h"

class TCurTimeText : public TimeLineChild {
 public:
  TCurTimeText(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
};
