// The mix the time-line hands to every engine operation that mixes: the
// master bus, the number of audio lines, and per line its volume (a gain
// index, 512 = unity; 0 for a line that does not take part), its balance
// (-256..256) and its effect list. The effect lists are borrowed for the
// length of the operation.
#pragma once

#include <cstdint>

#include "model/media_interfaces.h"

struct MixSetup {
  int32_t masterGain = 0;
  int32_t masterPan = 0;
  EffectChain* masterEffects = nullptr;
  int32_t lineCount = 0;
  struct Line {
    int32_t gain = 0;
    int32_t pan = 0;
    EffectChain* effects = nullptr;
  } lines[4];
};
