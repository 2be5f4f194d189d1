// The indicator beside the range bar: lit while a range exists.
#pragma once

#include <cstdint>

#include "timeline/window/child_window.h"

class TSelectionText : public TimeLineChild {
 public:
  TSelectionText(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
};
