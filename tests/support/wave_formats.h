// Sound formats the tests use again and again.
#pragma once

#include "platform/audio/wave.h"

// 44.1 kHz, 16-bit stereo PCM.
inline WAVEFORMATEX StereoCdFormat() {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 2;
  f.nSamplesPerSec = 44100;
  f.wBitsPerSample = 16;
  f.nBlockAlign = 4;
  f.nAvgBytesPerSec = 44100 * 4;
  return f;
}
