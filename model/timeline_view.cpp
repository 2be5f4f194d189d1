#include "model/timeline_view.h"

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
