// The level meters' feed: the peak of each channel of one block of samples
// in any of the engine's sample layouts, brought to the 16-bit scale and
// handed to a meter pair. The engine's command thread and the recorder
// thread call it; it only reads the block and sets the meters' levels.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

struct TAudioMeter;

// Levels 0..32768 of the left and right meter.
struct PeakLevels {
  int32_t left = 0;
  int32_t right = 0;
};

// The peaks of the whole frames of a block. Sample types: 1 8-bit unsigned,
// 2 16-bit, 3 and 4 20 or 24 bits in 3 bytes, 5 24 bits and 6 32 bits in a
// 32-bit integer, 7 float (1.0 full scale); any other type reads as 1. With
// two channels each side gets its own peak, otherwise both get the peak of
// all samples.
PeakLevels MeasurePeaks(const void* data, DWORD bytes, int sampleType, int channels);

// Sets both meters from a block, or clears them when there is no block or
// the meters are off.
void UpdatePeakMeters(TAudioMeter* meter, const void* data, DWORD bytes, int sampleType, int channels);
// Both meters back to 0 (their peaks stay).
void ClearPeakMeters(TAudioMeter* meter);

// Asks every open meter window (the mixer and the recorder) to repaint its
// meters and scale, after a meter setting changed. The program installs it
// as the meters' refresh (SetAudioMetersRefresh).
void NotifyAudioMeters();
