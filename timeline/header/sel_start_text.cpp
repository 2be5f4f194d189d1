#include "timeline/header/sel_start_text.h"

TSelStartText::TSelStartText(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TTimeText(timeline, "SelStartText", x, y, w, h) {}

const char* TSelStartText::GetClassName() {
  return "SelStartText";
}

void TSelStartText::SetValue(int32_t ms) {
  value_ = ms;
  ShowTime(ms);
}
