#include "model/timeline_view.h"

#include "model/players.h"
#include "platform/core/messages.h"
#include "platform/gui/user.h"

namespace {

constexpr UINT_PTR kPlayTimer = 1;
constexpr UINT kPlayTimerPeriod = 100;  // ms
constexpr UINT kReplayMessage = WM_USER + 97;
constexpr UINT kFrameRequestMessage = WM_USER + 99;

}  // namespace

bool TimeLineView::StartPlayTimer() {
  HWND window = Handle();
  return window && SetTimer(window, kPlayTimer, kPlayTimerPeriod, nullptr) != 0;
}

void TimeLineView::KillPlayTimer() {
  if (HWND window = Handle()) KillTimer(window, kPlayTimer);
}

void TimeLineView::PostReplay() {
  if (HWND window = Handle()) PostMessage(window, kReplayMessage, 0, 0);
}

void TimeLineView::PostFrameRequest(int32_t request) {
  HWND window = Handle();
  HWND frame = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (frame) PostMessage(frame, kFrameRequestMessage, static_cast<WPARAM>(request), 0);
}

void TimeLineView::ShowWaitCursor(bool wait) {
  SetCursor(LoadCursor(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

bool TimeLinePlayers::VideoUsable() {
  return true;
}
bool TimeLinePlayers::AudioUsable() {
  return false;
}
bool TimeLinePlayers::MidiUsable() {
  return false;
}
void TimeLinePlayers::SetTrackVolumePan(int32_t, int32_t, int32_t) {}
void TimeLinePlayers::NotifyMixer(int32_t, int32_t) {}
void TimeLinePlayers::NotifyEffectDialogs(int32_t, int32_t) {}
StartFrameRecord* TimeLinePlayers::CreateKeyFrame(VideoSource* video, int32_t frame) {
  VideoEngine* player = Video();
  SubVideoPlayer* sub = player ? player->CurrentSubPlayer() : nullptr;
  return sub ? sub->CreateKeyFrame(video, frame) : nullptr;
}
