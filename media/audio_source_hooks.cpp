#include "media/audio_source_hooks.h"

#include <atomic>

WAVEFORMATEX AudioSourceHooks::OutputFormat() {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 1;
  f.nSamplesPerSec = 11025;
  f.nAvgBytesPerSec = 11025;
  f.nBlockAlign = 1;
  f.wBitsPerSample = 8;
  return f;
}

std::string AudioSourceHooks::SoundFileName() { return std::string(); }

void AudioSourceHooks::RedrawClipsOfAudio(AudioData*) {}

bool AudioSourceHooks::RefreshChangedSources(HWND, bool, bool, AudioData*) { return false; }

namespace {
AudioSourceHooks g_defaults;
std::atomic<AudioSourceHooks*> g_hooks{nullptr};
}  // namespace

AudioSourceHooks* SetAudioSourceHooks(AudioSourceHooks* hooks) { return g_hooks.exchange(hooks); }

AudioSourceHooks& CurrentAudioSourceHooks() {
  AudioSourceHooks* h = g_hooks.load();
  return h != nullptr ? *h : g_defaults;
}
