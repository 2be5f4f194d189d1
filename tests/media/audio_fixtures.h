// Test fixtures for the audio readers: WAVE, AIFF and AVI files built field
// by field, a temporary folder, the outside tools (sox, ffmpeg), held sources
// and recording hooks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/audio_data.h"
#include "media/audio_source_hooks.h"
#include "media/progress_hooks.h"
#include "support/test_env.h"

using Bytes = std::vector<std::uint8_t>;

// Little- and big-endian byte building.
struct ByteWriter {
  Bytes bytes;
  ByteWriter& Le16(std::uint32_t v);
  ByteWriter& Le32(std::uint32_t v);
  ByteWriter& Be16(std::uint32_t v);
  ByteWriter& Be32(std::uint32_t v);
  ByteWriter& Id(const char* fourcc);
  ByteWriter& Raw(const Bytes& b);
  ByteWriter& Zeros(std::size_t n);
  std::size_t Size() const { return bytes.size(); }
};

// A RIFF-style chunk: id, size (little-endian), data, pad byte when odd.
Bytes Chunk(const char* id, const Bytes& data);
Bytes ChunkWithSize(const char* id, std::uint32_t size, const Bytes& data);
// "RIFF"/"LIST" with a type.
Bytes List(const char* id, const char* type, const Bytes& contents);
Bytes Concat(std::initializer_list<Bytes> parts);

// A "fmt " body of 16 or 18 bytes (18 with extra size 0).
Bytes FmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
              std::uint16_t blockAlign, bool withExtraSize = true);
// A whole WAVE file: RIFF WAVE with "fmt " then "data".
Bytes WaveFile(const Bytes& fmtBody, const Bytes& data);

// The big-endian 80-bit extended value of a whole number.
Bytes Extended(std::uint32_t value);
// AIFF ("AIFF") or AIFC (compression given) with COMM then SSND.
Bytes AiffFile(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate, const Bytes& samples,
               const char* aifcCompression = nullptr, std::uint32_t ssndOffset = 0);

// A temporary folder for one test, removed with its files.
class TempFolder : public TestFolder {
 public:
  TempFolder();
  std::string Path(const std::string& name) const { return File(name); }
  std::string Write(const std::string& name, const Bytes& bytes) const;
};

Bytes ReadWholeFile(const std::string& path);

// Runs a shell command; its standard output, and whether it exited with 0.
bool RunCommand(const std::string& command, Bytes* output = nullptr);
bool HaveTool(const char* tool);
// Raw native float samples (sox -t f32 -, ffmpeg -f f32le -).
std::vector<float> FloatsOf(const Bytes& raw);

// Reads the whole source through BeginRead / ReadBlock / ToFloat / EndRead in
// blocks of blockFrames, as the engine does; floats on the 16-bit scale.
std::vector<float> DecodeAll(AudioData* source, LONG blockFrames = 1000);

// Hooks that record what the sources ask.
class RecordingHooks : public AudioSourceHooks {
 public:
  RecordingHooks();
  ~RecordingHooks() override;
  WAVEFORMATEX OutputFormat() override { return output; }
  std::string SoundFileName() override { return soundFile; }
  void RedrawClipsOfAudio(AudioData* source) override { redraws.push_back(source); }
  bool RefreshChangedSources(HWND window, bool reload, bool checkCollection, AudioData* audio) override;

  struct Refresh {
    bool reload;
    bool checkCollection;
    AudioData* audio;
  };
  WAVEFORMATEX output{};
  std::string soundFile;
  std::vector<AudioData*> redraws;
  std::vector<Refresh> refreshes;
  bool refreshAnswer = true;

 private:
  AudioSourceHooks* previous_;
};

// A source opened through the shared list for one test and released after it.
struct HeldSource {
  explicit HeldSource(const std::string& path) : data(AudioData::OpenShared(path.c_str())) {}
  ~HeldSource() {
    if (data != nullptr) data->Release();
  }
  HeldSource(const HeldSource&) = delete;
  HeldSource& operator=(const HeldSource&) = delete;
  AudioData* operator->() const { return data; }
  AudioData* data;
};

// Progress hooks that record the thermometer and the wait cursor, and press
// Cancel once cancelAfter reports were answered (never while it is -1).
class ScriptedProgress : public ProgressHooks {
 public:
  ScriptedProgress();
  ~ScriptedProgress() override;
  ProgressDialog* OpenTermometer(const char* title, const char* text, LONG total, bool, HWND) override;
  void CloseTermometer(ProgressDialog** holder) override;
  void BeginWaitCursor() override { ++waits; }
  void EndWaitCursor() override { --waits; }

  int opened = 0, closed = 0, waits = 0;
  std::string title, text;
  LONG total = 0;
  std::vector<LONG> positions;
  int cancelAfter = -1;

 private:
  struct Dialog : ProgressDialog {
    ScriptedProgress* owner;
    explicit Dialog(ScriptedProgress* o) : owner(o) {}
    bool SetProgress(LONG position) override;
  } dialog_{this};
  ProgressHooks* previous_;
};

// The number of sources in the shared list.
int SharedSourceCount();
