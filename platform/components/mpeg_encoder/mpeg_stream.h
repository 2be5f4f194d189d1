// The encoding behind the MPEG encoder component: pictures through
// libavcodec's MPEG-1 or MPEG-2 video encoder, samples through its MPEG
// audio layer II encoder, both muxed by libavformat into a system or program
// stream whose bytes collect as blocks in memory for the program to take.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
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
  bool EncodeFrame(const BITMAPINFOHEADER* format, const void* bits, std::string* error);
  bool EncodeAudio(const BYTE* data, std::size_t bytes, std::string* error);
  // Writes out what each encoder holds; after the last one the stream ends.
  bool EndVideo(std::string* error);
  bool EndAudio(std::string* error);
  void Close();

  // The encoded stream, in order.
  std::deque<std::vector<BYTE>>& Blocks() { return blocks_; }

 private:
  static int WriteBlock(void* opaque, uint8_t* data, int size);
  bool OpenVideo(std::string* error);
  bool OpenAudio(std::string* error);
  bool EncodeAudioFrame(const BYTE* samples, std::string* error);
  // Sends frame (null: the end) to context and muxes what comes out.
  bool Send(AVCodecContext* context, AVStream* stream, AVFrame* frame, std::string* error);
  bool EndIfDone(std::string* error);

  StreamSettings settings_;
  AVFormatContext* muxer_ = nullptr;
  AVIOContext* io_ = nullptr;
  AVCodecContext* video_ = nullptr;
  AVStream* videoStream_ = nullptr;
  AVFrame* picture_ = nullptr;
  SwsContext* scaler_ = nullptr;
  LONG scalerWidth_ = 0, scalerHeight_ = 0;
  WORD scalerBits_ = 0;
  int64_t videoPts_ = 0;
  AVCodecContext* audio_ = nullptr;
  AVStream* audioStream_ = nullptr;
  AVFrame* samples_ = nullptr;
  int64_t audioPts_ = 0;
  std::vector<BYTE> pending_;  // sample bytes short of a whole audio frame
  AVPacket* packet_ = nullptr;
  bool headerWritten_ = false;
  bool videoEnded_ = false;
  bool audioEnded_ = false;
  bool ended_ = false;
  std::deque<std::vector<BYTE>> blocks_;
};

}  // namespace mpeg
