#include "platform/audioconv/acm_driver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace acm {

namespace {

constexpr std::array<int, 89> kImaSteps = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr std::array<int, 8> kImaIndexSteps = {-1, -1, -1, -1, 2, 4, 6, 8};

struct ImaChannel {
  int predictor = 0;
  int index = 0;

  std::int16_t Next(int nibble) {
    const int step = kImaSteps[static_cast<std::size_t>(index)];
    int diff = step >> 3;
    if (nibble & 4) diff += step;
    if (nibble & 2) diff += step >> 1;
    if (nibble & 1) diff += step >> 2;
    predictor += (nibble & 8) ? -diff : diff;
    predictor = std::clamp(predictor, -32768, 32767);
    index = std::clamp(index + kImaIndexSteps[static_cast<std::size_t>(nibble & 7)], 0, 88);
    return static_cast<std::int16_t>(predictor);
  }
};

// The most samples a block of blockAlign bytes holds per channel.
int ImaCapacity(int blockAlign, int channels) {
  const int data = blockAlign - 4 * channels;
  if (data < 0) return 0;
  if (channels == 1) return 1 + 2 * data;
  return 1 + 8 * (data / (4 * channels));
}

std::int32_t ReadSigned(const BYTE* p, int container) {
  switch (container) {
    case 2:
      return static_cast<std::int16_t>(p[0] | (p[1] << 8));
    case 3:
      return static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 8) |
                                       (static_cast<std::uint32_t>(p[1]) << 16) |
                                       (static_cast<std::uint32_t>(p[2]) << 24)) >>
             8;
    default:
      return static_cast<std::int32_t>(
          static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
          (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
  }
}

// Rounds v (on the scale of full) to a whole number within [-full, full - 1].
std::int64_t Quantize(double v, double full) {
  if (!(v == v)) return 0;  // NaN
  const double x = std::floor(v * full + 0.5);
  if (x >= full) return static_cast<std::int64_t>(full) - 1;
  if (x < -full) return -static_cast<std::int64_t>(full);
  return static_cast<std::int64_t>(x);
}

}  // namespace

WORD ImaSamplesPerBlock(const WAVEFORMATEX* format) {
  if (format == nullptr || format->cbSize < 2) return 0;
  WORD v;
  std::memcpy(&v, reinterpret_cast<const BYTE*>(format) + sizeof(WAVEFORMATEX), sizeof v);
  return v;
}

DWORD FormatMemorySize(const WAVEFORMATEX* format) {
  return format == nullptr ? 0 : static_cast<DWORD>(sizeof(WAVEFORMATEX)) + format->cbSize;
}

bool Describe(const WAVEFORMATEX* f, FormatInfo* info) {
  if (f == nullptr) return false;
  FormatInfo d;
  d.channels = f->nChannels;
  d.rate = f->nSamplesPerSec;
  d.bits = f->wBitsPerSample;
  d.blockAlign = f->nBlockAlign;
  if (d.channels < 1 || d.channels > kMaxChannels || d.rate < 1 || d.rate > kMaxRate || d.blockAlign < 1)
    return false;
  switch (f->wFormatTag) {
    case WAVE_FORMAT_PCM:
      d.kind = Kind::Pcm;
      if (d.blockAlign % d.channels != 0) return false;
      d.container = d.blockAlign / d.channels;
      if (d.container < 1 || d.container > 4 || d.bits < 1 || d.bits > 8 * d.container ||
          d.bits <= 8 * (d.container - 1))
        return false;
      break;
    case WAVE_FORMAT_IEEE_FLOAT:
      d.kind = Kind::Float;
      d.container = 4;
      if (d.bits != 32 || d.blockAlign != 4 * d.channels) return false;
      break;
    case WAVE_FORMAT_MULAW:
    case WAVE_FORMAT_ALAW:
      d.kind = f->wFormatTag == WAVE_FORMAT_MULAW ? Kind::MuLaw : Kind::ALaw;
      d.container = 1;
      if (d.bits != 8 || d.blockAlign != d.channels) return false;
      break;
    case WAVE_FORMAT_IMA_ADPCM: {
      d.kind = Kind::Ima;
      const int spb = ImaSamplesPerBlock(f);
      if (d.bits != 4 || (d.channels > 1 && (d.blockAlign - 4 * d.channels) % (4 * d.channels) != 0))
        return false;
      if (spb < 1 || spb > ImaCapacity(d.blockAlign, d.channels)) return false;
      d.framesPerUnit = spb;
      break;
    }
    default:
      return false;
  }
  if (info != nullptr) *info = d;
  return true;
}

bool ConvertsDirectly(const FormatInfo& s, const FormatInfo& d) {
  if (!IsLinear(d.kind)) return false;
  if (IsLinear(s.kind)) return true;
  // The decoders give 16-bit PCM of the source's rate and channels.
  return d.kind == Kind::Pcm && d.container == 2 && d.bits == 16 && d.rate == s.rate &&
         d.channels == s.channels;
}

int MuLawToLinear(BYTE value) {
  const int v = ~value & 0xFF;
  const int exponent = (v >> 4) & 7;
  const int mantissa = v & 0x0F;
  const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
  return (v & 0x80) ? -magnitude : magnitude;
}

int ALawToLinear(BYTE value) {
  const int v = value ^ 0x55;
  const int segment = (v >> 4) & 7;
  int t = (v & 0x0F) << 4;
  if (segment == 0)
    t += 8;
  else if (segment == 1)
    t += 0x108;
  else
    t = (t + 0x108) << (segment - 1);
  return (v & 0x80) ? t : -t;
}

int DecodeImaBlock(const BYTE* block, int bytes, int channels, int samplesPerBlock, std::int16_t* out) {
  if (block == nullptr || out == nullptr || channels < 1 || bytes < 4 * channels || samplesPerBlock < 1)
    return 0;
  std::array<ImaChannel, kMaxChannels> state;
  for (int c = 0; c < channels; ++c) {
    const BYTE* h = block + 4 * c;
    state[static_cast<std::size_t>(c)].predictor = static_cast<std::int16_t>(h[0] | (h[1] << 8));
    state[static_cast<std::size_t>(c)].index = std::min<int>(h[2], 88);
    out[c] = static_cast<std::int16_t>(state[static_cast<std::size_t>(c)].predictor);
  }
  int frames = 1;
  const BYTE* data = block + 4 * channels;
  const int dataBytes = bytes - 4 * channels;
  if (channels == 1) {
    for (int i = 0; i < dataBytes && frames < samplesPerBlock; ++i) {
      out[frames++] = state[0].Next(data[i] & 0x0F);
      if (frames < samplesPerBlock) out[frames++] = state[0].Next(data[i] >> 4);
    }
    return frames;
  }
  // Several channels: 4 bytes (8 samples) of each channel in turn.
  const int groups = dataBytes / (4 * channels);
  for (int g = 0; g < groups && frames < samplesPerBlock; ++g) {
    const int count = std::min(8, samplesPerBlock - frames);
    for (int c = 0; c < channels; ++c) {
      const BYTE* p = data + (g * channels + c) * 4;
      ImaChannel& s = state[static_cast<std::size_t>(c)];
      for (int k = 0; k < count; ++k) {
        const int nibble = (k & 1) ? (p[k >> 1] >> 4) : (p[k >> 1] & 0x0F);
        out[(frames + k) * channels + c] = s.Next(nibble);
      }
    }
    frames += count;
  }
  return frames;
}

void DecodeLinear(const FormatInfo& f, const BYTE* s, std::size_t frames, double* out) {
  const std::size_t n = frames * static_cast<std::size_t>(f.channels);
  if (f.kind == Kind::Float) {
    for (std::size_t i = 0; i < n; ++i) {
      float v;
      std::memcpy(&v, s + 4 * i, 4);
      out[i] = v;
    }
    return;
  }
  switch (f.container) {
    case 1:
      for (std::size_t i = 0; i < n; ++i) out[i] = (static_cast<int>(s[i]) - 128) / 128.0;
      break;
    case 2:
      for (std::size_t i = 0; i < n; ++i) out[i] = ReadSigned(s + 2 * i, 2) / 32768.0;
      break;
    case 3:
      for (std::size_t i = 0; i < n; ++i) out[i] = ReadSigned(s + 3 * i, 3) / 8388608.0;
      break;
    default:
      for (std::size_t i = 0; i < n; ++i) out[i] = ReadSigned(s + 4 * i, 4) / 2147483648.0;
      break;
  }
}

void EncodeLinear(const FormatInfo& f, const double* in, std::size_t frames, BYTE* d) {
  const std::size_t n = frames * static_cast<std::size_t>(f.channels);
  if (f.kind == Kind::Float) {
    for (std::size_t i = 0; i < n; ++i) {
      const float v = static_cast<float>(in[i]);
      std::memcpy(d + 4 * i, &v, 4);
    }
    return;
  }
  // Quantised to the stated bits, left-justified in the container.
  const int shift = 8 * f.container - f.bits;
  const double full = std::ldexp(1.0, f.bits - 1);
  const int c = f.container;
  for (std::size_t i = 0; i < n; ++i) {
    const std::int64_t q = Quantize(in[i], full);
    if (c == 1) {
      d[i] = static_cast<BYTE>((q << shift) + 128);
      continue;
    }
    const std::uint32_t u =
        static_cast<std::uint32_t>(static_cast<std::int64_t>(static_cast<std::uint64_t>(q) << shift));
    BYTE* p = d + static_cast<std::size_t>(c) * i;
    for (int b = 0; b < c; ++b) p[b] = static_cast<BYTE>(u >> (8 * b));
  }
}

}  // namespace acm
