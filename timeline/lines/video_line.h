// The two video rows: each clip with its first and last pictures, its name
// and its marks; selected, moved in time and between the rows, trimmed
// (the start onto key frames), its marks moved; the place shown where a
// clip dragged from the collection would land; and the clip's popup menu.
//
// The class is split by concern:
//   lines/video_line.cpp           the window, painting
//   lines/video_line_mouse.cpp     hit test, presses, drags, keys, drop feedback
//   lines/video_line_commands.cpp  the popup menu and its commands
// What the audio and MIDI lines share with it is in line_mechanics.h.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "timeline/lines/drop_target.h"
#include "timeline/lines/hit_zone.h"
#include "timeline/lines/line_mechanics.h"
#include "timeline/window/child_window.h"

class ClipItem;
class Film;
struct TrackRecord;

class TVideoLine : public TimeLineChild, public LineDropTarget {
 public:
  TVideoLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  // The shared thumbnail palette is realised in the window while it exists.
  void SetupWindow() override;
  void Destroy(int retVal = 0) override;
  bool Find(TEventInfo& info) override;

  // ---- Painting (video_line.cpp).
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  void PaintRow(TDC& dc, const TRect& row, int32_t rowIndex, const TRect& paint);
  void DrawClip(TDC& dc, const TRect& clip, Film& film, const TRect& paint);
  // The idle redraw of a clip: video clips are always drawn whole, so
  // there is nothing left to draw.
  bool DrawPendingClip(Film* film);

  // ---- The mouse and the keys (video_line_mouse.cpp).
  // Finds the row, clip, mark and zone under p (client) and shows its cursor.
  void HitTest(UINT keys, const TPoint& p, bool ignoreKeys);
  void SetHitCursor(int32_t zone);
  // Ends a drag in progress: what the drag changed is finished off.
  void EndDrag(const TPoint& p);
  void DragTo(int x, int y);
  // One drag step by frames with the pointer at client y.
  void DragBy(int32_t frames, int y);
  // A key pressed while this window drags (the time-line passes them on).
  void OnDragKey(int vk);
  bool IsDragging() const { return dragging_; }
  // Where a clip dragged from the collection would land: time (in: the
  // time asked for) and screen (in: the pointer) become the start and its
  // place; cursorId the cursor to show when adjust is on. A call without a
  // clip only takes the bar away. False when it does not fit.
  bool ShowDropFeedback(const ClipItem* clip, POINT& screen, int32_t& time, bool adjust,
                        int& cursorId) override;
  void DrawDropFeedback(int32_t start, int32_t end, int32_t row);
  // The row the bar shows, for the drop.
  bool HasDropTarget() const override { return drop_.shown; }
  int32_t DropTargetLine() const override { return drop_.row; }

  // ---- The popup menu's commands (video_line_commands.cpp).
  // Whether the frame shown at film's in point is a key frame.
  bool InIsKeyFrame(Film* film);
  // Frames from the in point to the next key frame inside the clip, and
  // back to the key frame before it within reach; 0 when none.
  int32_t NextKeyFrameOffset(Film* film);
  int32_t PrevKeyFrameOffset(Film* film);

  Film* PointerFilm() const { return pointerFilm_; }
  int32_t PointerRow() const { return pointerRow_; }
  int32_t MarkIndex() const { return markIndex_; }
  int32_t AnchorFrame() const { return anchorFrame_; }
  const DropMark& Drop() const { return drop_; }
  bool ScrollTimerRunning() const { return scroll_.Running(); }

  // The zone under the pointer.
  int32_t hitZone = kNoHitZone;
  // The first and last frames of clips are shown.
  bool showEdges = true;

 private:
  static const std::vector<TResponseTableEntry>& MouseEntries();
  static const std::vector<TResponseTableEntry>& CommandEntries();

  // video_line.cpp
  // The thumbnails of the film at zoom step, made when missing or stale.
  void RefreshPictures(TDC& dc, Film& film, int32_t zoom);
  // The row of client y: 0 down to row 0's bottom, else 1.
  int32_t RowAt(int y) const;
  const TrackRecord& Row(int32_t row) const;

  // video_line_mouse.cpp
  void EvMouseMove(UINT keys, const TPoint& p);
  void EvLButtonDown(UINT keys, const TPoint& p);
  void EvLButtonUp(UINT keys, const TPoint& p);
  void EvLButtonDblClk(UINT keys, const TPoint& p);
  void EvTimer(UINT id);
  void TrimStart(int32_t d);
  void TrimEnd(int32_t d);
  void MoveMark(int32_t d);
  void MoveClips(int32_t d, int y);
  // The still of the film's frame at a source time: owner shows a codec's
  // complaint, none stays quiet during drags.
  void ShowStill(Film* film, int32_t sourceTime, bool owner);

  // video_line_commands.cpp
  void EvRButtonDown(UINT keys, const TPoint& p);
  void EvInitMenuPopup(HMENU popup, UINT index, bool sysMenu);
  void ShowMenu(const TPoint& p);
  // The film of the last right click while it is still on the time-line.
  Film* MenuFilm();
  int32_t MenuTime();
  void CmAddSourceFile();
  void CmPlayClip();
  void CmStop();
  void CmClipProperties();
  void CmVideoEditor();
  void CmAddMark();
  void CmRemoveMark();
  void CmMarkName();
  void CmMarkPosition();
  void CmSplitClip();
  void CmRepeatClip();
  void CmDeleteSelected();
  void CmCutSelected();
  void CmCopySelected();
  void CmDeleteClip();
  void CmCutClip();
  void CmCopyClip();
  void CmPasteClips();
  void CmInsertClips();
  void CmInToNextKeyFrame();
  void CmInToPrevKeyFrame();
  // Moves film's in point (and start) by frames, one undo step.
  void ShiftIn(Film* film, int32_t frames);

  DropMark drop_;
  bool dragging_ = false;
  DragScroll scroll_;
  int32_t pointerRow_ = 0;
  int32_t markIndex_ = -1;
  Film* pointerFilm_ = nullptr;
  int32_t anchorFrame_ = 0;
  TPoint menuPoint_{0, 0};
  Film* menuFilm_ = nullptr;
  int32_t menuMark_ = -1;
};
