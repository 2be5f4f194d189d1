// The engine's per-block hot paths: the float-to-PCM output writers, and a
// gain profile applied to a block of stereo frames (a ramp per profile
// segment, as the mix copies a clip through its envelope).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/declick.h"
#include "audio/gain_profile.h"
#include "media/sample_routines.h"

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

// Copies frames [0, n) of a stereo float block through a stereo profile with
// the routines the mix uses: each segment between two points ramps both
// gains linearly in frames.
void CopyThroughStereoProfile(const SampleRoutines& r, const std::vector<SVolumeProfile>& p,
                              const SampleBlock& in, float* out, LONG n) {
  LONG q = 0;
  for (std::size_t i = 1; i < p.size() && q < n; ++i) {
    const LONG c = static_cast<LONG>(std::min<LONGLONG>(n, p[i].position) - q);
    const float span = static_cast<float>(p[i].position - p[i - 1].position);
    if (c <= 0 || span <= 0.0f) continue;
    const float from = static_cast<float>(q - p[i - 1].position);
    const float dl = (p[i].left - p[i - 1].left) / span;
    const float dr = (p[i].right - p[i - 1].right) / span;
    r.GainToStereoRamps(out, q, &in, q, c, p[i - 1].left + from * dl, dl, p[i - 1].right + from * dr, dr);
    q += c;
  }
}

void BM_ApplyStereoGainProfile(benchmark::State& state) {
  // A clip of one block with a fade-in, a pan sweep through the centre and a fade-out.
  std::vector<Point> volume = {{0, 0}, {40, 512}, {150, 700}, {186, 0}};
  std::vector<Point> balance = {{0, -200}, {186, 200}};
  std::vector<FVolumeProfile> list;
  BuildVolumeList(volume.data(), 4, 512, list);
  std::vector<SVolumeProfile> profile;
  BuildStereoGains(list, balance.data(), 2, 0, 44100, true, profile);
  const WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
  const SampleRoutines routines = SelectSampleRoutines(format, kSampleLittleEndian);
  std::vector<float> samples = Signal(kFrames * 2);
  SampleBlock in;
  in.data = samples.data();
  in.requested = in.held = in.capacity = kFrames;
  std::vector<float> out(kFrames * 2);
  for (auto _ : state) {
    CopyThroughStereoProfile(routines, profile, in, out.data(), kFrames);
    benchmark::DoNotOptimize(out.data());
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
  std::vector<FVolumeProfile> list;
  std::vector<SVolumeProfile> profile;
  for (auto _ : state) {
    BuildVolumeList(volume.data(), int32_t(volume.size()), 512, list);
    BuildStereoGains(list, balance.data(), int32_t(balance.size()), 0, 48000, true, profile);
    benchmark::DoNotOptimize(profile.data());
  }
}
BENCHMARK(BM_BuildStereoGainProfile);

}  // namespace
