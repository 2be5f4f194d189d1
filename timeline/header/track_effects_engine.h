// The audio engine as the time-line hands it a line's effect list (line -1:
// the master's). The mixer thread applies these lists under the engine's
// mixing lock, so a list is replaced, and the engine told, only while that
// lock is held; undo steps and message boxes stay outside it. The default
// is the program's audio engine (nothing without one); tests install their
// own.
#pragma once

#include <cstdint>

class EffectList;

class TrackEffectsEngine {
 public:
  virtual ~TrackEffectsEngine() = default;
  virtual void LockMixing();
  virtual void UnlockMixing();
  // The list line plays with from now on (null: none).
  virtual void SetTrackEffects(int32_t line, EffectList* list);
};

// Installs engine (null: the default); returns the one before.
TrackEffectsEngine* SetTrackEffectsEngine(TrackEffectsEngine* engine);
TrackEffectsEngine& CurrentTrackEffectsEngine();

// Holds the mixing lock for its lifetime.
class TrackMixingLock {
 public:
  TrackMixingLock() : engine_(CurrentTrackEffectsEngine()) { engine_.LockMixing(); }
  ~TrackMixingLock() { engine_.UnlockMixing(); }
  TrackMixingLock(const TrackMixingLock&) = delete;
  TrackMixingLock& operator=(const TrackMixingLock&) = delete;

 private:
  TrackEffectsEngine& engine_;
};
