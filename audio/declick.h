// Declick ramps (Kaiser-Bessel or linear gains that fade a clip in and out)
// and the writers that turn the engine's float mix into 8-bit and 16-bit
// device samples. Floats are on the 16-bit scale: full scale is +-32768.0.
#pragma once

#include "platform/core/types.h"

// The modified Bessel function of the first kind, order 0.
float BesselI0(float x);

// Cumulative Kaiser windows of n gains: the rising one ends at 1.0 in
// out[n - 1], the falling one starts at 1.0 in out[0].
void KaiserCumWindowUp(LONG n, float* out, float beta);
void KaiserCumWindowDown(LONG n, float* out, float beta);

// Ramp length in frames for a rate and a length in milliseconds: at least 5.
LONG DeclickRampLength(DWORD rate, float milliseconds);

// Output writers: fill bytes of destination from floats (bytes / 2 samples
// for 16 bits, bytes samples for 8 bits).
void FloatToPcm16(void* destination, const float* source, DWORD bytes);
void FloatToPcm8(void* destination, const float* source, DWORD bytes);
// 24 bits in the top of a 4-byte sample, and 32-bit integers: truncated
// toward zero and held to the sample's range.
void FloatToPcm24In32(void* destination, const float* source, DWORD bytes);
void FloatToPcm32(void* destination, const float* source, DWORD bytes);
