// The audio lines: each clip with its waveform, name, profiles, marks and
// effect marker; the first line shown is the engine's audio panel's.
#pragma once

#include <cstdint>

#include "timeline/lines/hit_zone.h"
#include "timeline/window/child_window.h"

class TAudioLines : public TimeLineChild {
 public:
  TAudioLines(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  int32_t hitZone = kNoHitZone;
};
