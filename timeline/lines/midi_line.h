// The MIDI line: MIDI clips over the bars and beats of their tempo.
#pragma once

#include <cstdint>

#include "timeline/lines/hit_zone.h"
#include "timeline/window/child_window.h"

class TMidiLine : public TimeLineChild {
 public:
  TMidiLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  int32_t hitZone = kNoHitZone;
};
