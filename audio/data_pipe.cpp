#include "audio/data_pipe.h"

#include <new>

#include "platform/core/sync.h"

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
    free_ = CreateSemaphore(nullptr, depth_, depth_, nullptr);
    full_ = CreateSemaphore(nullptr, 0, depth_, nullptr);
    if (free_ == nullptr || full_ == nullptr) depth_ = 0;
  }
  fullBlocks = 0;
  freeBlocks = depth_;
}

TDataPipe::~TDataPipe() {
  if (free_ != nullptr) CloseHandle(free_);
  if (full_ != nullptr) CloseHandle(full_);
}

TData* TDataPipe::GetWriteBlock() {
  if (depth_ == 0) return nullptr;
  if (WaitForSingleObject(free_, INFINITE) != WAIT_OBJECT_0) {
    abort.exchange(1);
    return nullptr;
  }
  if (abort.load() != 0) return nullptr;
  freeBlocks.fetch_sub(1, std::memory_order_relaxed);
  TData* element = write_;
  write_ = write_->next;
  return element;
}

void TDataPipe::PostWriteBlock() {
  fullBlocks.fetch_add(1, std::memory_order_relaxed);
  ReleaseSemaphore(full_, 1, nullptr);
}

TData* TDataPipe::GetReadBlock() {
  if (depth_ == 0) return nullptr;
  if (WaitForSingleObject(full_, INFINITE) != WAIT_OBJECT_0) {
    abort.exchange(1);
    return nullptr;
  }
  if (abort.load() != 0) return nullptr;
  fullBlocks.fetch_sub(1, std::memory_order_relaxed);
  return read_;
}

void TDataPipe::ReleaseReadBlock() {
  read_ = read_->next;
  freeBlocks.fetch_add(1, std::memory_order_relaxed);
  ReleaseSemaphore(free_, 1, nullptr);
}

void TDataPipe::ReleaseWaiters() {
  if (free_ != nullptr) ReleaseSemaphore(free_, 1, nullptr);
  if (full_ != nullptr) ReleaseSemaphore(full_, 1, nullptr);
}
