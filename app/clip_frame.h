// TClipFrame: the second top-level window, a decorated frame around the clip
// collection (ClipCollection, in its scroll window), with its own menu, key
// table, tool bar, status bar and caption, and the collection's file
// commands on ".prc" files: new, open, add another collection's clips, save,
// save as, four recent collections, add a source file, dropped files.
//
// The current collection's name is the file name of the program-wide record
// CollectionFileData, which the project frame also reads and writes when a
// project names its collection.
//
// Main thread only.
#pragma once

#include <string>

#include "clips/collection_shell.h"
#include "platform/classlib/classlib.h"
#include "ui/file_dialogs.h"

class ClipCollection;
class MainTimeLineWindow;
struct PathRecord;
struct SynonymFile;

// The collections' file-dialog record: filter UI string 17, extension
// "prc"; its file name is the current collection's (empty: none or
// untitled).
FileData& CollectionFileData();

// The recent collections of the File menu (FILE1 to FILE4).
constexpr int kRecentCollections = 4;

// What the clip frame asks of the application.
class ClipFrameHost {
 public:
  virtual ~ClipFrameHost() = default;
  // F6: the project frame restored and focused (CmShowProject).
  virtual void ShowProject() = 0;
  // The messenger's reference to the collection window (null: none).
  virtual void SetMessengerCollection(HWND collection) = 0;
  // The frame's window is going: the application forgets the frame. The
  // object stays; the application deletes it later, never inside this call.
  virtual void ClipFrameDestroyed(class TClipFrame* frame) = 0;
  // The time format and the frame rate applied again, so that a new
  // collection shows them (SetTimeFormat and SetFrameRate).
  virtual void ReapplyTimeSettings() = 0;
};

class TClipFrame : public TDecoratedFrame {
 public:
  // The frame's own commands, its recent collections (built at run time)
  // and its icon.
  static constexpr int kCmAddFromCollection = 211;
  static constexpr int kCmRecentCollection1 = 214;  // to 217
  static constexpr int kCmShowProject = 853;
  static constexpr int kCmHelp = 916;
  static constexpr int kCmNewCollection = 24331;
  static constexpr int kCmOpenCollection = 24332;
  static constexpr int kCmSaveCollection = 24333;
  static constexpr int kCmSaveCollectionAs = 24334;
  static constexpr int kIcon = 1002;
  // Buttons of its tool bar that the application answers: the project
  // window and the time formats.
  static constexpr int kCmProjectWindow = 852;
  static constexpr int kCmTimeInFrames = 421;
  static constexpr int kCmTimeInSmpte = 422;
  static constexpr int kCmTimeInMs = 423;

  // collection: the collection window, whose scroll window becomes the
  // client. Reads the frame's keys of section CLIP_COLLECTION.
  TClipFrame(ClipFrameHost& host, ClipCollection* collection);
  ~TClipFrame() override;

  ClipCollection* Collection() const { return collection_; }
  TControlBar* ToolBar() const { return toolBar_; }
  TStatusBar* StatusBar() const { return statusBar_; }
  const char* RecentFile(int index) const { return recent_[index]; }

  void SetupWindow() override;
  bool CanClose() override;
  void Destroy(int retVal = 0) override;
  // Menu commands reach the collection window first.
  TWindow* GetCommandTarget() override;

  // "Clip Collection * name" (modified) or "- name"; the file name alone
  // when the path does not fit.
  void SetCaption(const char* name, bool modified);
  // Puts path first in the recent collections (an empty path only rebuilds
  // the menu; "autosave.prc" never enters).
  void AddRecentFile(const char* path);
  // Every tile goes, unasked; untitled and not modified.
  void CloseCollection();
  // Reads path with its own folder searched first (replace: it becomes the
  // current collection; else its clips are added).
  void OpenCollectionFile(const char* path, bool replace);
  // The same with the caller's searched folders (their first becomes the
  // file's folder) and moved files (in and out), as a project's load has them.
  void ReadCollectionFile(const char* path, bool replace, PathRecord* folders, SynonymFile** moved);
  // Saves under path (empty: Save as); false when nothing was saved.
  bool SaveCollectionFile(const char* path);
  // Asks to save a modified collection: false for Cancel, and for Yes when
  // the save then failed or was cancelled.
  bool AskSave();
  // A media file as a new tile at the end (flag: the parts to leave out).
  // Dropped files come this way; Add source File (213) reaches the
  // collection window first, which adds after the selected tile.
  void AddSourceFile(const char* path, int flag);
  void SaveSettings();
  // Writes the collection as "autosave.prc" without touching its modified
  // flag; name is then the file written.
  bool AutoSave(std::string& name);

  // What the collection shows in its frame (the application's collection
  // shell passes these on): the caption's modified mark, the selected clip's
  // times in the status fields and its path in the message area, and the
  // state of the view, skip and time-format buttons.
  void ShowModified(bool modified);
  void ShowClipStatus(const char* in, const char* out, const char* duration, const char* path);
  void RefreshButtons();

 protected:
  void CmNewCollection();
  void CmOpenCollection();
  void CmAddFromCollection();
  void CmSaveCollection();
  void CmSaveCollectionAs();
  void CmOpenRecent(WPARAM id);
  void CmShowProject();
  void CmHelp();
  void CeNotPlaying(TCommandEnabler& ce);
  void CeSave(TCommandEnabler& ce);
  void EvDropFiles(HDROP drop);
  void EvSetFocus(HWND lost);
  void EvPaletteChanged(HWND changer);

 private:
  bool Playing() const;
  HMENU FileMenu() const;
  // The save dialog, then the save; false when cancelled or not saved.
  bool SaveAs();

  ClipFrameHost& host_;
  ClipCollection* collection_;
  TControlBar* toolBar_ = nullptr;
  TStatusBar* statusBar_ = nullptr;
  TTextGadget* inField_ = nullptr;
  TTextGadget* outField_ = nullptr;
  TTextGadget* timeField_ = nullptr;
  char recent_[kRecentCollections][MAX_PATH] = {};
  bool maximized_ = false;

  DECLARE_RESPONSE_TABLE(TClipFrame);
};

// kobrix32App::ShowClipCollection: the first call makes the collection
// window with the time-line as its partner and the frame around it (icon
// 1002), re-applies the time settings, starts untitled and not modified and,
// with load, reads the current collection. Every call then shows the frame
// (restored, or minimised in a command-line mode) and focuses it. Returns
// the frame (frame when it existed).
TClipFrame* ShowClipFrame(TClipFrame* frame, ClipFrameHost& host, MainTimeLineWindow* timeLine, bool load,
                          bool commandLineMode);

// The collection's frame-side display passed on to the clip frame (none
// while frame is null). The application derives its collection shell from
// it and adds its own answers (what a saved collection keeps, the project's
// frame rate and audio format).
class ClipFrameShell : public CollectionShell {
 public:
  TClipFrame* frame = nullptr;
  void ShowModified(bool modified) override;
  void ShowViewMode(int mode) override;
  void ShowSkipMode(int skipMode) override;
  void ShowClipStatus(const char* in, const char* out, const char* duration, const char* path) override;
};
