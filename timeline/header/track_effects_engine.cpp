#include "timeline/header/track_effects_engine.h"

#include "audio/audio_player.h"

namespace {

TrackEffectsEngine g_default;
TrackEffectsEngine* g_current = &g_default;

}  // namespace

void TrackEffectsEngine::LockMixing() {
  if (TheAudioPlayer != nullptr) EnterCriticalSection(&TheAudioPlayer->MixingLock());
}

void TrackEffectsEngine::UnlockMixing() {
  if (TheAudioPlayer != nullptr) LeaveCriticalSection(&TheAudioPlayer->MixingLock());
}

void TrackEffectsEngine::SetTrackEffects(int32_t line, EffectList* list) {
  if (TheAudioPlayer != nullptr) TheAudioPlayer->SetTrackEffects(line, list);
}

TrackEffectsEngine* SetTrackEffectsEngine(TrackEffectsEngine* engine) {
  TrackEffectsEngine* before = g_current == &g_default ? nullptr : g_current;
  g_current = engine != nullptr ? engine : &g_default;
  return before;
}

TrackEffectsEngine& CurrentTrackEffectsEngine() {
  return *g_current;
}
