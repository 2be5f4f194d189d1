// The application's side of the clip-collection frame and of autosave,
// as far as the project frame needs them.
#include <cstdio>
#include <string>

#include "app/kobrix_app.h"
#include "audio/audio_player.h"
#include "platform/core/paths.h"

void kobrix32App::ShowClipCollection(bool load) {}

void kobrix32App::OpenEmbeddedCollection(const char* name, PathRecord*, SynonymFile**) {
  if (name == nullptr || *name == '\0') CloseCollection();
}

void kobrix32App::CloseCollection() {}

void kobrix32App::MarkCollectionRestored() {}

std::string kobrix32App::SaveCollection(const char*) {
  return std::string();
}

bool kobrix32App::AutoSave(bool) {
  return false;
}

void kobrix32App::DeleteAutosaveFiles(const char* newTempPath) {
  if (newTempPath != nullptr && *newTempPath != '\0') return;
  const std::string folder = PathFolder(Sound_File);
  std::remove(PathJoin(folder, "autosave.tml").c_str());
  std::remove(PathJoin(folder, "autosave.prc").c_str());
}
