// Kernel handles. Every HANDLE of this layer (files, threads, events,
// semaphores, processes, ...) points at a KernelObject; CloseHandle releases
// it. Waitable objects share one lock and one condition variable, which keeps
// waits on several objects at once simple and free of lost wake-ups.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/core/types.h"

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  void AddRef() { refs_.fetch_add(1, std::memory_order_relaxed); }
  // Takes a reference unless the object is already on its way out (for
  // tables that find objects by name without owning them).
  bool TryAddRef();
  // Returns true when this was the last reference (and the object is gone).
  bool Release();

 private:
  std::atomic<int> refs_{1};
};

// A waitable object. State changes happen under WaitLock() and end with
// NotifyWaiters(); waiters test IsSignaled() and take the signal with
// Acquire() under the same lock.
class Waitable : public KernelObject {
 public:
  // Under WaitLock(): may a wait on this object end now?
  virtual bool IsSignaled() const = 0;
  // Under WaitLock(), after IsSignaled(): consume the signal (auto-reset
  // events reset, semaphores count down); manual objects do nothing.
  virtual void Acquire() {}

  static std::mutex& WaitLock();
  static std::condition_variable& WaitCondition();
  // Wakes every waiter so that it tests its objects again.
  static void NotifyWaiters();
};

inline HANDLE ToHandle(KernelObject* object) { return static_cast<HANDLE>(object); }
// Pseudo handles (the current thread, the current process) are small
// negative values that name no object of their own.
inline bool IsPseudoHandle(HANDLE handle) {
  auto value = reinterpret_cast<std::intptr_t>(handle);
  return value < 0 && value >= -16;
}
// The object behind a handle; null for null, INVALID_HANDLE_VALUE and the
// other pseudo handles.
KernelObject* FromHandle(HANDLE handle);

template <class T>
T* HandleAs(HANDLE handle) {
  return dynamic_cast<T*>(FromHandle(handle));
}

BOOL CloseHandle(HANDLE handle);
