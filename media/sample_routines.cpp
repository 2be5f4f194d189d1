#include "media/sample_routines.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>

namespace {

// ---- conversion tables ----

constexpr std::array<float, 256> MakeUnsignedTable() {
  std::array<float, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<float>(-32768 + 256 * i);
  return t;
}
// A raw signed byte keeps its sign: 0x01 is +256, 0xFF is -256.
constexpr std::array<float, 256> MakeSignedTable() {
  std::array<float, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<float>((i < 128 ? i : i - 256) * 256);
  return t;
}
constexpr std::array<float, 256> kUnsignedBytes = MakeUnsignedTable();
constexpr std::array<float, 256> kSignedBytes = MakeSignedTable();

// ---- raw sample readers (one sample at p) ----

inline float FromUnsigned8(const BYTE* p) { return kUnsignedBytes[p[0]]; }
inline float FromSigned8(const BYTE* p) { return kSignedBytes[p[0]]; }
inline float FromLittle16(const BYTE* p) {
  return static_cast<float>(static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8))));
}
inline float FromBig16(const BYTE* p) {
  return static_cast<float>(static_cast<std::int16_t>(static_cast<std::uint16_t>(p[1] | (p[0] << 8))));
}
// The three bytes go to the top of a signed 32-bit value; x 1/65536 puts the
// 24-bit range on the 16-bit scale.
inline float FromPacked24(const BYTE* p) {
  const std::uint32_t u = (static_cast<std::uint32_t>(p[0]) << 8) | (static_cast<std::uint32_t>(p[1]) << 16) |
                          (static_cast<std::uint32_t>(p[2]) << 24);
  return static_cast<float>(static_cast<std::int32_t>(u)) * (1.0f / 65536.0f);
}
inline float FromBig24(const BYTE* p) {
  const std::uint32_t u = (static_cast<std::uint32_t>(p[2]) << 8) | (static_cast<std::uint32_t>(p[1]) << 16) |
                          (static_cast<std::uint32_t>(p[0]) << 24);
  return static_cast<float>(static_cast<std::int32_t>(u)) * (1.0f / 65536.0f);
}
// 32-bit PCM and 24 bits left-justified in 4 bytes.
inline float FromLittle32(const BYTE* p) {
  const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                          (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<float>(static_cast<std::int32_t>(u)) * (1.0f / 65536.0f);
}
inline float FromIeeeFloat(const BYTE* p) {
  float v;
  std::memcpy(&v, p, sizeof v);
  return v * 32768.0f;
}

void RewriteAsFloat(SampleBlock* block) {
  SampleBlockFormat& f = block->format;
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.wBitsPerSample = 32;
  f.nBlockAlign = static_cast<WORD>(f.nChannels * 4);
  f.nAvgBytesPerSec = static_cast<DWORD>(f.nBlockAlign) * f.nSamplesPerSec;
}

// In place from the last sample to the first: a float (4 bytes) never lands
// on a raw sample (at most 4 bytes) that is still to be read. Chunks of raw
// samples are copied out first so that each chunk converts in a straight loop.
template <int kRawSize, float (*Convert)(const BYTE*)>
void ConvertInPlace(SampleBlock* block) {
  const std::int64_t samples = static_cast<std::int64_t>(block->held) * block->format.nChannels;
  BYTE* data = static_cast<BYTE*>(block->data);
  if (samples > 0 && data != nullptr) {
    constexpr std::int64_t kChunk = 512;
    BYTE raw[kChunk * kRawSize];
    float out[kChunk];
    std::int64_t end = samples;
    while (end > 0) {
      const std::int64_t start = std::max<std::int64_t>(0, end - kChunk);
      const std::int64_t n = end - start;
      std::memcpy(raw, data + start * kRawSize, static_cast<std::size_t>(n * kRawSize));
      for (std::int64_t i = 0; i < n; ++i) out[i] = Convert(raw + i * kRawSize);
      std::memcpy(data + start * 4, out, static_cast<std::size_t>(n * 4));
      end = start;
    }
  }
  RewriteAsFloat(block);
}

void ToFloatNone(SampleBlock*) {}

// ---- gain routines ----

inline const float* Samples(const SampleBlock* block) { return static_cast<const float*>(block->data); }
inline float* Samples(SampleBlock* block) { return static_cast<float*>(block->data); }

void MonoToMono(float* out, LONG of, const SampleBlock* b, LONG bf, LONG count, float g) {
  const float* s = Samples(b) + bf;
  out += of;
  for (LONG i = 0; i < count; ++i) out[i] = s[i] * g;
}
void StereoToMono(float* out, LONG of, const SampleBlock* b, LONG bf, LONG count, float g) {
  const float* s = Samples(b) + 2 * static_cast<std::int64_t>(bf);
  out += of;
  for (LONG i = 0; i < count; ++i) out[i] = (s[2 * i] + s[2 * i + 1]) * 0.5f * g;
}
void MonoToMonoRamp(float* out, LONG of, const SampleBlock* b, LONG bf, LONG count, float g, float dg) {
  const float* s = Samples(b) + bf;
  out += of;
  for (LONG i = 0; i < count; ++i) {
    out[i] = s[i] * g;
    g += dg;
  }
}
void StereoToMonoRamp(float* out, LONG of, const SampleBlock* b, LONG bf, LONG count, float g, float dg) {
  const float* s = Samples(b) + 2 * static_cast<std::int64_t>(bf);
  out += of;
  for (LONG i = 0; i < count; ++i) {
    out[i] = (s[2 * i] + s[2 * i + 1]) * 0.5f * g;
    g += dg;
  }
}

// Stereo output from a mono source (both sides read s) or a stereo one.
template <bool kStereo>
struct Frames {
  static float Left(const float* s, LONG i) { return kStereo ? s[2 * i] : s[i]; }
  static float Right(const float* s, LONG i) { return kStereo ? s[2 * i + 1] : s[i]; }
  static const float* At(const SampleBlock* b, LONG bf) {
    return Samples(b) + (kStereo ? 2 : 1) * static_cast<std::int64_t>(bf);
  }
};

// One loop for the four stereo gain routines: each side's gain steps by its
// delta only where that side ramps.
template <bool kStereo, bool kRampLeft, bool kRampRight>
void StereoGains(float* out, LONG of, const SampleBlock* b, LONG bf, LONG count, float gL, float dgL, float gR,
                 float dgR) {
  using F = Frames<kStereo>;
  const float* s = F::At(b, bf);
  out += 2 * static_cast<std::int64_t>(of);
  for (LONG i = 0; i < count; ++i) {
    out[2 * i] = F::Left(s, i) * gL;
    out[2 * i + 1] = F::Right(s, i) * gR;
    if constexpr (kRampLeft) gL += dgL;
    if constexpr (kRampRight) gR += dgR;
  }
}
template <bool kStereo>
void ToStereo(float* out, LONG of, const SampleBlock* b, LONG bf, LONG count, float gL, float gR) {
  StereoGains<kStereo, false, false>(out, of, b, bf, count, gL, 0.0f, gR, 0.0f);
}
template <bool kStereo>
void ToStereoRamps(float* out, LONG of, const SampleBlock* b, LONG bf, LONG count, float gL, float dgL,
                   float gR, float dgR) {
  StereoGains<kStereo, true, true>(out, of, b, bf, count, gL, dgL, gR, dgR);
}
template <bool kStereo>
void ToStereoRampRight(float* out, LONG of, const SampleBlock* b, LONG bf, LONG count, float gL, float gR,
                       float dgR) {
  StereoGains<kStereo, false, true>(out, of, b, bf, count, gL, 0.0f, gR, dgR);
}
template <bool kStereo>
void ToStereoRampLeft(float* out, LONG of, const SampleBlock* b, LONG bf, LONG count, float gL, float dgL,
                      float gR) {
  StereoGains<kStereo, true, false>(out, of, b, bf, count, gL, dgL, gR, 0.0f);
}

// ---- envelopes ----

template <int kChannels>
void EnvelopeFrom(const float* e, SampleBlock* b, LONG blockFrame, LONG count) {
  if (count <= 0) return;
  float* s = Samples(b) + kChannels * static_cast<std::int64_t>(blockFrame);
  for (LONG i = 0; i < count; ++i)
    for (int c = 0; c < kChannels; ++c) s[kChannels * i + c] *= e[i];
}
template <int kChannels>
void ApplyEnvelopeN(const float* envelope, SampleBlock* b, LONG envelopeIndex, LONG count) {
  if (count <= 0) return;
  EnvelopeFrom<kChannels>(envelope + envelopeIndex, b, 0, count);
}
template <int kChannels>
void ApplyEnvelopeAtN(const float* envelope, SampleBlock* b, LONG blockFrame, LONG envelopeIndex, LONG count) {
  if (count <= 0) return;
  EnvelopeFrom<kChannels>(envelope + envelopeIndex, b, blockFrame, count);
}

std::atomic<BYTE> g_silence{0};

// 32-bit words, then the remaining bytes.
void FillBytes(void* buffer, BYTE value, DWORD size) {
  BYTE* p = static_cast<BYTE*>(buffer);
  const std::uint32_t word = value * 0x01010101u;
  DWORD words = size / 4;
  for (DWORD i = 0; i < words; ++i) std::memcpy(p + 4 * i, &word, 4);
  for (DWORD i = words * 4; i < size; ++i) p[i] = value;
}

}  // namespace

LONG SampleTypeFromFormat(const WAVEFORMATEX& f) {
  if (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) return kSampleFloat32;
  if (f.wFormatTag != WAVE_FORMAT_PCM) return kSampleUnusable;
  if (f.nBlockAlign == 6 && (f.wBitsPerSample == 20 || f.wBitsPerSample == 24)) return kSamplePacked24;
  return kSampleLittleEndian;
}

bool IsSupportedSampleLayout(const WAVEFORMATEX& f) {
  if (f.nChannels < 1 || f.nChannels > 2) return false;
  const unsigned container = f.nBlockAlign % f.nChannels == 0 ? f.nBlockAlign / f.nChannels : 0;
  if (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) return f.wBitsPerSample == 32 && container == 4;
  switch (f.wBitsPerSample) {
    case 8: return container == 1;
    case 16: return container == 2;
    case 20: return container == 3;
    case 24: return container == 3 || container == 4;
    case 32: return container == 4;
    default: return false;
  }
}

SampleRoutines SelectSampleRoutines(const WAVEFORMATEX& f, LONG sampleType) {
  SampleRoutines r;
  if (f.nChannels == 1) {
    r.GainToMono = MonoToMono;
    r.GainToMonoRamp = MonoToMonoRamp;
    r.GainToStereo = ToStereo<false>;
    r.GainToStereoRamps = ToStereoRamps<false>;
    r.GainToStereoRampRight = ToStereoRampRight<false>;
    r.GainToStereoRampLeft = ToStereoRampLeft<false>;
    r.ApplyEnvelope = ApplyEnvelopeN<1>;
    r.ApplyEnvelopeAt = ApplyEnvelopeAtN<1>;
  } else {
    r.GainToMono = StereoToMono;
    r.GainToMonoRamp = StereoToMonoRamp;
    r.GainToStereo = ToStereo<true>;
    r.GainToStereoRamps = ToStereoRamps<true>;
    r.GainToStereoRampRight = ToStereoRampRight<true>;
    r.GainToStereoRampLeft = ToStereoRampLeft<true>;
    r.ApplyEnvelope = ApplyEnvelopeN<2>;
    r.ApplyEnvelopeAt = ApplyEnvelopeAtN<2>;
  }
  const unsigned container = f.nChannels != 0 ? f.nBlockAlign / f.nChannels : 0;
  r.ToFloat = ToFloatNone;
  switch (sampleType) {
    case kSampleLittleEndian:
      if (f.wBitsPerSample == 8 && container == 1)
        r.ToFloat = ConvertInPlace<1, FromUnsigned8>;
      else if (f.wBitsPerSample == 16 && container == 2)
        r.ToFloat = ConvertInPlace<2, FromLittle16>;
      else if ((f.wBitsPerSample == 20 || f.wBitsPerSample == 24) && container == 3)
        r.ToFloat = ConvertInPlace<3, FromPacked24>;
      else if ((f.wBitsPerSample == 24 || f.wBitsPerSample == 32) && container == 4)
        r.ToFloat = ConvertInPlace<4, FromLittle32>;
      break;
    case kSampleSigned8:
      r.ToFloat = ConvertInPlace<1, FromSigned8>;
      break;
    case kSampleBigEndian16:
      r.ToFloat = ConvertInPlace<2, FromBig16>;
      break;
    case kSampleBigEndian24:
      r.ToFloat = ConvertInPlace<3, FromBig24>;
      break;
    case kSampleFloat32:
      if (f.wBitsPerSample == 32 && container == 4) r.ToFloat = ConvertInPlace<4, FromIeeeFloat>;
      break;
    case kSamplePacked24:
      if ((f.wBitsPerSample == 20 || f.wBitsPerSample == 24) && container == 3)
        r.ToFloat = ConvertInPlace<3, FromPacked24>;
      break;
    default:
      break;
  }
  return r;
}

int SampleTypeOfFormat(const WAVEFORMATEX& f) {
  switch (f.wBitsPerSample) {
    case 8: return 1;
    case 16: return 2;
    case 20: return 3;
    case 24:
      if (f.nBlockAlign == f.nChannels * 3) return 4;
      if (f.nBlockAlign == f.nChannels * 4) return 5;
      return 0;
    case 32:
      if (f.wFormatTag == WAVE_FORMAT_PCM) return 6;
      if (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) return 7;
      return 0;
    default: return 0;
  }
}

namespace {
// Float to integer with the range held: a mix that ran past full scale
// clips instead of wrapping round (and never converts an out-of-range float).
inline std::int32_t ClampToInt(float v, std::int32_t lo, std::int32_t hi) {
  if (!(v >= static_cast<float>(lo))) return std::isnan(v) ? 0 : lo;
  if (v >= static_cast<float>(hi)) return hi;
  return static_cast<std::int32_t>(v);  // truncates toward zero
}
}  // namespace

void Write24BitSamples(void* destination, const float* source, DWORD size) {
  BYTE* d = static_cast<BYTE*>(destination);
  const DWORD n = size / 3;
  for (DWORD i = 0; i < n; ++i) {
    const std::int32_t v = ClampToInt(source[i] * 256.0f, -8388608, 8388607);
    const std::uint32_t u = static_cast<std::uint32_t>(v);
    d[3 * i] = static_cast<BYTE>(u);
    d[3 * i + 1] = static_cast<BYTE>(u >> 8);
    d[3 * i + 2] = static_cast<BYTE>(u >> 16);
  }
}

void WriteIeeeFloatSamples(void* destination, const float* source, DWORD size) {
  BYTE* d = static_cast<BYTE*>(destination);
  const DWORD n = size / 4;
  for (DWORD i = 0; i < n; ++i) {
    const float v = source[i] * (1.0f / 32768.0f);
    std::memcpy(d + 4 * i, &v, 4);
  }
}

void SetOutputSilenceByte(BYTE value) { g_silence.store(value, std::memory_order_relaxed); }
BYTE OutputSilenceByte() { return g_silence.load(std::memory_order_relaxed); }
void FillSilence(void* buffer, DWORD size) { FillBytes(buffer, OutputSilenceByte(), size); }
