#include "platform/core/handle.h"

bool KernelObject::Release() {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    delete this;
    return true;
  }
  return false;
}

std::mutex& Waitable::WaitLock() {
  static std::mutex lock;
  return lock;
}

std::condition_variable& Waitable::WaitCondition() {
  static std::condition_variable condition;
  return condition;
}

void Waitable::NotifyWaiters() { WaitCondition().notify_all(); }

KernelObject* FromHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  return static_cast<KernelObject*>(handle);
}

BOOL CloseHandle(HANDLE handle) {
  KernelObject* object = FromHandle(handle);
  if (object == nullptr) return FALSE;
  object->Release();
  return TRUE;
}
