// The indicator beside the range bar: lit while a range exists; a double
// click asks for the range typed.
#pragma once

#include "platform/classlib/event.h"
#include "timeline/window/child_window.h"

class TSelectionText : public TimeLineChild {
 public:
  TSelectionText(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  void SetHighlight(bool on);
  bool Highlight() const { return highlight_; }

  void EvLButtonDblClk(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);

 private:
  bool highlight_ = false;

  DECLARE_RESPONSE_TABLE(TSelectionText);
};
