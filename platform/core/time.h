// Time: the millisecond clocks, the performance counter, Sleep and the
// calendar time. The millisecond clock can be driven by tests: while it is
// driven, timeGetTime and GetTickCount return the driven time, and every
// timed wait of this layer (object waits, Sleep, message waits) measures its
// time-out on it, ending only when the clock is advanced past its deadline.
#pragma once

#include <cstddef>
#include <mutex>

#include "platform/core/datetime.h"
#include "platform/core/types.h"

using MMRESULT = UINT;
constexpr MMRESULT TIMERR_NOERROR = 0;

// Milliseconds since an arbitrary start, wrapping at 2^32 (about 49.7 days).
DWORD timeGetTime();
DWORD GetTickCount();
// Nanoseconds; follows the driven clock while it is driven.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// Sleep(0) gives up the rest of the time slice.
void Sleep(DWORD milliseconds);
// The timer resolution of this system is always fine enough.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);

// The calendar time (never driven): UTC and local.
void GetSystemTime(SYSTEMTIME* time);
void GetLocalTime(SYSTEMTIME* time);

// ---- The clock of the waits ------------------------------------------------

// What timeGetTime returns; other layers (window timers) measure with it.
DWORD CurrentTime();

// Switching on starts the driven clock at the current real time.
void SetClockDriven(bool driven);
bool IsClockDriven();
// Moves the driven clock forward and wakes every waiter (object waits, Sleep
// and the message queues) so that it tests its deadline again. Does nothing
// while the clock is real.
void AdvanceClock(DWORD milliseconds);
// Changes on every advance and every switch of the clock; read under
// Waitable::WaitLock(). Message waits re-check their sources when it moves.
unsigned long long ClockGeneration();
// For tests: waits (real time, at most realTimeoutMs) until at least count
// timed waits on the driven clock are blocked having seen the current
// driven time, so that an advance that follows is measured by all of them.
bool WaitForDrivenWaiters(std::size_t count, DWORD realTimeoutMs = 10000);

// Drives the clock for its lifetime.
class TestClock {
 public:
  TestClock() { SetClockDriven(true); }
  ~TestClock() { SetClockDriven(false); }
  TestClock(const TestClock&) = delete;
  TestClock& operator=(const TestClock&) = delete;
  void Advance(DWORD milliseconds) { AdvanceClock(milliseconds); }
  DWORD Now() const { return CurrentTime(); }
};

// The deadline of one timed wait over Waitable::WaitLock(), on the real or
// the driven clock (it follows the clock when it is switched during the wait).
class WaitDeadline {
 public:
  // INFINITE never passes; 0 has passed at once.
  explicit WaitDeadline(DWORD timeoutMs);
  ~WaitDeadline();
  WaitDeadline(const WaitDeadline&) = delete;
  WaitDeadline& operator=(const WaitDeadline&) = delete;

  // Under the wait lock.
  bool Passed();
  // Under the wait lock (held by lock): blocks on Waitable::WaitCondition()
  // until notified, the deadline, or realCapMs of real time, whichever comes
  // first. Spurious returns are possible; callers test their state again.
  void Wait(std::unique_lock<std::mutex>& lock, DWORD realCapMs = INFINITE);

 private:
  void Follow();

  bool infinite_;
  bool driven_;
  long long deadline_;  // ms on the clock named by driven_
  unsigned long long seen_generation_ = 0;
  bool counted_ = false;
};
