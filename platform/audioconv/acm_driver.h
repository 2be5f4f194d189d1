// Inside the built-in driver: what a format record describes, which
// conversions the driver does directly, and the sample codecs. Samples
// travel between the codecs as doubles in [-1, 1).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/audioconv/acm.h"

namespace acm {

enum class Kind { Pcm, Float, MuLaw, ALaw, Ima };

struct FormatInfo {
  Kind kind = Kind::Pcm;
  int channels = 0;
  DWORD rate = 0;
  int bits = 0;
  int container = 0;      // bytes per sample (PCM and float)
  int blockAlign = 0;     // bytes of one unit: a frame, or an IMA block
  int framesPerUnit = 1;  // frames one unit decodes to
};

constexpr int kMaxChannels = 8;
constexpr DWORD kMaxRate = 1000000;

// False for a record the driver does not handle or that contradicts itself.
bool Describe(const WAVEFORMATEX* format, FormatInfo* info);
inline bool IsLinear(Kind k) {
  return k == Kind::Pcm || k == Kind::Float;
}
// Whether one stream of the driver converts source to destination.
bool ConvertsDirectly(const FormatInfo& source, const FormatInfo& destination);
// The size of a record in memory: the struct and its extra bytes.
DWORD FormatMemorySize(const WAVEFORMATEX* format);
// The samples per block of an IMA ADPCM record (0 without the extra bytes).
WORD ImaSamplesPerBlock(const WAVEFORMATEX* format);

int MuLawToLinear(BYTE value);
int ALawToLinear(BYTE value);
// Decodes one IMA ADPCM block of bytes (a whole block, or the first part of
// a cut-off last block) into interleaved 16-bit frames; returns the frames
// written, at most samplesPerBlock.
int DecodeImaBlock(const BYTE* block, int bytes, int channels, int samplesPerBlock, std::int16_t* out);

// Linear sample codecs, frames interleaved by channel.
void DecodeLinear(const FormatInfo& format, const BYTE* source, std::size_t frames, double* out);
void EncodeLinear(const FormatInfo& format, const double* in, std::size_t frames, BYTE* destination);

}  // namespace acm
