// What the audio sources ask of the rest of the program: the audio engine's
// output format and temporary sound file, the clip collection's tile
// redraws, and the Film model's handling of a changed file. The program
// installs its implementation at start-up; tests install their own.
#pragma once

#include <string>

#include "platform/audio/wave.h"
#include "platform/core/types.h"

class AudioData;

class AudioSourceHooks {
 public:
  virtual ~AudioSourceHooks() = default;

  // The engine's output format (tag, channels, rate, bytes per second, block
  // align, bits; extra size 0).
  virtual WAVEFORMATEX OutputFormat();
  // The path of the engine's temporary sound file.
  virtual std::string SoundFileName();
  // The clip collection redraws the tiles that use source (its open state
  // changed); nothing when there is no collection window.
  virtual void RedrawClipsOfAudio(AudioData* source);
  // The Film model handles a source whose file changed (reload true) or
  // vanished (reload false); true when anything used it.
  virtual bool RefreshChangedSources(HWND window, bool reload, bool checkCollection, AudioData* audio);
};

// Installs hooks (null: the defaults, an 8-bit mono 11025 Hz output and no
// windows); returns the ones before.
AudioSourceHooks* SetAudioSourceHooks(AudioSourceHooks* hooks);
AudioSourceHooks& CurrentAudioSourceHooks();
