// The board player: plays a range of the board's own AVI formats ("VLMD",
// "VLMT") on the video board. Frames go to the board undecoded: the feeder
// thread reads runs of consecutive frames straight from the files into the
// board's fifo with unbuffered sequential reads and has each frame
// announced with its id; the board shows them on its own clock, and the
// monitor thread waits for the last one. The feeder keeps the board in step
// with the play clock by renumbering frames and passing over late ones.
// Audio clips of the same file, aligned with the video, are served from the
// interleaved audio the feeder brings into the ring anyway (board_audio.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "video/sub_player.h"

class AVIVideoData;
class VelmoraAudioData;

// An unbuffered read handle on one source's file for one play.
struct FastFile {
  FastFile(AVIVideoData* source, FastFile* next);
  ~FastFile();
  FastFile(const FastFile&) = delete;
  FastFile& operator=(const FastFile&) = delete;

  // Reads length bytes at offset into buffer; true when at least least came.
  bool Read(int64_t offset, void* buffer, int32_t length, int32_t least);

  // Sees every read (offset, length) before it is made; tests only.
  static std::function<void(int64_t, int32_t)> observer;

  FastFile* next;
  AVIVideoData* source;
  HANDLE file;
};

class VelmoraAviPlayer : public AviSubPlayer {
 public:
  VelmoraAviPlayer(const SubPlayerInfo& stream, float rate, HWND notify);
  ~VelmoraAviPlayer() override;

  int32_t Start(Film* segments, int32_t start, int32_t end, FilmListHead& films) override;
  void Finish(bool releaseCodec) override;
  void Run(HWND window) override;
  void Stop() override;
  int32_t GetFrame() override;
  int32_t ShowStill(VideoSource* source, int32_t frame, bool reinit) override;

  void ReleaseCodec() override;
  int32_t InitOutput(AVIVideoData* source, bool atStart) override;
  DWORD Clock() override;
  int32_t DisplayBody() override;
  int32_t ReaderBody() override;
  int32_t PrepareKeyFrames() override { return 0; }  // every board frame stands alone

  int32_t FrameBase() const { return frameBase; }
  VelmoraAudioData* AudioList() const { return audioList; }
  bool DeviceOpen() const { return deviceOpen; }

 private:
  int32_t OpenFastFiles();
  // The node of a source: its handle may be invalid (the read then fails).
  FastFile* FindFastFile(AVIVideoData* source);
  void CloseFastFiles();

  int32_t SetupBoardAudio(Film* segments, int32_t start, int32_t end, FilmListHead& films);
  void ReleaseBoardAudio();
  void DropBoardAudio(int32_t from, int32_t to);
  void DropUndeliveredAudio(int32_t index);
  int32_t DeliverBoardAudio(int32_t from, int32_t to, AVIVideoData* source, int64_t start, int64_t length,
                            int32_t at);
  // Ends the feeder with a failure.
  int32_t FeederFailed(int32_t code);

  bool deviceOpen = false;
  bool formatted = false;
  std::atomic<int32_t> frameBase{0};
  HANDLE prefillEvent = nullptr;
  VelmoraAudioData* audioList = nullptr;
  int32_t firstFrame = 0;
  int32_t audioDeliveredTo = 0;
  FastFile* fastFiles = nullptr;
};
