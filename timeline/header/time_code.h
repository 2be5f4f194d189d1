// The ruler above the lines: times, marks, the project's end and the play
// cursor; dragging in it moves the cursor or a mark.
#pragma once

#include <cstdint>

#include "timeline/window/child_window.h"

class TTimeCode : public TimeLineChild {
 public:
  TTimeCode(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
};
