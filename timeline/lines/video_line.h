// The two video rows: each clip with its pictures, name and marks, moved,
// trimmed and dropped here.
#pragma once

#include <cstdint>

#include "timeline/lines/hit_zone.h"
#include "timeline/window/child_window.h"

class TVideoLine : public TimeLineChild {
 public:
  TVideoLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  // The zone under the pointer.
  int32_t hitZone = kNoHitZone;
  // The first and last frames of clips are shown.
  bool showEdges = true;
};
