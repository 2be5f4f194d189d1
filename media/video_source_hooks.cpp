#include "media/video_source_hooks.h"

#include "media/video_data.h"
#include "model/film.h"

void VideoSourceHooks::AcquireSubPlayer(const SubPlayerInfo&) {}
void VideoSourceHooks::ReleaseSubPlayer() {}
int32_t VideoSourceHooks::PlayerUseCount() {
  return 0;
}
int32_t VideoSourceHooks::PlayerStreamKind() {
  return 0;
}
const BITMAPINFOHEADER* VideoSourceHooks::PlayerFormat() {
  return nullptr;
}
void VideoSourceHooks::ShowOnBoard(VideoData*, int32_t, HWND) {}
void VideoSourceHooks::RedrawClipsOfVideo(VideoData*) {}
void VideoSourceHooks::DropThumbnails(VideoData*) {}
bool VideoSourceHooks::RefreshChangedSources(HWND window, bool reload, bool checkCollection,
                                             VideoData* video) {
  return Film::RefreshChangedSources(window, reload, checkCollection, video, nullptr, nullptr);
}
int32_t VideoSourceHooks::WriteRiffInfo(HMMIO) {
  return 0;
}
void VideoSourceHooks::BeginWaitCursor() {}
void VideoSourceHooks::EndWaitCursor() {}

namespace {
VideoSourceHooks g_defaultHooks;
VideoSourceHooks* g_hooks = &g_defaultHooks;
}  // namespace

VideoSourceHooks* SetVideoSourceHooks(VideoSourceHooks* hooks) {
  VideoSourceHooks* before = g_hooks;
  g_hooks = hooks != nullptr ? hooks : &g_defaultHooks;
  return before;
}

VideoSourceHooks& CurrentVideoSourceHooks() {
  return *g_hooks;
}
