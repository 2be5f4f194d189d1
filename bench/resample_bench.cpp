// Resampling a WAVE file from 44.1 to 48 kHz, 16-bit stereo, through the
// format converter: reading, conversion and writing, as Convert does for a
// clip. KOBRIX_BENCH_WAVE names the file (bench/compare.sh converts the
// same one with sox beside it); without it, a minute of sound made here.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "media/audio_data.h"
#include "media/wave_convert.h"

namespace {

constexpr DWORD kRate = 44100;

void Put16(std::vector<BYTE>& b, unsigned v) {
  b.push_back(static_cast<BYTE>(v));
  b.push_back(static_cast<BYTE>(v >> 8));
}
void Put32(std::vector<BYTE>& b, DWORD v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
}
void PutId(std::vector<BYTE>& b, const char* id) {
  b.insert(b.end(), id, id + 4);
}

class Folder {
 public:
  Folder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/kobrix-resample-bench-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~Folder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A minute of a chord with a slow sweep, 16-bit stereo.
std::string MakeSource(const std::string& folder) {
  const std::size_t frames = std::size_t{60} * kRate;
  std::vector<BYTE> b;
  b.reserve(44 + frames * 4);
  PutId(b, "RIFF");
  Put32(b, static_cast<DWORD>(36 + frames * 4));
  PutId(b, "WAVE");
  PutId(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, 2);
  Put32(b, kRate);
  Put32(b, kRate * 4);
  Put16(b, 4);
  Put16(b, 16);
  PutId(b, "data");
  Put32(b, static_cast<DWORD>(frames * 4));
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double chord = 5000 * std::sin(2 * M_PI * 220 * t) + 3000 * std::sin(2 * M_PI * 1870 * t);
    const double sweep = 3000 * std::sin(2 * M_PI * (100 * t + 150 * t * t));
    Put16(b, static_cast<unsigned>(static_cast<int>(chord + sweep)));
    Put16(b, static_cast<unsigned>(static_cast<int>(chord - sweep)));
  }
  const std::string path = folder + "/source.wav";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
  }
  return path;
}

void BM_Resample44100To48000Stereo(benchmark::State& state) {
  Folder folder;
  const char* named = std::getenv("KOBRIX_BENCH_WAVE");
  const std::string path = named != nullptr && *named != '\0' ? named : MakeSource(folder.path());
  AudioData* source = AudioData::OpenShared(path.c_str());
  if (source == nullptr || source->length <= 0) {
    state.SkipWithError("the source did not open");
    return;
  }
  const std::string out = folder.path() + "/out.wav";
  double seconds = 0;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    if (ConvertWaveToPcm(nullptr, source, out.c_str(), 48000, 2, 16) != 0) state.SkipWithError("conversion");
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    state.SetIterationTime(seconds);
  }
  state.counters["x_real_time"] = source->length / 1000.0 / seconds;
  source->Release();
}
BENCHMARK(BM_Resample44100To48000Stereo)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
