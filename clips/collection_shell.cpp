#include "clips/collection_shell.h"

namespace {

CollectionShell g_defaultShell;
CollectionShell* g_shell = nullptr;

}  // namespace

void CollectionShell::ShowModified(bool) {}
void CollectionShell::ShowViewMode(int) {}
void CollectionShell::ShowSkipMode(int) {}
void CollectionShell::ShowClipStatus(const char*, const char*, const char*, const char*) {}
bool CollectionShell::SavePostage() {
  return true;
}
bool CollectionShell::SaveWaveform() {
  return true;
}
void CollectionShell::SetFrameRateFromVideo(VideoData*) {}
void CollectionShell::SetAudioFormat(int, int, int) {}

CollectionShell* SetCollectionShell(CollectionShell* shell) {
  CollectionShell* before = g_shell;
  g_shell = shell;
  return before;
}

CollectionShell& CurrentCollectionShell() {
  return g_shell != nullptr ? *g_shell : g_defaultShell;
}
