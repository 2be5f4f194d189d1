// The program's SampleBlock as a component sees it: the same fields in the
// same order (data pointer, frames wanted, frames held, capacity in frames,
// then the first 16 bytes of a wave format record). Components are modules
// of their own and never include the program's headers, so the layout is
// restated here; the effect tests run the program's blocks through every
// component and would fail on any difference.
#pragma once

#include "platform/components/audio_effect.h"
#include "platform/core/types.h"

struct EffectBlockFormat {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
};

struct EffectBlock {
  void* data;
  LONG requested;
  LONG held;
  LONG capacity;
  EffectBlockFormat format;
};

static_assert(sizeof(EffectBlockFormat) == 16);

inline EffectBlock* EffectBlockOf(SampleBlock* block) {
  return reinterpret_cast<EffectBlock*>(block);
}
