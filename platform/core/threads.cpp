#include "platform/core/threads.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

#include "platform/core/message_queue.h"
#include "platform/core/sync.h"

namespace {

class ThreadObject : public Waitable {
 public:
  ThreadObject(DWORD id, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD suspendCount)
      : id_(id), start_(start), parameter_(parameter), suspend_count_(suspendCount) {}

  bool IsSignaled() const override { return finished_; }

  static void* Main(void* argument);

  // All under the wait lock.
  const DWORD id_;
  const LPTHREAD_START_ROUTINE start_;
  const LPVOID parameter_;
  DWORD suspend_count_;
  bool finished_ = false;
  DWORD exit_code_ = STILL_ACTIVE;
  int priority_ = THREAD_PRIORITY_NORMAL;
  pid_t system_id_ = 0;  // 0 until the thread runs
};

std::atomic<DWORD> g_next_id{1};
thread_local DWORD t_id = 0;
thread_local ThreadObject* t_thread = nullptr;
// The priority of a thread that CreateThread did not make.
thread_local int t_priority = THREAD_PRIORITY_NORMAL;

const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2));

bool IsValidPriority(int priority) {
  return (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST) ||
         priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL;
}

// Linux schedules threads by their nice value; lowering it needs privileges,
// so a raise may silently not happen.
void ApplyPriority(pid_t systemId, int priority) {
  int nice = 0;
  switch (priority) {
    case THREAD_PRIORITY_IDLE:
      nice = 19;
      break;
    case THREAD_PRIORITY_LOWEST:
      nice = 10;
      break;
    case THREAD_PRIORITY_BELOW_NORMAL:
      nice = 5;
      break;
    case THREAD_PRIORITY_ABOVE_NORMAL:
      nice = -5;
      break;
    case THREAD_PRIORITY_HIGHEST:
      nice = -10;
      break;
    case THREAD_PRIORITY_TIME_CRITICAL:
      nice = -20;
      break;
    default:
      nice = 0;
      break;
  }
  if (getpriority(PRIO_PROCESS, static_cast<id_t>(systemId)) == nice) return;
  setpriority(PRIO_PROCESS, static_cast<id_t>(systemId), nice);
}

pid_t SystemThreadId() {
  return static_cast<pid_t>(syscall(SYS_gettid));
}

// The thread behind a handle: null for a bad handle; the calling thread's
// object (which may be null) for the pseudo handle, with isCurrent set.
ThreadObject* ThreadFromHandle(HANDLE thread, bool* isCurrent) {
  *isCurrent = thread == kCurrentThread;
  if (*isCurrent) return t_thread;
  return HandleAs<ThreadObject>(thread);
}

}  // namespace

void* ThreadObject::Main(void* argument) {
  auto* self = static_cast<ThreadObject*>(argument);
  t_id = self->id_;
  t_thread = self;
  int priority;
  {
    std::unique_lock<std::mutex> lock(WaitLock());
    self->system_id_ = SystemThreadId();
    while (self->suspend_count_ > 0) WaitCondition().wait(lock);
    priority = self->priority_;
  }
  if (priority != THREAD_PRIORITY_NORMAL) ApplyPriority(SystemThreadId(), priority);

  DWORD code = self->start_(self->parameter_);

  // The queue goes first, so nobody posts to a thread that has been joined.
  DestroyMessageQueue();
  {
    std::lock_guard<std::mutex> guard(WaitLock());
    self->exit_code_ = code;
    self->finished_ = true;
  }
  NotifyWaiters();
  t_thread = nullptr;
  self->Release();
  return nullptr;
}

HANDLE CreateThread(const void*, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId) {
  if (start == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD id = g_next_id.fetch_add(1);
  auto* thread = new ThreadObject(id, start, parameter, (creationFlags & CREATE_SUSPENDED) ? 1 : 0);
  CreateMessageQueueFor(id);

  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  size_t defaultSize = 0;
  pthread_attr_getstacksize(&attributes, &defaultSize);
  if (stackSize > defaultSize) pthread_attr_setstacksize(&attributes, stackSize);

  thread->AddRef();  // the running thread's own reference
  pthread_t system;
  int result = pthread_create(&system, &attributes, &ThreadObject::Main, thread);
  pthread_attr_destroy(&attributes);
  if (result != 0) {
    DestroyMessageQueueFor(id);
    thread->Release();
    thread->Release();
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (threadId != nullptr) *threadId = id;
  return ToHandle(thread);
}

DWORD ResumeThread(HANDLE handle) {
  bool current;
  ThreadObject* thread = ThreadFromHandle(handle, &current);
  if (thread == nullptr) {
    if (current) return 0;  // a running thread is not suspended
    SetLastError(ERROR_INVALID_HANDLE);
    return 0xFFFFFFFFu;
  }
  DWORD previous;
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    previous = thread->suspend_count_;
    if (previous > 0) --thread->suspend_count_;
  }
  if (previous == 1) Waitable::NotifyWaiters();
  return previous;
}

DWORD GetCurrentThreadId() {
  if (t_id == 0) t_id = g_next_id.fetch_add(1);
  return t_id;
}

HANDLE GetCurrentThread() {
  return kCurrentThread;
}

BOOL SetThreadPriority(HANDLE handle, int priority) {
  bool current;
  ThreadObject* thread = ThreadFromHandle(handle, &current);
  if (thread == nullptr && !current) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!IsValidPriority(priority)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (thread == nullptr) {
    t_priority = priority;
    ApplyPriority(SystemThreadId(), priority);
    return TRUE;
  }
  pid_t systemId;
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    thread->priority_ = priority;
    // A thread that has not started yet applies it itself when it does.
    systemId = (thread->finished_ || thread->suspend_count_ > 0) ? 0 : thread->system_id_;
  }
  if (systemId != 0) ApplyPriority(systemId, priority);
  return TRUE;
}

int GetThreadPriority(HANDLE handle) {
  bool current;
  ThreadObject* thread = ThreadFromHandle(handle, &current);
  if (thread == nullptr) {
    if (current) return t_priority;
    SetLastError(ERROR_INVALID_HANDLE);
    return THREAD_PRIORITY_ERROR_RETURN;
  }
  std::lock_guard<std::mutex> guard(Waitable::WaitLock());
  return thread->priority_;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  bool current;
  ThreadObject* thread = ThreadFromHandle(handle, &current);
  if (exitCode == nullptr || (thread == nullptr && !current)) {
    SetLastError(exitCode == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (thread == nullptr) {
    *exitCode = STILL_ACTIVE;
    return TRUE;
  }
  std::lock_guard<std::mutex> guard(Waitable::WaitLock());
  *exitCode = thread->exit_code_;
  return TRUE;
}

Waitable* CurrentThreadObject() {
  return t_thread;
}
