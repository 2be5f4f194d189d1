// A read-only file handle for the audio readers: positioned reads that never
// pass the end of the file, one at a time (the engine's reader thread and a
// waveform scan on the main thread may share a source).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/core/types.h"

class AudioFileHandle {
 public:
  AudioFileHandle() = default;
  ~AudioFileHandle() { Close(); }
  AudioFileHandle(const AudioFileHandle&) = delete;
  AudioFileHandle& operator=(const AudioFileHandle&) = delete;

  // Opens for reading; others may read and write the file meanwhile.
  bool Open(const char* name);
  void Close();
  bool IsOpen() const { return handle_.load() != nullptr; }

  // The size of the open file now; -1 on failure.
  std::int64_t Size();
  // Reads up to count bytes at position; returns the bytes read (0 at or past
  // the end, -1 on failure).
  std::int64_t ReadAt(std::int64_t position, void* buffer, std::int64_t count);

 private:
  // The owner may close the file while the engine's reader thread reads.
  std::atomic<HANDLE> handle_{nullptr};
  std::mutex lock_;
};

// The last-write time of a file, opened for no access with read and write
// sharing; false when the file cannot be opened.
bool ReadFileWriteTime(const char* name, FILETIME* time);

inline bool SameFileTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}
