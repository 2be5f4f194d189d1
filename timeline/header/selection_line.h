// The range bar above the lines: it shows the engine's range and the user
// drags a new one on it.
#pragma once

#include <cstdint>

#include "timeline/window/child_window.h"

class TSelectionLine : public TimeLineChild {
 public:
  TSelectionLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
};
