// The MIDI line: MIDI clips over the bars and beats of their file's tempo
// map, each entry of the map labelled with its meter and its tempo as
// written and at the clip's speed. Clips are selected, moved, trimmed and
// their marks moved as on the video rows, here in milliseconds; the clip's
// menu adds its speed ("Tempo...") and its volume. The layout keeps the
// line hidden; it works the same when shown.
//
// The class is split by concern:
//   lines/midi_line.cpp           the window, painting and the grid
//   lines/midi_line_mouse.cpp     hit test, presses, drags, keys, drop feedback
//   lines/midi_line_commands.cpp  the popup menu and its commands
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
class MidiData;
struct TrackRecord;

// Drawing modes of a MIDI clip: fast leaves the grid for the idle redraw.
constexpr int32_t kMidiDrawFast = 1;
constexpr int32_t kMidiDrawFull = 2;

class TMidiLine : public TimeLineChild, public LineDropTarget {
 public:
  TMidiLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Destroy(int retVal = 0) override;
  bool Find(TEventInfo& info) override;

  // ---- Painting (midi_line.cpp).
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  void DrawClip(TDC& dc, const TRect& clip, Film& film, const TRect& paint, int32_t mode);
  // The idle redraw of a clip drawn without its grid.
  bool DrawPendingClip(Film* film);

  // ---- The mouse and the keys (midi_line_mouse.cpp).
  // Finds the clip, mark and zone under p (client) and shows its cursor.
  void HitTest(UINT keys, const TPoint& p, bool ignoreKeys);
  void SetHitCursor(int32_t zone);
  // Ends a drag in progress: what the drag changed is finished off.
  void EndDrag(const TPoint& p);
  void DragTo(int x, int y);
  // One drag step by ms with the pointer at client y.
  void DragBy(int32_t ms, int y);
  // A key pressed while this window drags (the time-line passes them on).
  void OnDragKey(int vk);
  bool IsDragging() const { return dragging_; }
  // Where a clip dragged from the collection would land, as on the video
  // rows: time and screen become the start and its place, cursorId the
  // cursor to show when adjust is on. False when it does not fit.
  bool ShowDropFeedback(const ClipItem* clip, POINT& screen, int32_t& time, bool adjust,
                        int& cursorId) override;
  void DrawDropFeedback(int32_t start, int32_t end);
  bool HasDropTarget() const override { return drop_.shown; }
  int32_t DropTargetLine() const override { return 0; }

  // ---- The popup menu's commands (midi_line_commands.cpp).
  // The clip's speed, through the tempo dialog (clips of MIDI alone).
  void CmTempo();
  // The clip's volume, through the level popup; always one undo step.
  void CmClipVolume();

  Film* PointerFilm() const { return pointerFilm_; }
  int32_t MarkIndex() const { return markIndex_; }
  int32_t AnchorTime() const { return anchorTime_; }
  const DropMark& Drop() const { return drop_; }
  bool ScrollTimerRunning() const { return scroll_.Running(); }

  // The zone under the pointer.
  int32_t hitZone = kNoHitZone;

 private:
  static const std::vector<TResponseTableEntry>& MouseEntries();
  static const std::vector<TResponseTableEntry>& CommandEntries();

  // midi_line.cpp
  const TrackRecord& Row() const;
  // The bars, beats and entry labels of film's tempo map inside inner.
  void DrawGrid(TDC& dc, const TRect& clip, const TRect& inner, Film& film, MidiData& midi, int64_t originX,
                int32_t zoom);

  // midi_line_mouse.cpp
  void EvMouseMove(UINT keys, const TPoint& p);
  void EvLButtonDown(UINT keys, const TPoint& p);
  void EvLButtonUp(UINT keys, const TPoint& p);
  void EvLButtonDblClk(UINT keys, const TPoint& p);
  void EvTimer(UINT id);
  void TrimStart(int32_t d);
  void TrimEnd(int32_t d);
  void MoveMark(int32_t d);
  void MoveClips(int32_t d, int y);

  // midi_line_commands.cpp
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
  void CmMidiEditor();
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

  DropMark drop_;
  bool dragging_ = false;
  DragScroll scroll_;
  int32_t markIndex_ = -1;
  Film* pointerFilm_ = nullptr;
  int32_t anchorTime_ = 0;
  TPoint menuPoint_{0, 0};
  Film* menuFilm_ = nullptr;
  int32_t menuMark_ = -1;
};
