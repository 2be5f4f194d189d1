// The audio file readers: RIFF WAVE (and AIFF/AIFC), the first audio stream
// of an AVI file, and the audio engine's temporary sound file (raw samples
// in the engine's output format). Each finds the sample data, fills the
// source's format, length and error, and supplies ReadBytes.
#pragma once

#include <cstdint>
#include <memory>

#include "media/audio_chunks.h"
#include "media/audio_data.h"
#include "media/audio_file.h"
#include "platform/codecs/avi.h"

// What the WAVE and AVI readers share: one read handle, held open while any
// reader has begun reading, with the clip collection told when that changes.
class AudioFileReader : public AudioData {
 public:
  explicit AudioFileReader(const char* fileName) : AudioData(fileName) {}

  bool BeginRead() override;
  void EndRead() override;
  bool CloseFile() override;
  bool Reopen() override;
  bool OpenHandle() override;
  void CloseHandle() override;

 protected:
  AudioFileHandle handle_;
};

class TReadWave : public AudioFileReader {
 public:
  explicit TReadWave(const char* fileName);
  ~TReadWave() override;

  bool Open(const char* name) override;
  void ReadHeader() override;
  DWORD LengthInSamples() override;
  LONG ReadBytes(void* buffer, std::int64_t position, LONG count) override;
  // Fills the reader from an AIFF or AIFC file, so that it then reads like a
  // WAVE file.
  virtual void LoadAiff();

  // The "data" chunk (for AIFF: the samples inside "SSND"); its size is
  // clamped to the bytes that really follow its data offset.
  AudioChunk dataChunk;

 protected:
  void FreeEverything();
  // After a header was read while readers are open: the read handle again.
  void ReopenForReaders();
};

// One entry of the audio index: the data of one audio chunk.
struct AudioIndexEntry {
  DWORD ckid = 0;
  DWORD dwFlags = 0;
  DWORD dwChunkOffset = 0;  // file position of the chunk's data
  DWORD dwChunkLength = 0;  // bytes of data
};

class TReadAVIAudio : public AudioFileReader {
 public:
  explicit TReadAVIAudio(const char* fileName);
  ~TReadAVIAudio() override;

  bool Open(const char* name) override;
  void ReadHeader() override;
  DWORD LengthInSamples() override;
  LONG ReadBytes(void* buffer, std::int64_t position, LONG count) override;

  static constexpr int kMaxStreams = 16;

  LONG audioStream = -1;     // stream number, -1 when none was found
  FOURCC audioChunkId = 0;   // the stream number as two hex digits, then "wb"
  AudioChunk riffChunk;
  MainAVIHeader mainHeader;  // as read from "avih"
  BYTE streamHeaders[kMaxStreams][64] = {};
  std::unique_ptr<AudioIndexEntry[]> index;
  LONG indexCount = 0;
  std::int64_t totalBytes = 0;

  // The chunk id of stream number n's audio ("01wb").
  static FOURCC AudioChunkIdOf(int stream);

 private:
  void FreeEverything();
  int Parse(AudioChunkWalker& walker);
  int ReadIndex(AudioChunkWalker& walker, const AudioChunk& movi);
  int RebuildIndex(AudioChunkWalker& walker, const AudioChunk& movi);
  bool AddEntry(LONG& capacity, const AudioIndexEntry& entry);
};

class TReadTmpAudioFile : public AudioData {
 public:
  explicit TReadTmpAudioFile(const char* fileName);
  ~TReadTmpAudioFile() override;

  bool BeginRead() override;
  void EndRead() override;
  DWORD LengthInSamples() override;
  bool OpenHandle() override;
  void CloseHandle() override;
  LONG ReadBytes(void* buffer, std::int64_t position, LONG count) override;

  std::int64_t fileSize = 0;  // all of it is sample data

 private:
  AudioFileHandle handle_;
};

// The quick look at a WAVE file for the file-open dialog: the length in
// milliseconds (-1 first) and the format.
struct WaveInfo {
  LONG length = -1;
  WAVEFORMATEX format{};
};
bool ReadWaveInfo(const char* path, WaveInfo* info);
