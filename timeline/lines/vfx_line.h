// The line of transitions between overlapping video clips.
#pragma once

#include <cstdint>

#include "timeline/lines/hit_zone.h"
#include "timeline/window/child_window.h"

class TVFXLine : public TimeLineChild {
 public:
  TVFXLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  int32_t hitZone = kNoHitZone;
};
