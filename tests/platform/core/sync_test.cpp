#include "platform/core/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

#include "platform/core/process.h"
#include "platform/core/time.h"
#include "thread_helpers.h"

using test_threads::Finish;
using test_threads::SignalledWithin;
using test_threads::Start;

namespace {

// Takes every unit of a semaphore without waiting; the count it had.
LONG Drain(HANDLE semaphore) {
  LONG count = 0;
  while (WaitForSingleObject(semaphore, 0) == WAIT_OBJECT_0) ++count;
  return count;
}

}  // namespace

TEST(Events, AutoResetReleasesOneWaiterPerSet) {
  TestClock clock;
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  std::atomic<int> woken{0}, timedOut{0};
  std::vector<HANDLE> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.push_back(Start([&] {
      DWORD result = WaitForSingleObject(event, 1000);
      ++(result == WAIT_OBJECT_0 ? woken : timedOut);
      return 0;
    }));
  }
  ASSERT_TRUE(WaitForDrivenWaiters(3));
  SetEvent(event);
  clock.Advance(1000);
  for (HANDLE waiter : waiters) EXPECT_EQ(Finish(waiter), 0u);
  EXPECT_EQ(woken.load(), 1);
  EXPECT_EQ(timedOut.load(), 2);
  // A set with nobody waiting is kept for exactly one wait.
  SetEvent(event);
  SetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST(Events, ManualResetReleasesEveryWaiterUntilReset) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::vector<HANDLE> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.push_back(Start([&] { return WaitForSingleObject(event, INFINITE); }));
  }
  SetEvent(event);
  for (HANDLE waiter : waiters) EXPECT_EQ(Finish(waiter), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  ResetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  CloseHandle(event);

  HANDLE initiallySet = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(initiallySet, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(initiallySet, 0), WAIT_OBJECT_0);
  CloseHandle(initiallySet);
}

TEST(Events, NamedEventIsSharedWithinTheProcess) {
  SetLastError(12345);
  HANDLE first = CreateEvent(nullptr, TRUE, FALSE, "kobrix.test.shared");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  // The second creation keeps the first one's settings (manual, not set).
  HANDLE second = CreateEvent(nullptr, FALSE, TRUE, "kobrix.test.shared");
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(second, first);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
  SetEvent(first);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);

  // Another name, no name and the empty name are other objects.
  HANDLE other = CreateEvent(nullptr, TRUE, FALSE, "kobrix.test.other");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE unnamed1 = CreateEvent(nullptr, TRUE, FALSE, "");
  HANDLE unnamed2 = CreateEvent(nullptr, TRUE, FALSE, "");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_NE(other, first);
  EXPECT_NE(unnamed1, unnamed2);
  // A semaphore cannot take an event's name.
  EXPECT_EQ(CreateSemaphore(nullptr, 0, 1, "kobrix.test.shared"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  // The name lives as long as one handle does.
  CloseHandle(first);
  HANDLE again = CreateEvent(nullptr, TRUE, FALSE, "kobrix.test.shared");
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(again);
  CloseHandle(second);
  HANDLE fresh = CreateEvent(nullptr, TRUE, FALSE, "kobrix.test.shared");
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_TIMEOUT);
  for (HANDLE h : {fresh, other, unnamed1, unnamed2}) CloseHandle(h);
}

struct ReleaseCase {
  LONG initial, maximum, release;
  BOOL ok;
  LONG countAfter;
};

class SemaphoreRelease : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(SemaphoreRelease, OverReleaseReportsAndStaysAtTheMaximum) {
  const ReleaseCase& c = GetParam();
  HANDLE semaphore = CreateSemaphore(nullptr, c.initial, c.maximum, nullptr);
  ASSERT_NE(semaphore, nullptr);
  LONG previous = -1;
  SetLastError(0);
  EXPECT_EQ(ReleaseSemaphore(semaphore, c.release, &previous), c.ok);
  EXPECT_EQ(previous, c.initial);
  EXPECT_EQ(GetLastError(), c.ok ? 0u : ERROR_TOO_MANY_POSTS);
  EXPECT_EQ(Drain(semaphore), c.countAfter);
  CloseHandle(semaphore);
}

INSTANTIATE_TEST_SUITE_P(Cases, SemaphoreRelease,
                         ::testing::Values(ReleaseCase{0, 2, 1, TRUE, 1}, ReleaseCase{0, 2, 2, TRUE, 2},
                                           ReleaseCase{1, 1, 1, FALSE, 1},  // the fifo's wake-up release
                                           ReleaseCase{2, 2, 1, FALSE, 2}, ReleaseCase{1, 3, 5, FALSE, 3}));

TEST(Semaphores, BadArgumentsFail) {
  for (auto [initial, maximum] : {std::pair<LONG, LONG>{0, 0}, {-1, 1}, {2, 1}, {0, -5}}) {
    SetLastError(0);
    EXPECT_EQ(CreateSemaphore(nullptr, initial, maximum, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  HANDLE semaphore = CreateSemaphore(nullptr, 0, 1, nullptr);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
  EXPECT_FALSE(ReleaseSemaphore(semaphore, -1, nullptr));
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
  // Counts near the top of the range do not overflow.
  HANDLE big = CreateSemaphore(nullptr, INT32_MAX - 1, INT32_MAX, nullptr);
  LONG previous = 0;
  EXPECT_FALSE(ReleaseSemaphore(big, INT32_MAX, &previous));
  EXPECT_EQ(previous, INT32_MAX - 1);
  EXPECT_FALSE(ReleaseSemaphore(big, 1, &previous));
  EXPECT_EQ(previous, INT32_MAX);
  CloseHandle(big);
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(ReleaseSemaphore(event, 1, nullptr));
  EXPECT_FALSE(SetEvent(semaphore));
  EXPECT_FALSE(SetEvent(nullptr));
  CloseHandle(event);
  CloseHandle(semaphore);
}

// A ring of blocks between two threads, counted by a free and a full
// semaphore, and stopped the way the engine stops its workers: an abort flag,
// then one release of each semaphore (the full one may be at its maximum).
TEST(Semaphores, TwoSemaphorePipeKeepsOrderAndStopsPromptly) {
  constexpr int kDepth = 4, kItems = 5000;
  HANDLE freeSlots = CreateSemaphore(nullptr, kDepth, kDepth, nullptr);
  HANDLE fullSlots = CreateSemaphore(nullptr, 0, kDepth, nullptr);
  int ring[kDepth] = {};
  volatile LONG abort = 0;

  HANDLE producer = Start([&] {
    for (int i = 0;; ++i) {
      if (WaitForSingleObject(freeSlots, INFINITE) != WAIT_OBJECT_0) return -1;
      if (InterlockedCompareExchange(&abort, 0, 0) != 0) return i;
      ring[i % kDepth] = i;
      ReleaseSemaphore(fullSlots, 1, nullptr);
    }
  });
  bool inOrder = true;
  for (int i = 0; i < kItems; ++i) {
    ASSERT_EQ(WaitForSingleObject(fullSlots, INFINITE), WAIT_OBJECT_0);
    inOrder = inOrder && ring[i % kDepth] == i;
    ReleaseSemaphore(freeSlots, 1, nullptr);
  }
  EXPECT_TRUE(inOrder);
  // The producer now waits on a full ring.
  InterlockedExchange(&abort, 1);
  ReleaseSemaphore(freeSlots, 1, nullptr);
  ReleaseSemaphore(fullSlots, 1, nullptr);
  DWORD produced = Finish(producer);
  EXPECT_GE(produced, static_cast<DWORD>(kItems));
  EXPECT_LE(produced, static_cast<DWORD>(kItems + kDepth));
  CloseHandle(freeSlots);
  CloseHandle(fullSlots);
}

TEST(Waits, AnyTakesTheLowestSignalledObject) {
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  HANDLE semaphore = CreateSemaphore(nullptr, 0, 5, nullptr);
  HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = Start([&] { return WaitForSingleObject(go, INFINITE); });
  HANDLE objects[3] = {event, semaphore, thread};

  EXPECT_EQ(WaitForMultipleObjects(3, objects, FALSE, 0), WAIT_TIMEOUT);
  ReleaseSemaphore(semaphore, 2, nullptr);
  EXPECT_EQ(WaitForMultipleObjects(3, objects, FALSE, 0), WAIT_OBJECT_0 + 1);
  SetEvent(event);
  EXPECT_EQ(WaitForMultipleObjects(3, objects, FALSE, 0), WAIT_OBJECT_0 + 0);  // lowest first
  EXPECT_EQ(WaitForMultipleObjects(3, objects, FALSE, 0), WAIT_OBJECT_0 + 1);  // the event was taken
  EXPECT_EQ(WaitForMultipleObjects(3, objects, FALSE, 0), WAIT_TIMEOUT);       // and both units
  SetEvent(go);
  EXPECT_EQ(WaitForMultipleObjects(3, objects, FALSE, INFINITE), WAIT_OBJECT_0 + 2);
  EXPECT_EQ(Finish(thread), WAIT_OBJECT_0);
  for (HANDLE h : {event, semaphore, go}) CloseHandle(h);
}

TEST(Waits, AnyWakesForASignalFromAnotherThread) {
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  HANDLE semaphore = CreateSemaphore(nullptr, 0, 1, nullptr);
  HANDLE objects[2] = {event, semaphore};
  for (int round = 0; round < 200; ++round) {
    HANDLE waiter = Start([&] { return WaitForMultipleObjects(2, objects, FALSE, INFINITE); });
    if (round % 2) {
      SetEvent(event);
    } else {
      ReleaseSemaphore(semaphore, 1, nullptr);
    }
    ASSERT_EQ(Finish(waiter), WAIT_OBJECT_0 + static_cast<DWORD>(round % 2 ? 0 : 1));
  }
  CloseHandle(event);
  CloseHandle(semaphore);
}

TEST(Waits, AllTakesEverySignalAtOnceOrNone) {
  HANDLE event = CreateEvent(nullptr, FALSE, TRUE, nullptr);
  HANDLE semaphore = CreateSemaphore(nullptr, 2, 5, nullptr);
  HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = Start([&] { return WaitForSingleObject(go, INFINITE); });
  HANDLE objects[3] = {event, semaphore, thread};

  // The thread still runs: nothing is taken from the others.
  EXPECT_EQ(WaitForMultipleObjects(3, objects, TRUE, 0), WAIT_TIMEOUT);
  HANDLE waiter = Start([&] { return WaitForMultipleObjects(3, objects, TRUE, INFINITE); });
  SetEvent(go);
  EXPECT_EQ(Finish(waiter), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // taken by the wait
  EXPECT_EQ(Drain(semaphore), 1);                          // one unit taken
  EXPECT_EQ(Finish(thread), WAIT_OBJECT_0);
  CloseHandle(event);
  CloseHandle(semaphore);
  CloseHandle(go);
}

TEST(Waits, BadArgumentsFail) {
  HANDLE event = CreateEvent(nullptr, TRUE, TRUE, nullptr);
  HANDLE same[2] = {event, event};
  HANDLE withNull[2] = {event, nullptr};
  std::vector<HANDLE> tooMany(MAXIMUM_WAIT_OBJECTS + 1, event);
  struct {
    DWORD count;
    const HANDLE* objects;
    BOOL all;
    DWORD error;
  } cases[] = {
      {0, same, FALSE, ERROR_INVALID_PARAMETER},
      {MAXIMUM_WAIT_OBJECTS + 1, tooMany.data(), FALSE, ERROR_INVALID_PARAMETER},
      {2, withNull, FALSE, ERROR_INVALID_HANDLE},
      {2, same, TRUE, ERROR_INVALID_PARAMETER},  // a handle twice in a wait on all
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(WaitForMultipleObjects(c.count, c.objects, c.all, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(WaitForMultipleObjects(2, same, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, 0), WAIT_FAILED);
  CloseHandle(event);
}

// Programs started by the layer are waited for like threads.
TEST(Waits, ProcessHandlesAreWaitable) {
  char commandLine[] = "sh -c \"exit 3\"";
  STARTUPINFO startup;
  PROCESS_INFORMATION info;
  ASSERT_TRUE(
      CreateProcess(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE objects[2] = {event, info.hProcess};
  EXPECT_EQ(WaitForMultipleObjects(2, objects, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 3u);
  for (HANDLE h : {event, info.hProcess, info.hThread}) CloseHandle(h);
}

TEST(CriticalSections, AreRecursiveAndExclusive) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  auto otherCanEnter = [&] {
    bool entered = false;
    std::thread([&] {
      entered = TryEnterCriticalSection(&section);
      if (entered) LeaveCriticalSection(&section);
    }).join();
    return entered;
  };
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  EXPECT_FALSE(otherCanEnter());
  LeaveCriticalSection(&section);
  EXPECT_TRUE(otherCanEnter());

  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        EnterCriticalSection(&section);
        EnterCriticalSection(&section);
        ++counter;
        LeaveCriticalSection(&section);
        LeaveCriticalSection(&section);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 40000);
  DeleteCriticalSection(&section);
}

TEST(Interlocked, ReturnValuesAndAtomicity) {
  LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedExchangeAdd(&value, -4), 9);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(InterlockedCompareExchange(&value, 7, 4), 5);  // no match: unchanged
  EXPECT_EQ(value, 5);
  EXPECT_EQ(InterlockedCompareExchange(&value, 7, 5), 5);
  EXPECT_EQ(value, 7);

  volatile LONG shared = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        InterlockedIncrement(&shared);
        InterlockedExchangeAdd(&shared, 2);
        InterlockedDecrement(&shared);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(shared, 4 * 20000 * 2);
}
