// The clip frame's file commands: new, open, add from another collection,
// save, save as, the recent collections, source files and dropped files,
// the save question and the autosave of the collection.
#include <cstdio>
#include <string>

#include "app/autosave.h"
#include "app/clip_frame.h"
#include "clips/clip_collection.h"
#include "media/progress_hooks.h"
#include "model/error_codes.h"
#include "model/message_box.h"
#include "model/text_format.h"
#include "model/path_record.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/core/files.h"
#include "platform/core/paths.h"
#include "platform/gui/gui.h"
#include "resources/collection_ids.h"
#include "ui/shell_services.h"

namespace {

void SetName(const char* path) {
  std::snprintf(CollectionFileData().FileName, MAX_PATH, "%s", path != nullptr ? path : "");
}

// Writes the collection to path through a temporary file renamed over it
// once whole. created tells whether the temporary file could be made.
bool WriteCollection(ClipCollection& collection, const std::string& path, const char* folder, bool& created) {
  created = false;
  return ReplaceFileAtomically(path, [&](int, const std::string& temp) {
    HMMIO file = mmioOpen(temp.c_str(), nullptr, MMIO_CREATE | MMIO_WRITE);
    if (file == nullptr) return false;
    created = true;
    const bool written = collection.Write(file, folder, true);
    return mmioClose(file, 0) == 0 && written;
  });
}

}  // namespace

void TClipFrame::CloseCollection() {
  if (collection_ == nullptr) return;
  collection_->DeleteAll(false);
  collection_->SetModified(false);
  SetName("");
  SetCaption("", false);
}

void TClipFrame::OpenCollectionFile(const char* path, bool replace) {
  PathRecord* folders = new PathRecord(path, false);
  SynonymFile* moved = nullptr;
  ReadCollectionFile(path, replace, folders, &moved);
  PathRecord::FreeList(folders);
  SynonymFile::FreeList(moved);
}

void TClipFrame::ReadCollectionFile(const char* path, bool replace, PathRecord* folders, SynonymFile** moved) {
  if (collection_ == nullptr) return;
  // path may be the record's own name, which the steps below rewrite.
  const std::string file = path != nullptr ? path : "";
  if (replace) {
    SetName(file.c_str());
  } else {
    collection_->SetModified(true);
  }
  SetCaption(CollectionFileData().FileName, collection_->IsModified());
  // A FIFO or a device is refused before anything waits in its open.
  HMMIO handle = FileOpenProblem(file).empty() ? mmioOpen(file.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF) : nullptr;
  if (handle == nullptr) {
    FileErrorBox(HWindow, kErrOpen, GetString(ui_string::kLoadCollectionTitle), file.c_str());
    return;
  }
  WaitCursor wait;
  // The file's own folder is searched first for its clips' media.
  if (folders != nullptr) {
    const PathRecord own(file.c_str(), false);
    std::snprintf(folders->path, MAX_PATH, "%s", own.path);
  }
  mmioSeek(handle, 0, SEEK_SET);
  std::string why;
  const int result = collection_->Read(handle, folders, moved, &why);
  mmioClose(handle, 0);
  SetCaption(CollectionFileData().FileName, collection_->IsModified());
  if (result == kErrOk || result == kErrAlreadyDone) {
    AddRecentFile(file.c_str());
  } else {
    ErrorBoxWithReason(HWindow, result, GetString(ui_string::kLoadCollectionTitle), file.c_str(), why);
  }
}

bool TClipFrame::SaveCollectionFile(const char* path) {
  if (collection_ == nullptr) return false;
  const std::string file = path != nullptr ? path : "";
  if (file.empty()) return SaveAs();
  const char* title = GetString(ui_string::kSaveClipCollection);
  WaitCursor wait;
  const std::string folder = PathWithSeparator(PathFolder(file));
  bool created = false;
  const bool written = WriteCollection(*collection_, file, folder.c_str(), created);
  if (!created) {
    ErrorBoxWithReason(HWindow, kErrOpen, title, file.c_str(), LastReplaceFailure());
    return false;
  }
  SetName(file.c_str());
  if (!written) {
    SetCaption(file.c_str(), true);
    ErrorBoxWithReason(HWindow, kErrWrite, title, file.c_str(), LastReplaceFailure());
    return false;
  }
  collection_->SetModified(false);
  SetCaption(file.c_str(), false);
  AddRecentFile(file.c_str());
  return true;
}

bool TClipFrame::AskSave() {
  if (collection_ == nullptr || !collection_->IsModified()) return true;
  Show(IsIconic(HWindow) ? SW_RESTORE : SW_SHOW);
  SetFocus();
  const std::string name = CollectionFileData().FileName;
  const int answer =
      ShowMessage(HWindow, GetString(ui_string::kSaveClipCollection), MB_YESNOCANCEL | MB_ICONQUESTION,
                  GetString(ui_string::kCollectionChangedAsk),
                  name.empty() ? GetString(ui_string::kCollectionUntitled) : name.c_str());
  if (answer == IDCANCEL) return false;
  // Yes stands only when the collection was saved.
  if (answer == IDYES) return SaveCollectionFile(name.c_str());
  return true;
}

void TClipFrame::AddSourceFile(const char* path, int flag) {
  if (collection_ != nullptr) collection_->AddFile(path, -1, flag);
}

bool TClipFrame::AutoSave(std::string& name) {
  if (collection_ == nullptr) return false;
  const bool written =
      WriteAutosaveFile(HWindow, kAutosaveCollectionName, ui_string::kAutoSaveCollectionTitle,
                        [this](HMMIO file) { return collection_->Write(file, "", true); });
  if (written) name = AutosavePath(kAutosaveCollectionName);
  return written;
}

void TClipFrame::CmNewCollection() {
  if (AskSave()) CloseCollection();
}

void TClipFrame::CmOpenCollection() {
  if (collection_ == nullptr || !AskSave()) return;
  if (!AskOpenFile(CollectionFileData(), HWindow, GetString(ui_string::kOpenClipCollection))) return;
  const std::string file = CollectionFileData().FileName;
  collection_->DeleteAll(false);
  collection_->SetModified(false);
  OpenCollectionFile(file.c_str(), true);
}

void TClipFrame::CmOpenRecent(WPARAM id) {
  const int index = static_cast<int>(id) - kCmRecentCollection1;
  if (collection_ == nullptr || index < 0 || index >= kRecentCollections || !AskSave()) return;
  const std::string file = recent_[index];
  if (file.empty()) return;
  collection_->DeleteAll(false);
  collection_->SetModified(false);
  OpenCollectionFile(file.c_str(), true);
}

void TClipFrame::CmAddFromCollection() {
  // A copy of the record: the current collection keeps its name.
  FileData other = CollectionFileData();
  if (!AskOpenFile(other, HWindow, GetString(ui_string::kAddClipCollection))) return;
  OpenCollectionFile(other.FileName, false);
}

void TClipFrame::CmSaveCollection() {
  if (collection_ != nullptr && collection_->IsModified()) SaveCollectionFile(CollectionFileData().FileName);
}

void TClipFrame::CmSaveCollectionAs() {
  SaveAs();
}

bool TClipFrame::SaveAs() {
  FileData& data = CollectionFileData();
  // The chosen name becomes the collection's only when the file is made.
  const std::string before = data.FileName;
  if (!AskSaveFile(data, HWindow, GetString(ui_string::kSaveClipCollectionAs))) return false;
  const std::string chosen = data.FileName;
  SetName(before.c_str());
  return !chosen.empty() && SaveCollectionFile(chosen.c_str());
}

void TClipFrame::EvDropFiles(HDROP drop) {
  const UINT count = DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH] = {};
    if (DragQueryFile(drop, i, path, sizeof path) == 0) continue;
    ShellServices& shell = CurrentShellServices();
    shell.ShowStatusText(FormatText(GetString(ui_string::kInsertFileStatus), path).c_str());
    AddSourceFile(path, 0);
  }
  DragFinish(drop);
}
