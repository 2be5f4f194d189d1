// The sound of a clip that plays from the same AVI file as the board's
// video, served from the bytes the board player's feeder reads into the
// board's fifo anyway, so that the file is read once. During a board play
// the clip's audio source is this wrapper; the audio engine reads it as any
// other source.
//
// Each audio chunk of the file is, for the wrapper: in the ring at an
// offset (>= 0), expected from the feeder (-1), or to be read from the file
// (-2). The feeder changes them (from -1, or from an offset it is about to
// write over); the engine's reader thread waits on the chunk event while one
// it needs is still expected, and holds an offset while it copies the bytes
// there, so that the feeder writes over them only once it has them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "media/audio_data.h"
#include "platform/core/types.h"

class AVIVideoData;
class Film;
class TReadAVIAudio;

class VelmoraAudioData : public AudioData {
 public:
  // Takes film's place for a's audio; it serves the play-list indexes
  // [firstIndex, lastIndex), which show source frames [firstFrame,
  // lastFrame) of video.
  VelmoraAudioData(TReadAVIAudio* a, Film* film, int32_t firstIndex, int32_t lastIndex, AVIVideoData* video,
                   int32_t firstFrame, int32_t lastFrame);
  // Gives the film its source back.
  ~VelmoraAudioData() override;

  // False when the chunk tables could not be made.
  bool Valid() const { return chunkCount == 0 || (chunkPos && chunkFrame); }

  AudioData* AddRef() override;
  void Release() override;
  bool Open(const char* name) override;
  void ReadHeader() override;
  bool BeginRead() override;
  void EndRead() override;
  bool CloseFile() override;
  bool Reopen() override;
  DWORD LengthInSamples() override;
  bool OpenHandle() override;
  void CloseHandle() override;
  LONG ReadBytes(void* buffer, std::int64_t position, LONG count) override;

  // The feeder's side.
  // Chunks of frames [from, to) still expected are read from the file.
  void DropChunks(int32_t from, int32_t to);
  // Chunks of frames [from, to) lying wholly in the block of length bytes
  // read from file offset blockStart into the ring at at; those outside it
  // are read from the file. The ring offset where the last delivered chunk
  // ends, or -1.
  int32_t DeliverChunks(int32_t from, int32_t to, int64_t blockStart, int64_t length, int32_t at);
  // The feeder is about to write [at, at + length) of the ring: chunks lying
  // there are read from the file from now on. Returns once no reader copies
  // from there.
  void ForgetRing(int32_t at, int32_t length);

  AudioData* wrapped;
  AVIVideoData* video;
  Film* film;
  VelmoraAudioData* next = nullptr;
  const void* chunks;
  uint32_t chunkCount;
  int64_t totalBytes;
  std::unique_ptr<std::atomic<int32_t>[]> chunkPos;
  std::unique_ptr<int32_t[]> chunkFrame;
  int32_t firstIndex;
  int32_t lastIndex;

  // Where the bytes read came from.
  std::atomic<int64_t> bytesFromRing{0};
  std::atomic<int64_t> bytesFromFile{0};

  // The chunk event and the two flags of every board play.
  static bool MakeChunkEvent();
  static void CloseChunkEvent();
  static void SignalChunks();
  static std::atomic<int32_t> playing;
  static std::atomic<int32_t> waiting;

 private:
  void MapChunks(int32_t first, int32_t last);
  // Serves take bytes of chunk i from within it; the bytes given.
  LONG ServeChunk(uint32_t i, int64_t within, BYTE* out, LONG take, int64_t position);
  // When an audio reader waits, lets it run.
  static void LetReaderRun();

};
