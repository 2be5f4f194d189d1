// The project window: the one time-line of the program, the client of the
// project frame, alive for the program's life. It holds the engine
// (TimeLineEngine), which owns the project's state, and is the engine's
// view: it draws that state through its children and turns input into the
// engine's operations.
//
// Children, from the top: the overview strip, the range texts with the
// "Set Size" button and the zoom list below them, the cursor-time text and
// the ruler, the selection row, then per line group (VFX, video, MIDI,
// audio) a header panel beside its line window, the scroll bars and the
// zoom buttons.
//
// The class is split into files by concern, each listing the messages and
// commands it answers in a table of its own:
//   window/main_timeline_window.cpp  construction, set-up, teardown, requests
//   window/settings.cpp              sections TIMELINE and TOOLS, the fonts' keys
//   window/layout.cpp                measuring, placing the children, sizing the frame
//   window/fonts.cpp                 the two fonts and their commands
//   window/drawing.cpp               brushes, pens, cursors, the play-cursor line
//   window/view.cpp                  what the engine asks of its view
//   window/header_view.cpp           the view's part the header strip answers
//   window/input.cpp                 scrolling, keys, the mouse over the window itself
//   window/modes.cpp                 editing modes, the rubber band, idle redraws
//   window/small_handlers.cpp        focus, zoom, heights, frame steps, enablers
//   commands/transport.cpp           play, stop, rewind, the play timer and replays
//   commands/messages.cpp            what other windows and instances ask
//   commands/view_commands.cpp       showing lines, the meter, the video window; recording
//   commands/exports.cpp             writing the project's files
//   commands/tools.cpp               external tools
//   commands/clip_edit.cpp           clipboard, split, join, undo and redo
//   commands/audio_clip_commands.cpp profiles, effects and declick of clips
//   commands/add_media.cpp           adding source files
//   commands/drop_clips.cpp          clips dropped on the lines
//   commands/project.cpp             new, clear, open, save, copy from a file
//   commands/project_parameters.cpp  frame rate and audio format, the master
//   commands/selection_groups.cpp    selection and mark groups
//   commands/edl.cpp                 edit decision lists
//   commands/range.cpp               the Range menu, the range dialog
//   commands/range_remove.cpp        copy, cut and clear of the range
// Operations the lines and header controls call before their own files
// fill them are virtual, so that tests can record them.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "model/media_interfaces.h"
#include "model/timeline_engine.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/dc.h"
#include "platform/classlib/window.h"
#include "timeline/window/timeline_settings.h"

class Film;
class FilmListHead;
class LineDropTarget;
struct ComObjectEntry;
struct EdlFileRecord;
struct PathRecord;
struct RangeLines;
struct SynonymFile;
class TAudioLines;
class TAVButtons;
class TCurTimeText;
class TEScaleList;
class TFullSizeLine;
class TMidiLine;
class TSelSizeText;
class TSelStartText;
class TSelectionLine;
class TSelectionText;
class TTimeCode;
class TVFXLine;
class TVideoLine;

constexpr int kTimeLineMargin = 4;
// The layout never sizes the window below this.
constexpr int kTimeLineMinWidth = 600;
constexpr int kTimeLineMinHeight = 300;
// Size events after construction that never resize the frame.
constexpr int32_t kResizeGuardStart = 10;
// Rounds of the layout before it settles for what it has.
constexpr int kLayoutRounds = 8;

class MainTimeLineWindow : public TWindow, public TimeLineView {
 public:
  // players: the program's players (null: none).
  explicit MainTimeLineWindow(TWindow* parent, TimeLinePlayers* players = nullptr);
  ~MainTimeLineWindow() override;

  TimeLineEngine& Engine() { return engine_; }
  const TimeLineEngine& Engine() const { return engine_; }
  TimeLineSettings& Settings() { return settings_; }
  const TimeLineSettings& Settings() const { return settings_; }

  // ---- The window's life (main_timeline_window.cpp).
  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;
  void CleanupWindow() override;
  // Stops a playing project first (saying so), releases the project, the
  // clipboard and the master list and saves the settings.
  void Destroy(int retVal = 0) override;
  bool Find(TEventInfo& info) override;
  bool IsSettingUp() const { return settingUp_; }
  // WM_USER + 99: true when the code is known.
  LRESULT EvRequest(WPARAM code, LPARAM arg);

  // ---- Settings (settings.cpp).
  void SaveSettings();

  // ---- Layout (layout.cpp).
  // Measures the time text in the time font and places the header boxes
  // from it, then lays out the whole window again.
  void MeasureTimeText();
  void EvSize(UINT sizeType, const TSize& size);
  void EvGetMinMaxInfo(MINMAXINFO& info);
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  // One round repeated until it settles (at most kLayoutRounds): where the
  // lines end (width, bottom), whether the vertical bar shows (its width)
  // and the first audio line shown, within largestBottom.
  void ComputeLayout(int& width, int& bottom, int& vScrollWidth, int& hScrollHeight, int& firstAudioRow,
                     int largestBottom);
  void LayoutChildren(int width, int bottom, int firstAudioRow);

  int TimeTextWidth() const { return timeTextWidth_; }
  int TimeTextHeight() const { return timeTextHeight_; }
  // The ruler's labelled divisions are at least this far apart.
  int CellWidth() const { return cellWidth_; }
  int HeaderWidth() const { return headerWidth_; }
  int LineAreaTop() const { return lineAreaTop_; }
  int RulerHeight() const { return rulerHeight_; }
  int OverviewRowHeight() const { return overviewRowHeight_; }
  int32_t RulerSubdivisions() const { return rulerSubdivisions_; }

  // ---- Fonts (fonts.cpp).
  HFONT TimeFont() const;
  HFONT ClipFont() const;
  void CmLabelFont();
  void CmClipNameFont();

  // ---- Drawing objects (drawing.cpp).
  // The brushes and pens of the time-line colours, made again from them.
  void CreateBrushes();
  void DeleteBrushes();
  HBRUSH Brush(int colorIndex) const;
  HPEN Pen(int colorIndex) const;
  // The play cursor across rect (x in the time area) when it is in view.
  void DrawCursorLine(TDC& dc, const TRect& rect);
  // The lines forget their hit zones and show the cursor; while playing
  // the header panels keep theirs.
  void SetCursorShape(HCURSOR cursor);
  // A cursor resource of the time-line (kCursor...), 0 for the arrow.
  HCURSOR Cursor(int id) const;

  // ---- Children.
  TFullSizeLine* Overview() const { return overview_; }
  TSelStartText* SelStartText() const { return selStartText_; }
  TSelSizeText* SelSizeText() const { return selSizeText_; }
  TButton* SetSizeButton() const { return setSizeButton_; }
  TEScaleList* ScaleList() const { return scaleList_; }
  TTimeCode* TimeRuler() const { return timeCode_; }
  TCurTimeText* CurTimeText() const { return curTimeText_; }
  TSelectionLine* SelectionLine() const { return selectionLine_; }
  TSelectionText* SelectionText() const { return selectionText_; }
  TAVButtons* VFXHeader() const { return vfxHeader_; }
  TAVButtons* VideoHeader() const { return videoHeader_; }
  TAVButtons* MidiHeader() const { return midiHeader_; }
  TAVButtons* AudioHeader() const { return audioHeader_; }
  TVFXLine* VFXLine() const { return vfxLine_; }
  TVideoLine* VideoLine() const { return videoLine_; }
  TMidiLine* MidiLine() const { return midiLine_; }
  TAudioLines* AudioLines() const { return audioLines_; }
  TScrollBar* HorzScrollBar() const { return hScroll_; }
  TScrollBar* VertScrollBar() const { return vScroll_; }

  // ---- The engine's view (view.cpp, header_view.cpp).
  HWND Handle() override { return GetHandle(); }
  void InvalidateStrip(int32_t kind, int32_t line, int32_t x0, int32_t x1) override;
  void InvalidateLine(int32_t kind, int32_t line) override;
  void InvalidateCursorStrip(int32_t x0, int32_t x1, bool onLines) override;
  void InvalidateTimeDisplay() override;
  void InvalidateLines() override;
  void InvalidateAll() override;
  void InvalidateHeaders(int32_t kinds) override;
  void InvalidateRuler() override;
  void UpdateLines() override;
  void SelectionRangeChanged() override;
  void ShowSelectionTexts(int32_t start, int32_t size, bool active) override;
  void SetScrollBar(bool enabled, int32_t max, int32_t page, int32_t position) override;
  void FillScaleList() override;
  void SetScaleRange(int32_t minimum, int32_t maximum) override;
  int32_t SelectScale(int32_t scale) override;
  void LayoutHeaders() override;
  void UpdateFrameLayout(int32_t extraHeight) override;
  void ScrollAudioLinesTo(int32_t line) override;
  int32_t AudioAreaExtent() override;
  void ShowModified(bool modified) override;
  void ShowStatusText(const char* text) override;
  bool AskTimeRange(const char* caption, int32_t lo, int32_t hi, int32_t& start, int32_t& end) override;
  bool RunLoopDialog(int32_t& pause, int32_t clipLength, int32_t& count, int32_t longestTotal) override;
  bool RunFilmEditDialog(Film& film, int32_t earliestStart, int32_t latestEnd, bool& showFrame) override;
  void SetPlayCursorShape(bool playing) override;
  int32_t SnapToNearestEdge(int32_t& time, int32_t filter) override;

  // ---- Scrolling, keys, the mouse over the window (input.cpp).
  // The time axis: codes SB_LINELEFT to SB_ENDSCROLL, by one scroll step, a
  // page, or to the thumb (pos in scroll steps). The line windows and the
  // header controls call it too.
  virtual void EvHScroll(UINT code, UINT pos, HWND control);
  // The audio lines, by whole lines; pos is the first line shown.
  virtual void EvVScroll(UINT code, UINT pos, HWND control);
  // A click on the play-cursor line (x, y on the screen), for the selection
  // line or the range.
  virtual void RouteRangeClick(bool shift, int x, int y);
  // "Set Size": the project's length and audio lines, the visible range
  // and the selection range.
  virtual void CmSelectionTime();
  // Keys before the accelerators: arrows to a line's drag, Tab steps the
  // one selected clip along its line.
  bool PreProcessMsg(MSG& msg) override;
  // A tick of timer 1 while not playing: a drag outside the time area
  // scrolls it one step towards the pointer.
  void AutoScrollStep();

  // ---- Editing modes, the rubber band, idle redraws (modes.cpp).
  // Starts the rubber band at a screen point (a line's drag on empty space).
  virtual void BeginRubberBand(int screenX, int screenY);
  // Draws the band over every shown line window; drawn twice, it is gone.
  void DrawRubberBand();
  // Ends the band: the clips it touches change sides of the selection.
  void EndRubberBand();
  bool RubberBandActive() const { return bandActive_; }
  // The band's corners on the screen: where it began and the pointer.
  POINT RubberBandAnchor() const { return bandAnchor_; }
  POINT RubberBandPoint() const { return bandCurrent_; }
  // Draws one clip whose redraw waits; false when none waits.
  virtual bool DrawPendingClip();
  // Whether the time-line plays or one of its windows holds the mouse
  // (autosave waits meanwhile).
  bool IsCapturing();
  // The profile the audio lines show and edit (kProfile...).
  int32_t ProfileMode() const { return settings_.profileMode; }
  // Every click on a clip toggles its selection (the lines read it).
  bool multiselectMode = false;
  // A click on an audio clip adds or removes a profile point, as with Ctrl.
  bool addPointMode = false;

  // ---- The Range menu (commands/range.cpp, commands/range_remove.cpp).
  // The range becomes the extent of the clips of the active lines, or
  // [0, 0) when they hold none.
  virtual void CmIncludeAllClips();
  // The view shows the whole project, or the range; one undo step each.
  void CmZoomToProject();
  void CmZoomInRange();
  // Copy takes what lies in the range (trimmed to it) to the clip
  // clipboard; Clear removes it there; Cut removes it and closes the gap.
  // On every line, or on the active lines that hold clips in the range.
  void CmCopyRangeAll();
  void CmCopyRangeActive();
  void CmCutRangeAll();
  void CmCutRangeActive();
  void CmClearRangeAll();
  void CmClearRangeActive();
  // Whether the range holds a clip on some line, on some active line;
  // false while playing or for an empty range.
  bool RangeHasClips();
  bool RangeHasClipsOnActiveLines();
  // Moves the clips in the range to the clip clipboard, splitting those
  // that cross its edges, in one undo step. start and end become the range
  // acted on (on frames where video takes part); the active form also
  // gives the lines that took part. False when nothing was removed.
  // closingGap: a cut follows, so refuse what it could not shift.
  bool RemoveRangeAllLines(int32_t& start, int32_t& end, bool closingGap = false);
  bool RemoveRangeActiveLines(int32_t& start, int32_t& end, bool videoRows[2], bool& midiLine,
                              bool audioLines[4], bool closingGap = false);

  // ---- Transport (commands/transport.cpp).
  // Plays [start, end) once from its start (not while playing).
  virtual void PlayOnce(int32_t start, int32_t end);
  // No more plays; every player stops, and play mode ends now or when the
  // last player reports its end.
  virtual void CmStop();
  // Timer 1: the play cursor while playing, a drag's auto-scroll otherwise.
  void EvTimer(UINT id);

  // ---- View commands (commands/view_commands.cpp).
  virtual void CmShowAudioMeter();
  // Asked for by a MIDI clip that is added.
  virtual void ShowMidiLine();

  // ---- Exports (commands/exports.cpp). kind: 0 AVI or WAVE, 1 MPEG or
  // AIFF; path null asks the user. True when the file was written.
  virtual bool WriteAvi(int32_t kind, const char* path);
  virtual bool WriteAudio(int32_t kind, const char* path);

  // ---- External tools (commands/tools.cpp).
  // Whether the tool of a command (711 to 719) may start: configured, and
  // the project not playing.
  bool IsToolConfigured(int commandId) const;
  // Starts the tool of a command on file (null or empty: the first clip of
  // a selection group gives its file).
  virtual void LaunchTool(int commandId, const char* file);
  // The Tools menu's items of the five free tools, from their settings.
  virtual void RebuildToolsMenu();

  // ---- Clip editing (commands/clip_edit.cpp).
  // Something in the clipboard could go onto the time-line now.
  virtual bool CanPaste();
  // The selected clips: deleted, moved into the clipboard, copied there.
  virtual void CmDelete();
  virtual void CmCut();
  virtual void CmCopy();
  // One clip, selected or not, into the clipboard.
  virtual void CutClipToClipboard(Film* film);
  virtual void CopyClipToClipboard(Film* film);

  // ---- Adding media (commands/add_media.cpp). kind: 1 video, 2 audio, 4 MIDI.
  virtual void AddSourceFileOfKind(int32_t kind);
  // Adds the file at path (a buffer of MAX_PATH characters, which may come
  // back naming a converted file) as a clip at time, or, with time -1 or
  // no room there, hands the clip to the mouse.
  void AddFile(char* path, int32_t time);
  // The clip the mouse carries since AddFile found no place for it; null
  // when none.
  ClipItem* HeldClip() const { return heldClip_.get(); }
  void ReleaseHeldClip();
  // Whether the button went down while a clip was held (its release drops it).
  bool ButtonPressed() const { return buttonPressed_; }
  void SetButtonPressed(bool pressed) { buttonPressed_ = pressed; }

  // ---- Dropping clips on the lines (commands/drop_clips.cpp). Points are
  // in screen coordinates; the results are the parts (kinds) placed.
  // Shows where clip would go and sets the cursor; time gets the time the
  // parts would go at. A null clip removes the feedback of every line.
  int32_t HitTestLines(int x, int y, const ClipItem* clip, int32_t& time);
  int32_t DropCollectionClip(int x, int y, const ClipItem* clip);
  // After a drop that placed only some of the clip's parts (placed): offers
  // to put the whole clip into the clipboard instead.
  void OfferClipCopy(const ClipItem& clip, int32_t placed);
  // The line window that takes dropped clips of a kind; null while it
  // cannot.
  virtual LineDropTarget* DropTarget(int32_t kind);

  // ---- The project as a whole (commands/project.cpp). Each is refused
  // while playing (error 26).
  // A new, empty project: fresh lines, the master at unity without effects,
  // no undo history, 12.5 s long and 10 s in view.
  void NewProject();
  // Takes every clip off the time-line (with ask, after a question) and
  // releases the lines' and the master's effect lists; one undo step. True
  // when no clip is left.
  bool ClearProject(bool ask);
  // Reads a project file (positioned at its start) in place of the project:
  // folders lists the folders searched for moved media (the project's
  // first), *moved the moved files found so far (it grows); collectionPath
  // (MAX_PATH + 1, or null) receives the project's clip collection. Returns
  // the reader's code; 17 (cancelled) leaves the project unmodified, 18
  // tells that something was changed or left out on the way. reason (or
  // null) receives why the reader's code is not 0.
  int OpenProject(HMMIO file, PathRecord* folders, SynonymFile** moved, char* collectionPath,
                  std::string* reason = nullptr);
  // Writes the project to path (through a temporary file, so a failed save
  // leaves the old file); folder is the project's folder, collectionPath
  // its clip collection (null: none). False when it could not be written.
  bool SaveProject(const char* path, const char* folder, const char* collectionPath);
  // Makes films (a loaded list, emptied) the project: clips whose media no
  // longer fit lose them with a message under the caption (a UI string),
  // effect lists that cannot be opened are left out and listed once (from
  // components, which this frees), the lines and the view start afresh. A
  // result of 0 becomes 18 when something was left out.
  void ApplyLoadedProject(FilmListHead& films, int captionId, ComObjectEntry* components, int& result);
  // Reads the clips of a project file into the clip clipboard only, saying
  // which kinds of them do not fit the project. The reader's code, and in
  // reason (or null) why it is not 0.
  int CopyFromFile(HMMIO file, PathRecord* folders, SynonymFile** moved, std::string* reason = nullptr);

  // ---- Project parameters and master controls
  // (commands/project_parameters.cpp).
  // Asked before the frame rate changes: the clips with video do not fit
  // any more and go, after a question (cleared tells whether they went).
  // False when the change must not happen.
  bool ChangeVideoParameters(bool& cleared);
  // The same before the audio format changes; a change that keeps the
  // sample rate removes nothing.
  bool ChangeAudioParameters(bool sameRate, bool mono, bool& cleared);
  // Sets every effect list of the project and of films to the format it
  // plays in.
  void SetEffectFormats(FilmListHead& films);
  void CmMasterVolume();
  virtual void CmMasterEffects();
  virtual void CmUseMasterEffects();
  void CeUseMasterEffects(TCommandEnabler& ce);

  // ---- Selection and mark groups (commands/selection_groups.cpp).
  void CmSelectAll();
  void CmDeselectAll();
  void CmInvertSelection();
  void CmNextMarkGroup();
  void CmNextSelectionGroup();

  // ---- Edit decision lists (commands/edl.cpp). The frame opens the file
  // and builds the file lists (edl_format.h).
  // Writes the project; false when a line could not be written.
  bool ExportEdl(std::FILE* file, const EdlFileRecord* videoFiles, const EdlFileRecord* audioFiles);
  // Replaces the project by the list's clips: 0, 2, 6, or 26 while playing.
  // After an error the clips read before it stay, and the project is
  // modified.
  int ImportEdl(std::FILE* file, const EdlFileRecord* files);

 protected:
  // What the line windows answer for the window (input.cpp, modes.cpp): a
  // key for a drag in progress (true when a line took it), and the idle
  // redraw of a clip on the line of kind.
  virtual bool PassDragKey(int vk);
  virtual bool DrawPendingClipOn(int32_t kind, Film* film);

 private:
  // The response table of each concern's file.
  static const std::vector<TResponseTableEntry>& CoreEntries();
  static const std::vector<TResponseTableEntry>& LayoutEntries();
  static const std::vector<TResponseTableEntry>& FontEntries();
  static const std::vector<TResponseTableEntry>& InputEntries();
  static const std::vector<TResponseTableEntry>& ModeEntries();
  static const std::vector<TResponseTableEntry>& SmallHandlerEntries();
  static const std::vector<TResponseTableEntry>& TransportEntries();
  static const std::vector<TResponseTableEntry>& ViewCommandEntries();
  static const std::vector<TResponseTableEntry>& ToolEntries();
  static const std::vector<TResponseTableEntry>& MessageEntries();
  static const std::vector<TResponseTableEntry>& ExportEntries();
  static const std::vector<TResponseTableEntry>& ClipEditEntries();
  static const std::vector<TResponseTableEntry>& AudioClipEntries();
  static const std::vector<TResponseTableEntry>& AddMediaEntries();
  static const std::vector<TResponseTableEntry>& ProjectEntries();
  static const std::vector<TResponseTableEntry>& RangeEntries();
  static const std::vector<TResponseTableEntry>& ProjectParameterEntries();
  static const std::vector<TResponseTableEntry>& SelectionGroupEntries();

  // settings.cpp
  void LoadSettings();
  void LoadTools();
  void SaveTools();
  // fonts.cpp
  void LoadFonts();
  void SaveFonts();
  // The font logFont describes; false when the font system has none to give.
  bool ReplaceFont(std::unique_ptr<TFont>& font, const LOGFONT& logFont);
  // Runs the font chooser from font; true when the user chose one.
  bool PickFont(std::unique_ptr<TFont>& font, int maxPoints);
  // layout.cpp
  void MakeChildren();
  // W and H of text in the time font, in device units.
  TSize MeasureText(const char* text) const;
  void PlaceHeaderBoxes();
  // Places every group's rows, the audio group's from its first row shown.
  void PlaceRows();
  // The size event's work at the current client size: the layout, the
  // frame snapped to it, the visible span kept.
  void LayoutToClient();
  // drawing.cpp
  void LoadCursors();
  // input.cpp
  void EvLButtonUp(UINT keys, const TPoint& p);
  void EvMouseMove(UINT keys, const TPoint& p);
  void CmScrollLineUp();
  void CmScrollLineDown();
  void CmScrollLeft();
  void CmScrollRight();
  void EvScaleChange();
  // Tab: the one selected clip hands the selection to its neighbour on its
  // line (the previous one with back).
  void StepSelectedClip(bool back);
  // Which side of the time area a client x lies: -1 left, 1 right, 0 in.
  int SideOfTimeArea(int clientX) const;
  void StartScrollTimer();
  void StopScrollTimer();
  // One scroll step towards a pointer left or right of the time area; the
  // timer stops once it is back inside (false).
  bool ScrollTowardsPointer(int clientX);
  // modes.cpp
  void CmVolumeProfile();
  void CmBalanceProfile();
  void CmMultiselect();
  void CmAddPointMode();
  void CeVolumeProfile(TCommandEnabler& ce);
  void CeBalanceProfile(TCommandEnabler& ce);
  void CeMultiselect(TCommandEnabler& ce);
  void CeAddPointMode(TCommandEnabler& ce);
  // The frame's tool-bar button of a command shows its state anew.
  void RefreshToolButton(int id);
  // Redraws a clip where it lies, its sound untouched.
  void RepaintClip(Film* film);
  // small_handlers.cpp
  LRESULT EvParentNotify(WPARAM event, LPARAM point);
  void EvLButtonDown(UINT keys, const TPoint& p);
  void EvRButtonDown(UINT keys, const TPoint& p);
  void CmExportAvi();
  void CmExportMpeg();
  void CmExportWave();
  void CmZoomIn();
  void CmZoomOut();
  void CmAudioHeightDouble();
  void CmAudioHeightNormal();
  void CmAudioHeightHalf();
  void CmNextFrame();
  void CmPrevFrame();
  void CeNextFrame(TCommandEnabler& ce);
  void CePrevFrame(TCommandEnabler& ce);
  void CeStop(TCommandEnabler& ce);
  void CeNotPlaying(TCommandEnabler& ce);
  void CeMasterVolume(TCommandEnabler& ce);
  // commands/range.cpp
  void CeZoomInRange(TCommandEnabler& ce);
  void CeIncludeAllClips(TCommandEnabler& ce);
  void CeRangeAllTracks(TCommandEnabler& ce);
  void CeRangeActiveTracks(TCommandEnabler& ce);
  void CeRangeDisabled(TCommandEnabler& ce);
  // commands/range_remove.cpp
  // The range a command acts on, and with lines the active lines that take
  // part (null: every line); false when it has nothing to do.
  bool RangeToActOn(int32_t& start, int32_t& end, RangeLines* lines);
  // The removal of both forms; closeGap refuses what a cut could not do.
  bool RemoveRange(int32_t start, int32_t end, const RangeLines* lines, bool closeGap);
  // Either removal form: lines null for all lines, else filled with those
  // that took part.
  bool RemoveRangeOf(int32_t& start, int32_t& end, RangeLines* lines, bool closeGap);
  void CopyRange(bool activeOnly);
  void CutRange(bool activeOnly);
  void ClearRange(bool activeOnly);
  // commands/transport.cpp
  void CmPlay();
  void CmPlayStop();
  void CmRewind();
  void CmPlayToVtr();
  void CmVtrSetup();
  void CmShowMixer();
  void CePlay(TCommandEnabler& ce);
  void CeRewind(TCommandEnabler& ce);
  void CePlayToVtr(TCommandEnabler& ce);
  void CeShowMixer(TCommandEnabler& ce);
  LRESULT EvReplay(WPARAM, LPARAM);
  LRESULT EvPlayerDone(WPARAM, LPARAM);
  LRESULT EvWaveOutDone(WPARAM, LPARAM);
  LRESULT EvMidiOutDone(WPARAM, LPARAM);
  // The line filter of playback: every audio line takes part whatever its
  // solo and mute while those can change during the play.
  int32_t PlayFilter() const;
  // What Play plays: the selection, else the extent of the clips on the
  // active lines cut to the view. False when those lines hold no clip.
  bool GetPlayRange(int32_t& start, int32_t& end, int32_t filter);
  // The play timer's video state: 1 with no video held, 0 held without an
  // output, else the output's state.
  int32_t VideoState();
  // commands/messages.cpp
  LRESULT EvSetCursor(WPARAM, LPARAM time);
  LRESULT EvGetCursor(WPARAM, LPARAM);
  LRESULT EvStopRequest(WPARAM, LPARAM);
  LRESULT EvPlayRequest(WPARAM kind, LPARAM input);
  LRESULT EvPrepareRange(WPARAM, LPARAM);
  LRESULT EvRecordedFile(WPARAM time, LPARAM name);
  LRESULT EvRecorderDone(WPARAM code, LPARAM name);
  // commands/view_commands.cpp
  void CmShowVideo();
  void CmShowAudio();
  void CmAudioMeterClosed();
  void CmShowVideoWindow();
  void CmCloseVideoPreview();
  void CmRecordAudio();
  void CeRecordAudio(TCommandEnabler& ce);
  // Checks or clears a command's item in the frame's View menu.
  void CheckViewItem(int id, bool checked);
  // The frame's Previous and Next frame buttons go into its tool bar after
  // Stop, or out of it.
  void ShowFrameStepButtons(bool show);
  // commands/exports.cpp
  void CeExportAvi(TCommandEnabler& ce);
  void CeExportWave(TCommandEnabler& ce);
  // The range an export writes (the selection, else the whole project cut
  // down to its clips) with the lines kept; audioOnly: WAVE and AIFF. The
  // parts present, 0 when there is nothing to write.
  int32_t ExportRange(bool audioOnly, int32_t& start, int32_t& end, bool rows[2], bool lines[4]);
  // commands/tools.cpp
  void CmTool(WPARAM id);
  void CeTool(TCommandEnabler& ce);
  void CmConfigureTools();
  // The path setting of a tool's command; null for another command.
  char* ToolPath(int commandId);
  const char* ToolPath(int commandId) const;
  // Tools named by another system's programs become what this one has.
  void MapForeignTools();
  // main_timeline_window.cpp
  void ReleaseProject();
  void ShowFrameAtCursor();
  // commands/clip_edit.cpp
  void CmPaste();
  void CmInsert();
  void CmSplitClip();
  void CmSplit();
  void CmJoin();
  void CmUndo();
  void CmRedo();
  void CeDeleteCut(TCommandEnabler& ce);
  void CeCopy(TCommandEnabler& ce);
  void CePaste(TCommandEnabler& ce);
  void CeSplit(TCommandEnabler& ce);
  void CeJoin(TCommandEnabler& ce);
  void CeUndo(TCommandEnabler& ce);
  void CeRedo(TCommandEnabler& ce);
  // keepGroup: both parts stay in the clip's group.
  void SplitSelected(bool keepGroup);
  // The clip that would join a at its end, or null.
  Film* JoinPartner(Film* a) const;
  // commands/audio_clip_commands.cpp
  void CmDeleteProfile();
  void CmPasteEffects();
  void CmAddEffects();
  void CmDeleteEffects();
  void CmSetDeclickIn();
  void CmSetDeclickOut();
  void CmSetDeclickBoth();
  void CmClearDeclickIn();
  void CmClearDeclickOut();
  void CmClearDeclickBoth();
  void CeDeleteProfile(TCommandEnabler& ce);
  void CeAudioEffects(TCommandEnabler& ce);
  void CeAddPasteEffects(TCommandEnabler& ce);
  void CeDeleteEffects(TCommandEnabler& ce);
  void CeDeclick(TCommandEnabler& ce);
  void CeSetDeclickIn(TCommandEnabler& ce);
  void CeSetDeclickOut(TCommandEnabler& ce);
  void CeSetDeclickBoth(TCommandEnabler& ce);
  void CeClearDeclickIn(TCommandEnabler& ce);
  void CeClearDeclickOut(TCommandEnabler& ce);
  void CeClearDeclickBoth(TCommandEnabler& ce);
  // Sets (on) or clears the declick flags of which (1 in, 2 out) on the
  // selected sound clips that need it.
  void ChangeDeclick(int32_t which, bool on);
  // Pastes (add false) or appends the effect clipboard to the selected
  // sound clips.
  void PutEffects(bool add);
  // The audio lines are drawn again and the project is modified.
  void AudioClipsChanged();
  // commands/add_media.cpp
  // Holds clip (owned) and lets the mouse carry it.
  void HoldClip(ClipItem* clip);
  // commands/project.cpp
  // The lines' and the master's effect lists released, the audio engine
  // told first.
  void ReleaseProjectEffects();
  // Heights and places of every row again, the lines beyond those in use
  // muted, the overview and the frame sized for them.
  void LayoutProjectLines();
  // The view after a project was made or loaded: cursor at 0, the length at
  // least length, [0, viewEnd) in view, no selection range.
  void ShowNewProject(int32_t length, int32_t viewEnd);
  // A popup menu of the frame (kViewMenuPosition ...); null without one.
  HMENU FrameMenu(int position);
  // The check of Use master effects in the frame's Command menu.
  void ShowMasterEffectsUse();
  // commands/drop_clips.cpp
  // Puts film (made for a clip at its start, unlinked) onto the time-line
  // as a drop does; dropEnd is its start plus the clip's length. With
  // ripple, the later clips of the lines it collides with over
  // [start, dropEnd) move right first. False when the film could not be
  // linked (it is then deleted).
  bool PlaceDroppedFilm(Film* film, int32_t dropEnd, bool ripple);
  // A screen point between the top of the lines and the scroll bar below.
  bool OverLines(int x, int y);
  int32_t DropParts(int x, int y, const ClipItem* clip);

  TimeLineEngine engine_;
  TimeLineSettings settings_;
  FilmHost* previousHost_ = nullptr;

  // Children, owned by the window tree.
  TFullSizeLine* overview_ = nullptr;
  TSelStartText* selStartText_ = nullptr;
  TSelSizeText* selSizeText_ = nullptr;
  TButton* setSizeButton_ = nullptr;
  TEScaleList* scaleList_ = nullptr;
  TTimeCode* timeCode_ = nullptr;
  TCurTimeText* curTimeText_ = nullptr;
  TSelectionLine* selectionLine_ = nullptr;
  TSelectionText* selectionText_ = nullptr;
  TAVButtons* vfxHeader_ = nullptr;
  TVFXLine* vfxLine_ = nullptr;
  TAVButtons* videoHeader_ = nullptr;
  TVideoLine* videoLine_ = nullptr;
  TAVButtons* midiHeader_ = nullptr;
  TMidiLine* midiLine_ = nullptr;
  TAVButtons* audioHeader_ = nullptr;
  TAudioLines* audioLines_ = nullptr;
  TScrollBar* hScroll_ = nullptr;
  TScrollBar* vScroll_ = nullptr;
  std::vector<TButton*> zoomButtons_;

  bool settingUp_ = false;
  bool released_ = false;

  std::unique_ptr<ClipItem> heldClip_;
  bool buttonPressed_ = false;

  // The rubber band: its anchor and current point on the screen.
  bool bandActive_ = false;
  bool bandDrawn_ = false;
  POINT bandCurrent_{0, 0};
  POINT bandAnchor_{0, 0};

  // Geometry: the time text's width W and height, the cell width (twice
  // two thirds of W), the system's border and scroll-bar sizes.
  int timeTextWidth_ = 0;
  int timeTextHeight_ = 0;
  int cellWidth_ = 0;
  int rulerHeight_ = 0;
  int selectionRowHeight_ = 9;
  int overviewRowHeight_ = 0;
  int lineAreaTop_ = 0;
  int headerWidth_ = 0;
  int borderX_ = 1;
  int borderY_ = 1;
  int hScrollHeight_ = 16;
  int vScrollWidth_ = 16;
  int32_t rulerSubdivisions_ = 2;
  int32_t resizeGuard_ = kResizeGuardStart;

  std::unique_ptr<TFont> timeFont_;
  std::unique_ptr<TFont> clipFont_;

  struct DrawingObjects;
  std::unique_ptr<DrawingObjects> drawing_;
};

// The program's one time-line window; null while there is none.
extern MainTimeLineWindow* TheTimeLine;
