#include "platform/core/time.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>

#include "platform/core/handle.h"
#include "platform/core/lasting.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

long long RealNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now().time_since_epoch()).count();
}
long long RealMilliseconds() {
  return RealNanoseconds() / 1000000;
}

// The driven clock. Changed only under the wait lock (so that a waiter that
// tested its deadline cannot miss the advance that follows), read anywhere.
std::atomic<bool> g_driven{false};
std::atomic<long long> g_driven_ms{0};
std::atomic<unsigned long long> g_generation{0};

// Timed waits on the driven clock that are blocked having seen generation
// g_settled_generation (see WaitForDrivenWaiters).
std::mutex& SettledLock() {
  static Lasting<std::mutex> lock;  // never destroyed, as the wait lock
  return *lock;
}
std::condition_variable& SettledChanged() {
  static Lasting<std::condition_variable> condition;
  return *condition;
}
std::size_t g_settled = 0;
unsigned long long g_settled_generation = 0;

// Under the wait lock: the clock moved or switched.
void ClockChanged() {
  unsigned long long generation = g_generation.fetch_add(1) + 1;
  std::lock_guard<std::mutex> guard(SettledLock());
  g_settled = 0;
  g_settled_generation = generation;
}

// The clock a deadline counts on: driven milliseconds or real nanoseconds.
long long Now(bool driven) {
  return driven ? g_driven_ms.load() : RealNanoseconds();
}
constexpr long long kNanosecondsPerMs = 1000000;

void FillSystemTime(SYSTEMTIME* out, const std::tm& tm, long nanoseconds) {
  out->wYear = static_cast<WORD>(tm.tm_year + 1900);
  out->wMonth = static_cast<WORD>(tm.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  out->wDay = static_cast<WORD>(tm.tm_mday);
  out->wHour = static_cast<WORD>(tm.tm_hour);
  out->wMinute = static_cast<WORD>(tm.tm_min);
  out->wSecond = static_cast<WORD>(std::min(tm.tm_sec, 59));  // no leap second here
  out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

}  // namespace

DWORD CurrentTime() {
  long long ms = g_driven.load() ? g_driven_ms.load() : RealMilliseconds();
  return static_cast<DWORD>(static_cast<unsigned long long>(ms));
}

DWORD timeGetTime() {
  return CurrentTime();
}
DWORD GetTickCount() {
  return CurrentTime();
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) return FALSE;
  count->QuadPart = g_driven.load() ? g_driven_ms.load() * kNanosecondsPerMs : RealNanoseconds();
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = 1000000000;
  return TRUE;
}

MMRESULT timeBeginPeriod(UINT) {
  return TIMERR_NOERROR;
}
MMRESULT timeEndPeriod(UINT) {
  return TIMERR_NOERROR;
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  std::unique_lock<std::mutex> lock(Waitable::WaitLock());
  WaitDeadline deadline(milliseconds);
  while (!deadline.Passed()) deadline.Wait(lock);
}

void GetSystemTime(SYSTEMTIME* time) {
  if (time == nullptr) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm tm{};
  gmtime_r(&now.tv_sec, &tm);
  FillSystemTime(time, tm, now.tv_nsec);
}

void GetLocalTime(SYSTEMTIME* time) {
  if (time == nullptr) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm tm{};
  localtime_r(&now.tv_sec, &tm);
  FillSystemTime(time, tm, now.tv_nsec);
}

void SetClockDriven(bool driven) {
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    if (driven == g_driven.load()) return;
    if (driven) g_driven_ms.store(RealMilliseconds());
    g_driven.store(driven);
    ClockChanged();
  }
  Waitable::NotifyWaiters();
}

bool IsClockDriven() {
  return g_driven.load();
}

void AdvanceClock(DWORD milliseconds) {
  {
    std::lock_guard<std::mutex> guard(Waitable::WaitLock());
    if (!g_driven.load()) return;
    g_driven_ms.fetch_add(milliseconds);
    ClockChanged();
  }
  Waitable::NotifyWaiters();
}

unsigned long long ClockGeneration() {
  return g_generation.load();
}

bool WaitForDrivenWaiters(std::size_t count, DWORD realTimeoutMs) {
  std::unique_lock<std::mutex> lock(SettledLock());
  return SettledChanged().wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                                   [count] { return g_settled >= count; });
}

WaitDeadline::WaitDeadline(DWORD timeoutMs)
    : infinite_(timeoutMs == INFINITE), driven_(g_driven.load()), deadline_(0) {
  if (!infinite_) {
    deadline_ = Now(driven_) + (driven_ ? static_cast<long long>(timeoutMs)
                                        : static_cast<long long>(timeoutMs) * kNanosecondsPerMs);
  }
}

WaitDeadline::~WaitDeadline() {
  if (!counted_) return;
  std::lock_guard<std::mutex> guard(SettledLock());
  if (seen_generation_ == g_settled_generation && g_settled > 0) --g_settled;
}

void WaitDeadline::Follow() {
  if (infinite_ || driven_ == g_driven.load()) return;
  // The clock was switched during the wait: keep the time that was left.
  long long left = std::max(0LL, deadline_ - Now(driven_));
  left = driven_ ? left * kNanosecondsPerMs : (left + kNanosecondsPerMs - 1) / kNanosecondsPerMs;
  driven_ = !driven_;
  deadline_ = Now(driven_) + left;
}

bool WaitDeadline::Passed() {
  if (infinite_) return false;
  Follow();
  return Now(driven_) >= deadline_;
}

void WaitDeadline::Wait(std::unique_lock<std::mutex>& lock, DWORD realCapMs) {
  Follow();
  std::condition_variable& condition = Waitable::WaitCondition();
  if (driven_ && !infinite_) {
    std::lock_guard<std::mutex> guard(SettledLock());
    if (!counted_ || seen_generation_ != g_settled_generation) {
      counted_ = true;
      seen_generation_ = g_settled_generation;
      ++g_settled;
      SettledChanged().notify_all();
    }
  }
  if (driven_ || infinite_) {
    if (realCapMs == INFINITE) {
      condition.wait(lock);
    } else {
      condition.wait_for(lock, std::chrono::milliseconds(realCapMs));
    }
    return;
  }
  auto until = SteadyClock::time_point(
      std::chrono::duration_cast<SteadyClock::duration>(std::chrono::nanoseconds(deadline_)));
  if (realCapMs != INFINITE) {
    until = std::min(until, SteadyClock::now() + std::chrono::milliseconds(realCapMs));
  }
  condition.wait_until(lock, until);
}
