// The audio engine as the time-line's playback drives it: the engine's own
// operations behind the time-line's interface, and its sound file opened as
// a shared audio source.
#pragma once

#include "audio/audio_player.h"
#include "model/players.h"

class TimeLineAudio : public AudioEngine {
 public:
  explicit TimeLineAudio(AudioPlayer& engine) : engine_(engine) {}

  // realtimeMute: lines of gain 0 take part too; preview: the range loops.
  bool PrepareRange(Film* films, const MixSetup& mix, int32_t start, int32_t end, HWND window,
                    bool realtimeMute, bool preview) override {
    return engine_.PrepareRange(films, mix, start, end, window, realtimeMute, preview);
  }
  bool PrepareWaveForPlay(Film* films, const MixSetup& mix, int32_t start, int32_t end) override {
    return engine_.PrepareWaveForPlay(films, mix, start, end);
  }
  bool Resume() override { return engine_.Resume(); }
  void Stop() override { engine_.Stop(); }
  int32_t GetPosition() override { return engine_.GetPosition(); }
  int32_t GetState() override { return engine_.GetState(); }
  uint32_t SampleRate() override { return OutputFormat.nSamplesPerSec; }
  uint32_t AvgBytesPerSec() override { return OutputFormat.nAvgBytesPerSec; }
  uint32_t BlockAlign() override { return OutputFormat.nBlockAlign; }
  AudioSource* OpenSoundFile() override;

 private:
  AudioPlayer& engine_;
};
