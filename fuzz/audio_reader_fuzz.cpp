// Fuzz target for the audio readers: the bytes become a file that is opened
// as a WAVE/AIFF file and as an AVI file, and read as the engine and the
// waveform scan read it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/audio_readers.h"

namespace {

std::string TempPath(const char* extension) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr && *dir ? dir : "/tmp") + "/kobrix-audio-fuzz-" + std::to_string(getpid()) +
         extension;
}

void Exercise(AudioData& source) {
  if (source.error != 0 || source.format == nullptr) return;
  source.IsDirectFormat();
  source.GetSampleType();
  if (!source.BeginRead()) return;
  constexpr LONG kFrames = 512;
  std::vector<float> memory(kFrames * 2);
  SampleBlock block;
  block.data = memory.data();
  block.capacity = kFrames;
  const std::int64_t total = source.LengthInSamples();
  for (std::int64_t at : {std::int64_t{0}, total / 2, total - kFrames / 2, total + 10}) {
    if (at < 0) at = 0;
    if (source.ReadBlock(&block, at, kFrames) > 0 && source.ToFloat != nullptr) source.ToFloat(&block);
    // Samples for the waveform: the raw buffer must hold frames x block align.
    std::vector<BYTE> raw(static_cast<std::size_t>(kFrames) * source.format->nBlockAlign);
    source.ReadSamples(raw.data(), at, kFrames);
  }
  source.EndRead();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string wave = TempPath(".wav");
  static const std::string avi = TempPath(".avi");
  for (const std::string* path : {&wave, &avi}) {
    FILE* f = std::fopen(path->c_str(), "wb");
    if (f == nullptr) return 0;
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  {
    TReadWave reader(wave.c_str());
    Exercise(reader);
  }
  {
    TReadAVIAudio reader(avi.c_str());
    Exercise(reader);
  }
  WaveInfo info;
  ReadWaveInfo(wave.c_str(), &info);
  if (AudioData* shared = AudioData::OpenShared(wave.c_str())) {
    Exercise(*shared);
    shared->Release();
  }
  std::remove(wave.c_str());
  std::remove(avi.c_str());
  return 0;
}
