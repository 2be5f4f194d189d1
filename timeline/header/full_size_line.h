// The overview strip: the whole project at once, its range, every clip of
// every line in miniature, the part the lines show (a black frame) and the
// play cursor. Dragging the frame's edges zooms, dragging the frame scrolls,
// the right button or Ctrl draws a new frame, a click centres the view and a
// double click plays.
#pragma once

#include <cstdint>

#include "platform/classlib/event.h"
#include "timeline/window/child_window.h"

class TFullSizeLine : public TimeLineChild {
 public:
  // Zones of the pointer, each with its cursor.
  static constexpr int32_t kNoZone = 0;
  static constexpr int32_t kLeftEdge = 1;
  static constexpr int32_t kRightEdge = 2;
  static constexpr int32_t kInside = 3;
  static constexpr int32_t kMoving = 4;
  static constexpr int32_t kNewFrame = 6;
  static constexpr int32_t kPlaying = 8;

  TFullSizeLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  // Strip x and project time, over the strip's width and the project's length.
  int32_t TimeOfX(int x);
  int XOfTime(int32_t t);

  // Redraws the 3-pixel column around the time's x.
  void InvalidateAt(int32_t t);
  // Stores the zone and shows its cursor.
  void SetZone(int32_t zone);
  int32_t Zone() const { return zone_; }
  // Scrolls the lines so that the time under x is in the middle of the view.
  void CentreAt(int x);
  // The zone of point with the keys held (MK_...), made current.
  int32_t HitTest(UINT modKeys, const TPoint& point);

  bool IsDragging() const { return dragging_; }
  // The frame being dragged.
  int32_t FrameStart() const { return start_; }
  int32_t FrameEnd() const { return end_; }

  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvLButtonUp(UINT modKeys, const TPoint& point);
  void EvLButtonDblClk(UINT modKeys, const TPoint& point);
  void EvRButtonDown(UINT modKeys, const TPoint& point);
  void EvRButtonUp(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);

 private:
  int32_t Length() const;
  int32_t SnappedTimeOf(int x);
  // The narrowest frame a drag may leave: the view at the closest zoom.
  int32_t MinimumSpan() const;
  void ShowFrameStatus(int32_t start, int32_t end);
  void BeginDrag();
  // The lines take the dragged frame; a frame without width centres instead.
  void EndDrag(int x);
  void PaintRows(TDC& dc, const TRect& client, int top, int rowHeight);

  bool dragging_ = false;
  int32_t zone_ = kNoZone;
  int32_t minimumSpan_ = 0;
  // For a new frame: 1 its end is dragged, -1 its start; 0 for the others.
  int32_t direction_ = 0;
  int32_t start_ = 0;
  int32_t end_ = 0;
  // For a move: the pointer's time less the frame's start at the grab.
  int32_t grab_ = 0;

  DECLARE_RESPONSE_TABLE(TFullSizeLine);
};
