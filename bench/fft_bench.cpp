// The analyser's hot paths: the complex transform of a measured block, in
// transforms per second (items_per_second) at 4096 and 65536 points, and
// the diagram's decimation of a 65536-point magnitude spectrum into the
// polyline of a 500-pixel plot, in polylines per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/fft.h"
#include "audio/fft_diagram.h"

namespace {

void Transform(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TFFT fft(n);
  std::vector<float> source(2 * static_cast<std::size_t>(n), 0.0f);
  for (int i = 0; i < n; ++i) source[2 * static_cast<std::size_t>(i)] = std::sin(0.01f * static_cast<float>(i));
  std::vector<float> data(source.size());
  for (auto _ : state) {
    // A fresh copy each time, as the analyser fills its spectrum before each transform.
    data = source;
    fft.Transform(1, data.data());
    benchmark::DoNotOptimize(data.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Transform)->Arg(4096)->Arg(65536);

void MagnitudePolyline(benchmark::State& state) {
  TDiagram diagram(nullptr, 2202, 1);
  diagram.N = 65536;
  diagram.sampleRate = 44100;
  diagram.Layout(559, 339);  // a 500 x 300 plot
  diagram.SetMinFreq(20);
  diagram.SetMaxFreq(22050);
  std::vector<float> magnitude(static_cast<std::size_t>(diagram.N / 2 + 1));
  for (std::size_t k = 0; k < magnitude.size(); ++k)
    magnitude[k] = 0.5f + 0.4f * std::sin(0.001f * static_cast<float>(k));
  diagram.ComputeValueAxis();
  for (auto _ : state) {
    auto points = diagram.BuildMagnitudePolyline(magnitude.data());
    benchmark::DoNotOptimize(points.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(MagnitudePolyline);

}  // namespace
