// The byte ring between a screen player's reader thread, which reads each
// frame's data from the file into it, and the side that uses the data (the
// display thread, or the main thread pre-rolling a drawing codec). Blocks
// are placed whole, never across the ring's end; the reader only moves the
// write position, the user only the end of what it has used, and a
// semaphore wakes a reader waiting for room.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/core/types.h"

class FifoPipe {
 public:
  // Room for three of the largest frames, and at least 2 MiB. ok() is false
  // when the buffer or the semaphore cannot be had.
  explicit FifoPipe(uint32_t largestFrame);
  ~FifoPipe();
  FifoPipe(const FifoPipe&) = delete;
  FifoPipe& operator=(const FifoPipe&) = delete;

  static int32_t CapacityFor(uint32_t largestFrame);

  bool ok() const { return buffer_ != nullptr; }
  int32_t capacity() const { return capacity_; }
  BYTE* base() { return buffer_.get(); }

  // Where a block of size bytes goes, or -1 when there is no room. With
  // wait, a full ring is waited on (until the user frees room or Release
  // wakes it) and tried once more.
  int32_t GetWritePos(uint32_t size, bool wait);
  // The reader put size bytes at pos.
  void Commit(int32_t pos, uint32_t size);
  // The user is done with the block at pos; pos -1 only wakes the reader.
  void Release(int32_t pos, uint32_t size);

  int32_t readEnd() const { return readEnd_; }
  int32_t writePos() const { return writePos_; }

 private:
  int32_t TryPlace(uint32_t size) const;

  int32_t capacity_ = 0;
  std::atomic<int32_t> readEnd_{0};
  std::atomic<int32_t> writePos_{0};
  HANDLE semaphore_ = nullptr;
  std::unique_ptr<BYTE[]> buffer_;
};
