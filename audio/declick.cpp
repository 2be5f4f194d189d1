#include "audio/declick.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Beyond this the window's sums leave the float range; the ramp's shape no
// longer changes much long before.
constexpr float kMaxBeta = 50.0f;
// A declick ramp longer than a second is not a declick; the cap also keeps a
// hostile setting from sizing the ramps past memory.
constexpr float kMaxRampMs = 1000.0f;

float SaneBeta(float beta) {
  if (!std::isfinite(beta)) return 0.0f;
  // The window is even in beta.
  return std::min(std::fabs(beta), kMaxBeta);
}

// The cumulative sums of the window, normalised to end at 1.0; store maps the
// loop index to the entry it fills.
template <class Store>
void KaiserCumWindow(LONG n, float* out, float beta, Store store) {
  if (n <= 0) return;
  beta = SaneBeta(beta);
  LONG half = n / 2;
  LONG odd = n % 2;
  double scale = 1.0 / BesselI0(beta);
  double f = n - odd > 0 ? 1.0 / (n - odd) : 0.0;
  double sum = 0.0;
  for (LONG i = -half; i <= half + odd - 1; ++i) {
    double inside = std::max(0.0, 1.0 - 4.0 * double(i) * i * f * f);
    float argument = static_cast<float>(beta * std::sqrt(inside));
    sum += BesselI0(argument) * scale;
    out[store(i, half, odd)] = static_cast<float>(sum);
  }
  for (LONG k = 0; k < n; ++k) out[k] = static_cast<float>(out[k] / sum);
}

}  // namespace

float BesselI0(float x) {
  if (x == 0.0f) return 1.0f;
  double sum = 1.0;
  double term = 1.0;
  double factorial = 1.0;
  double half = std::fabs(double(x)) / 2.0;
  for (int k = 1; term > 1e-10; ++k) {
    factorial *= k;
    float t = static_cast<float>(std::exp(k * std::log(half)) / factorial);
    term = double(t) * t;
    if (!std::isfinite(term)) break;
    sum += term;
  }
  return static_cast<float>(sum);
}

void KaiserCumWindowUp(LONG n, float* out, float beta) {
  KaiserCumWindow(n, out, beta, [](LONG i, LONG half, LONG) { return i + half; });
}

void KaiserCumWindowDown(LONG n, float* out, float beta) {
  KaiserCumWindow(n, out, beta, [](LONG i, LONG half, LONG odd) { return (half + odd - 1) - i; });
}

LONG DeclickRampLength(DWORD rate, float milliseconds) {
  if (!(milliseconds > 0.0f)) milliseconds = 0.0f;
  milliseconds = std::min(milliseconds, kMaxRampMs);
  LONG n = static_cast<LONG>(rate * double(milliseconds) * 0.001);
  return std::max<LONG>(n, 5);
}

namespace {

// One sample as 16 bits: NaN plays as silence, the rest is limited and
// rounded to nearest, ties to even, as the processor's default mode does
// (adding 1.5 x 2^23 leaves no fraction bits at 16-bit range).
inline int16_t Pcm16Of(float v) {
  v = v == v ? v : 0.0f;
  v = v > -32768.0f ? v : -32768.0f;
  v = v < 32767.0f ? v : 32767.0f;
  constexpr float kRound = 12582912.0f;
  return static_cast<int16_t>(static_cast<int32_t>((v + kRound) - kRound));
}

inline BYTE Pcm8Of(float v) {
  v = v == v ? v : 0.0f;
  v = v > -32768.0f ? v : -32768.0f;
  v = v < 32767.0f ? v : 32767.0f;
  int32_t s = static_cast<int32_t>(v) >> 8;  // truncated, then a floor division by 256
  return static_cast<BYTE>(s + 128);
}

// Chunks of a fixed size through a local buffer, so the compiler turns the
// 8-bit conversion into vector code.
constexpr DWORD kChunk = 256;

}  // namespace

void FloatToPcm16(void* destination, const float* source, DWORD bytes) {
  DWORD count = bytes / 2;
  auto* out = static_cast<BYTE*>(destination);
  DWORD i = 0;
#if defined(__SSE2__)
  // Eight samples at a time: NaN to 0, limit, convert in the processor's
  // rounding mode (to nearest, ties to even), pack to 16 bits.
  const __m128 low = _mm_set1_ps(-32768.0f);
  const __m128 high = _mm_set1_ps(32767.0f);
  for (; i + 8 <= count; i += 8) {
    __m128 a = _mm_loadu_ps(source + i);
    __m128 b = _mm_loadu_ps(source + i + 4);
    a = _mm_and_ps(a, _mm_cmpord_ps(a, a));
    b = _mm_and_ps(b, _mm_cmpord_ps(b, b));
    a = _mm_min_ps(_mm_max_ps(a, low), high);
    b = _mm_min_ps(_mm_max_ps(b, low), high);
    __m128i packed = _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), packed);  // x86 is little-endian
  }
#endif
  for (; i < count; ++i) {
    int16_t s = Pcm16Of(source[i]);
    out[2 * i] = static_cast<BYTE>(s & 0xFF);
    out[2 * i + 1] = static_cast<BYTE>((s >> 8) & 0xFF);
  }
}

void FloatToPcm8(void* destination, const float* source, DWORD bytes) {
  auto* out = static_cast<BYTE*>(destination);
  BYTE chunk[kChunk];
  DWORD i = 0;
  for (; i + kChunk <= bytes; i += kChunk) {
    for (DWORD k = 0; k < kChunk; ++k) chunk[k] = Pcm8Of(source[i + k]);
    std::memcpy(out + i, chunk, sizeof(chunk));
  }
  for (; i < bytes; ++i) out[i] = Pcm8Of(source[i]);
}

namespace {

// A float on the 16-bit scale times scale, truncated toward zero and held to
// [low, high]; NaN is 0.
std::int32_t ScaledOf(float value, double scale, double low, double high) {
  if (value != value) return 0;
  double v = static_cast<double>(value) * scale;
  if (v <= low) return static_cast<std::int32_t>(low);
  if (v >= high) return static_cast<std::int32_t>(high);
  return static_cast<std::int32_t>(v);
}

void PutLe32(BYTE* out, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  out[0] = static_cast<BYTE>(u);
  out[1] = static_cast<BYTE>(u >> 8);
  out[2] = static_cast<BYTE>(u >> 16);
  out[3] = static_cast<BYTE>(u >> 24);
}

}  // namespace

void FloatToPcm24In32(void* destination, const float* source, DWORD bytes) {
  auto* out = static_cast<BYTE*>(destination);
  for (DWORD i = 0; i < bytes / 4; ++i) {
    const std::int32_t v = ScaledOf(source[i], 256.0, -8388608.0, 8388607.0);
    PutLe32(out + 4 * i, static_cast<std::int32_t>(static_cast<std::uint32_t>(v) << 8));
  }
}

void FloatToPcm32(void* destination, const float* source, DWORD bytes) {
  auto* out = static_cast<BYTE*>(destination);
  for (DWORD i = 0; i < bytes / 4; ++i)
    PutLe32(out + 4 * i, ScaledOf(source[i], 65536.0, -2147483648.0, 2147483647.0));
}
