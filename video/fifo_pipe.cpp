#include "video/fifo_pipe.h"

#include <algorithm>
#include <new>

#include "platform/core/sync.h"
#include "video/sub_player.h"

namespace {

constexpr int64_t kSmallestRing = 2097152;
// Room behind the ring's end, so that a codec reading a word past a
// frame's last byte stays inside the buffer.
constexpr int64_t kSlack = 16;

}  // namespace

int32_t FifoPipe::CapacityFor(uint32_t largestFrame) {
  const int64_t wanted = std::max<int64_t>(kSmallestRing, 3 * static_cast<int64_t>(largestFrame) + 1);
  return wanted > INT32_MAX - kSlack ? -1 : static_cast<int32_t>(wanted);
}

FifoPipe::FifoPipe(uint32_t largestFrame) {
  const int32_t capacity = CapacityFor(largestFrame);
  if (capacity < 0) return;
  semaphore_ = CreateSemaphore(nullptr, 1, 1, nullptr);
  if (semaphore_ == nullptr) return;
  buffer_.reset(new (std::nothrow) BYTE[static_cast<std::size_t>(capacity + kSlack)]);
  if (!buffer_) return;
  capacity_ = capacity;
  readEnd_ = capacity;
  writePos_ = 0;
}

FifoPipe::~FifoPipe() {
  if (semaphore_ != nullptr) CloseHandle(semaphore_);
}

int32_t FifoPipe::TryPlace(uint32_t size) const {
  const int64_t end = readEnd_.load();
  const int64_t pos = writePos_.load();
  const int64_t n = size;
  const int64_t free = end - pos;
  // A block never ends where the used part begins: an equal read end and
  // write position mean an empty ring.
  if (free > 0) return n < free ? static_cast<int32_t>(pos) : -1;
  if (n < capacity_ - pos) return static_cast<int32_t>(pos);
  if (n < end) return 0;
  return -1;
}

int32_t FifoPipe::GetWritePos(uint32_t size, bool wait) {
  if (!ok()) return -1;
  int32_t pos = TryPlace(size);
  if (pos >= 0 || !wait || AviSubPlayer::Stopping()) return pos;
  WaitForSingleObject(semaphore_, INFINITE);
  return TryPlace(size);
}

void FifoPipe::Commit(int32_t pos, uint32_t size) {
  writePos_ = static_cast<int32_t>((static_cast<int64_t>(pos) + size) % capacity_);
}

void FifoPipe::Release(int32_t pos, uint32_t size) {
  if (pos >= 0 && capacity_ > 0)
    readEnd_ = static_cast<int32_t>((static_cast<int64_t>(pos) + size) % capacity_);
  if (semaphore_ != nullptr) ReleaseSemaphore(semaphore_, 1, nullptr);
}
