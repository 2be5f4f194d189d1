// BitmapControl (window class "TEBitmapControl"): a picture in a dialog that
// takes the size of its bitmap. Which point of its place in the template
// stays put is its anchor: 0 the centre, 1 top-left, 2 top-right,
// 3 bottom-right, 4 bottom-left, 5 top-centre, 6 bottom-centre,
// 7 left-centre, 8 right-centre.
#pragma once

#include "platform/classlib/controls.h"

class TEBitmap;

class BitmapControl : public TControl {
 public:
  // An item of the parent dialog's template; bitmap (not owned, may be
  // null for an empty frame) shows in a client area of width x height.
  BitmapControl(TWindow* parent, int resourceId, TEBitmap* bitmap, int anchor, int width, int height);

  // Another picture (or none) from now on; the caller repaints.
  void SetBitmap(TEBitmap* picture) { bitmap = picture; }

  const char* GetClassName() override;
  void SetupWindow() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

 private:
  TEBitmap* bitmap;
  int anchor;
  int width;
  int height;
};
