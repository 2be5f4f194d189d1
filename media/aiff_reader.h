// AIFF and AIFC files: big-endian chunks inside a "FORM" chunk of type
// "AIFF" or "AIFC", with "COMM" (channels, frames, bits, an 80-bit extended
// sample rate, and for AIFC a compression type) and "SSND" (the samples).
// aiFile walks such a file with a stack of open chunks and reports any
// failure as an aiExept with an error code (2, 3, 6 or 19); the exception
// never leaves TReadWave::LoadAiff.
#pragma once

#include <cstdint>

#include "media/audio_chunks.h"
#include "media/audio_file.h"
#include "platform/core/types.h"

struct aiExept {
  int code;
};

struct aiChunk {
  aiChunk* parent = nullptr;
  FOURCC id = 0;
  std::int64_t size = 0;   // data size, from big-endian
  std::int64_t start = 0;  // first byte of the data
};

class aiFile {
 public:
  // Opens name (failure: 3) and pushes the root chunk: id 0, the file's size.
  explicit aiFile(const char* name);
  ~aiFile();
  aiFile(const aiFile&) = delete;
  aiFile& operator=(const aiFile&) = delete;

  // Searches the current chunk from the current position and enters the
  // chunk id; not found: back to the current chunk's start and 6.
  void FindChunk(FOURCC id);
  // Moves past the current chunk (and its pad byte) and leaves it; false at
  // the root.
  bool LeaveChunk();
  // Makes the current chunk (the form) reach the end of the file when its
  // size is smaller than its header's own 4 bytes or than the chunks in it.
  void ReachFileEndWhenShort();
  // Exactly count bytes, or 19.
  void Read(void* buffer, std::int64_t count);
  // origin 0 from the start, 1 from the current position, 2 from the end.
  std::int64_t Seek(std::int64_t offset, int origin);

  std::int64_t FileSize() const { return size_; }
  const aiChunk& Current() const { return *top_; }

 private:
  // Where c's data end, inside the file.
  std::int64_t End(const aiChunk& c) const;

  AudioFileHandle file_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  aiChunk* top_ = nullptr;
  HeaderBlock headers_;
};

// The 80-bit IEEE extended value at p (big-endian) as a whole number,
// truncated; 0 for zero, negative, not-a-number and values of 2^32 or more.
DWORD ExtendedToRate(const BYTE* p);
