// The engine's per-block hot paths: the float-to-PCM output writers, and a
// gain profile applied to a block of stereo frames (a ramp per profile
// segment, as the mix copies a clip through its envelope).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/declick.h"
#include "audio/gain_profile.h"

namespace {

std::vector<float> Signal(std::size_t samples) {
  std::vector<float> s(samples);
  for (std::size_t i = 0; i < samples; ++i) s[i] = 40000.0f * std::sin(0.001f * static_cast<float>(i));
  return s;
}

constexpr std::size_t kFrames = 8192;  // one block of 44.1 kHz stereo

void BM_FloatToPcm16Stereo(benchmark::State& state) {
  std::vector<float> in = Signal(kFrames * 2);
  std::vector<BYTE> out(kFrames * 4);
  for (auto _ : state) {
    FloatToPcm16(out.data(), in.data(), static_cast<DWORD>(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["frames/s"] =
      benchmark::Counter(double(kFrames) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FloatToPcm16Stereo);

void BM_FloatToPcm8Stereo(benchmark::State& state) {
  std::vector<float> in = Signal(kFrames * 2);
  std::vector<BYTE> out(kFrames * 2);
  for (auto _ : state) {
    FloatToPcm8(out.data(), in.data(), static_cast<DWORD>(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["frames/s"] =
      benchmark::Counter(double(kFrames) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FloatToPcm8Stereo);

struct Point {
  int32_t time;
  int32_t value;
};

// Applies a stereo profile to frames [0, n) of a block in place: each
// segment between two points ramps both gains linearly in frames.
void ApplyStereoProfile(const std::vector<SVolumeProfile>& p, float* block, LONGLONG n) {
  std::size_t i = 1;
  LONGLONG q = 0;
  while (i < p.size() && q < n) {
    LONGLONG c = std::min(n, p[i].position) - q;
    if (c > 0) {
      double span = double(p[i].position - p[i - 1].position);
      float stepL = span > 0 ? float((p[i].left - p[i - 1].left) / span) : 0.0f;
      float stepR = span > 0 ? float((p[i].right - p[i - 1].right) / span) : 0.0f;
      float gL = p[i - 1].left + stepL * float(q - p[i - 1].position);
      float gR = p[i - 1].right + stepR * float(q - p[i - 1].position);
      float* f = block + 2 * q;
      for (LONGLONG k = 0; k < c; ++k) {
        f[2 * k] *= gL;
        f[2 * k + 1] *= gR;
        gL += stepL;
        gR += stepR;
      }
      q += c;
    }
    ++i;
  }
}

void BM_ApplyStereoGainProfile(benchmark::State& state) {
  // A clip of one block with a fade-in, a pan sweep through the centre and a fade-out.
  std::vector<Point> volume = {{0, 0}, {40, 512}, {150, 700}, {186, 0}};
  std::vector<Point> balance = {{0, -200}, {186, 200}};
  std::vector<SVolumeProfile> profile;
  BuildStereoGains(volume.data(), 4, 512, balance.data(), 2, 0, 44100, true, profile);
  std::vector<float> block = Signal(kFrames * 2);
  for (auto _ : state) {
    ApplyStereoProfile(profile, block.data(), kFrames);
    benchmark::DoNotOptimize(block.data());
  }
  state.counters["frames/s"] =
      benchmark::Counter(double(kFrames) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ApplyStereoGainProfile);

void BM_BuildStereoGainProfile(benchmark::State& state) {
  std::vector<Point> volume, balance;
  for (int32_t k = 0; k <= 100; ++k) {
    volume.push_back({k * 1000, (k * 97) % 2048});
    balance.push_back({k * 1000 + (k % 3) * 300, ((k * 53) % 513) - 256});
  }
  std::vector<SVolumeProfile> profile;
  for (auto _ : state) {
    BuildStereoGains(volume.data(), int32_t(volume.size()), 512, balance.data(), int32_t(balance.size()), 0,
                     48000, true, profile);
    benchmark::DoNotOptimize(profile.data());
  }
}
BENCHMARK(BM_BuildStereoGainProfile);

}  // namespace
