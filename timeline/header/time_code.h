// The ruler above the lines: the time at each division of the zoom with
// ticks between, the project's marks, the project's end and the play cursor.
// Dragging in it moves the play cursor (previewing the picture and scrubbing
// the sound when asked) or drags a mark; its menu plays, stops, sets the
// cursor time, switches the time-line's drag options and edits the marks.
#pragma once

#include <cstdint>

#include "platform/classlib/event.h"
#include "timeline/header/strip_support.h"
#include "timeline/window/child_window.h"

// The audio engine's report of where a scrub sounds: wParam the time, lParam
// the value of the flag the ruler handed it.
constexpr UINT kScrubReportMessage = WM_USER + 84;

class TTimeCode : public TimeLineChild {
 public:
  // Cursor kinds.
  static constexpr int kArrow = 0;
  static constexpr int kOverMark = 7;
  static constexpr int kPlaying = 8;
  static constexpr int kDraggingTime = 13;

  TTimeCode(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  // A click in a line that the time-line hands to the ruler: a cursor drag
  // from x (time-area pixels), as if the ruler itself had been pressed there.
  void BeginCursorDrag(int x);

  bool IsDragging() const { return dragging_; }
  bool IsScrubbing() const { return scrubbing_; }
  int CursorKind() const { return cursorKind_; }
  // The project mark the pointer is over (or that is dragged); negative: none.
  int32_t MarkUnderPointer() const { return mark_; }

  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvLButtonUp(UINT modKeys, const TPoint& point);
  void EvLButtonDblClk(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);
  void EvRButtonDown(UINT modKeys, const TPoint& point);
  void EvTimer(UINT id);
  LRESULT EvScrubReport(WPARAM time, LPARAM flag);

  void CmPlay();
  void CmStop();
  void CmSetCurrentTime();
  void CmTogglePreviewVideo();
  void CmTogglePreviewAudio();
  void CmToggleAutoScroll();
  void CmToggleAlignToFrame();
  void CmToggleAlignTime();
  void CmAddMark();
  void CmRemoveMark();
  void CmMarkName();
  void CmMarkPosition();

 private:
  // The time under x: on a frame when frames are aligned to.
  int32_t TimeAt(int x);
  // Finds the mark under point (only in the ruler's lower half) and shows
  // the matching cursor.
  void Hover(const TPoint& point);
  void SetCursorKind(int kind);
  // Where a drag step at x lands: the dragged mark goes there, or the time
  // is snapped to the nearest mark when marks attract.
  int32_t DragTarget(int x);
  void MoveDraggedMark(int32_t t);
  // The cursor follows a drag step that does not scrub; a scrub is asked
  // to seek there instead.
  void FollowDrag(int32_t t);
  // Starts scrubbing at t when something there can be heard; otherwise the
  // drag stays a plain one.
  void StartScrub(int32_t t);
  void StopScrub();
  void ShowMarkStatus();
  void EndDrag(const TPoint& point);
  // The marks' menu commands change the marks as one undo step each.
  void MarkChanging();
  void MarksChanged();
  // The play range from x to the right edge, within the active clips.
  void PlayFrom(int x);

  bool dragging_ = false;
  bool scrubWanted_ = false;
  bool scrubbing_ = false;
  // Read by the audio engine while it scrubs: set while a report is handled.
  BYTE inScrubReport_ = 0;
  int cursorKind_ = kArrow;
  int32_t staleReports_ = 0;
  int32_t mark_ = -1;
  // The dragged mark has moved: its undo step is taken.
  bool markMoved_ = false;
  // Where the menu was opened, and the mark it was opened on.
  TPoint menuPoint_;
  int32_t menuMark_ = -1;
  strip::EdgeScroll edgeScroll_;

  DECLARE_RESPONSE_TABLE(TTimeCode);
};
