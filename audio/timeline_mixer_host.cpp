#include "audio/timeline_mixer_host.h"

#include <algorithm>

#include "model/changed_ranges.h"
#include "model/levels.h"
#include "model/timeline_engine.h"
#include "platform/gui/gui.h"

int32_t TimeLineMixerHost::MasterVolume() {
  return engine_.masterGain;
}

int32_t TimeLineMixerHost::MasterPan() {
  return engine_.masterPan;
}

void TimeLineMixerHost::SetMasterVolume(int32_t gain) {
  engine_.masterGain = std::clamp(gain, 0, kGainCount - 1);
}

void TimeLineMixerHost::SetMasterPan(int32_t pan) {
  engine_.masterPan = std::clamp(pan, -256, 256);
}

void TimeLineMixerHost::UpdateEngineMix(int32_t line) {
  engine_.UpdateEngineMix(line);
}

void TimeLineMixerHost::ResetChangedRanges() {
  ::ResetChangedRanges();
}

void TimeLineMixerHost::RepaintAudioLines() {
  if (audioLines_ != nullptr) InvalidateRect(audioLines_, nullptr, FALSE);
}

bool TimeLineMixerHost::IsPlaying() {
  return engine_.playing;
}

bool TimeLineMixerHost::CommandsEnabled() {
  return engine_.commandsEnabled;
}

int32_t TimeLineMixerHost::AudioLineCount() {
  return engine_.audioLineCount;
}
