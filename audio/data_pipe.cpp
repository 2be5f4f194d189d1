#include "audio/data_pipe.h"

#include <algorithm>
#include <new>

std::atomic<LONG> TDataPipe::abort{0};
std::atomic<LONG> TDataPipe::freeBlocks{0};
std::atomic<LONG> TDataPipe::fullBlocks{0};

TData::TData(LONG frames, DWORD bytesPerFrame) {
  if (frames < 0) frames = 0;
  std::size_t size = static_cast<std::size_t>(frames) * bytesPerFrame;
  memory_.reset(new (std::nothrow) BYTE[size > 0 ? size : 1]());
  if (!memory_) return;
  bytes_ = static_cast<DWORD>(size);
  sample_.data = memory_.get();
  sample_.requested = 0;
  sample_.held = 0;
  sample_.capacity = frames;
  block = &sample_;
}

TDataPipe::TDataPipe(LONG frames, LONG depth, DWORD bytesPerFrame) {
  if (depth < 2) depth = 2;
  for (LONG i = 0; i < depth; ++i) {
    auto element = std::make_unique<TData>(frames, bytesPerFrame);
    if (element->block == nullptr) break;
    if (!elements_.empty()) elements_.back()->next = element.get();
    elements_.push_back(std::move(element));
  }
  depth_ = static_cast<LONG>(elements_.size());
  if (depth_ > 0) {
    elements_.back()->next = elements_.front().get();
    write_ = read_ = elements_.front().get();
  }
  // Half the ring: while one side waits for its batch the other can always
  // reach it, so the two never wait on each other.
  batch_ = std::max<LONG>(depth_ / 2, 1);
  free_ = depth_;
  full_ = 0;
  fullBlocks = 0;
  freeBlocks = depth_;
}

TDataPipe::~TDataPipe() = default;

void TDataPipe::Wait(std::atomic<LONG>& count, std::atomic<bool>& waiting, bool producer) {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    const LONG need = (producer || !ended_.load()) ? batch_ : 1;
    if (abort.load() != 0 || count.load() >= need) return;
    // Published before the last look, so that a post after it sees the flag.
    waiting.store(true);
    if (abort.load() != 0 || count.load() >= (producer || !ended_.load() ? batch_ : 1)) {
      waiting.store(false);
      return;
    }
    wake_.wait(hold, [&] { return !waiting.load(); });
  }
}

void TDataPipe::Wake(std::atomic<bool>& waiting) {
  if (!waiting.exchange(false)) return;
  // Taking the lock orders this after the waiter's last look; the signal
  // goes after it, so that the waiter does not wake into a held lock.
  { std::lock_guard<std::mutex> hold(lock_); }
  wake_.notify_all();
}

TData* TDataPipe::GetWriteBlock() {
  if (depth_ == 0) return nullptr;
  if (abort.load() != 0) return nullptr;
  ended_.store(false);
  if (free_.load() == 0) Wait(free_, producerWaits_, true);
  if (abort.load() != 0) return nullptr;
  free_.fetch_sub(1);
  freeBlocks.fetch_sub(1, std::memory_order_relaxed);
  TData* element = write_;
  write_ = write_->next;
  return element;
}

void TDataPipe::PostWriteBlock() {
  fullBlocks.fetch_add(1, std::memory_order_relaxed);
  if (full_.fetch_add(1) + 1 >= batch_) Wake(consumerWaits_);
}

TData* TDataPipe::GetReadBlock() {
  if (depth_ == 0) return nullptr;
  if (abort.load() != 0) return nullptr;
  if (full_.load() == 0) Wait(full_, consumerWaits_, false);
  if (abort.load() != 0 || full_.load() == 0) return nullptr;
  full_.fetch_sub(1);
  fullBlocks.fetch_sub(1, std::memory_order_relaxed);
  return read_;
}

void TDataPipe::ReleaseReadBlock() {
  read_ = read_->next;
  freeBlocks.fetch_add(1, std::memory_order_relaxed);
  if (free_.fetch_add(1) + 1 >= batch_) Wake(producerWaits_);
}

void TDataPipe::EndWrites() {
  ended_.store(true);
  Wake(consumerWaits_);
}

void TDataPipe::ReleaseWaiters() {
  Wake(producerWaits_);
  Wake(consumerWaits_);
}
