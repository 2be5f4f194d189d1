#include "app/autosave.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "audio/audio_player.h"
#include "model/error_codes.h"
#include "model/ini.h"
#include "model/message_box.h"
#include "model/project_file.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/core/files.h"
#include "platform/core/locations.h"
#include "platform/core/paths.h"
#include "platform/core/time.h"

namespace {

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributes(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// An autosave this user wrote: a regular file of theirs, not a link to one.
bool OwnAutosave(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid();
}

// The folder of a temporary sound file path, as the audio engine maps it.
std::string FolderOfSoundFile(const char* soundFile) {
  return PathFolder(MapDefaultLocation(soundFile != nullptr ? soundFile : ""));
}

std::string InFolder(const std::string& folder, const char* fileName) {
  return PathJoin(folder, fileName);
}

DWORD MinutesMs(int32_t minutes) {
  const int64_t ms = static_cast<int64_t>(std::max<int32_t>(minutes, 0)) * 60000;
  return static_cast<DWORD>(std::min<int64_t>(ms, 0xFFFFFFFFLL));
}

bool g_wroteAutosave = false;

}  // namespace

bool AutosaveWrittenThisRun() {
  return g_wroteAutosave;
}

Autosave::Autosave(AutosaveHost& host) : host_(host), lastTime_(timeGetTime()) {}

void Autosave::ReadSettings() {
  IniSetSection(kSaveSection);
  saveCount = IniReadInt("SAVE_COUNT", 33);
  savePeriod = IniReadInt("SAVE_PERIOD", 3);
  savePostage = IniReadInt("SAVE_POSTAGE", 1) != 0;
  saveWaveform = IniReadInt("SAVE_WAVEFORM", 1) != 0;
}

void Autosave::WriteSettings() const {
  IniSetSection(kSaveSection);
  if (started_) IniWriteInt("AUTO_SAVE", autoSave ? 1 : 0);
  IniWriteInt("SAVE_COUNT", saveCount);
  IniWriteInt("SAVE_PERIOD", savePeriod);
  IniWriteInt("SAVE_POSTAGE", savePostage ? 1 : 0);
  IniWriteInt("SAVE_WAVEFORM", saveWaveform ? 1 : 0);
}

void Autosave::Start() {
  IniSetSection(kSaveSection);
  autoSave = IniReadInt("AUTO_SAVE", 1) != 0;
  AutosaveDirty = false;
  AutosaveEditCount = 0;
  pending_ = false;
  failed_ = false;
  started_ = true;
  RestartPeriod();
}

void Autosave::RestartPeriod() {
  lastTime_ = timeGetTime();
}

bool Autosave::IdleAction(long idleCount) {
  // Every second call looks at the autosave and the waiting redraws.
  if (idleCalls_++ > 0) {
    idleCalls_ = 0;
    if (AutoSave(false)) return false;
    if (host_.DrawPendingClip()) return false;
  }
  host_.ClipFrameIdle(idleCount);
  return host_.LibraryIdle(idleCount);
}

bool Autosave::Due(bool forced) const {
  if (forced || pending_) return true;
  const bool periodPassed = static_cast<DWORD>(timeGetTime() - lastTime_) >= MinutesMs(savePeriod);
  // After a failed write only the period brings the next try, so that an
  // unwritable folder does not raise its error box at every idle call.
  if (failed_) return periodPassed;
  return AutosaveEditCount >= saveCount || periodPassed;
}

bool Autosave::AutoSave(bool forced) {
  if (host_.TimeLineCapturing()) {
    if (forced) pending_ = true;
    return false;
  }
  if (!autoSave || !Due(forced)) return false;
  Write();
  return true;
}

void Autosave::KeepUnsavedWork() {
  if (!autoSave) return;
  // A write that fails leaves the last autosave, the nearest to the work
  // there is: it is kept all the same.
  Write();
  kept_ = true;
}

bool Autosave::Write() {
  bool failed = false;
  if (AutosaveDirty) {
    host_.AppendStatusText(GetString(ui_string::kAutoSaveStatus));
    host_.SaveOptions();
    std::string collection;
    if (host_.HasClipFrame() && !host_.AutoSaveCollection(collection)) {
      collection.clear();
      failed = true;
    }
    if (!host_.AutoSaveProject(collection.c_str())) failed = true;
    host_.AppendStatusText(GetString(ui_string::kAutoSavedStatus));
  }
  // A failed step keeps what is owed and tries again.
  failed_ = failed;
  if (failed) {
    lastTime_ = timeGetTime();
  } else {
    pending_ = false;
    AutosaveDirty = false;
    AutosaveEditCount = 0;
    RestartPeriod();
  }
  return !failed;
}

std::string AutosaveFolder() {
  return FolderOfSoundFile(Sound_File);
}

std::string AutosavePath(const char* fileName) {
  return InFolder(AutosaveFolder(), fileName);
}

bool WriteAutosaveFile(HWND owner, const char* fileName, int titleId, const std::function<bool(HMMIO)>& write) {
  const std::string path = AutosavePath(fileName);
  bool created = false;
  const bool written = ReplaceFileAtomically(
      path,
      [&](int, const std::string& temp) {
        HMMIO file = mmioOpen(temp.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE | MMIO_PRIVATE);
        if (file == nullptr) return false;
        created = true;
        const bool ok = write(file);
        return mmioClose(file, 0) == 0 && ok;
      },
      ReplaceDurability::kDisk, ReplaceAccess::kPrivate);
  if (!written) ErrorBox(owner, created ? kErrWrite : kErrOpen, GetString(titleId), path.c_str());
  g_wroteAutosave = g_wroteAutosave || written;
  return written;
}

bool AutoSaveProjectFile(HWND owner, TimeLineEngine& engine, const Film* first, const char* collectionName) {
  return WriteAutosaveFile(owner, kAutosaveProjectName, ui_string::kAutoSaveProjectTitle, [&](HMMIO file) {
    return WriteProject(engine, first, file, "", collectionName != nullptr ? collectionName : "");
  });
}

void DeleteAutosaveFiles(const char* newSoundFile) {
  const std::string folder = AutosaveFolder();
  if (newSoundFile == nullptr || newSoundFile[0] == '\0') {
    for (const char* name : {kAutosaveProjectName, kAutosaveCollectionName})
      DeleteFile(InFolder(folder, name).c_str());
    return;
  }
  const std::string target = FolderOfSoundFile(newSoundFile);
  if (PathsEqual(folder, target)) return;
  // The new folder ends up holding what the old one held: a file that is
  // there replaces its namesake in one rename; one that is not leaves none.
  for (const char* name : {kAutosaveProjectName, kAutosaveCollectionName}) {
    const std::string from = InFolder(folder, name), to = InFolder(target, name);
    if (FileExists(from)) {
      MoveFileEx(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    } else {
      DeleteFile(to.c_str());
    }
  }
}

bool AskRestoreAutosave(HWND owner, int commandLineMode) {
  if (commandLineMode != 0 || !OwnAutosave(AutosavePath(kAutosaveProjectName))) return false;
  return ShowMessageText(owner, GetString(ui_string::kAutosaveFoundCaption), MB_YESNO | MB_ICONQUESTION,
                         GetString(ui_string::kAutosaveFoundAsk)) == IDYES;
}
