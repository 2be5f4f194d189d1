// The audio lines: each clip with its waveform, name, volume and balance
// profiles, declick ramps, marks and effect marker; clips moved in time and
// across lines, trimmed, their marks moved, their profiles edited point by
// point; the place shown where a clip dragged from the collection would
// land; and the clip's popup menu. The first line shown is the engine's
// audio panel's; the lines' geometry is in its records.
//
// The class is split by concern:
//   lines/audio_lines.cpp           the window, painting, profiles, y mappings
//   lines/audio_lines_waveform.cpp  the waveforms: the overview and the exact one
//   lines/audio_lines_mouse.cpp     hit test, presses, drags, profile editing,
//                                   keys, drop feedback
//   lines/audio_lines_commands.cpp  the popup menu and its commands
// What the video and MIDI lines share with it is in line_window.h and
// line_mechanics.h.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "timeline/lines/line_window.h"

class AudioData;
class ClipItem;
class EffectList;
class Film;
class Profile;
struct TrackRecord;

// How a clip's sound is shown.
constexpr int32_t kWaveformNone = 0;
constexpr int32_t kWaveformOverview = 1;
constexpr int32_t kWaveformExact = 2;

class TAudioLines : public TClipLine {
 public:
  TAudioLines(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  bool Find(TEventInfo& info) override;

  // The effect-list dialog on film's effects (the popup's Edit and the
  // double-click on the effect marker).
  void EditEffects(Film* film);

  // ---- Painting (audio_lines.cpp).
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  // One line's strip across paint.
  void DrawLine(TDC& dc, const TRect& row, int32_t line, const TRect& paint);
  void DrawClip(TDC& dc, const TRect& clip, Film& film, const TRect& paint, int32_t waveform);
  // first and last: the source times to draw; x0 the x of source time 0.
  void DrawVolumeProfile(TDC& dc, const TRect& clip, const Film& film, int32_t first, int32_t last, int64_t x0,
                         int base, bool active);
  void DrawBalanceProfile(TDC& dc, const TRect& clip, const Film& film, int32_t first, int32_t last,
                          int64_t x0, int base, bool active);
  // The idle redraw of a clip whose exact waveform was asked for; false,
  // having done nothing, while a paint runs.
  bool DrawPendingClip(Film* film);

  // ---- Waveforms (audio_lines_waveform.cpp). inner: the part of the clip
  // to draw; bases: the mono one, and the stereo channels'.
  void DrawWaveform(TDC& dc, const TRect& clip, const TRect& inner, Film& film, int64_t x0, int monoBase,
                    int upperBase, int lowerBase, int height);
  void DrawExactWaveform(TDC& dc, const TRect& clip, const TRect& inner, Film& film, int64_t x0,
                         int monoBase, int upperBase, int lowerBase, int height);

  // ---- Profile values of a y on the pointer line, for the pointer film.
  int32_t YToVolume(int y);
  int32_t YToBalance(int y);

  // ---- The mouse and the keys (audio_lines_mouse.cpp).
  // Finds the line, clip, mark, profile point and zone under p (client) and
  // shows its cursor.
  void HitTest(UINT keys, const TPoint& p, bool ignoreKeys) override;
  // Drag steps go by ms.
  void DragTo(int x, int y) override;
  void DragPoint(const TPoint& p);
  void DragFlatSegment(const TPoint& p);
  void DragSlope(const TPoint& p);
  // A point of the pointer film's active profile at (x, y): the value of y,
  // or with fromY false the profile's own value there. Returns its index, or
  // -1 when none was added (with fromY, a point already there is removed).
  int32_t AddPointAt(int x, int y, bool fromY);
  // A key pressed while this window drags (the time-line passes them on).
  void OnDragKey(int vk);
  int32_t DropTargetLine() const override { return drop_.row; }

  int32_t PointerLine() const { return pointerLine_; }
  int32_t PointIndex() const { return pointIndex_; }
  int32_t AnchorTime() const { return anchorTime_; }

 private:
  static const std::vector<TResponseTableEntry>& MouseEntries();
  static const std::vector<TResponseTableEntry>& CommandEntries();

  // audio_lines.cpp
  const TrackRecord& Row(int32_t line) const;
  // The line of client y: from the first shown, the first whose bottom is
  // at or below y, at most the last.
  int32_t LineAt(int y) const;
  // The waveform of a strip: exact only when asked for and nothing moves.
  int32_t WaveformMode() const;
  void DrawDeclicks(TDC& dc, const TRect& clip, const Film& film, const TRect& paint);
  void DrawEffectMarker(TDC& dc, const TRect& clip, const Film& film);
  // The profile points of the active profile (SHOW_PROFILE 2: balance).
  bool BalanceActive() const;
  // The source time of client x on film.
  int32_t SourceTimeAt(const Film& film, int x);

  // audio_lines_mouse.cpp
  void EvMouseMove(UINT keys, const TPoint& p);
  void EvLButtonDown(UINT keys, const TPoint& p);
  void DescribePointer();
  void TrimStart(int32_t change) override;
  void TrimEnd(int32_t change) override;
  void MoveMark(int32_t change) override { MoveMarkMs(change, anchorTime_); }
  void MoveClips(int32_t change, int y) override;
  // A clip with a picture shows its new edge on the video row too.
  void FinishTrim(Film* film, bool startEdge) override;
  // Clips dropped on the collection take the lines the drag scrolled back.
  void FinishMove(bool tookBack) override;
  void ScrollTick(TPoint& at) override;
  // The effect marker's double-click edits the effects.
  bool DoubleClickZone() override;
  // After a profile step that changed the pointer film.
  void ProfileChanged(Film* film);
  void DrawDropFeedback(int32_t start, int32_t end, int32_t line) override;
  // A drop needs sound in the project's format. Outside the lines, the
  // first shown line that is free takes it.
  bool TakesDrop(const ClipItem& clip) override;
  int32_t DropLineAt(int y) override { return LineAt(y); }
  bool FreeDropLine(const DropPlace& place, int32_t& line) override;

  // audio_lines_commands.cpp
  // Keeps the zone and the profile point the menu was opened on.
  void ShowMenu(const TPoint& p) override;
  void AppendClipItems(HMENU menu, Film& film) override;
  const char* EditorPath() override;
  void PasteTarget(int32_t& videoRow, int32_t& audioLine) override;
  // The clip's rectangle on its line.
  RECT ClipRect(const Film& film);
  void CmAddMark();
  void CmClipVolume();
  void CmSetProfileValue();
  void CmAddProfilePoint();
  void CmRemoveProfilePoint();
  void CmDeleteProfile();
  void CmDeclickIn();
  void CmDeclickOut();
  void CmDeclickBoth();
  void CmDeclickNone();
  void CmEditEffects();
  void CmPasteEffects();
  void CmAddEffects();
  void CmDeleteEffects();
  void CmUseEffects();
  // Sets the declick flags to in and out: one undo step, nothing when
  // they are so already.
  void SetDeclicks(Film* film, bool in, bool out);
  // film's effects replaced by list (null: none), under the mixing lock.
  void SwapEffects(Film* film, EffectList* list);

  int32_t pointIndex_ = -1;
  // Line steps the drag scrolled, and the first line shown at its press.
  int32_t scrolledLines_ = 0;
  int32_t firstShownAtPress_ = 0;
  int32_t anchorTime_ = 0;
  int32_t menuZone_ = kZoneNothing;
  int32_t menuPointIndex_ = -1;
};
