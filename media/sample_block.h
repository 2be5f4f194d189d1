// SampleBlock: the record in which sound travels between an audio source,
// the sample routines and the audio engine.
#pragma once

#include "platform/audio/wave.h"
#include "platform/core/types.h"

// The first 16 bytes of a wave format record (no extra size).
struct SampleBlockFormat {
  WORD wFormatTag = 0;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;
  WORD wBitsPerSample = 0;
};

struct SampleBlock {
  void* data = nullptr;
  LONG requested = 0;  // frames asked for
  LONG held = 0;       // frames that hold samples
  LONG capacity = 0;   // frames the memory holds; set by the block's owner
  SampleBlockFormat format;
};

inline SampleBlockFormat BlockFormatOf(const WAVEFORMATEX& f) {
  SampleBlockFormat b;
  b.wFormatTag = f.wFormatTag;
  b.nChannels = f.nChannels;
  b.nSamplesPerSec = f.nSamplesPerSec;
  b.nAvgBytesPerSec = f.nAvgBytesPerSec;
  b.nBlockAlign = f.nBlockAlign;
  b.wBitsPerSample = f.wBitsPerSample;
  return b;
}
