// ClipCollection: the window of the clip collection. It shows its clips as
// a grid of tiles (ClipWindow), owns the tiles, the tile font and text
// colour, the view mode and the Auto Sort and Skip options, the selection
// and its caret, lays the tiles out, and saves and reads ".prc" files. It
// lives in a scrolling window (TEScrollWindow) that it makes and that the
// clip frame takes as its client; the collection window is sized to its
// content and scrolled inside it.
//
// The class is split into files by concern:
//   clip_collection.cpp     construction, settings, teardown, the tile array,
//                           what the time-line and the Film model ask of it
//   collection_layout.cpp   view modes, layout, hit tests, selection and
//                           caret, painting and redraws
//   collection_file.cpp     the ".prc" file and a clip's records in it
//   collection_clips.cpp    adding files, pasting time-line clips, deleting,
//                           refreshing and redrawing the tiles of a source
//   collection_mouse.cpp    focus, mouse and keys: selecting, moving tiles,
//                           dragging a tile onto the time-line
//   collection_edit.cpp     the clipboard, previews, properties, font and colour
//   collection_menu.cpp     the context menu, purge, the project's parameters
//                           from a clip, editors for a clip, the Skip option
//   collection_sort.cpp     sorting
//   collection_requests.cpp converters and what other windows ask
// Each concern's file lists the messages and commands it answers in a table
// of its own, which Find searches in turn.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clips/clip_window.h"
#include "media/video_data.h"
#include "model/edit_operations.h"
#include "model/path_record.h"
#include "platform/classlib/window.h"
#include "platform/riff/riff.h"

class AudioSource;
class Film;
class MainTimeLineWindow;
class TEScrollWindow;
class TCommandEnabler;
class VideoSource;

// Skip options: the part of a tile dropped on the time-line that stays out.
constexpr int kSkipNone = 0;
constexpr int kSkipVideo = 1;
constexpr int kSkipAudio = 2;

// The section of the collection's settings.
constexpr const char* kCollectionSection = "CLIP_COLLECTION";

class ClipCollection : public TWindow, public ClipCollectionTarget {
 public:
  // timeLine: the project's time-line (null: none). orientation 1 fills
  // rows and wraps downwards; any other value fills columns.
  explicit ClipCollection(MainTimeLineWindow* timeLine, int orientation = 1);
  ~ClipCollection() override;

  // ---- The window's life, the options and the tile array (clip_collection.cpp).
  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;
  // The window goes (closed, or with its frame): saves the settings and
  // deletes every tile.
  void CleanupWindow() override;
  bool Find(TEventInfo& info) override;
  // Writes the collection's keys and flushes the settings file.
  void SaveSettings();

  TEScrollWindow* GetScrollWindow() const { return scrollWindow_; }
  MainTimeLineWindow* TimeLine() const { return timeLine_; }
  bool IsModified() const { return modified_; }
  // A change of the flag shows in the frame's caption; setting it also
  // tells the autosave.
  void SetModified(bool modified);
  bool AutoSort() const { return autoSort_; }
  int SkipMode() const { return skipMode_; }
  int Orientation() const { return orientation_; }

  int TileCount() const { return static_cast<int>(tiles_.size()); }
  ClipWindow* Tile(int index) const;
  int IndexOf(const ClipWindow* tile) const;
  // The only ways tiles enter and leave the array; neither lays out nor
  // marks the collection modified. A negative index appends. A detached
  // tile belongs to the caller.
  void InsertClip(ClipWindow* tile, int index);
  ClipWindow* DetachClip(int index);

  // The tile font and the text colour of the names in Small icons, shared
  // by every tile.
  static HFONT TileFont();
  static COLORREF TileTextColor();
  // Makes the tile font from lf (the old System font at its old size
  // becomes the usual one), measures the info texts with it and, when the
  // window exists, lays the tiles out again.
  void SetTileFont(const LOGFONT& lf);
  void SetTileTextColor(COLORREF color);

  // ---- View modes, layout, selection and painting (collection_layout.cpp).
  int GetViewMode() const { return viewMode_; }
  // Held to 1..4; every tile takes the mode, then the tiles are laid out.
  void SetViewMode(int mode);
  // Places every tile; backwards only moves them last to first.
  void Layout(bool backwards);
  // The tile index of a point of the client area (its cell's, held to the
  // last column and the last tile); -1 without tiles.
  int HitTest(const TPoint& point);
  // Held to the tiles; -1 without tiles.
  void SetSelection(int index);
  int GetSelection() const { return selection_; }
  // While the window has the focus: the caret around the selected tile and
  // its times and path in the frame's status fields.
  void UpdateCaret();
  void PlaceCaret(int x, int y, int width, int height);
  bool CaretShown() const { return caretShown_; }
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  // Repaints the window and every tile (a tile's colours tell whether its
  // sources play directly, which the project's formats decide).
  void RedrawClips();
  void RealizePalettes();
  int Columns() const { return columns_; }
  int Rows() const { return rows_; }
  TSize CellSize() const { return TSize(cellWidth_, cellHeight_); }
  TSize Gap() const { return TSize(gapX_, gapY_); }

  // ---- The ".prc" file (collection_file.cpp).
  // Writes the whole file from the file's position; paths under directory
  // (with its separator; "" keeps every path whole) are stored relative to
  // it. Clears the modified flag unless keepModified. False at a short write.
  bool Write(HMMIO file, const char* directory, bool keepModified);
  // Adds the clips of a file after the tiles there: 0 or the error to show
  // (6, 19, 2 or the waveform reader's). folders starts with the file's own
  // folder; moved is the load's moved-file list, in and out. reason (or
  // null) receives why the result is not 0: the record, its offset and
  // what was wrong with it.
  int Read(HMMIO file, PathRecord* folders, SynonymFile** moved, std::string* reason = nullptr);

  // ---- Adding, pasting and removing clips (collection_clips.cpp).
  // A media file as a new tile after insertAfter (-1: at the end); skipMask
  // bits (1 video, 2 audio, 4 MIDI) leave parts unopened. True also when
  // the file is there already and the user declines a second tile.
  bool AddFile(const char* path, int insertAfter, int skipMask);
  // The clip open dialog, then AddFile; false while the project plays.
  bool AskAndAddFile(int insertAfter);
  // A copy of a time-line clip as a new tile after the selected one. answer
  // is the batch's shared answer to the duplicate question: 0 ask, above 0
  // add every duplicate, below 0 leave them out.
  bool PasteClip(Film* film, int* answer) override;
  bool DeleteClip(int index, bool ask);
  // Reads a tile's clip again after its file changed.
  bool RefreshClip(int index);
  // False only when the user declined.
  bool DeleteAll(bool ask);
  // Repaints at once the tiles that use the source in that part.
  void RedrawClipsOfVideo(VideoData* source);
  void RedrawClipsOfAudio(AudioData* source);
  void RedrawClipsOfMidi(MidiData* source);
  // The tiles of a changed video file let go of their pictures.
  void DropThumbnails(VideoData* source);
  // Updates the window and then every tile at once.
  void UpdateAll();

  // ---- Focus, mouse and keys (collection_mouse.cpp).
  // Moves the selected tile to index (held to the tiles).
  void MoveClip(int index);
  // Whether a screen point lies in the client area of the clip frame.
  bool IsOverFrame(const TPoint& screenPoint) const;
  bool ButtonDown() const { return buttonDown_; }
  bool ScrollTimerRunning() const { return timerRunning_; }

  // ---- The clipboard, previews, properties, font and colour (collection_edit.cpp).
  // The clipboard becomes the selected clip alone.
  void CmCopy();
  // The selected clip after the clipboard's items of its parts.
  void CmAdd();
  // Every clipboard item as a tile.
  void CmPaste();
  // Stops the project or a preview, else previews the selected clip.
  void CmPlay();
  void CmStop();
  void CmFont();
  void CmColor();
  // The property sheet of a tile; true when closed with OK.
  bool ShowClipProperties(int index);

  // ---- Menus and clip commands (collection_menu.cpp).
  // Removes the tiles whose sources no item of the project uses, asking
  // first (Yes/No/Cancel with yesNo, else OK/Cancel). False when cancelled.
  bool Purge(bool yesNo);
  void SetSkipMode(int mode);
  void CmVideoParamsFromClip();
  void CmAudioParamsFromClip();
  // The configured editor of command id (712 audio, 713 MIDI, 714 video)
  // on the selected clip's file.
  void LaunchToolForClip(WPARAM id);

  // ---- Sorting (collection_sort.cpp). Neither marks the collection modified.
  // By name without regard to case; equal names keep their order.
  void SortByName();
  // By name, then pictures with sound, pictures, sounds, MIDI.
  void SortByType();
  // Auto Sort on or off; turning it on sorts.
  void ToggleAutoSort();

  // ---- Converters and requests of other windows (collection_requests.cpp).
  void CmConvertWave();
  void CmConvertAvi();
  void CmConvertCamcorderAvi();
  // A video source took a new frame rate (it holds it already): the times
  // of its tiles follow it, and the clipboard and the undo history forget
  // the source.
  void VideoRateChanged(VideoData* source, float formerRate);
  // A tile for a file's open sources (each may be null); false, with
  // nothing added, without a name or a source. Lays nothing out.
  bool AddClipFromSources(const char* name, AudioSource* audio, VideoSource* video);
  // Tiles at the end for a chain of source records (next, name, audio,
  // video), as the edit decision list import builds it.
  template <class Record>
  void NewClipFromSources(const Record* list) {
    bool added = false;
    for (const Record* r = list; r != nullptr; r = r->next)
      added = AddClipFromSources(r->name, r->audio, r->video) || added;
    if (added) LayoutOrSort();
  }
  // Another instance's file: pasted from its open sources, else added; the
  // project then takes its frame rate and sound format when it has none.
  void AddExternalFile(const char* name);

  // ---- What the time-line and the Film model ask of the collection.
  HWND Window() override { return HWindow; }
  int32_t ClipCount() override { return TileCount(); }
  ClipItem* ClipAt(int32_t index) override;
  ClipItem* TakeClip(int32_t index) override;
  void RelayoutClips() override { Layout(false); }
  void MarkClipsModified(bool modified) override { SetModified(modified); }
  bool RefreshClipAt(int32_t index) override { return RefreshClip(index); }
  void DeleteClipAt(int32_t index) override { DeleteClip(index, false); }

 protected:
  void EvSize(UINT sizeType, const TSize& size);
  void CmViewMode(WPARAM id);
  void CeViewMode(TCommandEnabler& ce);
  // collection_mouse.cpp
  void EvSetFocus(HWND lost);
  void EvKillFocus(HWND gaining);
  LRESULT EvParentNotify(WPARAM event, LPARAM point);
  void EvKeyDown(UINT key, UINT repeat, UINT flags);
  void EvLButtonDblClk(UINT keys, const TPoint& point);
  void EvLButtonDown(UINT keys, const TPoint& point);
  void EvLButtonUp(UINT keys, const TPoint& point);
  void EvMouseMove(UINT keys, const TPoint& point);
  void EvTimer(UINT id);
  // collection_edit.cpp
  void CmProperties();
  void CeSelected(TCommandEnabler& ce);
  void CePaste(TCommandEnabler& ce);
  void CePlay(TCommandEnabler& ce);
  void CeStop(TCommandEnabler& ce);
  void CeProperties(TCommandEnabler& ce);
  void CeAlways(TCommandEnabler& ce);
  // collection_menu.cpp
  void EvRButtonDown(UINT keys, const TPoint& point);
  void EvInitMenuPopup(HMENU popup, UINT index, bool sysMenu);
  void CmPurge();
  void CmAddSourceFile();
  void CmDelete();
  void CmSkipMode(WPARAM id);
  void CeSkipMode(TCommandEnabler& ce);
  void CeNotPlaying(TCommandEnabler& ce);
  void CeDelete(TCommandEnabler& ce);
  void CeVideoParams(TCommandEnabler& ce);
  void CeAudioParams(TCommandEnabler& ce);
  void CeTool(TCommandEnabler& ce);
  // collection_sort.cpp
  void CmAutoSort();
  void CeAutoSort(TCommandEnabler& ce);
  // collection_requests.cpp
  LRESULT EvAddFile(WPARAM, LPARAM path);
  LRESULT EvRequest(WPARAM code, LPARAM name);

 private:
  static const std::vector<TResponseTableEntry>& LayoutEntries();
  static const std::vector<TResponseTableEntry>& MouseEntries();
  static const std::vector<TResponseTableEntry>& EditEntries();
  static const std::vector<TResponseTableEntry>& MenuEntries();
  static const std::vector<TResponseTableEntry>& SortEntries();
  static const std::vector<TResponseTableEntry>& RequestEntries();

  // The project plays on the time-line.
  bool ProjectPlaying() const;
  // The selected tile's clip; null without one.
  ClipData* SelectedClip() const;
  // Whether the tool of command id has a program and the project does not play.
  bool ToolConfigured(int id) const;
  // Lays the tiles out, or sorts them while Auto Sort is on.
  void LayoutOrSort();

  // clip_collection.cpp
  void LoadSettings();
  // Saves the settings and deletes the tiles, once.
  void Release();
  // collection_layout.cpp
  void HideCaretIfShown();
  void ShowCaretIfShown();
  // A tile's window rectangle in the collection's client coordinates.
  TRect TileRect(const ClipWindow* tile) const;
  // collection_clips.cpp
  // Marks modified, selects the new tile at position and inserts it there,
  // then lays out (backwards when it went into the first half) or sorts.
  void PlaceNewTile(ClipWindow* tile, int position);
  // collection_mouse.cpp
  void StopScrollTimer();
  // The selected tile's clip shown to the time-line at a screen point, or
  // dropped there, with the parts of the Skip option left out meanwhile.
  void ShowOverTimeLine(const TPoint& screenPoint);
  void DropOnTimeLine(const TPoint& screenPoint);
  // The time-line forgets the dragged tile.
  void ClearTimeLineFeedback();
  // The x of a screen point in the time-line's time area (0 at its left
  // edge).
  int TimeAreaOffset(const TPoint& screenPoint) const;

  MainTimeLineWindow* timeLine_;
  TEScrollWindow* scrollWindow_ = nullptr;
  std::vector<ClipWindow*> tiles_;

  int viewMode_ = kViewBasicInfo;
  int skipMode_ = kSkipNone;
  bool inLayout_ = false;
  bool caretShown_ = false;
  bool buttonDown_ = false;
  bool timerRunning_ = false;
  bool overTimeLine_ = false;
  HMENU contextMenu_ = nullptr;  // while it is shown
  bool autoSort_ = false;
  bool modified_ = false;
  bool released_ = false;
  int orientation_ = 1;
  int columns_ = 1;
  int rows_ = 1;
  int cellWidth_ = 100;
  int cellHeight_ = 100;
  int gapX_ = 4;
  int gapY_ = 4;
  int selection_ = 0;
};

// The program's one collection window; null while there is none.
extern ClipCollection* TheClipCollection;
