// The waveform overview's "PICT" record on arbitrary bytes, read for two
// open sources (stereo "s.wav" and mono "m.wav" in the collection folder,
// whose file time the records store as 11111111 22222222): error codes or an
// overview that fits its source, never a fault.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/audio_readers.h"
#include "media/wave_overview.h"
#include "platform/core/files.h"

namespace {

std::string g_folder;
AudioData* g_sources[2] = {};

void WriteWave(const std::string& path, int channels) {
  const uint32_t frames = 4000, bytes = frames * 2 * channels;
  std::vector<uint8_t> file(44 + bytes, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  auto put16 = [&](size_t at, uint16_t v) {
    file[at] = static_cast<uint8_t>(v);
    file[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  std::memcpy(&file[0], "RIFF", 4);
  put32(4, 36 + bytes);
  std::memcpy(&file[8], "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, static_cast<uint16_t>(channels));
  put32(24, 8000);
  put32(28, 8000 * 2 * channels);
  put16(32, static_cast<uint16_t>(2 * channels));
  put16(34, 16);
  std::memcpy(&file[36], "data", 4);
  put32(40, bytes);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* base = std::getenv("TMPDIR");
  g_folder = std::string(base != nullptr && *base ? base : "/tmp") + "/waveform_record_fuzz." +
             std::to_string(getpid());
  CreateDirectory(g_folder.c_str(), nullptr);
  const char* names[2] = {"s.wav", "m.wav"};
  for (int i = 0; i < 2; ++i) {
    const std::string path = g_folder + "/" + names[i];
    WriteWave(path, 2 - i);
    g_sources[i] = AudioData::OpenShared(path.c_str());
    if (g_sources[i] == nullptr) std::abort();
    g_sources[i]->fileTime = FILETIME{0x11111111, 0x22222222};
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = g_folder + "/record.bin";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  for (LONG recordSize : {static_cast<LONG>(size), static_cast<LONG>(size / 2)}) {
    for (AudioData* source : g_sources) {
      source->peakBlock1.reset();
      source->peakBlock2.reset();
      source->peakByteCount = 0;
    }
    HMMIO file = mmioOpen(const_cast<char*>(path.c_str()), nullptr, MMIO_READ);
    if (file == nullptr) return 0;
    LoadWaveform(file, recordSize, g_folder.c_str(), nullptr);
    mmioClose(file, 0);
    // An overview taken must be whole for its source's channels.
    for (AudioData* source : g_sources) {
      if (!source->peakBlock1) continue;
      if (source->peakByteCount <= 0 || (source->format->nChannels == 2) != static_cast<bool>(source->peakBlock2))
        std::abort();
    }
  }
  return 0;
}
