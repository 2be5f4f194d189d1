// Sample types and the per-format sample routines. Every audio source picks
// one table of routines from its format once, so that the engine's per-block
// loops carry no format tests. Float samples are on the 16-bit scale: full
// scale is +-32768.0.
#pragma once

#include "media/sample_block.h"
#include "platform/audio/wave.h"
#include "platform/core/types.h"

// Storage codes of a source's samples.
enum SampleType : LONG {
  kSampleLittleEndian = 0,  // PCM as WAVE stores it, chosen further by bits
  kSampleSigned8 = 1,       // AIFF signed 8-bit
  kSampleBigEndian16 = 2,   // AIFF 16-bit
  kSampleBigEndian24 = 3,   // AIFF 24-bit
  kSampleFloat32 = 4,       // IEEE float
  kSamplePacked24 = 5,      // 20 or 24 bits packed in 3 bytes, stereo
  kSampleUnusable = 255,    // any other format tag
};

using GainToMonoRoutine = void (*)(float* out, LONG outFrame, const SampleBlock* block, LONG blockFrame,
                                   LONG count, float g);
using GainToMonoRampRoutine = void (*)(float* out, LONG outFrame, const SampleBlock* block, LONG blockFrame,
                                       LONG count, float g, float dg);
using GainToStereoRoutine = void (*)(float* out, LONG outFrame, const SampleBlock* block, LONG blockFrame,
                                     LONG count, float gL, float gR);
using GainToStereoRampsRoutine = void (*)(float* out, LONG outFrame, const SampleBlock* block,
                                          LONG blockFrame, LONG count, float gL, float dgL, float gR,
                                          float dgR);
using GainToStereoRampRightRoutine = void (*)(float* out, LONG outFrame, const SampleBlock* block,
                                              LONG blockFrame, LONG count, float gL, float gR, float dgR);
using GainToStereoRampLeftRoutine = void (*)(float* out, LONG outFrame, const SampleBlock* block,
                                             LONG blockFrame, LONG count, float gL, float dgL, float gR);
using ToFloatRoutine = void (*)(SampleBlock* block);
using ApplyEnvelopeRoutine = void (*)(const float* envelope, SampleBlock* block, LONG envelopeIndex,
                                      LONG count);
using ApplyEnvelopeAtRoutine = void (*)(const float* envelope, SampleBlock* block, LONG blockFrame,
                                        LONG envelopeIndex, LONG count);

// The nine routines of a source. Gain routines assign (never add) count
// frames of out from out frame on, reading the float block from block frame
// on; ToFloat converts the block's held frames in place (its memory must hold
// frames x channels x 4 bytes) and rewrites its format as 32-bit float.
struct SampleRoutines {
  GainToMonoRoutine GainToMono = nullptr;
  GainToMonoRampRoutine GainToMonoRamp = nullptr;
  GainToStereoRoutine GainToStereo = nullptr;
  GainToStereoRampsRoutine GainToStereoRamps = nullptr;
  GainToStereoRampRightRoutine GainToStereoRampRight = nullptr;
  GainToStereoRampLeftRoutine GainToStereoRampLeft = nullptr;
  ToFloatRoutine ToFloat = nullptr;
  ApplyEnvelopeRoutine ApplyEnvelope = nullptr;
  ApplyEnvelopeAtRoutine ApplyEnvelopeAt = nullptr;
};

// The sample type of a format when no reader preset one: IEEE float is 4,
// stereo PCM of 20 or 24 bits packed in 3 bytes is 5, other PCM 0, other
// tags 255.
LONG SampleTypeFromFormat(const WAVEFORMATEX& format);

// True when the engine can hold the samples of this PCM or float format:
// 1 or 2 channels and a sample size it converts (8, 16, 20/24 packed, 24 or
// 32 in 4 bytes, 32-bit float). Other tags are not judged here.
bool IsSupportedSampleLayout(const WAVEFORMATEX& format);

// The routines for a source of this format and sample type.
SampleRoutines SelectSampleRoutines(const WAVEFORMATEX& format, LONG sampleType);

// Format code for peak scanning, level meters and the clip pages: 1 8-bit,
// 2 16-bit, 3 20-bit, 4 24-bit packed, 5 24 bits in 4 bytes, 6 32-bit PCM,
// 7 32-bit float, 0 anything else.
int SampleTypeOfFormat(const WAVEFORMATEX& format);

// Output writers, chosen by the engine for its output format; each fills
// size bytes of destination from floats on the 16-bit scale.
void Write24BitSamples(void* destination, const float* source, DWORD size);  // packed, little-endian
void WriteIeeeFloatSamples(void* destination, const float* source, DWORD size);    // x 1/32768

// The output format's silence byte (128 for 8-bit output, else 0), set by the
// audio engine when its format changes, and the fill that uses it.
void SetOutputSilenceByte(BYTE value);
BYTE OutputSilenceByte();
void FillSilence(void* buffer, DWORD size);
