// The data pipe that joins the engine's threads: a ring of sample blocks
// handed from one producer to one consumer, counted by a free and a full
// semaphore. Any nonzero abort flag makes every wait on a pipe give up.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "media/sample_block.h"
#include "platform/core/types.h"

// One element of a ring: a sample block over memory of capacity frames.
class TData {
 public:
  // Memory for frames frames of bytesPerFrame bytes each (a stereo float
  // frame by default), zeroed. Without memory the element has no block.
  explicit TData(LONG frames, DWORD bytesPerFrame = 8);
  TData(const TData&) = delete;
  TData& operator=(const TData&) = delete;

  TData* next = nullptr;
  SampleBlock* block = nullptr;  // null when the memory could not be had
  DWORD bytes() const { return bytes_; }

 private:
  SampleBlock sample_;
  std::unique_ptr<BYTE[]> memory_;
  DWORD bytes_ = 0;
};

class TDataPipe {
 public:
  // Up to depth (at least 2) elements of frames frames; depth() is 0 when
  // not even the first element or a semaphore could be made.
  TDataPipe(LONG frames, LONG depth, DWORD bytesPerFrame = 8);
  ~TDataPipe();
  TDataPipe(const TDataPipe&) = delete;
  TDataPipe& operator=(const TDataPipe&) = delete;

  LONG depth() const { return depth_; }

  // Producer: waits for a free element; null on abort or a failed wait.
  TData* GetWriteBlock();
  // Producer: hands the element taken last to the consumer.
  void PostWriteBlock();
  // Consumer: waits for a full element and returns it without moving on;
  // null on abort or a failed wait.
  TData* GetReadBlock();
  // Consumer: gives the element back to the producer.
  void ReleaseReadBlock();

  // Wakes whoever waits on this pipe, once on each side (stopping a worker).
  void ReleaseWaiters();

  // Nonzero makes every wait give up; set by exchange, cleared only before
  // the workers start.
  static std::atomic<LONG> abort;
  // The read-ahead gauge: free and full elements of the pipe built last.
  static std::atomic<LONG> freeBlocks;
  static std::atomic<LONG> fullBlocks;

 private:
  std::vector<std::unique_ptr<TData>> elements_;
  TData* write_ = nullptr;
  TData* read_ = nullptr;
  void* free_ = nullptr;  // semaphores
  void* full_ = nullptr;
  LONG depth_ = 0;
};
