// Reading a media file's sound or pictures with FFmpeg, one stream per
// reader (each reader has the file open on its own, so neither has to hold
// the other's packets while it reads ahead).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/mci/mci.h"

namespace mci {

// The first sound stream, as 16-bit interleaved samples (one or two
// channels) at the stream's own rate.
class SoundReader {
 public:
  SoundReader();
  ~SoundReader();
  SoundReader(const SoundReader&) = delete;
  SoundReader& operator=(const SoundReader&) = delete;

  // 0, MCIERR_FILE_NOT_FOUND, or MCIERR_INVALID_FILE when the file holds no
  // sound that can be decoded.
  MCIERROR Open(const std::string& path);
  int Rate() const;
  int Channels() const;
  // Up to frames sample frames into out; 0 at the end, -1 when the file
  // cannot be read on.
  long Read(int16_t* out, long frames);

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// The first picture stream, as pictures of 32-bit pixels (blue, green, red,
// unused), top row first.
class PictureReader {
 public:
  PictureReader();
  ~PictureReader();
  PictureReader(const PictureReader&) = delete;
  PictureReader& operator=(const PictureReader&) = delete;

  MCIERROR Open(const std::string& path);
  int Width() const;
  int Height() const;
  // How long a picture stands when the file does not say (ms).
  int64_t FrameMs() const;

  enum class Result { kPicture, kEnd, kFailed };
  // The next picture and its time (ms from the stream's start).
  Result Next(int64_t* ms, std::vector<uint8_t>* pixels);

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace mci
