#include "platform/core/sync.h"

#include <algorithm>
#include <map>
#include <string>

#include "platform/core/threads.h"
#include "platform/core/lasting.h"
#include "platform/core/time.h"

namespace {

// ---- Named objects -----------------------------------------------------------
// The table does not own its objects: an object leaves it when it dies.
class NamedObject : public Waitable {
 public:
  ~NamedObject() override;
  std::string name_;
};

std::mutex& NamesLock() {
  static Lasting<std::mutex> lock;  // never destroyed, as the wait lock
  return *lock;
}
std::map<std::string, NamedObject*>& Names() {
  static Lasting<std::map<std::string, NamedObject*>> names;
  return *names;
}

NamedObject::~NamedObject() {
  if (name_.empty()) return;
  std::lock_guard<std::mutex> guard(NamesLock());
  auto found = Names().find(name_);
  if (found != Names().end() && found->second == this) Names().erase(found);
}

class Event : public NamedObject {
 public:
  Event(bool manual, bool signaled) : manual_(manual), signaled_(signaled) {}
  bool IsSignaled() const override { return signaled_; }
  void Acquire() override {
    if (!manual_) signaled_ = false;
  }
  const bool manual_;
  bool signaled_;
};

class Semaphore : public NamedObject {
 public:
  Semaphore(LONG count, LONG maximum) : count_(count), maximum_(maximum) {}
  bool IsSignaled() const override { return count_ > 0; }
  void Acquire() override { --count_; }
  LONG count_;
  const LONG maximum_;
};

// Finds the object of a name or makes it with make(); the last error tells
// which. T is the kind asked for.
template <class T, class Make>
HANDLE CreateNamed(LPCSTR name, Make make) {
  if (name == nullptr || *name == '\0') {
    SetLastError(ERROR_SUCCESS);
    return ToHandle(make());
  }
  NamedObject* other = nullptr;
  {
    std::lock_guard<std::mutex> guard(NamesLock());
    auto found = Names().find(name);
    if (found != Names().end() && found->second->TryAddRef()) {
      if (dynamic_cast<T*>(found->second) != nullptr) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return ToHandle(found->second);
      }
      other = found->second;
    } else {
      // A dying object may still hold the entry; it leaves it alone once replaced.
      T* object = make();
      object->name_ = name;
      Names()[name] = object;
      SetLastError(ERROR_SUCCESS);
      return ToHandle(object);
    }
  }
  other->Release();  // outside the table's lock: this may be the last reference
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

Waitable* ResolveWaitable(HANDLE handle) {
  if (handle == GetCurrentThread()) return CurrentThreadObject();
  return HandleAs<Waitable>(handle);
}

}  // namespace

// ---- Waits -------------------------------------------------------------------

ObjectWait::~ObjectWait() {
  for (Waitable* object : objects_) object->Release();
}

bool ObjectWait::Init(DWORD count, const HANDLE* objects, bool waitAll, DWORD maximum) {
  if (count > maximum || (count > 0 && objects == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  wait_all_ = waitAll;
  objects_.reserve(count);
  for (DWORD i = 0; i < count; ++i) {
    Waitable* object = ResolveWaitable(objects[i]);
    if (object == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    if (waitAll && std::find(objects_.begin(), objects_.end(), object) != objects_.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    // Held for the wait, so that a handle closed meanwhile cannot vanish under it.
    object->AddRef();
    objects_.push_back(object);
  }
  return true;
}

bool ObjectWait::Ready() const {
  if (objects_.empty()) return false;
  if (wait_all_) {
    return std::all_of(objects_.begin(), objects_.end(), [](Waitable* o) { return o->IsSignaled(); });
  }
  return std::any_of(objects_.begin(), objects_.end(), [](Waitable* o) { return o->IsSignaled(); });
}

int ObjectWait::TryAcquire() {
  if (objects_.empty()) return -1;
  if (wait_all_) {
    if (!Ready()) return -1;
    for (Waitable* object : objects_) object->Acquire();
    return 0;
  }
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i]->IsSignaled()) {
      objects_[i]->Acquire();
      return static_cast<int>(i);
    }
  }
  return -1;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds) {
  if (count == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  ObjectWait wait;
  if (!wait.Init(count, objects, waitAll != FALSE)) return WAIT_FAILED;
  std::unique_lock<std::mutex> lock(Waitable::WaitLock());
  WaitDeadline deadline(milliseconds);
  for (;;) {
    int index = wait.TryAcquire();
    if (index >= 0) return WAIT_OBJECT_0 + static_cast<DWORD>(index);
    if (deadline.Passed()) return WAIT_TIMEOUT;
    deadline.Wait(lock);
  }
}

// ---- Events and semaphores ---------------------------------------------------

HANDLE CreateEvent(const void*, BOOL manualReset, BOOL initialState, LPCSTR name) {
  return CreateNamed<Event>(name, [&] { return new Event(manualReset != FALSE, initialState != FALSE); });
}

static BOOL SetEventState(HANDLE handle, bool signaled) {
  auto* event = HandleAs<Event>(handle);
  if (event == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    event->signaled_ = signaled;
  }
  if (signaled) Waitable::NotifyWaiters();
  return TRUE;
}

BOOL SetEvent(HANDLE event) {
  return SetEventState(event, true);
}
BOOL ResetEvent(HANDLE event) {
  return SetEventState(event, false);
}

HANDLE CreateSemaphore(const void*, LONG initialCount, LONG maximumCount, LPCSTR name) {
  if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateNamed<Semaphore>(name, [&] { return new Semaphore(initialCount, maximumCount); });
}

BOOL ReleaseSemaphore(HANDLE handle, LONG releaseCount, LPLONG previousCount) {
  auto* semaphore = HandleAs<Semaphore>(handle);
  if (semaphore == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (releaseCount <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool overflow;
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    if (previousCount != nullptr) *previousCount = semaphore->count_;
    long long wanted = static_cast<long long>(semaphore->count_) + releaseCount;
    overflow = wanted > semaphore->maximum_;
    semaphore->count_ = static_cast<LONG>(std::min<long long>(wanted, semaphore->maximum_));
  }
  Waitable::NotifyWaiters();
  if (overflow) {
    SetLastError(ERROR_TOO_MANY_POSTS);
    return FALSE;
  }
  return TRUE;
}

// ---- Critical sections -------------------------------------------------------
// The lock lives in the structure, so there is nothing to make or free.

void InitializeCriticalSection(LPCRITICAL_SECTION) {}
void DeleteCriticalSection(LPCRITICAL_SECTION) {}
void EnterCriticalSection(LPCRITICAL_SECTION section) {
  section->lock.lock();
}
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  return section->lock.try_lock() ? TRUE : FALSE;
}
void LeaveCriticalSection(LPCRITICAL_SECTION section) {
  section->lock.unlock();
}

// ---- Interlocked operations --------------------------------------------------

LONG InterlockedIncrement(LONG volatile* value) {
  return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST);
}
LONG InterlockedDecrement(LONG volatile* value) {
  return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST);
}
LONG InterlockedExchange(LONG volatile* target, LONG value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
LONG InterlockedExchangeAdd(LONG volatile* addend, LONG value) {
  return __atomic_fetch_add(addend, value, __ATOMIC_SEQ_CST);
}
LONG InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
