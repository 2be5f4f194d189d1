// The wave format record that describes a stream of samples: the layout of
// a WAVE file's "fmt " chunk, used in memory by sources, converters and the
// wave devices. In memory only; files read and write it field by field.
#pragma once

#include "platform/core/types.h"

constexpr WORD WAVE_FORMAT_PCM = 0x0001;
constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 0x0003;
constexpr WORD WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// Packed to 18 bytes so that the cbSize extra bytes follow the record
// directly, as in the file.
#pragma pack(push, 2)
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is 18 bytes");

using LPWAVEFORMATEX = WAVEFORMATEX*;
