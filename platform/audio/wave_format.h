// The wave format record, as the wave devices declare it. Until the wave
// device header is in the tree this carries the same declarations.
#pragma once

#if __has_include("platform/audio/wave.h")
#include "platform/audio/wave.h"
#else
#include "platform/core/types.h"

constexpr WORD WAVE_FORMAT_PCM = 1;
constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 3;

// The in-memory format record. Files store it field by field, never as this
// struct (its padding and width are not those of any file).
struct WAVEFORMATEX {
  WORD wFormatTag = 0;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;
  WORD wBitsPerSample = 0;
  WORD cbSize = 0;
};
using LPWAVEFORMATEX = WAVEFORMATEX*;
using LPCWAVEFORMATEX = const WAVEFORMATEX*;
#endif
