// The level meters' feed: the peak of one block of stereo frames in each
// sample layout, as the engine's command thread and the recorder thread
// measure every block that plays or is captured.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "audio/peak_meters.h"

namespace {

constexpr std::size_t kFrames = 8192;  // one block of 44.1 kHz stereo
constexpr int kBytesPerSample[] = {1, 1, 2, 3, 3, 4, 4, 4};

// A sine in the layout of sample type, on each channel.
std::vector<BYTE> Block(int type) {
  const int size = kBytesPerSample[type];
  std::vector<BYTE> out(kFrames * 2 * size);
  for (std::size_t i = 0; i < kFrames * 2; ++i) {
    const double v = std::sin(0.001 * static_cast<double>(i));
    BYTE* p = out.data() + i * size;
    if (type == 1) {
      p[0] = static_cast<BYTE>(128 + 100 * v);
    } else if (type == 7) {
      const float f = static_cast<float>(0.8 * v);
      std::memcpy(p, &f, 4);
    } else {
      const long long s = static_cast<long long>(v * 0.8 * (1LL << (8 * size - 1)));
      for (int b = 0; b < size; ++b) p[b] = static_cast<BYTE>(s >> (8 * b));
    }
  }
  return out;
}

void BM_PeakMeters(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  const std::vector<BYTE> block = Block(type);
  for (auto _ : state) {
    PeakLevels p = MeasurePeaks(block.data(), static_cast<DWORD>(block.size()), type, 2);
    benchmark::DoNotOptimize(p);
  }
  state.counters["frames/s"] =
      benchmark::Counter(double(kFrames) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PeakMeters)->DenseRange(1, 7)->ArgName("type");

}  // namespace
