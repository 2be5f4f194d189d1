// Synchronisation: events, semaphores, critical sections, interlocked
// operations and the waits on one or several objects. Every waitable object
// keeps its state under the one wait lock of handle.h, so a wait on several
// objects tests them all at once and cannot miss a wake-up.
#pragma once

#include <mutex>
#include <vector>

#include "platform/core/errors.h"  // GetLastError and the shared codes
#include "platform/core/handle.h"
#include "platform/core/types.h"

// Codes that only the waits and the message queues report.

// ---- Waits -------------------------------------------------------------------
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// Time-outs in ms (INFINITE waits without limit) on the clock of time.h, so a
// driven clock ends them. A wait on one of several objects (waitAll false)
// takes the lowest signalled index; a wait on all takes every signal at once
// or none. Handles may not repeat in a wait on all.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds);

// The objects of one wait, held for its length. For waits that also watch
// something else (a message queue): resolve once, then under the wait lock
// call TryAcquire between the other tests.
class ObjectWait {
 public:
  ObjectWait() = default;
  ~ObjectWait();
  ObjectWait(const ObjectWait&) = delete;
  ObjectWait& operator=(const ObjectWait&) = delete;

  // False with the last error set for a bad handle, a bad count, or a
  // repeated handle in a wait on all. A count of 0 is allowed here.
  bool Init(DWORD count, const HANDLE* objects, bool waitAll, DWORD maximum = MAXIMUM_WAIT_OBJECTS);
  // Under the wait lock: the index that ended the wait (0 for a wait on
  // all) with its signal taken, or -1 when the wait goes on.
  int TryAcquire();
  // Under the wait lock: would TryAcquire succeed?
  bool Ready() const;
  bool empty() const { return objects_.empty(); }

 private:
  std::vector<Waitable*> objects_;
  bool wait_all_ = false;
};

// ---- Events and semaphores ---------------------------------------------------
// A named object is shared within the process: creating an existing name
// returns that object (its settings unchanged) with the last error
// ERROR_ALREADY_EXISTS; a name held by an object of another kind fails with
// ERROR_INVALID_HANDLE. An empty name is no name. securityAttributes is ignored.
HANDLE CreateEvent(const void* securityAttributes, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

HANDLE CreateSemaphore(const void* securityAttributes, LONG initialCount, LONG maximumCount, LPCSTR name);
// A release that would pass the maximum fails with ERROR_TOO_MANY_POSTS and
// leaves the count at the maximum, so waiters still wake.
BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount);

// ---- Critical sections -------------------------------------------------------
// Recursive: the owning thread may enter again; each entry needs its leave.
struct CRITICAL_SECTION {
  std::recursive_mutex lock;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);

// ---- Interlocked operations (sequentially consistent) ------------------------
LONG InterlockedIncrement(LONG volatile* value);                 // the new value
LONG InterlockedDecrement(LONG volatile* value);                 // the new value
LONG InterlockedExchange(LONG volatile* target, LONG value);     // the old value
LONG InterlockedExchangeAdd(LONG volatile* addend, LONG value);  // the old value
// Stores exchange when *destination equals comparand; returns the old value.
LONG InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand);
