// The two range texts above the ruler: the start and the size of the
// range, or, without one, of the view. A double click asks for them typed.
#pragma once

#include <cstdint>

#include "platform/classlib/event.h"
#include "timeline/header/strip_support.h"
#include "timeline/window/child_window.h"

class TTimeText : public TimeLineChild {
 public:
  TTimeText(MainTimeLineWindow* timeline, const char* title, int x, int y, int w, int h);

  void Paint(TDC& dc, bool erase, TRect& rect) override;

  // Shows ms in the time format, with its unit.
  void ShowTime(int32_t ms);
  // The text as shown, cut to what the control keeps.
  void SetText(const char* text);
  const char* Text() const { return text_; }
  // Blue while the texts show a range.
  void SetHighlight(bool on);
  bool Highlight() const { return highlight_; }

  void EvLButtonDblClk(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);

 private:
  bool highlight_ = false;
  char text_[strip::kTimeTextSize] = {};

  DECLARE_RESPONSE_TABLE(TTimeText);
};
