// What the header strip's controls share: the cursor each keeps in its window
// class, and the scrolling of a drag that leaves the control sideways.
#pragma once

#include "platform/classlib/window.h"

class MainTimeLineWindow;

namespace strip {

// The auto-scroll timer of the ruler and the selection line.
constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollTimerPeriod = 150;  // ms

// Bytes a time text keeps, with its terminator.
constexpr int kTimeTextSize = 20;

// Makes cursor the class cursor of window's class and shows it at once.
void SetClassCursor(TWindow& window, HCURSOR cursor);

// A time text as the range texts show it: right-aligned in the time font
// within the margins, black, or blue while it shows the range.
void PaintTimeText(TDC& dc, const TRect& client, HFONT font, const char* text, bool highlight);

// A drag past a control's left or right edge scrolls the lines. With the
// time-line's auto-scroll on, a timer steps them while the pointer stays
// out; without it, each move out steps once and puts the pointer back on
// the play cursor, so that the next move out steps again.
class EdgeScroll {
 public:
  EdgeScroll(TWindow& control, MainTimeLineWindow& timeline) : control_(control), timeline_(timeline) {}

  bool TimerOn() const { return timerOn_; }
  // A drag's move to point (client coordinates of the control).
  void Moved(const TPoint& point);
  // The timer's tick: one step towards the side the pointer is on; back
  // inside, the timer stops.
  void Tick();
  void Stop();

 private:
  TWindow& control_;
  MainTimeLineWindow& timeline_;
  bool timerOn_ = false;
};

}  // namespace strip
