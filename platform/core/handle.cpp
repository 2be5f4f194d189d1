#include "platform/core/handle.h"

#include "platform/core/lasting.h"

bool KernelObject::Release() {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    delete this;
    return true;
  }
  return false;
}

bool KernelObject::TryAddRef() {
  int refs = refs_.load(std::memory_order_relaxed);
  while (refs > 0) {
    if (refs_.compare_exchange_weak(refs, refs + 1, std::memory_order_acq_rel)) return true;
  }
  return false;
}

// Never destroyed: a thread still ending while the program exits may use them.
std::mutex& Waitable::WaitLock() {
  static Lasting<std::mutex> lock;
  return *lock;
}

std::condition_variable& Waitable::WaitCondition() {
  static Lasting<std::condition_variable> condition;
  return *condition;
}

void Waitable::NotifyWaiters() { WaitCondition().notify_all(); }

KernelObject* FromHandle(HANDLE handle) {
  if (handle == nullptr || IsPseudoHandle(handle)) return nullptr;
  return static_cast<KernelObject*>(handle);
}

BOOL CloseHandle(HANDLE handle) {
  KernelObject* object = FromHandle(handle);
  if (object == nullptr) return FALSE;
  object->Release();
  return TRUE;
}
