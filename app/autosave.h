// Autosave: a recovery copy of the open project and the open clip
// collection, written from the application's idle processing after a number
// of edits or minutes, into two fixed files in the folder of the temporary
// sound file. The next start offers the project back when the program did
// not end normally; a normal end deletes both files, and so does a stop
// signal unless it met unsaved work.
//
// The edits and the changes are counted by the model (AutosaveEditCount,
// AutosaveDirty); this object holds the settings (section SAVE), the owed
// forced autosave and the time of the last one, on the millisecond clock
// (timeGetTime), which tests drive.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/core/types.h"
#include "platform/riff/riff.h"

class Film;
class TimeLineEngine;

// The files, in the folder of the temporary sound file.
constexpr const char* kAutosaveProjectName = "autosave.tml";
constexpr const char* kAutosaveCollectionName = "autosave.prc";
// The INI section of the settings.
constexpr const char* kSaveSection = "SAVE";

// What the autosave asks of the application and its two frames.
class AutosaveHost {
 public:
  virtual ~AutosaveHost() = default;
  // The time-line plays or holds the mouse (a drag runs): no autosave now.
  virtual bool TimeLineCapturing() = 0;
  // Save Options: every object writes its settings, so that the INI file
  // matches the autosaved work.
  virtual void SaveOptions() = 0;
  // Appends text to the project frame's status line and repaints the bar.
  virtual void AppendStatusText(const char* text) = 0;
  // Whether the clip frame exists; only then is the collection saved.
  virtual bool HasClipFrame() = 0;
  // Writes the collection as "autosave.prc" (TClipFrame::AutoSave); on
  // success name is the file written.
  virtual bool AutoSaveCollection(std::string& name) = 0;
  // Writes the project as "autosave.tml" naming collectionName (""
  // none) as its collection (AutoSaveProjectFile).
  virtual bool AutoSaveProject(const char* collectionName) = 0;
  // Draws one time-line item whose redraw waits; false when none waits.
  virtual bool DrawPendingClip() = 0;
  // The clip frame's own idle call, when the frame exists.
  virtual void ClipFrameIdle(long idleCount) = 0;
  // The library's idle processing of the application (TApplication's).
  virtual bool LibraryIdle(long idleCount) = 0;
};

class Autosave {
 public:
  explicit Autosave(AutosaveHost& host);

  // ---- Settings, section SAVE.
  bool autoSave = false;     // AUTO_SAVE: read by Start
  int32_t saveCount = 33;    // SAVE_COUNT: edits that make an autosave due
  int32_t savePeriod = 3;    // SAVE_PERIOD: minutes that make it due
  bool savePostage = true;   // SAVE_POSTAGE: a saved collection keeps faces
  bool saveWaveform = true;  // SAVE_WAVEFORM: and waveform overviews
  // SAVE_COUNT, SAVE_PERIOD, SAVE_POSTAGE and SAVE_WAVEFORM (the main
  // window's set-up).
  void ReadSettings();
  // The five keys; the caller flushes. Before Start has read AUTO_SAVE (a
  // close while start-up runs) the stored value stays.
  void WriteSettings() const;

  // The end of start-up: AUTO_SAVE is read, nothing is owed or counted and
  // the period starts now.
  void Start();

  // The application's idle hook (IdleAction); true asks for more idle calls.
  bool IdleAction(long idleCount);
  // One autosave step: true when it ran (written, or nothing changed and the
  // counters were reset). forced: an export or a tool is about to start.
  bool AutoSave(bool forced);

  // The period starts again now (after an open, a save, a new project).
  void RestartPeriod();
  // An autosave is owed at the next idle call (media files were looked at
  // again, or a forced autosave met a drag).
  void SetPending() { pending_ = true; }
  bool Pending() const { return pending_; }

  // The program ends without asking (a stop signal) while the project or
  // the collection holds unsaved work: the autosave is brought up to the
  // current state and kept, so that the next start offers it as after a
  // crash. Nothing with autosave off.
  void KeepUnsavedWork();
  // The program ends without asking before start-up has ended: the last
  // run's autosave has not been offered yet, or its question waits for an
  // answer. It stays for the next start.
  void KeepUnoffered() {
    if (!started_) kept_ = true;
  }
  // Whether the end of the program leaves the autosave files.
  bool KeptForNextStart() const { return kept_; }

 private:
  bool Due(bool forced) const;
  // Writes what changed since the last autosave; false when a file failed.
  bool Write();

  AutosaveHost& host_;
  bool pending_ = false;
  // The last step failed to write: the next try waits for the period.
  bool failed_ = false;
  bool kept_ = false;
  bool started_ = false;
  DWORD lastTime_;
  int32_t idleCalls_ = 0;
};

// The folder of the temporary sound file (Sound_File), without a trailing
// separator, and an autosave file in it.
std::string AutosaveFolder();
std::string AutosavePath(const char* fileName);

// Writes an autosave file in the autosave folder: a temporary file renamed
// over the old one once whole, so a failed write keeps the last autosave.
// write gets the temporary file open for writing; false is a failed write.
// Failures show error 24 (the file cannot be made) or 20 (not written)
// under the UI string titleId with the final path, and return false.
bool WriteAutosaveFile(HWND owner, const char* fileName, int titleId, const std::function<bool(HMMIO)>& write);

// The project as "autosave.tml": every Film from first with the engine's
// settings, paths whole, collectionName ("" or null: none) as its
// collection. The project's modified flag stays as it is.
bool AutoSaveProjectFile(HWND owner, TimeLineEngine& engine, const Film* first, const char* collectionName);

// Without a path (null or ""): deletes both autosave files (the normal end).
// With the new temporary sound file's path: moves both files into its
// folder, each replacing its namesake there, when the folder differs.
void DeleteAutosaveFiles(const char* newSoundFile);

// Whether this process wrote an autosave file.
bool AutosaveWrittenThisRun();

// The start-up offer: when "autosave.tml" exists and no command-line mode
// runs (an unattended run must not wait for a question, and a restore
// would replace its project), asks whether to restore it. True on Yes.
bool AskRestoreAutosave(HWND owner, int commandLineMode);
