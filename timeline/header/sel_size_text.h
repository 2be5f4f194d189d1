// The range's length, or the time the view spans.
#pragma once

#include <cstdint>

#include "timeline/header/time_text.h"

class TSelSizeText : public TTimeText {
 public:
  TSelSizeText(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;

  void SetValue(int32_t ms) { ShowTime(ms); }
};
