#include "platform/core/message_queue.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/core/handle.h"
#include "platform/core/sync.h"
#include "platform/core/threads.h"
#include "platform/core/time.h"

namespace {

// A queue's state lives under the shared wait lock, so that a wait on
// objects and on the queue at once (MsgWaitForMultipleObjects) sees both.
struct Queue {
  std::deque<MSG> posted;
  std::deque<std::function<void()>> tasks;
  bool quit = false;
  int quit_code = 0;
  unsigned long long wakes = 0;
};

using QueueTable = std::unordered_map<DWORD, std::shared_ptr<Queue>>;

// Only a queue's own thread waits on it: a thread that changes its own
// queue is not waiting, and waking every waiter of the process for it costs
// each of them a trip through the kernel (a window painting during an
// export invalidates its own windows thousands of times).
void NotifyQueueOwner(DWORD threadId) {
  if (threadId != GetCurrentThreadId()) Waitable::NotifyWaiters();
}
// Never destroyed: threads may still end while the program exits.
QueueTable& Queues() {
  static auto* queues = new QueueTable;
  return *queues;
}

std::atomic<MessageSource*> g_source{nullptr};
unsigned long long g_source_generation = 0;  // under the wait lock

// The calling thread's queue, kept for the thread's life.
struct QueueHolder {
  std::shared_ptr<Queue> queue;
  ~QueueHolder() {
    if (queue) DestroyMessageQueue();
  }
};
thread_local QueueHolder t_holder;

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
constexpr DWORD kPostedMask = QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
constexpr DWORD kGeneratedMask = QS_ALLINPUT & ~(QS_POSTMESSAGE | QS_ALLPOSTMESSAGE | QS_SENDMESSAGE);

Queue& CurrentQueue() {
  if (!t_holder.queue) {
    DWORD id = GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    std::shared_ptr<Queue>& entry = Queues()[id];
    if (!entry) entry = std::make_shared<Queue>();
    t_holder.queue = entry;
  }
  return *t_holder.queue;
}

bool Matches(const MSG& msg, HWND filter, UINT min, UINT max) {
  if (filter == kThreadMessagesOnly) {
    if (msg.hwnd != nullptr) return false;
  } else if (filter != nullptr && msg.hwnd != filter) {
    return false;
  }
  if (min == 0 && max == 0) return true;
  return msg.message >= min && msg.message <= max;
}

// Under the wait lock.
bool HasMatching(const Queue& queue, HWND filter, UINT min, UINT max) {
  for (const MSG& msg : queue.posted) {
    if (Matches(msg, filter, min, max)) return true;
  }
  return false;
}

// Under the wait lock: the first matching posted message, else the quit request.
bool TakeMessage(Queue& queue, MSG* out, HWND filter, UINT min, UINT max, bool remove) {
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (Matches(*it, filter, min, max)) {
      *out = *it;
      if (remove) queue.posted.erase(it);
      return true;
    }
  }
  if (queue.quit) {
    *out = MSG{};
    out->message = WM_QUIT;
    out->wParam = static_cast<WPARAM>(static_cast<LPARAM>(queue.quit_code));
    out->time = CurrentTime();
    if (remove) queue.quit = false;
    return true;
  }
  return false;
}

// What a blocking wait compares to notice that its source must be asked again.
struct Changes {
  unsigned long long wakes;
  unsigned long long clock;
  unsigned long long source;
  explicit Changes(const Queue& queue)
      : wakes(queue.wakes), clock(ClockGeneration()), source(g_source_generation) {}
  bool Since(const Queue& queue) const {
    return queue.wakes != wakes || ClockGeneration() != clock || g_source_generation != source;
  }
};

// Under the wait lock (held by lock): blocks until ready(), the deadline (if
// any), or pollMs of real time (INFINITE: no limit).
template <class Ready>
void BlockUntil(std::unique_lock<std::mutex>& lock, Ready ready, DWORD pollMs, WaitDeadline* deadline) {
  using Clock = std::chrono::steady_clock;
  const auto pollEnd = Clock::now() + std::chrono::milliseconds(pollMs == INFINITE ? 0 : pollMs);
  while (!ready()) {
    if (deadline != nullptr && deadline->Passed()) return;
    DWORD cap = INFINITE;
    if (pollMs != INFINITE) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(pollEnd - Clock::now()).count();
      if (left <= 0) return;
      cap = static_cast<DWORD>(left);
    }
    if (deadline != nullptr) {
      deadline->Wait(lock, cap);
    } else if (cap == INFINITE) {
      Waitable::WaitCondition().wait(lock);
    } else {
      Waitable::WaitCondition().wait_for(lock, std::chrono::milliseconds(cap));
    }
  }
}

BOOL Post(DWORD threadId, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CurrentQueue();  // using the queues gives the caller one, so it may post to itself
  MSG msg;
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = CurrentTime();
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    auto found = Queues().find(threadId);
    if (found == Queues().end()) {
      SetLastError(ERROR_INVALID_THREAD_ID);
      return FALSE;
    }
    found->second->posted.push_back(msg);
  }
  NotifyQueueOwner(threadId);
  return TRUE;
}

}  // namespace

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  return Post(threadId, nullptr, message, wParam, lParam);
}

BOOL PostQueueMessage(DWORD threadId, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return Post(threadId, hwnd, message, wParam, lParam);
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  Queue& queue = CurrentQueue();
  for (;;) {
    RunSentTasks();
    std::optional<Changes> seen;
    {
      std::lock_guard<std::mutex> guard(Waitable::WaitLock());
      if (TakeMessage(queue, msg, hwnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
      seen.emplace(queue);
    }
    MessageSource* source = g_source.load();
    DWORD poll = INFINITE;
    if (source != nullptr) {
      if (source->Generate(msg, hwnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
      poll = source->PollInterval();
    }
    std::unique_lock<std::mutex> lock(Waitable::WaitLock());
    BlockUntil(
        lock,
        [&] {
          return !queue.tasks.empty() || queue.quit || HasMatching(queue, hwnd, filterMin, filterMax) ||
                 seen->Since(queue);
        },
        poll, nullptr);
  }
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (msg == nullptr) return FALSE;
  Queue& queue = CurrentQueue();
  RunSentTasks();
  const bool remove = (removeFlags & PM_REMOVE) != 0;
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    if (TakeMessage(queue, msg, hwnd, filterMin, filterMax, remove)) return TRUE;
  }
  MessageSource* source = g_source.load();
  return source != nullptr && source->Generate(msg, hwnd, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  Queue& queue = CurrentQueue();
  for (;;) {
    if (RunSentTasks()) return TRUE;
    std::optional<Changes> seen;
    {
      std::lock_guard<std::mutex> guard(Waitable::WaitLock());
      if (!queue.posted.empty() || queue.quit) return TRUE;
      seen.emplace(queue);
    }
    MessageSource* source = g_source.load();
    DWORD poll = INFINITE;
    if (source != nullptr) {
      MSG probe;
      if (source->Generate(&probe, nullptr, 0, 0, false)) return TRUE;
      poll = source->PollInterval();
    }
    std::unique_lock<std::mutex> lock(Waitable::WaitLock());
    BlockUntil(
        lock,
        [&] { return !queue.tasks.empty() || !queue.posted.empty() || queue.quit || seen->Since(queue); },
        poll, nullptr);
  }
}

void PostQuitMessage(int exitCode) {
  Queue& queue = CurrentQueue();
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    queue.quit = true;
    queue.quit_code = exitCode;
  }
  Waitable::NotifyWaiters();
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask) {
  ObjectWait wait;
  if (!wait.Init(count, objects, waitAll != FALSE, MAXIMUM_WAIT_OBJECTS - 1)) return WAIT_FAILED;
  Queue& queue = CurrentQueue();
  WaitDeadline deadline(milliseconds);
  const DWORD input = WAIT_OBJECT_0 + count;
  for (;;) {
    bool ranTasks = RunSentTasks();
    bool generated = false;
    DWORD poll = INFINITE;
    MessageSource* source = (wakeMask & kGeneratedMask) != 0 ? g_source.load() : nullptr;
    if (source != nullptr) {
      MSG probe;
      generated = source->Generate(&probe, nullptr, 0, 0, false);
      poll = source->PollInterval();
    }
    std::unique_lock<std::mutex> lock(Waitable::WaitLock());
    if (!queue.tasks.empty()) continue;  // run them first
    const bool hasInput = generated || ((wakeMask & QS_SENDMESSAGE) != 0 && ranTasks) ||
                          ((wakeMask & kPostedMask) != 0 && (!queue.posted.empty() || queue.quit));
    if (waitAll != FALSE && !wait.empty()) {
      if (hasInput && wait.TryAcquire() >= 0) return WAIT_OBJECT_0;
    } else {
      int index = wait.TryAcquire();
      if (index >= 0) return WAIT_OBJECT_0 + static_cast<DWORD>(index);
      if (hasInput) return input;
    }
    if (deadline.Passed()) return WAIT_TIMEOUT;
    Changes seen(queue);
    BlockUntil(
        lock,
        [&] {
          if (!queue.tasks.empty() || seen.Since(queue)) return true;
          bool posted = (wakeMask & kPostedMask) != 0 && (!queue.posted.empty() || queue.quit);
          if (waitAll != FALSE && !wait.empty()) return (posted || generated) && wait.Ready();
          return posted || wait.Ready();
        },
        poll, &deadline);
  }
}

void SetMessageSource(MessageSource* source) {
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    g_source.store(source);
    ++g_source_generation;
  }
  Waitable::NotifyWaiters();
}

bool PostSentTask(DWORD threadId, std::function<void()> task) {
  CurrentQueue();
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    auto found = Queues().find(threadId);
    if (found == Queues().end()) return false;
    found->second->tasks.push_back(std::move(task));
  }
  Waitable::NotifyWaiters();
  return true;
}

bool RunSentTasks() {
  Queue& queue = CurrentQueue();
  bool ran = false;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> guard(Waitable::WaitLock());
      if (queue.tasks.empty()) break;
      task = std::move(queue.tasks.front());
      queue.tasks.pop_front();
    }
    task();
    ran = true;
  }
  return ran;
}

void WakeThreadQueue(DWORD threadId) {
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    auto found = Queues().find(threadId);
    if (found == Queues().end()) return;
    ++found->second->wakes;
  }
  NotifyQueueOwner(threadId);
}

bool HasPostedMessages(HWND filter, UINT min, UINT max) {
  Queue& queue = CurrentQueue();
  std::lock_guard<std::mutex> guard(Waitable::WaitLock());
  return HasMatching(queue, filter, min, max);
}

void EnsureMessageQueue() {
  CurrentQueue();
}

bool HasMessageQueue(DWORD threadId) {
  std::lock_guard<std::mutex> guard(Waitable::WaitLock());
  return Queues().count(threadId) != 0;
}

void CreateMessageQueueFor(DWORD threadId) {
  std::lock_guard<std::mutex> guard(Waitable::WaitLock());
  std::shared_ptr<Queue>& entry = Queues()[threadId];
  if (!entry) entry = std::make_shared<Queue>();
}

void DestroyMessageQueueFor(DWORD threadId) {
  std::shared_ptr<Queue> gone;
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    auto found = Queues().find(threadId);
    if (found == Queues().end()) return;
    gone = std::move(found->second);
    Queues().erase(found);
  }
  // The queue (and the tasks it still holds) dies outside the lock: a task's
  // captures may signal objects when destroyed. Another holder (the thread's
  // own) keeps it alive until it lets go; clear the tasks now regardless.
  std::deque<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    tasks.swap(gone->tasks);
  }
}

void DestroyMessageQueue() {
  DestroyMessageQueueFor(GetCurrentThreadId());
  t_holder.queue.reset();
}
