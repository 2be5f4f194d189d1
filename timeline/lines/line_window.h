// The base of the time-line's line windows. TLineWindow is what all four
// lines (video, audio, VFX, MIDI) share: the zone under the pointer with its
// cursor, and the play cursor drawn over them. TClipLine adds what the three
// lines of clips (video, audio, MIDI) share on top of line_mechanics.h: the
// pointer's clip and mark, the drag's state and its end, the popup menu's
// point and clip, the command answers that only pass a clip on to the
// time-line, and the messages every one of them answers alike. Each line
// keeps in its own files what is particular to it.
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

class TLineWindow : public TimeLineChild {
 public:
  TLineWindow(MainTimeLineWindow* timeline, const char* title, int x, int y, int w, int h);

  // Makes zone the one under the pointer and shows its cursor.
  void SetHitCursor(int32_t zone);

  // The zone under the pointer.
  int32_t hitZone = kNoHitZone;

 protected:
  // The current-time line over client, unless playback hides it.
  void DrawPlayCursor(TDC& dc, const TRect& client);
  // The cursor of zone unless it is the one shown already.
  void ShowZone(int32_t zone);
};

// What tells the clip lines apart where they otherwise answer alike.
struct ClipLineKind {
  int32_t kind = 0;       // the clips' kind (kKindVideo ...)
  int editorCommand = 0;  // opens the clip in its external editor
  int editorText = 0;     // that command's menu item
  bool frames = false;    // dropped clips go on whole frames
};

class TClipLine : public TLineWindow, public LineDropTarget {
 public:
  TClipLine(MainTimeLineWindow* timeline, const char* title, int x, int y, int w, int h,
            const ClipLineKind& kind);

  void Destroy(int retVal = 0) override;
  bool Find(TEventInfo& info) override;

  // Finds the clip, mark and zone under p (client) and shows its cursor.
  virtual void HitTest(UINT keys, const TPoint& p, bool ignoreKeys) = 0;
  // Ends a drag in progress: what the drag changed is finished off.
  void EndDrag(const TPoint& p);
  // The drag step to client (x, y).
  virtual void DragTo(int x, int y) = 0;
  // One drag step by change (the line's unit) with the pointer at client y.
  void DragBy(int32_t change, int y);
  bool IsDragging() const { return dragging_; }

  // Where a clip dragged from the collection would land: time (in: the
  // time asked for) and screen (in: the pointer) become the start and its
  // place; cursorId the cursor to show when adjust is on. A call without a
  // clip only takes the bar away. False when it does not fit.
  bool ShowDropFeedback(const ClipItem* clip, POINT& screen, int32_t& time, bool adjust,
                        int32_t& cursorId) override;
  // The bar from start to end on row or line `line`.
  virtual void DrawDropFeedback(int32_t start, int32_t end, int32_t line) = 0;
  bool HasDropTarget() const override { return drop_.shown; }

  Film* PointerFilm() const { return pointerFilm_; }
  int32_t MarkIndex() const { return markIndex_; }
  const DropMark& Drop() const { return drop_; }
  bool ScrollTimerRunning() const { return scroll_.Running(); }

 protected:
  // The zones before the clip's own parts on row line (row: its record) at
  // p; pointerFilm_ and markIndex_ become the clip under p and its mark
  // near the time there. -1 when the clip's parts decide.
  int32_t LeadingClipZone(UINT keys, const TPoint& p, bool ignoreKeys, int32_t line, const TrackRecord& row);
  // The pointer film's mark when p is on the row's marks, else its edges
  // or body.
  int32_t MarkOrEdgeZone(const TPoint& p, const TrackRecord& row);
  // After a move step: the cursor says whether the clips, held at the
  // anchor's time, would go to the clip collection.
  void ShowMoveTarget(int32_t anchorTime, int y);
  // A trim step of the pointer film by d ms (0: none) once the line has
  // bounded it: the start with the in point, or the end with the out
  // point; anchorTime follows.
  void MoveStartMs(int32_t d, int32_t& anchorTime);
  void MoveEndMs(int32_t d, int32_t& anchorTime);
  // A mark drag step of change ms, for the lines that put marks anywhere in
  // the clip: never onto another mark; anchorTime follows the mark.
  void MoveMarkMs(int32_t change, int32_t& anchorTime);

  // The drop's parts that differ by line: whether the clip's media can go
  // on it, the time it is put at, the row or line under client y, and the
  // first free one for a pointer outside the rows (false: none).
  virtual bool TakesDrop(const ClipItem& clip) = 0;
  virtual int32_t DropTime(int32_t time, bool adjust);
  virtual int32_t DropLineAt(int y) = 0;
  virtual bool FreeDropLine(const DropPlace& place, int32_t& line) = 0;

  // The steps of a drag, by zone.
  virtual void TrimStart(int32_t change) = 0;
  virtual void TrimEnd(int32_t change) = 0;
  virtual void MoveMark(int32_t change) = 0;
  virtual void MoveClips(int32_t change, int y) = 0;
  // The end of a trim of film (null: gone) and of a move (tookBack: the
  // move was taken back for a drop on the collection).
  virtual void FinishTrim(Film* film, bool startEdge);
  virtual void FinishMove(bool tookBack) {}
  // Timer 1's scroll step; at: the pointer in client coordinates.
  virtual void ScrollTick(TPoint& at);
  // A double-click that the zone under the pointer answers itself.
  virtual bool DoubleClickZone() { return false; }

  // The popup menu: the clip's items after the ones every clip has.
  virtual void AppendClipItems(HMENU menu, Film& film) = 0;
  // The external editor's program.
  virtual const char* EditorPath() = 0;
  // The film of the last right click while it is still on the time-line.
  Film* MenuFilm();
  // The time of the popup point, on a frame when frames align.
  virtual int32_t MenuTime();
  // Where pasted clips go: the video row and the audio line (-1: the
  // selection's own).
  virtual void PasteTarget(int32_t& videoRow, int32_t& audioLine);
  virtual void ShowMenu(const TPoint& p);

  void EvLButtonUp(UINT keys, const TPoint& p);
  void EvLButtonDblClk(UINT keys, const TPoint& p);
  void EvTimer(UINT id);
  void EvRButtonDown(UINT keys, const TPoint& p);
  void EvInitMenuPopup(HMENU popup, UINT index, bool sysMenu);

  void CmAddSourceFile();
  void CmPlayClip();
  void CmStop();
  void CmClipProperties();
  void CmEditor();
  void CmSplitClip();
  void CmRepeatClip();
  void CmRemoveMark();
  void CmMarkName();
  void CmMarkPosition();
  void CmDeleteSelected();
  void CmCutSelected();
  void CmCopySelected();
  void CmDeleteClip();
  void CmCutClip();
  void CmCopyClip();
  void CmPasteClips();
  void CmInsertClips();

  const ClipLineKind kind_;
  DropMark drop_;
  bool dragging_ = false;
  DragScroll scroll_;
  // The row or line under the pointer (the MIDI line has only 0).
  int32_t pointerLine_ = 0;
  int32_t markIndex_ = -1;
  Film* pointerFilm_ = nullptr;
  TPoint menuPoint_{0, 0};
  Film* menuFilm_ = nullptr;
  int32_t menuMark_ = -1;

 private:
  static const std::vector<TResponseTableEntry>& Entries();
};
