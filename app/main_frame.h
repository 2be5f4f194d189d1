// The project frame: the program's main window, a decorated frame around
// the time-line window with the menu, the tool bar, the status bar and a
// caption that shows the project's name and whether it is modified. It owns
// the project's file commands, the question to save, dropped files, the
// re-check of media files when the program comes back to the front, the
// settings of section MAIN_WINDOW that no other object owns, and its
// private requests (WM_USER + 99), among them the end of start-up.
//
//   main_frame.cpp           construction, set-up, settings, caption, recent
//                            files, drops, activation, system commands
//   main_frame_files.cpp     new, open, close, save, copy from a file, EDL
//   main_frame_requests.cpp  the requests: start-up, the command line,
//                            other instances, the re-check of media files
//
// Main thread only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/classlib/frame.h"
#include "platform/classlib/gadgets.h"
#include "timeline/commands/command_host.h"
#include "timeline/window/main_timeline_window.h"
#include "ui/file_dialogs.h"

class kobrix32App;
struct EdlFileRecord;

constexpr int kRecentFileCount = 4;

// Whether the board's mixer serves as the volume control; the frame loads it
// from and stores it to its INI section, the Audio page changes it.
extern bool UseBoardMixer;
// Set while the board is handed over to another instance.
extern bool BoardHandedOver;

class TMainFrame : public TDecoratedFrame, public FrameStepButtons, public ProjectFrameView {
 public:
  TMainFrame(kobrix32App* app, MainTimeLineWindow* timeline);
  ~TMainFrame() override;

  const char* GetClassName() override;
  // Which messages another instance may send to the frame (peers.h).
  static bool AcceptsPeerMessage(UINT msg, WPARAM wParam, bool lParamIsText);
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;
  bool CanClose() override;
  void Destroy(int retVal = 0) override;

  MainTimeLineWindow* TimeLine() const { return timeline_; }
  // The project's name (empty: untitled).
  const char* ProjectName() const { return projectFile_.FileName; }
  void SetProjectName(const char* path);
  FileData& ProjectFile() { return projectFile_; }
  const char* RecentFile(int n) const { return recent_[n]; }

  // "Velmora AV Studio * name": "*" modified, "-" saved; the name as
  // given, or only the file's name when the whole does not fit.
  void SetCaption(const char* name, bool modified);
  // Puts path first among the recent files and rebuilds the menu (an empty
  // path only rebuilds it).
  void AddRecentFile(const char* path);
  void OpenProjectFile(const char* path);
  void SaveProjectFile(const char* path);
  // Asks to save a modified project: false on Cancel, or when Yes could not
  // save it.
  bool AskSave();
  void SaveSettings();
  // Writes the project as the autosave file, naming collectionName (empty:
  // none) as its collection; the modified flag stays.
  bool AutoSave(const char* collectionName);
  void ImportEdlFile(const char* path);
  void ExportEdlFile(const char* path);
  // The file section of an edit decision list: 0 or an error code; the
  // entries opened are put in *list (freed with FreeEdlFiles).
  int ReadEdlFiles(std::FILE* file, EdlFileRecord** list);
  static void FreeEdlFiles(EdlFileRecord* list);

  // WM_USER + 99.
  LRESULT EvRequest(WPARAM request, LPARAM arg);

  // FrameStepButtons.
  TGadgetWindow* ToolBar() override { return toolBar_; }
  TGadget& PreviousFrameButton() override { return *prevFrame_; }
  TGadget& NextFrameButton() override { return *nextFrame_; }
  bool FrameStepShown() override { return frameStepShown_; }
  void SetFrameStepShown(bool shown) override { frameStepShown_ = shown; }
  // ProjectFrameView.
  void ShowProjectModified(bool modified) override;

  // Commands (public for the tests that drive them as the menu does).
  void CmNewProject();
  void CmOpenProject();
  void CmCloseProject();
  void CmSaveProject();
  void CmSaveProjectAs();
  void CmRecentFile(WPARAM id);
  void CmCopyFromFile();
  void CmAddSourceFile();
  void CmSaveAll();
  void CmShowCollection();
  void CmProjectHelp();
  void CmSettings();
  void CmSynchronization();
  void CmExportEdl();
  void CmImportEdl();
  void EvDropFiles(HDROP drop);
  void EvActivateApp(bool active, DWORD threadId);
  void EvSysCommand(UINT cmd, const TPoint& point);
  void EvPaletteChanged(HWND changed);
  LRESULT EvRaise(WPARAM, LPARAM);
  LRESULT EvHelpEnded(WPARAM id, LPARAM outcome);

 private:
  void CeNotPlaying(TCommandEnabler& ce);
  void CeSaveProject(TCommandEnabler& ce);
  bool Playing() const;
  // The time-line and collection are emptied for a project coming in.
  void ForgetProject();
  // Opens a project file read for an outside request (steps of
  // OpenProjectFile after the time-line was emptied); showCollection: the
  // collection frame shows even when the project names none.
  void ReadProjectFile(const char* path, bool showCollection);
  void StartUp();
  void RunCommandLineMode();
  LRESULT OpenFileForPeer(const char* path);
  void RecheckFiles(LPARAM arg);
  void MakeToolBar();

  kobrix32App* app_;
  MainTimeLineWindow* timeline_;
  FileData projectFile_;
  FileData edlFile_;
  char recent_[kRecentFileCount][MAX_PATH] = {};
  TControlBar* toolBar_ = nullptr;
  TButtonGadget* prevFrame_ = nullptr;
  TButtonGadget* nextFrame_ = nullptr;
  bool frameStepShown_ = false;
  bool ownPrevFrame_ = true;
  bool reacquireBusy_ = false;

  DECLARE_RESPONSE_TABLE(TMainFrame);
};
