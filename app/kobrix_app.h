// The application object: the project and collection frames, the autosave
// settings and counters, the time format and frame rate, the help state,
// and the commands that apply to the whole program. It is the one place
// where the project's frame rate and audio format change, so that the
// time-line, the players and the clip collection follow together.
// Main thread only.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <string>

#include "app/autosave.h"
#include "app/clip_frame.h"
#include "platform/classlib/application.h"

class TMainFrame;
class MainTimeLineWindow;
class VideoData;
struct PathRecord;
struct SynonymFile;

// What start-up was asked on the command line, and the program-wide values
// of the version query; set by OwlMain before the application runs.
extern char StartupProjectPath[260];
extern char CommandLineExportPath[260];
extern int32_t CommandLineMode;
extern int32_t WindowsPlatform;
extern uint32_t WindowsMajorVersion;
extern uint32_t WindowsMinorVersion;

// What the help program is asked.
constexpr uint32_t kHelpContext = 1;
constexpr uint32_t kHelpQuit = 2;
constexpr uint32_t kHelpContents = 3;
constexpr uint32_t kHelpOnHelp = 4;

// How the help's opener ended (the frame hands it on with its message).
constexpr int kHelpFailed = 0;
constexpr int kHelpOpened = 1;
constexpr int kHelpUnknown = 2;  // it was not seen to end

// Opens the help at a context for the dialogs; nonzero when the opener
// started.
int ShowHelpContext(uint16_t context);

// The collection shell of the program: the clip frame shows what the
// collection tells it, and the application answers for the rest.
class ProgramCollectionShell : public ClipFrameShell {
 public:
  bool SavePostage() override;
  bool SaveWaveform() override;
  void SetFrameRateFromVideo(VideoData* video) override;
  void SetAudioFormat(int rate, int channels, int sampleType) override;
};

// Set (from any thread) when the program is to end as a close that asks no
// questions; the frame's close then lets unsaved changes go.
void RequestQuietClose();
bool QuietCloseRequested();

class kobrix32App : public TApplication, public AutosaveHost, public ClipFrameHost {
 public:
  kobrix32App();
  ~kobrix32App() override;

  void InitMainWindow() override;
  bool CanClose() override;
  bool IdleAction(long idleCount) override;
  bool MenuIdle(HWND owner) override;
  bool ProcessAppMsg(MSG& msg) override;

  TMainFrame* MainFrame() const { return mainFrame; }
  TClipFrame* ClipFrame() const { return clipFrame; }
  MainTimeLineWindow* TimeLine() const;

  // Asks to save the project, then the collection; false on Cancel.
  bool AskSaveAll();
  // The program is told to end (a signal): playback stops and the changes
  // are let go, so that the close asks nothing; unsaved work stays as the
  // autosave for the next start.
  void DropChangesForQuietClose();
  // When the project or the collection holds unsaved work, the autosave is
  // brought up to it and kept for the next start to offer.
  void KeepUnsavedWork();
  void SaveSettings();
  void CmSaveOptions();
  void CmShowProject();
  void ShowClipCollection(bool load);
  // An empty name closes the collection.
  void OpenEmbeddedCollection(const char* name, PathRecord* folders, SynonymFile** moved);
  // Empties the collection frame's collection when there is one.
  void CloseCollection();
  // The current collection's file (empty: none or untitled).
  const char* CollectionName() const { return CollectionFileData().FileName; }
  void ClearCollectionName() { CollectionFileData().FileName[0] = '\0'; }
  // The restored autosave's collection is untitled and modified.
  void MarkCollectionRestored();
  // Saves the collection as path (the project's ".prc"), or under its own
  // name when path is null. The name saved under; empty when none.
  std::string SaveCollection(const char* path);
  bool AutoSave(bool forced);
  // Deletes the autosave files, or moves them beside a new temporary file.
  void DeleteAutosaveFiles(const char* newTempPath);

  void SetTimeFormat(int32_t format);
  void SetFrameRate(float fps);
  void SetFrameRateFromVideo(VideoData* video);
  void SetAudioFormat(int32_t rate, int32_t sampleCode, int32_t exportType);
  // Opens the help at a context with parent as owner: starts the desktop's
  // opener and returns at once; nonzero when it started. Its end comes back
  // through HelpOpenerEnded.
  int ShowHelp(HWND parent, uint32_t command, uint32_t context);
  // The opener id of ShowHelp ended: a success marks the help open, a
  // failure says "Can not launch".
  void HelpOpenerEnded(uint32_t id, int outcome);

  // AutosaveHost.
  bool TimeLineCapturing() override;
  void SaveOptions() override { CmSaveOptions(); }
  void AppendStatusText(const char* text) override;
  bool HasClipFrame() override { return clipFrame != nullptr; }
  bool AutoSaveCollection(std::string& name) override;
  bool AutoSaveProject(const char* collectionName) override;
  bool DrawPendingClip() override;
  void ClipFrameIdle(long idleCount) override;
  bool LibraryIdle(long idleCount) override { return TApplication::IdleAction(idleCount); }

  // ClipFrameHost.
  void ShowProject() override { CmShowProject(); }
  void SetMessengerCollection(HWND collection) override;
  void ClipFrameDestroyed(TClipFrame* frame) override;
  void ReapplyTimeSettings() override;

  // Fields, in the order start-up reads them.
  TMainFrame* mainFrame = nullptr;
  TClipFrame* clipFrame = nullptr;
  // The autosave settings and counters.
  Autosave autosave{*this};
  bool helpOpen = false;
  bool helpMode = false;
  std::string helpFile;
  ProgramCollectionShell collectionShell;

 private:
  void CmExit();
  void CeExit(TCommandEnabler& ce);
  void CmHelpOverview();
  void CmHelpContents();
  void CmHelpOnHelp();
  void CmAbout();
  void CmTimeFormat(WPARAM id);
  void CeTimeFormat(TCommandEnabler& ce);
  void CmShowCollection();
  // The help openers still running: who asked, and what was run.
  struct HelpOpening {
    HWND parent;
    std::string call;
  };
  std::map<uint32_t, HelpOpening> helpOpenings_;
  // A clip frame that ended, deleted once its own call has returned.
  TClipFrame* endedClipFrame_ = nullptr;
  // Wakes the idle processing each second, so that the autosave period is
  // met while no input arrives.
  UINT_PTR idleTimer_ = 0;

  DECLARE_RESPONSE_TABLE(kobrix32App);
};

// The running application; null outside OwlMain.
extern kobrix32App* TheApp;
