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
// What it shares with the video and audio lines is in line_window.h.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "timeline/lines/line_window.h"

class ClipItem;
class Film;
class MidiData;
struct TrackRecord;

// Drawing modes of a MIDI clip: fast leaves the grid for the idle redraw.
constexpr int32_t kMidiDrawFast = 1;
constexpr int32_t kMidiDrawFull = 2;

class TMidiLine : public TClipLine {
 public:
  TMidiLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  bool Find(TEventInfo& info) override;

  // ---- Painting (midi_line.cpp).
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  void DrawClip(TDC& dc, const TRect& clip, Film& film, const TRect& paint, int32_t mode);
  // The idle redraw of a clip drawn without its grid.
  bool DrawPendingClip(Film* film);

  // ---- The mouse and the keys (midi_line_mouse.cpp).
  // Finds the clip, mark and zone under p (client) and shows its cursor.
  void HitTest(UINT keys, const TPoint& p, bool ignoreKeys) override;
  // Drag steps go by ms.
  void DragTo(int x, int y) override;
  // A key pressed while this window drags (the time-line passes them on).
  void OnDragKey(int vk);
  // The line has one row: line is 0.
  void DrawDropFeedback(int32_t start, int32_t end, int32_t line) override;
  int32_t DropTargetLine() const override { return 0; }

  // ---- The popup menu's commands (midi_line_commands.cpp).
  // The clip's speed, through the tempo dialog (clips of MIDI alone).
  void CmTempo();
  // The clip's volume, through the level popup; always one undo step.
  void CmClipVolume();

  int32_t AnchorTime() const { return anchorTime_; }

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
  void TrimStart(int32_t d) override;
  void TrimEnd(int32_t d) override;
  void MoveMark(int32_t d) override { MoveMarkMs(d, anchorTime_); }
  void MoveClips(int32_t d, int y) override;
  // All MIDI clips of a project come from one file.
  bool TakesDrop(const ClipItem& clip) override;
  int32_t DropLineAt(int y) override { return 0; }
  bool FreeDropLine(const DropPlace& place, int32_t& line) override;
  // Only a clip's picture has edges to make again.
  void FinishTrim(Film* film, bool startEdge) override;

  // midi_line_commands.cpp
  void AppendClipItems(HMENU menu, Film& film) override;
  const char* EditorPath() override;
  void CmAddMark();

  int32_t anchorTime_ = 0;
};
