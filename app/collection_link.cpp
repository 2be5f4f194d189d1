// The application's side of the clip-collection frame and of autosave.
#include <strings.h>

#include <string>

#include "app/command_line.h"
#include "app/kobrix_app.h"
#include "app/main_frame.h"
#include "clips/clip_collection.h"

void kobrix32App::ShowClipCollection(bool load) {
  clipFrame = ShowClipFrame(clipFrame, *this, TimeLine(), load, CommandLineMode != kModeNone);
  collectionShell.frame = clipFrame;
}

void kobrix32App::OpenEmbeddedCollection(const char* name, PathRecord* folders, SynonymFile** moved) {
  if (name == nullptr || *name == '\0') {
    CloseCollection();
    return;
  }
  if (clipFrame != nullptr && strcasecmp(name, CollectionName()) == 0) return;
  if (clipFrame == nullptr) ShowClipCollection(false);
  if (clipFrame == nullptr) return;
  const std::string path = name;
  clipFrame->Collection()->DeleteAll(false);
  clipFrame->Collection()->SetModified(false);
  clipFrame->ReadCollectionFile(path.c_str(), true, folders, moved);
  if (CommandLineMode == kModeNone) {
    if (clipFrame->Collection()->ClipCount() > 0) {
      clipFrame->Show(SW_RESTORE);
      clipFrame->SetFocus();
      clipFrame->Collection()->Layout(false);
      clipFrame->Collection()->UpdateAll();
    }
  } else {
    clipFrame->Show(SW_SHOWMINIMIZED);
  }
  if (mainFrame != nullptr) mainFrame->SetFocus();
}

void kobrix32App::CloseCollection() {
  if (clipFrame != nullptr) clipFrame->CloseCollection();
}

void kobrix32App::MarkCollectionRestored() {
  if (clipFrame == nullptr) return;
  ClearCollectionName();
  clipFrame->SetCaption("", true);
  clipFrame->Collection()->SetModified(true);
}

std::string kobrix32App::SaveCollection(const char* path) {
  if (clipFrame == nullptr) return std::string();
  const std::string name = path != nullptr ? path : CollectionName();
  return clipFrame->SaveCollectionFile(name.c_str()) ? std::string(CollectionName()) : std::string();
}

bool kobrix32App::AutoSave(bool forced) {
  return autosave.AutoSave(forced);
}

void kobrix32App::DeleteAutosaveFiles(const char* newTempPath) {
  ::DeleteAutosaveFiles(newTempPath);
}
