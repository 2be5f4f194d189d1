// The range's start, or the time at the left edge of the view. Rewind goes
// to the time it shows.
#pragma once

#include <cstdint>

#include "timeline/header/time_text.h"

class TSelStartText : public TTimeText {
 public:
  TSelStartText(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;

  void SetValue(int32_t ms);
  int32_t Value() const { return value_; }

 private:
  int32_t value_ = 0;
};
