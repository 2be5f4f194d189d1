// A bounded ring of buffers between two stage threads of a transition
// render. One producer fills free elements and publishes them, one consumer
// takes full elements and gives them back; the free semaphore counts empty
// elements and the full one filled elements, so the ring needs no lock.
// Every wait also watches the job's stop flag: a stop releases both
// semaphores once, and the woken stage sees the flag and ends.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/core/types.h"

struct FXPipeElement {
  FXPipeElement* next = nullptr;  // the elements form a circle
  std::unique_ptr<BYTE[]> data;
  int32_t used = 0;  // bytes
};

class FXPipe {
 public:
  // depth at least 1. When memory runs short the ring keeps the elements it
  // could make; with none, or without its semaphores, Depth() is 0.
  FXPipe(int32_t elementSize, int32_t depth, std::atomic<uint8_t>* stopped);
  ~FXPipe();
  FXPipe(const FXPipe&) = delete;
  FXPipe& operator=(const FXPipe&) = delete;

  int32_t Depth() const { return depth_; }
  int32_t ElementSize() const { return elementSize_; }

  // Waits for an empty element; null when the job stops (or the wait fails,
  // which stops it).
  FXPipeElement* GetFree();
  // Waits for a filled element; null when the job stops.
  FXPipeElement* GetFull();
  // Publishes the element filled last.
  void PutFull();
  // Gives back the element taken last.
  void PutFree();
  // Wakes a stage waiting on either side (a stop).
  void Wake();

 private:
  FXPipeElement* Take(HANDLE semaphore, FXPipeElement*& cursor);

  std::atomic<uint8_t>* stopped_;
  int32_t depth_ = 0;
  int32_t elementSize_ = 0;
  FXPipeElement* nextFree_ = nullptr;
  FXPipeElement* nextFull_ = nullptr;
  HANDLE full_ = nullptr;
  HANDLE free_ = nullptr;
};
