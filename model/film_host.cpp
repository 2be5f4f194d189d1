#include "model/film_host.h"

#include "model/media_interfaces.h"
#include "model/undo_history.h"

namespace {

FilmHost default_host;
FilmHost* current_host = nullptr;

}  // namespace

int32_t FilmHost::TimeToPixels(int32_t ms) {
  return ms;
}
int32_t FilmHost::PixelsToTime(int32_t pixels) {
  return pixels;
}
int32_t FilmHost::LineGain(int32_t) {
  return 512;
}
int32_t FilmHost::LinePan(int32_t) {
  return 0;
}
int32_t FilmHost::MasterGain() {
  return 512;
}
int32_t FilmHost::MasterPan() {
  return 0;
}
int32_t FilmHost::GravityAlign() {
  return 0;
}
int32_t FilmHost::GravityGroup() {
  return 0;
}
void FilmHost::ShowStatusText(const char*) {}
void FilmHost::InvalidateClip(Film*) {}
void FilmHost::SetModified(bool) {}
int32_t FilmHost::GetClipCount() {
  return 0;
}
ClipItem* FilmHost::GetClip(int32_t) {
  return nullptr;
}
ClipItem* FilmHost::DetachClip(int32_t) {
  return nullptr;
}
void FilmHost::LayoutClips() {}
void FilmHost::SetClipsModified(bool) {}
bool FilmHost::RefreshClip(int32_t) {
  return false;
}
void FilmHost::DeleteClip(int32_t) {}
void FilmHost::ClearUndo() {
  UndoScript::ClearAll();
}
void FilmHost::DropUndoSource(bool recheck, VideoSource* video, AudioSource* audio, MidiSource* midi) {
  UndoScript::DropSource(recheck, video, audio, midi);
}

FilmHost* SetFilmHost(FilmHost* host) {
  FilmHost* before = current_host;
  current_host = host;
  return before;
}

FilmHost& CurrentFilmHost() {
  return current_host ? *current_host : default_host;
}
