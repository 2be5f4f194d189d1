#include "timeline/header/sel_size_text.h"

TSelSizeText::TSelSizeText(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TTimeText(timeline, "SelSizeText", x, y, w, h) {}

const char* TSelSizeText::GetClassName() {
  return "SelSizeText";
}
