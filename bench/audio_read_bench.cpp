// ReadBlock + ToFloat, the engine's read of a source block, for every sample
// type: samples (frames x channels) per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/audio_readers.h"

namespace {

constexpr std::uint32_t kFrames = 1 << 20;  // per file: 4 MB to 8 MB, in the page cache after one pass
constexpr LONG kBlockFrames = 4096;

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v, bool big) {
  if (big) {
    b.push_back((v >> 8) & 0xFF);
    b.push_back(v & 0xFF);
  } else {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
  }
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v, bool big) {
  for (int i = 0; i < 4; ++i) b.push_back((v >> (big ? 24 - 8 * i : 8 * i)) & 0xFF);
}
void PutId(std::vector<std::uint8_t>& b, const char* id) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}

// A WAVE file (tag, bits, container bytes) or, with aiff, an AIFF file, of
// kFrames stereo frames of pseudo-random samples.
std::string MakeFile(const std::string& name, std::uint16_t tag, std::uint16_t bits, std::uint16_t container,
                     bool aiff) {
  const char* dir = std::getenv("TMPDIR");
  const std::string path = std::string(dir != nullptr && *dir ? dir : "/tmp") + "/kobrix-bench-" +
                           std::to_string(getpid()) + "-" + name;
  const std::uint16_t channels = 2;
  const std::uint32_t align = channels * container;
  const std::uint32_t dataBytes = kFrames * align;
  std::vector<std::uint8_t> data(dataBytes);
  std::uint32_t x = 12345;
  for (auto& byte : data) {
    x = x * 1103515245u + 12345u;
    byte = static_cast<std::uint8_t>(x >> 16);
  }
  if (tag == 3)
    for (std::uint32_t i = 0; i + 4 <= dataBytes; i += 4) {
      const float f = static_cast<float>(data[i]) / 256.0f - 0.5f;
      std::memcpy(&data[i], &f, 4);
    }
  std::vector<std::uint8_t> h;
  if (aiff) {
    PutId(h, "FORM");
    Put32(h, 4 + 26 + 16 + dataBytes, true);
    PutId(h, "AIFF");
    PutId(h, "COMM");
    Put32(h, 18, true);
    Put16(h, channels, true);
    Put32(h, kFrames, true);
    Put16(h, bits, true);
    const std::uint8_t rate44100[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    h.insert(h.end(), rate44100, rate44100 + 10);
    PutId(h, "SSND");
    Put32(h, 8 + dataBytes, true);
    Put32(h, 0, true);
    Put32(h, 0, true);
  } else {
    PutId(h, "RIFF");
    Put32(h, 4 + 26 + 8 + dataBytes, false);
    PutId(h, "WAVE");
    PutId(h, "fmt ");
    Put32(h, 18, false);
    Put16(h, tag, false);
    Put16(h, channels, false);
    Put32(h, 44100, false);
    Put32(h, 44100 * align, false);
    Put16(h, align, false);
    Put16(h, bits, false);
    Put16(h, 0, false);
    PutId(h, "data");
    Put32(h, dataBytes, false);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return path;
  std::fwrite(h.data(), 1, h.size(), f);
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
  return path;
}

void ReadAndConvert(benchmark::State& state, const char* name, std::uint16_t tag, std::uint16_t bits,
                    std::uint16_t container, bool aiff) {
  const std::string path = MakeFile(name, tag, bits, container, aiff);
  AudioData* source = AudioData::OpenShared(path.c_str());
  if (source == nullptr || !source->BeginRead()) {
    state.SkipWithError("the file does not open");
    std::remove(path.c_str());
    return;
  }
  std::vector<float> memory(kBlockFrames * 2);
  SampleBlock block;
  block.data = memory.data();
  block.capacity = kBlockFrames;
  std::int64_t at = 0;
  std::int64_t samples = 0;
  for (auto _ : state) {
    const LONG held = source->ReadBlock(&block, at, kBlockFrames);
    source->ToFloat(&block);
    benchmark::DoNotOptimize(memory.data());
    samples += static_cast<std::int64_t>(held) * 2;
    at += kBlockFrames;
    if (at >= kFrames) at = 0;
  }
  state.SetItemsProcessed(samples);
  source->EndRead();
  source->Release();
  std::remove(path.c_str());
}

BENCHMARK_CAPTURE(ReadAndConvert, Unsigned8, "u8.wav", 1, 8, 1, false);
BENCHMARK_CAPTURE(ReadAndConvert, Signed16, "s16.wav", 1, 16, 2, false);
BENCHMARK_CAPTURE(ReadAndConvert, Packed24, "s24.wav", 1, 24, 3, false);
BENCHMARK_CAPTURE(ReadAndConvert, Int24In32, "s24in32.wav", 1, 24, 4, false);
BENCHMARK_CAPTURE(ReadAndConvert, Signed32, "s32.wav", 1, 32, 4, false);
BENCHMARK_CAPTURE(ReadAndConvert, Float32, "f32.wav", 3, 32, 4, false);
BENCHMARK_CAPTURE(ReadAndConvert, AiffSigned8, "s8.aif", 1, 8, 1, true);
BENCHMARK_CAPTURE(ReadAndConvert, AiffBigEndian16, "s16.aif", 1, 16, 2, true);
BENCHMARK_CAPTURE(ReadAndConvert, AiffBigEndian24, "s24.aif", 1, 24, 3, true);

}  // namespace
