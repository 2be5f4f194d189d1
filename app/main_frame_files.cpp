// The project's file commands of the frame.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <vector>

#include "app/autosave.h"
#include "app/command_line.h"
#include "app/kobrix_app.h"
#include "app/main_frame.h"
#include "audio/midi_data.h"
#include "clips/clip_collection.h"
#include "media/audio_data.h"
#include "media/progress_hooks.h"
#include "media/video_data.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/path_record.h"
#include "model/project_file.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/core/files.h"
#include "platform/core/paths.h"
#include "platform/riff/riff.h"
#include "timeline/edl_format.h"
#include "resources/frame_ids.h"

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// path with its extension replaced by ext (with the dot).
std::string WithExtension(const std::string& path, const char* ext) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.find_last_of('.');
  const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
  return stem + ext;
}

}  // namespace

void TMainFrame::ForgetProject() {
  app_->CloseCollection();
  app_->ClearCollectionName();
  SetFocus();
  if (timeline_ != nullptr) timeline_->ClearProject(false);
}

void TMainFrame::OpenProjectFile(const char* path) {
  ForgetProject();
  ReadProjectFile(path, true);
}

void TMainFrame::ReadProjectFile(const char* path, bool showCollection) {
  const std::string name = path != nullptr ? path : "";
  // A FIFO or a device is refused before anything waits in its open.
  HMMIO file = FileOpenProblem(name).empty() ? OpenProjectForReading(name.c_str()) : nullptr;
  if (file == nullptr) {
    FileErrorBox(GetHandle(), 24, GetString(ui_string::kOpenProject), name.c_str());
    return;
  }
  WaitCursor wait;
  SetProjectName(name.c_str());
  SetCaption(name.c_str(), true);
  PathRecord* folders = new PathRecord(name.c_str(), false);
  SynonymFile* moved = nullptr;
  mmioSeek(file, 0, SEEK_SET);
  char collection[MAX_PATH + 1] = {};
  std::string why;
  const int result = timeline_ != nullptr ? timeline_->OpenProject(file, folders, &moved, collection, &why) : 24;
  if (collection[0] == '\0') {
    if (showCollection) {
      app_->ShowClipCollection(false);
      SetFocus();
    }
  } else {
    app_->OpenEmbeddedCollection(collection, folders, &moved);
  }
  PathRecord::FreeList(folders);
  SynonymFile::FreeList(moved);
  ErrorBoxWithReason(GetHandle(), result, GetString(ui_string::kOpenProject), name.c_str(), why);
  // What a load that succeeded passed over is told only if an unattended
  // export then finds nothing to write.
  CommandLineExportProblem = result == 0 ? why : std::string();
  mmioClose(file, 0);
  if (result == 0 || result == 17 || result == 18) {
    SetCaption(name.c_str(), timeline_ != nullptr && timeline_->Engine().IsModified());
    AddRecentFile(name.c_str());
  } else {
    SetProjectName("");
    SetCaption("", true);
  }
}

void TMainFrame::SaveProjectFile(const char* path) {
  if (path == nullptr || *path == '\0') {
    CmSaveProjectAs();
    return;
  }
  const std::string name = path;
  {
    WaitCursor wait;
    SetProjectName(name.c_str());
    SetCaption(name.c_str(), true);
    const std::string folder = FolderOf(name);
    std::string collection;
    if (app_->ClipFrame() != nullptr)
      collection = app_->SaveCollection(app_->CollectionName()[0] == '\0' ? WithExtension(name, ".prc").c_str() : nullptr);
    // The writer goes through a temporary file: a failed save keeps the old one.
    const bool saved = timeline_ != nullptr &&
                       timeline_->SaveProject(name.c_str(), folder.c_str(),
                                              collection.empty() ? nullptr : collection.c_str());
    if (!saved) {
      ErrorBoxWithReason(GetHandle(), 20, GetString(ui_string::kSaveProject), name.c_str(), LastReplaceFailure());
    } else {
      timeline_->Engine().SetModified(false);
      SetCaption(name.c_str(), false);
      AddRecentFile(name.c_str());
    }
  }
  app_->autosave.RestartPeriod();
}

bool TMainFrame::AutoSave(const char* collectionName) {
  return timeline_ != nullptr &&
         AutoSaveProjectFile(GetHandle(), timeline_->Engine(), FilmList.First(), collectionName);
}

bool TMainFrame::AskSave() {
  if (timeline_ == nullptr || !timeline_->Engine().IsModified()) return true;
  if (::IsIconic(GetHandle())) Show(SW_RESTORE);
  SetFocus();
  const char* name = ProjectName()[0] != '\0' ? ProjectName() : GetString(ui_string::kUntitledName);
  const int answer = ShowMessage(GetHandle(), GetString(ui_string::kSaveProject), MB_YESNOCANCEL | MB_ICONQUESTION,
                                 GetString(ui_string::kProjectChanged), name);
  if (answer == IDCANCEL) return false;
  if (answer == IDYES) {
    SaveProjectFile(ProjectName());
    // A save that failed or was cancelled keeps what it could not save.
    return !timeline_->Engine().IsModified();
  }
  return true;
}

void TMainFrame::CmRecentFile(WPARAM id) {
  const int n = static_cast<int>(id) - kCmRecentFile1;
  if (n < 0 || n >= kRecentFileCount || !app_->AskSaveAll()) return;
  if (recent_[n][0] != '\0') {
    const std::string path = recent_[n];
    OpenProjectFile(path.c_str());
  }
  app_->autosave.RestartPeriod();
}

void TMainFrame::CmCloseProject() {
  if (!app_->AskSaveAll()) return;
  app_->CloseCollection();
  app_->ClearCollectionName();
  SetFocus();
  SetProjectName("");
  SetCaption("", false);
  if (timeline_ != nullptr) timeline_->NewProject();
  app_->autosave.RestartPeriod();
}

void TMainFrame::CmNewProject() {
  if (timeline_ == nullptr) return;
  const bool wasModified = timeline_->Engine().IsModified();
  CmCloseProject();
  // Cancelled: the project stays as it was.
  if (wasModified && timeline_->Engine().IsModified()) return;
  timeline_->CmSelectionTime();
}

void TMainFrame::CmOpenProject() {
  if (!app_->AskSaveAll()) return;
  if (AskOpenFile(projectFile_, GetHandle(), GetString(ui_string::kOpenProject))) {
    const std::string path = projectFile_.FileName;
    OpenProjectFile(path.c_str());
  }
  app_->autosave.RestartPeriod();
}

void TMainFrame::CmSaveProject() {
  if (timeline_ != nullptr && timeline_->Engine().IsModified()) SaveProjectFile(ProjectName());
}

void TMainFrame::CmSaveProjectAs() {
  const std::string before = ProjectName();
  if (AskSaveFile(projectFile_, GetHandle(), GetString(ui_string::kSaveProjectAs))) {
    const std::string path = projectFile_.FileName;
    SaveProjectFile(path.c_str());
  } else {
    SetProjectName(before.c_str());
  }
}

void TMainFrame::CmCopyFromFile() {
  const std::string before = ProjectName();
  if (AskOpenFile(projectFile_, GetHandle(), GetString(ui_string::kAddProject))) {
    const std::string path = projectFile_.FileName;
    HMMIO file = FileOpenProblem(path).empty() ? OpenProjectForReading(path.c_str()) : nullptr;
    if (file == nullptr) {
      FileErrorBox(GetHandle(), 24, GetString(ui_string::kAddProject), path.c_str());
    } else {
      WaitCursor wait;
      PathRecord* folders = new PathRecord(path.c_str(), false);
      SynonymFile* moved = nullptr;
      std::string why;
      const int result = timeline_ != nullptr ? timeline_->CopyFromFile(file, folders, &moved, &why) : 0;
      ErrorBoxWithReason(GetHandle(), result, GetString(ui_string::kAddProject), path.c_str(), why);
      PathRecord::FreeList(folders);
      SynonymFile::FreeList(moved);
      mmioClose(file, 0);
    }
  }
  SetProjectName(before.c_str());
}

// ---- Edit decision lists.

void TMainFrame::CmExportEdl() {
  if (AskSaveFile(edlFile_, GetHandle(), GetString(ui_string::kExportEdl))) {
    const std::string path = edlFile_.FileName;
    ExportEdlFile(path.c_str());
  }
}

void TMainFrame::ExportEdlFile(const char* path) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    ErrorBox(GetHandle(), 24, GetString(ui_string::kExportEdl), path);
    return;
  }
  WaitCursor wait;
  EdlFileRecord* video = nullptr;
  EdlFileRecord* audio = nullptr;
  if (!BuildEdlFileLists(FilmList, &video, &audio)) {
    ErrorBoxPlain(GetHandle(), 2, GetString(ui_string::kExportEdl));
  } else if (!timeline_->ExportEdl(file, video, audio)) {
    ErrorBox(GetHandle(), 20, GetString(ui_string::kExportEdl), path);
  }
  std::fclose(file);
  FreeEdlFileRecords(video);
  FreeEdlFileRecords(audio);
}

void TMainFrame::CmImportEdl() {
  if (!app_->AskSaveAll()) return;
  if (AskOpenFile(edlFile_, GetHandle(), GetString(ui_string::kImportEdl))) {
    const std::string path = edlFile_.FileName;
    ImportEdlFile(path.c_str());
    app_->autosave.RestartPeriod();
  }
}

void TMainFrame::ImportEdlFile(const char* path) {
  ForgetProject();
  std::FILE* file = OpenRegularFileForReading(path);
  if (file == nullptr) {
    FileErrorBox(GetHandle(), 24, GetString(ui_string::kImportEdl), path);
    return;
  }
  // The list is read twice, line by line: whole blocks keep the reads few.
  std::setvbuf(file, nullptr, _IOFBF, 64 * 1024);
  WaitCursor wait;
  SetProjectName("");
  SetCaption(path, true);
  EdlFileRecord* files = nullptr;
  const int read = ReadEdlFiles(file, &files);
  if (read == 2) {
    ErrorBoxPlain(GetHandle(), 2, GetString(ui_string::kImportEdl));
  } else if (read == 0) {
    if (TheClipCollection != nullptr) TheClipCollection->NewClipFromSources(files);
    app_->ShowClipCollection(false);
    SetFocus();
    std::rewind(file);
    const int result = timeline_->ImportEdl(file, files);
    if (result == 2)
      ErrorBoxPlain(GetHandle(), 2, GetString(ui_string::kImportEdl));
    else
      ErrorBox(GetHandle(), result, GetString(ui_string::kImportEdl), path);
  } else {
    ErrorBox(GetHandle(), read, GetString(ui_string::kImportEdl), path);
  }
  std::fclose(file);
  FreeEdlFiles(files);
}

int TMainFrame::ReadEdlFiles(std::FILE* file, EdlFileRecord** list) {
  *list = nullptr;
  std::vector<EdlFileEntry> entries;
  const int read = ReadEdlFileSection(file, entries);
  if (read != 0) return read;
  for (const EdlFileEntry& e : entries) {
    auto* entry = new (std::nothrow) EdlFileRecord;
    if (entry == nullptr) return 2;
    entry->next = *list;
    *list = entry;
    entry->id = e.id;
    if (e.audio) {
      AudioData* source = AudioData::OpenShared(e.name.c_str());
      entry->audio = source;
      if (source != nullptr) entry->name = source->fileName;
    }
    if (e.video) {
      AVIVideoData* source = AVIVideoData::OpenShared(GetHandle(), kVideoKindAvi, e.name.c_str(), 0.0f);
      entry->video = source;
      if (source != nullptr) entry->name = source->fileName;
    }
  }
  return 0;
}

void TMainFrame::FreeEdlFiles(EdlFileRecord* list) {
  for (EdlFileRecord* e = list; e != nullptr; e = e->next) {
    if (e->audio != nullptr) e->audio->Release();
    if (e->video != nullptr) e->video->Release();
  }
  FreeEdlFileRecords(list);
}

