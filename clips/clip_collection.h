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
//   collection_sort.cpp     sorting
// Each concern's file lists the messages and commands it answers in a table
// of its own, which Find searches in turn.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "clips/clip_window.h"
#include "model/edit_operations.h"
#include "model/path_record.h"
#include "platform/classlib/window.h"
#include "platform/riff/riff.h"

class Film;
class MainTimeLineWindow;
class TEScrollWindow;
class TCommandEnabler;

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
  // folder; moved is the load's moved-file list, in and out.
  int Read(HMMIO file, PathRecord* folders, SynonymFile** moved);

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

  // ---- Sorting (collection_sort.cpp).
  void SortByType();
  // Auto Sort on or off; turning it on sorts.
  void ToggleAutoSort();

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

 private:
  static const std::vector<TResponseTableEntry>& LayoutEntries();

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

  MainTimeLineWindow* timeLine_;
  TEScrollWindow* scrollWindow_ = nullptr;
  std::vector<ClipWindow*> tiles_;

  int viewMode_ = kViewBasicInfo;
  int skipMode_ = kSkipNone;
  bool inLayout_ = false;
  bool caretShown_ = false;
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
