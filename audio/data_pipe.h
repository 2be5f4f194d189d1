// The data pipe that joins the engine's threads: a ring of sample blocks
// handed from one producer to one consumer. Any nonzero abort flag makes
// every wait on a pipe give up.
//
// Blocks go over in batches: a side that finds nothing to take sleeps until
// half the ring is there for it (or the producer says it has ended), so the
// threads take turns once per half ring instead of once per block, and a
// side that does not wait is never signalled.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
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
  // Producer: nothing more comes for now; a waiting consumer takes what
  // there is instead of waiting for a whole batch.
  void EndWrites();

  // Wakes whoever waits on this pipe (stopping a worker, after the abort
  // flag was set).
  void ReleaseWaiters();

  // Nonzero makes every wait give up; set by exchange, cleared only before
  // the workers start.
  static std::atomic<LONG> abort;
  // The read-ahead gauge: free and full elements of the pipe built last.
  static std::atomic<LONG> freeBlocks;
  static std::atomic<LONG> fullBlocks;

 private:
  // Waits until count holds at least what the side needs, the side is
  // woken, or the abort flag is set.
  void Wait(std::atomic<LONG>& count, std::atomic<bool>& waiting, bool producer);
  void Wake(std::atomic<bool>& waiting);

  std::vector<std::unique_ptr<TData>> elements_;
  TData* write_ = nullptr;
  TData* read_ = nullptr;
  LONG depth_ = 0;
  LONG batch_ = 1;
  std::atomic<LONG> free_{0};  // elements the producer may take
  std::atomic<LONG> full_{0};  // elements posted and not yet taken
  std::atomic<bool> ended_{false};
  std::atomic<bool> producerWaits_{false};
  std::atomic<bool> consumerWaits_{false};
  std::mutex lock_;
  std::condition_variable wake_;
};
