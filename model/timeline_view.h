// What the time-line's engine asks of the windows around it and of the
// players. The time-line window implements TimeLineView and attaches it to
// the engine once it exists; while none is attached the engine still keeps
// its state and its changed ranges, and asks for nothing to be drawn.
// Tests attach their own.
#pragma once

#include <climits>
#include <cstdint>

#include "platform/core/types.h"

class VideoEngine;
class AudioEngine;
class MidiEngine;
class WaitBeforePlay;
class TapeControl;
class VFX;
class Film;
class StartFrameRecord;
class VideoSource;

class TimeLineView {
 public:
  virtual ~TimeLineView() = default;

  // The window that owns the engine's message boxes.
  virtual HWND Handle() = 0;

  // Redraw requests; x are pixels of the time area. kind is one of the
  // kLine... masks; line is the video row or the audio line (0 for the MIDI
  // and VFX lines). A strip of the VFX line spans its whole height.
  virtual void InvalidateStrip(int32_t kind, int32_t line, int32_t x0, int32_t x1) = 0;
  // A whole line.
  virtual void InvalidateLine(int32_t kind, int32_t line) = 0;
  // The cursor's strip on the ruler and the selection line, and with
  // onLines on every line.
  virtual void InvalidateCursorStrip(int32_t x0, int32_t x1, bool onLines) = 0;
  virtual void InvalidateTimeDisplay() = 0;
  // Every line window, the headers, the scale and the time display.
  virtual void InvalidateLines() = 0;
  // Every window of the time-line.
  virtual void InvalidateAll() = 0;
  // The header panels of the groups in the mask, without erasing.
  virtual void InvalidateHeaders(int32_t kinds) = 0;
  // The time ruler, which shows the project's marks.
  virtual void InvalidateRuler() = 0;
  // Paints what is invalid now.
  virtual void UpdateLines() = 0;

  // The selection range changed: the selection line drops its drag state
  // and redraws.
  virtual void SelectionRangeChanged() = 0;
  // The three selection texts: start and size, shown active or not.
  virtual void ShowSelectionTexts(int32_t start, int32_t size, bool active) = 0;

  // The horizontal scroll bar: disabled, or range [0, max] with a page and
  // the thumb's position.
  virtual void SetScrollBar(bool enabled, int32_t max, int32_t page, int32_t position) = 0;
  // The zoom list: refill it for the frame rate, limit it, and the entry
  // nearest to a scale (made current).
  virtual void FillScaleList() = 0;
  virtual void SetScaleRange(int32_t minimum, int32_t maximum) = 0;
  virtual int32_t SelectScale(int32_t scale) = 0;
  // The header rows were changed or moved, or the first audio row shown
  // changed: lay them out again.
  virtual void LayoutHeaders() = 0;
  // The lines need extra pixels of height (re-layout when maximised).
  virtual void UpdateFrameLayout(int32_t extraHeight) = 0;
  // Makes an audio line the first one shown.
  virtual void ScrollAudioLinesTo(int32_t line) = 0;
  // The bottom of the audio lines window in pixels.
  virtual int32_t AudioAreaExtent() = 0;

  // The main frame shows whether the project is modified.
  virtual void ShowModified(bool modified) = 0;
  virtual void ShowStatusText(const char* text) = 0;

  // The "Time Range" dialog under caption, limited to [lo, hi] and preset
  // to [start, end); true on OK with the chosen range.
  virtual bool AskTimeRange(const char* caption, int32_t lo, int32_t hi, int32_t& start, int32_t& end) = 0;

  // ---- Playback. The defaults work on Handle(): timer 1 and the replay
  // request go to the window, frame requests to its top-level window.
  // Starts the 100 ms play timer; false when it could not be made.
  virtual bool StartPlayTimer();
  virtual void KillPlayTimer();
  // Posts the replay request (WM_USER+97) to the window.
  virtual void PostReplay();
  // Posts WM_USER+99 with the request to the main frame.
  virtual void PostFrameRequest(int32_t request);
  // The tool bar's Play and Stop buttons show the play state anew.
  virtual void RefreshPlayButtons() {}
  // The lines show the play cursor, or the normal one.
  virtual void SetPlayCursorShape(bool) {}
  // The wait cursor while a slow step runs, then the normal one.
  virtual void ShowWaitCursor(bool wait);
  // The edit operations' dialogs and the ruler's snapping. Without them
  // (the defaults) a dialog counts as cancelled and nothing is near.
  //
  // The "Repeat Clip" dialog (LoopDialog): pause and count preset, the
  // clip's length, the longest total time allowed; true on OK with the
  // chosen pause and count.
  virtual bool RunLoopDialog(int32_t& pause, int32_t clipLength, int32_t& count, int32_t longestTotal) {
    return false;
  }
  // The "Clip Properties" dialog (FilmEditDialog) on film, within the
  // earliest start and the latest end allowed; showFrame is the
  // PREVIEW_VIDEO setting, which it may change. True on OK, with film changed.
  virtual bool RunFilmEditDialog(Film& film, int32_t earliestStart, int32_t latestEnd, bool& showFrame) {
    return false;
  }
  // Moves time to the nearest alignment target within the gravity distance
  // (filter 0 all clips, 1 the clips outside the current selection group, 2
  // the clips in it) and returns the distance; more than the gravity
  // distance when nothing is near.
  virtual int32_t SnapToNearestEdge(int32_t& time, int32_t filter) { return INT32_MAX; }
  // The line window that has the keyboard focus, whole.
  virtual void InvalidateFocusWindow() {}
};

// The program-wide players as the engine sees them. The defaults stand for
// a program without devices: an idle video player (which counts as usable),
// no audio output and no MIDI output.
class TimeLinePlayers {
 public:
  virtual ~TimeLinePlayers() = default;
  virtual bool VideoUsable();
  virtual bool AudioUsable();
  virtual bool MidiUsable();
  // A line's gain and pan while playing; track -1 is the master.
  virtual void SetTrackVolumePan(int32_t track, int32_t gain, int32_t pan);
  // A notice code with its argument to the mixer window and to every open
  // effect-list dialog.
  virtual void NotifyMixer(int32_t code, int32_t arg);
  // Whether the mixer window is open (it then takes the master volume).
  virtual bool MixerShown() { return false; }
  virtual void NotifyEffectDialogs(int32_t code, int32_t arg);

  // The players playback drives; null where the program has none.
  virtual VideoEngine* Video() { return nullptr; }
  virtual AudioEngine* Audio() { return nullptr; }
  virtual MidiEngine* Midi() { return nullptr; }
  virtual WaitBeforePlay* Wait() { return nullptr; }
  virtual TapeControl* Tape() { return nullptr; }
  virtual VFX* Transitions() { return nullptr; }
  // The current video sub-player's decoded picture of a source frame for a
  // cut into it, with one reference for the caller; null without a
  // sub-player or from one that prepares no pictures. By default the video
  // player's.
  virtual StartFrameRecord* CreateKeyFrame(VideoSource* video, int32_t frame);
};
