// The range bar above the lines: it shows the time-line's range [start, end)
// (the span the Range commands, range playback and exports work on) and the
// user drags a new one on it, extends the nearer edge with Shift and opens
// the Range menu there.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/classlib/event.h"
#include "timeline/header/strip_support.h"
#include "timeline/window/child_window.h"

class TSelectionLine : public TimeLineChild {
 public:
  static constexpr int kArrow = 0;
  static constexpr int kDragging = 13;

  TSelectionLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  // A click in a line that the time-line hands to the range: a new range
  // dragged from x (time-area pixels).
  void BeginRangeDrag(int x);
  // The range changed from outside: any drag state and level overview go.
  void RangeChanged();

  // 0 idle, 1 dragging the end, -1 dragging the start.
  int32_t DragState() const { return dragState_; }
  int CursorKind() const { return cursorKind_; }

  // Peak levels over the range, shown in the level meter's colours instead
  // of the range's colour. Cleared whenever the range changes.
  void AttachLevels(std::vector<int16_t> levels) { levels_ = std::move(levels); }
  int32_t LevelCount() const { return static_cast<int32_t>(levels_.size()); }

  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvLButtonUp(UINT modKeys, const TPoint& point);
  void EvLButtonDblClk(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);
  void EvRButtonDown(UINT modKeys, const TPoint& point);
  void EvTimer(UINT id);

 private:
  int32_t TimeAt(int x);
  void SetCursorKind(int kind);
  // Repaints at once and shows the range in the texts and the overview.
  void ShowRange();
  void PaintLevels(TDC& dc, int x1, int x2, const TRect& rows);

  int cursorKind_ = kArrow;
  int32_t dragState_ = 0;
  // This drag also moves the play cursor.
  bool moveCursor_ = false;
  std::vector<int16_t> levels_;
  strip::EdgeScroll edgeScroll_;

  DECLARE_RESPONSE_TABLE(TSelectionLine);
};
