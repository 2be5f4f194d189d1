// The encoding behind the MPEG encoder component: pictures through
// libavcodec's MPEG-1 or MPEG-2 video encoder, samples through its MPEG
// audio layer II encoder, both muxed by libavformat into a system or program
// stream whose bytes collect as blocks in memory for the program to take.
// The encoding and muxing run on a thread of the stream's own, in the order
// the pictures and samples came, so the caller makes the next picture while
// the last one encodes; a failure there is told by the next call.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/wave.h"
#include "platform/codecs/dib.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct AVStream;
struct SwsContext;

namespace mpeg {

struct StreamSettings {
  LONG type = 0;  // kMpeg... of platform/components/mpeg_encoder.h
  bool video = false;
  LONG format = 0;  // 1 to 5
  LONG width = 0, height = 0;
  LONG videoBitRate = 0;  // bit/s
  bool audio = false;
  DWORD sampleRate = 0;
  WORD channels = 0;
  LONG audioKilobits = 0;
};

// The rates MPEG audio layer II carries; false for any other.
bool CarriesSampleRate(DWORD rate);
// The bit rate layer II can use at rate nearest to kilobits (the lower one
// of two equally near).
LONG NearestAudioBitRate(DWORD rate, WORD channels, LONG kilobits);

class MpegStream {
 public:
  MpegStream() = default;
  ~MpegStream();
  MpegStream(const MpegStream&) = delete;
  MpegStream& operator=(const MpegStream&) = delete;

  // Sets up the encoders and the muxer and writes the stream's header.
  // False with *error set when the settings cannot be encoded.
  bool Open(const StreamSettings& settings, std::string* error);
  // The picture is copied before this returns.
  bool EncodeFrame(const BITMAPINFOHEADER* format, const void* bits, std::string* error);
  bool EncodeAudio(const BYTE* data, std::size_t bytes, std::string* error);
  // Writes out what each encoder holds; after the last one the stream ends.
  // Both return once everything fed before is encoded.
  bool EndVideo(std::string* error);
  bool EndAudio(std::string* error);
  void Close();

  // The first block of the encoded stream into *block; false when none is ready.
  bool TakeBlock(std::vector<BYTE>* block);
  void ClearBlocks();

 private:
  // One piece of work for the encoding thread: a picture or a frame of
  // samples (given back to its pool after), or the end of one encoder.
  struct Job {
    AVFrame* frame = nullptr;
    bool video = false;
    bool end = false;
    bool last = false;  // the end after which the stream ends
  };

  static int WriteBlock(void* opaque, uint8_t* data, int size);
  bool OpenVideo(std::string* error);
  bool OpenAudio(std::string* error);
  bool EncodeAudioFrame(const BYTE* samples, std::string* error);
  // A frame of the picture's or the samples' shape whose memory is the
  // caller's to fill; null without memory.
  AVFrame* TakeFrame(bool video);
  // Hands a job to the encoding thread, after a failure there only says so.
  bool Queue(const Job& job, std::string* error);
  // Waits until the encoding thread has done every job; false with the
  // failure it met.
  bool Settle(std::string* error);
  void Work();
  bool Run(const Job& job, std::string* error);
  void StopWorker();
  // Sends frame (null: the end) to context and muxes what comes out.
  bool Send(AVCodecContext* context, AVStream* stream, AVFrame* frame, std::string* error);
  bool EndStream(std::string* error);

  StreamSettings settings_;
  AVFormatContext* muxer_ = nullptr;
  AVIOContext* io_ = nullptr;
  AVCodecContext* video_ = nullptr;
  AVStream* videoStream_ = nullptr;
  SwsContext* scaler_ = nullptr;
  LONG scalerWidth_ = 0, scalerHeight_ = 0;
  WORD scalerBits_ = 0;
  int64_t videoPts_ = 0;
  AVCodecContext* audio_ = nullptr;
  AVStream* audioStream_ = nullptr;
  int audioFrameSamples_ = 0;
  int64_t audioPts_ = 0;
  std::vector<BYTE> pending_;  // sample bytes short of a whole audio frame
  AVPacket* packet_ = nullptr;
  bool headerWritten_ = false;
  bool videoEnded_ = false;
  bool audioEnded_ = false;
  bool ended_ = false;

  std::mutex blockLock_;
  std::deque<std::vector<BYTE>> blocks_;  // under blockLock_

  std::mutex jobLock_;
  std::condition_variable jobsChanged_;
  std::deque<Job> jobs_;               // under jobLock_
  std::vector<AVFrame*> freePictures_;  // under jobLock_
  std::vector<AVFrame*> freeSamples_;   // under jobLock_
  bool working_ = false;               // under jobLock_: a job is being run
  bool quit_ = false;                  // under jobLock_
  std::string failure_;                // under jobLock_: the first failure of the thread
  std::thread worker_;
};

}  // namespace mpeg
