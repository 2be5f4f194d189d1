// The engine half of the time-line window: the state every edit touches
// (the modified flag, the project length, the number of audio lines, the
// cursor, the view's origin and zoom, the line records, the master bus and
// the selection range), the redraw requests edits make instead of painting,
// the conversions between times and the time area's pixels, which lines take
// part in playback, and undo and redo of whole states.
//
// It draws nothing and owns no window. Redraws, the scroll bar, the zoom
// list, the frame and the status line are reached through the TimeLineView
// that the time-line window attaches (none: nothing is asked); the players
// through TimeLinePlayers. The engine is also the Film model's host for
// everything it keeps (zoom, gains, gravity, redraws, the modified flag, the
// status line): the program installs it with SetFilmHost once it exists.
// The clip collection's part of FilmHost goes to the collection attached
// with SetClipCollection (none: no clips).
//
// Main thread only.
#pragma once

#include <cstdint>

#include "model/film_host.h"
#include "model/play_control.h"
#include "model/timeline_state.h"
#include "model/timeline_view.h"
#include "model/track_record.h"
#include "model/undo_history.h"

// Notice codes to the mixer window and the effect-list dialogs.
constexpr int32_t kMixerRefresh = 0;
constexpr int32_t kMixerLineCount = 8;
constexpr int32_t kMixerCommandsEnabled = 11;

// Request bits of the active-line queries: the kinds, and audio that
// ignores solo and mute (real-time mute during play).
constexpr int32_t kRequestVideo = 1;
constexpr int32_t kRequestAudio = 2;
constexpr int32_t kRequestMidi = 4;
constexpr int32_t kRequestAllAudio = 32;

// The scroll bar never needs more positions than this.
constexpr int32_t kMaxScrollPositions = 32000;

class ClipCollectionTarget;
struct ClipMove;

class TimeLineEngine : public FilmHost {
 public:
  TimeLineEngine();
  ~TimeLineEngine() override;
  TimeLineEngine(const TimeLineEngine&) = delete;
  TimeLineEngine& operator=(const TimeLineEngine&) = delete;

  // The window side; null while there is no window. Its window also owns
  // the undo history's error box.
  void AttachView(TimeLineView* view);
  TimeLineView* View() const { return view_; }
  // Null: the defaults (no devices).
  void SetPlayers(TimeLinePlayers* players);
  TimeLinePlayers& Players() { return *players_; }

  // ---- What the Film model asks of its host.
  int32_t TimeToPixels(int32_t ms) override;
  int32_t PixelsToTime(int32_t pixels) override;
  int32_t LineGain(int32_t line) override;
  int32_t LinePan(int32_t line) override;
  int32_t MasterGain() override { return masterGain; }
  int32_t MasterPan() override { return masterPan; }
  int32_t GravityAlign() override { return gravityAlign; }
  int32_t GravityGroup() override { return gravityGroup; }
  void ShowStatusText(const char* text) override;
  // Redraws the film's strip on each line it shows on (its video row with
  // the VFX line, the MIDI line, its audio line), from one pixel before its
  // start to one after its end, and the time display. An audio film's line
  // is marked changed over the film even without a window.
  void InvalidateClip(Film* film) override;
  // The main frame is told when the flag changes; setting it also tells
  // the autosave that the project changed.
  void SetModified(bool modified) override;

  bool IsModified() const { return modified_; }

  // The clip collection's part, passed on to the attached collection.
  int32_t GetClipCount() override;
  ClipItem* GetClip(int32_t index) override;
  ClipItem* DetachClip(int32_t index) override;
  void LayoutClips() override;
  void SetClipsModified(bool modified) override;
  bool RefreshClip(int32_t index) override;
  void DeleteClip(int32_t index) override;

  // ---- Redraw requests.
  // The film's lines over [start, end), marking an audio line changed there.
  void InvalidateLineRange(int32_t start, int32_t end, Film* film);
  // The film's lines over pixels [x0, x1], without change tracking.
  void InvalidateClipRange(int32_t x0, int32_t x1, Film* film);
  void InvalidateLines();
  void UpdateLines();

  // ---- The play cursor.
  // Moves the cursor to time, held within [0, length - 1], redrawing its old
  // and new strips; with preview (ignored while playing) the picture there
  // is shown when video is shown.
  void SetPlayCursor(int32_t time, bool preview, HWND window = nullptr);

  // ---- Time and the time area's x.
  int32_t PosToPixel(int32_t t);
  int32_t PosToPixelUnclamped(int32_t t);
  int32_t PixelToPos(int32_t x);
  int32_t PixelToPosUnclamped(int32_t x);
  // The time the scroll bar moves by one position.
  int32_t ScrollStep() const;
  // The time shown across the time area.
  int32_t VisibleSpan();
  // ms on the nearest frame when frame alignment is on.
  int32_t SnapToFrame(int32_t ms) const;

  // ---- Length and audio lines. Each is refused while playing (error 26
  // under its own caption) and then returns false.
  bool ChangeLength(int32_t newLength, int32_t lines);
  // Never below the latest clip end; a cursor beyond the end moves to its
  // last millisecond.
  bool SetLength(int32_t newLength);
  // Shrinking keeps every line that holds clips, moving the clips down
  // when the last used line would not fit.
  bool SetAudioLineCount(int32_t lines);

  // ---- The view.
  void SetZoom(int32_t newScale);
  void ZoomToRange(int32_t start, int32_t end);
  void UpdateScrollRange();
  void ZoomChanged(bool rezoom);
  void UpdateFrameLayout(int32_t extraHeight);
  void RecalcClipOrigins();
  // Set by the window's layout and fonts.
  void SetTimeAreaWidth(int32_t pixels);
  // The base pixel unit u of the window's fonts: the default zoom factor is
  // 3 * (2u / 3) / 2 pixels, labels are at least 4u / 3 pixels apart.
  void SetPixelUnit(int32_t unit);
  int32_t DefaultFactor() const;
  int32_t LabelSpacing() const;

  // ---- Undo.
  // The window's state record, refreshed; valid until the next call.
  const TimeLineState& GetTimeLineState();
  // Reports change bits to the undo history with the project's marks.
  void MarkUndo(uint32_t flags);
  // The Undo and Redo commands: refused while playing (error 26); false
  // when there is nothing to return to.
  bool CmUndo();
  bool CmRedo();
  bool CeUndo() const;
  bool CeRedo() const;

  // ---- Active lines, the mix, the selection and command enabling.
  bool AnyLineSolo() const;
  void GetActiveLines(bool videoRows[2], bool& midiLine, bool audioLines[4], int32_t request);
  // Drops the active lines without a clip in [start, end) and returns the
  // kinds left (kKind... bits), rounding the range to frames when video
  // takes part and request is not exactly audio; 0 for an empty range.
  int32_t GetRangeOfLines(bool videoRows[2], bool& midiLine, bool audioLines[4], int32_t& start, int32_t& end,
                          int32_t request);
  // The earliest start and latest end of the clips on the active lines.
  bool GetActiveExtent(int32_t& start, int32_t& end, int32_t request);
  // The mix with the flagged lines at their gains, the others silent.
  MixSetup GetMixSetup(const bool audioLines[4], int32_t maxLines) const;
  // While playing, passes the master's (line -1), every line's (another
  // negative line) or one line's gain and pan to the audio engine.
  void UpdateEngineMix(int32_t line);
  // Every selected film leaves the selection, each reporting undo bit 4.
  void ClearSelection();
  bool GetMarkRange(int32_t& start, int32_t& end) const;
  void SetMarkRange(int32_t start, int32_t end);
  void UpdateMarkRange();
  void EditMarkRange();
  void EnableCommands(bool enabled);

  // ---- Whole lines.
  // kind 1 exchanges video rows a and b (0 or 1), kind 2 audio lines a and
  // b (below the line count): records, effect lists and clips. One undo
  // step; false, with nothing changed, for anything else.
  bool SwapLines(int32_t kind, int32_t a, int32_t b);
  void ClearSolo();
  void ClearMute();
  void InvalidateEnabledLines();

  // ---- Playback of ranges (play_control.cpp). Parts are kKind... bits.
  // Prepares the players for [start, end) without starting any; 0 when
  // none could be prepared.
  int32_t PrepareRange(int32_t start, int32_t end, bool fromCursor);
  // Prepares, waits before play when asked, starts and enters play mode;
  // any failure leaves everything stopped.
  void StartPlayRange(int32_t start, int32_t end, bool noWait, bool fromCursor);
  // Starts the prepared players, after the wait when asked and video takes
  // part (the wait dialog then starts them). False when the wait was
  // cancelled.
  bool StartPrepared(int32_t parts, bool wait);
  void BeginPlayMode(int32_t start, int32_t end, int32_t parts, bool keepCursor);
  // The last step of every stop; replays while loops remain.
  void StopPlayback();
  // The Stop command: no more loops, every player stopped, and the end
  // made at once when none still runs.
  void CmStop();
  // Stops video, audio, MIDI and the tape without ending play mode.
  void StopPlayers();
  // Some player still plays: video state 3, audio 3 or 7, MIDI 3.
  bool AnyPlayerRunning();
  void NotifyPlayState(bool playing);

  // ---- Play segments and video lookup (play_segments.cpp).
  // The video segments of the flagged rows over [start, end), both rounded
  // to frames in place; false, with no segments, when that is empty.
  bool CollectRange(const FilmListHead& films, const bool rowFlags[2], int32_t& start, int32_t& end);
  void FreeRangeList();
  // The film whose picture is on screen at a time-line time; time becomes
  // the source time in it.
  bool FindVideoAt(Film*& film, int32_t& time);

  // ---- Clip play and previews (clip_play.cpp). Each play operation runs
  // the Stop command instead while playing or prepared.
  bool PlayClip(Film* film, int32_t parts);
  void PlayCollectionClip(const ClipItem& clip);
  bool PreviewClipAudio(Film* film);
  // line -1: the active audio lines.
  bool PreviewLineAudio(int32_t line);
  void ShowClipFrame(Film* film, int32_t sourceTime, HWND window);
  void ReleaseHeldFilm();

  // ---- The audio play file (audio_play_file.cpp).
  // Mixes what the file lacks of the flagged lines for the coming play;
  // offset and length are the bytes of [playPos, end) in the file. True
  // when the file holds a valid stretch.
  bool UpdatePlayFile(int32_t start, int32_t end, int32_t playPos, int64_t& offset, int64_t& length,
                      const bool audioLines[4]);
  // Prepares the audio engine to play those bytes of the file as the held film.
  bool PlayFromPlayFile(int64_t offset, int64_t length);

  PlayState play;

  // ---- Edit operations on the Film list (edit_operations.h). Each makes
  // one undo step before its first change, marks the project modified and
  // asks for the redraws. window owns their message boxes (null: the
  // view's window).
  //
  // The common first step of Paste and Insert: refuses while playing or
  // with nothing usable in the clipboard, clears the selection, puts time on
  // a frame when video takes part, returns the clipboard's usable parts and
  // span and lengthens the project to hold the pasted block.
  bool PreparePaste(int32_t& time, int32_t& clipStart, int32_t& clipEnd, int32_t& kinds);
  // The clipboard at time, on the first free rows and lines from the given
  // ones (negative: row 0, the first audio line shown). True when placed.
  bool PasteClips(HWND window, int32_t time, int32_t videoRow, int32_t audioLine);
  // Opens a gap of the clipboard's length at time on every line and puts
  // the clipboard into it.
  void InsertClips(HWND window, int32_t time);
  void SplitClip(HWND window, Film* film, int32_t time);
  // Asks for the copies and the pause (RunLoopDialog) and places them.
  void RepeatClip(HWND window, Film* film);
  void DeleteClip(HWND window, Film* film);
  // One mouse step of a clip drag: turns the asked move of the selected
  // films into a legal one; false when there is none (nothing may move).
  // The line windows report undo bit 1 and set the modified flag between
  // this and MoveSelectedClips.
  bool TrackClipDrag(ClipMove& request, int32_t kinds);
  void MoveSelectedClips(int32_t timeDelta, int32_t lineDelta, int32_t kinds);
  // The Clip Properties command (RunFilmEditDialog on a copy).
  void EditClipProperties(Film* film);
  // The clip collection window (null: none yet).
  void SetClipCollection(ClipCollectionTarget* collection) { collection_ = collection; }
  bool IsOverClipCollection(POINT screenPoint);
  // A clip drag released over the collection: the dragged films become
  // tiles and the drag is undone. True when a tile was added.
  bool DropClipsOnCollection(POINT screenPoint);

  // ---- Fields the windows and the edit operations read.
  // Length, cursor and view: change them through the operations above.
  int32_t length = 60000;  // ms
  int32_t cursor = 0;      // ms
  int32_t origin = 0;      // ms at the left edge of the time area
  int32_t scale = 1000;    // ms drawn over factor pixels
  int32_t factor = 20;     // pixels
  int32_t width = 800;     // pixels of the time area
  int32_t audioLineCount = 4;

  TrackPanel videoPanel{2};
  TrackPanel vfxPanel{1};
  TrackPanel midiPanel{1};
  TrackPanel audioPanel{4};
  // Pixels between two rows of a panel.
  int32_t rowGap = 1;

  int32_t masterGain = kGainUnity;
  int32_t masterPan = 0;
  EffectChain* masterEffects = nullptr;  // one reference held

  // The selection range on the selection line; empty when start >= end.
  int32_t selStart = 0;
  int32_t selEnd = 0;

  bool playing = false;
  bool prepared = false;
  bool commandsEnabled = true;

  // Settings of the TIMELINE section, kept up to date by the window.
  bool showVideo = true;
  bool showMidi = true;
  bool showAudio = true;
  bool alignToFrame = false;
  bool autoSetDeclick = false;
  bool hidePlaybackCursor = false;
  bool previewVideo = false;
  int32_t gravityAlign = 6;
  int32_t gravityGroup = 1;
  int32_t gravityDistance = 10;  // pixels
  // Distances converted to ms at every zoom change: the gravity distance
  // and the line windows' hit distance.
  int32_t gravityDistanceMs = 0;
  int32_t hitDistance = 7;  // pixels
  int32_t hitDistanceMs = 0;

  // Shows the picture at a time-line time with its frame in the status line.
  virtual void PreviewFrameAt(int32_t time, HWND window);

 private:
  HWND Owner() const { return view_ ? view_->Handle() : nullptr; }
  int32_t SelectScale(int32_t value);
  // Keeps time x factor / scale within 32 bits over the whole length.
  void LimitFactor();
  void InvalidateFilmStrips(const Film* film, int32_t x0, int32_t x1);
  void InvalidateCursor(bool onLines);
  void Restore(const UndoScript& snapshot, FilmListHead& films);
  void RestoreEffects(EffectChain*& held, EffectChain* restored);
  void TakeOff(FilmListHead& films);
  void StartPlayers(int32_t parts);
  MixSetup SingleLineMix(const Film* film) const;
  // The paste's undo step: the state from before its preparation, unless
  // the preparation's deselection already took one.
  void MarkPasteUndo();
  bool RefusePaste(HWND owner, int32_t message);
  void SetOrigin(Film* film);

  TimeLineView* view_ = nullptr;
  TimeLinePlayers defaultPlayers_;
  TimeLinePlayers* players_ = &defaultPlayers_;
  bool modified_ = false;
  int32_t pixelUnit_ = 20;
  bool inRezoom_ = false;
  TimeLineState state_;

  TimeLineState pasteState_;
  bool pasteUndoTaken_ = false;
  ClipCollectionTarget* collection_ = nullptr;
  // The undo step taken by the current clip drag, so that a drop on the
  // collection undoes that step and no other.
  UndoScript* dragSnapshot_ = nullptr;
  UndoScript* dragNewest_ = nullptr;
  bool dragGesturePending_ = false;
};
