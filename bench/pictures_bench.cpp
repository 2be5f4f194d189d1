// The pictures' hot paths: mask blends of two 720 x 576 frames at each
// depth and the mask they use, in frames per second; the waveform overview
// scan and a WAVE rate conversion, in audio frames per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/audio_data.h"
#include "media/transition_mask.h"
#include "media/wave_overview.h"
#include "platform/audioconv/acm.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;

std::vector<BYTE> Noise(std::size_t n, std::uint32_t seed) {
  std::vector<BYTE> v(n);
  for (BYTE& b : v) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<BYTE>(seed >> 16);
  }
  return v;
}

using Blend = void (*)(const BYTE*, int, int, const BYTE*, const BYTE*, BYTE*);

void BlendFrames(benchmark::State& state, Blend blend, int bytes) {
  const std::size_t n = static_cast<std::size_t>(kWidth) * kHeight * bytes;
  const std::vector<BYTE> a = Noise(n, 1), b = Noise(n, 2);
  std::vector<BYTE> out(n), mask(static_cast<std::size_t>(kWidth) * kHeight);
  MakeTransitionMask(1, 40, mask.data(), kWidth, kHeight, 12, 25);
  for (auto _ : state) {
    blend(mask.data(), kWidth, kHeight, a.data(), b.data(), out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_BlendMask32(benchmark::State& s) {
  BlendFrames(s, BlendMask32, 4);
}
void BM_BlendMask24(benchmark::State& s) {
  BlendFrames(s, BlendMask24, 3);
}
void BM_BlendMask16(benchmark::State& s) {
  BlendFrames(s, BlendMask16, 2);
}
void BM_BlendMask8(benchmark::State& s) {
  BlendFrames(s, BlendMask8, 1);
}
BENCHMARK(BM_BlendMask32);
BENCHMARK(BM_BlendMask24);
BENCHMARK(BM_BlendMask16);
BENCHMARK(BM_BlendMask8);

void BM_BlendConst24(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(kWidth) * kHeight * 3;
  const std::vector<BYTE> a = Noise(n, 1), b = Noise(n, 2);
  std::vector<BYTE> out(n);
  const BYTE mask[1] = {100};
  for (auto _ : state) {
    BlendConst(mask, kWidth, kHeight, 24, a.data(), b.data(), out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BlendConst24);

// The mask of each kind, built once per rendered frame.
void BM_MakeTransitionMask(benchmark::State& state) {
  std::vector<BYTE> mask(static_cast<std::size_t>(kWidth) * kHeight);
  const int kind = static_cast<int>(state.range(0));
  int step = 0;
  for (auto _ : state) {
    MakeTransitionMask(kind, 32, mask.data(), kWidth, kHeight, step, 50);
    step = (step + 1) % 50;
    benchmark::DoNotOptimize(mask.data());
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MakeTransitionMask)->DenseRange(0, 4);

// A 16-bit stereo WAVE file of frames frames of a tone.
std::string MakeWave(std::uint32_t frames, std::uint32_t rate) {
  const char* dir = std::getenv("TMPDIR");
  const std::string path = std::string(dir != nullptr && *dir ? dir : "/tmp") + "/kobrix-pictures-bench-" +
                           std::to_string(getpid()) + ".wav";
  std::vector<BYTE> f;
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f.push_back(static_cast<BYTE>(v >> (8 * i)));
  };
  auto put16 = [&](std::uint32_t v) {
    f.push_back(static_cast<BYTE>(v));
    f.push_back(static_cast<BYTE>(v >> 8));
  };
  auto id = [&](const char* s) {
    for (int i = 0; i < 4; ++i) f.push_back(static_cast<BYTE>(s[i]));
  };
  f.reserve(44 + static_cast<std::size_t>(frames) * 4);
  const std::uint32_t data = frames * 4;
  id("RIFF");
  put32(36 + data);
  id("WAVE");
  id("fmt ");
  put32(16);
  put16(1);
  put16(2);
  put32(rate);
  put32(rate * 4);
  put16(4);
  put16(16);
  id("data");
  put32(data);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const auto v = static_cast<std::int16_t>(20000 * std::sin(i * 0.0627));
    put16(static_cast<std::uint16_t>(v));
    put16(static_cast<std::uint16_t>(-v));
  }
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out != nullptr) {
    std::fwrite(f.data(), 1, f.size(), out);
    std::fclose(out);
  }
  return path;
}

void BM_FillWaveform(benchmark::State& state) {
  const std::uint32_t frames = 10 * 44100;
  const std::string path = MakeWave(frames, 44100);
  AudioData* source = AudioData::OpenShared(path.c_str());
  if (source == nullptr) {
    state.SkipWithError("no source");
    return;
  }
  source->BeginRead();
  for (auto _ : state) {
    source->peakBlock1.reset();
    source->peakBlock2.reset();
    source->peakByteCount = 0;
    FillWaveform(source);
    benchmark::DoNotOptimize(source->peakBlock1.get());
  }
  source->EndRead();
  source->Release();
  std::remove(path.c_str());
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * frames, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillWaveform)->Unit(benchmark::kMillisecond);

// One stream from 44,100 Hz to the given rate, 16-bit stereo.
void BM_AcmResample(benchmark::State& state) {
  WAVEFORMATEX s{1, 2, 44100, 44100 * 4, 4, 16, 0};
  const DWORD outRate = static_cast<DWORD>(state.range(0));
  WAVEFORMATEX d{1, 2, outRate, outRate * 4, 4, 16, 0};
  HACMSTREAM stream = nullptr;
  if (acmStreamOpen(&stream, nullptr, &s, &d, nullptr, 0, 0, 0) != MMSYSERR_NOERROR) {
    state.SkipWithError("no stream");
    return;
  }
  const DWORD chunk = 44100 * 4 / 10;
  DWORD out = 0;
  acmStreamSize(stream, chunk, &out, ACM_STREAMSIZEF_SOURCE);
  std::vector<BYTE> src = Noise(chunk, 3), dst(out);
  ACMSTREAMHEADER h;
  h.pbSrc = src.data();
  h.cbSrcLength = chunk;
  h.pbDst = dst.data();
  h.cbDstLength = out;
  acmStreamPrepareHeader(stream, &h, 0);
  DWORD flags = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
  for (auto _ : state) {
    acmStreamConvert(stream, &h, flags);
    flags = ACM_STREAMCONVERTF_BLOCKALIGN;
    benchmark::DoNotOptimize(dst.data());
  }
  acmStreamUnprepareHeader(stream, &h, 0);
  acmStreamClose(stream, 0);
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * chunk / 4, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AcmResample)->Arg(44100)->Arg(48000)->Arg(22050);

}  // namespace
