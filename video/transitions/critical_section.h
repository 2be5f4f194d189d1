// A critical section owned by an object, and the scoped lock that holds it
// for one block. Recursive: the owning thread may enter again.
#pragma once

#include "platform/core/sync.h"

class TCriticalSection {
 public:
  TCriticalSection() { InitializeCriticalSection(&section_); }
  ~TCriticalSection() { DeleteCriticalSection(&section_); }
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

  // Enters on construction, leaves on destruction.
  class TLock {
   public:
    explicit TLock(TCriticalSection& section) : section_(section) { section_.Enter(); }
    ~TLock() { section_.Leave(); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;

   private:
    TCriticalSection& section_;
  };

 private:
  CRITICAL_SECTION section_;
};
