// TScroller: scrolls a window's contents with the window's own scroll bars,
// in units of a given number of pixels. The window owns its scroller; the
// window's scroll bars, its size changes and its set-up reach the scroller
// through TWindow. Scrolling moves what the window shows (its child windows
// among it) by whole units.
#pragma once

#include "platform/gui/user_types.h"

class TWindow;

class TScroller {
 public:
  TScroller(TWindow* window, int xUnit, int yUnit, long xRange, long yRange);
  virtual ~TScroller() = default;
  TScroller(const TScroller&) = delete;
  TScroller& operator=(const TScroller&) = delete;

  void SetUnits(int xUnit, int yUnit);
  // The positions run from 0 to the range (in units); 0 needs no bar.
  void SetRange(long xRange, long yRange);
  // A page is the client area's size in whole units (at least 1).
  void SetPageSize();
  // The window's scroll bars take the ranges and positions; a bar with
  // nothing to scroll is hidden.
  void SetSBarRange();
  // Moves to (x, y), kept within the ranges.
  virtual void ScrollTo(long x, long y);
  void ScrollBy(long dx, long dy) { ScrollTo(XPos + dx, YPos + dy); }
  // The window's own scroll bars told of a move.
  virtual void HScroll(UINT code, int thumbPos);
  virtual void VScroll(UINT code, int thumbPos);

  TWindow* Window;
  long XPos = 0, YPos = 0;
  long XRange, YRange;
  int XUnit, YUnit;
  long XLine = 1, YLine = 1;
  long XPage = 1, YPage = 1;

 private:
  long Step(UINT code, long thumbPos, long pos, long line, long page, long range) const;
};
