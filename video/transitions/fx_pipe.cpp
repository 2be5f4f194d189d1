#include "video/transitions/fx_pipe.h"

#include <new>

#include "platform/core/sync.h"

FXPipe::FXPipe(int32_t elementSize, int32_t depth, std::atomic<uint8_t>* stopped)
    : stopped_(stopped), elementSize_(elementSize) {
  if (depth < 1) depth = 1;
  FXPipeElement* first = nullptr;
  FXPipeElement* last = nullptr;
  int32_t made = 0;
  for (int32_t i = 0; i < depth && elementSize >= 0; ++i) {
    auto* e = new (std::nothrow) FXPipeElement;
    if (e == nullptr) break;
    e->data.reset(new (std::nothrow) BYTE[elementSize > 0 ? elementSize : 1]);
    if (!e->data) {
      delete e;
      break;
    }
    if (last != nullptr) {
      last->next = e;
    } else {
      first = e;
    }
    last = e;
    ++made;
  }
  if (last != nullptr) last->next = first;
  nextFree_ = nextFull_ = first;
  if (made > 0) {
    free_ = CreateSemaphore(nullptr, made, made, nullptr);
    full_ = CreateSemaphore(nullptr, 0, made, nullptr);
  }
  depth_ = free_ != nullptr && full_ != nullptr ? made : 0;
}

FXPipe::~FXPipe() {
  if (nextFree_ != nullptr) {
    FXPipeElement* e = nextFree_->next;
    while (e != nextFree_) {
      FXPipeElement* following = e->next;
      delete e;
      e = following;
    }
    delete nextFree_;
  }
  if (free_ != nullptr) CloseHandle(free_);
  if (full_ != nullptr) CloseHandle(full_);
}

FXPipeElement* FXPipe::Take(HANDLE semaphore, FXPipeElement*& cursor) {
  if (depth_ == 0) return nullptr;
  if (WaitForSingleObject(semaphore, INFINITE) != WAIT_OBJECT_0) {
    stopped_->store(1);
    return nullptr;
  }
  if (stopped_->load() != 0) return nullptr;
  FXPipeElement* e = cursor;
  cursor = cursor->next;
  return e;
}

FXPipeElement* FXPipe::GetFree() {
  return Take(free_, nextFree_);
}

FXPipeElement* FXPipe::GetFull() {
  return Take(full_, nextFull_);
}

void FXPipe::PutFull() {
  if (full_ != nullptr) ReleaseSemaphore(full_, 1, nullptr);
}

void FXPipe::PutFree() {
  if (free_ != nullptr) ReleaseSemaphore(free_, 1, nullptr);
}

void FXPipe::Wake() {
  PutFree();
  PutFull();
}
